// The game-exit notice record the platform expects, written out byte by byte
// rather than taken from the launcher's own builder.
#pragma once

#include <string>

namespace testsupport {

// 528 bytes, little-endian: the integer 1, the UTF-16 text "1" NUL-filled to
// 260 units, the integer 1.
inline std::string ExpectedGameExitRecord()
{
    std::string record(528, '\0');
    record[0] = 1;
    record[4] = '1';
    record[524] = 1;
    return record;
}

}  // namespace testsupport
