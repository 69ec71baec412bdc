#pragma once
// What the screens of the jobs (payroll, advance, vacation, 13th salary,
// termination, the government files) share: the employee range with its
// lookup buttons, the fields a screen remembers in its settings file, the
// read-only group "Variáveis especiais:", the user interface that also
// feeds a screen's own log box and progress bars, Enter moving between the
// fields, and the base of the calculation screens (the range read, the run,
// the audit entry and the closing message saying what was done).

#include "AuditLog.h"
#include "Session.h"
#include "UserInterface.h"

#include <QGroupBox>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

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
// The same for a value that belongs to the company open (an employee code, a
// responsible party): section "Empresa" + company code, so that another
// company's screen never opens on it.
QString RestoreCompanyField(Session& session, const QString& screen, const QString& field);
void RememberCompanyField(Session& session, const QString& screen, const QString& field, const QString& value);

// The branch's DATA_FOLHA (the open competence's payroll date); an invalid
// date when the branch cannot be read or has none.
QDate BranchSheetDate(Session& session);

// Enter moves to the next field of `screen`, as on the registers; on a
// button it presses the button, in a text box of several lines it starts a
// new line, and with a combo box's list open it picks the item. Call it once
// the screen's widgets exist.
void MoveOnWithEnter(QWidget* screen);

// The closing message of a job: "24 funcionário(s) calculado(s)" as an
// information, a count of zero as a warning (nothing was done), with any
// further lines (employees left out, ...) below.
void AnnounceJob(UserInterface& ui, int count, const QString& what, const QStringList& more = {});

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

    // The fields as the screen's settings file keeps them for the company
    // open (keys "FuncionarioInicial" and "FuncionarioFinal"): another
    // company opens the screen on an empty range.
    void restore(const QString& screen);
    void remember(const QString& screen) const;

    // The typed codes as the engine takes them ("25" -> "000025"; empty
    // stays empty). Throws UserError for a code that is not one.
    QString firstCode() const;
    QString lastCode() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pick(QLineEdit* box);
    void complete(QLineEdit* box);
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

// The base of the calculation screens: the employee range (remembered per
// company), the run through a JobUi with the screen's buttons held, the
// audit entry of a run that started, and the closing message saying what
// the run did. Enter moves between the fields.
class JobScreen : public QWidget {
    Q_OBJECT
public:
    EmployeeRange* range() const { return range_; }
    const QString& screenName() const { return screenName_; }

    // What a run did, as the screen tells it.
    struct Outcome {
        bool started = false;      // false: the engine refused and said why
        bool cancelled = false;    // the engine already said how far it got
        int count = 0;             // what was done ("24")
        QString what;              // "funcionário(s) calculado(s)"
        QStringList more;          // further lines of the closing message
        std::optional<AuditEntry> audit;
    };
    // The range as the engine takes it.
    struct Range {
        QString first;
        QString last;
    };

protected:
    JobScreen(Session& session, UserInterface& ui, const QString& screenName, QWidget* parent);

    // The range, restored for the company open; the screen places it.
    EmployeeRange* makeRange(const QString& firstCaption, const QString& lastCaption);
    // Reads the range (a bad code is told and nothing runs), remembers the
    // fields, holds `buttons`, runs `job` with an interface feeding the
    // screen's log box and bars, writes the audit entry and tells the
    // outcome. Returns false when nothing ran.
    bool runJob(const QList<QWidget*>& buttons, QPlainTextEdit* logBox, QProgressBar* steps, QProgressBar* rows,
                const std::function<Outcome(JobUi&, const Range&)>& job);
    // What the screen remembers besides the range.
    virtual void rememberFields();
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    Session& session_;
    UserInterface& ui_;

private:
    QString screenName_;
    EmployeeRange* range_ = nullptr;
    bool enterWired_ = false;
};

} // namespace folha::ui
