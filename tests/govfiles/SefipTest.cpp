// The SEFIP file of small hand-made companies, record by record.
#include "GovFixture.h"
#include "ScriptedUi.h"
#include "GovOutput.h"
#include "TestBackend.h"

using namespace folha;
using namespace folha::gov;
using namespace folha::gov::testing;

namespace {

class SefipTest : public GovFixture {
protected:
    // Five workers of April 2013: an ordinary one whose registration changed,
    // a director of category 99 dismissed in the month, a return from a leave
    // kept in the leave history, one without amounts and one dismissed in
    // February.
    void month(bool leaveInHistory = true) {
        worker(*db, 1, "ANA", {{"ALT_CADAST", "E"}});
        worker(*db, 2, "BETO", {{"VINCULO", 99}, {"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
        worker(*db, 3, "CARLA", {{"DT_RETORNO", QDate(2013, 4, 16)}, {"CAUS_RETOR", "Z5"}});
        Table leaves(*db, "AFASTFUN");
        // An older leave and a dismissal code do not count; the last
        // temporary leave before the return does.
        for (const auto& [date, cause] : {std::pair{QDate(2012, 5, 2), "P1"}, std::pair{QDate(2013, 3, 1), "X "},
                                          std::pair{QDate(2013, 3, 20), "I1"}, std::pair{QDate(2013, 5, 2), "P2"}}) {
            if (!leaveInHistory && (QString(cause) == "X " || QString(cause) == "P1")) continue;
            Record l = leaves.newRecord();
            l.set("CODFUN", "000003");
            l.set("HCODIGO", "001");
            l.set("DATA", date);
            l.set("CAUS_RESC", cause);
            leaves.insert(l);
        }
        worker(*db, 4, "DARIO");
        worker(*db, 5, "EVA", {{"DT_AFAST", QDate(2013, 2, 10)}, {"CAUS_RESC", "I1"}, {"ALT_CADAST", "E"}});
        row(*db, 1, "130", "1234.5");
        row(*db, 1, "040", "33.16");
        row(*db, 2, "111", "2000.00");
        row(*db, 2, "130", "1800.00");
        row(*db, 2, "110", "220.00");
        row(*db, 3, "130", "1000.00");
        row(*db, 5, "130", "700.00");
    }
    GovFileResult run(const SefipOptions& o) { return SefipRun(*db, ui).run(o); }
    const QString cgc = QStringLiteral("00012345678909");
};

TEST_F(SefipTest, CompanyWithWorkersMovementsAndAdditionalValues) {
    month();
    SefipOptions o = sefipOptions();
    SefipAdditionalValues a;
    a.revenueType = "E";
    a.processNumber = "123";
    a.compensation = *Fixed::parse("10");
    a.compensationStart = "01/2013";
    a.compensationEnd = "03/2013";
    o.companies[0].additional = a;
    const GovFileResult r = run(o);
    ASSERT_TRUE(r.written) << ui.texts().join('\n').toStdString();
    const QStringList got = records(o.outputPath);
    const QStringList expected = {
        rec({"00", B(51), "1", "1", "44555666000181", L(30, "CONTABIL"), L(20, "MARIA"), L(50, "RUA B"), L(20, "SE"),
             "01002000", L(20, "SAO PAULO"), "SP", "001132221000", L(60, "a@b.c"), "201304", "115", "1", " ", B(8), "1",
             B(8), B(7), "1", "11444777000161", B(18), "*"}),
        rec({"10", "2", cgc, Z(36), L(40, "EMPRESA TESTE"), L(50, "RUA A"), L(20, "CENTRO"), "01001000",
             L(20, "SAO PAULO"), "SP", "001132220000", "N", "2599399", "N", "02", "0", "1", "507", "0115", "2100", B(5),
             "000000000003316", Z(15), Z(15), "0", Z(14), B(3), B(4), B(9), Z(45), B(4), "*"}),
        rec({"12", "2", cgc, Z(36), Z(15), Z(15), "E", Z(15), Z(15), "00000000123", B(4), B(5), B(6), B(6),
             "000000000001000", "201301", "201303", Z(15), Z(15), Z(15), Z(15), Z(15), Z(15), Z(15), Z(15), Z(15), Z(45),
             B(6), "*"}),
        rec({"14", "2", cgc, Z(36), "12000001116", "01032010", "01", L(70, "ANA"), "0001001", "00123", L(50, "RUA X"),
             L(20, "BAIRRO Y"), "01010000", L(20, "SAO PAULO"), "SP", B(103), "*"}),
        rec({"30", "2", cgc, B(15), "12000001116", "01032010", "01", L(70, "ANA"), "00000000001", "0001001", "00123",
             "01032010", "01011980", "04110", "000000000123450", Z(15), "  ", "  ", Z(15), Z(15), Z(15), Z(15), B(98),
             "*"}),
        rec({"30", "2", cgc, B(15), "12000002228", "01032010", "11", L(70, "BETO"), "00000000002", B(12), B(8), B(8),
             "04110", "000000000200000", Z(15), "  ", "  ", "000000000022000", Z(15), Z(15), Z(15), B(98), "*"}),
        rec({"32", "2", cgc, B(15), "12000002228", "01032010", "11", L(70, "BETO"), "I1", "20042013", "S", B(225), "*"}),
        rec({"30", "2", cgc, B(15), "12000003330", "01032010", "01", L(70, "CARLA"), "00000000003", "0001003", "00123",
             "01032010", "01011980", "04110", "000000000100000", Z(15), "  ", "  ", Z(15), Z(15), Z(15), Z(15), B(98),
             "*"}),
        rec({"32", "2", cgc, B(15), "12000003330", "01032010", "01", L(70, "CARLA"), "X ", "01032013", " ", B(225), "*"}),
        rec({"32", "2", cgc, B(15), "12000003330", "01032010", "01", L(70, "CARLA"), "Z5", "16042013", " ", B(225), "*"}),
        rec({"90", QString(51, '9'), B(306), "*"}),
    };
    ASSERT_EQ(got.size(), expected.size()) << got.join('\n').toStdString();
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].size(), 360) << i;
        EXPECT_EQ(got[i], expected[i]) << "record " << i;
    }
    EXPECT_EQ(r.records.at("30"), 3);
    EXPECT_EQ(r.records.at("32"), 3);
    // The FGTS question named the dismissed worker.
    EXPECT_TRUE(ui.texts("question").contains(QStringLiteral("O funcionário 000002-BETO\nRecolheu FGTS?")));
    // The company sent is registered.
    auto sent = Table(*db, "Sefip").find({cgc});
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->text("TIPO"), QStringLiteral("2"));
    EXPECT_EQ(sent->text("NOME"), QStringLiteral("EMPRESA TESTE"));
}

