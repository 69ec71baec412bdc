// Pay statements on the demo's April 2013: the work tables row by row
// against the month's event rows, the range, the ceiling, the advance
// sheet, continuation statements, the print orders and the PDFs read back
// through pdftotext.
#include "GuiEnvironment.h"
#include "PayStatements.h"
#include "Advance.h"
#include "DemoCompany.h"
#include "PayrollRun.h"
#include "PayStatementPainter.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

using namespace folha;

namespace {

[[maybe_unused]] ::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::GuiEnvironment);

QString run(const QString& program, const QStringList& args, const QMap<QString, QString>& env = {},
            int* status = nullptr) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    p.start(program, args);
    p.waitForFinished(120000);
    if (status)
        *status = p.exitCode();
    else
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int page = 0) {
    QStringList args{"-layout"};
    if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
    return run("pdftotext", args << pdf << "-");
}

int pdfPages(const QString& pdf) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The values printed under the footer's captions: the line after
// "Salário p/ Mês ... Base INSS ... Total Descontos", split at blanks:
// salary, INSS base, income-tax base, FGTS, total earnings, total deductions.
QStringList footerValues(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(QStringLiteral("Base INSS"))) continue;
        for (int j = i + 1; j < lines.size(); ++j)
            if (!lines[j].trimmed().isEmpty()) return lines[j].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return {};
}

Fixed money(const char* text) {
    return *Fixed::parse(QString::fromLatin1(text));
}

// The demo's roles of the totals (FIXAOCOR): 013 -> 111, 017 -> 121,
// 026 -> 140, 027 -> 141, 028 -> 142, 031 -> 130, 032 -> 131.
const QStringList TotalEvents{"111", "121", "130", "131", "140", "141", "142"};
const Fixed DemoCeiling = money("4159");

class PayStatementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        payroll::RunOptions o;
        o.branchCode = QStringLiteral("001");
        o.automaticMode = true;
        payroll::PayrollRun(company(), ui).run(o);
        ui.entries.clear();
    }
    Database& company() { return session->folha(); }
    Database& tmp() { return session->tmpDb(); }
    PayStatementSummary build(PayStatementOptions o = {}) {
        o.branchCode = QStringLiteral("001");
        return BuildPayStatements(company(), tmp(), ui, o);
    }
    std::vector<Record> statements() { return Table(tmp(), StatementTableDef()).select(); }
    std::vector<Record> linesOf(const QString& code) {
        return Table(tmp(), StatementLineTableDef()).select("Func_Cod = ?", {code});
    }
    std::optional<Record> statementOf(const QString& code, int copy = 1) {
        return Table(tmp(), StatementTableDef()).find({code, copy});
    }
    QStringList activeCodes() {
        QStringList codes;
        for (const Record& r : Table(company(), "CADFUN").select("CONDICAO <> 0"))
            codes << r.text("CODFUN");
        return codes;
    }
    void setBranch(const QString& field, const QVariant& value) {
        Table filial(company(), "Filial");
        Record b = *filial.find({"001"});
        b.set(field, value);
        filial.update(b);
    }
    std::vector<Record> monthRows(const QString& code, const QString& sheet = "F") {
        return Table(company(), "OCORRENC")
            .select("OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = ? AND CODFUN = ?", {sheet, code});
    }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

