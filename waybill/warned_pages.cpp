#include "waybill/warned_pages.h"

#include <algorithm>

WarnedPages::WarnedPages(PageSource& pages, int count)
    : m_pages(pages), m_checked(size_t(count)), m_warned(size_t(count))
{
}

void WarnedPages::check(int index)
{
    if (m_checked[size_t(index)])
        return;
    m_checked[size_t(index)] = true;
    ++m_checkedCount;
    if (m_pages.warnings(index).isEmpty())
        return;
    m_warned[size_t(index)] = true;
    ++m_warnedCount;
    if (onWarned)
        onWarned(index);
}

void WarnedPages::checkNext()
{
    while (m_next < int(m_checked.size()) && m_checked[size_t(m_next)])
        ++m_next;
    if (m_next < int(m_checked.size()))
        check(m_next);
}

bool WarnedPages::checkAll(const QList<int>& indices, const PageProgress& progress)
{
    const int total = uncheckedAmong(indices);
    int done = 0;
    for (const int index : indices) {
        if (m_checked[size_t(index)])
            continue;
        check(index);
        ++done;
        if (progress && (done % 100 == 0 || done == total) && !progress(done, total))
            return false;
    }
    return true;
}

int WarnedPages::uncheckedAmong(const QList<int>& indices) const
{
    int unchecked = 0;
    for (const int index : indices)
        unchecked += !m_checked[size_t(index)];
    return unchecked;
}

QList<int> WarnedPages::warned(int limit) const
{
    QList<int> found;
    int index = -1;
    while (found.size() < limit && (index = nextWarned(index)) >= 0)
        found << index;
    return found;
}

QList<int> WarnedPages::warnedAmong(const QList<int>& indices) const
{
    QList<int> found;
    for (const int index : indices)
        if (m_warned[size_t(index)])
            found << index;
    return found;
}

int WarnedPages::nextWarned(int index) const
{
    for (size_t i = size_t(index + 1); i < m_warned.size(); ++i)
        if (m_warned[i])
            return int(i);
    return -1;
}

void WarnedPages::clear()
{
    std::fill(m_checked.begin(), m_checked.end(), false);
    std::fill(m_warned.begin(), m_warned.end(), false);
    m_checkedCount = 0;
    m_warnedCount = 0;
    m_next = 0;
}
