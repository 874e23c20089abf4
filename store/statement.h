#pragma once

#include <QString>
#include <QVariantList>

// One statement with the values bound to its "?" markers. Search texts are
// always bound, never pasted into the text.
struct Statement {
    QString text;
    QVariantList bindings;

    bool operator==(const Statement&) const = default;
};
