#pragma once
// The trail of the calculated rows (MEMOCALC): for each row, the rule that
// made it and the formula with its values. Written with the rows, in their
// transaction, and removed with them.

#include <QString>
#include <optional>
#include <vector>

namespace folha {
class Database;
}

namespace folha::law {

struct TrailRow {
    QString event; // HCODIGO
    QString rule;  // the step of the calculation that wrote the row
    QString text;  // the formula with its values; may be empty
};

struct TrailKey {
    QString employee, year, month, sheet;
};

// The trails of an employee's sheet, in event-code order.
std::vector<TrailRow> ReadTrails(Database& db, const TrailKey& key);
// The trail of one row (its event) of an employee's sheet; nothing when the
// row has none (typed, imported or calculated before trails were kept).
std::optional<TrailRow> ReadRowTrail(Database& db, const TrailKey& key, const QString& event);
// A trail as it is read on screen and paper: "Regra: " and the rule, then
// the text on the lines below.
QString TrailReading(const TrailRow& row);
// Replaces the trails of an employee's sheet by `rows`.
void WriteTrails(Database& db, const TrailKey& key, const std::vector<TrailRow>& rows);
// The trails of one employee's sheet, among several written at once.
struct SheetTrails {
    QString employee;
    std::vector<TrailRow> rows;
};
// Replaces the trails of several employees' sheets of one month, as
// WriteTrails does each, with a few statements for all of them: where each
// statement is a round trip, a calculation writes a group's trails so.
void WriteSheetsTrails(Database& db, const QString& year, const QString& month, const QString& sheet,
                       const std::vector<SheetTrails>& sheets);
// Removes the trails of an employee's sheet; returns how many went.
int RemoveTrails(Database& db, const TrailKey& key);

} // namespace folha::law
