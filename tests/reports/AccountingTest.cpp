// The payroll's accounting entries: they add up to the payroll book's
// totals, the cost centre chooses its own accounts,
// an item without accounts is told and listed, and the CSV is written as
// documented.

#include "Accounting.h"
#include "DemoCompany.h"
#include "PayrollRun.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"

#include <map>

#include <gtest/gtest.h>

using namespace folha;

namespace {

Fixed money(const char* text) { return *Fixed::parse(QString::fromLatin1(text)); }

struct Demo {
    TempDir dir;
    ScriptedUi ui;
    Session session{Installation(dir.path())};
    Demo() {
        OpenDemoCompany(session, ui, 1);
        // April calculated.
        payroll::RunOptions run;
        run.branchCode = "001";
        run.familyAllowance = true;
        run.automaticMode = true;
        run.userCode = "000001";
        EXPECT_GT(payroll::PayrollRun(session.folha(), ui).run(run).employeesCalculated, 20);
    }
    AccountingResult build() {
        AccountingOptions o;
        o.branchCode = "001";
        return BuildAccountingEntries(session.folha(), ui, o);
    }
};

// Debits and credits by account.
struct Balances {
    std::map<QString, Fixed> debit, credit;
    explicit Balances(const AccountingResult& r) {
        for (const auto& e : r.entries) {
            debit[e.debit] += e.amount;
            credit[e.credit] += e.amount;
        }
    }
};

} // namespace

// The CSV of two entries, byte for byte.
TEST(AccountingCsvLayout, DateAccountsDecimalCommaHistoryCentre) {
    AccountingResult r;
    r.entries.push_back({QDate(2013, 4, 30), "3.1.1.01", "2.1.2.01", money("1234.5"), "SALARIO - FOLHA 04/2013", "ADM"});
    r.entries.push_back({QDate(2013, 4, 30), "2.1.2.01", "2.1.3.09", money("0.005"), "VALE; \"TRANSPORTE\"", ""});
    EXPECT_EQ(AccountingCsv(r), QByteArray("data;debito;credito;valor;historico;centro_custo\r\n"
                                           "30/04/2013;3.1.1.01;2.1.2.01;1234,50;SALARIO - FOLHA 04/2013;ADM\r\n"
                                           "30/04/2013;2.1.2.01;2.1.3.09;0,01;\"VALE; \"\"TRANSPORTE\"\"\";\r\n"));
}

TEST(AccountingDemo, EntriesAddUpToThePayrollBookAndBalance) {
    Demo demo;
    const AccountingResult r = demo.build();
    EXPECT_EQ(r.competence, QStringLiteral("201304"));
    ASSERT_FALSE(r.entries.empty());
    EXPECT_TRUE(r.unmapped.empty());
    // The book's own figures.
    EXPECT_GT(r.book.earnings, Fixed());
    EXPECT_EQ(r.earnings, r.book.earnings);
    EXPECT_EQ(r.deductions, r.book.deductions);
    EXPECT_EQ(r.charges, r.book.inss.company + r.book.inss.entities + r.book.inss.fgts);
    EXPECT_EQ(r.total, r.earnings + r.deductions + r.charges);
    // Salaries payable keeps the net.
    const Balances b(r);
    EXPECT_EQ(b.credit.at("2.1.2.01") - b.debit.at("2.1.2.01"), r.book.earnings - r.book.deductions);
    // INSS payable: the employees' part withheld plus the employer's and
    // the third parties' shares.
    EXPECT_EQ(b.credit.at("2.1.3.01"), r.book.inss.insured + r.book.inss.company + r.book.inss.entities);
    EXPECT_EQ(b.credit.at("2.1.3.04"), r.book.inss.fgts);
    // The production staff's salary goes to production cost, the others' to
    // the expense account; every entry is dated the competence's last day.
    bool production = false, administration = false;
    for (const auto& e : r.entries) {
        EXPECT_EQ(e.date, QDate(2013, 4, 30));
        EXPECT_GT(e.amount, Fixed());
        if (e.history.startsWith("SALARIOS DA PRODUCAO")) {
            EXPECT_EQ(e.costCentre, QStringLiteral("PROD"));
            EXPECT_EQ(e.debit, QStringLiteral("3.2.1.01"));
            production = true;
        }
        if (e.history.startsWith("SALARIO - ")) {
            EXPECT_NE(e.costCentre, QStringLiteral("PROD"));
            EXPECT_EQ(e.debit, QStringLiteral("3.1.1.01"));
            administration = true;
        }
    }
    EXPECT_TRUE(production);
    EXPECT_TRUE(administration);
}

// An event without accounts is told and listed with its amount; the rest is
// posted and still balances.
TEST(AccountingDemo, AnEventWithoutAccountsIsReportedNotDropped) {
    Demo demo;
    const AccountingResult full = demo.build();
    ASSERT_TRUE(Table(demo.session.folha(), AccountingMapTable).remove({"110", "*"}));
    demo.ui.entries.clear();
    const AccountingResult r = demo.build();
    Fixed missing;
    for (const auto& u : r.unmapped) {
        EXPECT_EQ(u.item, QStringLiteral("110"));
        missing += u.amount;
    }
    ASSERT_FALSE(r.unmapped.empty());
    // The month's rows of event 110, read apart from the book.
    Fixed rows;
    for (const Record& o : Table(demo.session.folha(), "OCORRENC")
                               .select("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND HCODIGO = ?",
                                       {"2013", "04", "F", "110"}))
        rows += o.number("VALOR");
    EXPECT_GT(rows, Fixed());
    EXPECT_EQ(missing, rows);
    EXPECT_EQ(r.deductions + missing, r.book.deductions);
    EXPECT_EQ(r.total + missing, full.total);
    const QStringList warnings = demo.ui.texts("warning");
    EXPECT_TRUE(warnings.join('\n').contains("Sem conta contábil para 110 - INSS")) << warnings.join('\n').toStdString();
}
