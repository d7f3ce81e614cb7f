#include "send/MessageEncoder.h"

#include <gtest/gtest.h>

#include <string>

#include "text/HtmlEntities.h"

namespace {

TEST(MessageEncoder, ReceiverShowsTheTypedTextAndNothingInvalidOrTooLongGoesOut)
{
    // What the receiver's own decoding makes of the bytes is what the user typed.
    const EncodedMessage greeting = EncodeMessage("Grüße & <Küsse> &auml; ÄÖÜ € 😀\r");
    std::string shown = greeting.bytes;
    DecodeHtmlEntities(shown);
    EXPECT_EQ(shown, "Gr\xFC\xDF" "e & <K\xFCsse> &auml; \xC4\xD6\xDC \x80 ??");
    EXPECT_EQ(greeting.bytes.find_first_of("\xFC\xDF\xC4"), std::string::npos);
    EXPECT_EQ(greeting.unmappable, 2u);
    EXPECT_EQ(greeting.firstUnmappable, U'\U0001F600');
    EXPECT_TRUE(ReceiverShowsAsTyped(greeting));
    EXPECT_FALSE(ReceiverShowsAsTyped(EncodeMessage("say &quot;hi&quot;")));

    // Stray continuation, overlong form, surrogate, cut-off sequence.
    for (const char* invalid : {"ok\x80", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82"}) {
        EXPECT_FALSE(EncodeMessage(invalid).validUtf8) << invalid;
    }
    EXPECT_EQ(EncodeMessage("ab\xE2\x82").invalidAt, 2u);

    // The bound is on the encoded form, and a cut never splits a reference.
    std::string exact = EncodeMessage(std::string(8090, 'x') + "ü").bytes;
    EXPECT_FALSE(FitToLineLimit(exact));
    EXPECT_EQ(exact.size(), 8096u);
    std::string over = EncodeMessage(std::string(8093, 'x') + "ü").bytes;
    EXPECT_TRUE(FitToLineLimit(over));
    EXPECT_EQ(over, std::string(8093, 'x'));
}

}  // namespace
