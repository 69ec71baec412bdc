// The demo's third company on January 2026: every figure below was worked
// out by hand from the tables of 2026 and is what `folha init --demo`
// leaves in the monthly sheet ("F") of company 3.
//
// Tables used (data/legal/tabelas-legais.csv):
//   INSS 2026: 7,5 % to 1.621,00; 9 % to 2.902,84; 12 % to 4.354,27; 14 % to
//     8.475,55 (ceiling); each bracket's part cut to the centavo.
//   IRRF from 05/2025: exempt to 2.428,80; 7,5 % − 182,16 to 2.826,65;
//     15 % − 394,16 to 3.751,05; 22,5 % − 675,49 to 4.664,68; 27,5 % − 908,73;
//     189,59 per dependant; simplified deduction 607,20 (the lower tax wins).
//   Reduction of 2026: income to 5.000,00 → tax zero; to 7.350,00 →
//     978,62 − 13,3145 % × income (the product rounded to the centavo).
//   Family allowance 2026: 67,54 per child under 14, pay up to 1.980,38.
//   FGTS 8 %, apprentice 2 %; fine 40 %.
// January 2026 has 4 Sundays and 1 holiday (01/01): 5 rest days, 26 working days.
#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "SignIn.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

namespace {

Fixed F(const char* text) { return *Fixed::parse(QLatin1String(text)); }

class Demo2026 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        session_ = new Session{Installation(dir_->path())};
        ScriptedUi ui;
        BuildDemo(*session_, ui);
        auto company = Table(session_->companyListDb(), "EmpresaFOLHA").find({3});
        ASSERT_TRUE(company.has_value());
        db_ = session_->openCompanyDirectory(session_->companyDirectory(company->text("Diretorio"))).release();
    }
    static void TearDownTestSuite() {
        delete db_;
        delete session_;
        delete dir_;
        db_ = nullptr;
        session_ = nullptr;
        dir_ = nullptr;
    }

    // The event code of a role of FIXAOCOR.
    static QString roleEvent(const char* role) {
        auto r = Table(*db_, "FIXAOCOR").find({QLatin1String(role)});
        return r ? r->text("FHISTORICO").trimmed() : QString();
    }
    // The row of an employee under a role in January 2026 ("F" unless told).
    static std::optional<Record> roleRow(const QString& employee, const char* role, const char* sheet = "F",
                                         const char* year = "2026", const char* month = "01") {
        return Table(*db_, "OCORRENC").find({QLatin1String(year), QLatin1String(month), QLatin1String(sheet), roleEvent(role), employee});
    }
    // VALOR of that row; zero when no row was written (an amount of zero is not written).
    static Fixed value(const QString& employee, const char* role, const char* sheet = "F") {
        auto r = roleRow(employee, role, sheet);
        return r ? r->number("VALOR") : Fixed();
    }

    static TempDir* dir_;
    static Session* session_;
    static Database* db_;
};

TempDir* Demo2026::dir_ = nullptr;
Session* Demo2026::session_ = nullptr;
Database* Demo2026::db_ = nullptr;

TEST_F(Demo2026, CompanyThreeIsOnJanuary2026AndTheSupervisorSeesIt) {
    auto company = Table(session_->companyListDb(), "EmpresaFOLHA").find({3});
    ASSERT_TRUE(company.has_value());
    EXPECT_EQ(company->text("Nome"), QStringLiteral("ZORVAN SERVICOS DEMONSTRACAO 2026 LTDA"));
    EXPECT_EQ(company->text("Diretorio"), QStringLiteral("folha\\emp3\\"));
    auto branch = Table(*db_, "Filial").find({QStringLiteral("001")});
    ASSERT_TRUE(branch.has_value());
    EXPECT_EQ(branch->date("DATA_FOLHA"), QDate(2026, 1, 31));
    EXPECT_EQ(branch->text("TIPO_FOL"), QStringLiteral("F"));
    // The supervisor's level sees every company; the operator only company 2.
    SignIn signIn(*session_);
    auto supervisor = signIn.user(QStringLiteral("000001"));
    ASSERT_TRUE(supervisor.has_value());
    QList<int> codes;
    for (const CompanyRow& c : signIn.allowedCompanies(*supervisor)) codes << c.code;
    EXPECT_TRUE(codes.contains(3));
    auto operatorUser = signIn.user(QStringLiteral("000002"));
    ASSERT_TRUE(operatorUser.has_value());
    for (const CompanyRow& c : signIn.allowedCompanies(*operatorUser)) EXPECT_NE(c.code, 3);
}

