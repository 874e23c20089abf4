#include "exchange/sheet_file.h"

#include "exchange/biff8_reader.h"
#include "exchange/biff8_writer.h"
#include "exchange/compound_file.h"
#include "exchange/csv_reader.h"
#include "exchange/csv_writer.h"
#include "exchange/sheet_error.h"
#include "exchange/xlsx_reader.h"
#include "exchange/xlsx_writer.h"
#include "exchange/zip_archive.h"
#include "store/staged_file.h"
#include "store/temporary_files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

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

// Writes that go on to their end or throw with the system's reason.
class Output {
public:
    explicit Output(const QString& path) : m_file(path)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            fail();
    }

    void put(QByteArrayView bytes)
    {
        // A full disk first shortens a write without a reason; the next one
        // gives it.
        for (qsizetype at = 0; at < bytes.size();) {
            const qint64 n = m_file.write(bytes.constData() + at, bytes.size() - at);
            if (n <= 0)
                fail();
            at += n;
        }
    }

private:
    [[noreturn]] void fail() { throw SheetError(m_file.errorString().toStdString()); }

    QFile m_file;
};

// The library says a full disk only as a failed zip, and on standard error:
// it writes to a scratch folder, the copy from there gives the system's
// reason.
void writeXlsx(const SheetSource& rows, Output& out)
{
    QTemporaryDir scratch(TemporaryFiles::scratchTemplate());
    if (!scratch.isValid())
        throw SheetError("xlsx: " + scratch.errorString().toStdString());
    QFile book(scratch.filePath(QStringLiteral("book.xlsx")));
    XlsxWriter::write(book.fileName(), rows);
    if (!book.open(QIODevice::ReadOnly))
        throw SheetError("xlsx: " + book.errorString().toStdString());
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = book.read(piece.data(), piece.size());
        if (n < 0)
            throw SheetError("xlsx: " + book.errorString().toStdString());
        if (n == 0)
            return;
        out.put(QByteArrayView(piece.constData(), n));
    }
}

// `fill` writes the file whose path it is given, which then becomes `path`.
void staged(const QString& path, const std::function<void(const QString&)>& fill)
{
    try {
        // Over the file a link leads to, as the link's owner expects.
        const QFileInfo info(path);
        StagedFile file(info.exists() ? info.canonicalFilePath() : path);
        fill(file.path());
        file.commit();
    } catch (const SheetError&) {
        throw;
    } catch (const CommandError& e) {
        throw SheetError(e.text(), e.detail(), SheetError::Kind::Damaged);
    }
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

bool isCsvName(const QString& path)
{
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

void write(const QString& path, const SheetSource& rows)
{
    staged(path, [&](const QString& file) {
        Output out(file);
        if (isXlsxName(path)) {
            writeXlsx(rows, out);
            return;
        }
        if (isCsvName(path)) {
            out.put(QByteArrayLiteral("\xEF\xBB\xBF"));
            CsvWriter::write(rows, [&](const QByteArray& piece) { out.put(piece); });
            return;
        }
        out.put(CompoundFile::writeSingleStream(QStringLiteral("Workbook"),
                                                Biff8Writer::workbookStream(rows)));
    });
}

} // namespace SheetFile
