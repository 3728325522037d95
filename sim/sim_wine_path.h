// Paths handed to the DLL from the Unix side: Wine maps drive Z: to /.
#pragma once

#include <string>

namespace quillan::sim {

// "/x/y" -> "Z:\x\y"; anything else is returned unchanged.
std::string WinePath(const std::string& path);

}  // namespace quillan::sim
