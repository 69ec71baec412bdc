// The monthly payroll run on a small company built for each test, with
// every expected amount worked out by hand from the 2013 tables.
#include "TableRoutines.h"
#include "PayrollFixture.h"
#include "ScriptedUi.h"
#include "Undo.h"

#include <gtest/gtest.h>


using namespace folha;
using namespace folha::payroll;
using namespace folha::payroll::testing;

namespace {

using PayrollRunTest = PayrollFixture;


TEST_F(PayrollRunTest, MonthlyEmployeeWithOvertimeBonusAndDependant) {
    employee("000001", "2200.00", {{"DEPENDEN", 1}});
    entered("000001", "001", "220");
    entered("000001", "002", "10");         // 10 × 1.5 = 15 hours × 2200 / 220 = 150.00
    entered("000001", "003", "0", "100.00"); // typed
    entered("000001", "004", "4");           // rate 10.00 × 1.5 × 4 = 60.00
    RunSummary s = calc();
    EXPECT_EQ(s.employeesCalculated, 1) << s.employeesRead << " " << s.employeesSkipped << " " << ui.texts().join("|").toStdString();
    // Earnings 2510.00. INSS 11 %: 276.10. IRRF: 2510 − 171.97 − 276.10 = 2061.93;
    // 2061.93 × 7.5 % = 154.64 − 128.31 = 26.33. FGTS 8 %: 200.80.
    EXPECT_EQ(rows("000001"), (Rows{{"001", "220.00 2200.00 "},
                                    {"002", "10.00 150.00 "},
                                    {"003", "0.00 100.00 "},
                                    {"004", "4.00 60.00 "},
                                    {"110", "0.00 276.10 *"},
                                    {"111", "0.00 2510.00 *"},
                                    {"120", "0.00 26.33 *"},
                                    {"121", "0.00 2510.00 *"},
                                    {"122", "1.00 171.97 *"},
                                    {"130", "0.00 2510.00 *"},
                                    {"131", "0.00 200.80 *"},
                                    {"140", "0.00 2510.00 *"},
                                    {"141", "0.00 302.43 *"},
                                    {"142", "0.00 2207.57 *"},
                                    {"144", "0.00 2200.00 *"}}));
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "04", "F", "002", "000001"})->text("CENTCUSTO"), QStringLiteral("PROD"));
    EXPECT_EQ(ui.texts("message"), QStringList{"Procedimento concluído!"});
}

TEST_F(PayrollRunTest, HourlyEmployeeAndARuleThatDoesNotApply) {
    employee("000002", "8.50", {{"TIPO_PAG", 5}});
    entered("000002", "001", "180");  // 180 × 8.50 = 1530.00
    entered("000002", "002", "3");    // 4.5 × 8.50 = 38.25
    entered("000002", "004", "5", "12.34"); // rule 2 is for monthly pay: left as typed, enters nothing
    calc();
    // Base 1568.25: INSS 9 % = 141.14 (truncated); IRRF base below the exemption.
    EXPECT_EQ(rows("000002"), (Rows{{"001", "180.00 1530.00 "},
                                    {"002", "3.00 38.25 "},
                                    {"004", "5.00 12.34 "},
                                    {"110", "0.00 141.14 *"},
                                    {"111", "0.00 1568.25 *"},
                                    {"121", "0.00 1568.25 *"},
                                    {"130", "0.00 1568.25 *"},
                                    {"131", "0.00 125.46 *"},
                                    {"140", "0.00 1568.25 *"},
                                    {"141", "0.00 141.14 *"},
                                    {"142", "0.00 1427.11 *"},
                                    {"144", "0.00 1870.00 *"}})); // 8.50 × 44 × 5
}

struct StatutoryCase {
    const char* what;
    const char* salary;
    Values extra;
    Rows expected; // only these codes are compared; "-" means no row
};

