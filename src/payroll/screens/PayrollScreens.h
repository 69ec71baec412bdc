#pragma once
// The screens of the payroll jobs: the monthly payroll ("Calculos da
// Folha"), the salary advance ("Calculo do Adiantamento") and the undo of a
// calculation ("Descalcular"). Each collects its inputs and calls the engine
// entry point that `folha calc`, `folha advance` and `folha undo` call.

#include "Advance.h"
#include "JobScreen.h"
#include "PayrollRun.h"
#include "Session.h"
#include "UserInterface.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace folha {

void RegisterPayrollScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

// "Calculos da Folha": the monthly payroll of a range of employees.
class TfoCalculosFolha : public ui::JobScreen {
    Q_OBJECT
public:
    TfoCalculosFolha(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);
    static const QString ScreenName;

    // "Calcular": the run over the range typed, its log in the log box and
    // its progress in the two bars.
    void BotaoCalcularFolhaClick();
    // What the last "Calcular" did (nothing when a typed code was refused).
    const std::optional<payroll::RunSummary>& lastRun() const { return lastRun_; }

    QCheckBox* familyAllowanceBox() const { return familyAllowance_; }
    QCheckBox* automaticBox() const { return automatic_; }
    QPlainTextEdit* logBox() const { return log_; }
    QProgressBar* employeesBar() const { return employees_; }
    QProgressBar* rowsBar() const { return rows_; }

private:
    QCheckBox* familyAllowance_;
    QCheckBox* automatic_;
    QPushButton* calculate_;
    QPushButton* close_;
    QProgressBar* employees_;
    QProgressBar* rows_;
    QPlainTextEdit* log_;
    ui::BranchVariables* variables_;
    std::optional<payroll::RunSummary> lastRun_;
};

// "Calculo do Adiantamento": the salary advance of a range of employees.
class TfoCalcAdiantamento : public ui::JobScreen {
    Q_OBJECT
public:
    TfoCalcAdiantamento(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);
    static const QString ScreenName;

    // "Calcular".
    void BotaoCalcularClick();
    const std::optional<payroll::AdvanceSummary>& lastRun() const { return lastRun_; }

    QComboBox* baseOnSalaryBox() const { return baseOnSalary_; }
    QLineEdit* baseMonthBox() const { return baseMonth_; }
    QLineEdit* baseEventBox() const { return baseEvent_; }
    QCheckBox* writeNetBox() const { return writeNet_; }

private:
    QComboBox* baseOnSalary_;
    QLineEdit* baseMonth_;
    QLineEdit* baseEvent_;
    QCheckBox* writeNet_;
    QPushButton* calculate_;
    QPushButton* close_;
    ui::BranchVariables* variables_;
    std::optional<payroll::AdvanceSummary> lastRun_;
};

// "Descalcular": deletes the calculated rows of one employee, period and
// sheet type. The four values are filled only through "Período" (the
// employee chooser), which showing the screen presses at once.
class TfoDescalcularFolha : public QWidget {
    Q_OBJECT
public:
    TfoDescalcularFolha(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

    // Whether showing the screen opens the chooser (the pictures and the
    // tests turn it off).
    bool chooseOnShow = true;

    // What the chooser hands back on "Escolher".
    struct Choice {
        QString year;
        QString month;
        QString sheetText; // "F - Folha"
        QString employee;  // as typed in the chooser
    };
    // "Período": the employee chooser pre-filled from the non-empty fields;
    // on "Escolher" its values come back. `chooser` replaces the dialog
    // (tests): it gets the current values and returns the choice, or
    // nothing for a cancel.
    void BotaoPeriodoClick(const std::function<std::optional<Choice>(const Choice&)>& chooser = {});
    // "Descalcular": the checks, the question, the delete, the audit entry;
    // the screen closes after a successful undo.
    void BotaoDescalcularClick();

    // The four fields (the code normalised to six digits, NOME looked up).
    void setChoice(const Choice& choice);
    Choice current() const;
    QString employeeName() const;
    int rowsRemoved() const { return removed_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void locateEmployee();
    Session& session_;
    UserInterface& ui_;
    QLineEdit* year_;
    QLineEdit* month_;
    QComboBox* sheet_;
    QLineEdit* code_;
    QLineEdit* name_;
    QPushButton* period_;
    QPushButton* undo_;
    QPushButton* exit_;
    bool shownOnce_ = false;
    int removed_ = 0;
};

} // namespace folha
