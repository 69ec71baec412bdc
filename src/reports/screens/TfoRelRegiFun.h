#pragma once
// The employee register sheet screen: the code range ("Código Inicial",
// "Código Final"), the order and the print button; the sheets come from the
// same composer as "folha report registro".

#include "EmployeeRegister.h"

#include <QWidget>

class QLineEdit;
class QRadioButton;

namespace folha {

class Session;
class UserInterface;

class TfoRelRegiFun : public QWidget {
    Q_OBJECT
public:
    TfoRelRegiFun(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    EmployeeRegisterOptions options() const;
    void setOptions(const EmployeeRegisterOptions& options);
    // "Imprimir": the print set-up, "Confirma Emissao" and the sheets to the
    // chosen destination; with `askSetup` false the settings stand as they are.
    bool print(bool askSetup = true);

    static QWidget* create(Session& session, UserInterface& ui, QWidget* parent);

private:
    Session& session_;
    UserInterface& ui_;
    QLineEdit* first_ = nullptr;
    QLineEdit* last_ = nullptr;
    QRadioButton* byCode_ = nullptr;
    QRadioButton* byName_ = nullptr;
};

} // namespace folha
