#pragma once
// Registered tables written out as Paradox files, as an office's old
// installation kept them: the fixtures of the import's tests and benchmark.
// Field types vary over what pxlib writes (numbers as BCD, money and
// floating point; some dates as timestamps; memos), so that an import of
// the files reads every kind.

#include "Database.h"
#include "ParadoxFile.h"
#include "Registry.h"

namespace folha::legacy {

// The Paradox fields of a registered table, in its field order.
QList<ParadoxField> ParadoxFieldsFor(const TableDef& def);

// Writes every row of a registered table of a database as the Paradox file
// `def.fileName` in `directory`, in a code page (850 or 1252). Returns the
// number of rows written.
qint64 WriteParadoxTable(Database& db, const TableDef& def, const QString& directory, int codePage = 1252);

} // namespace folha::legacy
