#include "records/address_parser.h"

#include "records/division_table.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace {

enum class Label { Name, Phone, Address, Postcode, Company, Remarks };

const QHash<QString, Label>& labelWords()
{
    static const QHash<QString, Label> words = [] {
        QHash<QString, Label> w;
        const auto add = [&w](Label kind, const char16_t* list) {
            for (const QString& word : QString::fromUtf16(list).split(u' ', Qt::SkipEmptyParts))
                w.insert(word, kind);
        };
        add(Label::Name, u"收件人姓名 收货人姓名 收件人名字 收货人名字 收件人 收货人 联系人 姓名 "
                         u"名字 客户姓名 买家姓名 name");
        add(Label::Phone, u"收件人手机号码 收件人手机号 收件人手机 收货人手机号码 收货人手机号 "
                          u"收货人手机 收件人电话 收货人电话 联系手机 联系电话 联系方式 手机号码 "
                          u"手机号 电话号码 手机 电话 固话 座机 tel mobile phone");
        add(Label::Address, u"收件人地址 收货人地址 收件地址 收货地址 详细地址 所在地区 地址 "
                            u"address addr");
        add(Label::Postcode, u"邮政编码 邮编");
        add(Label::Company, u"单位名称 公司名称 公司 单位");
        add(Label::Remarks, u"备注 留言 买家留言");
        return w;
    }();
    return words;
}

