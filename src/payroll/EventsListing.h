#pragma once
// The event rows of a working period and sheet, as the events query and
// the command line list them: by employee and event code, with the
// employee's and the event's names, calculated rows marked.

#include "Database.h"
#include "Fixed.h"

#include <QString>
#include <functional>

namespace folha::payroll {

struct EventsFilter {
    QString year;     // "2013"
    QString month;    // "04"
    QString sheet;    // "F"
    QString employee; // CODFUN; empty for every employee
};

struct EventLine {
    QString year, month, sheet;
    QString employee, employeeName;
    QString event, eventName;
    Fixed refer, value;
    QString costCentre;
    bool calculated = false; // FLAG "*"
};

// Calls `fn` for each row in order; `fn` returns false to stop.
void ForEachEventLine(Database& db, const EventsFilter& filter, const std::function<bool(const EventLine&)>& fn);

} // namespace folha::payroll
