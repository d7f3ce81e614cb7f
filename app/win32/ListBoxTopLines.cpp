#include "app/win32/ListBoxTopLines.h"

#include <utility>

CListBoxTopLines::CListBoxTopLines(CListBox& list, std::function<void()> popUp)
    : m_list(list), m_popUp(std::move(popUp))
{
}

bool CListBoxTopLines::ReadTopLine(std::string& line)
{
    return m_list.GetText(0, line);
}

void CListBoxTopLines::DeleteTopLine()
{
    m_list.DeleteString(0);
}

void CListBoxTopLines::InsertTopLine(const std::string& line)
{
    m_list.InsertString(0, line.c_str());
}