TEST_F(PayStatementsTest, WorkTablesHoldEveryActiveEmployeeRowByRow) {
    const PayStatementSummary s = build({});
    const QStringList active = activeCodes();
    ASSERT_EQ(active.size(), 24); // 000013 is dismissed
    EXPECT_EQ(s.employees, 24);
    EXPECT_EQ(s.statements, 48);
    EXPECT_EQ(s.competence, QStringLiteral("201304"));
    EXPECT_EQ(s.sheet, QStringLiteral("F"));
    EXPECT_TRUE(ui.texts("warning").isEmpty()) << ui.texts("warning").join("\n").toStdString();

    std::map<QString, int> kinds;
    for (const Record& h : Table(company(), "HISTFP").select())
        kinds[h.text("HCODIGO")] = h.integer("HPRODESC");
    qint64 lines = 0;
    for (const QString& code : active) {
        // The expected lines: every row but the totals, earnings (1) and
        // deductions (0) only, by event code.
        std::vector<std::tuple<QString, QString, Fixed, Fixed>> expected;
        std::map<QString, Fixed> totals;
        for (const Record& r : monthRows(code)) {
            const QString event = r.text("HCODIGO");
            if (TotalEvents.contains(event)) {
                totals[event] = r.number("VALOR");
                continue;
            }
            const int kind = kinds.at(event);
            if (kind > 1) continue;
            expected.emplace_back(event, StatementQuantity(r.number("REFER")),
                                  kind == 1 ? r.number("VALOR") : Fixed(),
                                  kind == 0 ? r.number("VALOR") : Fixed());
        }
        const std::vector<Record> got = linesOf(code);
        ASSERT_EQ(got.size(), expected.size()) << code.toStdString();
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text("CodHistorico"), std::get<0>(expected[i])) << code.toStdString();
            EXPECT_EQ(got[i].text("Qtd"), std::get<1>(expected[i]));
            EXPECT_EQ(got[i].number("VlrVencimentos"), std::get<2>(expected[i]));
            EXPECT_EQ(got[i].number("VlrDescontos"), std::get<3>(expected[i]));
            EXPECT_FALSE(got[i].text("DescHistorico").isEmpty());
        }
        lines += qint64(got.size());

        const auto one = statementOf(code, 1);
        const auto two = statementOf(code, 2);
        ASSERT_TRUE(one && two) << code.toStdString();
        for (const QString& f : StatementTableDef().fieldNames())
            if (f != "Func_Copia") {
                EXPECT_EQ(one->value(f), two->value(f)) << f.toStdString();
            }
        EXPECT_EQ(one->number("Vlr_TotalVencimentos"), totals["140"]) << code.toStdString();
        EXPECT_EQ(one->number("Vlr_TotalDescontos"), totals["141"]);
        EXPECT_EQ(one->number("Vlr_Liquido"), totals["142"]);
        EXPECT_EQ(one->number("Vlr_BaseIRRF"), totals["121"]);
        EXPECT_EQ(one->number("Vlr_FGTS"), totals["131"]);
        EXPECT_EQ(one->number("Vlr_BaseINSS"), std::min(totals["111"], DemoCeiling));
        EXPECT_EQ(one->text("FolhaMensalDescricao"), QStringLiteral("Folha mensal 04/2013"));
        EXPECT_EQ(one->text("Filial_Nome"), QStringLiteral("ZORVAN DEMONSTRACAO - MATRIZ"));
        EXPECT_EQ(one->text("Filial_Cnpj"), QStringLiteral("12.345.678/0001-95"));
        // The register's e-mail (every demo employee of April has one but Emílio).
        const QString mail = Table(company(), "CADFUN").find({code})->text("EMAIL").trimmed();
        EXPECT_EQ(one->text("Func_Email"), mail);
        EXPECT_EQ(mail.isEmpty(), code == QLatin1String("000005"));
        EXPECT_EQ(one->text("Filial_Fantasia"), QString());
    }
    EXPECT_EQ(s.lines, lines);
    EXPECT_EQ(qint64(Table(tmp(), StatementLineTableDef()).count()), lines);

    // The first employee, by hand: salary 1 500,00, earnings 1 650,59,
    // deductions 228,59, net 1 422,00; the job name cut to its 20 places.
    const auto first = statementOf("000001");
    EXPECT_EQ(first->text("Func_Nome"), QStringLiteral("ADRIANO SILVA SANTOS"));
    EXPECT_EQ(first->date("Func_DtAdmissao"), QDate(2010, 3, 1));
    EXPECT_EQ(first->text("Func_Cargo"), QStringLiteral("AUXILIAR ADMINISTRAT"));
    EXPECT_EQ(first->number("Vlr_Salario"), money("1500"));
    EXPECT_EQ(first->number("Vlr_TotalVencimentos"), money("1650.59"));
    EXPECT_EQ(first->number("Vlr_TotalDescontos"), money("228.59"));
    EXPECT_EQ(first->number("Vlr_Liquido"), money("1422"));
    EXPECT_FALSE(statementOf("000013").has_value());
}

