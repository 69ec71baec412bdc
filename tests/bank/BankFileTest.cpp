// The salary-payment file of a sheet: who is paid, in which batch, who is
// left out and why, the trailers' totals, and the bank's return read back.
#include "BankFixture.h"

#include <QFileInfo>

namespace folha::bank::testing {
namespace {

// Itaú's header company part (SISPAG versão 085, NOTA 1): no agreement,
// agency, account and DAC apart.
const QString Payer = rec({"2", "11222333000181", B(20), "01234", " ", "000000056789", " ", "0",
                           L(30, "EMPRESA TESTE LTDA")});

QString batchHeader(int batch, const char* service, const char* form) {
    return rec({"341", N(4, QString::number(batch)), "1", "C", service, form, "040", " ", Payer, B(30), B(10),
                L(30, "RUA A"), "00100", B(15), L(20, "SAO PAULO"), "01001000", "SP", B(8), B(10)});
}

class BankFileTest : public BankFixture {};

// The fixture's branch pays through Itaú: the whole file in the layout of
// "SISPAG - Layout de Arquivos CNAB" versão 085.
TEST_F(BankFileTest, SameBankAndOtherBanksInTheirBatches) {
    const BankFileResult r = WriteBankFile(*db, ui, options());
    ASSERT_TRUE(r.written);
    const QStringList lines = records(r.path);
    // Segment A from position 44 to the CPF: name, seu número, date, REA,
    // ISPB and PIX type blank, value, return fields.
    const auto middle = [](const char* name, const char* yourNumber, const char* cents) {
        return rec({L(30, name), L(20, yourNumber), "05022026", "REA", B(8), B(2), Z(5), N(15, cents), B(15), B(5),
                    Z(8), Z(15), B(20), Z(6)});
    };
    const QStringList expected = {
        rec({"341", "0000", "0", B(6), "080", Payer, L(30, "BANCO ITAU SA"), B(10), "1", "03022026", "102030", Z(9),
             Z(5), B(69)}),
        batchHeader(1, "30", "01"),
        rec({"341", "0001", "3", "00001", "A", "000", "000", "341", "0", "1234", " ", "000000", "011111", " ", "5",
             middle("JOSE DA SILVA", "000001202601F", "150000"), "000" + Cpf(1), B(2), B(5), B(5), "0", B(10)}),
        rec({"341", "0001", "3", "00002", "A", "000", "000", "341", "0", "0321", " ", "000000", "066666", " ", "1",
             middle("RITA ITAU", "000006202601F", "99999"), "000" + Cpf(6), B(2), B(5), B(5), "0", B(10)}),
        // 1.500,00 + 999,99
        rec({"341", "0001", "5", B(9), "000004", N(18, "249999"), Z(18), B(171), B(10)}),
        batchHeader(2, "98", "41"),
        rec({"341", "0002", "3", "00001", "A", "000", "000", "001", "02345", " ", "000000022222", " ", "X",
             middle("MARIA CONCEICAO", "000002202601F", "234567"), "000" + Cpf(2), B(2), "00004", B(5), "0",
             B(10)}),
        rec({"341", "0002", "3", "00002", "B", B(3), "1", "000" + Cpf(2), L(30, "RUA X"), "00012", B(15),
             L(15, "BAIRRO Y"), L(20, "SAO PAULO"), "01010000", "SP", B(100), B(3), B(10)}),
        rec({"341", "0002", "5", B(9), "000004", N(18, "234567"), Z(18), B(171), B(10)}),
        rec({"341", "9999", "9", B(9), "000002", "000010", B(211)}),
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "linha " << i + 1;

    EXPECT_EQ(r.batches, 2);
    EXPECT_EQ(r.records, 10);
    EXPECT_EQ(r.credits.size(), 3u);
    EXPECT_EQ(r.total, *Fixed::parse("4845.66")); // 1.500,00 + 999,99 + 2.345,67
    EXPECT_EQ(r.sequence, 5);
    // The branch keeps the number of the file sent.
    EXPECT_EQ(Table(*db, "Filial").find({"001"})->number("NSA_PAGTO"), Fixed::fromInt(5));
}

TEST_F(BankFileTest, ExclusionsAreListedNeverWrittenWithBlanks) {
    BankFileResult r = WriteBankFile(*db, ui, options());
    ASSERT_EQ(r.exclusions.size(), 3u);
    EXPECT_EQ(r.exclusions[0].employeeCode, QString("000003"));
    EXPECT_EQ(r.exclusions[0].reason, QString("sem conta bancária no cadastro"));
    EXPECT_EQ(r.exclusions[0].net, *Fixed::parse("1000"));
    EXPECT_EQ(r.exclusions[1].employeeCode, QString("000004"));
    EXPECT_EQ(r.exclusions[1].reason, QString("dígito da conta não informado"));
    EXPECT_EQ(r.exclusions[2].employeeCode, QString("000007"));
    EXPECT_EQ(r.exclusions[2].reason, QString("recebe por cheque salário (campo Cheque do cadastro)"));
    // Neither is in the file, nor the employee without a net.
    const QString text = records(r.path).join('\n');
    EXPECT_FALSE(text.contains("PEDRO"));
    EXPECT_FALSE(text.contains("ANA SEM DIGITO"));
    EXPECT_FALSE(text.contains("CARLOS"));
    EXPECT_FALSE(text.contains("TIAGO"));
}

// Itaú accounts its layout cannot carry (NOTA 11 a) are left out in an
// Itaú file, and paid by TED from a FEBRABAN bank.
TEST_F(BankFileTest, ItauAccountsItsLayoutCannotCarryAreLeftOut) {
    employee(8, "LUIZ CONTA LONGA", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 1234567}, {"CTA_DV", "3"}});
    employee(9, "EVA DAC LETRA", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 99999}, {"CTA_DV", "X"}});
    net(8, "100.00");
    net(9, "200.00");
    BankFileResult r = WriteBankFile(*db, ui, options());
    QStringList reasons;
    for (const BankExclusion& e : r.exclusions) reasons << e.employeeCode + ": " + e.reason;
    EXPECT_EQ(reasons, QStringList({"000003: sem conta bancária no cadastro", "000004: dígito da conta não informado",
                                    "000007: recebe por cheque salário (campo Cheque do cadastro)",
                                    "000008: conta Itaú com mais de 6 algarismos: 1234567",
                                    "000009: DAC da conta Itaú não numérico: \"X\""}));
    setBank("001");
    BankFileOptions o = options();
    o.outputPath = d.file("saida/PAG001.REM");
    r = WriteBankFile(*db, ui, o);
    EXPECT_EQ(r.exclusions.size(), 3u);
    EXPECT_EQ(r.credits.size(), 5u);
}