TEST_F(PayrollRunTest, InssIrrfAndFgtsByHand) {
    const StatutoryCase cases[] = {
        {"INSS base on the upper limit of the first bracket", "1247.70", {},
         {{"110", "0.00 99.81 *"}, {"111", "0.00 1247.70 *"}, {"114", "-"}}},
        {"one cent above it: the next bracket", "1247.71", {}, {{"110", "0.00 112.29 *"}}},
        {"above the ceiling: INSS on the ceiling, the full base and the ceiling", "5200.00", {},
         {{"110", "0.00 457.49 *"}, {"111", "0.00 5200.00 *"}, {"114", "0.00 4159.00 *"},
          // 5200 − 457.49 = 4742.51 × 27.5 % = 1304.19 − 790.58
          {"120", "0.00 513.61 *"}}},
        {"retiree: no INSS row and no INSS off the IRRF base", "2100.00", {{"APOSENT", 1}},
         {{"110", "-"}, {"111", "0.00 2100.00 *"}, {"120", "0.00 29.19 *"}}},
        {"IRRF of exactly 10.00 is not withheld", "1844.13", {{"APOSENT", 1}},
         {{"120", "-"}, {"121", "0.00 1844.13 *"}}},
        {"IRRF of 10.01 is", "1844.27", {{"APOSENT", 1}}, {{"120", "0.00 10.01 *"}}},
        {"categories from 8 on pay 11 %", "1000.00", {{"VINCULO", 8}}, {{"110", "0.00 110.00 *"}}},
        {"FGTS 8 %", "678.00", {}, {{"110", "0.00 54.24 *"}, {"130", "0.00 678.00 *"}, {"131", "0.00 54.24 *"}}},
        {"apprentice FGTS 2 %", "678.00", {{"VINCULO", 7}}, {{"131", "0.00 13.56 *"}}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QByteArray code = QStringLiteral("%1").arg(++n, 6, 10, QChar('0')).toLatin1();
        employee(code.constData(), c.salary, c.extra);
        entered(code.constData(), "001", "220");
    }
    calc();
    n = 0;
    for (const auto& c : cases) {
        const QByteArray code = QStringLiteral("%1").arg(++n, 6, 10, QChar('0')).toLatin1();
        const Rows got = rows(code.constData());
        for (const auto& [event, want] : c.expected) {
            auto it = got.find(event);
            EXPECT_EQ(it == got.end() ? QStringLiteral("-") : it->second, want) << c.what << ", event " << event.toStdString();
        }
    }
}

TEST_F(PayrollRunTest, FamilyAllowanceCountsChildrenUnder5145DaysAndProratesAnAdmission) {
    employee("000001", "900.00");
    entered("000001", "001", "220");
    put("DEPENDE", {{"CODFUN", "000001"}, {"NUMERO", "01"}, {"DT_NASC", QDate(2013, 4, 30).addDays(-5144)}});
    put("DEPENDE", {{"CODFUN", "000001"}, {"NUMERO", "02"}, {"DT_NASC", QDate(2013, 4, 30).addDays(-5145)}});
    // Admitted on 15 April: 15 days + 1 for a 30-day month = 16 / 30 = 0.5333.
    employee("000002", "600.00", {{"DT_ADMIS", QDate(2013, 4, 15)}});
    entered("000002", "001", "220");
    put("DEPENDE", {{"CODFUN", "000002"}, {"NUMERO", "01"}, {"DT_NASC", QDate(2010, 1, 1)}});
    put("DEPENDE", {{"CODFUN", "000002"}, {"NUMERO", "02"}, {"DT_NASC", QDate(2011, 1, 1)}});
    // Too much income for a quota.
    employee("000003", "1000.00");
    entered("000003", "001", "220");
    put("DEPENDE", {{"CODFUN", "000003"}, {"NUMERO", "01"}, {"DT_NASC", QDate(2010, 1, 1)}});

    RunOptions o;
    o.familyAllowance = true;
    calc(o);
    EXPECT_EQ(rows("000001")["040"], QStringLiteral("1.00 23.36 *")); // 646.55 < 900 ≤ 971.78
    EXPECT_EQ(rows("000002")["040"], QStringLiteral("2.00 35.37 *")); // 33.16 × 2 × 0.5333 = 35.3686
    EXPECT_EQ(rows("000003").count("040"), 0u);
    // The allowance is an earning of the statement.
    EXPECT_EQ(rows("000001")["140"], QStringLiteral("0.00 923.36 *"));
}

TEST_F(PayrollRunTest, WithoutTheSwitchThereIsNoFamilyAllowance) {
    employee("000001", "900.00");
    entered("000001", "001", "220");
    put("DEPENDE", {{"CODFUN", "000001"}, {"NUMERO", "01"}, {"DT_NASC", QDate(2010, 1, 1)}});
    calc();
    EXPECT_EQ(rows("000001").count("040"), 0u);
}

TEST_F(PayrollRunTest, DismissalWithoutCauseGetsTerminationFgtsAndTheFine) {
    employee("000013", "1600.00", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}, {"VLR_FGTSBA", "3200.00"}});
    entered("000013", "001", "140"); // 140 × 1600 / 220 = 1018.18
    // A resignation: the month's FGTS as usual, no fine.
    employee("000014", "1600.00", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "J"}, {"VLR_FGTSBA", "3200.00"}});
    entered("000014", "001", "140");
    calc();
    const Rows dismissed = rows("000013");
    EXPECT_EQ(dismissed.at("130"), QStringLiteral("0.00 1018.18 *"));
    EXPECT_EQ(dismissed.at("132"), QStringLiteral("0.00 81.45 *"));
    EXPECT_EQ(dismissed.count("131"), 0u);
    EXPECT_EQ(dismissed.at("133"), QStringLiteral("0.00 1312.58 *")); // (3200 + 81.45) × 40 %
    // The fine is an earning: 1018.18 + 1312.58 = 2330.76.
    EXPECT_EQ(dismissed.at("140"), QStringLiteral("0.00 2330.76 *"));
    const Rows resigned = rows("000014");
    EXPECT_EQ(resigned.at("131"), QStringLiteral("0.00 81.45 *"));
    EXPECT_EQ(resigned.count("132"), 0u);
    EXPECT_EQ(resigned.count("133"), 0u);
}

