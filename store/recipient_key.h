#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// How the address book knows a recipient: by the digits of the mobile, or
// without any by name and address, each trimmed.
namespace RecipientKey {

// The recipient columns the key is made of: name, mobile, address.
const QStringList& columns();

// The digits that identify a mobile: "+86 138-0013-8000" → "13800138000".
QString mobile(const QString& mobile);

// A recipient's key in 32 bits, 0 for a recipient without one (no mobile
// digits, no name, no address). Equal keys hash alike, whatever the
// mobile's punctuation; unequal keys rarely do.
quint32 hash(const QString& name, const QString& mobile, const QString& address);
// The same for a mobile key (mobile()) and for a name and address without one.
quint32 hashOfMobile(const QString& key);
quint32 hashOfNameAndAddress(const QString& name, const QString& address);
// The same from the UTF-8 a snapshot holds, without making strings for
// the plain digits most mobiles are.
quint32 hash(QByteArrayView name, QByteArrayView mobile, QByteArrayView address);

} // namespace RecipientKey
