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
   rounded. The employer rate is PER_GRPS17 with the part above 20 (the RAT)
   times INDICE_FAP, as law::EmployerRateOf adjusts it.

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
    const PayrollBookLayout& lay = BookLayout();
    const int l = nextLine();
    put(l, lay.summaryLabel, label);
    report_.putText(l, lay.summaryAmount.column, value);
}

void BookComposer::printAmountLine(const QString& label, Fixed value) {
    printAmountLine(label, Money(value, BookLayout().summaryAmount));
}

// The three summary tables one below the other (earnings, deductions,
// bases), each under its titles, one event a line: the sums of a whole
// company have the room they need.
void BookComposer::printSummaryTables(const Gathered& g) {
    const PayrollBookLayout& lay = BookLayout();
    struct Section {
        const SummaryColumn& column;
        QString title;
        bool reference;
    };
    const Section tables[] = {{g.earningsSummary, QStringLiteral("DESCR. PROVENTOS"), true},
                            {g.deductionsSummary, QStringLiteral("DESCR. DESCONTOS"), true},
                            {g.basesSummary, QStringLiteral("DESCR. BASES"), false}};
    auto right = [&](int line, const LayoutField& f, const QString& text) {
        report_.putText(line, f.end() - int(text.size()) + 1, text);
    };
    for (const Section& t : tables) {
        if (t.column.entries().empty()) continue;
        // The titles and at least the first event on one page.
        if (line_ + 2 > lastLine_) newPage();
        int l = nextLine();
        put(l, lay.summaryCode, lay.summaryCode.title);
        put(l, lay.summaryName, t.title);
        if (t.reference) right(l, lay.summaryReference, lay.summaryReference.title);
        right(l, lay.summaryValue, lay.summaryValue.title);
        for (const auto& [code, entry] : t.column.entries()) {
            l = nextLine();
            put(l, lay.summaryCode, code);
            put(l, lay.summaryName, entry.name);
            if (t.reference) put(l, lay.summaryReference, Money(entry.reference, lay.summaryReference));
            put(l, lay.summaryValue, Money(entry.value, lay.summaryValue));
        }
        nextLine();
    }
}

void BookComposer::printGroupSummary() {
    pageTitle_ = QStringLiteral("RESUMO DA FOLHA DE PAGAMENTO ");
    columnTitles_ = false;
    newPage();
    printSummaryTables(group_);
    const BookInssFigures f = figures(group_, !o_.groupByCategory, false);
    printAmountLine(QStringLiteral("Total de Proventos....."), group_.earnings);
    printAmountLine(QStringLiteral("Total de Descontos....."), group_.deductions);
    printAmountLine(QStringLiteral("Total Liquido.........."),
                    group_.earnings - group_.deductions);
    printAmountLine(QStringLiteral("Total de funcionarios......"),
                    QString::number(f.employees).rightJustified(BookLayout().summaryAmount.width));
    nextLine();
    printAmountLine(QStringLiteral("Subtotal de Segurados......"), f.insured);
    printAmountLine(QStringLiteral("Subtotal da Empresa........"), f.company);
    printAmountLine(QStringLiteral("SubTotal de Entidades......"), f.entities);
    printAmountLine(QStringLiteral("Subtotal de Deducoes......."), f.deductions);
    printAmountLine(QStringLiteral("Outros valores.............."), f.other);
    printAmountLine(QStringLiteral("SubTotal de INSS..........."), f.inss);
    printAmountLine(QStringLiteral("SubTotal de FGTS a Recolher"), f.fgts);
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
    printAmountLine(QStringLiteral("Total de Proventos....."), general_.earnings);
    printAmountLine(QStringLiteral("Total de Descontos....."), general_.deductions);
    printAmountLine(QStringLiteral("Total Liquido.........."), result_.general.net);
    printAmountLine(QStringLiteral("Total de funcionarios........"),
                    QString::number(f.employees).rightJustified(BookLayout().summaryAmount.width));
    nextLine();
    printAmountLine(QStringLiteral("Total de Segurados..........."),
                    QString::number(f.employees).rightJustified(BookLayout().summaryAmount.width));
    printAmountLine(QStringLiteral("Total da Empresa ............"), f.company);
    printAmountLine(QStringLiteral("Total de Entidades..........."), f.entities);
    printAmountLine(QStringLiteral("Total de Deducoes ..........."), f.deductions);
    printAmountLine(QStringLiteral("Total de Juros .............."), f.interest);
    printAmountLine(o_.otherDescription.left(31), f.other);
    printAmountLine(QStringLiteral("Total de INSS ..............."), f.inss);
    printAmountLine(QStringLiteral("Total de FGTS a Recolher....."), f.fgts);
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
