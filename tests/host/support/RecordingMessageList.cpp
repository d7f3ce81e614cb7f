#include "support/RecordingMessageList.h"

bool RecordingMessageList::ReadTopLine(std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lines.empty()) {
        return false;
    }
    line = m_lines.front();
    return true;
}

void RecordingMessageList::DeleteTopLine()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_lines.empty()) {
        m_lines.pop_front();
    }
}

void RecordingMessageList::InsertTopLine(const std::string& line)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_front(line);
    }
    m_changed.notify_all();
}

void RecordingMessageList::PopUp()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_popUps;
    }
    m_changed.notify_all();
}

std::vector<std::string> RecordingMessageList::Lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return {m_lines.begin(), m_lines.end()};
}

int RecordingMessageList::PopUps() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_popUps;
}

bool RecordingMessageList::WaitUntil(const std::function<bool(const std::vector<std::string>&)>& done,
                                     std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] {
        return done(std::vector<std::string>(m_lines.begin(), m_lines.end()));
    });
}

bool RecordingMessageList::WaitForTopLine(const std::string& line)
{
    return WaitUntil([&](const std::vector<std::string>& lines) { return !lines.empty() && lines[0] == line; });
}

bool RecordingMessageList::WaitForPopUps(int count)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_popUps >= count; });
}
