#include "sample_sheets.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace SampleSheets {

QString path(const QString& name)
{
    return QStringLiteral(SF_TEST_DATA_DIR "/") + name;
}

QList<QStringList> expectedRecipients()
{
    QFile f(path(QStringLiteral("recipients_expected.json")));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("recipients_expected.json missing");
    QList<QStringList> rows;
    for (const auto& row : QJsonDocument::fromJson(f.readAll()).array()) {
        QStringList values;
        for (const auto& v : row.toArray())
            values << v.toString();
        rows << values;
    }
    return rows;
}

std::optional<ImportError> importFailure(SheetImport& import, const QString& pathText)
{
    try {
        import.run(pathText);
    } catch (const ImportError& e) {
        return e;
    }
    return std::nullopt;
}

} // namespace SampleSheets
