#pragma once

#include <QString>

// A recipient as people send it in chats and orders, split into the
// editor's fields. A field the text does not clearly give stays empty.
struct ParsedRecipient {
    QString name;        // 收件人姓名
    QString mobile;      // 手机号码: eleven digits
    QString phone;       // 联系电话: "0755-86001234", or a second mobile
    QString address;     // 收件地址, province and city in full in front
    QString destination; // 目的地: province and city, "广东省深圳市"
    QString postcode;    // 邮政编码
    QString company;     // 单位名称, only when labelled (公司：)
    QString remarks;     // 备注, only when labelled (备注：)

    bool operator==(const ParsedRecipient&) const = default;
};

// "张三 13800138000 广东省深圳市南山区科技园南区1栋101室",
// "收件人：李四，电话：0755-86001234，地址：北京市海淀区中关村大街1号", name,
// phone and address on lines of their own in any order, labels or none.
namespace AddressParser {

ParsedRecipient parse(const QString& text);

// A number as the form needs it: a mainland mobile as its eleven digits
// ("'13811112222", "+86 134-6562-3510" → "13465623510"); any other number,
// a landline with its area code and dash included, as written less a
// leading apostrophe (a spreadsheet's text mark).
QString tidyPhone(const QString& number);

// The text without terminal escape sequences ("\x1b[31m") and the control
// characters nobody types (NUL, BEL, DEL, C1); a tab and line ends stay.
QString withoutUnsafeControls(const QString& text);

} // namespace AddressParser
