#pragma once
// What a user types where a code, a sheet type, a period or a date is asked
// for, read the same way by every front end: the value in its stored form,
// or a UserError with the text the user reads.

#include "DbError.h"
#include "Fixed.h"

#include <QDate>
#include <QString>

namespace folha {

// An employee code as typed ("25") in the register's form ("000025"): one to
// six digits.
QString TypedEmployeeCode(const QString& typed);
// A sheet type (F, I, D, A, P or Q), in capitals.
QString TypedSheetType(const QString& typed);

struct TypedPeriod {
    QString year;  // "2013"
    QString month; // "04"
    QDate firstDay() const { return QDate(year.toInt(), month.toInt(), 1); }
};
// A year of four digits from 1900 and a month from 1 to 12 ("4" -> "04").
TypedPeriod TypedYearMonth(const QString& year, const QString& month);
// A competence typed MM/AAAA ("04/2013", "4/2013"; blanks around the parts
// are ignored): a month from 1 to 12 and a year of four digits from 1900.
// Every front end reads a competence through it; the refusal is "Competência
// inválida: … (use MM/AAAA)".
TypedPeriod TypedCompetence(const QString& typed);
// A date typed DD/MM/AAAA; `what` names the field in the refusal.
QDate TypedDate(const QString& typed, const QString& what = {});
// A PIS number of one to eleven digits, completed on the left with "0" to
// eleven ("123" -> "00000000123"); `what` names the field in the refusal.
QString TypedPis(const QString& typed, const QString& what);
// An amount of money typed the Brazilian way: "1.234,56", "1234,56", "1234"
// (dots only between groups of three digits, at most `places` decimals after
// the comma, never negative). A single dot followed by one or two digits and
// no comma is the decimal point as well ("1234.56"); "1.234" is a thousand.
// An empty text is zero.
Fixed TypedMoney(const QString& typed, const QString& what, int places = 2);
// An amount as the forms and grids show it: "3.100,50", "-12,00"; two
// decimals, more only when the value has them ("0,0765").
QString MoneyText(Fixed value);

} // namespace folha
