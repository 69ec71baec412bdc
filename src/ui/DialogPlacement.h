#pragma once
// Window position and size of a dialog, kept in IniDir + screen name +
// ".ini" (section "Posicao": Left, Top, Width, Height).

#include <QString>

class QWidget;

namespace folha::ui {

// Restores the placement when the file holds one; leaves the widget as it is
// otherwise. An empty IniDir restores nothing.
void RestoreDialogPlacement(const QString& iniDir, const QString& screenName, QWidget& widget);
// Writes the placement, creating the folder and file when missing.
void SaveDialogPlacement(const QString& iniDir, const QString& screenName, const QWidget& widget);

} // namespace folha::ui