struct Statutory {
    const char* employee;
    const char* why;
    const char* income; // BASE IRRF (role 017): the month's taxable income
    const char* inss;   // role 012
    const char* irrf;   // role 016 (0: nothing withheld)
};

TEST_F(Demo2026, InssAndIrrfOfJanuary2026) {
    const Statutory cases[] = {
        // INSS 1.621,00 × 7,5 % = 121,575 → 121,57. IRRF: 1.621,00 − 121,57 = 1.499,43, exempt.
        {"000001", "minimum wage", "1621.00", "121.57", "0"},
        // INSS 121,57 + 1.281,84 × 9 % = 115,3656 → 115,36 + 97,16 × 12 % = 11,6592 → 11,65 = 248,58.
        // IRRF legal: 3.000,00 − 248,58 = 2.751,42 × 7,5 % = 206,36 − 182,16 = 24,20;
        // simplified: 3.000,00 − 607,20 = 2.392,80, exempt → 0.
        {"000002", "3.000,00", "3000.00", "248.58", "0"},
        // INSS 121,57 + 115,36 + 1.451,43 × 12 % = 174,1716 → 174,17 + 645,73 × 14 % = 90,4022 → 90,40 = 501,50.
        // IRRF simplified 4.392,80 × 22,5 % = 988,38 − 675,49 = 312,89 (legal 4.498,50 → 336,67);
        // income up to 5.000,00: reduced to zero.
        {"000003", "5.000,00", "5000.00", "501.50", "0"},
        // INSS 121,57 + 115,36 + 174,17 + 1.645,73 × 14 % = 230,4022 → 230,40 = 641,50.
        // IRRF legal 5.358,50 × 27,5 % = 1.473,59 − 908,73 = 564,86 (simplified 5.392,80 → 574,29);
        // reduction 978,62 − 6.000,00 × 13,3145 % (798,87) = 179,75 → 564,86 − 179,75 = 385,11.
        {"000004", "6.000,00", "6000.00", "641.50", "385.11"},
        // INSS 121,57 + 115,36 + 174,17 + 2.645,73 × 14 % = 370,4022 → 370,40 = 781,50.
        // IRRF legal 7.000,00 − 781,50 − 189,59 = 6.028,91 × 27,5 % = 1.657,95 − 908,73 = 749,22
        // (simplified 6.392,80 → 849,29); reduction 978,62 − 7.000,00 × 13,3145 % = 978,62 − 932,015
        // = 46,605 → 46,61 → 749,22 − 46,61 = 702,61.
        {"000005", "7.000,00, 1 dependant", "7000.00", "781.50", "702.61"},
        // INSS 121,57 + 115,36 + 174,17 + 2.995,73 × 14 % = 419,4022 → 419,40 = 830,50.
        // IRRF legal 6.519,50 × 27,5 % = 1.792,86 − 908,73 = 884,13 (simplified 6.742,80 → 945,54);
        // reduction 978,62 − 7.350,00 × 13,3145 % (978,61575 → 978,62) = 0 → 884,13.
        {"000006", "7.350,00", "7350.00", "830.50", "884.13"},
        // INSS on the ceiling 8.475,55: 121,57 + 115,36 + 174,17 + 4.121,28 × 14 % = 576,9792 → 576,97 = 988,07.
        // IRRF legal 20.000,00 − 988,07 − 379,18 = 18.632,75 × 27,5 % = 5.124,01 − 908,73 = 4.215,28
        // (simplified 19.392,80 → 4.424,29); above 7.350,00: no reduction.
        {"000007", "20.000,00, 2 dependants", "20000.00", "988.07", "4215.28"},
        // Retiree who works: 121,57 + 879,00 × 9 % = 79,11 → 200,68. IRRF: 2.299,32, exempt.
        {"000008", "retiree", "2500.00", "200.68", "0"},
        // Apprentice 1.105,50 × 7,5 % = 82,9125 → 82,91.
        {"000009", "apprentice", "1105.50", "82.91", "0"},
        // 121,57 + 179,00 × 9 % = 16,11 → 137,68.
        {"000010", "family allowance", "1800.00", "137.68", "0"},
    };
    for (const auto& c : cases) {
        const QString who = QLatin1String(c.employee);
        SCOPED_TRACE(std::string(c.employee) + " " + c.why);
        EXPECT_EQ(value(who, "017"), F(c.income));
        EXPECT_EQ(value(who, "013"), F(c.income)); // BASE INSS
        EXPECT_EQ(value(who, "012"), F(c.inss));
        EXPECT_EQ(value(who, "016"), F(c.irrf));
    }
}

