#pragma once

#include <QString>

// The escapes of Office Open XML text: "_xHHHH_" stands for the UTF-16
// unit HHHH, which is how a workbook holds characters XML cannot (control
// characters) or would change (a carriage return). A literal "_x" that
// looks like an escape is itself escaped as "_x005F_".
namespace XlsxEscape {

QString decode(const QString& text);
// Escapes every character below U+0020 except tab and line feed, U+FFFE,
// U+FFFF and every literal escape. The text must hold no NUL and no lone
// surrogate (the export refuses those first).
QString encode(const QString& text);

} // namespace XlsxEscape
