#pragma once

#include <string>

#include "text/ListChange.h"

// The operations through which every status, error and message line enters the list.
// The newest line is always at the top; every operation ends with the list's pop-up. Each
// says whether the change was carried out: none is once the window has begun to end.
class MessageListOutput {
public:
    virtual ~MessageListOutput() = default;

    bool AddLine(std::string text);
    bool AppendToTopLine(std::string text);
    bool PrependToTopLine(std::string text);
    void AddSocketErrorLine(int code, std::string text);
    void AddErrorCodeLine(int code);
    void AddTwoPartLine(std::string a, std::string b);
    void AddThreePartLine(std::string a, std::string b, std::string c);

protected:
    // Carries a change out whole, on the list's own thread (see ApplyListChange); false
    // when it was let go undone.
    virtual bool CarryOut(const ListChange& change) = 0;

private:
    bool Change(ListChange::Kind kind, std::string text);
};
