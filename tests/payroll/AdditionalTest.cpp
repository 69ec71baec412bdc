// The run's own events (transport, rest on overtime, balances, rounding),
// the month's vacation sheet and the salary advance, worked out by hand.
#include "Additional.h"
#include "ScriptedUi.h"
#include "Advance.h"
#include "PayrollFixture.h"

using namespace folha;
using namespace folha::payroll;
using namespace folha::payroll::testing;

namespace {

Fixed F(const char* s) { return *Fixed::parse(QString::fromLatin1(s)); }

class AdditionalTest : public PayrollFixture {
protected:
    void SetUp() override {
        PayrollFixture::SetUp();
        branch({{"HORAS_MES", "220"}, {"HORAS_DESC", "30"}});
        event("093", 0, 3, "0", 0, 0, 0); // transport voucher
        event("100", 0, 3, "0", 0, 0, 0); // debt of last month
        event("101", 1, 3, "0", 0, 0, 0); // debt carried to next month
        event("096", 1, 3, "0", 0, 0, 0); // advance (paid on its own sheet)
        event("097", 0, 3, "0", 0, 0, 0); // advance already paid
        event("058", 0, 3, "0", 0, 0, 0); // net of the vacation sheet
        const char* roles[][2] = {{"076", "093"}, {"022", "100"}, {"023", "101"}, {"043", "096"},
                                  {"053", "097"}, {"057", "058"}, {"005", "007"}};
        for (auto& r : roles) role(r[0], r[1]);
    }
    void branch(const Values& values) {
        Table filial(*db, "Filial");
        Record b = *filial.find({"001"});
        for (const auto& [k, v] : values) b.set(k, v);
        filial.update(b);
    }
};

TEST_F(AdditionalTest, TwoTransportLinesAreAddedAndCappedAtSixPercent) {
    put("Linha", {{"CODIGO", "001"}, {"NOME", "ONIBUS"}, {"VALOR", "3.00"}});
    put("Linha", {{"CODIGO", "002"}, {"NOME", "METRO"}, {"VALOR", "4.50"}});
    const Values lines = {{"COD_LINHA1", "001"}, {"QTD_LINHA1", 20}, {"COD_LINHA2", "002"}, {"QTD_LINHA2", 20}};
    employee("000001", "1000.00", lines); // 60.00 + 90.00 above 6 % of 1000.00
    entered("000001", "001", "220");
    employee("000002", "3000.00", lines); // under 6 % of 3000.00
    entered("000002", "001", "220");
    employee("000003", "3000.00", {{"COD_LINHA1", "000"}, {"COD_LINHA2", "002"}, {"QTD_LINHA2", 10}});
    entered("000003", "001", "220");
    calc();
    EXPECT_EQ(rows("000001").at("093"), QStringLiteral("40.00 60.00 *"));
    EXPECT_EQ(rows("000002").at("093"), QStringLiteral("40.00 150.00 *"));
    EXPECT_EQ(rows("000003").at("093"), QStringLiteral("10.00 45.00 *"));
    EXPECT_EQ(rows("000001").at("141"), QStringLiteral("0.00 140.00 *")); // INSS 80.00 + 60.00
}

TEST_F(AdditionalTest, RestOnFiftyAndSeventyPercentOvertimeSharesOneRow) {
    put("HISTFP", {{"HCODIGO", "006"}, {"HNOME", "HORAS EXTRAS 70%"}, {"HPRODESC", 1}, {"HPARAMETRO", 1}, {"HPERC", "1.7"},
                   {"HFLAGINPS", 1}, {"HFLAGIRRF", 1}, {"HFLAGFGTS", 1}, {"HFLAGRE70", 1}});
    event("007", 1, 3, "1", 1, 1, 1); // DSR on overtime
    employee("000001", "2200.00"); // 10.00 an hour
    entered("000001", "001", "220");
    entered("000001", "002", "10"); // 150.00
    entered("000001", "006", "4");  // 6.8 × 10.00 = 68.00
    calc();
    // 50 %: 10 × 30 / 220 = 1.3636 h → 1.36 × 10.00 = 13.60; 70 %: 0.5455 h → 0.55 × 10.00 = 5.50.
    const Rows r = rows("000001");
    EXPECT_EQ(r.at("007"), QStringLiteral("1.90 19.10 *"));
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "04", "F", "007", "000001"})->number("REFER"), F("1.9091"));
    EXPECT_EQ(r.at("140"), QStringLiteral("0.00 2437.10 *"));
}

