#pragma once

#include <QString>
#include <QStringList>

// sfwaybill-cli parse-address TEXT: the fields the editor's "智能识别"
// fills, as one JSON object on standard output.
namespace AddressParseCommand {

QString json(const QString& text);
// Prints json() of the words of `args` joined, or of standard input when
// there are none.
int run(const QStringList& args);

} // namespace AddressParseCommand