struct RangeCase {
    const char* first;
    const char* last;
    QStringList codes; // empty: every active employee
};

class PayStatementRange : public PayStatementsTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(PayStatementRange, BothCodesFilledNarrowTheEmployees) {
    const RangeCase c = GetParam();
    PayStatementOptions o;
    o.firstEmployee = QString::fromLatin1(c.first);
    o.lastEmployee = QString::fromLatin1(c.last);
    build(o);
    QStringList codes;
    for (const Record& r : statements())
        if (r.integer("Func_Copia") == 1) codes << r.text("Func_Cod");
    EXPECT_EQ(codes, c.codes.isEmpty() ? activeCodes() : c.codes);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, PayStatementRange,
    ::testing::Values(RangeCase{"", "", {}}, RangeCase{"000003", "", {}}, RangeCase{"", "000005", {}},
                      RangeCase{"000003", "000005", {"000003", "000004", "000005"}},
                      RangeCase{"000012", "000014", {"000012", "000014"}}, // 000013 dismissed
                      RangeCase{"000025", "000025", {"000025"}}));

TEST_F(PayStatementsTest, InssBaseAboveTheCeilingPrintsTheCeiling) {
    PayStatementOptions o;
    o.firstEmployee = "000025";
    o.lastEmployee = "000025";
    build(o);
    Fixed base;
    for (const Record& r : monthRows("000025"))
        if (r.text("HCODIGO") == "111") base = r.number("VALOR");
    ASSERT_GT(base, DemoCeiling);
    EXPECT_EQ(statementOf("000025")->number("Vlr_BaseINSS"), DemoCeiling);
    const QString pdf = d.file("teto.pdf");
    WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, pdf);
    const QStringList values = footerValues(pdfText(pdf, 1));
    ASSERT_EQ(values.size(), 6) << pdfText(pdf, 1).toStdString();
    EXPECT_EQ(values[1], QStringLiteral("4.159,00"));
    EXPECT_EQ(values[0], StatementMoney(statementOf("000025")->number("Vlr_Salario")));

    // A lower ceiling caps the others as well.
    setBranch("TETO_INSS", "1000");
    o.firstEmployee = "000001";
    o.lastEmployee = "000001";
    build(o);
    EXPECT_EQ(statementOf("000001")->number("Vlr_BaseINSS"), money("1000"));
    WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, pdf);
    EXPECT_EQ(footerValues(pdfText(pdf, 1)).value(1), QStringLiteral("1.000,00"));
}

TEST_F(PayStatementsTest, AdvanceSheetPrintsOnlyNonZeroNets) {
    payroll::AdvanceOptions a;
    a.branchCode = "001";
    a.writeNet = true;
    ASSERT_GT(payroll::AdvanceRun(company(), ui).run(a).employeesCalculated, 0);
    setBranch("TIPO_FOL", "A");
    // One net made zero: that employee gets no statement.
    Table ocorrenc(company(), "OCORRENC");
    Record net = *ocorrenc.find({"2013", "04", "A", "142", "000003"});
    net.setNumber("VALOR", Fixed());
    ocorrenc.update(net);
    QStringList paid;
    for (const Record& r :
         ocorrenc.select("OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = 'A' AND HCODIGO = '142' "
                         "AND VALOR <> 0",
                         {}, "CODFUN"))
        paid << r.text("CODFUN");
    ASSERT_FALSE(paid.contains("000003"));

    const PayStatementSummary s = build({});
    EXPECT_EQ(s.sheet, QStringLiteral("A"));
    QStringList codes;
    for (const Record& r : statements())
        if (r.integer("Func_Copia") == 1) codes << r.text("Func_Cod");
    EXPECT_EQ(codes, paid);
    // The advance's own line, and no monthly-sheet line.
    for (const Record& l : linesOf("000001"))
        EXPECT_NE(l.text("CodHistorico"), QStringLiteral("001"));
    EXPECT_EQ(statementOf("000001")->number("Vlr_Liquido"),
              ocorrenc.find({"2013", "04", "A", "142", "000001"})->number("VALOR"));

    const QString pdf = d.file("adiantamento.pdf");
    const PayStatementFiles f = WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, pdf);
    EXPECT_EQ(f.statements, 2 * int(paid.size()));
    EXPECT_EQ(pdfPages(pdf), int(paid.size()));
    const QString text = pdfText(pdf);
    EXPECT_FALSE(text.contains("CELSO RIBEIRO"));
    EXPECT_TRUE(text.contains("ADRIANO SILVA SANTOS"));
}

