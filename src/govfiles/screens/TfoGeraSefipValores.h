#pragma once
// "Informe os valores:": the additional values of one company of the SEFIP
// file, asked when the run reaches the company. "Continuar..." gives the
// values (the type must be filled in), "Cancelar..." gives none; Enter moves
// to the next box.

#include "Sefip.h"

#include <QDialog>
#include <QHash>
#include <optional>

class QLineEdit;
class QPushButton;

namespace folha {

class Session;
class UserInterface;

class TfoGeraSefip_RecebeValoresEmpresa : public QDialog {
    Q_OBJECT
public:
    // `companyText` names the company the values are for ("1 - EMPRESA").
    TfoGeraSefip_RecebeValoresEmpresa(UserInterface& ui, const QString& companyText, QWidget* parent = nullptr);

    static const QString Caption;

    // Shows the dialog for the company and waits; nothing back when cancelled.
    static std::optional<gov::SefipAdditionalValues> ask(UserInterface& ui, const gov::SefipCompany& company,
                                                        QWidget* parent);

    // "Continuar...": closes with the values when they read well; otherwise
    // says why and stays open.
    void continueClicked();
    // "Cancelar...".
    void cancelClicked();

    // The values of "Continuar..."; nothing after "Cancelar...".
    const std::optional<gov::SefipAdditionalValues>& values() const { return values_; }
    QLineEdit* box(const QString& control) const { return boxes_.value(control); }
    QPushButton* continueButton() const { return continue_; }
    QPushButton* cancelButton() const { return cancel_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

private:
    UserInterface& ui_;
    QHash<QString, QLineEdit*> boxes_;
    QPushButton* continue_;
    QPushButton* cancel_;
    std::optional<gov::SefipAdditionalValues> values_;
};

} // namespace folha
