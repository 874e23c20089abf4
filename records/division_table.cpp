#include "records/division_table.h"

#include <QStringList>
#include <algorithm>

extern const char16_t divisionTableText[];

namespace {

// A short name followed by one of these is the start of another full name
// ("河北区", "吉林市"), not the short name itself.
bool isKindCharacter(QChar c)
{
    static const QString kinds = QStringLiteral(u"省市区县州旗盟");
    return kinds.contains(c);
}

bool isHan(QChar c)
{
    return c.script() == QChar::Script_Han;
}

} // namespace

QString DivisionTable::Location::destination() const
{
    const DivisionTable& table = national();
    if (province < 0)
        return QString();
    QString text = table.at(province).name.toString();
    if (city >= 0 && table.at(city).name != table.at(province).name)
        text += table.at(city).name;
    return text;
}

const DivisionTable& DivisionTable::national()
{
    static const DivisionTable table{QStringView(&divisionTableText[0])};
    return table;
}

// The names are views into the built-in text itself, never copied.
DivisionTable::DivisionTable(QStringView text)
    : m_text(QString::fromRawData(text.data(), text.size())), m_lengthsByFirst(0x10000, 0)
{
    // Field by field: splitting each line into a list cost more than the
    // rest of the start together.
    const auto cut = [](QStringView& rest, char16_t separator) {
        // Fields are short: a plain search beats the library's set-up.
        const auto found = std::find(rest.begin(), rest.end(), QChar(separator));
        const qsizetype at = found == rest.end() ? -1 : found - rest.begin();
        const QStringView field = at < 0 ? rest : rest.first(at);
        rest = at < 0 ? QStringView() : rest.sliced(at + 1);
        return field;
    };
    const qsizetype lines = m_text.count(u'\n');
    m_divisions.reserve(lines);
    m_byName.reserve(2 * lines);
    int province = -1;
    int city = -1;
    for (QStringView rest(m_text); !rest.isEmpty();) {
        QStringView line = cut(rest, u'\n');
        QStringView f[4];
        int fields = 0;
        while (!line.isNull() && fields <= 4) {
            const QStringView field = cut(line, u'\t');
            if (fields < 4)
                f[fields] = field;
            ++fields;
        }
        if (fields != 4)
            continue;
        const int index = int(m_divisions.size());
        Division d{Level::Province, f[1], f[2], -1};
        if (f[0] == u"P") {
            province = index;
        } else if (f[0] == u"C") {
            d.level = Level::City;
            d.parent = province;
            city = index;
            m_provincesWithCities.insert(province);
            if (d.name == m_divisions.at(province).name)
                m_municipalCity.insert(province, index);
        } else {
            d.level = Level::County;
            d.parent = city;
        }
        m_divisions.append(d);
        m_byName[{d.name}].append({index, true});
        m_longestName = std::max(m_longestName, d.name.size());
        Q_ASSERT(m_longestName < 32);
        m_lengthsByFirst[d.name.front().unicode()] |= (1u << d.name.size());
        for (QStringView shortNames = f[3]; !shortNames.isNull();) {
            const QStringView s = cut(shortNames, u'|');
            if (s.isEmpty())
                continue;
            m_byName[{s}].append({index, false});
            m_lengthsByFirst[s.front().unicode()] |= (1u << s.size());
        }
    }
}

bool DivisionTable::isPlaceName(QStringView word) const
{
    const auto it = m_byName.constFind({word});
    if (it == m_byName.cend())
        return false;
    return std::any_of(it->cbegin(), it->cend(),
                       [this](NameRef r) { return at(r.division).level != Level::County; });
}

QList<DivisionTable::Match> DivisionTable::matchesAt(QStringView text, qsizetype from, Level level,
                                                     int parent) const
{
    QList<Match> out;
    if (from >= text.size())
        return out;
    const quint32 lengths = m_lengthsByFirst[text.at(from).unicode()];
    if (lengths == 0)
        return out;
    const qsizetype room = std::min(m_longestName, text.size() - from);
    for (qsizetype length = room; length >= 2; --length) {
        if (!(lengths & (1u << length)))
            continue;
        const auto it = m_byName.constFind({text.mid(from, length)});
        if (it == m_byName.cend())
            continue;
        const bool beforeKind =
            from + length < text.size() && isKindCharacter(text.at(from + length));
        for (const NameRef r : *it) {
            const Division& d = at(r.division);
            // "石柱县" is the short name with the last character of its
            // full name ("石柱土家族自治县").
            const bool ownKind = beforeKind && !r.full && d.name.size() > length + 1 &&
                                 d.name.back() == text.at(from + length);
            if (d.level != level || (!r.full && beforeKind && !ownKind))
                continue;
            // A county belongs to a city, which belongs to a province.
            if (parent >= 0 && d.parent != parent &&
                (d.parent < 0 || at(d.parent).parent != parent))
                continue;
            out.append({r.division, length + (ownKind ? 1 : 0), r.full});
        }
    }
    return out;
}

void DivisionTable::readCounty(QStringView text, Reading& r, int within) const
{
    const QList<Match> counties = matchesAt(text, r.end, Level::County, within);
    if (counties.isEmpty())
        return;
    // The longest names only; under a province they must agree on the city.
    const qsizetype length = counties.first().length;
    int city = -1;
    bool full = false;
    for (const Match& m : counties) {
        if (m.length != length)
            break;
        if (city >= 0 && at(m.division).parent != city)
            return;
        city = at(m.division).parent;
        full = full || m.full;
    }
    if (r.city < 0)
        r.city = city;
    r.end += length;
    ++r.names;
    r.fullNames += full;
    r.lastShort = !full;
}

