// What the run log keeps between lines: the open file, where it and its
// predecessor lie, how much is written, and the quiet stretch's counts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/scoped_file.h"

namespace quillan {

struct RunLogState {
    ScopedFile file;  // empty: nothing is logged
    std::string path;
    std::string oldPath;
    long size = 0;
    bool quiet = false;
    uint32_t quietGood = 0;
    uint32_t quietFailed = 0;
};

}  // namespace quillan