TEST_F(BankFileTest, RangeSheetPixAndSequence) {
    BankFileOptions o = options();
    o.firstEmployee = "000001";
    o.lastEmployee = "000002";
    o.otherBanks = OtherBanks::Pix;
    o.sequence = 42;
    o.bank = "001"; // FEBRABAN: the sequence in the file header
    BankFileResult r = WriteBankFile(*db, ui, o);
    QStringList lines = records(r.path);
    ASSERT_EQ(lines.size(), 9); // header, batch 1 (Maria: 3), batch 2 (José by PIX: 4), trailer
    EXPECT_EQ(lines[0].mid(157, 6), QString("000042"));
    EXPECT_EQ(lines[4].mid(11, 2), QString("45"));  // forma de lançamento PIX transferência
    EXPECT_EQ(lines[5].mid(17, 3), QString("009")); // câmara PIX
    EXPECT_EQ(lines[8], rec({"001", "9999", "9", B(9), "000002", "000009", Z(6), B(205)}));

    // The advance sheet pays its own net.
    o = options();
    o.sheet = "A";
    o.outputPath = d.file("saida/ADIANTAMENTO.REM");
    r = WriteBankFile(*db, ui, o);
    lines = records(r.path);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[2].mid(73, 20), L(20, "000001202601A"));
    EXPECT_EQ(lines[2].mid(119, 15), N(15, "60000"));
}

