#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "text/MessageListOutput.h"

// The message list as a plain container, safe to use from the listener thread while a
// test thread watches it. Index 0 of Lines() is the top line.
class RecordingMessageList : public MessageListOutput, public TopLineList {
public:
    bool CarryOut(const ListChange& change) override
    {
        if (!refusing) ApplyListChange(*this, change);
        if (onChange) onChange();
        return !refusing;
    }
    // Called on the listener's thread after each change.
    std::function<void()> onChange;
    // Set: every change is let go undone, as by a window that has begun to end.
    std::atomic<bool> refusing{false};
    bool ReadTopLine(std::string& line) override;
    void DeleteTopLine() override;
    void InsertTopLine(const std::string& line) override;
    void PopUp() override;

    std::vector<std::string> Lines() const;
    int PopUps() const;

    // Waits until `done` holds for the lines; false when `limit` passes first. The limit
    // only keeps a broken listener from hanging the test; it is not a speed requirement.
    bool WaitUntil(const std::function<bool(const std::vector<std::string>&)>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(20));
    bool WaitForTopLine(const std::string& line);
    // A change's pop-up comes after its line: waits until `count` have come.
    bool WaitForPopUps(int count);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_lines;
    int m_popUps = 0;
};
