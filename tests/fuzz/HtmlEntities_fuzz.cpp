// Arbitrary bytes through the character-reference decoder. Beyond "no crash", only what
// holds for every input: each replacement turns a reference of several bytes starting with
// '&' into one byte, so the text never grows and never gains an ampersand, and a text
// without any ampersand holds no reference at all.
#include "text/HtmlEntities.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string text = input;
    DecodeHtmlEntities(text);

    if (text.size() > input.size())
        std::abort();
    if (std::count(text.begin(), text.end(), '&') > std::count(input.begin(), input.end(), '&'))
        std::abort();
    if (input.find('&') == std::string::npos && text != input)
        std::abort();
    return 0;
}
