#pragma once
// What the desktop program does before its window: the installation check,
// the printers, and the sign-in of a run without a person (--grab).

#include <QString>
#include <QStringList>

namespace folha {

class Session;
class UserInterface;

// The names of the installed printers.
QStringList InstalledPrinters();
// Signs in without the screen: the user and password given, the company and
// branch of the last sign-in when the user may open them, else the first
// ones. The sign-in memory is left as it was. Returns an error text, empty
// on success.
QString SignInWithoutScreen(Session& session, UserInterface& ui, const QString& userCode, const QString& password);

} // namespace folha
