#include "records/address_parser.h"

#include "records/division_table.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace {

// Sender: the sender's details on their line, none of the recipient's.
enum class Label { Name, Phone, Address, Postcode, Company, Remarks, Sender };

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
                            u"省份 城市 区县 所在城市 省市区 address addr");
        add(Label::Postcode, u"邮政编码 邮编");
        add(Label::Company, u"单位名称 公司名称 公司 单位");
        add(Label::Remarks, u"备注 留言 买家留言");
        add(Label::Sender, u"寄件人 发件人 寄件人姓名 发件人姓名 寄件人电话 发件人电话 寄件人手机 "
                           u"发件人手机 寄件人地址 发件人地址 寄件信息 发件信息");
        return w;
    }();
    return words;
}

// "姓名：", "电话:" anywhere; a label without a colon only where it starts a
// word and is followed by a blank or the number ("电话 0755…", "手机138…"),
// or the name ("联系人张敏，").
const QRegularExpression& labelPattern()
{
    static const QRegularExpression pattern = [] {
        QStringList words = labelWords().keys();
        std::sort(words.begin(), words.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        const QString any = words.join(u'|');
        QStringList names = labelWords().keys(Label::Name);
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        // "联系人张敏，": a name label straight before a name of its own.
        return QRegularExpression(
            QStringLiteral(R"((?:(%1)\s*:|(?<![\p{Han}A-Za-z])(%1)(?=\s|\d|\+|\()|)"
                           R"((?<![\p{Han}A-Za-z])(%2)(?=\p{Han}{2,4}(?:[\s,;|/、。]|$))))")
                .arg(any, names.join(u'|')),
            QRegularExpression::CaseInsensitiveOption);
    }();
    return pattern;
}

// 86 in front only as +86, 0086, (86) or a word of its own, never the end
// of a house number ("解放路86 138…"). An extension ("138…-1234",
// "138… [1234]") is that of a private number shops give.
const QRegularExpression mobilePattern(QStringLiteral(
    R"((?<!\d)(?:(?:\+|00)86[- ]?|(?<![\dA-Za-z\p{Han}])86[- ]?|\(\+?86\) ?)?(1[3-9]\d)[-. ]?(\d{4})[-. ]?(\d{4})(?:[ \t]*(?:-|转|分机)[ \t]*(\d{1,5})|[ \t]*\[(\d{1,5})\])?(?!\d))"));
// Area codes: 010 and 02x have three digits, all others four; from abroad
// without their 0 ("+86 755 8888 1234"). An extension may stand apart
// ("020-38881234 分机 266").
const QRegularExpression landlinePattern(
    QStringLiteral(
        R"((?<!\d)(?:(?:\+|00)86[- ]?\(?0?|\(?0)(10|2\d|[3-9]\d\d)\)?[- ]?(\d{3,4})[- ]?(\d{4})(?:[ \t]*(?:-|转|分机|ext\.?)[ \t]*(\d{1,5}))?(?!\d))"),
    QRegularExpression::CaseInsensitiveOption);
// Hong Kong, Macao and Taiwan only with their country code: "+852 9123 4567",
// "+886 912 345 678".
const QRegularExpression outsidePattern(QStringLiteral(
    R"((?<![\d+])(?:\+|00)(?:(852|853)[- ]?(\d{4})[- ]?(\d{4})|(886)[- ]?0?(9\d\d)[- ]?(\d{3})[- ]?(\d{3}))(?!\d))"));
const QRegularExpression localNumberPattern(QStringLiteral(R"(^\D{0,3}(\d{7,8})(?!\d))"));
// "000000" is what shops write for no postcode.
const QRegularExpression
    postcodePattern(QStringLiteral(R"((?<![\d\w])(?!000000)([0-8]\d{5})(?![\d\w]))"));
// A postcode written straight after the address ("解放路138号310002").
const QRegularExpression gluedPostcode(QStringLiteral(R"((?<=\p{Han})([0-8]\d{5})$)"));
// Numbers of Hong Kong, Macao and Taiwan written without their country
// code, taken only where the address is there.
const QRegularExpression
    hongKongNumber(QStringLiteral(R"((?<![\d+])([235689]\d{3})[- ]?(\d{4})(?!\d))"));
const QRegularExpression
    macaoNumber(QStringLiteral(R"((?<![\d+])(6\d{3}|28\d\d)[- ]?(\d{4})(?!\d))"));
const QRegularExpression
    taiwanNumber(QStringLiteral(R"((?<![\d+])0?(9\d\d)[- ]?(\d{3})[- ]?(\d{3})(?!\d))"));
const QRegularExpression edgeSeparators(QStringLiteral(R"(^[\s,;|/、。]+|[\s,;|/、。]+$)"));
const QRegularExpression separator(QStringLiteral(R"([\s,;|/、。])"));
const QRegularExpression sixDigits(QStringLiteral(R"((\d{6}))"));
// "订单号：123456", "单号SF1234567890", "订单123456": an order's number and
// its title, which would otherwise pass for a postcode or hide the place.
const QRegularExpression orderNumber(QStringLiteral(
    u"(?:订单编号|订单号|快递单号|运单号|单号|订单(?=[A-Za-z0-9]))[ \\t]*:?[ \\t]*[A-Za-z0-9-]*"));
const QString separators = QStringLiteral(u"\n\r\t,;:|/、。");
// A title we do not know ("订单号：", "收货信息：") is not part of a value.
const QRegularExpression
    otherTitle(QStringLiteral(R"((?<![\p{Han}A-Za-z])[\p{Han}A-Za-z]{2,8}\s*:)"));

// Marks of an address in a word that names no province or city.
const QString addressMarks =
    QStringLiteral(u"省市区县镇乡村组路街道巷弄号栋幢楼室层座院园苑厦场城湾");
// Characters that never end a name, to tell "张三" from "科技园".
const QString nonNameCharacters = QStringLiteral(u"省市区县镇乡路街道巷弄号栋幢楼室层座院");
// Words of chats that look like a two-character name.
const QStringList chatWords =
    QString::fromUtf16(u"谢谢 你好 您好 麻烦 老板 亲爱的 顺丰 快递 到付 寄付 包邮 加急 尽快 发货 "
                       u"收件 收货 地址 电话 亲 OK Ok ok Hi hi Hello hello Thanks thanks Thx")
        .split(u' ');
// What only chat holds, anywhere in a word that is no address.
const QStringList chatParts = QString::fromUtf16(u"谢谢 麻烦 辛苦 你好 您好 好的 嗯 老板 到付 寄付 "
                                                 u"顺丰 快递 发货 地址 电话 订单 付款 下单 收到 "
                                                 u"寄到 寄给 发给 发到 发这 发你 这里 这边 亲爱")
                                  .split(u' ');
// Where a parcel is left, never a name ("…A栋 前台").
const QStringList deliverySpots = QString::fromUtf16(u"前台 门卫 物业 门口 楼下 家里 大堂 保安 "
                                                     u"驿站 快递柜 丰巢 收发室 传达室 公司 单位")
                                      .split(u' ');
// Latin words of addresses, never a name.
const QStringList latinPlaceWords =
    QString::fromUtf16(
        u"Road Rd Street St Avenue Ave Lane Building Bldg Room Rm Floor Fl Unit Block "
        u"Tower Park Plaza Center Centre Garden Gardens Estate House Court China "
        u"Store Shop Mall Hotel Apartment Office School University College Hospital Station "
        u"Square City Town Village District Province Dear Please Sir Madam")
        .split(u' ');
// Common surnames, to find a name glued to an address ("张三广东省…").
const QString surnames = QStringLiteral(
    u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏"
    u"吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱"
    u"严覃武戴莫孔向汤常温康施文牛樊葛邢安齐易乔伍庞颜倪庄聂章鲁岳翟殷詹申欧耿关兰焦俞左柳甘祝包宁"
    u"尚符舒阮柯纪梅童凌毕单季裴霍涂成苗谷盛曲翁冉骆蓝路游辛靳管柴蒙鲍华喻祁蒲房滕屈饶解牟艾尤阳时"
    u"穆农司卓古吉缪简车项连芦麦褚娄窦戚岑景党宫费卜冷晏席卫米柏宗瞿桂全佟应臧闵苟邬边卞姬师和仇栾"
    u"隋商刁沙荣巫寇桑郎甄丛仲虞敖巩明佘池查麻苑迟邝楼");

bool isHan(QChar c)
{
    return c.script() == QChar::Script_Han;
}

bool allHan(QStringView w)
{
    return !w.isEmpty() && std::all_of(w.begin(), w.end(), isHan);
}

bool markedAddress(QStringView w);

bool chatty(QStringView w)
{
    static const QString particles = QStringLiteral(u"哈吗呢啊呀哦啦嘛");
    static const QString firsts = [] {
        QString f;
        for (const QString& p : chatParts)
            f += p.front();
        return f;
    }();
    if (std::none_of(w.begin(), w.end(), [](QChar c) { return firsts.contains(c); }))
        return w.size() > 1 && particles.contains(w.back());
    return std::any_of(chatParts.begin(), chatParts.end(),
                       [&](const QString& p) { return w.contains(p); }) ||
           (w.size() > 1 && particles.contains(w.back()));
}

// "Amy", "John Smith": latin names written as names are.
bool latinName(QStringView w)
{
    const auto parts = w.split(u' ');
    return parts.size() <= 3 && std::all_of(parts.begin(), parts.end(), [](QStringView p) {
               if (p.size() > 2 && p.endsWith(u'.')) // "Mr."
                   p.chop(1);
               return p.size() >= 2 && p.size() <= 15 && p.front().isUpper() &&
                      p.front().unicode() < 128 &&
                      std::all_of(p.begin() + 1, p.end(),
                                  [](QChar c) { return c.unicode() < 128 && c.isLower(); }) &&
                      !chatWords.contains(p) && !latinPlaceWords.contains(p);
           });
}

// "订单号2023120912345678", "身份证号41132419990506123X": a number under a
// title of its own.
bool titledNumber(QStringView w)
{
    qsizetype digits = w.size();
    if (digits > 0 && (w.back() == u'X' || w.back() == u'x'))
        --digits;
    while (digits > 0 && w.at(digits - 1).isDigit())
        --digits;
    const qsizetype count = w.size() - digits;
    QStringView title = w.left(digits);
    if (title.endsWith(u'号') || title.endsWith(u'码'))
        title.chop(1);
    return count >= 7 && !title.isEmpty() && title.size() <= 5 && allHan(title) &&
           std::none_of(title.begin(), title.end(),
                        [](QChar c) { return addressMarks.contains(c); });
}

// Also a long number that is no phone: an order number, a phone we could
// not read; it is no part of an address. Chat that is no address either.
bool isJunk(QStringView w)
{
    const auto digit = [](QChar c) { return c.isDigit(); };
    return std::none_of(w.begin(), w.end(), [](QChar c) { return c.isLetterOrNumber(); }) ||
           (w.size() >= 7 && std::all_of(w.begin(), w.end() - 1, digit) &&
            (w.back().isDigit() || w.back() == u'X' || w.back() == u'x')) ||
           labelWords().contains(w.toString().toLower()) || chatWords.contains(w) ||
           titledNumber(w) || w == u"000000" || (chatty(w) && !markedAddress(w));
}

bool hasPlace(QStringView w)
{
    return DivisionTable::national().locate(w).province >= 0;
}

// `strict` for a word beside others: it must hold nothing that marks an
// address ("万科城", "科技园").
bool nameLike(QStringView w, bool strict)
{
    if (chatWords.contains(w) || deliverySpots.contains(w) ||
        DivisionTable::national().isPlaceName(w))
        return false;
    if (latinName(w))
        return true;
    // Names of some peoples: "买买提·艾力".
    if (w.contains(u'·')) {
        const auto parts = w.split(u'·');
        return w.size() <= 15 && std::all_of(parts.begin(), parts.end(), allHan);
    }
    if (!allHan(w) || w.size() < 2 || w.size() > 5)
        return false;
    const QString& excluded = strict ? addressMarks : nonNameCharacters;
    // A surname that marks addresses too ("楼小琴", "路明"), not a side ("楼下").
    static const QString sides = QStringLiteral(u"上下前后左右里外边口头东西南北中");
    const qsizetype from =
        surnames.contains(w.front()) && (w.size() >= 3 || !sides.contains(w.back())) ? 1 : 0;
    if (std::any_of(w.begin() + from, w.end(), [&](QChar c) { return excluded.contains(c); }) ||
        (w.size() > 2 && addressMarks.contains(w.back()))) // "金融城"
        return false;
    if (w.size() == 5 && !(w.endsWith(u"先生") || w.endsWith(u"女士") || w.endsWith(u"小姐")))
        return false;
    return !hasPlace(w);
}

// A place, a mark of an address or a house number; the place, which takes
// longest to find, last.
bool markedAddress(QStringView w)
{
    if (std::any_of(w.begin(), w.end(), [](QChar c) { return addressMarks.contains(c); }))
        return true;
    const bool digit = std::any_of(w.begin(), w.end(), [](QChar c) { return c.isDigit(); });
    if (digit && std::any_of(w.begin(), w.end(), isHan))
        return true;
    return DivisionTable::national().locateCounty(w).province >= 0 || hasPlace(w);
}

bool addressLike(QStringView w)
{
    return markedAddress(w) || (allHan(w) && w.size() >= 8);
}

// The parts of `text` between characters `cut` tells, without empty ones;
// a regular expression takes longer.
template <typename Cut> QStringList partsOf(const QString& text, Cut cut)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || cut(text.at(i))) {
            if (i > start)
                parts << text.mid(start, i - start);
            start = i + 1;
        }
    return parts;
}

