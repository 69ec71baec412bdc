#pragma once
// The vacation, 13th-salary and termination screens: the employee range with
// its lookups, the commission months, the branch's special variables, a
// progress bar (and, for the vacation, a log box). Each collects its inputs
// and runs the same calculation the command line runs.

#include "JobScreen.h"
#include "LeaveCalc.h"
#include "Session.h"
#include "UserInterface.h"

#include <QWidget>
#include <memory>

class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace folha {

class LeaveScreen : public ui::JobScreen {
    Q_OBJECT
public:
    struct Setup {
        QString screenClass;   // also the name of its settings file and of its audit entries
        QString caption;       // the window's title
        QString runCaption;    // "Calcular" or "Imprimir"
        bool logBox = false;   // the missing-event lines in a box of the screen
        bool remembersMonths = false;
    };

    LeaveScreen(Session& session, UserInterface& ui, Setup setup, QWidget* parent);

    // The calculation over the typed range: a bad code is told and nothing
    // runs; otherwise the run is written to the audit log and the screen
    // says how many employees were calculated. Returns the run's summary
    // (nothing when it did not start).
    std::optional<leave::LeaveSummary> run();

    QLineEdit* monthsField() const { return months_; }
    QPushButton* runButton() const { return runButton_; }
    QPushButton* closeButton() const { return closeButton_; }
    QPlainTextEdit* logBox() const { return log_; }
    QProgressBar* progressBar() const { return progress_; }
    ui::BranchVariables* variables() const { return variables_; }

    static const QString MonthsKey;

protected:
    virtual std::unique_ptr<leave::LeaveCalc> calculation(Database& db, UserInterface& ui) const = 0;
    void rememberFields() override;

private:
    Setup setup_;
    QLineEdit* months_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
    ui::BranchVariables* variables_ = nullptr;
};

// "Calculo das Férias e Médias".
class TfoCalcFeriasMedias : public LeaveScreen {
    Q_OBJECT
public:
    TfoCalcFeriasMedias(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    std::unique_ptr<leave::LeaveCalc> calculation(Database& db, UserInterface& ui) const override;
};

// "Calculo 13 e Medias": no log box; the calculation's log lines go to the
// program's interface, which shows them together when the run ends.
class TfoCalc13Medias : public LeaveScreen {
    Q_OBJECT
public:
    TfoCalc13Medias(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    std::unique_ptr<leave::LeaveCalc> calculation(Database& db, UserInterface& ui) const override;
};

// "Calculo da Recsão e Media Horas Extras": "Imprimir" runs the calculation;
// the months are remembered too.
class TfoCalcResciHorasExtras : public LeaveScreen {
    Q_OBJECT
public:
    TfoCalcResciHorasExtras(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    std::unique_ptr<leave::LeaveCalc> calculation(Database& db, UserInterface& ui) const override;
};

} // namespace folha
