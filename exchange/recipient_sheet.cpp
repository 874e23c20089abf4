#include "exchange/recipient_sheet.h"

#include "exchange/sheet_error.h"
#include "store/schema.h"

#include <algorithm>

namespace RecipientSheet {

SheetRows recipients(const SheetRows& sheet)
{
    const auto isBlank = [](const QStringList& row) {
        return std::all_of(row.begin(), row.end(), [](const QString& c) { return c.isEmpty(); });
    };
    const auto titleRow = std::find_if_not(sheet.begin(), sheet.end(), isBlank);
    if (titleRow == sheet.end())
        throw SheetError("the sheet is empty");

    const QStringList& columns = Schema::recipientColumns();
    QList<qsizetype> source;
    for (const QString& title : columns) {
        const qsizetype at = titleRow->indexOf(title);
        if (at < 0)
            throw SheetError("no column titled " + title.toStdString());
        source.append(at);
    }

    SheetRows out;
    for (auto row = titleRow + 1; row != sheet.end(); ++row) {
        QStringList values;
        values.reserve(columns.size());
        bool any = false;
        for (qsizetype at : source) {
            values.append(row->value(at));
            any = any || !values.last().isEmpty();
        }
        if (any)
            out.append(values);
    }
    return out;
}

} // namespace RecipientSheet
