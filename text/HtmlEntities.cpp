#include "text/HtmlEntities.h"

#include <cstddef>
#include <cstring>

namespace {

struct EntityRow {
    const char* reference;
    char replacement;  // one Windows-1252 byte
};

// The order is part of the behaviour: each pass sees the output of the passes before it
// and never of those after it. The ampersand rows come after the umlaut, sharp-s and
// angle-bracket rows and before the quotation-mark and space rows, so "&amp;quot;" ends
// as '"' while "&amp;auml;" ends as "&auml;".
constexpr EntityRow kEntityTable[] = {
    {"&auml;", '\xE4'},  {"&aUml;", '\xE4'},  {"&aUML;", '\xE4'},
    {"&Auml;", '\xC4'},  {"&AUML;", '\xC4'},  {"&AUml;", '\xC4'},
    {"&ouml;", '\xF6'},  {"&oUml;", '\xF6'},  {"&oUML;", '\xF6'},
    {"&Ouml;", '\xD6'},  {"&OUML;", '\xD6'},  {"&OUml;", '\xD6'},
    {"&uuml;", '\xFC'},  {"&uUml;", '\xFC'},  {"&uUML;", '\xFC'},
    {"&Uuml;", '\xDC'},  {"&UUML;", '\xDC'},  {"&UUml;", '\xDC'},
    {"&szlig;", '\xDF'}, {"&szLig;", '\xDF'}, {"&szLIG;", '\xDF'},
    {"&SZlig;", '\xDF'}, {"&SzLig;", '\xDF'}, {"&SZLIG;", '\xDF'},
    {"&gt;", '>'},  {"&Gt;", '>'},  {"&GT;", '>'},  {"&gT;", '>'},
    {"&lt;", '<'},  {"&Lt;", '<'},  {"&LT;", '<'},  {"&lT;", '<'},
    {"&amp;", '&'}, {"&amP;", '&'}, {"&aMp;", '&'}, {"&aMP;", '&'},
    {"&Amp;", '&'}, {"&AmP;", '&'}, {"&AMp;", '&'}, {"&AMP;", '&'},
    {"&quot;", '"'}, {"&QUOT;", '"'}, {"&Quot;", '"'},
    // The no-break space becomes an ordinary blank, not 0xA0.
    {"&nbsp;", ' '}, {"&Nbsp;", ' '}, {"&nBsp;", ' '}, {"&NBSP;", ' '},
};
static_assert(sizeof kEntityTable / sizeof kEntityTable[0] == 47,
              "the decoder knows exactly 47 reference forms");

// Replaces every non-overlapping occurrence of `reference`, scanning left to right and
// resuming behind each inserted byte, so the inserted byte never starts or ends another
// match of the same pass. The text only shrinks, so it is rewritten in place, and not at
// all when the reference does not occur.
void ReplacePass(std::string& text, const EntityRow& row)
{
    const std::size_t referenceLength = std::strlen(row.reference);
    std::size_t match = text.find(row.reference, 0, referenceLength);
    if (match == std::string::npos)
        return;

    // Bytes before the first match stay where they are.
    std::size_t write = match;
    std::size_t read = match;
    while (match != std::string::npos) {
        while (read < match)
            text[write++] = text[read++];
        text[write++] = row.replacement;
        read = match + referenceLength;
        // Everything behind `read` is still the original text, so searching there is
        // searching behind the inserted byte.
        match = text.find(row.reference, read, referenceLength);
    }
    while (read < text.size())
        text[write++] = text[read++];
    text.resize(write);
}

}  // namespace

void DecodeHtmlEntities(std::string& text)
{
    // Every reference starts with '&'; most lines have none at all.
    if (text.find('&') == std::string::npos)
        return;
    for (const EntityRow& row : kEntityTable)
        ReplacePass(text, row);
}
