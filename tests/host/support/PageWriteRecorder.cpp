#include "support/PageWriteRecorder.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// State the fault handler reads; only lock-free atomics and plain values set before arming.
unsigned char* g_memory = nullptr;
std::size_t g_pageSize = 0;
std::size_t g_pages = 0;
std::size_t g_order[8];
std::atomic<std::size_t> g_written{0};
struct sigaction g_previous;

void OnFault(int signal, siginfo_t* info, void* context)
{
    auto* address = static_cast<unsigned char*>(info->si_addr);
    if (g_memory != nullptr && address >= g_memory && address < g_memory + g_pages * g_pageSize) {
        const std::size_t page = static_cast<std::size_t>(address - g_memory) / g_pageSize;
        const std::size_t slot = g_written.fetch_add(1);
        if (slot < sizeof g_order / sizeof g_order[0]) {
            g_order[slot] = page;
        }
        mprotect(g_memory + page * g_pageSize, g_pageSize, PROT_READ | PROT_WRITE);
        return;
    }
    // Not ours: hand the fault to whoever handled it before.
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(signal, info, context);
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
    } else {
        sigaction(SIGSEGV, &g_previous, nullptr);
    }
}

}  // namespace

PageWriteRecorder::PageWriteRecorder(std::size_t pages)
    : m_pageSize(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))), m_pages(pages)
{
    if (pages == 0 || pages > kMaxPages) {
        throw std::invalid_argument("PageWriteRecorder: 1 to 8 pages");
    }
    void* memory = mmap(nullptr, m_pages * m_pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::runtime_error("PageWriteRecorder: mmap failed");
    }
    m_memory = static_cast<unsigned char*>(memory);
}

PageWriteRecorder::~PageWriteRecorder()
{
    Disarm();
    munmap(m_memory, m_pages * m_pageSize);
}

void* PageWriteRecorder::Page(std::size_t i) const
{
    return m_memory + i * m_pageSize;
}

// Arming again while armed starts a new record.
void PageWriteRecorder::Arm()
{
    if (g_memory == m_memory) {
        g_written = 0;
        mprotect(m_memory, m_pages * m_pageSize, PROT_READ);
        return;
    }
    g_memory = m_memory;
    g_pageSize = m_pageSize;
    g_pages = m_pages;
    g_written = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &g_previous);
    mprotect(m_memory, m_pages * m_pageSize, PROT_READ);
}

void PageWriteRecorder::Disarm()
{
    if (g_memory != m_memory) {
        return;
    }
    mprotect(m_memory, m_pages * m_pageSize, PROT_READ | PROT_WRITE);
    sigaction(SIGSEGV, &g_previous, nullptr);
    g_memory = nullptr;
}

std::vector<std::size_t> PageWriteRecorder::WriteOrder() const
{
    const std::size_t count = std::min(g_written.load(), sizeof g_order / sizeof g_order[0]);
    return std::vector<std::size_t>(g_order, g_order + count);
}