TEST_F(PayStatementsTest, MoreThanSeventeenLinesContinueOnTheNextStatement) {
    // Twenty more earnings typed for 000002.
    QStringList present;
    for (const Record& r : monthRows("000002"))
        present << r.text("HCODIGO");
    Table ocorrenc(company(), "OCORRENC");
    QStringList added;
    for (const Record& h : Table(company(), "HISTFP").select("HPRODESC = 1", {}, "HCODIGO")) {
        if (present.contains(h.text("HCODIGO"))) continue;
        Record r = ocorrenc.newRecord();
        r.set("OCORRANO", "2013")
            .set("OCORRMES", "04")
            .set("TIPOFOLHA", "F")
            .set("HCODIGO", h.text("HCODIGO"));
        r.set("CODFUN", "000002")
            .set("REFER", "1.5")
            .set("VALOR", QString::number(10 + added.size()))
            .set("FLAG", "*");
        ocorrenc.insert(r);
        added << h.text("HCODIGO");
        if (added.size() == 20) break;
    }
    ASSERT_EQ(added.size(), 20);
    PayStatementOptions o;
    o.firstEmployee = "000002";
    o.lastEmployee = "000002";
    build(o);
    const std::vector<Record> lines = linesOf("000002");
    ASSERT_GT(lines.size(), size_t(StatementLineSlots));
    ASSERT_LE(lines.size(), size_t(2 * StatementLineSlots));
    EXPECT_EQ(PayStatementPainter::partsFor(int(lines.size())), 2);

    const QString pdf = d.file("continua.pdf");
    const PayStatementFiles f = WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, pdf);
    EXPECT_EQ(f.statements, 2);
    EXPECT_EQ(f.pages, 2); // each copy: a page of two parts
    ASSERT_EQ(pdfPages(pdf), 2);
    for (int page = 1; page <= 2; ++page) {
        const QString text = pdfText(pdf, page);
        EXPECT_EQ(text.count("Continua na próxima folha"), 1);
        EXPECT_EQ(text.count("Demonstrativo de Pagamento - Continuação"), 1);
        EXPECT_EQ(text.count("Folha 1 de 2"), 1);
        EXPECT_EQ(text.count("Folha 2 de 2"), 1);
        EXPECT_EQ(text.count("Líquido"), 1); // the totals only on the last part
        // Every line once per copy: nothing lost.
        for (const Record& l : lines) {
            const QRegularExpression line(
                QStringLiteral("^\\s*%1\\s+%2")
                    .arg(l.text("CodHistorico"), QRegularExpression::escape(l.text("DescHistorico"))),
                QRegularExpression::MultilineOption);
            EXPECT_EQ(text.count(line), 1) << l.text("CodHistorico").toStdString();
        }
        // The first 17 lines on the first part, the rest after it.
        const int firstPart = int(text.indexOf("Continua na próxima folha"));
        const int seventeenth = int(text.indexOf(QRegularExpression(
            QStringLiteral("^\\s*%1\\s").arg(lines[StatementLineSlots - 1].text("CodHistorico")),
            QRegularExpression::MultilineOption)));
        const int eighteenth = int(text.indexOf(QRegularExpression(
            QStringLiteral("^\\s*%1\\s").arg(lines[StatementLineSlots].text("CodHistorico")),
            QRegularExpression::MultilineOption)));
        EXPECT_LT(seventeenth, firstPart);
        EXPECT_GT(eighteenth, firstPart);
    }
}