// "姓名：", "电话:" anywhere; a label without a colon only where it starts a
// word and is followed by a blank or the number ("电话 0755…", "手机138…").
const QRegularExpression& labelPattern()
{
    static const QRegularExpression pattern = [] {
        QStringList words = labelWords().keys();
        std::sort(words.begin(), words.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        const QString any = words.join(u'|');
        return QRegularExpression(
            QStringLiteral(R"((?:(%1)\s*:|(?<![\p{Han}A-Za-z])(%1)(?=\s|\d|\+|\()))").arg(any),
            QRegularExpression::CaseInsensitiveOption);
    }();
    return pattern;
}

// 86 in front only as +86, 0086, (86) or a word of its own, never the end
// of a house number ("解放路86 138…").
const QRegularExpression mobilePattern(QStringLiteral(
    R"((?<!\d)(?:(?:\+|00)86[- ]?|(?<![\dA-Za-z\p{Han}])86[- ]?|\(\+?86\) ?)?(1[3-9]\d)[- ]?(\d{4})[- ]?(\d{4})(?!\d))"));
// Area codes: 010 and 02x have three digits, all others four.
const QRegularExpression landlinePattern(QStringLiteral(
    R"((?<!\d)\(?(010|02\d|0[3-9]\d\d)\)?[- ]?(\d{3,4})[- ]?(\d{4})(?:(?:-|转|分机)(\d{1,5}))?(?!\d))"));
// Hong Kong, Macao and Taiwan only with their country code: "+852 9123 4567",
// "+886 912 345 678".
const QRegularExpression outsidePattern(QStringLiteral(
    R"((?<![\d+])(?:\+|00)(?:(852|853)[- ]?(\d{4})[- ]?(\d{4})|(886)[- ]?0?(9\d\d)[- ]?(\d{3})[- ]?(\d{3}))(?!\d))"));
const QRegularExpression localNumberPattern(QStringLiteral(R"(^\D{0,3}(\d{7,8})(?!\d))"));
const QRegularExpression postcodePattern(QStringLiteral(R"((?<![\d\w])([0-8]\d{5})(?![\d\w]))"));
const QRegularExpression edgeSeparators(QStringLiteral(R"(^[\s,;|/、。]+|[\s,;|/、。]+$)"));
const QRegularExpression separator(QStringLiteral(R"([\s,;|/、。])"));
const QRegularExpression sixDigits(QStringLiteral(R"((\d{6}))"));
const QRegularExpression separators(QStringLiteral(R"([\n\r\t,;:|/、。]+)"));
// A title we do not know ("订单号：", "收货信息：") is not part of a value.
const QRegularExpression
    otherTitle(QStringLiteral(R"((?<![\p{Han}A-Za-z])[\p{Han}A-Za-z]{2,8}\s*:)"));
const QRegularExpression blanks(QStringLiteral(R"(\s+)"));

// Marks of an address in a word that names no province or city.
const QString addressMarks =
    QStringLiteral(u"省市区县镇乡村路街道巷弄号栋幢楼室层座院园苑厦场城湾");
// Characters that never end a name, to tell "张三" from "科技园".
const QString nonNameCharacters = QStringLiteral(u"省市区县镇乡路街道巷弄号栋幢楼室层座院");
// Words of chats that look like a two-character name.
const QStringList chatWords = QString::fromUtf16(u"谢谢 你好 您好 麻烦 老板 亲爱的 顺丰 快递 到付 "
                                                 u"寄付 包邮 加急 尽快 发货 收件 收货 地址 电话")
                                  .split(u' ');
// Common surnames, to find a name glued to an address ("张三广东省…").
const QString surnames = QStringLiteral(
    u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏"
    u"吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱"
    u"严覃武戴莫孔向汤常温康施文牛樊葛邢安齐易乔伍庞颜倪庄聂章鲁岳翟殷詹申欧耿关兰焦俞左柳甘祝包宁"
    u"尚符舒阮柯纪梅童凌毕单季裴霍涂成苗谷盛曲翁冉骆蓝路游辛靳管柴蒙鲍华喻祁蒲房滕屈饶解牟艾尤阳时"
    u"穆农司卓古吉缪简车项连芦麦褚娄窦戚岑景党宫费卜冷晏席卫米柏宗瞿桂全佟应臧闵苟邬边卞姬师和仇栾"
    u"隋商刁沙荣巫寇桑郎甄丛仲虞敖巩明佘池查麻苑迟邝");

bool isHan(QChar c)
{
    return c.script() == QChar::Script_Han;
}

bool allHan(QStringView w)
{
    return !w.isEmpty() && std::all_of(w.begin(), w.end(), isHan);
}

// Also a long number that is no phone: an order number, a phone we could
// not read; it is no part of an address.
bool isJunk(QStringView w)
{
    const auto digit = [](QChar c) { return c.isDigit(); };
    return std::none_of(w.begin(), w.end(), [](QChar c) { return c.isLetterOrNumber(); }) ||
           (w.size() >= 7 && std::all_of(w.begin(), w.end(), digit)) ||
           labelWords().contains(w.toString().toLower()) || chatWords.contains(w);
}

bool hasPlace(QStringView w)
{
    return DivisionTable::national().locate(w).province >= 0;
}

// `strict` for a word beside others: it must hold nothing that marks an
// address ("万科城", "科技园").
bool nameLike(QStringView w, bool strict)
{
    if (chatWords.contains(w) || DivisionTable::national().isPlaceName(w))
        return false;
    // Names of some peoples: "买买提·艾力".
    if (w.contains(u'·')) {
        const auto parts = w.split(u'·');
        return w.size() <= 15 && std::all_of(parts.begin(), parts.end(), allHan);
    }
    if (!allHan(w) || w.size() < 2 || w.size() > 5)
        return false;
    const QString& excluded = strict ? addressMarks : nonNameCharacters;
    if (std::any_of(w.begin(), w.end(), [&](QChar c) { return excluded.contains(c); }))
        return false;
    if (w.size() == 5 && !(w.endsWith(u"先生") || w.endsWith(u"女士") || w.endsWith(u"小姐")))
        return false;
    return !hasPlace(w);
}

bool addressLike(QStringView w)
{
    if (hasPlace(w))
        return true;
    if (std::any_of(w.begin(), w.end(), [](QChar c) { return addressMarks.contains(c); }))
        return true;
    const bool digit = std::any_of(w.begin(), w.end(), [](QChar c) { return c.isDigit(); });
    return (digit && std::any_of(w.begin(), w.end(), isHan)) || (allHan(w) && w.size() >= 8);
}

// Pieces of text join without a blank, except between two latin words.
void appendWord(QString& text, QStringView word)
{
    if (!text.isEmpty() && text.back().unicode() < 128 && text.back().isLetterOrNumber() &&
        word.front().unicode() < 128 && word.front().isLetterOrNumber())
        text += u' ';
    text += word;
}

QList<QStringList> segmentsOf(const QString& text)
{
    QList<QStringList> out;
    for (const QString& segment : text.split(separators, Qt::SkipEmptyParts)) {
        QStringList words;
        for (const QString& w : segment.split(blanks, Qt::SkipEmptyParts))
            if (!isJunk(w))
                words << w;
        if (!words.isEmpty())
            out << words;
    }
    return out;
}

struct Piece {
    std::optional<Label> label;
    QString text;
};

QList<Piece> piecesOf(const QString& text)
{
    QList<Piece> pieces;
    qsizetype at = 0;
    std::optional<Label> label;
    QRegularExpressionMatchIterator it = labelPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        pieces.append({label, text.mid(at, m.capturedStart() - at)});
        const QString word = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        label = labelWords().value(word.toLower());
        at = m.capturedEnd();
    }
    pieces.append({label, text.mid(at)});
    return pieces;
}

QString firstWord(QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype end = trimmed.indexOf(separator);
    const QString word = end < 0 ? trimmed : trimmed.left(end);
    text = end < 0 ? QString() : trimmed.mid(end);
    return word;
}

