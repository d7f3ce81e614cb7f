#include "send/MessageEncoder.h"

#include "net/LineProtocol.h"
#include "send/Utf8.h"
#include "send/Windows1252.h"
#include "text/HtmlEntities.h"

namespace {

// The references the receiver turns into ä ö ü Ä Ö Ü ß; sent instead of the bytes so that
// the text survives any stretch of the way that is not Windows-1252.
const char* ReferenceFor(char32_t codePoint)
{
    switch (codePoint) {
    case U'\u00E4': return "&auml;";
    case U'\u00F6': return "&ouml;";
    case U'\u00FC': return "&uuml;";
    case U'\u00C4': return "&Auml;";
    case U'\u00D6': return "&Ouml;";
    case U'\u00DC': return "&Uuml;";
    case U'\u00DF': return "&szlig;";
    case U'&': return "&amp;";
    default: return nullptr;
    }
}

bool EndsLineAtReceiver(char32_t codePoint)
{
    return codePoint == U'\r' || codePoint == U'\n' || codePoint == 0;
}

}  // namespace

EncodedMessage EncodeMessage(std::string_view utf8)
{
    EncodedMessage message;
    std::size_t position = 0;
    while (position < utf8.size()) {
        char32_t codePoint = 0;
        const std::size_t start = position;
        if (!ReadUtf8Character(utf8, position, codePoint)) {
            message.validUtf8 = false;
            message.invalidAt = start;
            return message;
        }
        const int byte = EndsLineAtReceiver(codePoint) ? -1 : Windows1252Byte(codePoint);
        if (byte < 0) {
            if (message.unmappable++ == 0) message.firstUnmappable = codePoint;
            message.bytes += '?';
            message.intended += '?';
            continue;
        }
        const char* reference = ReferenceFor(codePoint);
        message.bytes += reference ? reference : std::string(1, static_cast<char>(byte));
        message.intended += static_cast<char>(byte);
    }
    return message;
}

bool FitToLineLimit(std::string& bytes)
{
    const std::size_t limit = kMaxLineLength;
    if (bytes.size() <= limit) return false;
    std::size_t cut = limit;
    // Every "&" in the encoded text begins a reference this encoder wrote; keep it whole
    // or leave it out.
    const std::size_t ampersand = bytes.rfind('&', limit - 1);
    if (ampersand != std::string::npos && bytes.find(';', ampersand) >= limit) cut = ampersand;
    bytes.resize(cut);
    return true;
}

bool ReceiverShowsAsTyped(const EncodedMessage& message)
{
    std::string shown = message.bytes;
    DecodeHtmlEntities(shown);
    return shown == message.intended;
}
