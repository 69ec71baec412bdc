#pragma once
// What the desktop program does before and around its window: the Qt
// translation, where the clerk works, windows kept on the screen, and the
// sign-in of a run without a person (--grab).

#include <QRect>
#include <QString>
#include <QStringList>

class QCoreApplication;
class QScreen;
class QTranslator;
class QWidget;

namespace folha {

class Session;
class UserInterface;

// Signs in without the screen: the user and password given, the company and
// branch of the last sign-in when the user may open them, else the first
// ones. The sign-in memory is left as it was. Returns an error text, empty
// on success.
QString SignInWithoutScreen(Session& session, UserInterface& ui, const QString& userCode, const QString& password);

// Where the signed-in clerk works, as the main window shows it:
// "Empresa 1 - NOME | Filial 001 | Competência 04/2013 | Folha F". The parts
// the databases cannot give are left out; empty without a company.
QString WorkingPlaceText(Session& session);

// A window's rectangle inside `available`: shrunk to it when larger, then
// moved so that no edge is outside.
QRect FittedInto(const QRect& window, const QRect& available);
// Moves and shrinks a window into the available area of `screen` (the
// window's own screen when null), title bar and frame included.
void FitIntoScreen(QWidget* window, QScreen* screen = nullptr);

// Qt's own words (standard buttons, the file dialog, the calendar) in
// Brazilian Portuguese, from Qt's translations folder. Returns the
// translator installed (the application owns it), null when the translation
// is not installed (the words stay in English).
QTranslator* InstallQtTranslation(QCoreApplication& app);

} // namespace folha
