// The salary-payment file of a sheet: who is paid, in which batch, who is
// left out and why, the trailers' totals, and the bank's return read back.
#include "BankFixture.h"

#include <QFileInfo>

namespace folha::bank::testing {
namespace {

const QString Payer = rec({"2", "11222333000181", L(20, "123456"), "01234", " ", "000000056789", "0", " ",
                           L(30, "EMPRESA TESTE LTDA")});

QString batchHeader(int batch, const char* form) {
    return rec({"341", N(4, QString::number(batch)), "1", "C", "30", form, "046", " ", Payer, B(40), L(30, "RUA A"),
                "00100", B(15), L(20, "SAO PAULO"), "01001", "000", "SP", "01", B(6), B(10)});
}

class BankFileTest : public BankFixture {};

TEST_F(BankFileTest, SameBankAndOtherBanksInTheirBatches) {
    const BankFileResult r = WriteBankFile(*db, ui, options());
    ASSERT_TRUE(r.written);
    const QStringList lines = records(r.path);
    const QStringList expected = {
        rec({"341", "0000", "0", B(9), Payer, L(30, "BANCO ITAU SA"), B(10), "1", "03022026", "102030", "000005", "103",
             Z(5), B(20), B(20), B(29)}),
        batchHeader(1, "01"),
        rec({"341", "0001", "3", "00001", "A", "0", "00", "000", "341", "01234", " ", "000000011111", "5", " ",
             L(30, "JOSE DA SILVA"), L(20, "000001202601F"), "05022026", "BRL", Z(15), N(15, "150000"), B(20), Z(8),
             Z(15), B(40), B(2), B(5), B(2), B(3), "0", B(10)}),
        rec({"341", "0001", "3", "00002", "A", "0", "00", "000", "341", "00321", " ", "000000066666", "1", " ",
             L(30, "RITA ITAU"), L(20, "000006202601F"), "05022026", "BRL", Z(15), N(15, "99999"), B(20), Z(8), Z(15),
             B(40), B(2), B(5), B(2), B(3), "0", B(10)}),
        // 1.500,00 + 999,99
        rec({"341", "0001", "5", B(9), "000004", N(18, "249999"), Z(18), Z(6), B(165), B(10)}),
        batchHeader(2, "41"),
        rec({"341", "0002", "3", "00001", "A", "0", "00", "018", "001", "02345", "6", "000000022222", "X", " ",
             L(30, "MARIA CONCEICAO"), L(20, "000002202601F"), "05022026", "BRL", Z(15), N(15, "234567"), B(20), Z(8),
             Z(15), B(40), "06", B(5), B(2), B(3), "0", B(10)}),
        rec({"341", "0002", "3", "00002", "B", B(3), "1", "000" + Cpf(2), L(30, "RUA X"), "00012", B(15),
             L(15, "BAIRRO Y"), L(20, "SAO PAULO"), "01010", "000", "SP", "05022026", N(15, "234567"), Z(15), Z(15),
             Z(15), Z(15), L(15, "000002"), "0", Z(6), Z(8)}),
        rec({"341", "0002", "5", B(9), "000004", N(18, "234567"), Z(18), Z(6), B(165), B(10)}),
        rec({"341", "9999", "9", B(9), "000002", "000010", Z(6), B(205)}),
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
    const BankFileResult r = WriteBankFile(*db, ui, options());
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

TEST_F(BankFileTest, RangeSheetPixAndSequence) {
    BankFileOptions o = options();
    o.firstEmployee = "000001";
    o.lastEmployee = "000002";
    o.otherBanks = OtherBanks::Pix;
    o.sequence = 42;
    BankFileResult r = WriteBankFile(*db, ui, o);
    QStringList lines = records(r.path);
    ASSERT_EQ(lines.size(), 9); // header, batch 1 (3), batch 2 (4), trailer
    EXPECT_EQ(lines[0].mid(157, 6), QString("000042"));
    EXPECT_EQ(lines[4].mid(11, 2), QString("45"));  // forma de lançamento PIX transferência
    EXPECT_EQ(lines[5].mid(17, 3), QString("009")); // câmara PIX
    EXPECT_EQ(lines[8], rec({"341", "9999", "9", B(9), "000002", "000009", Z(6), B(205)}));

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
// file header (164-166) and in every batch header (14-16).
TEST_F(BankFileTest, LayoutVersionsOfTheBranch) {
    setVersions("081", "040");
    const BankFileResult r = WriteBankFile(*db, ui, options());
    const QStringList lines = records(r.path);
    ASSERT_EQ(lines.size(), 10); // header, batch 1 (2 credits), batch 2 (1 credit, A and B), trailer
    EXPECT_EQ(lines[0].mid(163, 3), QString("081"));
    EXPECT_EQ(lines[1].mid(13, 3), QString("040"));
    EXPECT_EQ(lines[5].mid(13, 3), QString("040"));
    // Everything else as with the FEBRABAN versions.
    setVersions("", "");
    BankFileOptions o = options();
    o.outputPath = d.file("saida/PADRAO.REM");
    o.sequence = r.sequence;
    const QStringList standard = records(WriteBankFile(*db, ui, o).path);
    ASSERT_EQ(standard.size(), lines.size());
    EXPECT_EQ(standard[0].mid(163, 3), QString("103"));
    EXPECT_EQ(standard[1].mid(13, 3), QString("046"));
    for (int i : {0, 1, 5}) {
        QString a = lines[i], b = standard[i];
        const int at = i == 0 ? 163 : 13;
        EXPECT_EQ(a.remove(at, 3), b.remove(at, 3)) << i;
    }
    for (int i : {2, 3, 4, 6, 7, 8, 9}) EXPECT_EQ(lines[i], standard[i]) << i;
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

TEST_F(BankFileTest, ReturnReadBack) {
    const BankFileResult r = WriteBankFile(*db, ui, options());
    const QByteArray bytes = answer(records(r.path), {{"000001", "00"}, {"000006", "BD"}, {"000002", "ANAG"}});
    const BankReturnFile back = ParseBankReturn(bytes);
    EXPECT_EQ(back.bank, QString("341"));
    EXPECT_EQ(back.sequence, 5);
    EXPECT_EQ(back.generated, QDate(2026, 2, 3));
    EXPECT_TRUE(back.batchOccurrences.isEmpty());
    ASSERT_EQ(back.payments.size(), 3u);

    struct Expected {
        const char* code;
        const char* name;
        const char* amount;
        PaymentStatus status;
        const char* words;
    };
    const Expected expected[] = {
        {"000001", "JOSE DA SILVA", "1500", PaymentStatus::Paid, "00 - Crédito ou débito efetivado"},
        {"000006", "RITA ITAU", "999.99", PaymentStatus::Scheduled, "BD - Inclusão efetuada com sucesso"},
        {"000002", "MARIA CONCEICAO", "2345.67", PaymentStatus::Refused,
         "AN - Conta corrente/DV do favorecido inválido; AG - Agência/conta corrente/DV inválido"},
    };
    for (size_t i = 0; i < 3; ++i) {
        const ReturnPayment& p = back.payments[i];
        EXPECT_EQ(p.employeeCode, QString(expected[i].code));
        EXPECT_EQ(p.name, QString(expected[i].name));
        EXPECT_EQ(p.amount, *Fixed::parse(expected[i].amount));
        EXPECT_EQ(p.status, expected[i].status);
        EXPECT_EQ(p.occurrencesText(), QString::fromUtf8(expected[i].words));
    }
    EXPECT_EQ(back.payments[0].realDate, QDate(2026, 2, 5));
    EXPECT_EQ(back.payments[0].realAmount, *Fixed::parse("1500"));
    EXPECT_EQ(back.paid(), 1);
    EXPECT_EQ(back.scheduled(), 1);
    EXPECT_EQ(back.refused(), 1);
    const QStringList listing = BankReturnLines(back);
    EXPECT_EQ(listing.last(), QString("Pagos: 1 (1.500,00); agendados: 1; recusados: 1"));
    EXPECT_EQ(OccurrenceText("ZZ"), QString("ZZ - ocorrência sem descrição na tabela FEBRABAN"));
}

TEST_F(BankFileTest, RejectedBatchIsSaid) {
    const BankFileResult r = WriteBankFile(*db, ui, options());
    QStringList lines = records(r.path);
    lines[5].replace(230, 10, L(10, "HAHF")); // batch 2 refused: no funds
    const BankReturnFile back = ParseBankReturn(answer(lines, {}));
    ASSERT_EQ(back.batchOccurrences.size(), 0); // answer() rewrites the batch headers with "00"
    QByteArray bytes = answer(lines, {});
    QList<QByteArray> raw = bytes.split('\n');
    raw[5].replace(230, 10, "HAHF      ");
    const BankReturnFile refused = ParseBankReturn(raw.join('\n'));
    ASSERT_EQ(refused.batchOccurrences.size(), 2);
    EXPECT_EQ(refused.batchOccurrences[0], QString("lote 2: HA - Lote não aceito"));
    EXPECT_EQ(refused.batchOccurrences[1], QString("lote 2: HF - Conta corrente da empresa com saldo insuficiente"));
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