// Itaú takes PIX only in a file without other forms of payment (SISPAG
// versão 085, item 2.2): refused beside the batch of Itaú accounts, written
// alone as tipo 98, forma 45.
TEST_F(BankFileTest, ItauPixOnlyInAFileOfItsOwn) {
    BankFileOptions o = options();
    o.otherBanks = OtherBanks::Pix;
    try {
        WriteBankFile(*db, ui, o);
        ADD_FAILURE();
    } catch (const BankFileStop& e) {
        EXPECT_TRUE(e.message().contains("PIX num arquivo sem outras formas")) << e.message().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
    EXPECT_EQ(Table(*db, "Filial").find({"001"})->number("NSA_PAGTO"), Fixed::fromInt(4));

    o.firstEmployee = o.lastEmployee = "000002"; // Maria, in Banco do Brasil
    const QStringList lines = records(WriteBankFile(*db, ui, o).path);
    ASSERT_EQ(lines.size(), 6); // header, batch header, A, B, batch trailer, trailer
    EXPECT_EQ(lines[1].mid(9, 4), QString("9845"));
    EXPECT_EQ(lines[2].mid(17, 3), QString("009"));
}

TEST_F(BankFileTest, AnotherProfileByOption) {
    BankFileOptions o = options();
    o.bank = "001";
    const BankFileResult r = WriteBankFile(*db, ui, o);
    const QStringList lines = records(r.path);
    // Maria is now in the paying bank; José and Rita go by TED.
    EXPECT_EQ(lines[0].left(3), QString("001"));
    EXPECT_EQ(lines[0].mid(102, 30), L(30, "BANCO DO BRASIL SA"));
    EXPECT_EQ(lines[1].mid(11, 2), QString("01"));
    EXPECT_EQ(lines[2].mid(43, 30), L(30, "MARIA CONCEICAO"));
    EXPECT_EQ(lines[4].mid(11, 2), QString("41"));
}

// The branch's layout versions (page Banco) replace the profile's in the
// file header (FEBRABAN 164-166, Itaú 15-17) and in every batch header
// (14-16); nothing else changes.
TEST_F(BankFileTest, LayoutVersionsOfTheBranch) {
    struct Case {
        const char* bank;
        int fileAt; // 0-based
        const char* fileStandard;
        const char* batchStandard;
    };
    for (const Case& c : {Case{"341", 14, "080", "040"}, Case{"001", 163, "103", "046"}}) {
        setBank(c.bank);
        setVersions("081", "045");
        BankFileOptions o = options();
        o.sequence = 9;
        o.outputPath = d.file(QStringLiteral("saida/VERSOES%1.REM").arg(c.bank));
        const QStringList lines = records(WriteBankFile(*db, ui, o).path);
        setVersions("", "");
        o.outputPath = d.file(QStringLiteral("saida/PADRAO%1.REM").arg(c.bank));
        const QStringList standard = records(WriteBankFile(*db, ui, o).path);
        ASSERT_EQ(standard.size(), lines.size()) << c.bank;
        EXPECT_EQ(lines[0].mid(c.fileAt, 3), QString("081")) << c.bank;
        EXPECT_EQ(standard[0].mid(c.fileAt, 3), QString(c.fileStandard)) << c.bank;
        int batches = 0;
        for (int i = 0; i < lines.size(); ++i) {
            QString a = lines[i], b = standard[i];
            if (i == 0) {
                a.remove(c.fileAt, 3);
                b.remove(c.fileAt, 3);
            } else if (a.at(7) == '1') {
                ++batches;
                EXPECT_EQ(a.mid(13, 3), QString("045")) << c.bank << " linha " << i + 1;
                EXPECT_EQ(b.mid(13, 3), QString(c.batchStandard)) << c.bank << " linha " << i + 1;
                a.remove(13, 3);
                b.remove(13, 3);
            }
            EXPECT_EQ(a, b) << c.bank << " linha " << i + 1;
        }
        EXPECT_EQ(batches, 2) << c.bank;
    }
}

// A version typed wrong in the branch stops the run before anything is
// written or numbered, and says which field to correct.
TEST_F(BankFileTest, WrongLayoutVersionStopsTheRun) {
    struct Case {
        const char* file;
        const char* batch;
        const char* message;
    };
    const Case cases[] = {
        {"81", "", "Versão do leiaute do arquivo inválida: \"81\" (3 algarismos, como o banco indicar)."},
        {"08A", "", "Versão do leiaute do arquivo inválida: \"08A\" (3 algarismos, como o banco indicar)."},
        {"", "4O5", "Versão do leiaute do lote inválida: \"4O5\" (3 algarismos, como o banco indicar)."},
    };
    for (const Case& c : cases) {
        setVersions(c.file, c.batch);
        try {
            WriteBankFile(*db, ui, options());
            ADD_FAILURE() << c.message;
        } catch (const BankFileStop& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
        EXPECT_FALSE(QFileInfo::exists(options().outputPath)) << c.message;
        EXPECT_EQ(Table(*db, "Filial").find({"001"})->number("NSA_PAGTO"), Fixed::fromInt(4)) << c.message;
    }
}

TEST_F(BankFileTest, StopsWithoutPayerDataOrPayees) {
    put("Filial", {{"CODIGO", "001"}, {"NOME", "EMPRESA TESTE LTDA"}, {"CGC", "11222333000181"},
                   {"DATA_FOLHA", QDate(2026, 1, 31)}, {"BCO_PAGTO", "341"}});
    try {
        WriteBankFile(*db, ui, options());
        FAIL();
    } catch (const BankFileStop& e) {
        EXPECT_TRUE(e.message().contains("Agência da Empresa")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("página Banco"));
    }
    EXPECT_FALSE(QFileInfo::exists(options().outputPath));

    SetUp(); // a fresh company
    BankFileOptions o = options();
    o.sheet = "D"; // no 13th salary this month
    EXPECT_THROW(WriteBankFile(*db, ui, o), BankFileStop);
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));
}

