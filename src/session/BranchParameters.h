#pragma once
// Per-branch parameters of the shared "ParametrosEmpresa" table, read once
// and kept for the rest of the run.

#include "Database.h"

#include <QString>

namespace folha {

// ValorStr of the parameter of that name; the cache is filled on first use
// with the rows of the branch ("-ZERO-" reads every row) and never refreshed.
QString GetBranchParameter(Database& db, const QString& branchCode, const QString& name);
// Forgets the cache (a new program run, or a test).
void ResetBranchParameterCache();

} // namespace folha