// A return whose leave neither the register nor the leave history gives
// stops the run naming the worker: the government's program refuses it.
TEST_F(SefipTest, AReturnWithoutItsLeaveStopsTheRun) {
    month(false);
    SefipOptions o = sefipOptions();
    EXPECT_FALSE(run(o).written);
    EXPECT_EQ(ui.texts("error"),
              QStringList{QStringLiteral("Funcionário 000003 - CARLA: retorno Z5 em 16/04/2013 sem o afastamento que ele "
                                         "encerra. Informe o afastamento em Afastamento de Funcionários ou no cadastro "
                                         "do funcionário.")});
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
}

TEST_F(SefipTest, TakerCompanyWritesTakerRecordsAndItsWorkers) {
    month();
    branch({{"COD_RFGTS", "150"}, {"CGC", "12345678000195"}});
    put(*db, "Tomador", {{"COD_TOMAD", "001"}, {"NOME", "OBRA"}, {"TIPO", "1"}, {"CGC", "11222333000181"},
                         {"RETENCAO", "110"}, {"FATURAS", "1000"}, {"UF", "SP"}});
    put(*db, "Tomador", {{"COD_TOMAD", "002"}, {"NOME", "SEM RETENCAO"}, {"TIPO", "1"}, {"CGC", "99888777000100"},
                         {"RETENCAO", "0"}});
    put(*db, "Tomador", {{"COD_TOMAD", "003"}, {"NOME", "OUTRA OBRA"}, {"TIPO", "2"}, {"CGC", "55666777000181"},
                         {"RETENCAO", "50"}});
    put(*db, "FUNTOMAD", {{"ANOMES", "201304"}, {"CODFUN", "000001"}, {"TOMADOR", "001"}, {"PIS", "12000001116"},
                          {"VALORAFAST", "12.34"}});
    SefipOptions o = sefipOptions("150");
    o.companies[0].additional = SefipAdditionalValues{};
    o.companies[0].additional->revenueType = "P";
    o.companies[0].additional->compensationTaker = "1";
    ASSERT_TRUE(run(o).written) << ui.texts().join('\n').toStdString();
    const QStringList got = records(o.outputPath);
    QStringList types;
    for (const QString& l : got) types << l.left(2);
    // No record 12 for code 150; only the type "1" taker with a retention.
    EXPECT_EQ(types, QStringList({"00", "10", "14", "20", "21", "30", "90"}));
    const QString r10 = got[1];
    EXPECT_EQ(r10.mid(2, 15), QStringLiteral("112345678000195"));
    EXPECT_EQ(r10.mid(234, 15), Z(15)); // the family allowance goes to the taker
    const QString r20 = got[3];
    EXPECT_EQ(r20, rec({"20", "1", "12345678000195", "1", "11222333000181", Z(21), L(40, "OBRA"), B(50), B(20), Z(8),
                        B(20), "SP", B(4), "000000000003316", Z(15), "0", Z(14), "000000000011000", "000000000100000",
                        Z(45), B(42), "*"}));
    EXPECT_EQ(got[4], rec({"21", "1", "12345678000195", "1", "11222333000181", Z(21), Z(15), B(6), B(6), Z(15),
                           Z(15), Z(15), Z(15), Z(15), B(204), "*"}));
    const QString r30 = got[5];
    EXPECT_EQ(r30.mid(17, 15), QStringLiteral("111222333000181"));
    EXPECT_EQ(r30.mid(32, 11), QStringLiteral("12000001116"));
    EXPECT_EQ(r30.mid(216, 15), QStringLiteral("000000000001234")); // the base from VALORAFAST
}

