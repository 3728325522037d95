#include "app/toolkit/key_preview.h"

namespace quillan::toolkit {

bool PreviewsKey(uint32_t message, uint16_t key) {
    if (message == kKeyDownMessage) return true;
    return message == kSysKeyDownMessage && key == kF9Key;
}

}  // namespace quillan::toolkit
