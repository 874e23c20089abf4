#include "waybill/page_buffer_reuse.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

// glibc's starting values.
constexpr int defaultThreshold = 128 * 1024;
// A trim takes about as long as a page; memory grows by some 0.3 KB a page
// between two.
constexpr int pagesPerTrim = 1000;

} // namespace

PageBufferReuse::PageBufferReuse()
{
    // The largest heap allocation glibc allows, so the buffers never go to
    // mmap, and a trim threshold well above them.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

PageBufferReuse::~PageBufferReuse()
{
    mallopt(M_TRIM_THRESHOLD, defaultThreshold);
    mallopt(M_MMAP_THRESHOLD, defaultThreshold);
    malloc_trim(0);
}

void PageBufferReuse::pageDone()
{
    if (++m_pages % pagesPerTrim == 0)
        malloc_trim(0);
}

#else

PageBufferReuse::PageBufferReuse() = default;
PageBufferReuse::~PageBufferReuse() = default;
void PageBufferReuse::pageDone() {}

#endif
