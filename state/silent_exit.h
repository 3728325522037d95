// The exit code of a "-SILENT" run: the codes deployment tools already read
// from installers, so a tool needs to know nothing of this program to act on
// it. Every other run returns 0.
#pragma once

#include <cstdint>

namespace quillan {

enum class SilentExit : uint32_t {
    NothingSent = 1,         // nothing went to the drive's flash
    FlashIncomplete = 1603,  // pieces reached the drive but the flash did not complete: restart needed
    AnotherCopy = 1618,      // another copy runs: try again later
    Flashed = 3010,          // the final command succeeded: the drive needs the restart
};

}  // namespace quillan
