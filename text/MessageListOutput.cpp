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

bool MessageListOutput::AddLine(std::string text)
{
    return Change(ListChange::Kind::AddLine, std::move(text));
}

bool MessageListOutput::AppendToTopLine(std::string text)
{
    return Change(ListChange::Kind::AppendToTopLine, std::move(text));
}

bool MessageListOutput::PrependToTopLine(std::string text)
{
    return Change(ListChange::Kind::PrependToTopLine, std::move(text));
}

bool MessageListOutput::Change(ListChange::Kind kind, std::string text)
{
    TabsToBlanks(text);
    return CarryOut(ListChange{kind, std::move(text)});
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
