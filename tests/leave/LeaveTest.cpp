// Vacation, 13th salary and termination: the quantities and averages worked
// out by hand, the rows written, and their valuation by the payroll run.
#include "../payroll/PayrollFixture.h"
#include "Termination.h"
#include "Thirteenth.h"
#include "Vacation.h"

namespace folha::leave {
namespace {

using payroll::testing::PayrollFixture;
using payroll::testing::Rows;

// ---------------------------------------------------------------- quantities

TEST(VacationQuantities, DaysHoursAndAveragingDays) {
    struct Case {
        const char* meioDia;
        QDate enjoyFirst, enjoyLast, allowanceFirst, allowanceLast;
        int days, allowanceDays;
        const char* averagingDays;
        const char* hours;
        const char* allowanceHours;
    } cases[] = {
        // 30 days enjoyed: twelve times 30; 44 ÷ 6 × 30.
        {"", QDate(2013, 4, 1), QDate(2013, 4, 30), {}, {}, 30, 0, "360", "220", "0"},
        // 20 days and 10 of allowance: still 360 averaging days.
        {"", QDate(2013, 4, 1), QDate(2013, 4, 20), QDate(2013, 4, 21), QDate(2013, 4, 30), 20, 10, "360", "146.67", "73.33"},
        // A half day of vacation takes 3.667 hours off the vacation...
        {"F", QDate(2013, 4, 1), QDate(2013, 4, 30), {}, {}, 30, 0, "360", "216.33", "0"},
        {"f", QDate(2013, 4, 1), QDate(2013, 4, 20), QDate(2013, 4, 21), QDate(2013, 4, 30), 20, 10, "360", "143", "73.33"},
        // ... one of allowance 3.677 off the allowance.
        {"A", QDate(2013, 4, 1), QDate(2013, 4, 20), QDate(2013, 4, 21), QDate(2013, 4, 30), 20, 10, "360", "146.67", "69.65"},
        {"X", QDate(2013, 4, 1), QDate(2013, 4, 20), QDate(2013, 4, 21), QDate(2013, 4, 30), 20, 10, "360", "146.67", "73.33"},
        {"", QDate(2013, 4, 1), QDate(2013, 4, 7), {}, {}, 7, 0, "84", "51.33", "0"},
    };
    for (const auto& c : cases) {
        const auto q = VacationCalc::QuantitiesOf(44, QLatin1String(c.meioDia), c.enjoyFirst, c.enjoyLast, c.allowanceFirst,
                                                  c.allowanceLast);
        SCOPED_TRACE(std::string(c.meioDia) + " " + c.enjoyLast.toString().toStdString());
        EXPECT_EQ(q.days, c.days);
        EXPECT_EQ(q.allowanceDays, c.allowanceDays);
        EXPECT_EQ(q.averagingDays, *Fixed::parse(QLatin1String(c.averagingDays)));
        EXPECT_EQ(q.hours, *Fixed::parse(QLatin1String(c.hours)));
        EXPECT_EQ(q.allowanceHours, *Fixed::parse(QLatin1String(c.allowanceHours)));
    }
}

TEST(ThirteenthMonths, FifteenDayRuleOfTheAdmissionMonth) {
    const QDate december(2013, 12, 31);
    const struct {
        QDate admission;
        int months;
    } cases[] = {
        {QDate(2013, 1, 5), 12},  {QDate(2013, 1, 20), 11}, {QDate(2013, 2, 14), 11}, {QDate(2013, 2, 15), 10},
        {QDate(2013, 4, 16), 9},  {QDate(2013, 4, 17), 8},  {QDate(2013, 1, 17), 12}, {QDate(2013, 1, 18), 11},
        {QDate(2012, 12, 30), 12}, {QDate(2001, 6, 25), 12}, {QDate(2013, 12, 17), 1}, {QDate(2013, 12, 18), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThirteenthCalc::MonthsOfYear(c.admission, december), c.months) << c.admission.toString().toStdString();
}

TEST(TerminationMonths, ProportionalThirteenthAndVacation) {
    const QDate may(2013, 5, 31);
    const struct {
        QDate admission, leaving;
        int months;
    } thirteenth[] = {
        {QDate(2010, 3, 1), QDate(2013, 5, 20), 5},
        {QDate(2010, 3, 1), QDate(2013, 5, 10), 4},
        {QDate(2013, 3, 10), QDate(2013, 5, 20), 3},
        {QDate(2013, 5, 1), QDate(2013, 5, 3), 0},   // fewer than 15 days
        {QDate(2013, 5, 1), QDate(2013, 5, 15), 1},  // 15 days: the month counts
        {QDate(2013, 3, 20), QDate(2013, 5, 20), 2}, // admission month below 15 days
    };
    for (const auto& c : thirteenth)
        EXPECT_EQ(TerminationCalc::ThirteenthMonths(c.admission, c.leaving, may), c.months)
            << c.admission.toString().toStdString() << " " << c.leaving.toString().toStdString();

    // 181 days ÷ 30.41 = 5.95: six months; seven with the 13th on the notice.
    EXPECT_EQ(TerminationCalc::VacationMonths(QDate(2012, 12, 31), QDate(2013, 6, 30), false), 6);
    EXPECT_EQ(TerminationCalc::VacationMonths(QDate(2012, 12, 31), QDate(2013, 6, 30), true), 7);
    EXPECT_EQ(TerminationCalc::VacationMonths(QDate(2013, 6, 20), QDate(2013, 6, 30), false), 0);
    EXPECT_EQ(TerminationCalc::VacationMonths(QDate(2012, 8, 9), QDate(2013, 4, 20), true), 9); // 254 ÷ 30.41 = 8.35
}

// ---------------------------------------------------------------- the calculations

class LeaveTest : public PayrollFixture {
protected:
    void SetUp() override {
        PayrollFixture::SetUp();
        Table t(*db, "Tabelas");
        for (auto [code, low, high, lost] : {std::tuple{"31", "0", "5", "0"}, std::tuple{"32", "6", "14", "6"},
                                             std::tuple{"33", "15", "23", "12"}, std::tuple{"34", "24", "32", "18"}})
            table(code, low, high, lost, "0");
    }
    void branch(const QDate& date, const char* sheet) {
        Table f(*db, "Filial");
        Record b = *f.find({"001"});
        b.set("DATA_FOLHA", date).set("TIPO_FOL", sheet);
        f.update(b);
    }
    void at(const char* fun, const char* period, const char* sheet, const char* code, const char* refer, const char* valor,
            const char* flag = "*") {
        put("OCORRENC", {{"OCORRANO", QString(period).left(4)}, {"OCORRMES", QString(period).mid(4)}, {"TIPOFOLHA", sheet},
                         {"HCODIGO", code}, {"CODFUN", fun}, {"REFER", refer}, {"VALOR", valor}, {"FLAG", flag}});
    }
    Rows rowsAt(const char* fun, const char* period, const char* sheet) {
        Rows out;
        Table t(*db, "OCORRENC");
        for (const Record& r : t.select("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?",
                                        {fun, QString(period).left(4), QString(period).mid(4), sheet})) {
            EXPECT_EQ(r.number("VALOR").raw() % 100, 0) << "fraction of a centavo: " << r.keyText().toStdString() << ' '
                                                        << r.number("VALOR").toString().toStdString();
            out[r.text("HCODIGO")] = r.number("REFER").toString(4) + ' ' + r.number("VALOR").toString(2) + ' ' + r.text("FLAG");
        }
        return out;
    }
    template <class Calc>
    LeaveSummary calculate(const char* months = "99", const char* first = "", const char* last = "") {
        LeaveOptions o;
        o.branchCode = "001";
        o.commissionMonths = QLatin1String(months);
        o.firstEmployee = QLatin1String(first);
        o.lastEmployee = QLatin1String(last);
        Calc calc(*db, ui);
        return calc.run(o);
    }
    void vacationCompany() {
        branch(QDate(2013, 4, 30), "I");
        event("050", 1, 1, "1", 3, 3, 1);   // vacation hours
        event("051", 1, 1, "1", 0, 3, 0);   // allowance hours
        event("059", 1, 1, "1.5", 3, 3, 1); // average of overtime hours
        event("060", 1, 3, "0", 3, 3, 1);   // average of amounts
        event("061", 1, 3, "0", 3, 3, 1);   // average of commissions
        event("010", 1, 3, "0", 1, 1, 1);   // commissions
        for (auto [r, c] : {std::pair{"051", "050"}, std::pair{"068", "051"}, std::pair{"054", "090"}, std::pair{"601", "002"},
                            std::pair{"701", "003"}, std::pair{"079", "010"}, std::pair{"551", "059"}, std::pair{"751", "060"},
                            std::pair{"201", "061"}})
            role(r, c);
        employee("000001", "2200.00",
                 {{"DT_INIFERI", QDate(2012, 3, 15)}, {"DT_FINFERI", QDate(2013, 3, 14)}, {"DT_IGOZFER", QDate(2013, 4, 1)},
                  {"DT_FGOZFER", QDate(2013, 4, 20)}, {"DT_IABOFER", QDate(2013, 4, 21)}, {"DT_FABOFER", QDate(2013, 4, 30)}});
        // Overtime of the acquisition period (March 2012 to March 2013), and outside it.
        at("000001", "201202", "F", "002", "40", "0");
        at("000001", "201203", "F", "002", "6", "0");
        at("000001", "201206", "F", "002", "6", "0", "");
        at("000001", "201303", "F", "002", "12", "0");
        at("000001", "201304", "F", "002", "10", "0");
        at("000001", "201205", "I", "002", "30", "0"); // another sheet
        at("000001", "201212", "F", "003", "0", "300.00");
        // Commissions: the last month of the acquisition period is left out.
        at("000001", "201204", "F", "010", "0", "900.00"); // before the window of 10 months
        at("000001", "201302", "F", "010", "0", "500.00");
        at("000001", "201303", "F", "010", "0", "600.00");
        // Seven absences on the vacation sheet since the averaging days began.
        at("000001", "201301", "I", "090", "7", "0", "");
    }
};

TEST_F(LeaveTest, VacationRowsAveragesAndAbsencesValued) {
    vacationCompany();
    const LeaveSummary s = calculate<VacationCalc>("10");
    EXPECT_EQ(s.employeesCalculated, 1);
    EXPECT_EQ(s.employeesValued, 1);
    EXPECT_EQ(ui.texts("message").last(), QStringLiteral("Procedimento concluído!"));
    const Rows r = rowsAt("000001", "201304", "I");
    // 20 days: 146.67 hours, less 6 days lost to 7 absences (7.3334 × 6 = 44.00);
    // valued at 2200 ÷ 220 an hour.
    EXPECT_EQ(r.at("050"), "102.6700 1026.70 *");
    EXPECT_EQ(r.at("051"), "73.3300 733.30 *"); // 10 days of allowance
    EXPECT_EQ(r.at("059"), "2.0000 30.00 *");   // (6 + 12) ÷ 12 hours at 1.5
    EXPECT_EQ(r.at("060"), "0.0000 25.00 *");   // 300.00 ÷ 12
    EXPECT_EQ(r.at("061"), "0.0000 50.00 *");   // 500.00 ÷ 10 months
    // INSS on the vacation: 1026.70 + 30.00 + 25.00 + 50.00 = 1131.70 at 8 %,
    // 90.536 cut to the cent.
    EXPECT_EQ(r.at("111"), "0.0000 1131.70 *");
    EXPECT_EQ(r.at("110"), "0.0000 90.53 *");
    EXPECT_EQ(r.count("090"), 0u);
    // The rows carry the employee's vacation dates.
    Table t(*db, "OCORRENC");
    const Record vac = *t.find({"2013", "04", "I", "050", "000001"});
    EXPECT_EQ(vac.date("DT_INIFERI"), QDate(2012, 3, 15));
    EXPECT_EQ(vac.date("DT_FGOZFER"), QDate(2013, 4, 20));
    EXPECT_EQ(vac.date("DT_FABOFER"), QDate(2013, 4, 30));

    // Again: the same rows, not doubled ones.
    const QString before = dump();
    calculate<VacationCalc>("10");
    EXPECT_EQ(dump(), before);

    // Without the allowance its row goes on the next calculation.
    Table cadfun(*db, "CADFUN");
    Record e = *cadfun.find({"000001"});
    e.setNull("DT_IABOFER").setNull("DT_FABOFER");
    cadfun.update(e);
    calculate<VacationCalc>("10");
    const Rows again = rowsAt("000001", "201304", "I");
    EXPECT_EQ(again.count("051"), 0u);
    // 20 days now average over 240 days: the absences count from April 2012.
    EXPECT_EQ(again.at("050"), "102.6700 1026.70 *");
}

// The employee's rows are read from the first month a sum asks for; a
// later window that reaches before them reads back its own events only,
// each as far as it was not yet held. Whatever the order of the windows,
// each sums the rows inside it once, and the rows of the period are then
// written over, not doubled.
TEST_F(LeaveTest, SumsReadTheHistoryBackAsFarAsAsked) {
    vacationCompany();
    payroll::RunTables tables;
    tables.load(*db);
    const Record employee = *Table(*db, "CADFUN").find({"000001"});
    // Of the monthly sheet: overtime hours (role 601, event 002) 40 in
    // 2012-02, 6 in 2012-03, 6 in 2012-06, 12 in 2013-03, 10 in 2013-04
    // (and 30 of another sheet in 2012-05); amounts (701, event 003) 300.00
    // in 2012-12; commissions (079, event 010) 900.00 in 2012-04, 500.00 in
    // 2013-02, 600.00 in 2013-03. Role 702 has no event: nothing is summed.
    const struct {
        QStringList roles;
        const char *first, *last;
        QStringList sums; // hours of 601, amounts of the others; "-": none
    } windows[] = {
        {{"601"}, "201303", "201304", {"22.0000"}},
        {{"079"}, "201302", "201304", {"1100.00"}},
        {{"601", "701", "079"}, "201203", "201302", {"12.0000", "300.00", "1400.00"}},
        {{"079", "702", "601"}, "201201", "201304", {"2000.00", "-", "74.0000"}},
        {{"601"}, "201206", "201206", {"6.0000"}},
        {{"701", "601"}, "201305", "201312", {"0.00", "0.0000"}},
    };
    auto check = [&](LeaveWriter& w, const auto& c) {
        const auto sums = w.sums(c.roles, "F", c.first, c.last);
        ASSERT_EQ(sums.size(), size_t(c.roles.size()));
        for (qsizetype i = 0; i < c.roles.size(); ++i) {
            const QString got = !sums[size_t(i)]               ? QStringLiteral("-")
                                : c.roles[i] == QLatin1String("601") ? sums[size_t(i)]->refer.toString(4)
                                                                      : sums[size_t(i)]->valor.toString(2);
            EXPECT_EQ(got, c.sums[i]) << c.roles[i].toStdString() << ' ' << c.first << '-' << c.last;
        }
    };
    LeaveWriter::Style monthly;
    monthly.sheet = QStringLiteral("F");
    // In order, reversed, and in order with every window told beforehand:
    // then the first sum reads them all, with one statement.
    for (int pass : {0, 1, 2}) {
        SCOPED_TRACE(pass);
        const bool reversed = pass == 1;
        LeaveWriter w(*db, ui, tables, "201304", employee, monthly);
        if (pass == 2) {
            std::vector<LeaveWriter::Window> expected;
            for (const auto& c : windows) expected.push_back({c.roles, QStringLiteral("F"), QLatin1String(c.first)});
            w.expect(expected);
        }
        const quint64 statements = db->statementsRun();
        if (reversed)
            for (auto c = std::rbegin(windows); c != std::rend(windows); ++c) check(w, *c);
        else
            for (const auto& c : windows) check(w, c);
        if (pass == 2) {
            EXPECT_EQ(db->statementsRun() - statements, 1u);
        }
        EXPECT_EQ(w.sums("601", "F", "201201", "201304")->refer.toString(4), "74.0000");
        // The period's row is rewritten with its hours, so every pass sums the same.
        const int amount = 45 + pass;
        w.write("601", Fixed::fromInt(10), Fixed::fromInt(amount));
        Transaction t(*db);
        EXPECT_EQ(w.flush(), 1);
        t.commit();
        EXPECT_EQ(rowsAt("000001", "201304", "F").at("002"), QStringLiteral("10.0000 %1.00 *").arg(amount));
        EXPECT_EQ(Table(*db, "OCORRENC").count("CODFUN = '000001' AND TIPOFOLHA = 'F' AND HCODIGO = '002'"), 5);
    }
}

TEST_F(LeaveTest, VacationChoiceAndRefusals) {
    vacationCompany();
    employee("000002", "1000.00", {{"DT_IGOZFER", QDate(2013, 4, 1)}, {"DT_FGOZFER", QDate(2013, 4, 30)}}); // no acquisition
    employee("000003", "1000.00", {{"DT_INIFERI", QDate(2012, 1, 1)}, {"DT_FINFERI", QDate(2012, 12, 31)}}); // no enjoyment
    EXPECT_EQ(calculate<VacationCalc>("99").employeesCalculated, 1);
    EXPECT_TRUE(rowsAt("000002", "201304", "I").empty());
    EXPECT_TRUE(rowsAt("000003", "201304", "I").empty());
    EXPECT_TRUE(ui.texts("log").contains("Período de gozo das férias não informado ou errado: funcionário 000003"));

    const QString before = dump();
    ui.entries.clear();
    EXPECT_TRUE(calculate<VacationCalc>("").refused);
    EXPECT_EQ(ui.texts("warning"), QStringList{"Informar o campo Meses para média de comissões!"});
    EXPECT_TRUE(calculate<VacationCalc>("0").refused);
    branch(QDate(2013, 4, 30), "F");
    ui.entries.clear();
    EXPECT_TRUE(calculate<VacationCalc>("99").refused);
    ASSERT_EQ(ui.texts("warning").size(), 1);
    EXPECT_TRUE(ui.texts("warning").first().contains("exige o Tipo Folha \"I\"")) << ui.texts("warning").first().toStdString();
    EXPECT_EQ(dump(), before);
}

TEST_F(LeaveTest, VacationRoleWithoutEventIsReported) {
    vacationCompany();
    role("068", ""); // allowance hours without an event code
    calculate<VacationCalc>("10");
    EXPECT_TRUE(ui.texts("warning").contains("Ocorrencia Fixa sem Historico: - Fix Oco: 068"));
    const Rows r = rowsAt("000001", "201304", "I");
    EXPECT_EQ(r.count(""), 0u);
    EXPECT_EQ(r.count("051"), 0u);
    EXPECT_EQ(r.at("050"), "102.6700 1026.70 *");
}

class ThirteenthTest : public LeaveTest {
protected:
    void SetUp() override {
        LeaveTest::SetUp();
        branch(QDate(2013, 12, 31), "D");
        event("070", 1, 1, "1", 2, 2, 1);   // 13th salary hours
        event("073", 1, 1, "1.5", 2, 2, 1); // average of overtime
        event("074", 1, 3, "0", 2, 2, 1);   // average of amounts
        event("075", 1, 3, "0", 2, 2, 1);   // average of commissions
        event("076", 1, 3, "0", 0, 0, 1);   // first instalment
        event("077", 0, 3, "0", 0, 0, 0);   // its deduction
        event("010", 1, 3, "0", 1, 1, 1);
        event("112", 0, 3, "0", 0, 0, 0);
        event("113", 2, 3, "0", 0, 0, 0);
        for (auto [r, c] : {std::pair{"052", "070"}, std::pair{"601", "002"}, std::pair{"701", "003"}, std::pair{"079", "010"},
                            std::pair{"561", "073"}, std::pair{"781", "074"}, std::pair{"203", "075"}, std::pair{"059", "076"},
                            std::pair{"066", "077"}, std::pair{"014", "112"}, std::pair{"015", "113"}})
            role(r, c);
        employee("000001", "2200.00", {{"DT_ADMIS", QDate(2013, 2, 14)}});
        at("000001", "201305", "F", "002", "11", "0");
        at("000001", "201311", "F", "002", "11", "0");
        at("000001", "201312", "F", "002", "5", "0"); // the working month is not averaged
        at("000001", "201306", "F", "003", "0", "110.00");
        at("000001", "201308", "F", "010", "0", "999.00"); // before the three months
        at("000001", "201310", "F", "010", "0", "300.00");
        at("000001", "201312", "F", "010", "0", "300.00");
        at("000001", "201311", "D", "076", "100.83", "1100.00");
        at("000001", "201212", "D", "076", "0", "700.00"); // an earlier year
    }
};

TEST_F(ThirteenthTest, HoursAveragesAndFirstInstalment) {
    const LeaveSummary s = calculate<ThirteenthCalc>("3");
    EXPECT_EQ(s.employeesValued, 1);
    const Rows r = rowsAt("000001", "201312", "D");
    EXPECT_EQ(r.at("070"), "201.6700 2016.70 *"); // 11 months × 2.5 days × 44 ÷ 6
    EXPECT_EQ(r.at("073"), "2.0000 30.00 *");     // 22 hours ÷ 11, at 1.5
    EXPECT_EQ(r.at("074"), "0.0000 10.00 *");     // 110.00 ÷ 11
    EXPECT_EQ(r.at("075"), "0.0000 200.00 *");    // (300.00 + 300.00) ÷ 3
    EXPECT_EQ(r.at("077"), "100.8300 1100.00 *"); // November's first instalment
    // INSS of the 13th on 2016.70 + 30.00 + 10.00 + 200.00 = 2256.70 at 11 %,
    // 248.237 by the brackets, paid in whole centavos.
    EXPECT_EQ(r.at("113"), "0.0000 2256.70 *");
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "12", "D", "112", "000001"})->number("VALOR"), *Fixed::parse("248.24"));