TEST_F(SefipTest, CompetenceThirteenWritesTheThirteenthBaseAndSkipsCategoryTwo) {
    branch({{"DATA_FOLHA", QDate(1998, 12, 31)}, {"TIPO_FOL", "D"}});
    worker(*db, 1, "ANA");
    worker(*db, 6, "AVULSO", {{"VINCULO", 2}});
    row(*db, 1, "113", "1500.00", "D", "1998", "12");
    row(*db, 6, "113", "500.00", "D", "1998", "12");
    SefipOptions o = sefipOptions();
    ASSERT_TRUE(run(o).written) << ui.texts().join('\n').toStdString();
    const QStringList got = records(o.outputPath);
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(got[0].mid(291, 6), QStringLiteral("199813"));
    EXPECT_EQ(got[0].mid(300, 2), QStringLiteral(" 1")); // no FGTS indicator, modality 1
    EXPECT_EQ(got[2].left(2), QStringLiteral("30"));
    EXPECT_EQ(got[2].mid(32, 11), QStringLiteral("12000001116"));
    EXPECT_EQ(got[2].mid(167, 30), Z(30));
    EXPECT_EQ(got[2].mid(231, 15), QStringLiteral("000000000150000"));
    EXPECT_EQ(got[2].mid(246, 15), Z(15));
    EXPECT_EQ(got[3].left(2), QStringLiteral("90"));
}

struct ValidationCase {
    QDate payrollDate;
    const char* sheet;
    const char* code;
    const char* message; // empty: the file is written
};

TEST_F(SefipTest, CompetenceValidation) {
    const ValidationCase cases[] = {
        {QDate(1997, 12, 31), "D", "115", "Nao Pode ser informada competencia 13 para ano menor que  1998!"},
        {QDate(1998, 12, 31), "D", "115", ""},
        {QDate(1998, 12, 31), "D", "130", "Codigo de Recolhimento invalido para a competencia 13!"},
        {QDate(2000, 2, 29), "F", "911", "Codigo do recolhimento invalido para esta mes/ano menor que 03/2000!"},
        {QDate(2000, 3, 31), "F", "911", ""},
        {QDate(1998, 9, 30), "F", "905", "Codigo do recolhimento invalido para o mes/ano menor que 10/1998!"},
        {QDate(1966, 1, 31), "F", "115", "Ano de Recolhimento Menor que 1967!"},
        {QDate(2013, 4, 30), "F", "906", "Recolhimento so pode ser cadastrado no SEFIP"},
    };
    // A worker with amounts in the competences that pass.
    worker(*db, 1, "ANA");
    row(*db, 1, "113", "100.00", "D", "1998", "12");
    row(*db, 1, "130", "100.00", "F", "2000", "03");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payrollDate.toString().toStdString() + " " + c.code);
        branch({{"DATA_FOLHA", c.payrollDate}, {"TIPO_FOL", c.sheet}, {"COD_RFGTS", c.code}});
        ui.entries.clear();
        QFile::remove(sefipOptions().outputPath);
        const GovFileResult r = run(sefipOptions(c.code));
        if (QString(c.message).isEmpty()) {
            EXPECT_TRUE(r.written) << ui.texts().join('\n').toStdString();
            EXPECT_TRUE(ui.texts("message").contains("Arquivo gerado com sucesso!"));
        } else {
            EXPECT_FALSE(r.written);
            EXPECT_EQ(ui.texts("error"), QStringList{QString::fromUtf8(c.message)});
            EXPECT_FALSE(QFile::exists(sefipOptions().outputPath));
        }
    }
}

