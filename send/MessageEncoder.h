#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One message as it goes on the wire (without its line end), converted from UTF-8 to the
// Windows-1252 text with character references that the receiver shows best.
struct EncodedMessage {
    std::string bytes;
    // The Windows-1252 text the sender means the receiver to show.
    std::string intended;
    bool validUtf8 = true;
    std::size_t invalidAt = 0;       // byte offset of the first invalid UTF-8 sequence
    std::size_t unmappable = 0;      // characters sent as "?"
    char32_t firstUnmappable = 0;
};

// ä ö ü Ä Ö Ü ß become their references and "&" becomes "&amp;", so that a reference
// typed by the user arrives as typed; other Windows-1252 characters become their single
// byte; everything else, and the bytes that would end the line early at the receiver
// (CR, LF, zero), becomes "?". Stops at the first invalid UTF-8 sequence.
EncodedMessage EncodeMessage(std::string_view utf8);

// Cuts `bytes` to the receiver's line limit without splitting a reference; returns
// whether anything was cut.
bool FitToLineLimit(std::string& bytes);

// Whether the receiver's decoding turns the bytes back into the intended text. It does not
// for a few references typed literally ("&quot;", "&nbsp;", "&AMP;" and their case forms),
// because the receiver decodes those even behind an "&amp;".
bool ReceiverShowsAsTyped(const EncodedMessage& message);
