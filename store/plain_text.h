#pragma once

#include <QString>

// Texts from data or from a user's file names, made safe for one line of a
// terminal or a tab-separated output: no control character (ESC, NUL, a
// line break, a tab) reaches it raw.
namespace PlainText {

// Every control character and line or paragraph separator becomes a blank.
QString oneLine(QString text);

} // namespace PlainText
