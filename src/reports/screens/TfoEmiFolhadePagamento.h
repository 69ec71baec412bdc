#pragma once
// "Emissao da Folha de Pagamento": the inputs of the payroll book (order
// and range, categories, special retirement, status, partners' pay, the
// "Outros" line, interest, observations) and the print button. The engine
// reads the typed values; the screen only collects them and shows the
// result.

#include "PayrollBook.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace folha {

class Session;
class UserInterface;

class TfoEmiFolhadePagamento : public QWidget {
    Q_OBJECT
public:
    TfoEmiFolhadePagamento(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    // The screen as the menu opens it.
    static QWidget* create(Session& session, UserInterface& ui, QWidget* parent);

    // The inputs as typed.
    PayrollBookInputs inputs() const;
    // Chooses the order: the range fields take its captions and defaults.
    void setOrder(BookOrder order);

    // "Imprimir": the inputs read by the engine (a bad value is told and
    // nothing is printed), the print set-up (unless `askSetup` is false),
    // "Confirma Emissao" and the book to the chosen destination. `pdfPath`
    // is the PDF destination's file (asked when empty).
    bool print(bool askSetup = true, const QString& pdfPath = {});

    // The controls, by their names on the form.
    QRadioButton* Rg1Codigo = nullptr;
    QRadioButton* Rg1Nome = nullptr;
    QRadioButton* Rg1Cargo = nullptr;
    QLabel* lbInicio = nullptr;
    QLabel* lbFinal = nullptr;
    QLineEdit* eFtInicio = nullptr;
    QLineEdit* eFtFinal = nullptr;
    QLineEdit* eVinculo[5] = {};
    QLineEdit* epercAposent = nullptr;
    QCheckBox* chkQuebraFunc = nullptr;
    QRadioButton* RadioGroup1Todos = nullptr;
    QRadioButton* RadioGroup1Ativos = nullptr;
    QRadioButton* RadioGroup1Inativos = nullptr;
    QLineEdit* ePercProlabore = nullptr;
    QLineEdit* eValorProlabore = nullptr;
    QLineEdit* ewDescrOutr = nullptr;
    QLineEdit* ewVlr_Outro = nullptr;
    QComboBox* ewOper_Outro = nullptr;
    QLineEdit* ewVlr_Juros = nullptr;
    QPlainTextEdit* mObservacoes = nullptr;
    QPushButton* BotaoImprimir = nullptr;
    QPushButton* BotaoFechar = nullptr;

private:
    BookOrder order() const;
    // The inputs kept in the screen's settings file from one use to the
    // next (all but the observations).
    void restoreFields();
    void rememberFields();
    QList<QLineEdit*> keptFields() const;
    Session& session_;
    UserInterface& ui_;
};

} // namespace folha
