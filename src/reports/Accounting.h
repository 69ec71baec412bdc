#pragma once
// The month's accounting entries of the payroll: every earning and
// deduction of the payroll book, by event and cost centre, and the
// employer's charges the book's summary prints (INSS "Empresa", which holds
// the employer rate with the RAT as the branch's PER_GRPS17 and the FAP
// make it, "Entidades" for the third parties, and the FGTS to collect),
// each posted to the debit and credit accounts of the register CONTAFP.
//
// CONTAFP maps an item to its accounts, optionally by cost centre:
//   ITEM       an event code ("001") or a charge: EMP (INSS employer with
//              RAT), TER (third parties), FGT (FGTS)
//   CENTCUSTO  a cost centre, or "*" for every centre without a row of its own
//   CONTA_DEB, CONTA_CRE  the accounts
//   HISTORICO  the entry's history (blank: the event's name); items with the
//              same accounts, centre and history are summed into one entry
//
// The amounts are the book's own (ComposePayrollBook), so the entries add up
// to its totals. An item without accounts is told and listed, never dropped
// silently.

#include "Database.h"
#include "Fixed.h"
#include "PayrollBook.h"
#include "TextReport.h"
#include "UserInterface.h"

#include <QDate>
#include <QString>
#include <vector>

namespace folha {

const QString AccountingMapTable = QStringLiteral("CONTAFP");
// The items of the employer's charges in CONTAFP.
const QString ChargeEmployer = QStringLiteral("EMP");
const QString ChargeThirdParties = QStringLiteral("TER");
const QString ChargeFgts = QStringLiteral("FGT");
// The CENTCUSTO of a row for every cost centre.
const QString AnyCostCentre = QStringLiteral("*");

struct AccountingEntry {
    QDate date; // the competence's last day
    QString debit;
    QString credit;
    Fixed amount; // positive: a negative item swaps its accounts
    QString history;
    QString costCentre;
};

// An item the register has no accounts for.
struct UnmappedItem {
    QString item;       // event code or charge
    QString name;
    QString costCentre;
    Fixed amount;
};

struct AccountingResult {
    QString competence; // YYYYMM
    QString sheet;
    std::vector<AccountingEntry> entries; // by debit, credit, centre, history
    std::vector<UnmappedItem> unmapped;
    Fixed earnings, deductions; // posted: the book's earnings and deductions when nothing is unmapped
    Fixed charges;              // employer, third parties and FGTS posted
    Fixed total;                // sum of the entries (debits = credits)
    BookTotals book;            // the book's totals for the same competence
    int employees = 0;
};

struct AccountingOptions {
    QString branchCode = QStringLiteral("001");
    QDate competence; // any day of the month; invalid: the branch's DATA_FOLHA
    QString sheet;    // empty: the branch's TIPO_FOL
};

// Builds the entries (the payroll book is composed into `scratch`, a report
// nobody receives). Throws UserError for a branch without a payroll date.
AccountingResult BuildAccountingEntries(Database& db, UserInterface& ui, const AccountingOptions& options);

// The CSV: a title line "data;debito;credito;valor;historico;centro_custo",
// then one line per entry: date DD/MM/AAAA, the accounts, the amount with
// two decimals and a decimal comma, no thousands separator ("1234,56"), the
// history and the cost centre; fields with ";" or quotes in double quotes;
// UTF-8, lines ending CRLF.
QByteArray AccountingCsv(const AccountingResult& result);
// Writes it; throws UserError when the file cannot be written.
void WriteAccountingCsv(const AccountingResult& result, const QString& path);

// The printed summary (80 columns): the entries, the totals by kind, the
// debits and credits, and the items without accounts.
void ComposeAccountingSummary(const AccountingResult& result, TextReport& report);
inline const QString AccountingScreen = QStringLiteral("TfoLancContabeis");
inline const QString AccountingTitle = QStringLiteral("LANCAMENTOS CONTABEIS DA FOLHA");
inline constexpr int AccountingWidth = 132;

} // namespace folha