TEST_F(SefipTest, UnknownResponsibleStops) {
    SefipOptions o = sefipOptions();
    o.responsible = "7";
    EXPECT_FALSE(run(o).written);
    EXPECT_EQ(ui.texts("error"), QStringList{QStringLiteral("Empresa responsavel, 007 não localizada!")});
}

namespace {

// A file left by an earlier run, its folder made when missing.
bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fileContent(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A target that cannot be written (here a folder stands where the file
// goes) is reported in Portuguese, and nothing is said to be written.
TEST_F(SefipTest, AFileThatCannotBeWrittenIsReportedInPortuguese) {
    month();
    const QString path = sefipOptions().outputPath;
    ASSERT_TRUE(QDir().mkpath(path));
    ScriptedUi yes({true});
    EXPECT_FALSE(SefipRun(*db, yes).run(sefipOptions()).written);
    const QStringList errors = yes.texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("Não foi possível gravar o arquivo %1: ").arg(path)))
        << errors.first().toStdString();
    EXPECT_TRUE(QFileInfo(path).isDir());
}

// Stopped by the person during the workers: no file, the old one kept.
TEST_F(SefipTest, ACancelledRunWritesNoFile) {
    month();
    const QString path = sefipOptions().outputPath;
    ASSERT_TRUE(writeFile(path, "ANTERIOR\r\n"));
    ScriptedUi stop({true});
    stop.cancelAfterSteps = 0;
    EXPECT_FALSE(SefipRun(*db, stop).run(sefipOptions()).written);
    EXPECT_EQ(stop.texts("error"),
              QStringList{QStringLiteral("Geração do arquivo interrompida pelo usuário: nenhum arquivo foi gravado.")});
    EXPECT_EQ(fileContent(path), QByteArray("ANTERIOR\r\n"));
}

TEST_F(SefipTest, ExistingFileIsKeptOnNoAndOnAStoppedRun) {
    month();
    const QString path = sefipOptions().outputPath;
    ASSERT_TRUE(writeFile(path, "ANTERIOR\r\n"));
    ScriptedUi no({false});
    EXPECT_FALSE(SefipRun(*db, no).run(sefipOptions()).written);
    EXPECT_EQ(no.texts("question"),
              QStringList{QStringLiteral("ARQUIVO c:\\CAIXA\\SEFIP\\SEFIP.TXT Ja existe. Regravar ? ")});
    auto content = [&] { return fileContent(path); };
    EXPECT_EQ(content(), QByteArray("ANTERIOR\r\n"));
    // A work-card number of eight digits does not fit its seven positions:
    // the run stops naming the worker and the file stays as it was.
    worker(*db, 7, "GUSTAVO", {{"NR_CART", "12345678"}});
    row(*db, 7, "130", "100");
    EXPECT_FALSE(run(sefipOptions()).written);
    EXPECT_EQ(content(), QByteArray("ANTERIOR\r\n"));
    EXPECT_EQ(ui.texts("error"), QStringList{QStringLiteral("O valor \"12345678\" do campo NR_CART não cabe nas 7 "
                                                            "posições do registro 30 do funcionário 000007 - GUSTAVO")});
    QDir dir(QFileInfo(path).absolutePath());
    EXPECT_EQ(dir.entryList(QDir::Files), QStringList{"SEFIP.TXT"}); // no temporary file left
}

TEST_F(SefipTest, SeveralCompaniesInOneFileAndSkippedCompanies) {
    month();
    auto db2 = folha::testing::OpenTestDatabase(d.file("empresa2"));
    db2->ensureSchema(Scope::Company);
    company(*db2, "98765432000198", "SEGUNDA");
    worker(*db2, 1, "ZECA");
    row(*db2, 1, "130", "500");
    auto db3 = folha::testing::OpenTestDatabase(d.file("empresa3"));
    db3->ensureSchema(Scope::Company);
    company(*db3, "11111111000191", "OUTRO CODIGO");
    Table f3(*db3, "Filial");
    Record b3 = *f3.find({"001"});
    b3.set("COD_RFGTS", "150");
    f3.save(b3);
    SefipOptions o = sefipOptions();
    o.companies.push_back(SefipCompany{{2, "SEGUNDA", db2.get()}, std::nullopt});
    o.companies.push_back(SefipCompany{{3, "OUTRO CODIGO", db3.get()}, std::nullopt});
    const GovFileResult r = run(o);
    ASSERT_TRUE(r.written);
    EXPECT_EQ(r.companiesWritten, 2);
    // The company blocks go by inscription type, then number, whatever the
    // order the companies were ticked in: the CNPJ (type 1) before the CEI
    // (type 2).
    QStringList types;
    for (const QString& l : records(o.outputPath)) types << l.left(2) + (l.left(2) == "10" ? l.mid(2, 15) : QString());
    EXPECT_EQ(types, QStringList({"00", "10198765432000198", "30", "10200012345678909", "14", "30", "30", "32", "30",
                                  "32", "32", "90"}));
    EXPECT_TRUE(Table(*db2, "Sefip").find({"98765432000198"}).has_value());
    EXPECT_FALSE(Table(*db3, "Sefip").find({"11111111000191"}).has_value());
}

TEST(GovRecordTest, FieldsArePaddedCutAndRefused) {
    GovRecord r("99", "do teste");
    r.money(3, 15, *Fixed::parse("1234.5"), "valor").text(18, 5, "ABCDEFG").code(23, 4, "XY", "c").number(27, 3, "7", "n");
    r.blanks(30, 330);
    const QString s = r.finish();
    EXPECT_EQ(s.left(29), QStringLiteral("99000000000123450ABCDEXY  007"));
    EXPECT_EQ(s.size(), 360);
    GovRecord wide("99", "do teste");
    EXPECT_THROW(wide.number(3, 2, "123", "n"), GovFileStop);
    GovRecord negative("99", "do teste");
    EXPECT_THROW(negative.money(3, 15, *Fixed::parse("-1"), "v"), GovFileStop);
    GovRecord shortRecord("99", "");
    EXPECT_THROW(shortRecord.finish(), std::logic_error);
    EXPECT_EQ(PeriodOfMonthText("03/2000", "p"), QStringLiteral("200003"));
    EXPECT_THROW(PeriodOfMonthText("2000-03", "p"), GovFileStop);
}

} // namespace

