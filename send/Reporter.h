#pragma once

#include <mutex>
#include <string>

#include "send/ExitCode.h"

// The sender's voice on standard error, shared by the threads of all hosts: one line per
// report, and the exit status, which is the highest code of the failures reported.
class Reporter {
public:
    void Fail(ExitCode code, const std::string& text);
    void Say(const std::string& text);
    ExitCode Status() const;

private:
    mutable std::mutex m_mutex;
    ExitCode m_status = ExitCode::Delivered;
};
