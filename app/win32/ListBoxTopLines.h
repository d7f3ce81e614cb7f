#pragma once

#include <functional>
#include <string>

#include "framework/Controls.h"
#include "text/ListChange.h"

// The top of the window's list box, as a change of the message list touches it, and the
// window's pop-up that ends every change. Used on the window's thread only.
class CListBoxTopLines : public TopLineList {
public:
    CListBoxTopLines(CListBox& list, std::function<void()> popUp);

    bool ReadTopLine(std::string& line) override;
    void DeleteTopLine() override;
    void InsertTopLine(const std::string& line) override;
    void PopUp() override { m_popUp(); }

private:
    CListBox& m_list;
    std::function<void()> m_popUp;
};
