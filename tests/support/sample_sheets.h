#pragma once

#include "exchange/sheet_import.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The sheets under tests/data, written by other programs, and the rows
// every one of them holds.
namespace SampleSheets {

QString path(const QString& name);
QList<QStringList> expectedRecipients(); // from recipients_expected.json
// How import.run(pathText) failed; nothing when the rows went in.
std::optional<ImportError> importFailure(SheetImport& import, const QString& pathText);

} // namespace SampleSheets