// Pieces of text join without a blank, except between two latin words.
void appendWord(QString& text, QStringView word)
{
    if (!text.isEmpty() && text.back().unicode() < 128 && text.back().isLetterOrNumber() &&
        word.front().unicode() < 128 && word.front().isLetterOrNumber())
        text += u' ';
    text += word;
}

// "我要寄到湖南省…": chat glued in front of a province or city.
void dropChatInFront(QString& w)
{
    static const QString leadIns = QStringLiteral(u"是到往至给在寄发");
    const QStringView front = QStringView(w).left(10);
    if (w.size() < 4 || (!chatty(front) && std::none_of(front.begin(), front.end(), [](QChar c) {
            return leadIns.contains(c);
        })))
        return;
    for (qsizetype k = 2; k + 2 <= w.size() && k <= 10; ++k) {
        const QStringView head = QStringView(w).left(k);
        if ((leadIns.contains(head.back()) || chatty(head)) && !markedAddress(head) &&
            hasPlace(QStringView(w).mid(k))) {
            if (!hasPlace(w))
                w.remove(0, k);
            return;
        }
    }
}

// The words of one piece of text as people separate them.
QStringList wordsOf(const QString& segment)
{
    static const QString edges = QStringLiteral(".-_~*#=@");
    // "…(邢台学院东门)刘洋": what follows a bracket is a word of its own.
    static const QRegularExpression afterBracket(QStringLiteral(u"([)\\]】〕」』》])(?=\\S)"));
    QString text = segment;
    static const QString closers = QStringLiteral(u")]】〕」』》");
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return closers.contains(c); }))
        text.replace(afterBracket, QStringLiteral("\\1 "));
    QStringList words;
    for (QString w : partsOf(text, [](QChar c) { return c.isSpace(); })) {
        // "Mr." keeps its full stop.
        const bool latin = std::all_of(w.begin(), w.end(), [](QChar c) {
            return c.unicode() < 128 && (c.isLetter() || c == u'.');
        });
        while (!w.isEmpty() && edges.contains(w.back()) && !(latin && w.back() == u'.'))
            w.chop(1);
        qsizetype lead = 0;
        while (lead < w.size() && edges.contains(w.at(lead)))
            ++lead;
        w.remove(0, lead);
        if (w.isEmpty())
            continue;
        // "(张先生)浙江省…", "【王芳】": a word in brackets before the address.
        static const QString opening = QStringLiteral(u"([【〔「『<《");
        static const QString closing = QStringLiteral(u")]】〕」』>》");
        if (const qsizetype kind = opening.indexOf(w.front()); kind >= 0 && w.size() > 2) {
            const qsizetype close = w.indexOf(closing.at(kind));
            if (close > 1) {
                words << w.mid(1, close - 1);
                w.remove(0, close + 1);
            }
        }
        // "李强(到了打电话)": a note in brackets after the name.
        if (const qsizetype open = w.indexOf(u'('); open >= 2 && open <= 4 && w.endsWith(u')') &&
                                                    surnames.contains(w.front()) &&
                                                    nameLike(QStringView(w).left(open), true)) {
            words << w.left(open);
            w = w.mid(open + 1, w.size() - open - 2);
        }
        // "张三收": for 张三.
        if (w.endsWith(u'收') && (w.size() == 3 || w.size() == 4) && surnames.contains(w.front()))
            w.chop(1);
        dropChatInFront(w);
        // "John Smith" is one name.
        if (!words.isEmpty() && latinName(w) && latinName(words.last()) &&
            latinName(words.last() + u' ' + w))
            words.last() += u' ' + w;
        else if (!w.isEmpty())
            words << w;
    }
    words.removeIf([](const QString& w) { return isJunk(w); });
    // "刘 洋", "陆 先生": a name written apart.
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const QString& next = words.at(i + 1);
        if (words.at(i).size() == 1 && surnames.contains(words.at(i).front()) && next.size() <= 2 &&
            allHan(next) && std::none_of(next.begin(), next.end(), [](QChar c) {
                return addressMarks.contains(c);
            })) {
            words[i] += next;
            words.removeAt(i + 1);
        }
    }
    return words;
}