// The days before a return from leave are paid by the social security:
// never in the INSS base; in the FGTS base only after a work accident or
// military service. Back on 16 April: 16 / 30 = 0.5333 × 1500 = 799.95.
TEST_F(PayrollRunTest, ReturnFromLeaveCountsTheDaysBeforeOnlyForTheFgtsOfAnAccident) {
    const struct {
        const char* code;
        const char* cause;
        const char* fgtsBase;
        const char* fgts;
    } cases[] = {
        {"000015", "P1", "0.00 750.00 *", "0.00 60.00 *"},   // illness: nothing added
        {"000016", "O1", "0.00 1549.95 *", "0.00 124.00 *"}, // work accident: 750.00 + 799.95
        {"000017", "R", "0.00 1549.95 *", "0.00 124.00 *"},  // military service
    };
    for (const auto& c : cases) {
        employee(c.code, "1500.00", {{"DT_RETORNO", QDate(2013, 4, 16)}});
        put("AFASTFUN", {{"CODFUN", c.code}, {"HCODIGO", "001"}, {"DATA", QDate(2013, 2, 10)}, {"CAUS_RESC", c.cause}});
        entered(c.code, "001", "110"); // 750.00
    }
    calc();
    for (const auto& c : cases) {
        const Rows r = rows(c.code);
        EXPECT_EQ(r.at("110"), QStringLiteral("0.00 60.00 *")) << c.cause; // 8 % of 750.00
        EXPECT_EQ(r.at("111"), QStringLiteral("0.00 750.00 *")) << c.cause;
        EXPECT_EQ(r.at("130"), QString::fromLatin1(c.fgtsBase)) << c.cause;
        EXPECT_EQ(r.at("131"), QString::fromLatin1(c.fgts)) << c.cause;
    }
}

TEST_F(PayrollRunTest, VacationSheetCarriesTheNextMonthPartIntoTheNextMonthlySheet) {
    event("050", 1, 3, "0", 3, 3, 1); // vacation pay: INSS, IRRF and FGTS of vacation
    for (const char* base : {"116", "127", "128", "134"}) event(base, 2, 3, "0", 0, 0, 0);
    event("126", 0, 3, "0", 0, 0, 0);
    const char* roles[][2] = {{"049", "116"}, {"075", "134"}, {"020", "126"}, {"021", "127"}, {"036", "128"}};
    for (auto& r : roles) role(r[0], r[1]);
    Table filial(*db, "Filial");
    Record b = *filial.find({"001"});
    b.set("TIPO_FOL", "I");
    filial.update(b);
    // Enjoyed from 15 April to 4 May: 20 days, 4 of them after the payroll date.
    employee("000012", "3000.00", {{"DT_IGOZFER", QDate(2013, 4, 15)}, {"DT_FGOZFER", QDate(2013, 5, 4)}});
    entered("000012", "050", "0", "3000.00", "I");
    RunOptions o;
    o.kind = CalcKind::Vacation;
    o.automaticMode = true;
    calc(o);
    const Rows v = rows("000012", "I");
    EXPECT_EQ(v.at("116"), QStringLiteral("0.00 600.00 *"));  // 4 / 20 × 3000
    EXPECT_EQ(v.at("134"), QStringLiteral("0.00 600.00 *"));
    EXPECT_EQ(v.at("110"), QStringLiteral("0.00 330.00 *"));  // 11 % of the whole vacation
    EXPECT_EQ(v.at("127"), QStringLiteral("0.00 2670.00 *")); // the vacation base less the INSS
    EXPECT_EQ(v.at("126"), QStringLiteral("0.00 79.90 *"));   // 2670 × 15 % = 400.50 − 320.60
    EXPECT_EQ(v.at("130"), QStringLiteral("0.00 3000.00 *"));
    EXPECT_EQ(v.at("131"), QStringLiteral("0.00 240.00 *"));
    EXPECT_EQ(v.at("142"), QStringLiteral("0.00 2590.10 *"));

    // May's monthly sheet: the 600.00 of April's vacation enter the bases.
    b = *filial.find({"001"});
    b.set("TIPO_FOL", "F").set("DATA_FOLHA", QDate(2013, 5, 31));
    filial.update(b);
    put("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", "05"}, {"TIPOFOLHA", "F"}, {"HCODIGO", "001"},
                     {"CODFUN", "000012"}, {"REFER", "88"}, {"VALOR", "0"}});
    calc();
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "05", "F", "111", "000012"})->number("VALOR"), *Fixed::parse("1800.00")); // 1200 + 600
    EXPECT_EQ(t.find({"2013", "05", "F", "110", "000012"})->number("VALOR"), *Fixed::parse("162.00"));  // 9 %
    EXPECT_EQ(t.find({"2013", "05", "F", "131", "000012"})->number("VALOR"), *Fixed::parse("144.00"));  // 8 % of 1800
}