class Parse {
public:
    explicit Parse(const QString& text);
    ParsedRecipient result;

private:
    void takePhones(Piece& piece);
    void takePostcode(Piece& piece, bool standaloneOnly);
    void chooseName(QList<QStringList>& segments);
    void splitGluedName(QList<QStringList>& segments);
    QString joinAddress(const QList<QStringList>& segments, bool all) const;

    QStringList m_mobiles;
    QStringList m_landlines;
};

Parse::Parse(const QString& raw)
{
    QString text = raw.normalized(QString::NormalizationForm_KC);
    text.replace(u'\u2014', u'-').replace(u'\u2013', u'-');
    for (const char16_t dot : {u'\u2022', u'\u30fb', u'\uff65', u'\u2027'})
        text.replace(dot, u'\u00b7');
    QList<Piece> pieces = piecesOf(text);
    // A company or a note is one line, and an address goes on only over the
    // lines that read as one: the other lines are the name and numbers of a
    // text that labels only some of its lines.
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const std::optional<Label> label = pieces[i].label;
        if (label != Label::Company && label != Label::Remarks && label != Label::Address)
            continue;
        QString& t = pieces[i].text;
        qsizetype start = 0;
        while (start < t.size() && t.at(start).isSpace())
            ++start;
        const qsizetype end = t.indexOf(u'\n', start);
        if (end < 0)
            continue;
        const QStringList lines = t.mid(end + 1).split(u'\n');
        t.truncate(end);
        for (const QString& line : lines) {
            const QList<QStringList> segments = segmentsOf(line);
            const bool address =
                label == Label::Address &&
                std::any_of(segments.begin(), segments.end(), [](const QStringList& words) {
                    return std::any_of(words.begin(), words.end(),
                                       [](const QString& w) { return addressLike(w); });
                });
            pieces.insert(++i, {address ? label : std::nullopt, u'\n' + line});
        }
    }
    for (Piece& p : pieces)
        p.text.remove(otherTitle);

    QString unlabelled;
    QString labelledAddress;
    for (Piece& p : pieces) {
        if (p.label == Label::Remarks || p.label == Label::Company) {
            (p.label == Label::Remarks ? result.remarks : result.company) =
                QString(p.text).remove(edgeSeparators);
            continue;
        }
        const qsizetype numbersBefore = m_mobiles.size() + m_landlines.size();
        takePhones(p);
        if (p.label == Label::Phone) {
            // A number without area code counts only where it is labelled.
            if (m_mobiles.size() + m_landlines.size() == numbersBefore)
                if (const auto m = localNumberPattern.match(p.text); m.hasMatch()) {
                    m_landlines << m.captured(1);
                    p.text.remove(m.capturedStart(1), m.capturedLength(1));
                }
            unlabelled += u'\n' + p.text;
        } else if (p.label == Label::Postcode) {
            takePostcode(p, false);
            unlabelled += u'\n' + p.text;
        } else if (p.label == Label::Name) {
            const QString word = firstWord(p.text);
            if (result.name.isEmpty() && !isJunk(word))
                result.name = word;
            unlabelled += u'\n' + p.text;
        } else if (p.label == Label::Address) {
            takePostcode(p, true);
            labelledAddress += u'\n' + p.text;
        } else {
            unlabelled += u'\n' + p.text;
        }
    }
    m_mobiles.removeDuplicates();
    if (!m_mobiles.isEmpty())
        result.mobile = m_mobiles.first();
    if (!m_landlines.isEmpty())
        result.phone = m_landlines.first();
    else if (m_mobiles.size() > 1)
        result.phone = m_mobiles.at(1);

    QList<QStringList> segments = segmentsOf(unlabelled);
    if (result.postcode.isEmpty())
        for (QStringList& words : segments)
            for (qsizetype i = 0; i < words.size() && result.postcode.isEmpty(); ++i)
                if (postcodePattern.match(words.at(i)).capturedLength() == words.at(i).size())
                    result.postcode = words.takeAt(i);
    segments.removeIf([](const QStringList& words) { return words.isEmpty(); });
    if (result.name.isEmpty())
        chooseName(segments);

    QString address;
    if (!labelledAddress.trimmed().isEmpty()) {
        address = joinAddress(segmentsOf(labelledAddress), true);
    } else {
        if (result.name.isEmpty())
            splitGluedName(segments);
        address = joinAddress(segments, false);
    }
    if (address.isEmpty())
        return;
    const DivisionTable::Location place = DivisionTable::national().locate(address);
    result.address = place.address;
    result.destination = place.destination();
}

