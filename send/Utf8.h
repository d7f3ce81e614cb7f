#pragma once

#include <cstddef>
#include <string_view>

// Reads the UTF-8 character at `position` into `codePoint` and moves `position` behind it.
// Returns false, leaving both unchanged, for a sequence that is not well-formed UTF-8:
// a stray continuation byte, an overlong form, a surrogate, a value above U+10FFFF or a
// sequence cut short by the end of the text.
bool ReadUtf8Character(std::string_view text, std::size_t& position, char32_t& codePoint);
