#pragma once
// The audit log: one table a month ("LogSys_MM_YYYY") in the shared
// database, and the catalogue "LogSys_Tipos" of every screen, action and
// table ever logged.

#include "Database.h"
#include "UserInterface.h"

#include <QDateTime>

namespace folha {

// The action name of a code ("I" -> "Inserir"), empty for another code.
QString AuditActionName(const QString& code);

// Appends one entry; a failure is shown as "Erro ao gravar log de sistema : "
// with the error and the log text, and the caller goes on. Returns whether
// the entry was written. `when` defaults to now.
bool WriteAuditLog(Database& zorvan, int branchCode, const QString& screen, const QString& action,
                   const QString& userCode, const QString& table, const QString& logText, UserInterface& ui,
                   const QDateTime& when = {});

} // namespace folha
