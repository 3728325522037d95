#include "platform/host.h"

namespace quillan {
namespace {
Host* currentHost = nullptr;
}

Host& CurrentHost() { return *currentHost; }
void SetCurrentHost(Host* host) { currentHost = host; }

}  // namespace quillan
