#include "waybill/pdf_join.h"

#include "store/temporary_files.h"
#include "waybill/print_error.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// "0000001234 00000 n \n": every entry of a cross-reference table.
constexpr qsizetype entrySize = 20;
// Entries read from a part's table at a time.
constexpr qsizetype entriesPerRead = 4096;

QByteArray entry(qint64 offset)
{
    return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isDelimiter(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '/' || c == '[' || c == ']' ||
           c == '<' || c == '>';
}

// The number after `key` ("/Root " in "/Root 2 0 R"); -1 when not there.
qint64 numberAfter(QByteArrayView text, QByteArrayView key)
{
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return -1;
    qsizetype end = at + key.size();
    while (end < text.size() && isDigit(text[end]))
        ++end;
    bool ok = false;
    const qint64 n = text.sliced(at + key.size(), end - at - key.size()).toLongLong(&ok);
    return ok ? n : -1;
}

// `text` with every reference "N 0 R" made one to N + `shift`.
QByteArray shifted(QByteArrayView text, qint64 shift)
{
    static const QByteArrayView reference(" 0 R");
    QByteArray out;
    out.reserve(text.size() + 32);
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(reference); at >= 0;
         at = text.indexOf(reference, at + reference.size())) {
        const qsizetype after = at + reference.size();
        if (after < text.size() && !isDelimiter(text[after]))
            continue;
        qsizetype start = at;
        while (start > 0 && isDigit(text[start - 1]))
            --start;
        if (start == at || (start > 0 && !isDelimiter(text[start - 1])))
            continue;
        out += text.sliced(copied, start - copied);
        out += QByteArray::number(text.sliced(start, at - start).toLongLong() + shift);
        copied = at;
    }
    out += text.sliced(copied);
    return out;
}

} // namespace

