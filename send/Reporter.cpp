#include "send/Reporter.h"

#include <cstdio>

void Reporter::Fail(ExitCode code, const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fprintf(stderr, "tidemark-send: %s\n", text.c_str());
    m_status = WorseOf(m_status, code);
}

void Reporter::Say(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fprintf(stderr, "tidemark-send: %s\n", text.c_str());
}

ExitCode Reporter::Status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}
