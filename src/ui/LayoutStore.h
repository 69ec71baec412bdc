#pragma once
// Window placement and grid column layouts remembered per screen and per
// grid, in INI files of the program's "ini" folder: screen name + ".ini"
// and grid name + ".ini".

#include <QString>

class QWidget;
class QTableView;

namespace folha {

// Restores the window's position and size from IniDir + screen + ".ini"
// (the folder is created when missing); a file without them changes nothing.
void RestoreWindowPlacement(const QString& iniDir, const QString& screenName, QWidget* window);
void SaveWindowPlacement(const QString& iniDir, const QString& screenName, const QWidget* window);

// Column layout of a grid: width, position and visibility of each column.
// Saving writes only when `save` is true. Loading drops a stale file (one
// written for another number of columns) and a file that leaves no column.
void SaveGridLayout(const QString& iniDir, const QString& gridName, const QTableView* grid, bool save = true);
void LoadGridLayout(const QString& iniDir, const QString& gridName, QTableView* grid);
void ResetGridLayout(const QString& iniDir, const QString& gridName);

} // namespace folha
