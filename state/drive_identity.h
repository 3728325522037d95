// What the program knows of the drive it last asked: model (INQUIRY vendor
// and product), revision and three-character drive code.
#pragma once

namespace quillan {

struct DriveIdentityRecord {
    char driveModel[25];
    char driveRevision[5];
    char driveCode[4];
    bool codeReadDirectly;
};

}  // namespace quillan
