// LD_PRELOAD shim for a Wine process: answers SG_IO on the files that stand
// behind drive letters with the simulated drives of QUILLAN_SIM_CONFIG (each
// drive's `device` setting names its file). Every other ioctl goes to the C
// library. A file is recognised by device and inode, because the descriptor
// Wine uses comes from its server, not from an open() seen here.
#include <dlfcn.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

#include "sim/sim_session.h"
#include "sim/sim_sg_io.h"

namespace {

using DeviceKey = std::pair<dev_t, ino_t>;
using DriveAddress = std::pair<uint8_t, uint8_t>;

struct Shim {
    quillan::sim::SimSession* session = nullptr;
    std::map<DeviceKey, DriveAddress> drives;
};

Shim shim;
std::once_flag shimMade;

// Made on the first ioctl, not at load: the same preload reaches every
// process Wine starts, and most never touch a drive.
Shim& TheShim() {
    std::call_once(shimMade, [] {
        quillan::sim::SessionOptions options;
        const char* config = std::getenv("QUILLAN_SIM_CONFIG");
        const char* log = std::getenv("QUILLAN_SIM_LOG");
        options.configPath = config != nullptr ? config : "";
        options.logPath = log != nullptr ? log : "";
        options.platformId = 2;  // only the NT family reaches a drive this way
        shim.session = new quillan::sim::SimSession(options);
        for (const quillan::sim::DriveConfig& drive : shim.session->DriveConfigs()) {
            struct stat st;
            if (drive.devicePath.empty() || stat(drive.devicePath.c_str(), &st) != 0) continue;
            shim.drives[{st.st_dev, st.st_ino}] = {drive.adapter, drive.target};
        }
    });
    return shim;
}

const DriveAddress* DriveBehind(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return nullptr;
    const Shim& shim = TheShim();
    auto found = shim.drives.find({st.st_dev, st.st_ino});
    return found != shim.drives.end() ? &found->second : nullptr;
}

using IoctlFn = int (*)(int, unsigned long, ...);

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    if (request == SG_IO || request == SG_GET_VERSION_NUM || request == SCSI_IOCTL_GET_IDLUN) {
        if (const DriveAddress* drive = DriveBehind(fd)) {
            if (request == SG_GET_VERSION_NUM) {
                *static_cast<int*>(argument) = 30527;  // the sg driver's version 3.5.27
                return 0;
            }
            if (request == SCSI_IOCTL_GET_IDLUN) {
                auto* idlun = static_cast<uint32_t*>(argument);
                idlun[0] = drive->second | (static_cast<uint32_t>(drive->first) << 24);  // LUN 0, channel 0
                idlun[1] = 0;
                return 0;
            }
            const int error = quillan::sim::AnswerSgIo(*TheShim().session, drive->first, drive->second,
                                                       *static_cast<sg_io_hdr_t*>(argument));
            if (error == 0) return 0;
            errno = error;
            return -1;
        }
    }
    static const auto real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
    return real(fd, request, argument);
}

// The images are written as each download completes; this adds the rest
// when the process ends.
__attribute__((destructor)) static void CloseSession() {
    if (shim.session != nullptr) shim.session->Close(true);
}
