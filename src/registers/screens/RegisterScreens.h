#pragma once
// The register screens the program can open, for the screen catalog.

#include <QString>
#include <functional>

class QWidget;

namespace folha {

class Session;
class UserInterface;

// Adds the nineteen registers of the "Cadastros" menu, the events entry
// and the events query, and the pictures' variants of the employee register
// ("TfoCadFuncionarios-1", "-2": editing, on its first and second page).
void RegisterRegisterScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

} // namespace folha
