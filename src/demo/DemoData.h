#pragma once
// The rows of the demo installation, as plain data. Text fields take a
// QString, number fields a decimal text such as "1234.56" (read exactly into
// the four-place fixed-point type), short and long integers an int, dates a
// QDate, logical fields a bool. The builder (DemoBuilder) writes them through
// the table registry, which checks every field name, type and width.

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace folha::demo {

struct DemoRow {
    QString table;                              // registry table name ("CADFUN")
    QList<QPair<QString, QVariant>> values;     // field name -> value
};

// Rows shared by every demo company: the 2013 contribution tables
// (Tabelas), the event chart (HISTFP), the fixed roles (FIXAOCOR), leave
// reasons (HISTAFAS), positions, unions, cost centres, banks, transport
// lines, shifts, takers and the responsible party.
QList<DemoRow> commonCompanyRows();

// The branch rows (Filial) of a demo company: company 1 has branch "001",
// company 2 has "001" and "002", payroll date 30/04/2013, sheet "F"
// (company 2's "002" on 31/12/2013, sheet "D"); company 3 has "001" on
// 31/12/2025, sheet "D", until the builder moves it to January 2026.
QList<DemoRow> branchRows(int company);

// The employees of a demo company with their dependants, leave records,
// shift movement, taker amounts and the entered events of April 2013
// (company 3: of January 2026).
QList<DemoRow> employeeRows(int company);

// The dismissal company 3 enters in January 2026, after December's 13th
// salary was calculated with the employee still at work: the register
// fields to set on the employee and the leave row (AFASTFUN).
struct DemoDismissal {
    QString employee;
    QList<QPair<QString, QVariant>> fields;
    DemoRow leave;
};
DemoDismissal dismissalOfJanuary2026();

// One employee row (CADFUN) used as the template of the synthetic
// companies of the benchmarks: a monthly employee with the given code.
DemoRow syntheticEmployee(const QString& code, int seq);
// About a dozen entered events of April 2013 (sheet "F") for that employee.
QList<DemoRow> syntheticEvents(const QString& code, int seq);

} // namespace folha::demo
