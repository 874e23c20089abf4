#pragma once

#include "exchange/sheet_error.h"

#include <QString>
#include <cstdint>

// How much of a sheet the import takes: far above any real list of
// recipients, and low enough that a small hostile file cannot make the
// program run out of memory or time. Beyond a limit, SheetTooLarge says
// which one, in words for the user.
namespace SheetLimits {

constexpr std::uint32_t maxRows = 1048576;          // the most a worksheet has
constexpr std::uint32_t maxColumns = 16384;         // column XFD
constexpr qint64 maxCells = 16777216;               // cells read, in any column
constexpr int maxCellChars = 32767;                 // a spreadsheet cell's limit
constexpr qint64 maxSharedStringBytes = 64ll << 20; // the table of shared strings
constexpr qint64 maxKeptBytes = 128ll << 20;        // the text of the rows imported
constexpr qint64 maxInflatedBytes = 1ll << 30;      // everything unpacked from an .xlsx
// Cells that hold name, phones and address together are split as a pasted
// text is, which costs far more than reading them: one recipient's text,
// and all of them together, are kept to what real lists hold.
constexpr int maxCombinedCellChars = 1000;
constexpr qint64 maxCombinedChars = 16777216;

[[noreturn]] inline void tooLarge(const QString& reason)
{
    throw SheetTooLarge(reason.toStdString());
}

} // namespace SheetLimits
