#pragma once

#include <string>
#include <string_view>

#include "rides/ride.h"

namespace vel {

// The name an exported ride is saved under: the studio's local date and
// time of its start, the member's name and, once the ride is stored, its
// id, so two rides begun in the same minute differ; then the extension
// ("fit" or ".fit" alike):
//   2026-12-09_1405_라이더1_17.fit
// Safe on Linux, Windows (FAT, NTFS) and macOS: / \ : * ? " < > |, control
// characters and broken UTF-8 become "_", the name ends in no dot or space
// and is no reserved Windows device name. At most 200 bytes, the member's
// name shortened to fit between whole characters. A name with nothing
// left becomes "회원" and the member's number.
std::string RideFileName(const Ride& ride, std::string_view extension);

}  // namespace vel