bool DivisionTable::plausible(QStringView text, const Reading& r) const
{
    // One short name alone may be the start of a street ("江西路", "南京路");
    // it stands when followed by something that is not a word of text.
    if (r.province < 0 || r.names == 0)
        return false;
    if (r.names > 1 || !r.lastShort)
        return true;
    if (r.end >= text.size() || !isHan(text.at(r.end)))
        return true;
    // A region the table gives no cities ("香港九龙", "澳门氹仔") is written
    // short before its own places; a street named after it goes on with 路
    // or a side ("香港中路").
    static const QString street = QStringLiteral(u"路街道巷中东西南北大");
    return r.city < 0 && !m_provincesWithCities.contains(r.province) &&
           !street.contains(text.at(r.end));
}

DivisionTable::Location DivisionTable::locate(QStringView address) const
{
    qsizetype start = 0;
    while (start < address.size() && !address.at(start).isLetterOrNumber())
        ++start;
    if (address.mid(start).startsWith(u"中国"))
        start += 2;

    QList<Reading> readings;
    const auto fromProvince = [&](const Match& p) {
        Reading r;
        r.province = p.division;
        r.cityEnd = r.end = start + p.length;
        r.names = 1;
        r.fullNames = p.full;
        r.lastShort = !p.full;
        if (const auto own = m_municipalCity.constFind(p.division); own != m_municipalCity.cend()) {
            r.city = *own;
            // "北京北京市" and "上海市上海市" repeat the city in full.
            for (const Match& c : matchesAt(address, r.end, Level::City, p.division))
                if (c.full) {
                    r.cityEnd = r.end += c.length;
                    ++r.names;
                    ++r.fullNames;
                    r.lastShort = false;
                    break;
                }
            readCounty(address, r, r.city);
            readings.append(r);
            return;
        }
        for (const Match& c : matchesAt(address, r.end, Level::City, p.division)) {
            Reading withCity = r;
            withCity.city = c.division;
            withCity.cityEnd = withCity.end = r.end + c.length;
            ++withCity.names;
            withCity.fullNames += c.full;
            withCity.lastShort = !c.full;
            readCounty(address, withCity, c.division);
            readings.append(withCity);
        }
        readCounty(address, r, p.division);
        readings.append(r);
    };
    for (const Match& p : matchesAt(address, start, Level::Province, -1))
        fromProvince(p);
    for (const Match& c : matchesAt(address, start, Level::City, -1)) {
        Reading r;
        r.province = at(c.division).parent;
        r.city = c.division;
        r.cityEnd = r.end = start + c.length;
        r.names = 1;
        r.fullNames = c.full;
        r.lastShort = !c.full;
        readCounty(address, r, c.division);
        readings.append(r);
    }
    const auto best = [&]() -> const Reading* {
        const Reading* found = nullptr;
        for (const Reading& r : readings) {
            if (!plausible(address, r))
                continue;
            if (!found || r.end > found->end ||
                (r.end == found->end && r.fullNames > found->fullNames))
                found = &r;
        }
        return found;
    };
    // A county alone only when its full name is the nation's one of that
    // name ("苏州工业园区…", where "苏州" alone would not stand).
    if (!best()) {
        readings.clear();
        const QList<Match> counties = matchesAt(address, start, Level::County, -1);
        if (!counties.isEmpty() && counties.first().full &&
            (counties.size() == 1 || counties.at(1).length != counties.first().length)) {
            const Match& m = counties.first();
            Reading r;
            r.city = at(m.division).parent;
            r.province = at(r.city).parent;
            r.cityEnd = start;
            r.end = start + m.length;
            r.names = r.fullNames = 1;
            readings.append(r);
        }
    }

    Location loc;
    const Reading* found = best();
    if (!found) {
        loc.address = address.trimmed().toString();
        // Taiwan's cities and counties, which the table does not list.
        static const QStringList taiwan =
            QString::fromUtf16(u"台北市 新北市 桃园市 台中市 台南市 高雄市 基隆市 新竹市 新竹县 "
                               u"嘉义市 嘉义县 苗栗县 彰化县 南投县 云林县 屏东县 宜兰县 花莲县 "
                               u"台东县 澎湖县")
                .split(u' ');
        const QStringView rest = address.mid(start);
        if (std::any_of(taiwan.begin(), taiwan.end(),
                        [&](const QString& n) { return rest.startsWith(n); })) {
            loc.province = m_byName.value({u"台湾省"}).value(0).division;
            loc.address = loc.destination() + rest.toString();
        }
        return loc;
    }
    loc.province = found->province;
    loc.city = found->city;
    loc.address = loc.destination() + address.mid(found->cityEnd).toString();
    return loc;
}

DivisionTable::Location DivisionTable::locateCounty(QStringView word) const
{
    // Only a short name that no other division of the nation has.
    Location loc;
    const auto it = m_byName.constFind({word});
    if (it == m_byName.cend() || it->size() != 1 || at(it->first().division).level != Level::County)
        return loc;
    loc.city = at(it->first().division).parent;
    loc.province = at(loc.city).parent;
    loc.address = loc.destination() + word.toString();
    return loc;
}
