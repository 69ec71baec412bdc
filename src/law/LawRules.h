#pragma once
// The rules of each competence and the statutory amounts of the current law,
// each with its trail: the table used, its validity and source, the inputs
// and the formula with its values.

#include "LegalTables.h"

#include <QDate>

namespace folha::law {

// The first competence of the current law (progressive INSS, the legal
// tables of the installation).
inline const QString CurrentLawStart = QStringLiteral("202003");

struct CompetenceRules {
    QString competence;        // AAAAMM
    bool currentTables = false; // the legal tables and progressive INSS (from 03/2020)
    bool corrected = false;     // the corrected rules (from 03/2020, or older with the switch)
};
CompetenceRules RulesFor(const QString& competence, const LawSettings& settings = CurrentLaw().settings);

// An amount and why it is what it is.
struct Worked {
    Fixed amount;
    QString trail;
};

// "1.621,00"
QString Money(Fixed v);
// "7,5 %"
QString Percent(Fixed rate);
// "01/2026 a 12/2026", or "a partir de 01/2026" for a table still open.
QString ValidityPeriod(const LegalRow& row);
// "Portaria ..., vigência 01/2026 a 12/2026"
QString Validity(const LegalRow& row);
// A rate in percent of a base, cut toward zero to the centavo (the
// contributions are truncated to the cent).
Fixed CutToCent(Fixed base, Fixed ratePercent);

// The employer's contribution on the pay of employees, as a branch keeps it:
// one rate ("% Empresa GPS", PER_GRPS17) holding the employer's 20 %
// (Lei 8.212/1991, art. 22, I) and, above it, the accident rate RAT
// (art. 22, II), which the branch's accident-prevention factor (FAP,
// INDICE_FAP) multiplies (Lei 10.666/2003, art. 10). A factor of 0 or less
// is no factor: the rate stands. RAT x FAP is rounded to 5 decimals (then
// held to the 4 places of a Fixed), as the payroll book reads it.
// A rate of 20 or below holds no RAT: it is the employer's part as the office
// typed it (a reduced employer rate), and the factor, which adjusts only the
// RAT, leaves it alone.
struct EmployerRate {
    Fixed employer; // the employer's part: the rate, at most 20
    Fixed rat;      // the rate above 20
    Fixed fap;      // the factor applied (1 when the branch has none)
    Fixed ratFap;   // rat x fap
    Fixed adjusted() const { return employer + ratFap; }
};
EmployerRate EmployerRateOf(Fixed branchRate, Fixed fap);
// The employer's contribution on a base at that rate in its two parts, which
// add up to the one amount the payroll book charges on the base: base x the
// adjusted rate / 100 rounded to the centavo. The employer's part is base x
// its rate / 100 rounded to the centavo; the RAT's is what is left.
struct EmployerContribution {
    Fixed employer;
    Fixed ratFap;
};
EmployerContribution EmployerContributionOn(const EmployerRate& rate, Fixed base);

// The INSS of an employee by the progressive brackets in force: the part of
// the base in each bracket times its rate, each part cut to the centavo; the
// base above the ceiling is not taxed. `label` opens the trail ("INSS 2026").
// Throws UserError-like std::runtime_error when no table is in force.
Worked InssProgressive(const LegalTables& t, const QString& competence, Fixed base, const QString& label);
// The ceiling of the INSS in force (zero when none is).
Fixed InssCeiling(const LegalTables& t, const QString& competence);

// The tax of a base by the IRRF brackets in force: base × rate (to the
// centavo) less the amount to deduct, never below zero.
Worked IrrfOfBaseCurrent(const LegalTables& t, const QString& competence, Fixed base);

struct IrrfInputs {
    Fixed income;        // taxable income of the month (before deductions)
    Fixed inss;          // INSS withheld, a legal deduction
    int dependants = 0;
    bool simplifiedAllowed = true; // the simplified deduction may replace the legal ones
    bool reductionAllowed = true;  // the Lei 15.270/2025 reduction applies
    // Amounts up to 10,00 are not withheld on income that goes into the
    // yearly return (Lei 9.430/1996, art. 67); the 13th salary, taxed
    // apart, does not go into it.
    bool smallTaxWaived = true;
};
struct IrrfResult {
    Fixed tax;
    Fixed base;               // the base the tax was computed on
    Fixed dependantDeduction; // DEPENDEN × the deduction per dependant
    bool simplified = false;  // the simplified deduction gave the lower tax
    Fixed reduction;
    QString trail;
};
// The monthly IRRF of the current law: legal deductions (INSS, dependants)
// or the simplified deduction, whichever gives the lower tax; then the
// reduction of Lei 15.270/2025 where in force; amounts up to 10,00 are not
// withheld when `smallTaxWaived`.
IrrfResult IrrfCurrent(const LegalTables& t, const QString& competence, const IrrfInputs& in, const QString& label);

// Days of notice of a dismissal: 30, plus 3 per full year of service, up
// to 90 (Lei 12.506/2011).
int NoticeDays(const QDate& admission, const QDate& leaving);

// National holidays of a year (Lei 662/1949, Lei 6.802/1980, Lei 14.759/2023).
QList<QDate> NationalHolidays(int year);
// The rest days (Sundays and holidays) and working days of a month.
struct MonthDays {
    int restDays = 0;
    int workingDays = 0;
};
MonthDays DaysOfMonth(int year, int month, const QList<QDate>& holidays);

} // namespace folha::law
