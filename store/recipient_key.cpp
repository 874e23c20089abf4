#include "store/recipient_key.h"

#include <QHashFunctions>

namespace RecipientKey {

namespace {

quint32 folded(QByteArrayView kind, QByteArrayView key)
{
    const size_t h = qHash(key, qHash(kind, 0));
    // 0 is "no key".
    return quint32(h ^ (quint64(h) >> 32)) | 1u;
}

} // namespace

const QStringList& columns()
{
    static const QStringList names{QStringLiteral(u"收件人姓名"), QStringLiteral(u"手机号码"),
                                   QStringLiteral(u"收件地址")};
    return names;
}

QString mobile(const QString& mobile)
{
    QString digits;
    for (const QChar c : mobile)
        if (c.isDigit())
            digits += c;
    if (digits.size() == 13 && digits.startsWith(QStringLiteral("86")))
        digits.remove(0, 2);
    return digits;
}

quint32 hashOfMobile(const QString& key)
{
    return folded("m", key.toUtf8());
}

quint32 hashOfNameAndAddress(const QString& name, const QString& address)
{
    if (name.isEmpty() && address.isEmpty())
        return 0;
    return folded("n", (name + QChar(u'\n') + address).toUtf8());
}

quint32 hash(const QString& name, const QString& mobile, const QString& address)
{
    if (const QString key = RecipientKey::mobile(mobile); !key.isEmpty())
        return hashOfMobile(key);
    return hashOfNameAndAddress(name.trimmed(), address.trimmed());
}

quint32 hash(QByteArrayView name, QByteArrayView mobile, QByteArrayView address)
{
    char digits[16];
    qsizetype count = 0;
    bool plain = true;
    for (const char c : mobile) {
        if (uchar(c) >= 0x80) {
            plain = false; // digits of other scripts count too
            break;
        }
        if (c >= '0' && c <= '9') {
            if (count == qsizetype(sizeof digits)) {
                plain = false;
                break;
            }
            digits[count++] = c;
        }
    }
    if (!plain)
        return hash(QString::fromUtf8(name), QString::fromUtf8(mobile), QString::fromUtf8(address));
    if (count == 13 && digits[0] == '8' && digits[1] == '6')
        return folded("m", QByteArrayView(digits + 2, 11));
    if (count > 0)
        return folded("m", QByteArrayView(digits, count));
    return hashOfNameAndAddress(QString::fromUtf8(name).trimmed(),
                                QString::fromUtf8(address).trimmed());
}

} // namespace RecipientKey
