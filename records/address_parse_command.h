#pragma once

#include <QString>

// sfwaybill-cli parse-address TEXT: the fields the editor's "智能识别"
// fills, as one JSON object.
namespace AddressParseCommand {

QString json(const QString& text);

} // namespace AddressParseCommand
