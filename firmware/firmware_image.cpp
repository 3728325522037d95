#include "firmware/firmware_image.h"

namespace quillan {

FirmwareImageRecord FirmwareImage;

}  // namespace quillan
