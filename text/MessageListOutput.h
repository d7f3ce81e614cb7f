#pragma once

#include <string>

// The top of the message list: the only places the output operations touch. The main
// window implements it over its list box; tests implement it over a plain container.
class TopLineList {
public:
    virtual ~TopLineList() = default;

    // Reads line 0; false (and `line` untouched) when the list is empty.
    virtual bool ReadTopLine(std::string& line) = 0;
    virtual void DeleteTopLine() = 0;
    virtual void InsertTopLine(const std::string& line) = 0;
    // Shows the window and restarts its hide timer.
    virtual void PopUp() = 0;
};

// One change of the message list, with its pop-up: a new top line, or a text joined to
// the top line with one blank. The text's tabs are blanks already.
struct ListChange {
    enum class Kind { AddLine, AppendToTopLine, PrependToTopLine };
    Kind kind;
    std::string text;
};

// The operations through which every status, error and message line enters the list.
// The newest line is always at the top; every operation ends with PopUp().
class MessageListOutput : public TopLineList {
public:
    void AddLine(std::string text);
    void AppendToTopLine(std::string text);
    void PrependToTopLine(std::string text);
    void AddSocketErrorLine(int code, std::string text);
    void AddErrorCodeLine(int code);
    void AddTwoPartLine(std::string a, std::string b);
    void AddThreePartLine(std::string a, std::string b, std::string c);

protected:
    // Carries a change out whole. A list that lives on another thread overrides this to
    // hand the change over in one step and to run Apply() there.
    virtual void CarryOut(const ListChange& change) { Apply(change); }
    void Apply(const ListChange& change);

private:
    void Change(ListChange::Kind kind, std::string text);
};
