#include "PayrollBookComposer.h"

#include "TextRoutines.h"

#include <algorithm>

namespace folha::bookdetail {

/* The social-security figures of a group and of the book.

   Employer ("Empresa"): for every INSS-base row (roles 013, the month's
   base, and 015, the 13th-salary base, taken alike) of an employee of a
   category other than 11 and 13, (employer rate + the job's PERC_APOSE) x
   value / 100 rounded to 2 decimals, summed row by row; plus the partners'
   part: the contribution-individual events (905 of categories 5, 11 and 13,
   and the total earnings, 912 or role 026, of category 14) x "% Prolabore"
   / 100, rounded; plus, once, "Valor Prolabore" x "% Prolabore" / 100,
   rounded. The employer rate is PER_GRPS17, or (PER_GRPS17 - 20) x
   INDICE_FAP + 20 rounded to 5 decimals when the factor is above 0.

   Entities ("Entidades"): the total of the same INSS-base rows (013 and
   015) x PER_GRPS18 / 100, rounded to 2 decimals on the total.

   Insured ("Segurados"): the INSS withheld, roles 012 and 014.
   Deductions ("Deducoes"): family allowance (role 011), the maternity pay
   event HISTSALMAT of employees whose CAUS_RESC is "Q1", the birth-aid
   event HISTAUXNAT.

   INSS = Segurados + Empresa + Entidades - Deducoes + Outros ("S") or
   - Outros ("D") + Juros.

   FGTS to collect: the FGTS amount rows (role 032); for a company whose
   SIMPLES is "1" or "3", the FGTS base rows (role 031) x 8 / 100 instead.

   The typed amounts ("Valor Prolabore", "Outros", "Juros") are the
   company's, entered once: they go into the general totals. A book printed
   as one listing shows "Valor Prolabore" and "Outros" in its group
   subtotals as well (its group is the whole company); a book split by
   category leaves them out of each category's subtotals. "Juros" appears
   only in the general "Total de INSS". */
BookInssFigures BookComposer::figures(const Gathered& g, bool typedItems, bool interest) const {
    BookInssFigures f;
    f.employees = g.insuredCount;
    f.insured = g.insured;
    f.company = g.contribution + RoundValue(2, g.partnersBase * o_.prolaborePercent / 100);
    if (typedItems) f.company += RoundValue(2, o_.prolaboreValue * o_.prolaborePercent / 100);
    f.entities = RoundValue(2, g.inssBase * entitiesRate_ / 100);
    f.deductions = g.inssDeductions;
    if (typedItems) {
        if (o_.otherOperation == OtherOperation::Add) f.other = o_.otherValue;
        if (o_.otherOperation == OtherOperation::Subtract) f.other = -o_.otherValue;
    }
    if (interest) f.interest = o_.interest;
    f.inss = f.insured + f.company + f.entities - f.deductions + f.other + f.interest;
    f.fgts = (simples_ == QLatin1String("1") || simples_ == QLatin1String("3"))
                 ? RoundValue(2, g.fgtsBase * 8 / 100)
                 : g.fgtsAmount;
    return f;
}

void BookComposer::printAmountLine(const QString& label, const QString& value) {
    const int l = nextLine();
    report_.putText(l, 1, label);
    report_.putText(l, 33, value);
}

void BookComposer::printSummaryTables(const Gathered& g) {
    std::vector<const std::pair<const QString, SummaryEntry>*> e, d, b;
    for (const auto& p : g.earningsSummary.entries())
        e.push_back(&p);
    for (const auto& p : g.deductionsSummary.entries())
        d.push_back(&p);
    for (const auto& p : g.basesSummary.entries())
        b.push_back(&p);
    const size_t lines = std::max({e.size(), d.size(), b.size()});
    for (size_t i = 0; i < lines; ++i) {
        const int l = nextLine();
        if (i < e.size()) {
            report_.putText(l, 1, e[i]->first);
            report_.putText(l, 5, e[i]->second.name);
            report_.putText(l, 28, Money(e[i]->second.reference, N82));
            report_.putText(l, 37, Money(e[i]->second.value, N102));
        }
        if (i < d.size()) {
            report_.putText(l, 48, d[i]->first);
            report_.putText(l, 52, d[i]->second.name);
            report_.putText(l, 76, Money(d[i]->second.reference, N82));
            report_.putText(l, 84, Money(d[i]->second.value, N102));
        }
        if (i < b.size()) {
            report_.putText(l, 95, b[i]->first);
            report_.putText(l, 99, b[i]->second.name);
            report_.putText(l, 123, Money(b[i]->second.value, N102));
        }
    }
    nextLine();
}

void BookComposer::printGroupSummary() {
    pageTitle_ = QStringLiteral("RESUMO DA FOLHA DE PAGAMENTO ");
    columnTitles_ = false;
    newPage();
    printSummaryTables(group_);
    const BookInssFigures f = figures(group_, !o_.groupByCategory, false);
    printAmountLine(QStringLiteral("Total de Proventos....."), Money(group_.earnings, N142));
    printAmountLine(QStringLiteral("Total de Descontos....."), Money(group_.deductions, N142));
    printAmountLine(QStringLiteral("Total Liquido.........."),
                    Money(group_.earnings - group_.deductions, N142));
    printAmountLine(QStringLiteral("Total de funcionarios......"),
                    QString::number(f.employees).rightJustified(14));
    nextLine();
    printAmountLine(QStringLiteral("Subtotal de Segurados......"), Money(f.insured, N142));
    printAmountLine(QStringLiteral("Subtotal da Empresa........"), Money(f.company, N142));
    printAmountLine(QStringLiteral("SubTotal de Entidades......"), Money(f.entities, N142));
    printAmountLine(QStringLiteral("Subtotal de Deducoes......."), Money(f.deductions, N142));
    printAmountLine(QStringLiteral("Outros valores.............."), Money(f.other, N142));
    printAmountLine(QStringLiteral("SubTotal de INSS..........."), Money(f.inss, N142));
    printAmountLine(QStringLiteral("SubTotal de FGTS a Recolher"), Money(f.fgts, N142));
}

void BookComposer::printGeneralSummary() {
    category_.reset();
    pageTitle_ = QStringLiteral("RESUMO GERAL DA FOLHA DE PAGAMENTO ");
    columnTitles_ = false;
    newPage();
    printSummaryTables(general_);
    const BookInssFigures f = figures(general_, true, true);
    result_.general.earnings = general_.earnings;
    result_.general.deductions = general_.deductions;
    result_.general.net = general_.earnings - general_.deductions;
    result_.general.inss = f;
    printAmountLine(QStringLiteral("Total de Proventos....."), Money(general_.earnings, N142));
    printAmountLine(QStringLiteral("Total de Descontos....."), Money(general_.deductions, N142));
    printAmountLine(QStringLiteral("Total Liquido.........."), Money(result_.general.net, N142));
    printAmountLine(QStringLiteral("Total de funcionarios........"),
                    QString::number(f.employees).rightJustified(14));
    nextLine();
    printAmountLine(QStringLiteral("Total de Segurados..........."),
                    QString::number(f.employees).rightJustified(14));
    printAmountLine(QStringLiteral("Total da Empresa ............"), Money(f.company, N142));
    printAmountLine(QStringLiteral("Total de Entidades..........."), Money(f.entities, N142));
    printAmountLine(QStringLiteral("Total de Deducoes ..........."), Money(f.deductions, N142));
    printAmountLine(QStringLiteral("Total de Juros .............."), Money(f.interest, N142));
    printAmountLine(o_.otherDescription.left(31), Money(f.other, N142));
    printAmountLine(QStringLiteral("Total de INSS ..............."), Money(f.inss, N142));
    printAmountLine(QStringLiteral("Total de FGTS a Recolher....."), Money(f.fgts, N142));
    // The observations, up to the last line typed.
    int last = int(std::min<qsizetype>(o_.observations.size(), 12));
    while (last > 0 && o_.observations[last - 1].trimmed().isEmpty())
        --last;
    // The observations are kept together on one page.
    if (last > 0 && line_ + 1 + last > lastLine_) newPage();
    if (last > 0) nextLine();
    for (int i = 0; i < last; ++i)
        report_.putText(nextLine(), 1,
                        QStringLiteral("Obs. %1: %2").arg(i + 1).arg(o_.observations[i].trimmed()));
}

} // namespace folha::bookdetail
