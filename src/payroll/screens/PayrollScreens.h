#pragma once
// The screens of the payroll jobs the program can open, for the screen catalog.

#include <QString>
#include <functional>

class QWidget;

namespace folha {

class Session;
class UserInterface;

void RegisterPayrollScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

} // namespace folha