    const QString before = dump();
    calculate<ThirteenthCalc>("3");
    EXPECT_EQ(dump(), before);
    // The job kept its savepoints' journal in memory and gave the engine's
    // setting back (0: the default, large sorts go to disk).
    if (db->backend() == Backend::SQLite) {
        QSqlQuery q = db->exec("PRAGMA temp_store");
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 0);
    }
}

// A stored value the register refuses: met by the calculation itself (an
// amount it averages) or by the valuation (the salary), it is reported with
// the table, field and row, nothing of that employee is written, and the
// others are calculated.
TEST_F(ThirteenthTest, AStoredValueTheRegisterRefusesStopsThatEmployeeOnly) {
    employee("000002", "2200.00", {{"DT_ADMIS", QDate(2013, 2, 14)}});
    employee("000003", "2200.00", {{"DT_ADMIS", QDate(2013, 2, 14)}});
    folha::testing::StoreBehindTheRegister(*db, "UPDATE CADFUN SET VLR_SALAR = 'abc' WHERE CODFUN = '000002'");
    at("000003", "201306", "F", "003", "0", "110.00");
    folha::testing::StoreBehindTheRegister(*db, "UPDATE OCORRENC SET VALOR = 'abc' WHERE CODFUN = '000003'");
    const LeaveSummary s = calculate<ThirteenthCalc>("3");
    EXPECT_EQ(s.employeesCalculated, 1);
    EXPECT_EQ(s.employeesValued, 1);
    EXPECT_EQ(s.employeesNotCalculated, 2);
    EXPECT_EQ(ui.texts("error"),
              (QStringList{"FUNCIONARIO FUNCIONARIO 000002 NAO CALCULADO: Valor inválido gravado na tabela CADFUN, campo "
                           "VLR_SALAR (\"Valor Salário\"), registro CODFUN 000002: \"abc\" não é um número",
                           "FUNCIONARIO FUNCIONARIO 000003 NAO CALCULADO: Valor inválido gravado na tabela OCORRENC, "
                           "campo VALOR (\"Valor\"), registro OCORRANO 2013, OCORRMES 06, TIPOFOLHA F, HCODIGO 003, "
                           "CODFUN 000003: \"abc\" não é um número"}));
    EXPECT_TRUE(rowsAt("000002", "201312", "D").empty());
    EXPECT_TRUE(rowsAt("000003", "201312", "D").empty());
    EXPECT_EQ(rowsAt("000001", "201312", "D").at("070"), "201.6700 2016.70 *");
}

