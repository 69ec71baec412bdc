#pragma once
// The screens of the govfiles jobs the program can open, for the screen catalog.

#include <QString>
#include <functional>

class QWidget;

namespace folha {

class Session;
class UserInterface;

void RegisterGovScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

} // namespace folha
