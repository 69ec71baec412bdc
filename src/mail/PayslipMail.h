#pragma once
// Pay statements by e-mail: each employee of the branch's current payroll
// with an address in the register (EMAIL) gets his own statement, one
// message each, as a PDF protected by the password the settings' rule gives
// (by default the first five digits of his CPF). The statement is drawn by
// the same layout as the printed one, in memory, encrypted in memory and
// never written to disk unprotected.
//
// Every attempt is kept in ENVIOMAIL (competence, sheet, employee: the
// address, the time, sent or failed and the server's answer); sending again
// skips those already sent, so only the failed and the not yet sent go.

#include "Database.h"
#include "MailSettings.h"
#include "PayStatements.h"
#include "UserInterface.h"

#include <QString>
#include <vector>

namespace folha {

enum class MailOutcome {
    Sent,        // accepted by the server
    Failed,      // refused, or the server could not be reached
    NoAddress,   // no e-mail in the register (or one not usable)
    NoPassword,  // the rule's data (CPF, birth date) missing: not sent unprotected
    AlreadySent, // sent before for this competence and sheet
    WouldSend,   // a trial run: what would be sent
};

struct MailRecipient {
    QString code;
    QString name;
    QString address;
    MailOutcome outcome = MailOutcome::WouldSend;
    QString answer; // the server's answer or why it was left out
};

struct PayslipMailOptions {
    PayStatementOptions statements; // branch and range
    bool send = false;              // false: only says what would be sent
    QString companyName;            // for the message's text
};

struct PayslipMailResult {
    QString competence; // YYYYMM
    QString sheet;
    std::vector<MailRecipient> recipients; // by employee code
    int sent = 0, failed = 0, skipped = 0, pending = 0;
    bool cancelled = false;
};

// The subject and the body of an employee's message.
QString PayslipMailSubject(const QString& competence, const QString& sheet);
QString PayslipMailBody(const QString& employeeName, const QString& competence, const QString& sheet,
                        const QString& companyName, PdfPasswordRule rule);

// Builds the statements of the branch's current payroll and sends them (or,
// without options.send, lists what would go). Progress and cancel through
// `ui` (cancel stops between two messages). Throws UserError when the mail
// settings are missing or unusable.
PayslipMailResult SendPayslipsByEmail(Database& company, Database& tmpDb, UserInterface& ui,
                                      const MailSettings& settings, const QString& serverPassword,
                                      const PayslipMailOptions& options);

// The log of a competence and sheet, by employee.
struct MailLogEntry {
    QString code, address, when, result, answer;
    int attempts = 0;
};
std::vector<MailLogEntry> PayslipMailLog(Database& company, const QString& competence, const QString& sheet);

// "Enviado", "Falhou", "Sem e-mail", ...
QString MailOutcomeText(MailOutcome outcome);

} // namespace folha