TEST_F(ThirteenthTest, RefusedOffTheThirteenthSheet) {
    branch(QDate(2013, 12, 31), "F");
    const QString before = dump();
    EXPECT_TRUE(calculate<ThirteenthCalc>("3").refused);
    EXPECT_TRUE(ui.texts("warning").first().contains("exige o Tipo Folha \"D\""));
    branch(QDate(2013, 12, 31), "D");
    EXPECT_TRUE(calculate<ThirteenthCalc>("0").refused);
    EXPECT_EQ(dump(), before);
}

class TerminationTest : public LeaveTest {
protected:
    void SetUp() override {
        LeaveTest::SetUp();
        event("080", 1, 1, "1", 4, 4, 1);                     // balance of salary
        event("071", 1, 1, "1", 4, 2, 1);                     // 13th on the notice
        event("072", 1, 1, "1", 2, 2, 1);                     // proportional 13th
        event("081", 1, 1, "1", 4, 4, 1);                     // notice pay
        event("056", 1, 1, "1", 4, 4, 0);                     // due vacation
        event("057", 1, 1, "1", 4, 4, 0);                     // proportional vacation
        event("076", 1, 3, "0", 0, 0, 1);
        event("077", 0, 3, "0", 0, 0, 0);
        event("010", 1, 3, "0", 1, 1, 1);
        for (const char* c : {"201", "211", "221", "231", "241"}) event(c, 1, 1, "1.5", 4, 4, 1);
        for (const char* c : {"301", "303", "305", "307"}) event(c, 1, 3, "0", 4, 4, 1);
        for (auto [r, c] : {std::pair{"081", "080"}, std::pair{"061", "071"}, std::pair{"045", "072"}, std::pair{"046", "081"},
                            std::pair{"047", "056"}, std::pair{"048", "057"}, std::pair{"059", "076"}, std::pair{"066", "077"},
                            std::pair{"601", "002"}, std::pair{"079", "010"}, std::pair{"501", "201"}, std::pair{"511", "211"},
                            std::pair{"521", "221"}, std::pair{"531", "231"}, std::pair{"541", "241"}, std::pair{"101", "301"},
                            std::pair{"103", "303"}, std::pair{"105", "305"}, std::pair{"107", "307"}})
            role(r, c);
        employee("000001", "2200.00",
                 {{"CONDICAO", 0}, {"DT_ADMIS", QDate(2011, 8, 10)}, {"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"},
                  {"DT_INIFERI", QDate(2011, 8, 10)}, {"DT_FINFERI", QDate(2012, 8, 9)}, {"CENTCUSTO", "ADM"},
                  {"FLAG_SALDO", "S"}, {"FLAG_13I", "S"}, {"FLAG_13", "S"}, {"FLAG_AVISO", "S"}, {"FLAG_FERVC", "S"},
                  {"FLAG_FERPR", "S"}});
        at("000001", "201109", "F", "002", "12", "0");
        at("000001", "201206", "F", "002", "6", "0");
        at("000001", "201302", "F", "002", "12", "0");
        at("000001", "201304", "F", "010", "0", "240.00", "");
        at("000001", "201302", "D", "076", "10", "500.00");
    }
};

