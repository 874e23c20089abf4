#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The sheets under tests/data, written by other programs, and the rows
// every one of them holds.
namespace SampleSheets {

QString path(const QString& name);
QList<QStringList> expectedRecipients(); // from recipients_expected.json

} // namespace SampleSheets