TEST_F(AdditionalTest, ANegativeNetIsCarriedOutAndDeductedNextMonth) {
    employee("000001", "1000.00");
    entered("000001", "001", "220");
    entered("000001", "098", "0", "1040.00"); // 1000.00 − 80.00 INSS − 1040.00 = −120.00
    calc();
    Rows april = rows("000001");
    EXPECT_EQ(april.at("101"), QStringLiteral("0.00 120.00 *"));
    EXPECT_EQ(april.count("142"), 0u); // nothing to pay
    branch({{"DATA_FOLHA", QDate(2013, 5, 31)}});
    put("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", "05"}, {"TIPOFOLHA", "F"}, {"HCODIGO", "001"},
                     {"CODFUN", "000001"}, {"REFER", "220"}, {"VALOR", "0"}});
    calc();
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "05", "F", "100", "000001"})->number("VALOR"), F("120"));
    EXPECT_EQ(t.find({"2013", "05", "F", "142", "000001"})->number("VALOR"), F("800")); // 1000 − 80 − 120
}

TEST_F(AdditionalTest, TheNetIsRoundedUpToTheStepUnlessItIsAMultiple) {
    branch({{"FVALOR", "10"}});
    employee("000001", "1000.00"); // net 920.00
    entered("000001", "001", "220");
    employee("000002", "1001.00"); // net 1001.00 − 80.08 = 920.92
    entered("000002", "001", "220");
    employee("000003", "1001.00", {{"DT_AFAST", QDate(2013, 4, 30)}, {"CAUS_RESC", "J"}}); // leaving: no rounding
    entered("000003", "001", "220");
    calc();
    EXPECT_EQ(rows("000001").count("103"), 0u);
    EXPECT_EQ(rows("000002").at("103"), QStringLiteral("0.00 9.08 *"));
    EXPECT_EQ(rows("000002").at("142"), QStringLiteral("0.00 930.00 *"));
    EXPECT_EQ(rows("000003").count("103"), 0u);
    const struct {
        const char *net, *step, *amount;
    } cases[] = {{"920.92", "10", "9.08"}, {"920", "10", "0"}, {"0.01", "1", "0.99"}, {"-5", "10", "0"}, {"15.5", "0", "0"}};
    for (const auto& c : cases) EXPECT_EQ(NetRoundingAmount(F(c.net), F(c.step)), F(c.amount)) << c.net << " / " << c.step;
}

TEST_F(AdditionalTest, AVacationMonthTakesTheVacationBasesLessTheNextMonthPart) {
    event("050", 1, 3, "0", 3, 3, 1);
    for (const char* base : {"116", "127", "128", "134"}) event(base, 2, 3, "0", 0, 0, 0);
    event("126", 0, 3, "0", 0, 0, 0);
    const char* roles[][2] = {{"049", "116"}, {"075", "134"}, {"020", "126"}, {"021", "127"}, {"036", "128"}};
    for (auto& r : roles) role(r[0], r[1]);
    branch({{"TIPO_FOL", "I"}});
    employee("000012", "3000.00", {{"DT_IGOZFER", QDate(2013, 4, 15)}, {"DT_FGOZFER", QDate(2013, 5, 4)}});
    entered("000012", "050", "0", "3000.00", "I");
    RunOptions vacation;
    vacation.kind = CalcKind::Vacation;
    vacation.automaticMode = true;
    calc(vacation); // base 3000.00, next-month part 600.00, net 2590.10
    branch({{"TIPO_FOL", "F"}});
    entered("000012", "001", "88"); // 1200.00
    calc();
    const Rows r = rows("000012");
    EXPECT_EQ(r.at("058"), QStringLiteral("0.00 2590.10 *")); // the vacation net, deducted
    EXPECT_EQ(r.at("111"), QStringLiteral("0.00 3600.00 *")); // 1200 + 3000 − 600
    EXPECT_EQ(r.at("110"), QStringLiteral("0.00 396.00 *"));
    EXPECT_EQ(r.at("130"), QStringLiteral("0.00 3600.00 *"));
    EXPECT_EQ(r.at("131"), QStringLiteral("0.00 288.00 *"));
}

