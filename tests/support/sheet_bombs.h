#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small .xlsx files that unpack to a great deal: a part is a beginning, a
// piece repeated many times and an end, deflated without ever building the
// whole (each piece is compressed once and its output repeated).
namespace SheetBombs {

// Every member after `head` has an initializer, so `{head}` alone is a
// whole part to -Wextra.
struct Part {
    QByteArray head;
    QByteArray unit{};
    qint64 count = 0;
    QByteArray tail{};
    // The size the directory announces; -1 for the true size.
    qint64 announcedSize = -1;
};

// A workbook with Sheet1 as `sheet` and, if given, a table of shared
// strings.
QByteArray workbook(const Part& sheet, const Part& sharedStrings = {});

// The title row of the ten recipient columns, A to J, as inline strings.
QByteArray titleRow();

struct Bomb {
    const char* name;
    QByteArray file;
    bool imported; // a real, if odd, sheet; else refused
    const char* suffix = ".xlsx";
};
// The hostile sheets the import must survive quickly and in little memory.
QList<Bomb> all();
// Files near the size the import admits, too large to build in a test: an
// .xls of tens of millions of empty CONTINUE records, one long shared
// string cited by every cell (.xlsx and .xls), a GB18030 text.
QList<Bomb> large();

} // namespace SheetBombs