void Parse::takePhones(Piece& piece)
{
    // Each number found becomes a line break and the search goes on after
    // it, so the work grows with the text, not with the text times its
    // numbers. The patterns look back one character only: the one before
    // where the search goes on is made that line break too.
    QString& text = piece.text;
    // Checked once here, not by every search of the whole text again.
    const QRegularExpression::MatchOptions checked =
        QStringView(text).isValidUtf16() ? QRegularExpression::DontCheckSubjectStringMatchOption
                                         : QRegularExpression::NoMatchOption;
    for (const auto* pattern : {&outsidePattern, &mobilePattern, &landlinePattern}) {
        QString taken;
        qsizetype copied = 0;
        for (;;) {
            const QRegularExpressionMatch m =
                pattern->match(QStringView(text), copied, QRegularExpression::NormalMatch, checked);
            if (!m.hasMatch())
                break;
            if (pattern == &outsidePattern) {
                QStringList parts;
                for (int i = 1; i <= m.lastCapturedIndex(); ++i)
                    if (m.capturedLength(i))
                        parts << m.captured(i);
                m_landlines << u'+' + parts.join(u' ');
            } else if (pattern == &mobilePattern) {
                m_mobiles << m.captured(1) + m.captured(2) + m.captured(3);
            } else {
                QString number = m.captured(1) + u'-' + m.captured(2) + m.captured(3);
                if (m.capturedLength(4))
                    number += u'-' + m.captured(4);
                m_landlines << number;
            }
            taken += QStringView(text).sliced(copied, m.capturedStart() - copied);
            taken += u'\n';
            copied = m.capturedEnd();
            text[copied - 1] = u'\n';
        }
        if (copied > 0) {
            taken.append(QStringView(text).sliced(copied));
            text = taken;
        }
    }
}

void Parse::takePostcode(Piece& piece, bool standaloneOnly)
{
    const QRegularExpressionMatch m =
        (standaloneOnly ? postcodePattern : sixDigits).match(piece.text);
    if (!m.hasMatch() || !result.postcode.isEmpty())
        return;
    if (standaloneOnly) {
        // Inside an address a number is a postcode only at the end.
        const QStringView after = QStringView(piece.text).mid(m.capturedEnd());
        if (std::any_of(after.begin(), after.end(), [](QChar c) { return c.isLetterOrNumber(); }))
            return;
    }
    result.postcode = m.captured(1);
    piece.text.replace(m.capturedStart(1), m.capturedLength(1), u'\n');
}

void Parse::chooseName(QList<QStringList>& segments)
{
    // A word on its own line or between separators before the first or last
    // word of a group, and one that starts with a common surname before any
    // other: a note or a greeting may stand on a line of its own too.
    QStringList* best = nullptr;
    qsizetype bestAt = 0;
    int bestRank = -1;
    for (QStringList& words : segments)
        for (const qsizetype i : {qsizetype(0), words.size() - 1}) {
            const bool alone = words.size() == 1;
            if (!nameLike(words.at(i), !alone))
                continue;
            const int rank = (surnames.contains(words.at(i).front()) ? 2 : 0) + (alone ? 1 : 0);
            if (rank > bestRank) {
                best = &words;
                bestAt = i;
                bestRank = rank;
            }
        }
    if (!best)
        return;
    result.name = best->takeAt(bestAt);
    segments.removeIf([](const QStringList& w) { return w.isEmpty(); });
}

void Parse::splitGluedName(QList<QStringList>& segments)
{
    for (QStringList& words : segments)
        for (QString& w : words) {
            if (hasPlace(w))
                continue;
            // "张三广东省深圳市…": a name in front of the province or city.
            for (qsizetype k = 2; k <= 4 && k + 2 <= w.size(); ++k)
                if (surnames.contains(w.front()) && nameLike(QStringView(w).left(k), true) &&
                    hasPlace(QStringView(w).mid(k))) {
                    result.name = w.left(k);
                    w.remove(0, k);
                    return;
                }
        }
    // "…南区1栋101室张三": a name after the house number.
    static const QRegularExpression tail(
        QStringLiteral(u"[0-9号室楼栋幢座层户]((?:(?![号室楼栋幢座层户])\\p{Han}){2,3})$"));
    if (segments.isEmpty())
        return;
    QString& last = segments.last().last();
    const QRegularExpressionMatch m = tail.match(last);
    if (m.hasMatch() && surnames.contains(m.captured(1).front()) && nameLike(m.captured(1), true) &&
        addressLike(QStringView(last).left(m.capturedStart(1)))) {
        result.name = m.captured(1);
        last.chop(m.capturedLength(1));
    }
}

QString Parse::joinAddress(const QList<QStringList>& segments, bool all) const
{
    // Segments that hold no address word (greetings, notes) are left out.
    QString text;
    for (const QStringList& words : segments) {
        if (!all && !std::any_of(words.begin(), words.end(),
                                 [](const QString& w) { return addressLike(w); }))
            continue;
        for (const QString& w : words)
            appendWord(text, w);
    }
    return text;
}

} // namespace

namespace AddressParser {

ParsedRecipient parse(const QString& text)
{
    return Parse(text).result;
}

} // namespace AddressParser