namespace {

class SefipSelectionTest : public SefipTest {};

TEST_F(SefipSelectionTest, IndividualListAndUnregisteredJob) {
    month();
    worker(*db, 8, "HUGO", {{"CARGO", 9}});
    row(*db, 8, "130", "100");
    SefipOptions o = sefipOptions();
    ASSERT_TRUE(run(o).written);
    EXPECT_TRUE(ui.texts("warning").contains(QStringLiteral("Cargo Nao Cadastrado no funcionário 000008-009")));
    // Only the listed workers; no registration records.
    {
        QFile list(d.file("201304F.TXT"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("000003 CARLA\r\n000004\r\n");
    }
    o.individual = true;
    o.employeeListFolder = d.path();
    ui.entries.clear();
    ASSERT_TRUE(run(o).written);
    QStringList types;
    for (const QString& l : records(o.outputPath)) types << l.left(2) + (l.startsWith("3") ? l.mid(32, 11) : QString());
    EXPECT_EQ(types, QStringList({"00", "10", "3012000003330", "3212000003330", "3212000003330", "90"}));
}

TEST_F(SefipSelectionTest, PisRangeLimitsTheWorkers) {
    month();
    SefipOptions o = sefipOptions();
    o.pisFrom = "12000002228";
    o.pisTo = "12000002228";
    ASSERT_TRUE(run(o).written);
    QStringList types;
    for (const QString& l : records(o.outputPath)) types << l.left(2);
    EXPECT_EQ(types, QStringList({"00", "10", "30", "32", "90"}));
}

} // namespace
