#include "text/MessageListOutput.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

void TabsToBlanks(std::string& text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
}

std::string FormatErrorCode(const char* format, int code)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, code);
    return buffer;
}

}  // namespace

void MessageListOutput::AddLine(std::string text)
{
    TabsToBlanks(text);
    InsertTopLine(text);
    PopUp();
}

void MessageListOutput::AppendToTopLine(std::string text)
{
    JoinWithTopLine(std::move(text), TextGoes::AfterTopLine);
}

void MessageListOutput::PrependToTopLine(std::string text)
{
    JoinWithTopLine(std::move(text), TextGoes::BeforeTopLine);
}

// A join reads, deletes and re-inserts the top line as three separate list operations.
// The user may have emptied the list in between (with "clear list"); the new text then
// becomes a line of its own rather than being lost.
void MessageListOutput::JoinWithTopLine(std::string text, TextGoes where)
{
    TabsToBlanks(text);
    std::string top;
    if (ReadTopLine(top)) {
        DeleteTopLine();
        InsertTopLine(where == TextGoes::AfterTopLine ? top + ' ' + text : text + ' ' + top);
    } else {
        InsertTopLine(text);
    }
    PopUp();
}

void MessageListOutput::AddSocketErrorLine(int code, std::string text)
{
    AddLine(FormatErrorCode("Errorcode:%d :", code) + text);
}

void MessageListOutput::AddErrorCodeLine(int code)
{
    AddLine(FormatErrorCode("Errorcode:%d", code));
}

void MessageListOutput::AddTwoPartLine(std::string a, std::string b)
{
    AddLine(a + ' ' + b);
}

void MessageListOutput::AddThreePartLine(std::string a, std::string b, std::string c)
{
    AddLine(a + ' ' + b + ' ' + c);
}
