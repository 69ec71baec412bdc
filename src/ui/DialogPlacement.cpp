#include "DialogPlacement.h"

#include "IniFile.h"

#include <QDir>
#include <QWidget>

namespace folha::ui {

namespace {
const QString Section = QStringLiteral("Posicao");
QString fileOf(const QString& iniDir, const QString& screenName) {
    return QDir(iniDir).filePath(screenName + QStringLiteral(".ini"));
}
} // namespace

void RestoreDialogPlacement(const QString& iniDir, const QString& screenName, QWidget& widget) {
    if (iniDir.isEmpty()) return;
    QDir().mkpath(iniDir);
    const QString file = fileOf(iniDir, screenName);
    bool okL = false, okT = false, okW = false, okH = false;
    const int left = ReadIniValue(file, Section, QStringLiteral("Left")).toInt(&okL);
    const int top = ReadIniValue(file, Section, QStringLiteral("Top")).toInt(&okT);
    const int width = ReadIniValue(file, Section, QStringLiteral("Width")).toInt(&okW);
    const int height = ReadIniValue(file, Section, QStringLiteral("Height")).toInt(&okH);
    if (okL && okT) widget.move(left, top);
    if (okW && okH && width > 0 && height > 0) widget.resize(width, height);
}

void SaveDialogPlacement(const QString& iniDir, const QString& screenName, const QWidget& widget) {
    if (iniDir.isEmpty()) return;
    const QString file = fileOf(iniDir, screenName);
    const QRect g = widget.geometry();
    WriteIniFileValue(file, Section, QStringLiteral("Left"), QString::number(widget.x()));
    WriteIniFileValue(file, Section, QStringLiteral("Top"), QString::number(widget.y()));
    WriteIniFileValue(file, Section, QStringLiteral("Width"), QString::number(g.width()));
    WriteIniFileValue(file, Section, QStringLiteral("Height"), QString::number(g.height()));
}

} // namespace folha::ui
