#include "records/address_parse_command.h"

#include "records/address_parser.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

namespace AddressParseCommand {

QString json(const QString& text)
{
    const ParsedRecipient r = AddressParser::parse(text);
    // In the editor's order, not sorted as QJsonObject would.
    const std::pair<const char16_t*, const QString*> fields[] = {
        {u"收件人姓名", &r.name},  {u"手机号码", &r.mobile},    {u"联系电话", &r.phone},
        {u"收件地址", &r.address}, {u"目的地", &r.destination}, {u"邮政编码", &r.postcode},
        {u"单位名称", &r.company}, {u"备注", &r.remarks},
    };
    QStringList members;
    for (const auto& [key, value] : fields) {
        const QJsonObject one{{QString::fromUtf16(key), *value}};
        const QByteArray member = QJsonDocument(one).toJson(QJsonDocument::Compact);
        members << QString::fromUtf8(member.mid(1, member.size() - 2));
    }
    return u'{' + members.join(u',') + u'}';
}

} // namespace AddressParseCommand
