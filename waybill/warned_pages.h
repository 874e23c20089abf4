#pragma once

#include "waybill/page_source.h"

#include <QList>
#include <functional>
#include <vector>

// Which pages of a batch have been checked for texts that will not print
// whole, and which of those have some. Each page is checked once, in
// whatever order it is wanted: the preview's idle check goes through the
// batch in order, "打 印" wants the pages it prints first.
class WarnedPages {
public:
    WarnedPages(PageSource& pages, int count);

    int checkedCount() const { return m_checkedCount; }
    bool allChecked() const { return m_checkedCount == int(m_checked.size()); }
    // Checks the first page not checked yet, if any.
    void checkNext();
    // Checks those of `indices` not checked yet, telling `progress` every
    // hundred pages and at the end (pages checked, pages to check); its
    // false stops the check and gives false.
    bool checkAll(const QList<int>& indices, const PageProgress& progress = {});
    int uncheckedAmong(const QList<int>& indices) const;

    int warnedCount() const { return m_warnedCount; }
    // The first `limit` pages with warnings found so far, in order.
    QList<int> warned(int limit) const;
    // Those of `indices` with warnings, in their order.
    QList<int> warnedAmong(const QList<int>& indices) const;
    // The first page with warnings after `index`; -1 when there is none.
    int nextWarned(int index) const;
    // Told of each page found with warnings.
    std::function<void(int index)> onWarned;

    // What the pages draw changed: each is to be checked again.
    void clear();

private:
    void check(int index);

    PageSource& m_pages;
    // Bits, not a sorted list: the pages "打 印" checks first would be
    // inserted before all the later ones.
    std::vector<bool> m_checked;
    std::vector<bool> m_warned;
    int m_checkedCount = 0;
    int m_warnedCount = 0;
    int m_next = 0; // every page before it is checked
};
