#pragma once

#include <string>

// The top of the message list: the only places a change touches. The main window
// implements it over its list box; tests implement it over a plain container.
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

// Carries the change out on the list, pop-up included.
void ApplyListChange(TopLineList& list, const ListChange& change);