TEST_F(PayStatementsTest, MissingEventsAreToldAndLeftOffAndOnlyEarningsAndDeductionsPrint) {
    Table histfp(company(), "HISTFP");
    ASSERT_TRUE(histfp.remove({"095"}));
    Record assoc = *histfp.find({"094"});
    assoc.set("HPRODESC", 2);
    histfp.update(assoc);
    const int rows095 =
        int(Table(company(), "OCORRENC")
                .count("OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = 'F' AND HCODIGO = '095' "
                       "AND CODFUN IN (SELECT CODFUN FROM CADFUN WHERE CONDICAO <> 0)"));
    ASSERT_GT(rows095, 0);
    const PayStatementSummary s = build({});
    EXPECT_EQ(s.missingEvents, rows095);
    EXPECT_EQ(ui.texts("warning").count(QStringLiteral("Histórico não cadastrado: 095")), rows095);
    EXPECT_EQ(Table(tmp(), StatementLineTableDef()).count("CodHistorico IN ('094', '095')"), 0);
    EXPECT_EQ(s.employees, 24); // the employees themselves are printed
}

TEST_F(PayStatementsTest, MissingFixedOccurrenceLeavesItsTotalAtZero) {
    ASSERT_TRUE(Table(company(), "FIXAOCOR").remove({"026"}));
    ASSERT_TRUE(Table(company(), "FIXAOCOR").remove({"032"}));
    build({});
    for (const Record& r : statements()) {
        EXPECT_TRUE(r.number("Vlr_TotalVencimentos").isZero());
        EXPECT_TRUE(r.number("Vlr_FGTS").isZero());
    }
    EXPECT_EQ(statementOf("000001")->number("Vlr_Liquido"), money("1422"));
    // Their rows are no totals now, and their events are bases (not printed).
    EXPECT_EQ(Table(tmp(), StatementLineTableDef()).count("CodHistorico IN ('140', '131')"), 0);
}

TEST_F(PayStatementsTest, MessagesAreKeptAndPrintedAndLongOnesRefused) {
    PayStatementOptions o;
    o.firstEmployee = "000001";
    o.lastEmployee = "000001";
    o.message1 = "Feliz Natal";
    o.message3 = QString(100, 'x');
    build(o);
    EXPECT_EQ(statementOf("000001")->text("Msg1"), QStringLiteral("Feliz Natal"));
    EXPECT_EQ(statementOf("000001")->text("Msg2"), QString());
    EXPECT_EQ(statementOf("000001")->text("Msg3"), QString(100, 'x'));
    const QString pdf = d.file("mensagens.pdf");
    WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, pdf);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count("Feliz Natal"), 2);
    for (const char* fixedText :
         {"Demonstrativo de Pagamento", "Cnpj: 12.345.678/0001-95", "Admissão: 01/03/2010", "Salário p/ Mês",
          "Base IRF", "Total Vencimentos", "Total Descontos", "Recebi o valor líquido deste recibo,",
          "correspondente a discriminação", "acima, do qual dou plena e total quitação.", "Data: __/__/_____",
          "Assinatura", "Hrs/Qtde", "Vencimentos", "Descontos", "Cód.", "Descrição"})
        EXPECT_EQ(text.count(QString::fromUtf8(fixedText)) >= 2, true) << fixedText;
    EXPECT_EQ(footerValues(text).mid(4), (QStringList{"1.650,59", "228,59"}));

    o.message2 = QString(101, 'y');
    EXPECT_THROW(build(o), UserError);
}