TEST_F(PayrollRunTest, ThirteenthSalaryInssIsWrittenInWholeCentavos) {
    event("070", 1, 3, "0", 2, 2, 1); // 13th salary
    for (const char* base : {"113", "115", "124", "125"}) event(base, 2, 3, "0", 0, 0, 0);
    event("112", 0, 3, "0", 0, 0, 0);
    event("123", 0, 3, "0", 0, 0, 0);
    const char* roles[][2] = {{"014", "112"}, {"015", "113"}, {"062", "115"}, {"018", "123"}, {"019", "124"}, {"035", "125"}};
    for (auto& r : roles) role(r[0], r[1]);
    Table filial(*db, "Filial");
    Record b = *filial.find({"001"});
    b.set("TIPO_FOL", "D");
    filial.update(b);
    employee("000001", "1234.56");
    entered("000001", "070", "0", "1234.56", "D");
    employee("000002", "6000.00", {{"APOSENT", 1}}); // the 13th INSS is due whatever APOSENT says
    entered("000002", "070", "0", "6000.00", "D");
    employee("000003", "544.22");
    entered("000003", "070", "0", "544.22", "D");
    RunOptions o;
    o.kind = CalcKind::Thirteenth;
    o.automaticMode = true;
    calc(o);
    const Rows a = rows("000001", "D");
    // 1234.56 × 8 % = 98.7648 by the brackets; paid 98.76.
    EXPECT_EQ(a.at("112"), QStringLiteral("0.00 98.76 *"));
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "04", "D", "112", "000001"})->number("VALOR"), *Fixed::parse("98.76"));
    EXPECT_EQ(a.at("113"), QStringLiteral("0.00 1234.56 *"));
    EXPECT_EQ(a.at("124"), QStringLiteral("0.00 1234.56 *"));
    EXPECT_EQ(a.count("123"), 0u);
    // The net of the 13th salary is the sheet's net pay: 1234.56 − 98.76.
    EXPECT_EQ(t.find({"2013", "04", "D", "142", "000001"})->number("VALOR"), *Fixed::parse("1135.80"));
    // 544.22 × 8 % = 43.5376: paid 43.54, and the net is 544.22 − 43.54.
    EXPECT_EQ(t.find({"2013", "04", "D", "112", "000003"})->number("VALOR"), *Fixed::parse("43.54"));
    EXPECT_EQ(t.find({"2013", "04", "D", "141", "000003"})->number("VALOR"), *Fixed::parse("43.54"));
    EXPECT_EQ(t.find({"2013", "04", "D", "142", "000003"})->number("VALOR"), *Fixed::parse("500.68"));
    const Rows r = rows("000002", "D");
    EXPECT_EQ(r.at("112"), QStringLiteral("0.00 457.49 *")); // on the ceiling
    EXPECT_EQ(r.at("115"), QStringLiteral("0.00 4159.00 *"));
    // 6000 − 457.49 = 5542.51 × 27.5 % = 1524.19 − 790.58
    EXPECT_EQ(r.at("123"), QStringLiteral("0.00 733.61 *"));
    // Not the monthly INSS: that one is only for sheets F, I and A.
    EXPECT_EQ(r.count("110"), 0u);
}

TEST_F(PayrollRunTest, ASecondRunWritesExactlyTheRowsOfTheFirst) {
    employee("000001", "2200.00", {{"DEPENDEN", 1}});
    entered("000001", "001", "220");
    entered("000001", "002", "10");
    entered("000001", "098", "0", "45.00");
    employee("000002", "5200.00");
    entered("000002", "001", "220");
    const RunSummary first = calc();
    const QString once = dump();
    EXPECT_GT(first.rowsWritten, 0);
    const RunSummary second = calc();
    EXPECT_EQ(dump(), once);
    EXPECT_EQ(second.rowsWritten, 0); // nothing changed, nothing rewritten

    // The overtime goes away and fewer hours are worked: the results follow,
    // and a result that is no longer due (the IRRF at the lower pay) is removed.
    Table t(*db, "OCORRENC");
    t.remove({"2013", "04", "F", "002", "000001"});
    Record salaryRow = *t.find({"2013", "04", "F", "001", "000001"});
    salaryRow.set("REFER", "100");
    t.update(salaryRow);
    calc();
    const Rows r = rows("000001");
    EXPECT_EQ(r.at("110"), QStringLiteral("0.00 80.00 *")); // 1000.00 × 8 %
    EXPECT_EQ(r.count("120"), 0u);
    EXPECT_EQ(r.at("141"), QStringLiteral("0.00 125.00 *")); // 80 + 45
}

