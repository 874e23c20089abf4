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
    // Call after each page: now and then gives back the pages of the heap
    // that nothing holds. Small allocations land all over the buffers'
    // freed space, so without it a long batch ends up holding all of it.
    void pageDone();
    PageBufferReuse(const PageBufferReuse&) = delete;
    PageBufferReuse& operator=(const PageBufferReuse&) = delete;

private:
    int m_pages = 0;
};
