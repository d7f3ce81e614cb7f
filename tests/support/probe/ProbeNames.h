// Numbers on the probe's command line: decimal, 0x-hexadecimal, or the symbolic name of a
// window message, system command, dialog command or virtual key that the tests use.
#pragma once

#include <string>

namespace probe {

// Parses `text` into `value`; false when it is neither a number nor a known name.
bool ParseNumber(const std::string& text, long long* value);

}  // namespace probe
