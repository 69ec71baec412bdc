#pragma once
// The legal tables of the payroll: INSS brackets, the IRRF table and its
// deductions, the 2026 IRRF reduction, the family allowance, the minimum
// wage and the FGTS rates. Each table is a group of rows of one kind valid
// from a first competence to a last one (open while no newer group exists),
// with the act it comes from. The program ships the tables in force since
// 03/2020; a supervisor adds next year's through the "Tabelas Legais"
// register or `folha legal-tables import`.

#include "Fixed.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace folha {
class Database;
}

namespace folha::law {

// The kinds of legal table and what their columns mean.
//   INSS        brackets: LIMITE upper limit (inclusive), ALIQUOTA in percent; the last LIMITE is the ceiling
//   IRRF        brackets: LIMITE upper limit (inclusive; 0 on the last, open bracket), ALIQUOTA in percent, DEDUZIR
//   IRRFDEP     VALOR: deduction per dependant
//   IRRFSIMPL   VALOR: simplified monthly deduction
//   IRRFREDUCAO row 1: LIMITE, up to which the tax is reduced to zero;
//               row 2: LIMITE, VALOR − income × ALIQUOTA % up to it
//   SALFAM      LIMITE: income limit, VALOR: quota per child
//   SALMIN      VALOR: minimum wage
//   FGTS, FGTSAPREND, FGTSMULTA  ALIQUOTA in percent (deposit, apprentices' deposit, dismissal fine)
struct LegalKind {
    const char* code;
    const char* caption;
};
const std::vector<LegalKind>& LegalKinds();
bool IsLegalKind(const QString& code);

struct LegalRow {
    QString kind;
    QString start; // first competence, AAAAMM
    QString end;   // last competence, AAAAMM; empty: until a newer table of the kind
    int bracket = 1;
    Fixed limit, rate, deduct, value;
    QString source; // act, number and date

    bool operator==(const LegalRow&) const = default;
};

// A refusal of a set of rows: every fault, one per line, in Portuguese.
class LegalTablesError : public std::runtime_error {
public:
    explicit LegalTablesError(const QStringList& faults)
        : std::runtime_error(faults.join(QLatin1Char('\n')).toStdString()), faults_(faults) {}
    const QStringList& faults() const { return faults_; }

private:
    QStringList faults_;
};

class LegalTables {
public:
    LegalTables() = default;
    explicit LegalTables(std::vector<LegalRow> rows);

    const std::vector<LegalRow>& rows() const { return rows_; }

    // The rows of a kind in force in a competence (AAAAMM), in bracket
    // order; empty when none is.
    std::vector<LegalRow> inForce(const QString& kind, const QString& competence) const;
    // The single row of a one-row kind in force, or nothing.
    std::optional<LegalRow> single(const QString& kind, const QString& competence) const;

    // Every fault of the rows: unknown kinds, bad competences, brackets out
    // of order or incomplete, overlapping validity, a table without source.
    QStringList faults() const;

    // The rows with `added` merged in: a group of the same kind and first
    // competence is replaced; an open table older than an added one is
    // closed the month before it. Throws LegalTablesError when the result
    // has faults.
    LegalTables merged(const std::vector<LegalRow>& added) const;

    // The tables the program ships.
    static const LegalTables& shipped();

private:
    std::vector<LegalRow> rows_; // by kind, start, bracket
    void sort();
};

// The documented CSV: "tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte" (the
// source, last, may itself hold ";"),
// competences MM/AAAA, amounts with a decimal comma, "#" starts a comment.
// Reading throws LegalTablesError naming each bad line.
std::vector<LegalRow> ReadLegalCsv(const QString& text);
QString WriteLegalCsv(const std::vector<LegalRow>& rows);
// The nine cells of a row as the CSV writes them.
QStringList LegalCsvCells(const LegalRow& row);

// "MM/AAAA" of an AAAAMM competence, and back (empty when TypedCompetence
// refuses the text).
QString CompetenceText(const QString& yyyymm);
QString CompetenceFromText(const QString& mmYyyy);

// The installation's tables, kept in the shared database: the shipped
// tables the database lacks are added the first time it is read.
LegalTables LoadLegalTables(Database& shared);
// Replaces the stored tables by `tables` (already checked), in one transaction.
void StoreLegalTables(Database& shared, const LegalTables& tables);

// Switches of the installation ("[Legislacao]" of CfgFolha.ini).
struct LawSettings {
    // Apply the corrected rules (retiree contributes, family allowance by
    // age and days, notice by years of service, FGTS on notice and 13th in a
    // termination, rest days by the calendar) to competences before 03/2020.
    bool correctOlder = false;
    // The 2026 IRRF reduction also on the 13th salary (Lei 9.250/1995,
    // art. 3º-A, § 3º) and on vacation calculated in a sheet of its own
    // (no official guidance found: vacation is income of the month).
    bool reductionOn13th = true;
    bool reductionOnVacation = true;
    // The simplified monthly deduction also on the 13th salary.
    bool simplifiedOn13th = false;
};

// The law the calculations of this process apply: the installation's tables
// and switches, set when a session opens an installation; the shipped
// tables and default switches until then.
struct LawContext {
    std::shared_ptr<const LegalTables> tables;
    LawSettings settings;
};
const LawContext& CurrentLaw();
void SetCurrentLaw(LawContext law);

} // namespace folha::law