// The company's account digit is Itaú's DAC, a digit (header position 72,
// 9(01)); a FEBRABAN bank takes a letter.
TEST_F(BankFileTest, ItauCompanyDacIsADigit) {
    Table branches(*db, QStringLiteral("Filial"));
    Record branch = *branches.find({"001"});
    branch.set("CTA_PAGDV", "X");
    branches.update(branch);
    try {
        WriteBankFile(*db, ui, options());
        ADD_FAILURE();
    } catch (const BankFileStop& e) {
        EXPECT_TRUE(e.message().contains("(DAC da Conta (um algarismo))")) << e.message().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(options().outputPath));
    setBank("237");
    const QStringList lines = records(WriteBankFile(*db, ui, options()).path);
    EXPECT_EQ(lines[0].mid(70, 1), QString("X")); // FEBRABAN: dígito da conta in 71
}

TEST_F(BankFileTest, ExistingFileKeptOnNo) {
    QDir().mkpath(d.file("saida"));
    QFile f(options().outputPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("antigo");
    f.close();
    ScriptedUi no({false});
    const BankFileResult r = WriteBankFile(*db, no, options());
    EXPECT_FALSE(r.written);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("antigo"));
    // The sequence is not spent on a file not written.
    EXPECT_EQ(Table(*db, "Filial").find({"001"})->number("NSA_PAGTO"), Fixed::fromInt(4));
}