TEST_F(TerminationTest, ItemsAndAveragesPerItem) {
    const LeaveSummary s = calculate<TerminationCalc>();
    EXPECT_EQ(s.employeesCalculated, 1);
    EXPECT_EQ(s.employeesValued, 1); // dismissed, and valued all the same
    const Rows r = rowsAt("000001", "201304", "F");
    EXPECT_EQ(r.at("080"), "146.6700 1466.70 *"); // 20 days of April
    EXPECT_EQ(r.at("071"), "18.3300 183.30 *");   // one month of 13th on the notice
    EXPECT_EQ(r.at("072"), "73.3300 733.30 *");   // January to April: 4 months
    EXPECT_EQ(r.at("081"), "220.0000 2200.00 *"); // thirty days of notice
    EXPECT_EQ(r.at("056"), "220.0000 2200.00 *"); // due vacation
    EXPECT_EQ(r.at("057"), "165.0000 1650.00 *"); // 8 months + 1
    EXPECT_EQ(r.at("077"), "10.0000 500.00 *");   // the first instalment deducted
    // Overtime averages: January to March for the 13th items, from April 2012
    // for the notice, the acquisition period for the due vacation, from
    // August 2012 for the proportional vacation.
    EXPECT_EQ(r.at("201"), "0.0830 1.20 *");  // (12 ÷ 12) ÷ 12; 0.083 × 1.5 = 0.12 hours at 10.00
    EXPECT_EQ(r.at("211"), "1.0000 15.00 *");
    EXPECT_EQ(r.at("221"), "1.5000 22.50 *");
    EXPECT_EQ(r.at("231"), "1.5000 22.50 *");
    EXPECT_EQ(r.at("241"), "1.0000 15.00 *");
    // April's commission: 240.00 ÷ 99, except for the due vacation (its window ends in 2012).
    EXPECT_EQ(r.at("307"), "0.0000 2.42 *");
    EXPECT_EQ(r.at("305"), "0.0000 2.42 *");
    EXPECT_EQ(r.at("301"), "0.0000 2.42 *");
    EXPECT_EQ(r.count("303"), 0u);
    // The rows carry the employee's cost centre; the net is the termination's.
    Table t(*db, "OCORRENC");
    EXPECT_EQ(t.find({"2013", "04", "F", "080", "000001"})->text("CENTCUSTO"), "ADM");
    EXPECT_EQ(t.find({"2013", "04", "F", "077", "000001"})->text("CENTCUSTO"), "ADM");
    ASSERT_TRUE(r.count("087"));
    EXPECT_EQ(r.count("142"), 0u);

    const QString before = dump();
    calculate<TerminationCalc>();
    EXPECT_EQ(dump(), before);

    // Flags turned off: their items go on the next calculation.
    Table cadfun(*db, "CADFUN");
    Record e = *cadfun.find({"000001"});
    e.set("FLAG_FERVC", "N").set("FLAG_AVISO", "A");
    cadfun.update(e);
    calculate<TerminationCalc>();
    const Rows after = rowsAt("000001", "201304", "F");
    EXPECT_EQ(after.count("056"), 0u);
    EXPECT_EQ(after.count("081"), 0u);
    EXPECT_EQ(after.count("231"), 0u);
    EXPECT_EQ(after.at("057"), "165.0000 1650.00 *");
}

