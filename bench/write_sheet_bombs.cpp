// Writes the hostile sheets of the import's limits into a folder, for
// bench/sheet_bombs.sh to time.
#include "support/sheet_bombs.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: write-sheet-bombs FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const SheetBombs::Bomb& bomb : SheetBombs::all() + SheetBombs::large()) {
        const QString name =
            QString::fromLatin1(bomb.name).replace(QLatin1Char(' '), QLatin1Char('_'));
        QFile f(folder.filePath(name + QString::fromLatin1(bomb.suffix)));
        if (!f.open(QIODevice::WriteOnly) || f.write(bomb.file) != bomb.file.size())
            return 1;
        QTextStream(stdout) << f.fileName() << ' ' << (bomb.imported ? "imported" : "refused")
                            << '\n';
    }
    return 0;
}