TEST_F(PayStatementsTest, OrdersByCodeNameAndCard) {
    // Card numbers in the reverse order of the codes.
    Table cadfun(company(), "CADFUN");
    int card = 1000;
    for (Record r : cadfun.select()) {
        r.setNumber("CART_PONT", Fixed::fromInt(card--));
        cadfun.update(r);
    }
    build({});
    auto sequence = [&](StatementOrder order) {
        QStringList codes;
        QList<int> copies;
        ForEachPayStatement(tmp(), company(), order, [&](const PayStatement& s) {
            if (s.copy == 1) codes << s.employeeCode;
            copies << s.copy;
            return true;
        });
        for (int i = 0; i < copies.size(); ++i)
            EXPECT_EQ(copies[i], i % 2 + 1);
        return codes;
    };
    QStringList byCode = activeCodes();
    EXPECT_EQ(sequence(StatementOrder::Code), byCode);
    QStringList byCard = byCode;
    std::reverse(byCard.begin(), byCard.end());
    EXPECT_EQ(sequence(StatementOrder::Card), byCard);
    QStringList byName;
    for (const Record& r : cadfun.select("CONDICAO <> 0", {}, "NOME"))
        byName << r.text("CODFUN");
    EXPECT_EQ(sequence(StatementOrder::Name), byName);

    int given = 0;
    EXPECT_EQ(ForEachPayStatement(tmp(), company(), StatementOrder::Code,
                                  [&](const PayStatement&) { return ++given < 3; }),
              3);
}

TEST_F(PayStatementsTest, SplitWritesOnePdfPerEmployee) {
    PayStatementOptions o;
    o.firstEmployee = "000003";
    o.lastEmployee = "000004";
    build(o);
    const QString folder = d.file("envelopes");
    const PayStatementFiles f = WritePayStatementsSplit(tmp(), company(), StatementOrder::Code, folder);
    EXPECT_EQ(f.statements, 4);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              (QStringList{"000003 - CELSO RIBEIRO HORISTA.pdf", "000004 - DENISE ALVES APRENDIZ.pdf"}));
    const QString celso = pdfText(QDir(folder).filePath("000003 - CELSO RIBEIRO HORISTA.pdf"));
    EXPECT_EQ(celso.count("CELSO RIBEIRO HORISTA"), 2);
    EXPECT_FALSE(celso.contains("DENISE"));
}