TEST_F(TerminationTest, WrongLeavingDateRangeAndSheet) {
    employee("000002", "1000.00", {{"DT_AFAST", QDate(2013, 3, 20)}, {"FLAG_SALDO", "S"}});
    employee("000003", "1000.00"); // not leaving
    employee("000004", "1000.00", {{"CONDICAO", 2}, {"DT_AFAST", QDate(2013, 4, 10)}, {"FLAG_SALDO", "S"}});
    auto leavingWarnings = [&] {
        return ui.texts("warning").filter("afastamento");
    };
    // Without a range, those not leaving this month are not the calculation's.
    calculate<TerminationCalc>();
    EXPECT_EQ(leavingWarnings(), QStringList{});
    EXPECT_TRUE(rowsAt("000002", "201304", "F").empty());
    EXPECT_TRUE(rowsAt("000004", "201304", "F").empty());

    // A range typed without the zeros on the left.
    ui.entries.clear();
    const LeaveSummary s = calculate<TerminationCalc>("99", "2", "3");
    EXPECT_EQ(s.employeesCalculated, 0);
    EXPECT_EQ(leavingWarnings(), (QStringList{"Data de afastamento errada: 000002", "Data de afastamento errada: 000003"}));

    branch(QDate(2013, 4, 30), "I");
    EXPECT_TRUE(calculate<TerminationCalc>().refused);
}

} // namespace
} // namespace folha::leave
