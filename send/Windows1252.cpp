#include "send/Windows1252.h"

#include <iterator>

namespace {

// The characters at 0x80 to 0x9F, where Windows-1252 differs from Latin-1; 0 marks the
// five unassigned positions.
constexpr char32_t kHighControlRange[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

int Windows1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<int>(codePoint);
    }
    for (std::size_t i = 0; i < std::size(kHighControlRange); ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == codePoint) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}
