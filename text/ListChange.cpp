#include "text/ListChange.h"

// A join reads, deletes and re-inserts the top line. The user may have emptied the list
// since the line the join belongs to was added (with "clear list"); the new text then
// becomes a line of its own rather than being lost.
void ApplyListChange(TopLineList& list, const ListChange& change)
{
    std::string top;
    if (change.kind == ListChange::Kind::AddLine || !list.ReadTopLine(top)) {
        list.InsertTopLine(change.text);
    } else {
        list.DeleteTopLine();
        list.InsertTopLine(change.kind == ListChange::Kind::AppendToTopLine
                               ? top + ' ' + change.text
                               : change.text + ' ' + top);
    }
    list.PopUp();
}