TEST_F(PayrollRunTest, QuantityRowsOfOtherCalculationsAreValuedAgainAndKept) {
    // A row written by another calculation (FLAG "*") under an event the run
    // does not produce: valued like a typed row, not removed.
    employee("000001", "2200.00");
    entered("000001", "001", "220", "0", "F", "*");
    calc();
    calc();
    EXPECT_EQ(rows("000001").at("001"), QStringLiteral("220.00 2200.00 *"));
    EXPECT_EQ(rows("000001").at("140"), QStringLiteral("0.00 2200.00 *"));
}

TEST_F(PayrollRunTest, FiltersRangeDismissedAndAlreadyCalculated) {
    for (const char* code : {"000001", "000002", "000003", "000004", "000005"}) {
        employee(code, "1000.00", QString(code) == "000004"   ? Values{{"CONDICAO", 0}}
                                  : QString(code) == "000005" ? Values{{"CALC_FLAG", 1}}
                                                              : Values{});
        entered(code, "001", "220");
    }
    RunOptions onlyFirst;
    onlyFirst.firstEmployee = "000002"; // no final code: no range
    RunSummary s = calc(onlyFirst);
    EXPECT_EQ(s.employeesCalculated, 3);
    EXPECT_EQ(s.employeesSkipped, 2);
    EXPECT_EQ(rows("000004").count("140"), 0u);
    EXPECT_EQ(rows("000005").count("140"), 0u);

    ScriptedUi yes({}, true);
    for (const char* code : {"000001", "000002", "000003"})
        ASSERT_TRUE(PayrollUndo(*db, yes).run({"2013", "04", "F - Folha", code}));
    RunOptions range;
    range.firstEmployee = "000002";
    range.lastEmployee = "000003";
    s = calc(range);
    EXPECT_EQ(s.employeesCalculated, 2);
    EXPECT_EQ(rows("000001").count("140"), 0u);
    EXPECT_EQ(rows("000002").count("140"), 1u);
    EXPECT_EQ(rows("000003").count("140"), 1u);
}

TEST_F(PayrollRunTest, AutomaticModeHasNoClosingMessage) {
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    RunOptions o;
    o.automaticMode = true;
    calc(o);
    EXPECT_FALSE(ui.texts().contains("Procedimento concluído!"));
    EXPECT_EQ(rows("000001").at("142"), QStringLiteral("0.00 920.00 *"));
}

TEST_F(PayrollRunTest, ABlankRoleIsReportedAndWritesNothingElsewhere) {
    role("016", "   "); // IRRF without an event code
    employee("000001", "5200.00");
    entered("000001", "001", "220");
    calc();
    EXPECT_EQ(ui.texts("warning"),
              (QStringList{"Ocorrencia Fixa sem Historico:016", "Corrija a Ocorrencia Fixa e Descalcule a Folha"}));
    const Rows r = rows("000001");
    EXPECT_EQ(r.count("120"), 0u);
    // The deductions hold only the INSS: the tax was written nowhere.
    EXPECT_EQ(r.at("141"), QStringLiteral("0.00 457.49 *"));
    // A role that has nothing to write is not reported.
    ScriptedUi quiet;
    employee("000002", "1000.00");
    entered("000002", "001", "220");
    RunOptions o;
    o.firstEmployee = o.lastEmployee = "000002";
    o.branchCode = "001";
    PayrollRun(*db, quiet).run(o);
    EXPECT_TRUE(quiet.texts("warning").isEmpty());
}

TEST_F(PayrollRunTest, MissingEventsAndMissingWeeklyHoursAreLoggedAndTheRunGoesOn) {
    employee("000001", "1000.00", {{"HR_SEMAN", 0}});
    entered("000001", "001", "220");
    entered("000001", "003", "0", "100.00");
    entered("000001", "777", "1", "5.00");
    employee("000002", "1000.00");
    entered("000002", "001", "220");
    calc();
    EXPECT_EQ(ui.texts("log"),
              (QStringList{"Horas semanais não informadas, ocorrência 001 não valorizada: funcionário 000001",
                           "Funcionário 000001: histórico 777 não cadastrado"}));
    const Rows r = rows("000001");
    EXPECT_EQ(r.at("001"), QStringLiteral("220.00 0.00 ")); // not valued
    EXPECT_EQ(r.at("777"), QStringLiteral("1.00 5.00 "));   // stays as typed
    EXPECT_EQ(r.at("140"), QStringLiteral("0.00 100.00 *"));
    EXPECT_EQ(rows("000002").at("140"), QStringLiteral("0.00 1000.00 *"));
}

