#pragma once

#include <QStringList>
#include <optional>

class Dataset;
class MainQueries;

// One recipient as the editor holds it: the ten columns in table order.
struct RecipientFields {
    static constexpr int count = 10;
    QStringList values = QStringList(count);

    QString& operator[](int column) { return values[column]; }
    const QString& operator[](int column) const { return values[column]; }
};

// The address book's commands on the main window's recipient query; the
// windows only collect the boxes and show the messages returned here.
class AddressBook {
public:
    enum Column {
        Company,
        Name,
        Destination,
        Address,
        Postcode,
        Phone,
        Mobile,
        Goods,
        Quantity,
        Remarks
    };

    explicit AddressBook(MainQueries& queries);

    RecipientFields current() const; // the current row; all empty when there is none

    // The first required box that is empty (length zero; blanks pass), and
    // its message.
    static std::optional<Column> missingColumn(const RecipientFields& fields);
    static std::optional<QString> missingField(const RecipientFields& fields);

    // The first recipient of the whole address book, whatever a search
    // lists, with this mobile number, or without one the same name and
    // address: its name, address and mobile as stored.
    struct Match {
        QString name, address, mobile;
    };
    std::optional<Match> alreadyHas(const RecipientFields& fields) const;
    // The digits that identify a mobile: "+86 138-0013-8000" → "13800138000".
    static QString mobileKey(const QString& mobile);

    // Appends and posts the row; it becomes current and stays listed even
    // when a search is in force that it does not match.
    void add(const RecipientFields& fields);

    bool hasCurrent() const;
    // Writes only the columns whose box the user changed into the row that
    // is current now; the others keep their stored values.
    void modify(const RecipientFields& fields, const QList<bool>& changed);
    void deleteCurrent();
    // Deletes every row the query holds (only the listed rows under a search).
    void deleteAll();

    // Mobile wins when both texts are given; both empty does nothing.
    void search(const QString& name, const QString& mobile);

private:
    MainQueries& m_queries;
};
