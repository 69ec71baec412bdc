#pragma once
// The trail of the calculated rows (MEMOCALC): for each row, the rule that
// made it and the formula with its values. Written with the rows, in their
// transaction, and removed with them.

#include "Table.h"

#include <QString>
#include <map>
#include <optional>
#include <vector>

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
// The stored trails of one sheet of a page of employees, read with one
// query: what WriteTrails compares a calculation's trails with, instead of
// reading each employee's again.
class TrailPage {
public:
    // The trails of the employees from `first` to `last` (codes, both
    // included) in the sheet of `key` (its employee is not looked at).
    void load(Database& db, const TrailKey& sheet, const QString& first, const QString& last);
    // The employee's stored trails in event-code order; nothing when the
    // page did not read his sheet.
    const std::vector<Record>* stored(const TrailKey& key) const;

private:
    std::optional<TrailKey> sheet_;
    QString first_, last_;
    std::map<QString, std::vector<Record>> byEmployee_;
    std::vector<Record> none_;
};

// Replaces the trails of an employee's sheet by `rows`. `page`, when given,
// holds what is stored (read with the employee's page).
void WriteTrails(Database& db, const TrailKey& key, const std::vector<TrailRow>& rows, const TrailPage* page = nullptr);
// Removes the trails of an employee's sheet; returns how many went.
int RemoveTrails(Database& db, const TrailKey& key);

} // namespace folha::law
