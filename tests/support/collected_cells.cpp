#include "collected_cells.h"

#include "exchange/recipient_sheet.h"
#include "exchange/sheet_file.h"

namespace {

class Collector : public SheetCells {
public:
    void cell(std::uint32_t row, std::uint32_t column, const QString& text) override
    {
        if (text.isEmpty())
            return;
        while (rows.size() <= qsizetype(row))
            rows.append(QStringList());
        QStringList& cells = rows[row];
        while (cells.size() <= qsizetype(column))
            cells.append(QString());
        cells[column] = text;
    }
    SheetRows rows;
};

} // namespace

namespace CollectedCells {

SheetRows of(const std::function<void(SheetCells&)>& read)
{
    Collector collector;
    read(collector);
    return collector.rows;
}

SheetRows inFile(const QString& path)
{
    return of([&](SheetCells& cells) { SheetFile::read(path, cells); });
}

SheetRows recipientsInFile(const QString& path)
{
    RecipientSheet sheet;
    SheetFile::read(path, sheet);
    sheet.finish();
    SheetRows rows;
    for (qsizetype r = 0; r < sheet.rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < RecipientSheet::columnCount; ++c)
            values << sheet.value(r, c);
        rows << values;
    }
    return rows;
}

} // namespace CollectedCells
