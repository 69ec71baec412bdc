#pragma once
// The rows one register's fields name in another (an event's code and
// employee, an employee's position, union, cost centre...): a row may only
// name what is registered, and a registered row may not be deleted while
// rows still name it. Every save and delete of the registers goes through
// these two checks, so the desktop, the command line and imports refuse the
// same things.

#include "Table.h"

namespace folha::registers {

// A code typed short in a field that names another register's row is
// completed with leading zeros to the field's width ("10" -> "000010").
void CompleteCodes(Record& row);
// The width a field of `def` is completed to, as CompleteCodes does it; 0
// for a field that is no such code (the forms complete on leaving the box).
int CompletedCodeWidth(const TableDef& def, const FieldDef& f);

// Throws UserError "Histórico 999 não cadastrado" for the first field of
// `row` that names a row its register does not hold.
void RequireReferencedRows(Database& db, const Record& row);

// What still names `row` ("Funcionário 000024 tem 15 registro(s) em
// Ocorrências"), one line per table; empty when nothing does.
QString RowsNaming(Database& db, const Record& row);

// The row's register noun and key for a message: "Funcionário 000024".
QString RowName(const Record& row);

} // namespace folha::registers