QList<QStringList> segmentsOf(const QString& text)
{
    QList<QStringList> out;
    for (const QString& segment : partsOf(text, [](QChar c) { return separators.contains(c); }))
        if (const QStringList words = wordsOf(segment); !words.isEmpty())
            out << words;
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
        const QString word = m.captured(1) + m.captured(2) + m.captured(3);
        label = labelWords().value(word.toLower());
        at = m.capturedEnd();
    }
    pieces.append({label, text.mid(at)});
    return pieces;
}

QString firstWord(QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = trimmed.indexOf(separator);
    // "Lily Chen" whole.
    while (end > 0 && trimmed.at(end) == u' ') {
        qsizetype next = trimmed.indexOf(separator, end + 1);
        if (next < 0)
            next = trimmed.size();
        if (!latinName(trimmed.left(next)))
            break;
        end = next == trimmed.size() ? -1 : next;
    }
    const QString word = end < 0 ? trimmed : trimmed.left(end);
    text = end < 0 ? QString() : trimmed.mid(end);
    return word;
}

class Parse {
public:
    // `again`: a second reading, which reads no third time.
    explicit Parse(const QString& text, bool again = false);
    ParsedRecipient result;

private:
    void takePhones(Piece& piece);
    void takePostcode(Piece& piece, bool standaloneOnly);
    void chooseName(QList<QStringList>& segments);
    void splitGluedName(QList<QStringList>& segments);
    QString joinAddress(const QList<QStringList>& segments, bool all, QString* first) const;
    void takeNumberOfThePlace(int province);