TEST_F(PayStatementsTest, CommandLineWritesTheSameStatements) {
    PayStatementOptions o;
    o.order = StatementOrder::Name;
    o.message1 = "Bom trabalho";
    build(o);
    const QString engine = d.file("engine.pdf");
    WritePayStatementsPdf(tmp(), company(), StatementOrder::Name, engine);
    const QMap<QString, QString> env{{"FOLHA_USER", "000001"}, {"FOLHA_PASSWORD", "zorvan"}};
    const QString cli = d.file("cli.pdf");
    const QString out = run(FOLHA_BIN_DIR "/folha",
                            {"--root", d.path(), "payslips", "--company", "1", "--branch", "001", "--order",
                             "nome", "--message1", "Bom trabalho", "--output", cli},
                            env);
    EXPECT_TRUE(out.contains("24 funcionário(s), 48 demonstrativo(s), 24 página(s)")) << out.toStdString();
    EXPECT_EQ(pdfText(cli), pdfText(engine));

    int status = 0;
    run(FOLHA_BIN_DIR "/folha",
        {"--root", d.path(), "payslips", "--company", "1", "--order", "salario", "--output", cli}, env,
        &status);
    EXPECT_EQ(status, 2);
    run(FOLHA_BIN_DIR "/folha", {"--root", d.path(), "payslips", "--company", "1"}, env, &status);
    EXPECT_EQ(status, 2);

    // A range without employees writes no file and says so.
    const QString none = d.file("none.pdf");
    run(FOLHA_BIN_DIR "/folha",
        {"--root", d.path(), "payslips", "--company", "1", "--from", "900000", "--to", "900001", "--output", none},
        env, &status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(PayStatementsTest, CancelStopsBetweenEmployees) {
    ui.stepsSeen = 0; // the payroll run of the set-up counted its own
    ui.cancelAfterSteps = 5;
    const PayStatementSummary s = build({});
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(s.employees, 4); // the fifth is not begun
    EXPECT_EQ(Table(tmp(), StatementTableDef()).count(), 8);
}

// The 13th-salary sheet takes its INSS base from the 13th-salary role (015).
TEST(PayStatements13th, InssBaseOfTheThirteenthSheet) {
    TempDir d;
    ScriptedUi ui;
    Session session{Installation(d.path())};
    OpenDemoCompany(session, ui, 2);
    PayStatementOptions o;
    o.branchCode = "002";
    const PayStatementSummary s = BuildPayStatements(session.folha(), session.tmpDb(), ui, o);
    EXPECT_EQ(s.sheet, QStringLiteral("D"));
    EXPECT_EQ(s.competence, QStringLiteral("201312"));
    ASSERT_GT(s.employees, 0);
    const QString inss13 = Table(session.folha(), "FIXAOCOR").find({"015"})->text("FHISTORICO");
    int checked = 0;
    for (const Record& r : Table(session.tmpDb(), StatementTableDef()).select("Func_Copia = 1")) {
        const auto row =
            Table(session.folha(), "OCORRENC").find({"2013", "12", "D", inss13, r.text("Func_Cod")});
        ASSERT_TRUE(row.has_value()) << r.text("Func_Cod").toStdString();
        EXPECT_EQ(r.number("Vlr_BaseINSS"), std::min(row->number("VALOR"), DemoCeiling));
        EXPECT_EQ(r.text("FolhaMensalDescricao"), QStringLiteral("Folha mensal 12/2013"));
        ++checked;
    }
    EXPECT_EQ(checked, s.employees);
}

// ---- text routines -----------------------------------------------------

struct MoneyCase {
    const char* value;
    const char* text;
};
class StatementMoneyText : public ::testing::TestWithParam<MoneyCase> {};
TEST_P(StatementMoneyText, BrazilianFormat) {
    EXPECT_EQ(StatementMoney(money(GetParam().value)), QString::fromLatin1(GetParam().text));
}
INSTANTIATE_TEST_SUITE_P(Amounts, StatementMoneyText,
                         ::testing::Values(MoneyCase{"0", "0,00"}, MoneyCase{"1234.56", "1.234,56"},
                                           MoneyCase{"1234567.891", "1.234.567,89"},
                                           MoneyCase{"0.005", "0,01"}, MoneyCase{"999.995", "1.000,00"},
                                           MoneyCase{"-15.5", "-15,50"}, MoneyCase{"-0.004", "0,00"},
                                           MoneyCase{"100", "100,00"}));

TEST(StatementTexts, QuantityOrderAndFileName) {
    EXPECT_EQ(StatementQuantity(money("220")), QStringLiteral("220"));
    EXPECT_EQ(StatementQuantity(money("7.5")), QStringLiteral("7,5"));
    EXPECT_EQ(StatementQuantity(Fixed()), QStringLiteral("0"));
    const struct {
        const char* typed;
        StatementOrder order;
    } orders[] = {{"Código", StatementOrder::Code},
                  {"codigo", StatementOrder::Code},
                  {"NOME", StatementOrder::Name},
                  {"Cartão", StatementOrder::Card},
                  {"cartao", StatementOrder::Card}};
    for (const auto& o : orders)
        EXPECT_EQ(TypedStatementOrder(QString::fromUtf8(o.typed)), o.order) << o.typed;
    EXPECT_THROW(TypedStatementOrder("salario"), UserError);
    EXPECT_EQ(StatementFileName("000003", "CELSO RIBEIRO HORISTA"),
              QStringLiteral("000003 - CELSO RIBEIRO HORISTA.pdf"));
    EXPECT_EQ(StatementFileName("000007", " A/B:C*D?  "), QStringLiteral("000007 - A_B_C_D_.pdf"));
    EXPECT_EQ(StatementFileName("000008", "JOSE \"ZE\" <X>|."),
              QStringLiteral("000008 - JOSE _ZE_ _X__.pdf"));
}

} // namespace

// "Imprimir memória de cálculo": after the calculation, each employee's
// statements are followed by a page with every calculated row and its
// trail; without the option the statements stand alone.
TEST_F(PayStatementsTest, TrailAnnexFollowsEachEmployeesStatements) {
    PayStatementOptions o;
    o.firstEmployee = "000003";
    o.lastEmployee = "000004";
    const PayStatementSummary built = build(o);
    ASSERT_EQ(built.employees, 2);
    const StatementTrailAnnex annex{built.competence, built.sheet};
    EXPECT_EQ(annex.competence, "201304");

    const std::vector<TrailAnnexEntry> celso = StatementTrail(company(), "000003", annex);
    const auto salary = std::find_if(celso.begin(), celso.end(), [](const TrailAnnexEntry& e) { return e.event == "001"; });
    ASSERT_NE(salary, celso.end());
    // 180 hours at R$ 8,50 an hour.
    EXPECT_EQ(salary->reading, "Regra: Valorização da ocorrência (regra 1)\n1,00 × 180,00 × 8,50 (salário-hora) = 1.530,00");
    EXPECT_FALSE(salary->description.isEmpty());

    const QString plain = d.file("sem.pdf"), with = d.file("com.pdf");
    const PayStatementFiles without = WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, plain);
    const PayStatementFiles annexed = WritePayStatementsPdf(tmp(), company(), StatementOrder::Code, with, annex);
    EXPECT_EQ(without.statements, 4);
    EXPECT_EQ(annexed.statements, 4);
    // One page of statements and one of annex for each of the two.
    EXPECT_EQ(pdfPages(plain), 2);
    EXPECT_EQ(pdfPages(with), 4);
    EXPECT_EQ(annexed.pages, 4);
    EXPECT_FALSE(pdfText(plain).contains("Memória de Cálculo"));
    const QString second = pdfText(with, 2);
    EXPECT_TRUE(second.contains("Memória de Cálculo")) << second.toStdString();
    EXPECT_TRUE(second.contains("000003 - CELSO RIBEIRO HORISTA"));
    EXPECT_TRUE(second.contains("001 - " + salary->description)) << second.toStdString();
    EXPECT_TRUE(second.contains("1,00 × 180,00 × 8,50 (salário-hora) = 1.530,00")) << second.toStdString();
    EXPECT_TRUE(pdfText(with, 4).contains("000004 - DENISE ALVES APRENDIZ"));
    EXPECT_FALSE(pdfText(with, 4).contains("CELSO"));

    // One file per employee: the annex closes each.
    const QString folder = d.file("envelopes");
    WritePayStatementsSplit(tmp(), company(), StatementOrder::Code, folder, annex);
    EXPECT_EQ(pdfPages(QDir(folder).filePath("000003 - CELSO RIBEIRO HORISTA.pdf")), 2);
    EXPECT_TRUE(pdfText(QDir(folder).filePath("000003 - CELSO RIBEIRO HORISTA.pdf"), 2).contains("(salário-hora) = 1.530,00"));
}

