#pragma once
// "Zorvan - Lançamentos Contábeis:": the month's accounting entries of the
// branch's payroll. The competence (the branch's by default) and the CSV
// file; "Imprimir" writes the CSV and sends the printed summary to the
// destination chosen in the print set-up. Items without accounts are told.

#include "Accounting.h"

#include <optional>
#include <QWidget>

class QLineEdit;

namespace folha {

class Session;
class UserInterface;

class TfoLancContabeis : public QWidget {
    Q_OBJECT
public:
    TfoLancContabeis(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);
    static const QString ScreenName;

    // Builds the entries and writes the CSV; with `askSetup` the summary
    // goes to the destination the print set-up chooses. Returns false when
    // a typed value was refused or nothing was written.
    bool BotaoImprimirClick(bool printSummary = true);
    QLineEdit* competenceField() const { return competence_; }
    QLineEdit* fileField() const { return file_; }
    const std::optional<AccountingResult>& lastRun() const { return lastRun_; }

private:
    Session& session_;
    UserInterface& ui_;
    QLineEdit* competence_;
    QLineEdit* file_;
    std::optional<AccountingResult> lastRun_;
};

} // namespace folha
