#include "exchange/sheet_file.h"

#include "exchange/biff8_reader.h"
#include "exchange/biff8_writer.h"
#include "exchange/compound_file.h"
#include "exchange/csv_reader.h"
#include "exchange/sheet_error.h"
#include "exchange/xlsx_reader.h"
#include "exchange/xlsx_writer.h"
#include "exchange/zip_archive.h"
#include "store/staged_file.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A recipient list is far smaller; anything bigger is not one.
constexpr qint64 maxFileSize = 256ll << 20;

// The file opened for reading, within the size of a recipient list.
void open(QFile& file)
{
    const QString path = file.fileName();
    // A pipe would block the open and a device would never end.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        throw SheetError("not a regular file: " + path.toStdString(), SheetError::Kind::NotAFile);
    if (!file.open(QIODevice::ReadOnly))
        throw SheetError("cannot open " + path.toStdString(),
                         file.exists() ? SheetError::Kind::Unopenable : SheetError::Kind::NotFound);
    if (file.size() > maxFileSize)
        throw SheetError("file too large", SheetError::Kind::TooLarge);
}

QString readWorkbook(const QByteArray& stream, SheetCells& cells)
{
    return Biff8Reader::readSheet(stream, SheetFile::sheetName, cells);
}

} // namespace

namespace SheetFile {

QString read(const QString& path, SheetCells& cells)
{
    QFile file(path);
    open(file);
    // Of a workbook only its stream is read, not the whole file besides; a
    // text is read a piece at a time.
    const QByteArray start = file.peek(CompoundFile::signature.size());
    if (CompoundFile::looksLike(start))
        return readWorkbook(CompoundFile::readStream(file, QStringLiteral("Workbook")), cells);
    if (ZipArchive::looksLike(start))
        return XlsxReader::readSheet(file.readAll(), sheetName, cells);
    CsvReader::read(file, cells);
    return {};
}

QString readBytes(const QByteArray& bytes, SheetCells& cells)
{
    if (CompoundFile::looksLike(bytes))
        return readWorkbook(CompoundFile::readStream(bytes, QStringLiteral("Workbook")), cells);
    if (ZipArchive::looksLike(bytes))
        return XlsxReader::readSheet(bytes, sheetName, cells);
    CsvReader::read(bytes, cells);
    return {};
}

bool isXlsxName(const QString& path)
{
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

void write(const QString& path, const SheetRows& rows)
{
    if (isXlsxName(path)) {
        XlsxWriter::write(path, rows);
        return;
    }
    const QByteArray file = CompoundFile::writeSingleStream(QStringLiteral("Workbook"),
                                                            Biff8Writer::workbookStream(rows));
    save(path, file);
}

void save(const QString& path, const QByteArray& bytes)
{
    try {
        // Over the file a link leads to, as the link's owner expects.
        const QFileInfo info(path);
        StagedFile staged(info.exists() ? info.canonicalFilePath() : path);
        QFile out(staged.path());
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw SheetError(out.errorString().toStdString());
        // A full disk first shortens a write without a reason; the next one
        // gives it.
        for (qsizetype at = 0; at < bytes.size();) {
            const qint64 n = out.write(bytes.constData() + at, bytes.size() - at);
            if (n <= 0)
                throw SheetError(out.errorString().toStdString());
            at += n;
        }
        out.close();
        staged.commit();
    } catch (const SheetError&) {
        throw;
    } catch (const CommandError& e) {
        throw SheetError(e.text(), e.detail(), SheetError::Kind::Damaged);
    }
}

} // namespace SheetFile