TEST(StatementTexts, TrailAnnexLinesWrapAtBlanksUnderTheEvent) {
    struct Case {
        std::vector<TrailAnnexEntry> entries;
        int width;
        QStringList lines;
    };
    const Case cases[] = {
        {{{"001", "SALARIO", "Regra: Mensal\n10 × 5 = 50"}}, 30, {"001 - SALARIO", "      Regra: Mensal", "      10 × 5 = 50"}},
        // 24 characters after the indent of 6: the words go on the next line.
        {{{"110", "INSS", "Regra: INSS\nbase 1.530,00 × 9 % = 137,70"}},
         30,
         {"110 - INSS", "      Regra: INSS", "      base 1.530,00 × 9 % =", "      137,70"}},
        // A word longer than a line is cut.
        {{{"200", "X", "Regra: abcdefghijklmnopqrstuvwxyz"}}, 16, {"200 - X", "      Regra:", "      abcdefghij", "      klmnopqrst", "      uvwxyz"}},
        {{{"001", "A", "Regra: R"}, {"002", "B", "Regra: S"}}, 30, {"001 - A", "      Regra: R", "", "002 - B", "      Regra: S"}},
        {{}, 30, {"Nenhuma linha calculada tem memória de cálculo nesta folha."}},
    };
    for (const Case& c : cases) EXPECT_EQ(TrailAnnexLines(c.entries, c.width), c.lines) << c.lines.join('|').toStdString();
}