TEST_F(AdditionalTest, ShiftsAndDefaultHoursBecomeRowsThatTheValuationValues) {
    event("150", 2, 1, "1", 0, 0, 0); // normal hours (information)
    event("151", 2, 1, "1", 0, 0, 0); // rest hours (information)
    role("077", "150");
    role("078", "151");
    role("601", "002"); // shift overtime goes to the 50 % overtime event
    put("PLANTOES", {{"COD_PLANTA", "001"}, {"NOME", "12X36"}, {"HRS_NORMA", "12"}, {"EXTRA_50", "2"}});
    employee("000001", "2200.00");
    for (const auto& [shift, quantity] : {std::pair{"001", "10"}, std::pair{"009", "3"}})
        put("MovPlant", {{"PLANT_ANO", "2013"}, {"PLANT_MES", "04"}, {"TIPOFOLHA", "F"}, {"CODFUN", "000001"},
                         {"COD_PLANTA", shift}, {"QUANTIDADE", quantity}});
    employee("000002", "10.00", {{"TIPO_PAG", 5}});
    RunOptions o;
    o.defaultHours = true;
    calc(o);
    const Rows shiftWorker = rows("000001");
    EXPECT_EQ(shiftWorker.at("150"), QStringLiteral("120.00 1200.00 *")); // 10 × 12 h, kept over the default
    EXPECT_EQ(shiftWorker.at("002"), QStringLiteral("20.00 300.00 *"));   // 10 × 2 h × 1.5 × 10.00
    EXPECT_TRUE(ui.texts("log").contains("Plantão não cadastrado: 009 (funcionário 000001)"));
    const Rows hourly = rows("000002");
    EXPECT_EQ(hourly.at("150"), QStringLiteral("220.00 2200.00 *")); // 44 × 5 hours × 10.00
    EXPECT_EQ(hourly.at("151"), QStringLiteral("30.00 300.00 *"));   // the branch's rest hours
    // A second run writes the same rows.
    const Rows before = rows("000001");
    calc(o);
    EXPECT_EQ(rows("000001"), before);
}

TEST(Advance, AmountsByHand) {
    const struct {
        const char *base, *percent;
        int payType;
        const char *step, *expected;
    } cases[] = {
        {"1000.00", "40", 1, "0", "400.00"},
        {"1234.56", "100", 1, "10", "1240.00"},
        {"1230.00", "100", 1, "10", "1240.00"}, // an exact multiple goes up a step too
        {"10.00", "40", 5, "0", "880.00"},      // hourly: 4.00 × 220
        {"1000.00", "0", 1, "10", "0"},
        {"333.33", "33", 1, "0", "109.9989"},   // 10999.89 / 100, four decimals kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdvanceAmount(F(c.base), F(c.percent), c.payType, F(c.step)), F(c.expected)) << c.base << " " << c.percent;
}

TEST_F(AdditionalTest, TheAdvanceOfTheMonthIsDeductedByItsPayroll) {
    employee("000001", "1000.00", {{"PERC_ADI", "40"}});
    entered("000001", "001", "220");
    employee("000002", "1000.00", {{"PERC_ADI", "40"}, {"CONDICAO", 0}}); // dismissed: no advance
    employee("000003", "1000.00", {{"PERC_ADI", "50"}});
    put("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", "03"}, {"TIPOFOLHA", "F"}, {"HCODIGO", "003"},
                     {"CODFUN", "000003"}, {"VALOR", "600.00"}});
    AdvanceOptions o;
    o.branchCode = "001";
    o.writeNet = true;
    o.firstEmployee = o.lastEmployee = "000001";
    ScriptedUi quiet;
    AdvanceSummary s = AdvanceRun(*db, quiet).run(o);
    EXPECT_EQ(s.employeesCalculated, 1);
    EXPECT_EQ(rows("000001", "A"), (Rows{{"096", "0.00 400.00 *"}, {"140", "0.00 400.00 *"}, {"142", "0.00 400.00 *"}}));
    EXPECT_EQ(quiet.texts("message"), QStringList{"Procedimento concluído!"});
    // The base from an event of another month.
    o.firstEmployee = "000002";
    o.lastEmployee = "000003";
    o.writeNet = false;
    o.baseOnSalary = false;
    o.baseEvent = "003";
    o.baseMonth = "201303";
    AdvanceRun(*db, quiet).run(o);
    EXPECT_TRUE(rows("000002", "A").empty());
    EXPECT_EQ(rows("000003", "A"), (Rows{{"096", "0.00 300.00 *"}}));
    // April's payroll deducts what was advanced.
    calc();
    EXPECT_EQ(rows("000001").at("097"), QStringLiteral("0.00 400.00 *"));
    EXPECT_EQ(rows("000001").at("142"), QStringLiteral("0.00 520.00 *")); // 1000 − 80 − 400
}

