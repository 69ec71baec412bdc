#include "LayoutStore.h"

#include "IniFile.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace folha {

namespace {
// The screen's settings file in the program's "ini" folder. A screen shown
// before the folders are known (a test, a dialog without a session) keeps
// nothing: never a file in whatever folder the program was started from.
QString fileOf(const QString& iniDir, const QString& name) {
    if (iniDir.isEmpty() || QDir::isRelativePath(iniDir)) return {};
    QDir().mkpath(iniDir);
    return QDir(iniDir).filePath(name + QStringLiteral(".ini"));
}
const QString PlacementSection = QStringLiteral("Posicao");
const QString GridSection = QStringLiteral("Colunas");
} // namespace

void RestoreWindowPlacement(const QString& iniDir, const QString& screenName, QWidget* window) {
    const QString file = fileOf(iniDir, screenName);
    if (file.isEmpty()) return;
    bool ok[4];
    const int left = ReadIniValue(file, PlacementSection, QStringLiteral("Left")).toInt(&ok[0]);
    const int top = ReadIniValue(file, PlacementSection, QStringLiteral("Top")).toInt(&ok[1]);
    const int width = ReadIniValue(file, PlacementSection, QStringLiteral("Width")).toInt(&ok[2]);
    const int height = ReadIniValue(file, PlacementSection, QStringLiteral("Height")).toInt(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || width <= 0 || height <= 0) return;
    window->move(left, top);
    window->resize(width, height);
}

void SaveWindowPlacement(const QString& iniDir, const QString& screenName, const QWidget* window) {
    const QString file = fileOf(iniDir, screenName);
    if (file.isEmpty()) return;
    const QPoint at = window->pos();
    WriteIniFileValue(file, PlacementSection, QStringLiteral("Left"), QString::number(at.x()));
    WriteIniFileValue(file, PlacementSection, QStringLiteral("Top"), QString::number(at.y()));
    WriteIniFileValue(file, PlacementSection, QStringLiteral("Width"), QString::number(window->width()));
    WriteIniFileValue(file, PlacementSection, QStringLiteral("Height"), QString::number(window->height()));
}

void SaveGridLayout(const QString& iniDir, const QString& gridName, const QTableView* grid, bool save) {
    if (!save || !grid->model()) return;
    const QString file = fileOf(iniDir, gridName);
    if (file.isEmpty()) return;
    QFile::remove(file);
    const QHeaderView* h = grid->horizontalHeader();
    const int columns = grid->model()->columnCount();
    WriteIniFileValue(file, GridSection, QStringLiteral("Quantidade"), QString::number(columns));
    for (int c = 0; c < columns; ++c) {
        const QString value = QStringLiteral("%1,%2,%3").arg(h->visualIndex(c)).arg(h->sectionSize(c)).arg(h->isSectionHidden(c) ? 0 : 1);
        WriteIniFileValue(file, GridSection, QStringLiteral("Coluna%1").arg(c), value);
    }
}

void LoadGridLayout(const QString& iniDir, const QString& gridName, QTableView* grid) {
    const QString file = fileOf(iniDir, gridName);
    if (file.isEmpty()) return;
    if (!QFile::exists(file) || !grid->model()) return;
    const int columns = grid->model()->columnCount();
    bool ok = false;
    const int stored = ReadIniValue(file, GridSection, QStringLiteral("Quantidade")).toInt(&ok);
    if (!ok || stored != columns) {
        QFile::remove(file);
        return;
    }
    QHeaderView* h = grid->horizontalHeader();
    struct Column {
        int visual = 0, width = 0;
        bool shown = true;
    };
    QList<Column> read;
    for (int c = 0; c < columns; ++c) {
        const QStringList parts = ReadIniValue(file, GridSection, QStringLiteral("Coluna%1").arg(c)).split(',');
        if (parts.size() != 3) {
            QFile::remove(file);
            return;
        }
        read << Column{parts[0].toInt(), parts[1].toInt(), parts[2] == QLatin1String("1")};
    }
    int shown = 0;
    for (const auto& c : read) shown += c.shown ? 1 : 0;
    if (shown == 0) {
        QFile::remove(file);
        return;
    }
    for (int c = 0; c < columns; ++c) {
        h->setSectionHidden(c, !read[c].shown);
        if (read[c].width > 0) h->resizeSection(c, read[c].width);
    }
    for (int visual = 0; visual < columns; ++visual)
        for (int c = 0; c < columns; ++c)
            if (read[c].visual == visual && h->visualIndex(c) != visual) h->moveSection(h->visualIndex(c), visual);
}

void ResetGridLayout(const QString& iniDir, const QString& gridName) { QFile::remove(fileOf(iniDir, gridName)); }

} // namespace folha
