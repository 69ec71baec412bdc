#pragma once
// The screen of a labour document: the employee range with its lookups,
// the order, the dates the document needs, "Nº de Copias", the typed list
// (equipment) when the document has one, and the print button. One class
// serves every document; the table of documents gives what it shows.

#include "Documents.h"

#include <QWidget>
#include <functional>

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

namespace folha {

class Session;
class UserInterface;
namespace ui {
class EmployeeRange;
}

class TfoRelDocumento : public QWidget {
    Q_OBJECT
public:
    TfoRelDocumento(Session& session, UserInterface& ui, const DocumentDef& def, QWidget* parent = nullptr);

    const DocumentDef& document() const { return def_; }
    ui::EmployeeRange* range() const { return range_; }
    QDateEdit* dateField(const QString& name) const { return dates_.value(name); }
    QSpinBox* copiesField() const { return copies_; }
    QPlainTextEdit* listField() const { return list_; }
    QLineEdit* typedField(const QString& name) const { return typed_.value(name); }
    void setOrderByName(bool byName);

    // The screen's inputs as the engine takes them. Throws UserError for a
    // code that is not one.
    DocumentOptions options() const;

    // "Imprimir": the print set-up and "Confirma Emissao" once, then one job
    // per copy to the chosen destination. With `askSetup` false the
    // settings of the run are used as they stand.
    bool print(bool askSetup = true);

    static void registerScreens(
        const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

private:
    Session& session_;
    UserInterface& ui_;
    const DocumentDef& def_;
    ui::EmployeeRange* range_ = nullptr;
    QRadioButton* byCode_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QMap<QString, QDateEdit*> dates_;
    QSpinBox* copies_ = nullptr;
    QPlainTextEdit* list_ = nullptr;
    QMap<QString, QLineEdit*> typed_;
};

} // namespace folha
