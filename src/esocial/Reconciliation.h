#pragma once
// The government's totals of a month (S-5001, S-5002, S-5003, S-5011,
// S-5013, as kept in ESOCTOT) against the payroll's own calculated rows:
// the office's check before it issues the FGTS Digital guide and confirms
// the DCTFWeb.

#include "Database.h"
#include "Fixed.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace folha {
class TextReport;
}

namespace folha::esocial {

// One item that differs.
struct Divergence {
    QString worker; // CODFUN; empty for the company's totals
    QString name;   // the worker's name, or "Empresa"
    QString cpf;
    QString item;   // "Base INSS", "Contribuição INSS", "IRRF", "Base FGTS", "FGTS", …
    Fixed payroll;
    Fixed government;
    QString rubricas; // the payroll's rows behind the item: "001 SALARIO 2500.00; …"
};

struct ReconciliationResult {
    QString competence; // AAAA-MM
    int workers = 0;    // workers compared
    QStringList missing; // the kinds of totals not imported for the month ("S-5002")
    std::vector<Divergence> divergences;
};

// Compares every worker with calculated rows in the competence (sheets F,
// I, A and D) or with totals of it, and the company's totals. Kinds of
// totals the month has none of are listed in `missing` and not compared.
ReconciliationResult Reconcile(Database& db, int year, int month);

// The report: each divergence with worker, item, payroll value, the
// government's value and the rubricas behind it; "Sem divergências" when
// there are none.
void ComposeReconciliation(TextReport& report, const ReconciliationResult& r);
inline constexpr int kReconciliationWidth = 132;

// The figures of the FGTS Digital guide and of the DCTFWeb from the payroll
// itself, for the office to check the guides against: the FGTS of the month
// per worker and in total, and the social-security totals by kind.
struct GuideWorker {
    QString worker, name;
    Fixed inssBase, inss; // 013 + 015; 012 + 014
    Fixed fgtsBase, fgts; // 031; 032 + 067
};
struct GuideSummary {
    QString competence; // AAAA-MM
    QString branch;     // the branch whose rates were used
    std::vector<GuideWorker> workers;
    Fixed inssBase, fgtsBase;
    Fixed fgts;         // the FGTS Digital guide's amount
    Fixed employee;     // the insured's contributions withheld
    // The employer's part (at most 20 %, Lei 8.212/1991, art. 22, I) and the
    // RAT x FAP, as law::EmployerContributionOn splits them: together, what
    // the payroll book charges on the same base.
    Fixed employer;
    Fixed ratFap;
    Fixed thirdParties; // the branch's third-party rate (PER_GRPS18)
    Fixed employerRate, ratRate, fap, thirdPartiesRate;
};
GuideSummary SummarizeGuides(Database& db, int year, int month);
void ComposeGuideSummary(TextReport& report, const GuideSummary& s);
inline constexpr int kGuideSummaryWidth = 132;

} // namespace folha::esocial
