#include "records/sender_details.h"

#include "store/dataset.h"

namespace SenderDetails {

namespace {

const QString company = QStringLiteral(u"单位名称");
const QString name = QStringLiteral(u"寄件人姓名");
const QString origin = QStringLiteral(u"始发地");
const QString address = QStringLiteral(u"寄件地址");
const QString postcode = QStringLiteral(u"邮政编码");
const QString phone = QStringLiteral(u"联系电话");
const QString mobile = QStringLiteral(u"手机号码");
const QString signature = QStringLiteral(u"签名");
const QString year = QStringLiteral(u"年");
const QString month = QStringLiteral(u"月");
const QString day = QStringLiteral(u"日");

} // namespace

SenderFields load(const Dataset& sender)
{
    SenderFields f;
    f.company = sender.field(company);
    f.name = sender.field(name);
    f.origin = sender.field(origin);
    f.address = sender.field(address);
    f.postcode = sender.field(postcode);
    f.phone = sender.field(phone);
    f.mobile = sender.field(mobile);
    f.signature = sender.field(signature);
    return f;
}

std::optional<QString> missingField(const SenderFields& fields)
{
    if (fields.name.isEmpty())
        return QStringLiteral(u"寄件人姓名不能为空！");
    if (fields.address.isEmpty())
        return QStringLiteral(u"寄件地址不能为空！");
    if (fields.mobile.isEmpty())
        return QStringLiteral(u"手机号码不能为空！");
    return std::nullopt;
}

void write(Dataset& sender, const SenderFields& fields)
{
    sender.edit();
    sender.setField(company, fields.company);
    sender.setField(name, fields.name);
    sender.setField(origin, fields.origin);
    sender.setField(address, fields.address);
    sender.setField(postcode, fields.postcode);
    sender.setField(phone, fields.phone);
    sender.setField(mobile, fields.mobile);
    sender.setField(signature, fields.signature);
    sender.setField(year, fields.year);
    sender.setField(month, fields.month);
    sender.setField(day, fields.day);
    sender.post();
}

void stampDate(Dataset& sender, const SendingDate& date)
{
    sender.edit();
    sender.setField(year, date.year);
    sender.setField(month, date.month);
    sender.setField(day, date.day);
    sender.post();
}

} // namespace SenderDetails
