#include "base/memory_release.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace quarnel {
namespace {

// Well below a page of the body limit, well above what anything else allocates at once.
constexpr int kLargeBlock = 1024 * 1024;

// Often enough that the peak stays near one copy, seldom enough to cost nothing.
constexpr std::size_t kStep = 1024 * 1024;

}  // namespace

void returnLargeBlocksToTheSystem() {
    // A fixed threshold also ends glibc's raising it; a refusal leaves its defaults.
    ::mallopt(M_MMAP_THRESHOLD, kLargeBlock);
}

void ReleaseBehind::passed(std::size_t offset) {
    offset = std::min(offset, bytes_.size());
    if (offset < lastOffset_ + kStep) {
        return;
    }
    lastOffset_ = offset;
    static const auto kPage = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(bytes_.data());
    // Only pages wholly inside what was read: the ones at either end hold bytes still
    // wanted, or the allocator's own.
    const std::uintptr_t from = std::max(releasedEnd_, (start + kPage - 1) / kPage * kPage);
    const std::uintptr_t to = (start + offset) / kPage * kPage;
    if (to <= from) {
        return;
    }
    // A refusal only means the memory stays in use until the buffer is freed.
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    releasedEnd_ = to;
}

}  // namespace quarnel
