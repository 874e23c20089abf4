#pragma once

#include <QString>
#include <optional>

class Dataset;
class MainQueries;

// The one sender row as the sender panel holds it, each box as typed.
struct SenderFields {
    QString company;   // 单位名称
    QString name;      // 寄件人姓名
    QString origin;    // 始发地
    QString address;   // 寄件地址
    QString postcode;  // 邮政编码
    QString phone;     // 联系电话
    QString mobile;    // 手机号码
    QString signature; // 签名
    QString year;      // 年
    QString month;     // 月
    QString day;       // 日
};

struct SendingDate {
    QString year;
    QString month;
    QString day;
};

namespace SenderDetails {

// The eight text columns of the sender row; the stored date is not read.
SenderFields load(const Dataset& sender);

// The first required box that is empty (length zero; blanks pass), as the
// message to show, or nothing when the fields may be saved.
std::optional<QString> missingField(const SenderFields& fields);

// Writes all eleven columns into the sender row (the first row when
// outrxx is empty) and posts it. Throws StoreError.
void write(Dataset& sender, const SenderFields& fields);

// The date stamp every print command runs before its window opens: the
// three boxes as typed, no check, into 年, 月, 日 of the sender row.
void stampDate(Dataset& sender, const SendingDate& date);

} // namespace SenderDetails