TEST_F(BankFileTest, RefusesTheSystemsFoldersAndAFolderThatIsAFile) {
    // A folder of the installation (it holds the program's settings).
    QDir().mkpath(d.file("programa"));
    QFile ini(d.file("programa/Aliases.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.close();
    BankFileOptions o = options();
    o.outputPath = d.file("programa/PAG341.REM");
    EXPECT_THROW(WriteBankFile(*db, ui, o), UserError);
    EXPECT_FALSE(QFileInfo::exists(o.outputPath));

    // A file where the folder should be: the system's refusal, nothing written.
    QFile blocker(d.file("arquivo"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    o.outputPath = d.file("arquivo/PAG341.REM");
    try {
        WriteBankFile(*db, ui, o);
        FAIL();
    } catch (const BankFileStop& e) {
        EXPECT_TRUE(e.message().contains(d.file("arquivo"))) << e.message().toStdString();
    }
    // No sequence spent on a file not written.
    EXPECT_EQ(Table(*db, "Filial").find({"001"})->number("NSA_PAGTO"), Fixed::fromInt(4));
}

// The written file as the bank would answer it: "2" in position 143, the
// occurrences of each credit in 231-240, the date and value paid.
QByteArray answer(const QStringList& lines, const QMap<QString, QString>& codesByEmployee) {
    QByteArray out;
    for (QString l : lines) {
        if (l.at(7) == '0') l[142] = '2';
        if (l.at(7) == '1') l.replace(230, 10, L(10, "00"));
        if (l.at(7) == '3' && l.at(13) == 'A') {
            const QString codes = codesByEmployee.value(l.mid(73, 6));
            l.replace(230, 10, L(10, codes));
            if (codes == "00") {
                l.replace(154, 8, "05022026");
                l.replace(162, 15, l.mid(119, 15));
            }
        }
        out += l.toLatin1() + "\r\n";
    }
    return out;
}

// Each bank's return read with its own occurrence codes: FEBRABAN G059
// and Itaú's NOTA 8 (SISPAG versão 085), where the same two letters may
// say other things ("AG").
struct ReturnCase {
    const char* bank;
    int sequence; // Itaú's header has no file sequence number
    const char* paid;
    const char* scheduled;
    const char* refused;
    const char* unknown;
    const char* ritaAccount; // as the listing shows it
    const char* mariaAccount;
    const char* listingHead;
};

const ReturnCase ReturnCases[] = {
    {"001", 5, "00 - Crédito ou débito efetivado", "BD - Inclusão efetuada com sucesso",
     "AN - Conta corrente/DV do favorecido inválido; AG - Agência/conta corrente/DV inválido",
     "ZZ - ocorrência sem descrição na tabela FEBRABAN", "00321-/000000066666-1", "02345-6/000000022222-X",
     "Retorno do banco 001, arquivo 5 de 03/02/2026, empresa EMPRESA TESTE LTDA"},
    {"341", 0, "00 - Pagamento efetuado", "BD - Pagamento agendado",
     "AN - Conta corrente do favorecido inválida; AG - Número do lote inválido",
     "ZZ - ocorrência sem descrição na tabela do Itaú (SISPAG, nota 8)", "0321/066666-1", "02345/000000022222-X",
     "Retorno do banco 341, arquivo de 03/02/2026, empresa EMPRESA TESTE LTDA"},
};

TEST_F(BankFileTest, ReturnReadBack) {
    for (const ReturnCase& c : ReturnCases) {
        setBank(c.bank);
        BankFileOptions o = options();
        o.outputPath = d.file(QStringLiteral("saida/PAG%1.REM").arg(c.bank));
        const BankFileResult r = WriteBankFile(*db, ui, o);
        const QByteArray bytes = answer(records(r.path), {{"000001", "00"}, {"000006", "BD"}, {"000002", "ANAG"}});
        const BankReturnFile back = ParseBankReturn(bytes);
        EXPECT_EQ(back.bank, QString(c.bank));
        EXPECT_EQ(back.sequence, c.sequence) << c.bank;
        EXPECT_EQ(back.generated, QDate(2026, 2, 3));
        EXPECT_TRUE(back.batchOccurrences.isEmpty());
        ASSERT_EQ(back.payments.size(), 3u);

        struct Expected {
            const char* name;
            const char* amount;
            PaymentStatus status;
            const char* words;
            const char* account;
        };
        const QMap<QString, Expected> expected = {
            {"000001", {"JOSE DA SILVA", "1500", PaymentStatus::Paid, c.paid, nullptr}},
            {"000006", {"RITA ITAU", "999.99", PaymentStatus::Scheduled, c.scheduled, c.ritaAccount}},
            {"000002", {"MARIA CONCEICAO", "2345.67", PaymentStatus::Refused, c.refused, c.mariaAccount}},
        };
        for (const ReturnPayment& p : back.payments) {
            ASSERT_TRUE(expected.contains(p.employeeCode)) << p.employeeCode.toStdString();
            const Expected& e = expected[p.employeeCode];
            EXPECT_EQ(p.name, QString(e.name)) << c.bank;
            EXPECT_EQ(p.amount, *Fixed::parse(e.amount)) << c.bank;
            EXPECT_EQ(p.status, e.status) << c.bank << " " << e.name;
            EXPECT_EQ(p.occurrencesText(), QString::fromUtf8(e.words)) << c.bank;
            if (e.account) {
                EXPECT_EQ(p.agency + "/" + p.account, QString(e.account)) << c.bank << " " << e.name;
            }
            if (p.status == PaymentStatus::Paid) {
                EXPECT_EQ(p.realDate, QDate(2026, 2, 5));
                EXPECT_EQ(p.realAmount, *Fixed::parse("1500"));
            }
        }
        EXPECT_EQ(back.paid(), 1);
        EXPECT_EQ(back.scheduled(), 1);
        EXPECT_EQ(back.refused(), 1);
        const QStringList listing = BankReturnLines(back);
        EXPECT_EQ(listing.first(), QString::fromUtf8(c.listingHead));
        EXPECT_EQ(listing.last(), QString("Pagos: 1 (1.500,00); agendados: 1; recusados: 1"));
        const LayoutDialect dialect = ProfileOfBank(c.bank).dialect;
        EXPECT_EQ(OccurrenceText("ZZ", dialect), QString::fromUtf8(c.unknown));
    }
}

// The status of a credit by its codes, in each bank's table.
TEST(BankReturnCodes, StatusOfCodes) {
    struct Case {
        LayoutDialect dialect;
        QStringList codes;
        PaymentStatus status;
    };
    const Case cases[] = {
        {LayoutDialect::Febraban, {"00"}, PaymentStatus::Paid},
        {LayoutDialect::Febraban, {"BD"}, PaymentStatus::Scheduled},
        {LayoutDialect::Febraban, {"BD", "BE"}, PaymentStatus::Scheduled},
        {LayoutDialect::Febraban, {"FC"}, PaymentStatus::Refused},
        {LayoutDialect::Febraban, {"BD", "AN"}, PaymentStatus::Refused},
        {LayoutDialect::Febraban, {}, PaymentStatus::Refused},
        {LayoutDialect::ItauSispag, {"00"}, PaymentStatus::Paid},
        {LayoutDialect::ItauSispag, {"FC"}, PaymentStatus::Paid},
        {LayoutDialect::ItauSispag, {"BD", "AE"}, PaymentStatus::Scheduled},
        {LayoutDialect::ItauSispag, {"BF"}, PaymentStatus::Refused},
        {LayoutDialect::ItauSispag, {"IM"}, PaymentStatus::Refused},
        {LayoutDialect::ItauSispag, {}, PaymentStatus::Refused},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StatusOfCodes(c.codes, c.dialect), c.status) << c.codes.join(',').toStdString();
}

// A batch the bank refused is said with the bank's words.
TEST_F(BankFileTest, RejectedBatchIsSaid) {
    struct Case {
        const char* bank;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"001", "lote 2: HA - Lote não aceito", "lote 2: HF - Conta corrente da empresa com saldo insuficiente"},
        {"341", "lote 2: HA - Erro no lote", "lote 2: HF - ocorrência sem descrição na tabela do Itaú (SISPAG, nota 8)"},
    };
    for (const Case& c : cases) {
        setBank(c.bank);
        BankFileOptions o = options();
        o.outputPath = d.file(QStringLiteral("saida/PAG%1.REM").arg(c.bank));
        const QStringList lines = records(WriteBankFile(*db, ui, o).path);
        int second = 0; // the line of batch 2's header
        while (lines[second].mid(3, 5) != "00021") ++second;
        EXPECT_TRUE(ParseBankReturn(answer(lines, {})).batchOccurrences.isEmpty()); // answer() writes "00"
        QList<QByteArray> raw = answer(lines, {}).split('\n');
        raw[second].replace(230, 10, "HAHF      ");
        const BankReturnFile refused = ParseBankReturn(raw.join('\n'));
        EXPECT_EQ(refused.batchOccurrences, QStringList({c.first, c.second})) << c.bank;
    }
}

struct DamageCase {
    const char* what;
    std::function<QByteArray(QByteArray)> damage;
    const char* message; // part of the message
};

TEST_F(BankFileTest, DamagedReturnNamesTheLine) {
    const BankFileResult r = WriteBankFile(*db, ui, options());
    const QStringList lines = records(r.path);
    const QByteArray good = answer(lines, {{"000001", "00"}});
    ASSERT_NO_THROW(ParseBankReturn(good));
    const DamageCase cases[] = {
        {"cortado no meio da linha 7", [](QByteArray b) { return b.left(6 * 242 + 100); },
         "linha 7: o registro tem 100 posições"},
        {"sem o trailer", [](QByteArray b) { return b.left(9 * 242); }, "termina na linha 9 sem o trailer do arquivo"},
        {"trailer do lote alterado",
         [](QByteArray b) {
             b.replace(4 * 242 + 17, 6, "000005");
             return b;
         },
         "linha 5: o trailer do lote 1 conta 5 registros, o lote tem 4"},
        {"tipo de registro desconhecido",
         [](QByteArray b) {
             b[3 * 242 + 7] = '7';
             return b;
         },
         "linha 4: tipo de registro desconhecido \"7\""},
        {"valor não numérico",
         [](QByteArray b) {
             b[2 * 242 + 125] = 'X';
             return b;
         },
         "linha 3: o campo Valor do Pagamento (posições 120 a 134) não é numérico"},
        {"a remessa em vez do retorno",
         [](QByteArray b) {
             b[142] = '1';
             return b;
         },
         "linha 1: não é um arquivo de retorno"},
        {"vazio", [](QByteArray) { return QByteArray(); }, "O arquivo de retorno está vazio."},
    };
    for (const DamageCase& c : cases) {
        try {
            ParseBankReturn(c.damage(good));
            ADD_FAILURE() << c.what;
        } catch (const BankFileStop& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.what << ": " << e.message().toStdString();
        }
    }
    // The file on disk: a missing one says so.
    EXPECT_THROW(ReadBankReturn(d.file("nao-existe.RET")), BankFileStop);
}

} // namespace
} // namespace folha::bank::testing
