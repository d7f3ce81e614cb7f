// Arbitrary input bytes through the sender's encoder. Beyond "no crash": the encoded bytes
// never hold a byte that would end the line early at the receiver, and whenever the
// receiver's own decoding gives back the intended text, it still gives back a prefix of it
// after the cut to the line limit, so that the cut never splits a reference.
#include "net/LineReader.h"
#include "send/MessageEncoder.h"
#include "text/HtmlEntities.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    EncodedMessage message = EncodeMessage(input);
    if (!message.validUtf8) {
        if (message.invalidAt >= input.size()) std::abort();
        return 0;
    }
    if (message.bytes.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    if (!ReceiverShowsAsTyped(message)) return 0;

    FitToLineLimit(message.bytes);
    if (message.bytes.size() > static_cast<std::size_t>(kMaxLineLength)) std::abort();
    std::string shown = message.bytes;
    DecodeHtmlEntities(shown);
    if (message.intended.compare(0, shown.size(), shown) != 0) std::abort();
    return 0;
}