TEST_F(PayrollRunTest, AnEmployeeWithNothingToPayGetsNoRows) {
    employee("000001", "0");
    calc();
    EXPECT_TRUE(rows("000001").empty());
}

TEST_F(PayrollRunTest, TerminationKindWritesTheNetUnderItsRoleAndBalancesTheDeductions) {
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    RunOptions o;
    o.kind = CalcKind::Termination;
    o.automaticMode = true;
    calc(o);
    const Rows r = rows("000001");
    EXPECT_EQ(r.at("140"), QStringLiteral("0.00 1000.00 *"));
    EXPECT_EQ(r.at("087"), QStringLiteral("0.00 920.00 *"));
    EXPECT_EQ(r.at("141"), QStringLiteral("0.00 1000.00 *")); // 80.00 + 920.00
    EXPECT_EQ(r.count("142"), 0u);
}

// A termination with the 13th salary: its INSS (8 % of 544.22 = 43.5376) and
// the FGTS (8 % of 1544.22 = 123.5376) are paid in centavos, and the net is
// what the rows add up to.
TEST_F(PayrollRunTest, TerminationNetIsTheSumOfTheWrittenRows) {
    event("170", 1, 3, "0", 2, 2, 1); // proportional 13th salary, typed
    event("112", 0, 3, "0", 0, 0, 0); // INSS of the 13th
    event("113", 2, 3, "0", 0, 0, 0); // its base
    role("014", "112");
    role("015", "113");
    employee("000001", "1000.00", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    entered("000001", "003", "0", "1000.00"); // balance of salary
    entered("000001", "170", "0", "544.22");
    RunOptions o;
    o.kind = CalcKind::Termination;
    o.automaticMode = true;
    calc(o);
    const Rows r = rows("000001");
    EXPECT_EQ(r.at("110"), QStringLiteral("0.00 80.00 *"));   // 1000.00 × 8 %
    EXPECT_EQ(r.at("112"), QStringLiteral("0.00 43.54 *"));   // 43.5376
    EXPECT_EQ(r.at("130"), QStringLiteral("0.00 1544.22 *")); // FGTS base
    EXPECT_EQ(r.at("132"), QStringLiteral("0.00 123.54 *"));  // 123.5376
    EXPECT_EQ(r.at("133"), QStringLiteral("0.00 49.42 *"));   // fine: 123.54 × 40 % = 49.416
    // Earnings 1000.00 + 544.22 + 49.42 = 1593.64; deductions 80.00 + 43.54 = 123.54.
    EXPECT_EQ(r.at("140"), QStringLiteral("0.00 1593.64 *"));
    EXPECT_EQ(r.at("087"), QStringLiteral("0.00 1470.10 *"));
    EXPECT_EQ(r.at("141"), QStringLiteral("0.00 1593.64 *")); // 123.54 + 1470.10
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "04", "F", "087", "000001"})->number("VALOR"), *Fixed::parse("1470.10"));
    EXPECT_EQ(fractionalCentavos(), QStringList{});
}

// A typed amount with four decimals (1000.5212) is paid as 1000.52; the net
// is rounded up to the step of 1.00 by a row of 0.48, not 0.4788.
TEST_F(PayrollRunTest, TheRoundingOfTheNetIsWholeCentavos) {
    event("005", 1, 3, "0", 0, 0, 0); // a typed amount with no incidence
    Table filial(*db, "Filial");
    Record b = *filial.find({"001"});
    b.set("FVALOR", "1.00");
    filial.update(b);
    employee("000001", "1000.00");
    entered("000001", "005", "0", "1000.5212");
    calc();
    Table t(*db, "OCORRENC");
    const struct {
        const char* event;
        const char* valor;
    } expected[] = {{"005", "1000.52"}, {"103", "0.48"}, {"140", "1001.00"}, {"142", "1001.00"}};
    for (const auto& e : expected)
        EXPECT_EQ(t.find({"2013", "04", "F", e.event, "000001"})->number("VALOR"), *Fixed::parse(e.valor)) << e.event;
    EXPECT_EQ(fractionalCentavos(), QStringList{});
}

