#pragma once

// Qt's PDF writer, also behind a printer, takes two 10 MiB buffers for
// every page it writes and frees them again. With glibc's own thresholds
// the heap then grows and shrinks by them on every page, and the page's
// memory faults in afresh each time: most of a batch's system time. While
// one of these lives, freed memory stays in the heap for the next page; it
// goes back to the system when the last one ends.
class PageBufferReuse {
public:
    PageBufferReuse();
    ~PageBufferReuse();
    PageBufferReuse(const PageBufferReuse&) = delete;
    PageBufferReuse& operator=(const PageBufferReuse&) = delete;
};
