#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarnel {

// Large blocks (a page, its text, a parsed page's longest text) come straight from the
// system and go straight back when freed. glibc otherwise raises its threshold for that
// after the first large block is freed, and the next pages then grow inside the heap,
// where a block that moves leaves its old place in use. Called once, first thing in main.
void returnLargeBlocksToTheSystem();

// For a reader that goes once through a large buffer it owns, front to back, and frees
// it after: the memory already read goes back to the system on the way, so that a page
// and what is made of it (its text, its parsed tree) are never both held in full.
// A std::string cannot give back part of its buffer, so the whole memory pages behind the
// reader are dropped and read as zeros after: nothing behind the reader may be read again.
class ReleaseBehind {
public:
    explicit ReleaseBehind(std::string& bytes) : bytes_(bytes) {}

    // Nothing before `offset` is read again. Cheap to call often: it acts once a step.
    void passed(std::size_t offset);

private:
    std::string& bytes_;
    std::size_t lastOffset_ = 0;
    std::uintptr_t releasedEnd_ = 0;  // the end of the pages already given back
};

}  // namespace quarnel
