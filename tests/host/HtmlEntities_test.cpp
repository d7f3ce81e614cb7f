#include "text/HtmlEntities.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Decoded(std::string text)
{
    DecodeHtmlEntities(text);
    return text;
}

TEST(HtmlEntities, DecodesUmlautsAndSharpSToSingleBytes)
{
    EXPECT_EQ(Decoded("Gr&uuml;&szlig;e"), std::string("\x47\x72\xFC\xDF\x65"));
    EXPECT_EQ(Decoded("&Auml;rger &ouml;de &Ouml;l &Uuml;bel"),
              std::string("\xC4rger \xF6" "de \xD6l \xDC" "bel"));
}

TEST(HtmlEntities, DecodesMarkupCharactersInEveryListedCaseForm)
{
    EXPECT_EQ(Decoded("&lt;b&gt;"), "<b>");
    EXPECT_EQ(Decoded("&LT;&gT;"), "<>");
    EXPECT_EQ(Decoded("say &Quot;hi&QUOT;"), "say \"hi\"");
    EXPECT_EQ(Decoded("a &AmP; b"), "a & b");
}

// The no-break space becomes an ordinary blank, never 0xA0.
TEST(HtmlEntities, NoBreakSpaceBecomesAnOrdinaryBlank)
{
    EXPECT_EQ(Decoded("&nbsp;&nbsp;"), std::string("\x20\x20"));
    EXPECT_EQ(Decoded("a&NBSP;b"), "a b");
}

TEST(HtmlEntities, EveryTableRowDecodesToItsByte)
{
    struct Row {
        const char* reference;
        char byte;
    };
    const Row rows[] = {
        {"&auml;", '\xE4'},  {"&aUml;", '\xE4'},  {"&aUML;", '\xE4'},  {"&Auml;", '\xC4'},
        {"&AUML;", '\xC4'},  {"&AUml;", '\xC4'},  {"&ouml;", '\xF6'},  {"&oUml;", '\xF6'},
        {"&oUML;", '\xF6'},  {"&Ouml;", '\xD6'},  {"&OUML;", '\xD6'},  {"&OUml;", '\xD6'},
        {"&uuml;", '\xFC'},  {"&uUml;", '\xFC'},  {"&uUML;", '\xFC'},  {"&Uuml;", '\xDC'},
        {"&UUML;", '\xDC'},  {"&UUml;", '\xDC'},  {"&szlig;", '\xDF'}, {"&szLig;", '\xDF'},
        {"&szLIG;", '\xDF'}, {"&SZlig;", '\xDF'}, {"&SzLig;", '\xDF'}, {"&SZLIG;", '\xDF'},
        {"&gt;", '\x3E'},    {"&Gt;", '\x3E'},    {"&GT;", '\x3E'},    {"&gT;", '\x3E'},
        {"&lt;", '\x3C'},    {"&Lt;", '\x3C'},    {"&LT;", '\x3C'},    {"&lT;", '\x3C'},
        {"&amp;", '\x26'},   {"&amP;", '\x26'},   {"&aMp;", '\x26'},   {"&aMP;", '\x26'},
        {"&Amp;", '\x26'},   {"&AmP;", '\x26'},   {"&AMp;", '\x26'},   {"&AMP;", '\x26'},
        {"&quot;", '\x22'},  {"&QUOT;", '\x22'},  {"&Quot;", '\x22'},  {"&nbsp;", '\x20'},
        {"&Nbsp;", '\x20'},  {"&nBsp;", '\x20'},  {"&NBSP;", '\x20'},
    };
    ASSERT_EQ(sizeof rows / sizeof rows[0], 47u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reference);
        EXPECT_EQ(Decoded(row.reference), std::string(1, row.byte));
        // Also inside text and repeated, so the surrounding bytes survive the rewrite.
        const std::string twice = std::string("x") + row.reference + row.reference + "y";
        EXPECT_EQ(Decoded(twice), std::string("x") + row.byte + row.byte + "y");
    }
}

// The ampersand passes run after the umlaut, sharp-s and angle-bracket passes and before
// the quotation-mark and space passes.
TEST(HtmlEntities, DoubleEncodingsFollowThePassOrder)
{
    EXPECT_EQ(Decoded("&amp;auml;"), "&auml;");
    EXPECT_EQ(Decoded("&amp;szlig;"), "&szlig;");
    EXPECT_EQ(Decoded("&amp;lt;"), "&lt;");
    EXPECT_EQ(Decoded("&amp;quot;"), "\"");
    EXPECT_EQ(Decoded("&amp;nbsp;"), " ");
    EXPECT_EQ(Decoded("&AMP;QUOT;"), "\"");
    // An ampersand made by an early ampersand row is seen by a later one, never the reverse.
    EXPECT_EQ(Decoded("&amp;AMP;"), "&");
    EXPECT_EQ(Decoded("&AMP;amp;"), "&amp;");
}

// A pass resumes behind the byte it inserted, so its own output never starts a new match.
TEST(HtmlEntities, APassNeverRematchesItsOwnOutput)
{
    EXPECT_EQ(Decoded("&amp;amp;"), "&amp;");
    EXPECT_EQ(Decoded("&amp;amp;amp;"), "&amp;amp;");
    EXPECT_EQ(Decoded("&AMP;AMP;"), "&AMP;");
    EXPECT_EQ(Decoded("&&amp;amp;"), "&&amp;");
}

TEST(HtmlEntities, UnlistedAndMalformedFormsStayByteForByte)
{
    const char* const unchanged[] = {
        "&AuMl;", "&QuOt;", "&nbSP;", "&#228;", "&euro;", "&auml", "&aUmL;", "&AuML;",
        "&apos;", "& auml;", "&;", "&", "text &", "&&&", "&szlIG;", "&qUOT;", "&#x3C;",
    };
    for (const char* text : unchanged)
        EXPECT_EQ(Decoded(text), text);
}

TEST(HtmlEntities, TextWithoutReferencesIsUnchanged)
{
    EXPECT_EQ(Decoded(""), "");
    const std::string highBytes("\xFC\xE4\xA0\x01\x7F plain \t text\xFF");
    EXPECT_EQ(Decoded(highBytes), highBytes);
}

TEST(HtmlEntities, EmbeddedZeroBytesAndLongLinesSurvive)
{
    EXPECT_EQ(Decoded(std::string("a\0&lt;b\0", 8)), std::string("a\0<b\0", 5));

    std::string longLine;
    for (int i = 0; i < 1349; ++i)
        longLine += "&auml;";
    longLine += "!&";
    const std::string decoded = Decoded(longLine);
    ASSERT_EQ(decoded.size(), 1349u + 2u);
    EXPECT_EQ(decoded, std::string(1349, '\xE4') + "!&");
}

}  // namespace
