#pragma once
// The audit log: one table a month ("LogSys_MM_YYYY") in the shared
// database, and the catalogue "LogSys_Tipos" of every screen, action and
// table ever logged.

#include "Database.h"
#include "UserInterface.h"

#include <QDateTime>

namespace folha {

// What a job leaves in the audit log: the action code ("C" calculation, "E"
// change, "R" file), the table it touched and the text. Each job builds its
// own entry, so the desktop and the command line log the same words.
struct AuditEntry {
    QString action;
    QString table;
    QString text;
};

// The action name of a code ("I" -> "Inserir"), empty for another code.
QString AuditActionName(const QString& code);

// Appends one entry; a failure is shown as "Erro ao gravar log de sistema : "
// with the error and the log text, and the caller goes on. Returns whether
// the entry was written. `when` defaults to now.
bool WriteAuditLog(Database& zorvan, int branchCode, const QString& screen, const QString& action,
                   const QString& userCode, const QString& table, const QString& logText, UserInterface& ui,
                   const QDateTime& when = {});

// WriteAuditLog for a job's entry.
inline bool WriteAuditEntry(Database& zorvan, int branchCode, const QString& screen, const AuditEntry& entry,
                            const QString& userCode, UserInterface& ui) {
    return WriteAuditLog(zorvan, branchCode, screen, entry.action, userCode, entry.table, entry.text, ui);
}

// "(todos)" for an open end of an employee range.
inline QString RangeEndText(const QString& code) { return code.isEmpty() ? QStringLiteral("(todos)") : code; }

} // namespace folha
