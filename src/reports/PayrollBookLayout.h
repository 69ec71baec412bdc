#pragma once
// The payroll book's column layout: where each field of each kind of line
// starts and how much room it takes. The composer prints by it, the column
// titles are laid by it, and the spreadsheet export cuts the book's lines
// where it says. Every amount has room for 999.999.999,99 and every
// reference for 999.999,99, so no value is cut or runs into the next field.

#include "XlsxExport.h"

namespace folha {

// One of the three event columns of a line: earnings, deductions or bases
// (the bases have no reference: its width is 0).
struct BookEventColumn {
    LayoutField code, name, reference, value;
};

struct PayrollBookLayout {
    // The employee line.
    LayoutField code{QStringLiteral("CODIGO"), 1, 6};
    LayoutField name{QStringLiteral("NOME DO FUNCIONARIO"), 8, 42};
    LayoutField centre{QStringLiteral("CENTRO CUSTO"), 51, 14};
    LayoutField centreName{QStringLiteral("DESCRICAO"), 66, 22};
    LayoutField salary{QStringLiteral("SALARIO"), 89, 14, true};
    LayoutField job{QStringLiteral("FUNCAO"), 104, 22};
    LayoutField retirement{QStringLiteral("% APOS"), 127, 6};

    // The INSS registration line: each label is followed by its value.
    LayoutField registrationLabel{QStringLiteral("Nr. Inscricao INSS:"), 1, 19};
    LayoutField registration{QStringLiteral("Inscricao"), 21, 29};
    LayoutField classLabel{QStringLiteral("Classe Enquadramento:"), 51, 21};
    LayoutField insuranceClass{QStringLiteral("Classe"), 73, 17};
    LayoutField contributionLabel{QStringLiteral("Vlr. Contribuicao:"), 91, 18};
    LayoutField contribution{QStringLiteral("Contribuicao"), 110, 14, true};

    // The event lines, and the totals line under the same value columns.
    BookEventColumn earnings{{QStringLiteral("OCO"), 1, 3},
                             {QStringLiteral("DESCR. PROVENTOS"), 5, 17},
                             {QStringLiteral("REFERENC"), 23, 10, true},
                             {QStringLiteral("VALOR"), 34, 14, true}};
    BookEventColumn deductions{{QStringLiteral("OCO"), 49, 3},
                               {QStringLiteral("DESCR. DESCONTOS"), 53, 17},
                               {QStringLiteral("REFERENC"), 71, 10, true},
                               {QStringLiteral("VALOR"), 82, 14, true}};
    BookEventColumn bases{{QStringLiteral("OCO"), 97, 3},
                          {QStringLiteral("DESCR. BASES"), 101, 17},
                          {QString(), 118, 0},
                          {QStringLiteral("VALOR"), 119, 14, true}};
    LayoutField earningsTotalLabel{QStringLiteral("Total de Proventos....."), 1, 23};
    LayoutField deductionsTotalLabel{QStringLiteral("Total de Descontos....."), 49, 23};
    LayoutField netLabel{QStringLiteral("Total Liquido........"), 97, 21};

    // The summaries: one table per column (earnings, then deductions, then
    // bases), each event on a line of its own with room for the sums.
    LayoutField summaryCode{QStringLiteral("OCO"), 1, 3};
    LayoutField summaryName{QStringLiteral("DESCRICAO"), 5, 20};
    LayoutField summaryReference{QStringLiteral("REFERENCIA"), 26, 14, true};
    LayoutField summaryValue{QStringLiteral("VALOR"), 41, 14, true};
    // The totals and the INSS and FGTS figures: label, then amount.
    LayoutField summaryLabel{QStringLiteral("Descricao"), 1, 31};
    LayoutField summaryAmount{QStringLiteral("Valor"), 33, 14, true};
};

// The book's layout (one for the whole program).
const PayrollBookLayout& BookLayout();

// The kinds of the book's lines with their fields, for the spreadsheet
// export.
const ReportLayout& PayrollBookReportLayout();

} // namespace folha