    QString m_text;
    bool m_again;

    QStringList m_mobiles;
    QStringList m_landlines;
};

// What a paste carries besides its text: controls, emoji, joiners.
QString plainText(const QString& raw)
{
    QString text = AddressParser::withoutUnsafeControls(raw);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            u = QChar::surrogateToUcs4(c, text.at(++i));
        if (u == u'\r')
            out += u'\n';
        else if ((u < 0x20 && u != u'\n' && u != u'\t') || u == 0x200b || u == 0x200c ||
                 u == 0x200d || u == 0xfeff || (u >= 0xfe00 && u <= 0xfe0f))
            continue;
        else if (QChar::category(u) == QChar::Symbol_Other)
            out += u' ';
        else if (u > 0xffff)
            out += QStringView(text).mid(i - 1, 2);
        else
            out += c;
    }
    return out;
}

// "…街道详细地址:晨辉路188号": what stands before a label of the address on
// its line and reads as an address belongs to it.
void joinAddressBeforeLabels(QList<Piece>& pieces)
{
    static const QRegularExpression word(QStringLiteral(R"([^\s,;|/、。]+)"));
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const std::optional<Label> before = pieces[i - 1].label;
        if (pieces[i].label != Label::Address || before == Label::Address ||
            before == Label::Company || before == Label::Remarks || before == Label::Sender)
            continue;
        QString& previous = pieces[i - 1].text;
        const qsizetype lineStart = previous.lastIndexOf(u'\n') + 1;
        qsizetype from = -1;
        QRegularExpressionMatchIterator it = word.globalMatch(previous, lineStart);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (!addressLike(m.capturedView()) &&
                !DivisionTable::national().isAnyName(m.capturedView()))
                from = -1;
            else if (from < 0)
                from = m.capturedStart();
        }
        if (from < 0)
            continue;
        pieces[i].text.prepend(previous.mid(from));
        previous.truncate(from);
    }
}

