// The demo installation's data: April 2013, with the contribution tables of
// that year.
#include "DemoData.h"

#include "CheckDigits.h"

namespace folha::demo {

namespace {

using Values = QList<QPair<QString, QVariant>>;

DemoRow row(const char* table, Values values) { return DemoRow{QString::fromLatin1(table), std::move(values)}; }

QString code3(int n) { return QStringLiteral("%1").arg(n, 3, 10, QChar('0')); }
QString code6(int n) { return QStringLiteral("%1").arg(n, 6, 10, QChar('0')); }

// A dependant's CPF: one per employee and number.
QString dependantCpf(int fun, const char* num) {
    return CpfWithCheckDigits(QString::number(500000000LL + fun * 1000LL + QByteArray(num).toInt()));
}

// The PIS of a demo employee: 1200000111 and on, completed with its check
// digit, in the order of the employee codes.
QString demoPis(int code) { return PisWithCheckDigit(QString::number(12000000000LL + code * 1111LL).left(10)); }

// An event code of the chart: how it is valued and what it is subject to.
struct Event {
    int code;
    const char* name;
    int prodesc;   // 1 earning, 0 deduction, 2 base or information
    int parametro; // 1 reference x hours, 3 amount typed on the event
    const char* perc;
    int inps, irrf, fgts;
    int re50 = 0, re70 = 0, re100 = 0, read = 0, var13i = 0, fen = 0, fev = 0, fep = 0, n13 = 0, ins = 0, per = 0;
};

const Event chart[] = {
    // Pay of the month
    {1, "SALARIO", 1, 1, "1", 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1},
    {2, "HORAS EXTRAS 50%", 1, 1, "1.5", 1, 1, 1, 1, 0, 0, 0},
    {3, "HORAS EXTRAS 70%", 1, 1, "1.7", 1, 1, 1, 0, 1, 0, 0},
    {4, "HORAS EXTRAS 100%", 1, 1, "2", 1, 1, 1, 0, 0, 1, 0},
    {5, "ADICIONAL NOTURNO", 1, 1, "0.2", 1, 1, 1, 0, 0, 0, 1},
    {6, "DSR S/ HORAS EXTRAS 100%", 1, 3, "1", 1, 1, 1},
    {7, "DSR S/ HORAS EXTRAS 50/70%", 1, 3, "1", 1, 1, 1},
    {8, "DSR S/ HORAS EXTRAS 60%", 1, 3, "1", 1, 1, 1},
    {9, "DSR S/ ADICIONAL NOTURNO", 1, 3, "1", 1, 1, 1},
    {10, "COMISSOES", 1, 3, "1", 1, 1, 1, 0, 0, 0, 0, 1},
    {11, "DSR S/ COMISSOES", 1, 3, "1", 1, 1, 1},
    {12, "DSR S/ VARIAVEIS", 1, 3, "1", 1, 1, 1},
    {13, "GRATIFICACAO", 1, 3, "1", 1, 1, 1},
    {14, "PREMIO PRODUCAO", 1, 3, "1", 1, 1, 1},
    {15, "REAJUSTE DISSIDIO", 1, 3, "0.08", 1, 1, 1},
    {16, "ANUENIO", 1, 3, "1", 1, 1, 1},
    {20, "INSALUBRIDADE 10%", 1, 3, "0.1", 1, 1, 1},
    {21, "INSALUBRIDADE 20%", 1, 3, "0.2", 1, 1, 1},
    {22, "INSALUBRIDADE 40%", 1, 3, "0.4", 1, 1, 1},
    {23, "INSALUBRIDADE FERIAS", 1, 3, "0.2", 3, 3, 1},
    {24, "INSALUBRIDADE 13 SALARIO", 1, 3, "0.2", 2, 2, 1},
    {25, "INSALUBRIDADE FERIAS VENC.", 1, 3, "0.2", 4, 4, 1},
    {26, "INSALUBRIDADE FERIAS PROP.", 1, 3, "0.2", 4, 4, 1},
    {27, "INSALUBRIDADE AVISO PREVIO", 1, 3, "0.2", 4, 4, 1},
    {30, "PERICULOSIDADE 30%", 1, 3, "0.3", 1, 1, 1},
    {31, "PERICULOSIDADE FERIAS", 1, 3, "0.3", 3, 3, 1},
    {32, "PERICULOSIDADE 13 SALARIO", 1, 3, "0.3", 2, 2, 1},
    {33, "PERICULOSIDADE FERIAS VENC.", 1, 3, "0.3", 4, 4, 1},
    {34, "PERICULOSIDADE FERIAS PROP.", 1, 3, "0.3", 4, 4, 1},
    {35, "PERICULOSIDADE AVISO PREVIO", 1, 3, "0.3", 4, 4, 1},
    {40, "SALARIO FAMILIA", 1, 3, "1", 0, 0, 0},
    {41, "AUXILIO NATALIDADE", 1, 3, "1", 0, 0, 0},
    {42, "SALARIO MATERNIDADE", 1, 3, "1", 1, 1, 1},
    {50, "FERIAS NORMAIS", 1, 1, "1", 3, 3, 1, 0, 0, 0, 0, 0, 1},
    {51, "ABONO PECUNIARIO", 1, 1, "1", 0, 3, 0},
    {52, "1/3 FERIAS NORMAIS", 1, 3, "1", 3, 3, 1},
    {53, "1/3 FERIAS VENCIDAS", 1, 3, "1", 4, 4, 1},
    {54, "1/3 FERIAS PROPORCIONAIS", 1, 3, "1", 4, 4, 1},
    {55, "1/3 S/ 13 SALARIO", 1, 3, "1", 2, 2, 1},
    {56, "FERIAS VENCIDAS", 1, 1, "1", 4, 4, 0, 0, 0, 0, 0, 0, 0, 1},
    {57, "FERIAS PROPORCIONAIS", 1, 1, "1", 4, 4, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {58, "LIQUIDO DE FERIAS", 0, 3, "1", 0, 0, 0},
    {62, "FERIAS EM DOBRO", 1, 1, "1", 3, 3, 1},
    {63, "HORAS FERIAS NO MES", 2, 3, "1", 0, 0, 0},
    {64, "HORAS ABONO NO MES", 2, 3, "1", 0, 0, 0},
    {70, "13 SALARIO", 1, 1, "1", 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {71, "13 SALARIO INDENIZADO", 1, 1, "1", 4, 2, 1},
    {72, "13 SALARIO PROPORCIONAL", 1, 1, "1", 2, 2, 1},
    {76, "1A PARCELA 13 SALARIO", 1, 1, "1", 0, 0, 1},
    {77, "DESCONTO 1A PARCELA 13", 0, 3, "1", 0, 0, 0},
    {80, "SALDO DE SALARIO", 1, 1, "1", 1, 1, 1},
    {81, "AVISO PREVIO INDENIZADO", 1, 1, "1", 4, 4, 1},
    {87, "LIQUIDO RESCISAO", 2, 3, "1", 0, 0, 0},
    {90, "FALTAS", 0, 1, "1", 1, 1, 1},
    {91, "ATRASOS", 0, 1, "1", 1, 1, 1},
    {92, "DSR S/ FALTAS", 0, 3, "1", 1, 1, 1},
    {93, "VALE TRANSPORTE", 0, 3, "1", 0, 0, 0},
    {94, "CONTRIBUICAO ASSOCIATIVA", 0, 3, "1", 0, 0, 0},
    {95, "MENSALIDADE SINDICAL", 0, 3, "0.01", 0, 0, 0},
    {96, "ADIANTAMENTO SALARIAL", 1, 3, "1", 0, 0, 0},
    {97, "ADIANTAMENTO JA PAGO", 0, 3, "1", 0, 0, 0},
    {98, "CONVENIO FARMACIA", 0, 3, "0.02", 0, 0, 0},
    {99, "EMPRESTIMO CONSIGNADO", 0, 3, "0.1", 0, 0, 0},
    {100, "SALDO DEVEDOR MES ANTERIOR", 0, 3, "1", 0, 0, 0},
    {101, "SALDO DEVEDOR PARA PROXIMO MES", 1, 3, "1", 0, 0, 0},
    {102, "ARREDONDAMENTO MES ANTERIOR", 0, 3, "1", 0, 0, 0},
    {103, "ARREDONDAMENTO DO LIQUIDO", 1, 3, "1", 0, 0, 0},
    {104, "DESC. ARREDONDAMENTO", 0, 3, "1", 0, 0, 0},
    {105, "ARREDONDAMENTO DAS FERIAS", 0, 3, "1", 0, 0, 0},
    {106, "VALOR CARNE INSS", 2, 3, "1", 0, 0, 0},
    {110, "INSS", 0, 3, "1", 0, 0, 0},
    {111, "BASE INSS", 2, 3, "1", 0, 0, 0},
    {112, "INSS 13 SALARIO", 0, 3, "1", 0, 0, 0},
    {113, "BASE INSS 13 SALARIO", 2, 3, "1", 0, 0, 0},
    {114, "BASE INSS ACIMA DO TETO", 2, 3, "1", 0, 0, 0},
    {115, "BASE INSS 13 ACIMA DO TETO", 2, 3, "1", 0, 0, 0},
    {116, "BASE INSS FERIAS MES SEGUINTE", 2, 3, "1", 0, 0, 0},
    {120, "IRRF", 0, 3, "1", 0, 0, 0},
    {121, "BASE IRRF", 2, 3, "1", 0, 0, 0},
    {122, "DEDUCAO DEPENDENTES IRRF", 2, 3, "1", 0, 0, 0},
    {123, "IRRF 13 SALARIO", 0, 3, "1", 0, 0, 0},
    {124, "BASE IRRF 13 SALARIO", 2, 3, "1", 0, 0, 0},
    {125, "DEDUCAO DEPEND. IRRF 13", 2, 3, "1", 0, 0, 0},
    {126, "IRRF FERIAS/RESCISAO", 0, 3, "1", 0, 0, 0},
    {127, "BASE IRRF FERIAS/RESCISAO", 2, 3, "1", 0, 0, 0},
    {128, "DEDUCAO DEPEND. FERIAS/RESC.", 2, 3, "1", 0, 0, 0},
    {130, "BASE FGTS", 2, 3, "1", 0, 0, 0},
    {131, "FGTS DO MES", 2, 3, "1", 0, 0, 0},
    {132, "FGTS RESCISAO", 2, 3, "1", 0, 0, 0},
    {133, "MULTA FGTS 40%", 2, 3, "1", 0, 0, 0},
    {134, "BASE FGTS FERIAS MES SEGUINTE", 2, 3, "1", 0, 0, 0},
    {140, "TOTAL DE PROVENTOS", 2, 3, "1", 0, 0, 0},
    {141, "TOTAL DE DESCONTOS", 2, 3, "1", 0, 0, 0},
    {142, "LIQUIDO A RECEBER", 2, 3, "1", 0, 0, 0},
    {143, "LIQUIDO 13 SALARIO", 2, 3, "1", 0, 0, 0},
    {144, "SALARIO DE REFERENCIA", 2, 3, "1", 0, 0, 0},
    {150, "HORAS NORMAIS", 2, 1, "1", 0, 0, 0},
    {151, "HORAS DSR", 2, 1, "1", 0, 0, 0},
    {152, "HORAS PLANTAO", 1, 1, "1", 1, 1, 1},
    {153, "HORAS PLANTAO NOTURNO", 1, 1, "0.4", 1, 1, 1},
    {154, "HORAS REDUCAO NOTURNA", 1, 1, "1.2", 1, 1, 1},
    {155, "HORAS PLANTAO LEI 3999", 1, 1, "1", 1, 1, 1},
    {156, "HORAS NOTURNAS EXTRAS 50%", 1, 1, "2.1", 1, 1, 1},
    {157, "HORAS NOTURNAS EXTRAS 100%", 1, 1, "2.8", 1, 1, 1},
    {44, "SEGURO DE VIDA", 0, 3, "0.005", 0, 0, 0},
};

// Fixed roles: role -> event code of the chart.
const struct {
    int role;
    int code;
    const char* description;
} roles[] = {
    {1, 21, "INSALUBRIDADE CLASSE 2"}, {2, 22, "INSALUBRIDADE CLASSE 3"}, {37, 23, "INSALUBRIDADE FERIAS"},
    {93, 25, "INSALUBRIDADE CLASSE 5"}, {94, 26, "INSALUBRIDADE CLASSE 6"}, {4, 6, "DSR S/ HORAS EXTRAS 100%"},
    {5, 7, "DSR S/ HORAS EXTRAS 50% E 70%"}, {6, 8, "DSR S/ HORAS EXTRAS 60%"}, {8, 9, "DSR S/ ADICIONAL NOTURNO"},
    {9, 53, "1/3 FERIAS VENCIDAS"}, {10, 54, "1/3 FERIAS PROPORCIONAIS"}, {41, 52, "1/3 FERIAS NORMAIS"},
    {74, 55, "1/3 S/ 13 SALARIO"}, {11, 40, "SALARIO FAMILIA"}, {12, 110, "INSS"}, {13, 111, "BASE INSS"},
    {14, 112, "INSS 13 SALARIO"}, {15, 113, "BASE INSS 13 SALARIO"}, {16, 120, "IRRF"}, {17, 121, "BASE IRRF"},
    {34, 122, "DEDUCAO DEPENDENTES IRRF"}, {18, 123, "IRRF 13 SALARIO"}, {19, 124, "BASE IRRF 13 SALARIO"},
    {35, 125, "DEDUCAO DEPENDENTES IRRF 13"}, {20, 126, "IRRF FERIAS/RESCISAO"}, {21, 127, "BASE IRRF FERIAS/RESCISAO"},
    {36, 128, "DEDUCAO DEPENDENTES FERIAS/RESCISAO"}, {22, 100, "SALDO DEVEDOR MES ANTERIOR"},
    {23, 101, "SALDO DEVEDOR PARA PROXIMO MES"}, {24, 102, "ARREDONDAMENTO MES ANTERIOR"},
    {25, 103, "ARREDONDAMENTO DO LIQUIDO"}, {70, 104, "DESCONTO ARREDONDAMENTO"}, {26, 140, "TOTAL DE PROVENTOS"},
    {27, 141, "TOTAL DE DESCONTOS"}, {28, 142, "LIQUIDO A RECEBER"}, {30, 114, "BASE INSS ACIMA DO TETO"},
    {62, 115, "BASE INSS 13 ACIMA DO TETO"}, {31, 130, "BASE FGTS"}, {32, 131, "FGTS DO MES"},
    {67, 132, "FGTS RESCISAO"}, {50, 133, "MULTA FGTS 40%"}, {42, 30, "PERICULOSIDADE CLASSE 1"},
    {63, 31, "PERICULOSIDADE CLASSE 2"}, {64, 32, "PERICULOSIDADE CLASSE 3"}, {65, 33, "PERICULOSIDADE CLASSE 4"},
    {95, 34, "PERICULOSIDADE CLASSE 5"}, {96, 35, "PERICULOSIDADE CLASSE 6"}, {43, 96, "ADIANTAMENTO SALARIAL"},
    {53, 97, "ADIANTAMENTO JA PAGO"}, {49, 116, "BASE INSS FERIAS MES SEGUINTE"},
    {75, 134, "BASE FGTS FERIAS MES SEGUINTE"}, {55, 87, "LIQUIDO DE RESCISAO"}, {58, 144, "SALARIO DE REFERENCIA"},
    {69, 94, "CONTRIBUICAO ASSOCIATIVA"}, {72, 95, "MENSALIDADE SINDICAL"}, {76, 93, "VALE TRANSPORTE"},
    {79, 11, "DSR S/ COMISSOES"}, {80, 10, "COMISSOES"}, {57, 58, "LIQUIDO DE FERIAS"},
    {77, 150, "HORAS NORMAIS"}, {78, 151, "HORAS DSR"}, {92, 152, "HORAS PLANTAO"}, {38, 63, "HORAS FERIAS NO MES"},
    {81, 80, "SALDO DE SALARIO"}, {61, 71, "13 SALARIO AVISO PREVIO"}, {45, 72, "13 SALARIO PROPORCIONAL"},
    {46, 81, "AVISO PREVIO INDENIZADO"}, {47, 56, "FERIAS VENCIDAS"}, {48, 57, "FERIAS PROPORCIONAIS"},
    {51, 50, "HORAS DE FERIAS"}, {68, 51, "HORAS DE ABONO PECUNIARIO"}, {54, 90, "FALTAS DO PERIODO AQUISITIVO"},
    {52, 70, "HORAS DE 13 SALARIO"}, {59, 76, "1A PARCELA 13 SALARIO"}, {66, 77, "DESCONTO 1A PARCELA 13"},
    {60, 105, "ARREDONDAMENTO DAS FERIAS"}, {73, 64, "HORAS ABONO NO MES"}, {100, 106, "VALOR CARNE INSS"},
    {601, 2, "HORAS EXTRAS 50% (MEDIA)"},
    {602, 3, "HORAS EXTRAS 70% (MEDIA)"}, {603, 4, "HORAS EXTRAS 100% (MEDIA)"}, {604, 5, "ADICIONAL NOTURNO (MEDIA)"},
    {605, 153, "HORAS PLANTAO NOTURNO (MEDIA)"}, {701, 13, "GRATIFICACAO (MEDIA)"}, {702, 14, "PREMIO PRODUCAO (MEDIA)"}, {90, 154, "HORAS REDUCAO NOTURNA"},
    {91, 155, "HORAS PLANTAO LEI 3999"}, {97, 156, "HORAS NOTURNAS EXTRAS 50%"}, {98, 157, "HORAS NOTURNAS EXTRAS 100%"},
};

} // namespace

namespace {

// The accounts of the payroll's entries (CONTAFP), an office's plain chart:
// every earning to salaries expense against salaries payable, the salary of
// the production staff to production cost, every deduction out of salaries
// payable into what the company owes for it, and the employer's charges.
QList<DemoRow> accountingMapRows(const QList<DemoRow>& chartRows) {
    QList<DemoRow> rows;
    auto map = [&](const QString& item, const char* centre, const char* debit, const char* credit, const char* history = "") {
        rows << row("CONTAFP", {{"ITEM", item}, {"CENTCUSTO", centre}, {"CONTA_DEB", debit}, {"CONTA_CRE", credit},
                                {"HISTORICO", history}});
    };
    const QHash<QString, const char*> deductionAccounts = {
        {"110", "2.1.3.01"}, {"112", "2.1.3.01"},                    // INSS a recolher
        {"120", "2.1.3.02"}, {"123", "2.1.3.02"}, {"126", "2.1.3.02"}, // IRRF a recolher
        {"097", "1.1.3.01"}, {"077", "1.1.3.01"},                     // adiantamentos a empregados
        {"058", "2.1.2.03"}, {"087", "2.1.2.04"},                     // férias e rescisões a pagar
        {"095", "2.1.3.03"}};                                         // mensalidade sindical
    for (const DemoRow& r : chartRows) {
        if (r.table != QLatin1String("HISTFP")) continue;
        QString code;
        int kind = -1;
        for (const auto& [field, value] : r.values) {
            if (field == QLatin1String("HCODIGO")) code = value.toString();
            if (field == QLatin1String("HPRODESC")) kind = value.toInt();
        }
        if (kind == 1) {
            map(code, "*", "3.1.1.01", "2.1.2.01");
        } else if (kind == 0 || code == QLatin1String("087")) {
            // The termination's net is paid out of the month's salaries.
            map(code, "*", "2.1.2.01", deductionAccounts.value(code, "2.1.3.09"));
        }
    }
    map("001", "PROD", "3.2.1.01", "2.1.2.01", "SALARIOS DA PRODUCAO");
    map("EMP", "*", "3.1.1.10", "2.1.3.01", "INSS EMPRESA E RAT");
    map("TER", "*", "3.1.1.11", "2.1.3.01", "INSS TERCEIROS");
    map("FGT", "*", "3.1.1.12", "2.1.3.04", "FGTS DO MES");
    return rows;
}

} // namespace

QList<DemoRow> commonCompanyRows() {
    QList<DemoRow> rows;
    // 2013 contribution tables.
    auto tab = [&](const char* code, const char* name, const char* c1, const char* c2, const char* c3, const char* c4) {
        rows << row("Tabelas", {{"COD_TABELA", code}, {"NOME", name}, {"COL1_TAB", c1}, {"COL2_TAB", c2},
                                {"COL3_TAB", c3}, {"COL4_TAB", c4}});
    };
    tab("001", "IRRF ISENTO", "0", "1710.79", "0", "0");
    tab("002", "IRRF 7,5%", "1710.79", "2563.92", "0.075", "128.31");
    tab("003", "IRRF 15%", "2563.92", "3418.60", "0.15", "320.60");
    tab("004", "IRRF 22,5%", "3418.60", "4271.60", "0.225", "577.00");
    tab("005", "IRRF 27,5%", "4271.60", "99999999.99", "0.275", "790.58");
    tab("010", "INSS 8%", "0", "1247.70", "8", "0");
    tab("011", "INSS 9%", "1247.71", "2079.50", "9", "0");
    tab("012", "INSS 11%", "2079.51", "4159.00", "11", "0");
    tab("013", "INSS 11% ATE O TETO", "4159.01", "4159.00", "11", "0");
    tab("020", "SALARIO FAMILIA", "646.55", "971.78", "33.16", "23.36");
    tab("021", "DEDUCAO POR DEPENDENTE IRRF", "171.97", "0", "0", "0");
    // Absences of the acquisition period: days of vacation lost.
    tab("31", "FALTAS ATE 5: NENHUM DIA", "0", "5", "0", "0");
    tab("32", "FALTAS 6 A 14: PERDE 6 DIAS", "6", "14", "6", "0");
    tab("33", "FALTAS 15 A 23: PERDE 12 DIAS", "15", "23", "12", "0");
    tab("34", "FALTAS 24 A 32: PERDE 18 DIAS", "24", "32", "18", "0");

    for (const auto& e : chart) {
        rows << row("HISTFP", {{"HCODIGO", code3(e.code)}, {"HNOME", e.name}, {"HPRODESC", e.prodesc},
                               {"HPARAMETRO", e.parametro}, {"HPERC", e.perc}, {"HFLAGINPS", e.inps},
                               {"HFLAGIRRF", e.irrf}, {"HFLAGFGTS", e.fgts}, {"HFLAGRE50", e.re50},
                               {"HFLAGRE70", e.re70}, {"HFLAGRE100", e.re100}, {"HFLAGREAD", e.read},
                               {"HFLAG13I", e.var13i}, {"HFLAGFEN", e.fen}, {"HFLAGFEV", e.fev}, {"HFLAGFEP", e.fep},
                               {"HFLAG13N", e.n13}, {"HFLAGINS", e.ins}, {"HFLAGPER", e.per}, {"HFLAGRE60", 0},
                               {"HFLAGINS13", 0}, {"HFLAGINSF", 0}, {"HFLAGINSN", 0}, {"HFLAGMED", 0},
                               {"HACUMNOR", e.prodesc == 2 ? 0 : 1}, {"HACUM13", 0}, {"HACUMFEV", 0},
                               {"HACUMBSIR", e.irrf > 0 ? 1 : 0}, {"HACUMIRRF", 0}});
    }
    // The averages of variable pay of the vacation, 13th salary and
    // termination: five kinds of hours (valued like their source events),
    // two of amounts and two of commissions, one block of events per item.
    struct AverageGroup {
        int code;        // first event code of the block
        const char* item;
        int hours, amounts, commissions; // first target role of each kind (0: none)
        int inps, irrf, fgts;
    };
    static const AverageGroup groups[] = {
        {200, "FERIAS", 551, 751, 201, 3, 3, 1},     {210, "13 SAL.", 561, 781, 203, 2, 2, 1},
        {220, "13 AVISO", 501, 761, 0, 4, 2, 1},    {230, "13 PROP.", 511, 763, 107, 2, 2, 1},
        {240, "AVISO", 521, 765, 105, 4, 4, 1}, {250, "FER. VENC.", 531, 767, 103, 4, 4, 0},
        {260, "FER. PROP.", 541, 769, 101, 4, 4, 0},
    };
    static const struct {
        const char* name;
        const char* perc;
    } kinds[] = {{"MEDIA HE 50%", "1.5"}, {"MEDIA HE 70%", "1.7"}, {"MEDIA HE 100%", "2"}, {"MEDIA AD. NOTURNO", "0.2"},
                 {"MEDIA PLANTAO NOT.", "0.4"}, {"MEDIA GRATIFICACAO", "1"}, {"MEDIA PREMIOS", "1"},
                 {"MEDIA DSR COMISSOES", "1"}, {"MEDIA COMISSOES", "1"}};
    for (const auto& g : groups) {
        for (int k = 0; k < 9; ++k) {
            if (k >= 7 && !g.commissions) continue;
            const int code = g.code + k;
            const QString name = QStringLiteral("%1 %2").arg(QLatin1String(kinds[k].name), QLatin1String(g.item));
            rows << row("HISTFP", {{"HCODIGO", code3(code)}, {"HNOME", name}, {"HPRODESC", 1}, {"HPARAMETRO", k < 5 ? 1 : 3},
                                   {"HPERC", kinds[k].perc}, {"HFLAGINPS", g.inps}, {"HFLAGIRRF", g.irrf},
                                   {"HFLAGFGTS", g.fgts}, {"HACUMNOR", 1}, {"HACUMBSIR", 1}});
            const int role = k < 5 ? g.hours + k : k < 7 ? g.amounts + (k - 5) : g.commissions + (k - 7);
            rows << row("FIXAOCOR", {{"FCODIGO", code3(role)}, {"FDESCRICAO", name}, {"FHISTORICO", code3(code)}, {"FVALOR", "0"}});
        }
    }
    for (const auto& r : roles)
        rows << row("FIXAOCOR", {{"FCODIGO", code3(r.role)}, {"FDESCRICAO", r.description},
                                 {"FHISTORICO", code3(r.code)}, {"FVALOR", r.role == 25 ? "1" : "0"}});

    // With the eSocial's reason of leave (Tabela 18); a dismissal has none.
    auto afas = [&](const char* c, const char* n, const char* rais, const char* esocial) {
        rows << row("HISTAFAS", {{"HCODIGO", c}, {"HNOME", n}, {"CALC13", "S"}, {"CALCFERIAS", "S"},
                                 {"CALCNORMAL", "N"}, {"CODIGORAIS", rais}, {"TIPO", "A"}, {"ESMOTAFAS", esocial}});
    };
    afas("001", "DOENCA ACIMA DE 15 DIAS", "40", "03");
    afas("002", "ACIDENTE DE TRABALHO", "10", "01");
    afas("003", "LICENCA MATERNIDADE", "50", "17");
    afas("004", "DEMISSAO", "11", "");

    // With the position's occupation in the CBO (Classificação Brasileira de
    // Ocupações, Portaria MTE nº 397/2002).
    auto cargo = [&](const char* c, const char* n, const char* cbo) {
        rows << row("Cargos", {{"COD_CARGOS", c}, {"NOME_CARGO", n}, {"CBO", cbo}});
    };
    cargo("001", "AUXILIAR ADMINISTRATIVO", "411010");
    cargo("002", "OPERADOR DE MAQUINAS", "784205");
    cargo("003", "VIGILANTE", "517330");
    cargo("004", "VENDEDOR", "521110");
    cargo("005", "APRENDIZ", "411005");
    cargo("006", "GERENTE", "142105");
    rows << row("SINDICAT", {{"COD_SIND", "001"}, {"NOME_SIND", "SINDICATO DOS METALURGICOS"}, {"CNPJ", "60628468000157"}});
    rows << row("SINDICAT", {{"COD_SIND", "002"}, {"NOME_SIND", "SINDICATO DOS COMERCIARIOS"}, {"CNPJ", "62657168000121"}});
    rows << row("centcust", {{"COD_CCUSTO", "ADM"}, {"DESC_CUSTO", "ADMINISTRACAO"}});
    rows << row("centcust", {{"COD_CCUSTO", "PROD"}, {"DESC_CUSTO", "PRODUCAO"}});
    rows << row("centcust", {{"COD_CCUSTO", "VENDAS"}, {"DESC_CUSTO", "VENDAS"}});
    rows << row("BANCO", {{"COD_BANCO", "00100001"}, {"NUMERO", "001"}, {"AGENCIA", "0001"}, {"NOME", "BANCO DO BRASIL"},
                          {"NOMEAGENCI", "CENTRO"}, {"CIDADE", "SAO PAULO"}, {"ESTADO", "SP"}});
    rows << row("BANCO", {{"COD_BANCO", "10400002"}, {"NUMERO", "104"}, {"AGENCIA", "0002"},
                          {"NOME", "CAIXA ECONOMICA FEDERAL"}, {"NOMEAGENCI", "PAULISTA"}, {"CIDADE", "SAO PAULO"}, {"ESTADO", "SP"}});
    rows << row("Linha", {{"CODIGO", "001"}, {"NOME", "ONIBUS MUNICIPAL"}, {"VALOR", "3.00"}});
    rows << row("Linha", {{"CODIGO", "002"}, {"NOME", "METRO"}, {"VALOR", "3.00"}});
    rows << row("Linha", {{"CODIGO", "003"}, {"NOME", "INTERMUNICIPAL"}, {"VALOR", "4.65"}});
    rows << row("PLANTOES", {{"COD_PLANTA", "001"}, {"NOME", "PLANTAO 12X36 DIURNO"}, {"HRS_NORMA", "12"}, {"HRS_PLANTA", "12"}});
    rows << row("PLANTOES", {{"COD_PLANTA", "002"}, {"NOME", "PLANTAO 12X36 NOTURNO"}, {"HRS_NORMA", "12"},
                             {"ADIC_NOT", "7"}, {"HRS_REDUC", "1"}, {"HRS_PLANTA", "12"}});
    rows << row("Tomador", {{"COD_TOMAD", "001"}, {"NOME", "CONSTRUTORA ALFA LTDA"}, {"CIDADE", "SAO PAULO"}, {"UF", "SP"},
                            {"TIPO", "1"}, {"CGC", "11222333000181"}, {"RETENCAO", "1100.00"}, {"FATURAS", "10000.00"}});
    rows << row("Tomador", {{"COD_TOMAD", "002"}, {"NOME", "OBRA RUA DAS FLORES"}, {"CIDADE", "SAO PAULO"}, {"UF", "SP"},
                            {"TIPO", "2"}, {"CGC", "11222333000262"}, {"RETENCAO", "550.00"}, {"FATURAS", "5000.00"}});
    rows << row("RESPONSA", {{"COD_RES", "001"}, {"NOME", "CONTABIL EXEMPLO LTDA"}, {"ENDERECO", "RUA DO CONTADOR"},
                             {"NUMERO", "100"}, {"CIDADE", "SAO PAULO"}, {"BAIRRO", "CENTRO"}, {"UF", "SP"},
                             {"CEP", "01001000"}, {"DDDFONE", "11"}, {"FONE", "32221000"}, {"TIPO", "1"},
                             {"CGC", "44555666000181"}, {"CONTATO", "MARIA CONTADORA"}, {"E_MAIL", "folha@contabil.example"}});
    rows += accountingMapRows(rows);
    return rows;
}

QList<DemoRow> branchRows(int company) {
    QList<DemoRow> rows;
    auto branch = [&](const char* code, const char* name, const char* cgc, const char* usaPlanto,
                      QDate payrollDate = QDate(2013, 4, 30), const char* sheet = "F", const char* ceiling = "4159.00",
                      const char* minimumWage = "678.00", QDate processed = QDate(2013, 4, 30)) {
        rows << row("Filial", {{"CODIGO", code}, {"NOME", name}, {"FIL_FONE", "1132220000"}, {"FIL_ENDERE", "AVENIDA INDUSTRIAL"},
                               {"FIL_NUMERO", "1500"}, {"FIL_CIDADE", "SAO PAULO"}, {"FIL_BAIRRO", "MOOCA"}, {"FIL_ESTADO", "SP"},
                               {"FIL_CEP", "03101000"}, {"CGC", cgc}, {"INSCEST", "111222333444"}, {"HORAS_MES", "220"},
                               {"HORAS_DESC", "30"}, {"TETO_INSS", ceiling}, {"V_ASSOCIAC", "15.00"},
                               {"DATA_FOLHA", payrollDate}, {"TIPO_FOL", sheet}, {"COD_RFGTS", "115"}, {"VLR_MINIMO", minimumWage},
                               {"FVALOR", "1.00"}, {"TIPOASS", 0}, {"TIPODIS", 1}, {"BCOAGFGTS", "10400002"}, {"HISTAUXNAT", "041"}, {"HISTSALMAT", "042"},
                               {"PER_GRPS17", "20"}, {"PER_GRPS18", "5.8"}, {"COD_GRPS18", "0115"}, {"COD_SAT", "2"},
                               {"COD_FPAS", "507"}, {"CODEMPFGTS", "0"}, {"COD_CNAE", "2599399"}, {"SIMPLES", "1"},
                               {"COD_PAGA", "2100"}, {"COD_CIDADE", "3550308"}, {"USA_PLANTO", usaPlanto},
                               {"MODALIDADE", " "}, {"INDICE_FAP", "1"}, {"DATAPROCES", processed},
                               // eSocial: a company outside the Simples (SIMPLES 1), classification 99,
                               // neither cooperative nor construction company, allocation type 01.
                               {"ES_CLASSTR", "99"}, {"ES_INDCOOP", 0}, {"ES_INDCONS", 0}, {"ES_DESFOLH", 0},
                               {"ES_REGELET", 0}, {"ES_TPLOTAC", "01"},
                               // Salaries paid through Caixa (the bank register's agency 0002).
                               {"BCO_PAGTO", "104"}, {"CONVENIO", "123456"}, {"AG_PAGTO", "0002"},
                               {"CTA_PAGTO", "3000123"}, {"CTA_PAGDV", "4"}});
    };
    if (company == 1) {
        branch("001", "ZORVAN DEMONSTRACAO - MATRIZ", "12345678000195", "S");
    } else if (company == 3) {
        // December 2025's 13th salary first; the builder then moves the
        // branch to January 2026. INSS ceiling and minimum wage of 2026
        // (Portaria Interministerial MPS/MF nº 13/2026; Decreto 12.797/2025).
        branch("001", "ZORVAN SERVICOS 2026 - MATRIZ", "11444777000161", "N", QDate(2025, 12, 31), "D", "8475.55", "1621.00",
               QDate(2025, 12, 31));
    } else {
        branch("001", "COMERCIAL MODELO - MATRIZ", "98765432000198", "N");
        // The second branch is on December's 13th salary.
        branch("002", "COMERCIAL MODELO - FILIAL CENTRO", "98765432000279", "N", QDate(2013, 12, 31), "D");
    }
    return rows;
}

namespace {

struct Employee {
    int code;
    const char* name;
    const char* salary;
    int tipoPag;     // 1 monthly, 5 hourly
    int vinculo;     // 7 apprentice
    int aposent;     // 1 retiree: no INSS
    int dependents;  // income-tax dependants
    int cargo;
    const char* centcusto;
    QDate admission;
    const char* sex;
};

QList<DemoRow> employee(const Employee& e, const Values& extra) {
    Values v = {{"CODFUN", code6(e.code)}, {"NOME", e.name}, {"ENDERECO", "RUA DAS PALMEIRAS, 100"},
                {"CIDADE", "SAO PAULO"}, {"BAIRRO", "CENTRO"}, {"UF", "SP"}, {"CEP", "01010000"},
                {"NR_PIS", demoPis(e.code)}, {"NR_CPF", CpfWithCheckDigits(QString::number(10000000000LL + e.code * 9876LL).left(9))},
                {"VLR_SALAR", e.salary}, {"TIPO_PAG", e.tipoPag}, {"VINCULO", e.vinculo}, {"APOSENT", e.aposent},
                {"DEPENDEN", e.dependents}, {"CARGO", e.cargo}, {"CENTCUSTO", e.centcusto}, {"DT_ADMIS", e.admission},
                {"DT_OPCAO", e.admission}, {"DT_NASC", QDate(1980, 1, 1).addDays(e.code * 97)}, {"SEXO", e.sex},
                {"HR_SEMAN", 44}, {"CONDICAO", 1}, {"CALCULO", 1}, {"CALC_FLAG", 0}, {"NACIONAL", 10},
                {"INSTRUCAO", 7}, {"RACACOR", "2"}, {"EST_CIVIL", "S"}, {"COD_ADMISS", "10"}, {"CBO", "411005"},
                {"NR_CART", QString::number(1000 + e.code)}, {"SERIE", "123"}, {"SIGLA", "SP"}, {"COD_SIND", 1},
                {"SAL_FAM", 0}, {"CHEQUE", 0}, {"MAO_OBRA", 1}, {"AD_QUINZ", 0}, {"PERC_ADI", "40"},
                {"FLAG_13", "S"}, {"FLAG_13I", "N"}, {"FLAG_AVISO", "N"}, {"FLAG_FERVC", "N"}, {"FLAG_FERPR", "N"},
                {"DT_INIFERI", QDate(2013, e.admission.month(), std::min(e.admission.day(), 28)).addYears(e.admission.year() < 2013 ? 0 : -1)},
                {"DEFICIENTE", "2"}, {"COD_BANCO", "104"}, {"NR_CONTA", QString::number(5000 + e.code)},
                // The salary account: most in the branch's paying bank (Caixa,
                // agency 0002 of the bank register); a few are moved to other
                // banks, and one has no account, below.
                {"AG_FUNC", "0002"}, {"CTA_DV", QString::number(e.code % 10)},
                // What the eSocial's events add: the branch, the street number,
                // the city's IBGE code (São Paulo) and Brazil (105, Tabela 06).
                {"FILIAL", "001"}, {"NR_ENDER", QString::number(100 + e.code)}, {"COD_MUNIC", "3550308"},
                {"PAIS_NASC", "105"}, {"PAIS_NAC", "105"}};
    for (const auto& [k, val] : extra) {
        bool replaced = false;
        for (auto& p : v)
            if (p.first == k) {
                p.second = val;
                replaced = true;
            }
        if (!replaced) v << qMakePair(k, val);
    }
    return {row("CADFUN", v)};
}

struct EventRow : DemoRow {
    EventRow withYear(const char* year) const {
        EventRow r = *this;
        for (auto& v : r.values)
            if (v.first == QLatin1String("OCORRANO")) v.second = QLatin1String(year);
        return r;
    }
};

EventRow event(const QString& fun, const char* code, const char* refer, const char* valor, const char* month = "04",
              const char* sheet = "F", const char* flag = "") {
    return EventRow{row("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", month}, {"TIPOFOLHA", sheet}, {"HCODIGO", code},
                                     {"CODFUN", fun}, {"REFER", refer}, {"VALOR", valor}, {"FLAG", flag}})};
}

} // namespace

namespace {

// Company 3: January 2026 under the law in force. Salaries chosen to fall
// in each INSS bracket of 2026 and on each side of the IRRF reduction of
// Lei 15.270/2025 (5.000,00 and 7.350,00), plus a retiree, an apprentice,
// a family allowance, a dismissal, a vacation and overtime.
QList<DemoRow> companyThreeRows() {
    QList<DemoRow> rows;
    const Employee list[] = {
        {1, "ALICE SALARIO MINIMO", "1621.00", 1, 1, 0, 0, 1, "ADM", QDate(2023, 3, 1), "F"},
        {2, "BRUNO SEGUNDA FAIXA", "3000.00", 1, 1, 0, 0, 2, "PROD", QDate(2021, 7, 1), "M"},
        {3, "CAMILA REDUCAO TOTAL", "5000.00", 1, 1, 0, 0, 1, "ADM", QDate(2020, 9, 14), "F"},
        {4, "DIEGO REDUCAO PARCIAL", "6000.00", 1, 1, 0, 0, 2, "PROD", QDate(2019, 2, 11), "M"},
        {5, "ELISA UM DEPENDENTE", "7000.00", 1, 1, 0, 1, 6, "ADM", QDate(2018, 5, 2), "F"},
        {6, "FABIO LIMITE REDUCAO", "7350.00", 1, 1, 0, 0, 6, "ADM", QDate(2018, 8, 1), "M"},
        {7, "GISELE DIRETORA TETO", "20000.00", 1, 1, 0, 2, 6, "ADM", QDate(2015, 1, 5), "F"},
        {8, "HUGO APOSENTADO ATIVO", "2500.00", 1, 1, 1, 0, 3, "PROD", QDate(2016, 4, 4), "M"},
        // 30 hours a week at the hourly minimum wage (7,37 × 150 hours).
        {9, "IARA APRENDIZ", "1105.50", 1, 7, 0, 0, 5, "ADM", QDate(2025, 3, 10), "F"},
        {10, "JOANA SALARIO FAMILIA", "1800.00", 1, 1, 0, 2, 1, "PROD", QDate(2019, 10, 1), "F"},
        {11, "KAIO DEMITIDO JANEIRO", "2800.00", 1, 1, 0, 0, 2, "PROD", QDate(2022, 1, 5), "M"},
        {12, "LUANA FERIAS JANEIRO", "4000.00", 1, 1, 0, 1, 1, "ADM", QDate(2023, 3, 1), "F"},
        {13, "MATEUS HORAS EXTRAS", "2500.00", 1, 1, 0, 0, 2, "PROD", QDate(2021, 2, 1), "M"},
    };
    for (const auto& e : list) {
        // The acquisition period running in 2025.
        const QDate anniversary(2025, e.admission.month(), std::min(e.admission.day(), 28));
        Values extra = {{"NR_PIS", demoPis(300 + e.code)},
                        {"NR_CPF", CpfWithCheckDigits(QString::number(30000000000LL + e.code * 9876LL).left(9))},
                        {"NR_CART", QString::number(3000 + e.code)}, {"NR_CONTA", QString::number(7000 + e.code)},
                        {"DT_NASC", QDate(1975, 3, 1).addDays(e.code * 733)},
                        {"DT_INIFERI", e.admission.year() < 2025 ? anniversary : e.admission}};
        switch (e.code) {
        case 9:
            // An apprenticeship of two years at most (CLT, art. 428, § 3º),
            // hired directly with a qualifying entity.
            extra << qMakePair(QStringLiteral("HR_SEMAN"), QVariant(30))
                  << qMakePair(QStringLiteral("DT_FIMCONT"), QVariant(QDate(2027, 3, 9)))
                  << qMakePair(QStringLiteral("CNPJ_QUALI"), QVariant(CnpjWithCheckDigits(QStringLiteral("335649860001"))));
            break;
        case 11:
            // Vested vacation of 05/01/2025 to 04/01/2026; the dismissal is
            // entered after December's 13th salary (dismissalOfJanuary2026).
            extra << qMakePair(QStringLiteral("DT_INIFERI"), QVariant(QDate(2025, 1, 5)))
                  << qMakePair(QStringLiteral("DT_FINFERI"), QVariant(QDate(2026, 1, 4)));
            break;
        case 12:
            extra << qMakePair(QStringLiteral("DT_INIFERI"), QVariant(QDate(2024, 3, 1)))
                  << qMakePair(QStringLiteral("DT_FINFERI"), QVariant(QDate(2025, 2, 28)))
                  << qMakePair(QStringLiteral("DT_IGOZFER"), QVariant(QDate(2026, 1, 5)))
                  << qMakePair(QStringLiteral("DT_FGOZFER"), QVariant(QDate(2026, 1, 24)))
                  << qMakePair(QStringLiteral("DT_IABOFER"), QVariant(QDate(2026, 1, 25)))
                  << qMakePair(QStringLiteral("DT_FABOFER"), QVariant(QDate(2026, 2, 3)))
                  << qMakePair(QStringLiteral("DIAS_FER"), QVariant(QStringLiteral("20")));
            break;
        // Salary accounts in other banks, and one employee without one.
        case 3:
            extra << qMakePair(QStringLiteral("COD_BANCO"), QVariant(1)) << qMakePair(QStringLiteral("AG_FUNC"), QVariant("1234"))
                  << qMakePair(QStringLiteral("AG_DV"), QVariant("3"));
            break;
        case 7:
            extra << qMakePair(QStringLiteral("COD_BANCO"), QVariant(237)) << qMakePair(QStringLiteral("AG_FUNC"), QVariant("0456"))
                  << qMakePair(QStringLiteral("AG_DV"), QVariant("7"));
            break;
        case 13:
            extra << qMakePair(QStringLiteral("COD_BANCO"), QVariant(0)) << qMakePair(QStringLiteral("NR_CONTA"), QVariant(0))
                  << qMakePair(QStringLiteral("AG_FUNC"), QVariant("")) << qMakePair(QStringLiteral("CTA_DV"), QVariant(""));
            break;
        }
        rows += employee(e, extra);
    }
    auto dependant = [&](int fun, const char* num, const char* name, QDate birth) {
        rows << row("DEPENDE", {{"CODFUN", code6(fun)}, {"NUMERO", num}, {"NOME_DEPEN", name}, {"DT_NASC", birth},
                                {"ANOS_IRPF", 21}, {"TIPO_DEP", "03"}, {"CPF_DEPEN", dependantCpf(300 + fun, num)},
                                {"DEP_IRRF", "S"}, {"DEP_SF", birth.addYears(14) > QDate(2026, 1, 1) ? "S" : "N"},
                                {"INC_TRAB", "N"}});
    };
    dependant(5, "01", "ENZO ELISA", QDate(2010, 8, 20));
    dependant(7, "01", "GUSTAVO GISELE", QDate(2005, 2, 1));
    dependant(7, "02", "GABRIELA GISELE", QDate(2008, 11, 30));
    // Under 14 all of January: one quota. The other turned 14 on 15/06/2025
    // and gives none.
    dependant(10, "01", "JULIO JOANA", QDate(2016, 5, 10));
    dependant(10, "02", "JADE JOANA", QDate(2011, 6, 15));
    // A child under 14 whose mother earns above the family-allowance limit.
    dependant(12, "01", "LEO LUANA", QDate(2019, 9, 9));

    // The entered events of January 2026 (sheet "F"): the monthly hours of
    // each employee, the worked days of the vacation month, the overtime.
    auto january = [&](int fun, const char* code, const char* refer) {
        rows << event(code6(fun), code, refer, "0", "01").withYear("2026");
    };
    for (int fun : {1, 2, 3, 4, 5, 6, 7, 8, 10, 13}) january(fun, "001", "220");
    january(9, "001", "150");   // 30 hours a week × 5
    january(12, "001", "73.33"); // 10 days of 30 outside the vacation: 44 ÷ 6 × 10
    january(13, "002", "10");   // 10 hours at 50 %
    return rows;
}

} // namespace

DemoDismissal dismissalOfJanuary2026() {
    DemoDismissal d;
    d.employee = code6(11);
    // Dismissed without cause on 20/01/2026 with indemnified notice and
    // every item of the termination; FGTS balance as the bank statement shows.
    d.fields = {{"CONDICAO", 0}, {"DT_AFAST", QDate(2026, 1, 20)}, {"CAUS_RESC", "I1"}, {"FLAG_13", "S"},
                {"FLAG_13I", "S"}, {"FLAG_AVISO", "S"}, {"FLAG_FERVC", "S"}, {"FLAG_FERPR", "S"},
                {"FLAG_SALDO", "S"}, {"VLR_FGTSBA", "11200.00"}};
    d.leave = row("AFASTFUN", {{"CODFUN", d.employee}, {"HCODIGO", "004"}, {"DATA", QDate(2026, 1, 20)}, {"CAUS_RESC", "I1"}});
    return d;
}

QList<DemoRow> employeeRows(int company) {
    if (company == 3) return companyThreeRows();
    QList<DemoRow> rows;
    const QDate old(2010, 3, 1);
    if (company == 2) {
        const Employee list[] = {
            {1, "ANTONIO CARLOS VENDEDOR", "1800.00", 1, 1, 0, 0, 4, "VENDAS", old, "M"},
            {2, "BEATRIZ SOUZA CAIXA", "1100.00", 1, 1, 0, 1, 1, "VENDAS", QDate(2012, 6, 1), "F"},
            {3, "CARLOS EDUARDO GERENTE", "6500.00", 1, 1, 0, 2, 6, "ADM", QDate(2008, 1, 10), "M"},
            {4, "DANIELA LIMA ESTOQUISTA", "950.00", 1, 1, 0, 0, 1, "VENDAS", QDate(2011, 9, 5), "F"},
            {5, "EDSON PEREIRA APRENDIZ", "339.00", 1, 7, 0, 0, 5, "ADM", QDate(2013, 2, 14), "M"}, // 11 months of 13th
        };
        for (const auto& e : list) rows += employee(e, {{"COD_SIND", 2}});
        rows << event(code6(1), "010", "0", "850.00") << event(code6(1), "002", "6", "0");
        // The rest of the year as calculated, for the averages of the 13th
        // salary in December, and the first instalment paid in November.
        static const char* const months[] = {"01", "02", "03", "05", "06", "07", "08", "09", "10", "11"};
        for (int i = 0; i < 10; ++i) {
            rows << event(code6(1), "010", "0", QByteArray::number(700 + 50 * i).append(".00").constData(), months[i], "F", "*");
            rows << event(code6(1), "002", QByteArray::number(2 + i % 5).constData(), "0", months[i], "F", "*");
            rows << event(code6(3), "013", "0", "500.00", months[i], "F", "*");
        }
        rows << event(code6(1), "076", "0", "900.00", "11", "D", "*") << event(code6(2), "076", "0", "550.00", "11", "D", "*")
             << event(code6(3), "076", "0", "3250.00", "11", "D", "*") << event(code6(4), "076", "0", "475.00", "11", "D", "*");
        rows << event(code6(3), "098", "0", "120.00") << event(code6(4), "090", "8", "0");
        return rows;
    }
    const Employee list[] = {
        {1, "ADRIANO SILVA SANTOS", "1500.00", 1, 1, 0, 0, 1, "ADM", old, "M"},
        {2, "BRUNA COSTA OLIVEIRA", "2800.00", 1, 1, 0, 2, 2, "PROD", old, "F"},
        {3, "CELSO RIBEIRO HORISTA", "8.50", 5, 1, 0, 0, 2, "PROD", old, "M"},
        {4, "DENISE ALVES APRENDIZ", "339.00", 1, 7, 0, 0, 5, "ADM", QDate(2012, 7, 2), "F"},
        {5, "EMILIO MOURA APOSENTADO", "2100.00", 1, 1, 1, 0, 1, "ADM", QDate(2005, 2, 1), "M"},
        {6, "FATIMA REGINA FILHOS", "900.00", 1, 1, 0, 2, 1, "PROD", old, "F"},
        {7, "GILBERTO NUNES INSALUBRE", "1300.00", 1, 1, 0, 0, 2, "PROD", old, "M"},
        {8, "HELENA PIRES PERICULOSA", "1700.00", 1, 1, 0, 1, 3, "PROD", old, "F"},
        {9, "IVAN ROCHA TRANSPORTE", "1000.00", 1, 1, 0, 0, 2, "PROD", old, "M"},
        {10, "JULIA FERREIRA EXTRAS", "2079.50", 1, 1, 0, 0, 2, "PROD", old, "F"},
        {11, "KLEBER DIAS NOTURNO", "1400.00", 1, 1, 0, 0, 3, "PROD", old, "M"},
        {12, "LAURA MENDES FERIAS", "2000.00", 1, 1, 0, 1, 1, "ADM", QDate(2011, 3, 15), "F"},
        {13, "MARCOS VIEIRA DEMITIDO", "1600.00", 1, 1, 0, 0, 2, "PROD", QDate(2011, 8, 10), "M"},
        {14, "NATALIA GOMES AFASTADA", "1250.00", 1, 1, 0, 0, 1, "ADM", old, "F"},
        {15, "OSCAR LOPES RETORNO", "1350.00", 1, 1, 0, 0, 2, "PROD", old, "M"},
        {16, "PATRICIA ADMITIDA ABRIL", "1200.00", 1, 1, 0, 0, 1, "ADM", QDate(2013, 4, 15), "F"},
        {17, "QUEIROZ PLANTONISTA", "1500.00", 1, 1, 0, 0, 3, "PROD", old, "M"},
        {18, "RENATA TOMADOR OBRA", "1450.00", 1, 1, 0, 0, 2, "PROD", old, "F"},
        {19, "SERGIO CASTRO DIRETOR", "9000.00", 1, 1, 0, 3, 6, "ADM", QDate(2001, 5, 2), "M"},
        {20, "TANIA VENDAS COMISSAO", "1000.00", 1, 1, 0, 0, 4, "VENDAS", old, "F"},
        {21, "ULISSES FARIAS SINDICAL", "1550.00", 1, 1, 0, 1, 2, "PROD", old, "M"},
        {22, "VANESSA ROCHA DISSIDIO", "1650.00", 1, 1, 0, 0, 1, "ADM", old, "F"},
        {23, "WAGNER ADIANTAMENTO", "1800.00", 1, 1, 0, 0, 1, "ADM", old, "M"},
        {24, "XAVIER DEBITO ANTERIOR", "800.00", 1, 1, 0, 0, 2, "PROD", old, "M"},
        {25, "YARA TETO INSS", "5200.00", 1, 1, 0, 1, 6, "ADM", QDate(2009, 11, 3), "F"},
    };
    for (const auto& e : list) {
        Values extra;
        switch (e.code) {
        case 7: extra = {{"INSALUBRE", 21}, {"COBERTURA", "0"}}; break;
        case 8: extra = {{"PERICULOS", 30}}; break;
        case 9: extra = {{"COD_LINHA1", "001"}, {"QTD_LINHA1", 44}, {"COD_LINHA2", "003"}, {"QTD_LINHA2", 44}}; break;
        case 12:
            extra = {{"DT_INIFERI", QDate(2012, 3, 15)}, {"DT_FINFERI", QDate(2013, 3, 14)},
                     {"DT_IGOZFER", QDate(2013, 4, 15)}, {"DT_FGOZFER", QDate(2013, 5, 4)},
                     {"DT_IABOFER", QDate(2013, 5, 5)}, {"DT_FABOFER", QDate(2013, 5, 14)}, {"DIAS_FER", "20"}};
            break;
        case 13:
            // Dismissed on 20 April with every item of the termination.
            extra = {{"CONDICAO", 0}, {"DT_INIFERI", QDate(2011, 8, 10)}, {"DT_FINFERI", QDate(2012, 8, 9)},
                     {"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}, {"FLAG_13I", "S"}, {"FLAG_AVISO", "S"},
                     {"FLAG_FERVC", "S"}, {"FLAG_FERPR", "S"}, {"FLAG_SALDO", "S"}, {"VLR_FGTSBA", "3200.00"}};
            break;
        case 14: extra = {{"CALCULO", 4}, {"CAUS_RESC", "P1"}, {"DT_AFAST", QDate(2013, 2, 10)}}; break;
        case 15: extra = {{"DT_RETORNO", QDate(2013, 4, 16)}, {"CAUS_RETOR", "Z5"}}; break;
        case 17: extra = {{"COD_PLANTA", "002"}, {"QTD_PLANTA", 10}}; break;
        case 18: extra = {{"COD_TOMAD", 1}}; break;
        // Salary accounts in other banks than the paying one, and one
        // employee who has not given an account.
        case 2: extra = {{"COD_BANCO", 1}, {"AG_FUNC", "1234"}, {"AG_DV", "3"}}; break;
        case 10: extra = {{"COD_BANCO", 341}, {"AG_FUNC", "0321"}}; break;
        case 24: extra = {{"COD_BANCO", 0}, {"NR_CONTA", 0}, {"AG_FUNC", ""}, {"CTA_DV", ""}}; break;
        case 21: extra = {{"COD_SIND", 1}, {"SAL_FAM", 44}}; break;
        case 22: extra = {{"COD_DISSID", 15}, {"HISTO1", 98}, {"HISTO2", 99}}; break;
        case 23: extra = {{"AD_QUINZ", 1}, {"PERC_ADI", "40"}}; break;
        }
        // Pay statements by e-mail: everyone but Emílio (5) has an address
        // (example domains only: nothing real ever receives them).
        if (e.code != 5)
            extra << qMakePair(QStringLiteral("EMAIL"),
                               QVariant(QStringLiteral("func%1@%2").arg(e.code, 2, 10, QLatin1Char('0'))
                                            .arg(e.code % 2 ? QStringLiteral("example.com") : QStringLiteral("example.org"))));
        rows += employee(e, extra);
    }
    // Dependants: children under 14 for the family allowance and income tax.
    auto child = [&](int fun, const char* num, const char* name, QDate birth) {
        rows << row("DEPENDE", {{"CODFUN", code6(fun)}, {"NUMERO", num}, {"NOME_DEPEN", name}, {"DT_NASC", birth},
                                {"ANOS_IRPF", 21}, {"TIPO_DEP", "03"}, {"CPF_DEPEN", dependantCpf(fun, num)},
                                {"DEP_IRRF", "S"}, {"DEP_SF", birth.addYears(14) > QDate(2013, 4, 1) ? "S" : "N"},
                                {"INC_TRAB", "N"}});
    };
    child(6, "01", "FELIPE REGINA", QDate(2008, 5, 10));
    child(6, "02", "FLAVIA REGINA", QDate(2013, 4, 30).addDays(-5144)); // 5144 days on the payroll date: counts
    child(6, "03", "FABIO REGINA", QDate(2013, 4, 30).addDays(-5145));  // 5145 days: no longer counts
    child(2, "01", "BRENO COSTA", QDate(2006, 2, 20));
    child(2, "02", "BIANCA COSTA", QDate(2010, 9, 1));
    child(19, "01", "SOFIA CASTRO", QDate(2003, 1, 1));
    rows << row("AFASTFUN", {{"CODFUN", code6(14)}, {"HCODIGO", "001"}, {"DATA", QDate(2013, 2, 10)}, {"CAUS_RESC", "P1"}});
    rows << row("AFASTFUN", {{"CODFUN", code6(13)}, {"HCODIGO", "004"}, {"DATA", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    // The sick leave that employee 000015's return of 16 April ends.
    rows << row("AFASTFUN", {{"CODFUN", code6(15)}, {"HCODIGO", "001"}, {"DATA", QDate(2013, 3, 20)}, {"CAUS_RESC", "P1"}});
    rows << row("MovPlant", {{"PLANT_ANO", "2013"}, {"PLANT_MES", "04"}, {"TIPOFOLHA", "F"}, {"CODFUN", code6(17)},
                             {"COD_PLANTA", "002"}, {"QUANTIDADE", "10"}});
    rows << row("FUNTOMAD", {{"ANOMES", "201304"}, {"CODFUN", code6(18)}, {"TOMADOR", "001"}, {"VALOR", "1450.00"},
                             {"PIS", demoPis(18)}, {"VALORAFAST", "0"}});

    // The month's entered events (April 2013, sheet "F").
    for (int fun = 1; fun <= 25; ++fun)
        if (fun != 3 && fun != 13 && fun != 14) rows << event(code6(fun), "001", "220", "0");
    rows << event(code6(3), "001", "180", "0"); // the hourly worker's hours
    rows << event(code6(10), "002", "10", "0") << event(code6(10), "003", "4", "0") << event(code6(10), "004", "2", "0");
    rows << event(code6(11), "005", "60", "0") << event(code6(11), "002", "5", "0");
    rows << event(code6(1), "090", "8", "0") << event(code6(1), "013", "0", "150.00");
    rows << event(code6(20), "010", "0", "1250.00");
    rows << event(code6(24), "099", "0", "900.00");
    // Variable pay of the acquisition periods: averages of the vacation and the termination.
    rows << event(code6(12), "013", "0", "400.00", "12", "F", "*").withYear("2012");
    rows << event(code6(13), "002", "10", "109.09", "11", "F", "*").withYear("2011");
    rows << event(code6(13), "002", "6", "65.45", "06", "F", "*").withYear("2012");
    // The advance of April as calculated (sheet "A"), deducted by April's payroll.
    rows << event(code6(23), "096", "0", "721.00", "04", "A", "*"); // 40 % of 1800.00, up to the next 1.00
    // March, as calculated: a debt and a rounding that April's payroll takes back.
    rows << event(code6(24), "101", "0", "120.00", "03", "F", "*");
    rows << event(code6(1), "103", "0", "0.45", "03", "F", "*");
    // Earlier months, as calculated, for the averages of variable pay.
    for (const char* month : {"01", "02", "03"}) {
        rows << event(code6(10), "002", "8", "90.73", month, "F", "*");
        rows << event(code6(20), "010", "0", "1100.00", month, "F", "*");
        rows << event(code6(12), "002", "6", "81.82", month, "F", "*");
        rows << event(code6(13), "002", "4", "43.64", month, "F", "*");
    }
    return rows;
}

DemoRow syntheticEmployee(const QString& code, int seq) {
    return row("CADFUN", {{"CODFUN", code}, {"NOME", QStringLiteral("FUNCIONARIO SINTETICO %1").arg(seq + 1)},
                          {"VLR_SALAR", QStringLiteral("%1.%2").arg(900 + (seq * 37) % 5000).arg(seq % 100, 2, 10, QChar('0'))},
                          {"TIPO_PAG", 1}, {"VINCULO", 1}, {"APOSENT", 0}, {"DEPENDEN", seq % 3}, {"CARGO", 1 + seq % 6},
                          {"CENTCUSTO", "PROD"}, {"DT_ADMIS", QDate(2010, 1, 1).addDays(seq % 1000)}, {"HR_SEMAN", 44},
                          {"CONDICAO", 1}, {"CALCULO", 1}, {"CALC_FLAG", 0}, {"SAL_FAM", 0}, {"COD_SIND", 1},
                          {"NR_PIS", PisWithCheckDigit(QString::number(1300000000LL + seq))}, {"SEXO", seq % 2 ? "F" : "M"},
                          // the CPF the eSocial events identify the worker by
                          {"NR_CPF", CpfWithCheckDigits(QString::number(200000000LL + seq))}});
}

QList<DemoRow> syntheticEvents(const QString& code, int seq) {
    static const char* codes[] = {"001", "002", "003", "004", "005", "010", "013", "014", "090", "091", "098", "099"};
    QList<DemoRow> rows;
    for (int i = 0; i < 12; ++i) {
        bool typed = i >= 5 && i != 8 && i != 9;
        QString refer = i == 0 ? QStringLiteral("220") : typed ? QStringLiteral("0") : QString::number(1 + (seq + i) % 9);
        QString valor = typed ? QString::number(50 + (seq * 7 + i * 13) % 400) : QStringLiteral("0");
        rows << row("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", "04"}, {"TIPOFOLHA", "F"}, {"HCODIGO", codes[i]},
                                 {"CODFUN", code}, {"REFER", refer}, {"VALOR", valor}});
    }
    return rows;
}

} // namespace folha::demo
