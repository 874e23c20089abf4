#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <vector>

// The national divisions (GB/T 2260): provinces, their cities and their
// counties, with the short names people write ("广东", "深圳", "南山").
// Built once from the generated table in division_table_data.cpp.
class DivisionTable {
public:
    enum class Level { Province, City, County };

    struct Division {
        Level level;
        QStringView code;
        QStringView name;
        int parent; // index of the province or city above; -1 for a province
    };

    // Where an address names its province and city, and the address with
    // their full names in front ("深圳南山科技园" → "广东省深圳市南山科技园").
    struct Location {
        int province = -1;
        int city = -1;
        QString address;
        QString destination() const; // "广东省深圳市", "北京市"; "" when unknown
    };

    static const DivisionTable& national();

    const Division& at(int index) const { return m_divisions.at(index); }
    qsizetype size() const { return m_divisions.size(); }

    // A word that is a division's full or short name ("深圳", "广东省").
    bool isPlaceName(QStringView word) const;
    // A name of any division, a county's too ("南山").
    bool isAnyName(QStringView word) const { return m_byName.contains({word}); }

    // Finds the province and city at the start of `address`; what follows
    // the city is kept as written.
    Location locate(QStringView address) const;
    // A word that is the short name of one county only ("恭城"); locate()
    // does not take a short county name alone, which may start a street.
    Location locateCounty(QStringView word) const;

private:
    struct NameRef {
        int division;
        bool full;
    };
    struct Match {
        int division = -1;
        qsizetype length = 0;
        bool full = false;
    };
    // One way to read the start of an address.
    struct Reading {
        int province = -1, city = -1;
        qsizetype cityEnd = 0;  // where the text after the named city starts
        qsizetype end = 0;      // after the last name recognised, county included
        int names = 0;          // names recognised
        int fullNames = 0;      // tie-break: full names over short ones
        bool lastShort = false; // the last name was a short one
    };

    explicit DivisionTable(QStringView text);
    QList<Match> matchesAt(QStringView text, qsizetype from, Level level, int parent) const;
    void readCounty(QStringView text, Reading& r, int within) const;
    bool plausible(QStringView text, const Reading& r) const;

    QString m_text; // every name below is a view into it
    QList<Division> m_divisions;
    // Names are a few characters long: a plain hash of them is many times
    // cheaper than the one Qt gives a QStringView.
    struct NameKey {
        QStringView name;
        bool operator==(const NameKey& other) const { return name == other.name; }
    };
    friend size_t qHash(NameKey key, size_t seed) noexcept
    {
        size_t h = seed ^ size_t(key.name.size());
        for (const QChar c : key.name)
            h = (h ^ c.unicode()) * 0x100000001b3ULL;
        return h ^ (h >> 29);
    }
    QHash<NameKey, QVarLengthArray<NameRef, 2>> m_byName; // most names name one division
    QHash<int, int> m_municipalCity;                      // province → its one city
    QSet<int> m_provincesWithCities;
    // For each first character, bit n set when some name of n characters
    // starts with it: most places in a text start no name at all.
    std::vector<quint32> m_lengthsByFirst;
    qsizetype m_longestName = 0; // below 32
};
