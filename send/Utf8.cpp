#include "send/Utf8.h"

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

}  // namespace

bool ReadUtf8Character(std::string_view text, std::size_t& position, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(text[position]);
    std::size_t length = 0;
    char32_t value = 0;
    // The range the second byte must lie in rules out overlong forms, surrogates and
    // values above U+10FFFF in one test.
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead < 0x80) {
        length = 1;
        value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    } else {
        return false;
    }
    if (text.size() - position < length) return false;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[position + i]);
        if (!IsContinuation(byte)) return false;
        if (i == 1 && (byte < secondLow || byte > secondHigh)) return false;
        value = (value << 6) | (byte & 0x3F);
    }
    position += length;
    codePoint = value;
    return true;
}