// An advance on a base that names no event or no month would fall back to
// the salary for everyone: refused before anything is written.
TEST_F(AdditionalTest, AnAdvanceOnABaseThatDoesNotExistIsRefused) {
    for (const char* code : {"000001", "000002", "000003"}) employee(code, "1000.00", {{"PERC_ADI", "40"}});
    const struct {
        const char* event;
        const char* month;
        const char* message;
    } cases[] = {
        {"999", "201303", "Ocorrência na base não cadastrada: 999"},
        {"", "201303", "Informe a ocorrência na base do adiantamento"},
        {"003", "201399", "Ano e mês da base inválido: 201399 (use AAAAMM, com o mês de 01 a 12)"},
        {"003", "201300", "Ano e mês da base inválido: 201300 (use AAAAMM, com o mês de 01 a 12)"},
        {"003", "201313", "Ano e mês da base inválido: 201313 (use AAAAMM, com o mês de 01 a 12)"},
        {"003", "2013-3", "Ano e mês da base inválido: 2013-3 (use AAAAMM, com o mês de 01 a 12)"},
        {"003", "20133", "Ano e mês da base inválido: 20133 (use AAAAMM, com o mês de 01 a 12)"},
    };
    for (const auto& c : cases) {
        AdvanceOptions o;
        o.branchCode = "001";
        o.baseOnSalary = false;
        o.baseEvent = QString::fromLatin1(c.event);
        o.baseMonth = QString::fromLatin1(c.month);
        o.writeNet = true;
        ScriptedUi quiet;
        const AdvanceSummary s = AdvanceRun(*db, quiet).run(o);
        EXPECT_TRUE(s.refused) << c.event << " " << c.month;
        EXPECT_EQ(quiet.texts(), QStringList{QString::fromUtf8(c.message)}) << c.event << " " << c.month;
        EXPECT_EQ(Table(*db, "OCORRENC").count("TIPOFOLHA = 'A'"), 0) << c.event << " " << c.month;
    }
    // The months at both ends of the year are taken.
    for (const char* month : {"201301", "201212"}) {
        AdvanceOptions o;
        o.branchCode = "001";
        o.baseOnSalary = false;
        o.baseEvent = "003";
        o.baseMonth = QString::fromLatin1(month);
        ScriptedUi quiet;
        EXPECT_FALSE(AdvanceRun(*db, quiet).run(o).refused) << month;
        EXPECT_EQ(rows("000001", "A"), (Rows{{"096", "0.00 400.00 *"}})) << month; // no event row: the salary
    }
}

// The advance is paid in whole centavos: 333.33 × 33 % = 109.9989 is 110.00.
// A salary the register refuses stops that employee only.
TEST_F(AdditionalTest, TheAdvanceIsWholeCentavosAndARefusedSalaryStopsThatEmployeeOnly) {
    employee("000001", "333.33", {{"PERC_ADI", "33"}});
    employee("000002", "1000.00", {{"PERC_ADI", "40"}});
    employee("000003", "1000.00", {{"PERC_ADI", "40"}});
    folha::testing::StoreBehindTheRegister(*db, "UPDATE CADFUN SET VLR_SALAR = 'abc' WHERE CODFUN = '000002'");
    AdvanceOptions o;
    o.branchCode = "001";
    o.writeNet = true;
    ScriptedUi quiet;
    const AdvanceSummary s = AdvanceRun(*db, quiet).run(o);
    EXPECT_EQ(s.employeesCalculated, 2);
    EXPECT_EQ(s.employeesNotCalculated, 1);
    EXPECT_EQ(quiet.texts("error"),
              QStringList{"FUNCIONARIO FUNCIONARIO 000002 NAO CALCULADO: Valor inválido gravado na tabela CADFUN, campo "
                          "VLR_SALAR (\"Valor Salário\"), registro CODFUN 000002: \"abc\" não é um número"});
    EXPECT_EQ(rows("000001", "A"), (Rows{{"096", "0.00 110.00 *"}, {"140", "0.00 110.00 *"}, {"142", "0.00 110.00 *"}}));
    EXPECT_TRUE(rows("000002", "A").empty());
    EXPECT_EQ(rows("000003", "A"), (Rows{{"096", "0.00 400.00 *"}, {"140", "0.00 400.00 *"}, {"142", "0.00 400.00 *"}}));
    EXPECT_EQ(fractionalCentavos(), QStringList{});
}

} // namespace
