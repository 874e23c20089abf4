#pragma once

#include <QString>
#include <QStringList>

// sfwaybill-cli parse-address TEXT: the fields the editor's "智能识别"
// fills, as one JSON object on standard output.
namespace AddressParseCommand {

inline constexpr const char* usage =
    "  parse-address TEXT        split a recipient's text into fields (JSON); no TEXT: stdin\n";

QString json(const QString& text);
int run(const QStringList& args);

} // namespace AddressParseCommand