PdfJoin::PdfJoin(const QString& path, const QString& shown)
    : m_shown(shown), m_out(path), m_table(TemporaryFiles::stagedTemplate(path))
{
    if (!m_out.open(QIODevice::WriteOnly | QIODevice::Truncate) || !m_table.open())
        fail();
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

void PdfJoin::fail() const
{
    throw PrintError(QStringLiteral(u"无法写入 %1").arg(m_shown));
}

void PdfJoin::damaged(const QString& part) const
{
    throw PrintError(
        QStringLiteral(u"无法写入 %1：%2 不完整").arg(m_shown, QFileInfo(part).fileName()));
}

void PdfJoin::write(const QByteArray& bytes)
{
    if (m_out.write(bytes) != bytes.size())
        fail();
    m_written += bytes.size();
}

void PdfJoin::beginObject(qint64 number)
{
    if (number != m_nextNumber)
        fail();
    const QByteArray e = entry(m_written);
    if (m_table.write(e) != e.size())
        fail();
    ++m_nextNumber;
}

void PdfJoin::append(const QString& part)
{
    QFile in(part);
    if (!in.open(QIODevice::ReadOnly))
        damaged(part);
    const qint64 size = in.size();
    in.seek(std::max<qint64>(0, size - 64));
    const QByteArray tail = in.read(64);
    const qint64 tableAt = numberAfter(tail, "startxref\n");
    if (tableAt <= 0 || tableAt >= size || !in.seek(tableAt))
        damaged(part);
    // Qt writes one section from object 0: "xref\n0 N\n".
    const QByteArray head = in.read(32);
    const qsizetype headEnd = head.indexOf('\n', 7);
    const qint64 count = numberAfter(head, "xref\n0 ");
    if (!head.startsWith("xref\n0 ") || headEnd < 0 || count < 2)
        damaged(part);
    const qint64 entriesAt = tableAt + headEnd + 1;
    QList<qint64> offsets(count, -1);
    in.seek(entriesAt);
    for (qint64 first = 0; first < count; first += entriesPerRead) {
        const qint64 n = std::min<qint64>(entriesPerRead, count - first);
        const QByteArray entries = in.read(n * entrySize);
        if (entries.size() != n * entrySize)
            damaged(part);
        for (qint64 i = 0; i < n; ++i) {
            const QByteArrayView e(entries.constData() + i * entrySize, entrySize);
            if (e[17] == 'n')
                offsets[first + i] = e.first(10).toLongLong();
        }
    }
    const QByteArray trailer = in.read(std::min<qint64>(4096, size - in.pos()));
    const qint64 root = numberAfter(trailer, "/Root ");
    const qint64 info = numberAfter(trailer, "/Info ");
    if (root <= 0 || root >= count)
        damaged(part);

    // Where each object ends: where the next one in the file starts.
    QList<qint64> starts;
    starts.reserve(count);
    for (const qint64 at : std::as_const(offsets))
        if (at > 0)
            starts << at;
    std::sort(starts.begin(), starts.end());
    starts << tableAt;
    const auto object = [&](qint64 number) {
        const qint64 at = offsets.at(number);
        const qint64 end = *std::upper_bound(starts.cbegin(), starts.cend(), at);
        in.seek(at);
        const QByteArray bytes = in.read(end - at);
        if (bytes.size() != end - at || !bytes.startsWith(QByteArray::number(number) + " 0 obj"))
            damaged(part);
        return bytes;
    };

    const qint64 pages = numberAfter(object(root), "/Pages ");
    if (pages <= 0 || pages >= count || offsets.at(pages) < 0)
        damaged(part);
    const qint64 shift = m_nextNumber - 1;
    const bool first = m_kids.isEmpty();
    for (qint64 number = 1; number < count; ++number) {
        const qint64 renumbered = number + shift;
        beginObject(renumbered);
        // The catalogue, and the document information of all but the
        // first part, give way to the joined document's own.
        if (offsets.at(number) < 0 || number == root || (number == info && !first)) {
            write(QByteArray::number(renumbered) + " 0 obj\nnull\nendobj\n");
            continue;
        }
        const QByteArray bytes = object(number);
        const qsizetype headerEnd = bytes.indexOf('\n');
        const qsizetype streamAt = bytes.indexOf(">>\nstream\n");
        // Stream data is never rewritten: a stream laid out otherwise than
        // Qt lays it out is refused rather than guessed at.
        if (streamAt < 0 && bytes.contains("endstream"))
            damaged(part);
        const qsizetype textEnd = streamAt < 0 ? bytes.size() : streamAt + 2;
        QByteArray text =
            shifted(QByteArrayView(bytes).sliced(headerEnd, textEnd - headerEnd), shift);
        if (number == pages) {
            const qint64 pageCount = numberAfter(text, "/Count ");
            if (pageCount < 0 || !text.startsWith("\n<<"))
                damaged(part);
            m_pageCount += pageCount;
            m_kids << renumbered;
            text.insert(3, "\n/Parent 1 0 R");
        }
        if (number == info)
            m_info = renumbered;
        write(QByteArray::number(renumbered) + " 0 obj" + text);
        if (textEnd < bytes.size())
            write(bytes.sliced(textEnd));
    }
}

void PdfJoin::finish()
{
    const qint64 rootAt = m_written;
    QByteArray kids;
    for (const qint64 kid : std::as_const(m_kids))
        kids += QByteArray::number(kid) + " 0 R\n";
    write("1 0 obj\n<<\n/Type /Pages\n/Kids \n[\n" + kids + "]\n/Count " +
          QByteArray::number(m_pageCount) + "\n>>\nendobj\n");
    const qint64 catalogueAt = m_written;
    write("2 0 obj\n<<\n/Type /Catalog\n/Pages 1 0 R\n>>\nendobj\n");
    const qint64 tableAt = m_written;
    write("xref\n0 3\n0000000000 65535 f \n" + entry(rootAt) + entry(catalogueAt) + "3 " +
          QByteArray::number(m_nextNumber - 3) + '\n');
    if (!m_table.seek(0))
        fail();
    while (!m_table.atEnd()) {
        const QByteArray entries = m_table.read(entrySize * entriesPerRead);
        if (entries.isEmpty())
            fail();
        write(entries);
    }
    QByteArray trailer = "trailer\n<<\n/Size " + QByteArray::number(m_nextNumber);
    if (m_info > 0)
        trailer += "\n/Info " + QByteArray::number(m_info) + " 0 R";
    write(trailer + "\n/Root 2 0 R\n>>\nstartxref\n" + QByteArray::number(tableAt) + "\n%%EOF\n");
    if (!m_out.flush())
        fail();
    m_out.close();
}
