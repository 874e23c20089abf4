#pragma once

#include <QString>

class PageSource;

// Writes every page of `pages` to a PDF on the waybill paper (216.0 x 140.0
// mm, no margins), one page drawn at a time. Throws CommandError when the
// file cannot be written.
void exportPdf(PageSource& pages, const QString& path);
