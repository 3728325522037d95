#include "sim/sim_wine_path.h"

#include <algorithm>

namespace quillan::sim {

std::string WinePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string mapped = "Z:" + path;
    std::replace(mapped.begin(), mapped.end(), '/', '\\');
    return mapped;
}

}  // namespace quillan::sim