Parse::Parse(const QString& raw, bool again) : m_again(again)
{
    QString text = plainText(raw).normalized(QString::NormalizationForm_KC);
    text.replace(u'\u2014', u'-').replace(u'\u2013', u'-');
    if (text.contains(u'单'))
        text.replace(orderNumber, QStringLiteral(" "));
    for (const char16_t dot : {u'\u2022', u'\u30fb', u'\uff65', u'\u2027'})
        text.replace(dot, u'\u00b7');
    m_text = text;
    QList<Piece> pieces = piecesOf(text);
    // A company or a note is one line, and an address goes on only over the
    // lines that read as one: the other lines are the name and numbers of a
    // text that labels only some of its lines.
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const std::optional<Label> label = pieces[i].label;
        if (label != Label::Company && label != Label::Remarks && label != Label::Address &&
            label != Label::Sender)
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
    joinAddressBeforeLabels(pieces);

    QString unlabelled;
    QString labelledAddress;
    for (Piece& p : pieces) {
        if (p.label == Label::Sender)
            continue;
        if (p.label == Label::Remarks || p.label == Label::Company) {
            (p.label == Label::Remarks ? result.remarks : result.company) =
                QString(p.text).remove(edgeSeparators).replace(u'\t', u' ');
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
    if (result.postcode.isEmpty())
        for (QStringList& words : segments)
            for (QString& w : words)
                if (const auto m = gluedPostcode.match(w); m.hasMatch() &&
                                                           result.postcode.isEmpty() &&
                                                           addressLike(w.left(m.capturedStart()))) {
                    result.postcode = m.captured(1);
                    w.truncate(m.capturedStart());
                }
    segments.removeIf([](const QStringList& words) { return words.isEmpty(); });
    if (result.name.isEmpty())
        chooseName(segments);

    QString address;
    QString firstAddressWord;
    if (!labelledAddress.trimmed().isEmpty()) {
        QList<QStringList> labelled = segmentsOf(labelledAddress);
        // "地址：…南坪西路38号 冉冉": a name after the address on its line.
        if (result.name.isEmpty() && !labelled.isEmpty() && labelled.last().size() > 1) {
            const QString& last = labelled.last().last();
            if (nameLike(last, true) && (latinName(last) || surnames.contains(last.front())))
                result.name = labelled.last().takeLast();
        }
        address = joinAddress(labelled, true, &firstAddressWord);
    } else {
        if (result.name.isEmpty())
            splitGluedName(segments);
        address = joinAddress(segments, false, &firstAddressWord);
    }
    if (address.isEmpty())
        return;
    const DivisionTable& table = DivisionTable::national();
    DivisionTable::Location place = table.locate(address);
    // "恭城 莲花镇…": a county's short name as a word of its own, when the
    // rest names no other place.
    if (place.province < 0 && !firstAddressWord.isEmpty()) {
        const DivisionTable::Location county = table.locateCounty(firstAddressWord);
        if (county.province >= 0 && !hasPlace(QStringView(address).mid(firstAddressWord.size()))) {
            place.province = county.province;
            place.city = county.city;
            place.address = county.destination() + address;
        }
    }
    result.address = place.address;
    result.destination = place.destination();
    takeNumberOfThePlace(place.province);
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
                // The extension with it as 联系电话, for it is no mobile's.
                if (const QString extension = m.captured(4) + m.captured(5); !extension.isEmpty())
                    m_landlines << m_mobiles.last() + u'-' + extension;
            } else {
                QString number = u'0' + m.captured(1) + u'-' + m.captured(2) + m.captured(3);
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

// "…人民路50号 沈阳": a city's name after a whole address is a person's.
bool cityNamedAfterAddress(const QStringList& words, qsizetype i)
{
    const QString& w = words.at(i);
    if (i == 0 || i + 1 != words.size() || w.size() > 3 || !allHan(w) ||
        !surnames.contains(w.front()) || !DivisionTable::national().isPlaceName(w) ||
        std::any_of(w.begin(), w.end(), [](QChar c) { return addressMarks.contains(c); }))
        return false;
    const QString& address = words.first();
    return DivisionTable::national().locate(address).city >= 0 &&
           std::any_of(address.begin(), address.end(), [](QChar c) { return c.isDigit(); });
}

// "…宝龙城市广场 陈 138…": a surname alone after the address.
bool surnameAfterAddress(const QStringList& words, qsizetype i)
{
    return i > 0 && i + 1 == words.size() && words.at(i).size() == 1 &&
           surnames.contains(words.at(i).front()) && !addressMarks.contains(words.at(i).front()) &&
           addressLike(words.at(i - 1));
}

void Parse::chooseName(QList<QStringList>& segments)
{
    // A word on its own line or between separators before the first or last
    // word of a group, and one that starts with a common surname before any
    // other: a note or a greeting may stand on a line of its own too.
    QStringList* best = nullptr;
    qsizetype bestAt = 0;
    int bestRank = -1;
    const DivisionTable& table = DivisionTable::national();
    for (QStringList& words : segments)
        for (const qsizetype i : {qsizetype(0), words.size() - 1}) {
            const QString& w = words.at(i);
            const bool alone = words.size() == 1;
            int rank = (surnames.contains(w.front()) ? 2 : 0) + (alone ? 1 : 0);
            if (nameLike(w, !alone)) {
                // A county's short name is seldom a name ("和林格尔 盛乐镇…"),
                // more often where it stands alone ("…1号,乌兰,138…").
                if (table.locateCounty(w).province >= 0)
                    rank -= alone ? 1 : 2;
            } else if (cityNamedAfterAddress(words, i) || surnameAfterAddress(words, i)) {
                rank = 0;
            } else {
                continue;
            }
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
    // "…南区1栋101室张三", "…菜鸟驿站李雪梅": a name after the house number
    // or the place that keeps parcels; "…街道林喜双收" after anything.
    static const QRegularExpression tail(QStringLiteral(
        u"(?:[0-9号室楼栋幢座层户站店部处厅馆司厂]((?:(?![号室楼栋幢座层户])\\p{Han}){2,3})|"
        u"(\\p{Han}{2,3})收)$"));
    if (segments.isEmpty())
        return;
    QString& last = segments.last().last();
    const QRegularExpressionMatch m = tail.match(last);
    const int g = m.capturedLength(1) ? 1 : 2;
    if (m.hasMatch() && surnames.contains(m.captured(g).front()) && nameLike(m.captured(g), true) &&
        addressLike(QStringView(last).left(m.capturedStart(g)))) {
        result.name = m.captured(g);
        last.truncate(m.capturedStart(g));
    }
}

QString Parse::joinAddress(const QList<QStringList>& segments, bool all, QString* first) const
{
    // Segments that hold no address word (greetings, notes) are left out,
    // but not one between two that do ("新仓镇，塔山村，前进组").
    const auto isAddress = [](const QStringList& words) {
        return std::any_of(words.begin(), words.end(),
                           [](const QString& w) { return addressLike(w); });
    };
    qsizetype from = 0;
    qsizetype to = segments.size();
    if (!all) {
        while (from < to && !isAddress(segments.at(from)))
            ++from;
        while (to > from && !isAddress(segments.at(to - 1)))
            --to;
    }
    QString text;
    for (qsizetype s = from; s < to; ++s) {
        const QStringList& words = segments.at(s);
        // Words before the place on its line are chat: "好的 我的地址是 北京市…".
        qsizetype start = 0;
        const auto place = addressLike(words.first())
                               ? words.end()
                               : std::find_if(words.begin(), words.end(),
                                              [](const QString& w) { return hasPlace(w); });
        while (place != words.end() && start < place - words.begin() &&
               !addressLike(words.at(start)))
            ++start;
        for (qsizetype i = start; i < words.size(); ++i) {
            if (text.isEmpty())
                *first = words.at(i);
            appendWord(text, words.at(i));
        }
    }
    return text;
}

void Parse::takeNumberOfThePlace(int province)
{
    if (m_again || province < 0 || !result.mobile.isEmpty() || !result.phone.isEmpty())
        return;
    const QStringView place = DivisionTable::national().at(province).name;
    const auto [pattern, code] =
        place.startsWith(u"香港")   ? std::pair{&hongKongNumber, u"+852"}
        : place.startsWith(u"澳门") ? std::pair{&macaoNumber, u"+853"}
        : place.startsWith(u"台湾")
            ? std::pair{&taiwanNumber, u"+886"}
            : std::pair{static_cast<const QRegularExpression*>(nullptr), u""};
    if (!pattern)
        return;
    const QRegularExpressionMatch m = pattern->match(m_text);
    if (!m.hasMatch())
        return;
    // Read again with the code in front, as if it had been written.
    QString text = m_text;
    text.replace(m.capturedStart(), m.capturedLength(),
                 QStringLiteral(" %1 %2 ").arg(QString::fromUtf16(code), m.captured(0)));
    result = Parse(text, true).result;
}

} // namespace

namespace AddressParser {

ParsedRecipient parse(const QString& text)
{
    return Parse(text).result;
}

QString tidyPhone(const QString& number)
{
    // What the expressions below leave as it is, told without them: an
    // import tidies two numbers a row, most of them a mobile's eleven
    // digits or a landline.
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const QChar first = number.isEmpty() ? QChar() : number.front();
    if (number.isEmpty() || (digit(first) && first != u'0' && first != u'1' && first != u'8') ||
        (first == u'0' && (number.size() < 2 || number.at(1) != u'0')))
        return number;
    if (number.size() == 11 && first == u'1' && number.at(1) >= u'3' &&
        std::all_of(number.begin(), number.end(), digit))
        return number;
    const QString trimmed = number.trimmed();
    // The apostrophe is a spreadsheet's text mark only before a number; before
    // anything else it may be ours, guarding a formula in a CSV export.
    static const QRegularExpression numberLike(QStringLiteral(R"(^'[\d\s+\-()]+$)"));
    const QString written = numberLike.match(trimmed).hasMatch() ? trimmed.mid(1) : number;
    static const QRegularExpression mobile(QStringLiteral(
        R"(^\s*(?:(?:\+|00)86|\(\+?86\)|86(?=[-\s]*1[3-9]))?[-\s]*(1[3-9]\d)[-\s]*(\d{4})[-\s]*(\d{4})\s*$)"));
    const QRegularExpressionMatch m = mobile.match(written);
    return m.hasMatch() ? m.captured(1) + m.captured(2) + m.captured(3) : written;
}

QString withoutUnsafeControls(const QString& text)
{
    const auto unsafe = [](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || (u >= 0x7f && u <= 0x9f);
    };
    if (std::none_of(text.begin(), text.end(), unsafe))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!unsafe(text.at(i))) {
            out += text.at(i);
            continue;
        }
        if (text.at(i) != u'\x1b' || i + 1 >= text.size())
            continue;
        // ESC [ parameters final, ESC ] text BEL or ESC \, ESC and one more.
        const QChar kind = text.at(++i);
        if (kind == u'[') {
            while (i + 1 < text.size() && !(text.at(i + 1) >= u'@' && text.at(i + 1) <= u'~'))
                ++i;
            ++i;
        } else if (kind == u']') {
            while (i + 1 < text.size() && text.at(i + 1) != u'\a' && text.at(i + 1) != u'\x1b')
                ++i;
            ++i;
            if (i + 1 < text.size() && text.at(i) == u'\x1b' && text.at(i + 1) == u'\\')
                ++i;
        }
    }
    return out;
}

} // namespace AddressParser
