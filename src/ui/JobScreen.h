#pragma once
// What the screens of the jobs (payroll, advance, vacation, 13th salary,
// termination, the government files) share: the employee range with its
// lookup buttons, the fields a screen remembers in its settings file, the
// read-only group "Variáveis especiais:" and the user interface that also
// feeds a screen's own log box and progress bars.

#include "Session.h"
#include "UserInterface.h"

#include <QGroupBox>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace folha::ui {

// A field remembered from one use of a screen to the next: section "Campos"
// of the screen's settings file (IniDir + screen + ".ini"). Empty when none.
QString RestoreScreenField(Session& session, const QString& screen, const QString& field);
void RememberScreenField(Session& session, const QString& screen, const QString& field, const QString& value);

// The query of the employee lookups.
extern const QString EmployeeLookupQuery; // " SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN "

// The two employee-code fields of a job screen, each with its lookup
// button. The lookup opens the selection dialog over the employees (one
// row) and puts the chosen code into its field; the first button also
// copies it into the final field.
class EmployeeRange : public QWidget {
    Q_OBJECT
public:
    enum class CodeStyle {
        Digits, // the chosen code reduced to its digits ("Calculos da Folha")
        Padded, // the code formatted to six characters (vacation, 13th, termination)
    };
    EmployeeRange(Session& session, UserInterface& ui, const QString& firstCaption, const QString& lastCaption,
                  CodeStyle style, QWidget* parent = nullptr);

    QLineEdit* firstField() const { return first_; }
    QLineEdit* lastField() const { return last_; }
    QToolButton* firstButton() const { return firstButton_; }
    QToolButton* lastButton() const { return lastButton_; }

    void pickFirst();
    void pickLast();

    // The fields as the screen's settings file keeps them (keys
    // "FuncionarioInicial" and "FuncionarioFinal").
    void restore(const QString& screen);
    void remember(const QString& screen) const;
    // The last code chosen in the employee chooser, when one was, into both
    // fields.
    void putLastChosen();

    // The typed codes as the engine takes them ("25" -> "000025"; empty
    // stays empty). Throws UserError for a code that is not one.
    QString firstCode() const;
    QString lastCode() const;

private:
    bool pick(QLineEdit* box);
    Session& session_;
    UserInterface& ui_;
    CodeStyle style_;
    QLineEdit* first_;
    QLineEdit* last_;
    QToolButton* firstButton_;
    QToolButton* lastButton_;
};

// "Variáveis especiais:": the branch's "Teto Inss" (TETO_INSS), "Tipo Folha"
// (TIPO_FOL), "Valor do Mínimo" (VLR_MINIMO) and "Data Folha" (DATA_FOLHA),
// read-only, from the branch of the session.
class BranchVariables : public QGroupBox {
    Q_OBJECT
public:
    BranchVariables(Session& session, QWidget* parent = nullptr);
    // Reads the branch row again.
    void refresh();
    QString ceilingText() const;
    QString sheetText() const;
    QString minimumText() const;
    QString dateText() const;

private:
    Session& session_;
    QLineEdit* ceiling_;
    QLineEdit* sheet_;
    QLineEdit* minimum_;
    QLineEdit* date_;
};

// The interface a job screen hands its engine: everything goes to the
// program's interface (message boxes, the progress dialog with its cancel
// button, the warnings gathered at the run's end); the log lines also go into
// the screen's log box and the progress also into its bars. Any of the
// widgets may be null.
class JobUi : public UserInterface {
public:
    JobUi(UserInterface& base, QPlainTextEdit* logBox, QProgressBar* steps, QProgressBar* rows = nullptr);

    void message(MessageKind kind, const QString& text, const QString& title = {}) override;
    bool question(const QString& text, QuestionKind kind = QuestionKind::YesNo, const QString& title = {}) override;
    void log(const QString& line) override;
    void progressStart(const QString& caption, int steps) override;
    void progressStep(int done) override;
    void progressEnd() override;
    void subProgress(int done, int steps) override;
    bool cancelRequested() override;
    void runStart(const QString& caption) override;
    void runEnd() override;

private:
    UserInterface& base_;
    QPointer<QPlainTextEdit> logBox_;
    QPointer<QProgressBar> steps_;
    QPointer<QProgressBar> rows_;
};

} // namespace folha::ui
