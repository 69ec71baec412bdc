#pragma once
// The month's periodic events: S-1200 (what each worker earned, one
// demonstrative per calculated sheet), S-1210 (what was paid and when) and
// S-1299 (the closing of the period).
//
// Rules the registers do not answer and the builder decides:
//  * The 13th salary (sheet "D") goes in an annual S-1200 (indApuracao 2,
//    perApur AAAA) of the competence it was calculated in, with its own
//    annual S-1299; its payment is in the S-1210 of that month, with perRef
//    AAAA (the layout's perApur/perRef of the annual remuneration).
//  * A monthly sheet holding a termination's net (role 055) is the
//    termination's statement: it is reported by the S-2299, not here; its
//    payment goes in the S-1210 with tpPgto 2 and TerminationDmDev().
//  * The registers hold no payment date: PaymentDateRule says which one the
//    S-1210 reports.

#include "Esocial.h"

#include <QDate>
#include <QString>

namespace folha::esocial {

enum class PaymentDateRule {
    // Every sheet paid within its competence: the monthly sheet and the
    // advance on the last day (the branch's payroll date convention), the
    // vacation two days before it starts (CLT art. 145), the 13th salary on
    // 20 December (Lei 4.749/1965, art. 1º), the termination ten days after
    // the leaving date (CLT art. 477 §6º); a date that would fall outside
    // the competence is brought to its first or last day.
    EndOfCompetence,
    // As above, but the monthly sheet and the advance on the branch's
    // DATA_FOLHA when it falls within the competence.
    BranchPayrollDate,
};

struct PeriodicOptions {
    PaymentDateRule paymentDate = PaymentDateRule::EndOfCompetence;
};

// The periodic builder with other options than BuildPeriodicEvents' defaults.
Builder PeriodicBuilder(PeriodicOptions options);
void BuildPeriodicEventsWith(Context& ctx, std::vector<Draft>& out, const PeriodicOptions& options);

// ideDmDev of a calculated sheet: the sheet letter and the period ("F202601",
// "I202601", "A202601"; the 13th salary "D2025").
QString DemonstrativeId(const QString& sheet, int year, int month);
// ideDmDev of the termination statement of a month ("R202601"): the S-2299
// reports it under this identifier and the S-1210 pays it.
QString TerminationDmDev(int year, int month);

// The worker's category (Tabela 01 of the eSocial layouts) from the
// register's VINCULO; 0 when the vínculo has no category defined here.
int CategoryOfVinculo(int vinculo);

// The payment date the S-1210 reports for a sheet of the competence.
// `vacationStart` and `leaving` are used for the vacation and the termination.
QDate PaymentDate(PaymentDateRule rule, QChar sheet, int year, int month, const QDate& branchPayrollDate,
                  const QDate& vacationStart, const QDate& leaving);

} // namespace folha::esocial