TEST_F(Demo2026, ApprenticeFgtsIsTwoPercent) {
    // 1.105,50 × 2 % = 22,11 (Lei 8.036/1990, art. 15, § 7º); an employee
    // of the minimum wage deposits 8 %: 1.621,00 × 8 % = 129,68.
    EXPECT_EQ(value("000009", "031"), F("1105.50"));
    EXPECT_EQ(value("000009", "032"), F("22.11"));
    EXPECT_EQ(value("000001", "032"), F("129.68"));
}

TEST_F(Demo2026, FamilyAllowanceForTheOneChildUnder14) {
    // Pay 1.800,00 up to the limit 1.980,38; the child born 2016 counts, the
    // one who turned 14 on 15/06/2025 does not: 1 × 67,54.
    auto row = roleRow("000010", "011");
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->number("REFER"), F("1"));
    EXPECT_EQ(row->number("VALOR"), F("67.54"));
    // Above the limit a child under 14 gives nothing (employee 000012 earns 4.000,00).
    EXPECT_FALSE(roleRow("000012", "011").has_value());
}

TEST_F(Demo2026, DismissalWithFortyTwoDaysOfNoticeAndTheFgtsFine) {
    // Admitted 05/01/2022, dismissed 20/01/2026: 4 full years, 30 + 3 × 4 = 42
    // days of notice (Lei 12.506/2011) = 42 × 44 ÷ 6 = 308 hours, valued
    // 308 × 2.800,00 ÷ 220 = 3.920,00.
    auto notice = roleRow("000011", "046");
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->number("REFER"), F("308"));
    EXPECT_EQ(notice->number("VALOR"), F("3920.00"));
    // Balance of salary: 20 days = 146,67 hours × 2.800,00 ÷ 220 = 1.866,71.
    EXPECT_EQ(value("000011", "081"), F("1866.71"));
    // FGTS of the termination (Lei 8.036/1990, art. 15; TST, Súmula 305):
    // balance 1.866,71 + 13th salary of 1/12 (18,33 hours × 2.800,00 ÷ 220 =
    // 233,29) + notice 3.920,00 + 13th salary of the notice's 1/12 233,29 =
    // 6.253,29 × 8 % = 500,2632 → 500,26.
    EXPECT_EQ(value("000011", "045"), F("233.29")); // 13 SALARIO PROPORCIONAL
    EXPECT_EQ(value("000011", "061"), F("233.29")); // 13 SALARIO INDENIZADO
    EXPECT_EQ(value("000011", "031"), F("6253.29"));
    EXPECT_EQ(value("000011", "067"), F("500.26"));
    // The fine: 40 % of the balance informed plus the termination's
    // deposit: (11.200,00 + 500,26) × 40 % = 4.680,104 → 4.680,10.
    EXPECT_EQ(value("000011", "050"), F("4680.10"));
}

} // namespace
