#include "waybill/double_byte_wrap.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// A stands for one single-byte character, C for one Chinese character of two
// high bytes, "|" for the inserted CR LF.
QByteArray pattern(const QString& shape)
{
    static const QByteArray chinese = Gb18030::encode(QStringLiteral(u"中"));
    QByteArray out;
    const QStringList parts = shape.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("|")) {
            out += "\r\n";
            continue;
        }
        const int count = part.chopped(1).toInt();
        for (int i = 0; i < count; ++i)
            out += part.endsWith(QLatin1Char('A')) ? QByteArray("a") : chinese;
    }
    return out;
}

bool isLead(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// Start offsets of every character of a GB18030 byte string.
QList<qsizetype> characterStarts(const QByteArray& s)
{
    QList<qsizetype> starts;
    for (qsizetype at = 0; at < s.size();) {
        starts << at;
        const auto b = static_cast<unsigned char>(s.at(at));
        if (!isLead(b) || at + 1 >= s.size())
            at += 1;
        else if (s.at(at + 1) >= '0' && s.at(at + 1) <= '9')
            at += 4;
        else
            at += 2;
    }
    return starts;
}

} // namespace

class WaybillWrapTest : public QObject {
    Q_OBJECT
private slots:
    void workedExamples_data();
    void workedExamples();
    void mixedTextNeverSplitsACharacter_data();
    void mixedTextNeverSplitsACharacter();
    void lowSecondByteTurnsTheParity();
    void ownLineBreaksAreOrdinaryBytes();
    void textIsWrappedThroughGb18030();
    void randomMixedTextKeepsEveryCharacterWhole();
};

void WaybillWrapTest::workedExamples_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("30: 10 A") << 30 << "10A"
                              << "10A |";
    QTest::newRow("30: 28 A") << 30 << "28A"
                              << "28A |";
    QTest::newRow("30: 29 A") << 30 << "29A"
                              << "28A | 1A";
    QTest::newRow("30: 30 A") << 30 << "30A"
                              << "28A | 2A |";
    QTest::newRow("30: 70 A") << 30 << "70A"
                              << "28A | 28A | 14A |";
    QTest::newRow("30: 115 A") << 30 << "115A"
                               << "28A | 28A | 28A | 28A | 3A";
    QTest::newRow("16: 120 A") << 16 << "120A"
                               << "14A | 14A | 14A | 14A | 14A | 14A | 14A | 14A | 8A";
    QTest::newRow("30: 14 C") << 30 << "14C"
                              << "14C |";
    QTest::newRow("30: 15 C") << 30 << "15C"
                              << "14C | 1C |";
    QTest::newRow("30: 20 C") << 30 << "20C"
                              << "14C | 6C |";
    QTest::newRow("30: 30 C") << 30 << "30C"
                              << "14C | 14C | 2C |";
    QTest::newRow("30: 43 C") << 30 << "43C"
                              << "14C | 14C | 14C | 1C";
    QTest::newRow("22: 11 C") << 22 << "11C"
                              << "10C | 1C |";
    QTest::newRow("22: 60 C") << 22 << "60C"
                              << "10C | 10C | 10C | 10C | 10C | 10C |";
    QTest::newRow("16: 8 C") << 16 << "8C"
                             << "7C | 1C |";
    QTest::newRow("16: 1 A 8 C") << 16 << "1A 8C"
                                 << "1A 7C | 1C |";
    QTest::newRow("30: 1 A 15 C") << 30 << "1A 15C"
                                  << "1A 14C | 1C |";
    QTest::newRow("30: 2 A 14 C") << 30 << "2A 14C"
                                  << "2A 13C | 1C |";
    // The count would put these breaks between the two bytes of a
    // character; the character goes whole to the next line instead.
    QTest::newRow("16: 1 A 7 C 1 A") << 16 << "1A 7C 1A"
                                     << "1A 6C | 1C 1A |";
    QTest::newRow("30: 1 A 14 C") << 30 << "1A 14C"
                                  << "1A 13C | 1C";
}

void WaybillWrapTest::workedExamples()
{
    QFETCH(int, width);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QByteArray input = pattern(text);
    const QByteArray before = input;
    QCOMPARE(wrapDoubleByteBytes(input, width), pattern(expected));
    QCOMPARE(input, before);
}

