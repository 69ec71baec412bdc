#pragma once
// The descriptions shown beside the code boxes of the employee register:
// the position, union, taker and event-code names. The codes are text in
// their own registers ("007") and short integers in the employee row (7),
// so a code is compared with the register's keys as a number.

#include "Database.h"
#include "Registry.h"

#include <QString>

namespace folha::registers {

// The description of a code in the register of a lookup: the row whose
// key equals the code as a number ("7" finds "007"; a code that is not a
// whole number compares as trimmed text). Empty when the code is empty or
// names no row.
QString LookupDescription(Database& db, const LookupDef& lookup, const QString& code);

// The code a pick leaves in a code box: the digits of the box's text (the
// selection dialog writes it quoted, "'007'"), as the short integer the
// employee row stores ("7"); empty when there are none.
QString PickedCode(const QString& boxText);

} // namespace folha::registers