// Values that SQLite stores whatever they are (`folha sql` can write them):
// the employee who has one is reported with the table, field and row, and
// nothing is calculated for him; the run goes on with the next.
TEST_F(PayrollRunTest, AStoredValueTheRegisterRefusesStopsThatEmployeeOnly) {
    for (const char* code : {"000001", "000002", "000003", "000004", "000005", "000006"}) {
        employee(code, "1000.00");
        entered(code, "001", "220");
    }
    const struct {
        const char* code;
        const char* update;
        const char* message;
    } refused[] = {
        {"000002", "UPDATE CADFUN SET VLR_SALAR = 'abc' WHERE CODFUN = '000002'",
         "FUNCIONARIO FUNCIONARIO 000002 NAO CALCULADO: Valor inválido gravado na tabela CADFUN, campo VLR_SALAR "
         "(\"Valor Salário\"), registro CODFUN 000002: \"abc\" não é um número"},
        {"000003", "UPDATE CADFUN SET VLR_SALAR = -1000 WHERE CODFUN = '000003'",
         "FUNCIONARIO FUNCIONARIO 000003 NAO CALCULADO: Valor inválido gravado na tabela CADFUN, campo VLR_SALAR "
         "(\"Valor Salário\"), registro CODFUN 000003: -1000 é menor que o mínimo 0"},
        {"000004", "UPDATE OCORRENC SET VALOR = 'abc' WHERE CODFUN = '000004'",
         "FUNCIONARIO FUNCIONARIO 000004 NAO CALCULADO: Valor inválido gravado na tabela OCORRENC, campo VALOR "
         "(\"Valor\"), registro OCORRANO 2013, OCORRMES 04, TIPOFOLHA F, HCODIGO 001, CODFUN 000004: \"abc\" não é um "
         "número"},
        {"000005", "UPDATE OCORRENC SET REFER = 1e16 WHERE CODFUN = '000005'",
         "FUNCIONARIO FUNCIONARIO 000005 NAO CALCULADO: Valor inválido gravado na tabela OCORRENC, campo REFER "
         "(\"Refer\"), registro OCORRANO 2013, OCORRMES 04, TIPOFOLHA F, HCODIGO 001, CODFUN 000005: "
         "10000000000000000 está fora da faixa de -922337203685477.5807 a 922337203685477.5807"},
    };
    for (const auto& c : refused) folha::testing::StoreBehindTheRegister(*db, QString::fromLatin1(c.update));
    RunSummary s = calc();
    EXPECT_EQ(s.employeesCalculated, 2);
    EXPECT_EQ(s.employeesNotCalculated, 4);
    QStringList messages;
    for (const auto& c : refused) messages << QString::fromUtf8(c.message);
    EXPECT_EQ(ui.texts("error"), messages);
    Table t(*db, "OCORRENC");
    for (const auto& c : refused)
        EXPECT_EQ(t.count("CODFUN = ? AND FLAG = '*'", {QString::fromLatin1(c.code)}), 0) << c.code;
    EXPECT_EQ(rows("000001").at("142"), QStringLiteral("0.00 920.00 *"));
    EXPECT_EQ(rows("000006").at("142"), QStringLiteral("0.00 920.00 *"));
}

TEST_F(PayrollRunTest, ALockedEmployeeIsNotCalculatedAndTheOthersAre) {
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    employee("000002", "1000.00");
    entered("000002", "001", "220");
    // Another workstation holds employee 000001: on SQLite its row of TRAVAS
    // says so; on the server a live connection of its own holds it.
    std::unique_ptr<Database> other;
    std::optional<std::optional<RowLock>> held;
    if (db->backend() == Backend::PostgreSQL) {
        other = Database::open(db->location(), false);
        ScriptedUi quiet;
        held.emplace(TryEdit(*other, Registry::instance().require("CADFUN"), {"000001"}, "000009", quiet));
        ASSERT_TRUE(held->has_value());
    } else {
        db->exec("INSERT INTO TRAVAS (TABELA, CHAVE, ESTACAO, PROCESSO) VALUES ('CADFUN', '000001', 'OUTRA-ESTACAO', 1)");
    }
    ScriptedUi giveUp({false});
    RunOptions o;
    o.branchCode = "001";
    RunSummary s = PayrollRun(*db, giveUp).run(o);
    EXPECT_EQ(s.employeesNotCalculated, 1);
    EXPECT_EQ(s.employeesCalculated, 1);
    EXPECT_TRUE(giveUp.texts("warning").contains("FUNCIONARIO FUNCIONARIO 000001 NAO CALCULADO"));
    EXPECT_EQ(rows("000001").count("140"), 0u);
    EXPECT_EQ(rows("000002").count("140"), 1u);
}

TEST_F(PayrollRunTest, ABranchWithoutPayrollDateStopsBeforeAnyEmployee) {
    Table filial(*db, "Filial");
    Record b = *filial.find({"001"});
    b.setNull("DATA_FOLHA");
    filial.update(b);
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    EXPECT_THROW(calc(), DbError);
    EXPECT_EQ(rows("000001").size(), 1u);
}