void WaybillWrapTest::mixedTextNeverSplitsACharacter_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // Even count at the window's end, a character across bytes W-2 and W-1.
    QTest::newRow("22: 1 A 10 C 1 A") << 22 << "1A 10C 1A"
                                      << "1A 9C | 1C 1A |";
    QTest::newRow("16: 3 A 6 C 1 A") << 16 << "3A 6C 1A"
                                     << "3A 5C | 1C 1A |";
    QTest::newRow("16: 1 A 7 C 2 A") << 16 << "1A 7C 2A"
                                     << "1A 6C | 1C 2A |";
    // Odd count at the window's end: the character it cuts moves whole.
    QTest::newRow("16: 3 A 7 C") << 16 << "3A 7C"
                                 << "3A 6C | 1C |";
}

void WaybillWrapTest::mixedTextNeverSplitsACharacter()
{
    QFETCH(int, width);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(wrapDoubleByteBytes(pattern(text), width), pattern(expected));
}

void WaybillWrapTest::lowSecondByteTurnsTheParity()
{
    // 丂 is 0x81 0x40: one high byte. With it first, 14 bytes of 中 follow
    // and the window of 16 counts 15 high bytes (odd): p = 16 falls inside
    // the seventh 中, which moves whole.
    const QByteArray low = Gb18030::encode(QStringLiteral(u"丂"));
    QCOMPARE(low, QByteArray("\x81\x40"));
    const QByteArray text = low + pattern("7C");
    QCOMPARE(wrapDoubleByteBytes(text, 16), low + pattern("6C | 1C |"));
    // 1 A, 丂, 6 C, 1 A: h = 13 (odd) at byte 16, p = 16, which is where the
    // last A starts.
    const QByteArray mixed = "a" + low + pattern("6C") + "b";
    QCOMPARE(wrapDoubleByteBytes(mixed, 16), "a" + low + pattern("6C") + "\r\nb\r\n");
    // Two low-second-byte characters keep the parity: 丂丂 + 6 C = 16 bytes,
    // h = 14 (even), the break goes before byte 15 as in Chinese-only text.
    const QByteArray twice = low + low + pattern("6C");
    QCOMPARE(wrapDoubleByteBytes(twice, 16), low + low + pattern("5C | 1C |"));
}

void WaybillWrapTest::ownLineBreaksAreOrdinaryBytes()
{
    // The stored CR LF keeps its place; the inserted break still falls at
    // the fixed position, counted over the whole text.
    const QByteArray text = "ab\r\ncdefghijklmnopqrst"; // 22 bytes
    QCOMPARE(wrapDoubleByteBytes(text, 16), QByteArray("ab\r\ncdefghijkl\r\nmnopqrst\r\n"));
}

void WaybillWrapTest::textIsWrappedThroughGb18030()
{
    const QString address = QStringLiteral(u"北京市朝阳区建国路八十八号现代城写字楼一号楼");
    QCOMPARE(WrapDoubleByteText(address, 30),
             QStringLiteral(u"北京市朝阳区建国路八十八号现\r\n代城写字楼一号楼\r\n"));
    // A character outside GBK takes four bytes and stays whole.
    const QString rare = QStringLiteral(u"a中中中中中中😀");
    const QString wrapped = WrapDoubleByteText(rare, 16);
    QCOMPARE(QString(wrapped).remove(QStringLiteral("\r\n")), rare);
    QVERIFY(wrapped.contains(QStringLiteral(u"\r\n😀")));
}

void WaybillWrapTest::randomMixedTextKeepsEveryCharacterWhole()
{
    const QString pool = QStringLiteral(u"ab1 -中国丂乚廾顺丰快递𠀀");
    QRandomGenerator random(20261208);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(0, 60);
        for (int i = 0; i < length; ++i) {
            const int at = random.bounded(int(pool.size()));
            if (pool.at(at).isHighSurrogate())
                text += pool.mid(at, 2);
            else if (!pool.at(at).isLowSurrogate())
                text += pool.at(at);
        }
        const QByteArray bytes = Gb18030::encode(text);
        for (int width : {16, 22, 30}) {
            const QByteArray wrapped = wrapDoubleByteBytes(bytes, width);
            const qsizetype n = bytes.size() / width + 1;
            QCOMPARE(wrapped.count("\r\n"), n);
            QCOMPARE(QByteArray(wrapped).replace("\r\n", ""), bytes);
            // Every pair starts on a character boundary of the result.
            const QList<qsizetype> starts = characterStarts(wrapped);
            for (qsizetype at = wrapped.indexOf("\r\n"); at >= 0;
                 at = wrapped.indexOf("\r\n", at + 2))
                QVERIFY2(starts.contains(at), qPrintable(text));
        }
    }
}

QTEST_GUILESS_MAIN(WaybillWrapTest)
#include "waybill_wrap_test.moc"
