#pragma once

#include <cstddef>
#include <vector>

// Tells in which order a thread first writes to a few objects, without their help: each
// object lives on a memory page of its own; while armed the pages are read-only, so the
// first write to each one faults. The fault handler notes the page, makes it writable
// again, and the write is retried. Linux only; one armed recorder at a time.
class PageWriteRecorder {
public:
    explicit PageWriteRecorder(std::size_t pages);
    ~PageWriteRecorder();
    PageWriteRecorder(const PageWriteRecorder&) = delete;
    PageWriteRecorder& operator=(const PageWriteRecorder&) = delete;

    // Where to construct object i (suitably aligned for any object that fits a page).
    void* Page(std::size_t i) const;

    void Arm();
    void Disarm();
    // The indexes of the pages in the order of their first write since Arm().
    std::vector<std::size_t> WriteOrder() const;

private:
    static constexpr std::size_t kMaxPages = 8;

    unsigned char* m_memory = nullptr;
    std::size_t m_pageSize = 0;
    std::size_t m_pages = 0;
};