TEST_F(PayrollRunTest, UndoRemovesOnlyTheCalculatedRowsOfThatEmployeePeriodAndSheet) {
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    entered("000001", "050", "88", "0", "I", "*"); // another sheet
    employee("000002", "1000.00");
    entered("000002", "001", "220");
    calc();
    const auto before2 = rows("000002");

    ScriptedUi no({false});
    EXPECT_FALSE(PayrollUndo(*db, no).run({"2013", "04", "F - Folha", "000001"}));
    EXPECT_EQ(no.texts("question"), QStringList{"Tem certeza que deseja descalcular a folha?"});
    EXPECT_GT(rows("000001").size(), 1u);

    ScriptedUi yes({true});
    PayrollUndo undo(*db, yes);
    ASSERT_TRUE(undo.run({"2013", "04", "F - Folha", "000001"}));
    EXPECT_EQ(undo.rowsRemoved(), 9); // 110 111 121 130 131 140 141 142 144
    EXPECT_EQ(rows("000001"), (Rows{{"001", "220.00 1000.00 "}}));
    EXPECT_EQ(rows("000001", "I"), (Rows{{"050", "88.00 0.00 *"}}));
    EXPECT_EQ(rows("000002"), before2);
    EXPECT_EQ(yes.texts("message"), QStringList{"Ok, procedimento concluído! 9 linha(s) calculada(s) removida(s)."});
    // Again: nothing calculated is left, and the undo does not claim success.
    ScriptedUi again({true});
    PayrollUndo none(*db, again);
    ASSERT_TRUE(none.run({"2013", "04", "F - Folha", "000001"}));
    EXPECT_EQ(none.rowsRemoved(), 0);
    EXPECT_TRUE(again.texts("message").isEmpty());
    EXPECT_EQ(again.texts("warning"),
              QStringList{"Nenhuma linha calculada do funcionário 000001 em 04/2013: nada foi descalculado."});
}

TEST_F(PayrollRunTest, UndoChecksItsFieldsInOrder) {
    const struct {
        UndoRequest request;
        const char* message;
    } cases[] = {
        {{"", "", "", ""}, "Preencher o ano!"},
        {{"2013", "", "F", "000001"}, "Preencher o mês!"},
        {{"2013", "04", " ", "000001"}, "Preencher o tipo da folha!"},
        {{"2013", "04", "F", ""}, "Preencher o código do funcionário!"},
    };
    for (const auto& c : cases) {
        ScriptedUi answers({}, true);
        EXPECT_FALSE(PayrollUndo(*db, answers).run(c.request));
        EXPECT_EQ(answers.texts(), QStringList{QString::fromUtf8(c.message)});
    }
    // Quotes in the fields are values, not statement text.
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    calc();
    ScriptedUi yes({}, true);
    PayrollUndo odd(*db, yes);
    EXPECT_TRUE(odd.run({"2013", "04", "F", "000001' OR '1'='1"}));
    EXPECT_EQ(odd.rowsRemoved(), 0);
    EXPECT_EQ(rows("000001").count("140"), 1u);
}

} // namespace

namespace {

using PayrollCancelTest = PayrollFixture;

// The person stops the run after the second employee: those two are
// calculated whole, as a full run calculates them, the third not at all; the
// run's start and end enclose the employees, and the notice comes after.
TEST_F(PayrollCancelTest, ACancelledRunLeavesWholeEmployeesOnly) {
    for (const char* code : {"000001", "000002", "000003"}) {
        employee(code, "1500.00");
        entered(code, "001", "220");
        entered(code, "002", "10");
    }
    ui.cancelAfterSteps = 2;
    const RunSummary s = calc();
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.employeesCalculated, 2);
    const auto first = rows("000001"), second = rows("000002");
    EXPECT_EQ(rows("000003"), (Rows{{"001", "220.00 0.00 "}, {"002", "10.00 0.00 "}}));
    EXPECT_EQ(ui.texts("warning"), QStringList{QStringLiteral(
                                       "Cálculo interrompido pelo usuário: 2 funcionário(s) calculado(s); os demais não foram calculados.")});
    EXPECT_FALSE(ui.texts("message").contains("Procedimento concluído!"));
    EXPECT_EQ(ui.texts("run"), (QStringList{QStringLiteral("start Cálculo da folha"), "end"}));
    ASSERT_GE(ui.entries.size(), 2);
    EXPECT_EQ(ui.entries.last().kind, QStringLiteral("warning"));
    EXPECT_EQ(ui.entries[ui.entries.size() - 2].kind, QStringLiteral("run"));

    // Going on from where it stopped gives what one whole run gives.
    ui.cancelAfterSteps = -1;
    const RunSummary rest = calc();
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rows("000001"), first);
    EXPECT_EQ(rows("000002"), second);
    EXPECT_EQ(rows("000003"), first);
}

} // namespace
