// The records of the salary-payment file, byte by byte, for every bank
// profile (the FEBRABAN field table, and Itaú's own), and the fields read
// back at the positions of the layout's field table.
#include "BankFixture.h"
#include "BankLayout.h"
#include "BankRecord.h"

namespace folha::bank::testing {
namespace {

Payer payer() {
    Payer p;
    p.inscription = "11222333000181";
    p.agreement = "ABC123";
    p.agency = "1234";
    p.agencyDigit = "5";
    p.account = "56789";
    p.accountDigit = "0";
    p.name = "Indústria Ação & Cia Ltda";
    p.street = "Av. Paulista";
    p.number = "1500";
    p.complement = "Sala 3";
    p.city = "São Paulo";
    p.cep = "01310100";
    p.state = "SP";
    return p;
}

Credit credit() {
    Credit c;
    c.employeeCode = "000013";
    c.name = "João Conceição";
    c.cpf = Cpf(13);
    c.bank = "237";
    c.agency = "987";
    c.agencyDigit = "1";
    c.account = "123456";
    c.accountDigit = "P";
    c.amount = *Fixed::parse("3210.5");
    c.yourNumber = "000013202601F";
    c.street = "Rua das Flores";
    c.number = "45";
    c.complement = "Apto 2";
    c.district = "Jardim Europa";
    c.city = "Campinas";
    c.cep = "13010000";
    c.state = "SP";
    return c;
}

// The company's part of the file and batch headers, positions 18-102.
const QString PayerPart = rec({"2", "11222333000181", L(20, "ABC123"), "01234", "5", "000000056789", "0", " ",
                               L(30, "INDUSTRIA ACAO CIA LTDA")});

struct ProfileCase {
    const char* code;
    const char* headerName; // positions 103-132 as written
};

class BankProfileRecords : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(BankProfileRecords, EveryRecordIsTheFieldTable) {
    const ProfileCase pc = GetParam();
    const BankProfile& p = ProfileOfBank(pc.code);
    const QString bank = pc.code;
    const QDateTime generated(QDate(2026, 2, 3), QTime(9, 8, 7));

    EXPECT_EQ(FileHeader(p, payer(), generated, 17),
              rec({bank, "0000", "0", B(9), PayerPart, L(30, pc.headerName), B(10), "1", "03022026", "090807",
                   "000017", "103", Z(5), B(20), B(20), B(29)}));

    EXPECT_EQ(BatchHeader(p, payer(), 2, FormTed),
              rec({bank, "0002", "1", "C", "30", "41", "046", " ", PayerPart, B(40), L(30, "AV PAULISTA"), "01500",
                   L(15, "SALA 3"), L(20, "SAO PAULO"), "01310", "100", "SP", "01", B(6), B(10)}));

    EXPECT_EQ(SegmentA(p, 2, 7, FormTed, credit(), QDate(2026, 2, 5)),
              rec({bank, "0002", "3", "00007", "A", "0", "00", "018", "237", "00987", "1", "000000123456", "P", " ",
                   L(30, "JOAO CONCEICAO"), L(20, "000013202601F"), "05022026", "BRL", Z(15), N(15, "321050"),
                   B(20), Z(8), Z(15), B(40), "06", B(5), B(2), B(3), "0", B(10)}));

    EXPECT_EQ(BatchHeader(p, payer(), 1, FormSameBank).mid(9, 4), QString("3001"));
    EXPECT_EQ(SegmentA(p, 1, 1, FormSameBank, credit(), QDate(2026, 2, 5)).mid(17, 3), QString("000"));
    EXPECT_EQ(SegmentA(p, 1, 1, FormSameBank, credit(), QDate(2026, 2, 5)).mid(217, 2), B(2));
    EXPECT_EQ(SegmentA(p, 1, 1, FormPix, credit(), QDate(2026, 2, 5)).mid(17, 3), QString("009"));

    EXPECT_EQ(SegmentB(p, 2, 8, credit(), QDate(2026, 2, 5)),
              rec({bank, "0002", "3", "00008", "B", B(3), "1", "000" + Cpf(13), L(30, "RUA DAS FLORES"), "00045",
                   L(15, "APTO 2"), L(15, "JARDIM EUROPA"), L(20, "CAMPINAS"), "13010", "000", "SP", "05022026",
                   N(15, "321050"), Z(15), Z(15), Z(15), Z(15), L(15, "000013"), "0", Z(6), Z(8)}));

    EXPECT_EQ(BatchTrailer(p, 2, 6, *Fixed::parse("12345678.9")),
              rec({bank, "0002", "5", B(9), "000006", N(18, "1234567890"), Z(18), Z(6), B(165), B(10)}));

    EXPECT_EQ(FileTrailer(p, 2, 11), rec({bank, "9999", "9", B(9), "000002", "000011", Z(6), B(205)}));
}

INSTANTIATE_TEST_SUITE_P(Profiles, BankProfileRecords,
                         ::testing::Values(ProfileCase{"001", "BANCO DO BRASIL SA"},
                                           ProfileCase{"033", "BANCO SANTANDER BRASIL SA"},
                                           ProfileCase{"104", "CAIXA ECONOMICA FEDERAL"},
                                           ProfileCase{"237", "BANCO BRADESCO SA"},
                                           ProfileCase{"756", "BANCO COOPERATIVO SICOOB SA"}),
                         [](const auto& info) { return std::string(info.param.code); });

// Segment A read at the positions of the field table (first, last, content).
struct FieldCase {
    int from, to;
    const char* value;
    const char* field;
};

class SegmentAFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(SegmentAFields, AtItsPositions) {
    const FieldCase f = GetParam();
    const QString a = SegmentA(ProfileOfBank("001"), 1, 3, FormTed, credit(), QDate(2026, 2, 5));
    ASSERT_EQ(a.size(), 240);
    EXPECT_EQ(a.mid(f.from - 1, f.to - f.from + 1), QString::fromUtf8(f.value)) << f.field;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SegmentAFields,
    ::testing::Values(FieldCase{1, 3, "001", "banco"}, FieldCase{4, 7, "0001", "lote"}, FieldCase{8, 8, "3", "registro"},
                      FieldCase{9, 13, "00003", "número do registro"}, FieldCase{14, 14, "A", "segmento"},
                      FieldCase{18, 20, "018", "câmara"}, FieldCase{21, 23, "237", "banco favorecido"},
                      FieldCase{24, 28, "00987", "agência"}, FieldCase{29, 29, "1", "dígito da agência"},
                      FieldCase{30, 41, "000000123456", "conta"}, FieldCase{42, 42, "P", "dígito da conta"},
                      FieldCase{44, 73, "JOAO CONCEICAO                ", "nome"},
                      FieldCase{74, 93, "000013202601F       ", "seu número"}, FieldCase{94, 101, "05022026", "data"},
                      FieldCase{102, 104, "BRL", "moeda"}, FieldCase{120, 134, "000000000321050", "valor"},
                      FieldCase{218, 219, "06", "complemento do serviço"}, FieldCase{230, 230, "0", "aviso"},
                      FieldCase{231, 240, "          ", "ocorrências"}),
    [](const auto& info) { return std::to_string(info.param.from) + "_" + std::to_string(info.param.to); });

TEST(BankRecordTest, RefusesWhatDoesNotFit) {
    Credit c = credit();
    c.account = "1234567890123"; // 13 digits
    EXPECT_THROW(SegmentA(ProfileOfBank("341"), 1, 1, FormTed, c, QDate(2026, 2, 5)), BankFileStop);
    c = credit();
    c.amount = *Fixed::parse("-1");
    EXPECT_THROW(SegmentA(ProfileOfBank("341"), 1, 1, FormTed, c, QDate(2026, 2, 5)), BankFileStop);
    BankRecord r("teste");
    EXPECT_THROW(r.number(2, 3, "1", "x"), std::logic_error); // position 1 skipped
}

TEST(BankProfilesTest, ChosenByTheBankCode) {
    EXPECT_EQ(ProfileOfBank("33").code, QString("033"));
    EXPECT_EQ(ProfileOfBank(" 341").shortName, QString("Itaú"));
    try {
        ProfileOfBank("999");
        FAIL();
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().contains("999"));
        EXPECT_TRUE(e.message().contains("756 (Sicoob)"));
    }
    EXPECT_EQ(ProposedFileName(ProfileOfBank("1"), QDate(2026, 2, 5), 12), QString("PAG001_20260205_000012.REM"));
}

// The layout versions of each profile (FEBRABAN 103/046; Itaú, SISPAG
// versão 085: 080/040) unless the branch sets others, written where the
// profile's file header has them (FEBRABAN 164-166, Itaú 15-17) and in
// positions 14-16 of the batch header.
TEST(BankProfilesTest, LayoutVersionsOfTheProfileUnlessTheBranchSetsOthers) {
    for (const BankProfile& p : BankProfiles()) {
        const bool itau = p.code == "341";
        EXPECT_EQ(p.fileLayoutVersion, QString(itau ? "080" : "103")) << p.code.toStdString();
        EXPECT_EQ(p.batchLayoutVersion, QString(itau ? "040" : "046")) << p.code.toStdString();
    }
    struct Case {
        const char* bank;
        const char* file;
        const char* batch;
        int fileAt;               // 1-based position of the file header's version
        const char* fileWritten;
        const char* batchWritten; // batch header positions 14-16
    };
    const Case cases[] = {{"001", "", "", 164, "103", "046"},     {"001", "081", "", 164, "081", "046"},
                          {"001", "", "040", 164, "103", "040"},  {"001", " 089 ", "045 ", 164, "089", "045"},
                          {"341", "", "", 15, "080", "040"},      {"341", "085", "", 15, "085", "040"},
                          {"341", " 081", "045", 15, "081", "045"}};
    const QDateTime generated(QDate(2026, 2, 3), QTime(9, 8, 7));
    for (const Case& c : cases) {
        const BankProfile p = WithLayoutVersions(ProfileOfBank(c.bank), c.file, c.batch);
        const QString standard = FileHeader(ProfileOfBank(c.bank), payer(), generated, 17);
        QString header = FileHeader(p, payer(), generated, 17);
        EXPECT_EQ(header.mid(c.fileAt - 1, 3), QString(c.fileWritten)) << c.bank << c.file;
        // Nothing else of the header moves.
        EXPECT_EQ(header.remove(c.fileAt - 1, 3), QString(standard).remove(c.fileAt - 1, 3)) << c.bank << c.file;
        EXPECT_EQ(BatchHeader(p, payer(), 1, FormSameBank).left(17),
                  rec({c.bank, "0001", "1", "C", "30", "01", c.batchWritten, " "}))
            << c.bank << c.batch;
    }
}

// Itaú, "SISPAG - Layout de Arquivos CNAB" versão 085, chapter 3: every
// record hand-built from the manual's field tables.
TEST(ItauSispagRecords, EveryRecordIsTheManualsFieldTable) {
    const BankProfile& p = ProfileOfBank("341");
    Payer company = payer();
    company.agencyDigit = "";
    const QDateTime generated(QDate(2026, 2, 3), QTime(9, 8, 7));
    // Company: no agreement (033-052 blank), agency 053-057, account
    // 059-070, DAC 072 (NOTA 1).
    const QString itauPayer = rec({"2", "11222333000181", B(20), "01234", " ", "000000056789", " ", "0",
                                   L(30, "INDUSTRIA ACAO CIA LTDA")});

    // Header de arquivo: layout 080 in 015-017, no file sequence number.
    EXPECT_EQ(FileHeader(p, company, generated, 17),
              rec({"341", "0000", "0", B(6), "080", itauPayer, L(30, "BANCO ITAU SA"), B(10), "1", "03022026",
                   "090807", Z(9), Z(5), B(69)}));

    // Header de lote: tipo 30 salários with forma 01; credits in other
    // banks as tipo 98 diversos (NOTA 4, 5); layout 040; CEP in 213-220.
    const QString batchTail = rec({B(30), B(10), L(30, "AV PAULISTA"), "01500", L(15, "SALA 3"),
                                   L(20, "SAO PAULO"), "01310100", "SP", B(8), B(10)});
    EXPECT_EQ(BatchHeader(p, company, 1, FormSameBank),
              rec({"341", "0001", "1", "C", "30", "01", "040", " ", itauPayer, batchTail}));
    EXPECT_EQ(BatchHeader(p, company, 2, FormTed),
              rec({"341", "0002", "1", "C", "98", "41", "040", " ", itauPayer, batchTail}));
    EXPECT_EQ(BatchHeader(p, company, 2, FormPix).mid(9, 4), QString("9845"));

    // Segmento A, an Itaú account (NOTA 11 a): 0, agency 4, blank, 6 zeros,
    // account 6, blank, DAC; moeda REA; the CPF in 204-217 (NOTA 15).
    Credit own = credit();
    own.bank = "341";
    own.agency = "987";
    own.account = "12345";
    own.accountDigit = "6";
    EXPECT_EQ(SegmentA(p, 1, 3, FormSameBank, own, QDate(2026, 2, 5)),
              rec({"341", "0001", "3", "00003", "A", "000", "000", "341", "0", "0987", " ", "000000", "012345", " ",
                   "6", L(30, "JOAO CONCEICAO"), L(20, "000013202601F"), "05022026", "REA", B(8), B(2), Z(5),
                   N(15, "321050"), B(15), B(5), Z(8), Z(15), B(20), Z(6), "000" + Cpf(13), B(2), B(5), B(5), "0",
                   B(10)}));

    // Another bank by TED (NOTA 11 b): agency 5 without its digit, blank,
    // account 12, blank, DAC; câmara zeros (NOTA 35); finalidade da TED
    // 00004, pagamento de salários (NOTA 26).
    EXPECT_EQ(SegmentA(p, 2, 7, FormTed, credit(), QDate(2026, 2, 5)),
              rec({"341", "0002", "3", "00007", "A", "000", "000", "237", "00987", " ", "000000123456", " ", "P",
                   L(30, "JOAO CONCEICAO"), L(20, "000013202601F"), "05022026", "REA", B(8), B(2), Z(5),
                   N(15, "321050"), B(15), B(5), Z(8), Z(15), B(20), Z(6), "000" + Cpf(13), B(2), "00004", B(5), "0",
                   B(10)}));
    // By PIX: câmara 009 and the transfer to a conta corrente, 01 (NOTAS
    // 35, 36); no finalidade da TED.
    const QString pix = SegmentA(p, 2, 7, FormPix, credit(), QDate(2026, 2, 5));
    EXPECT_EQ(pix.mid(17, 3), QString("009"));
    EXPECT_EQ(pix.mid(112, 2), QString("01"));
    EXPECT_EQ(pix.mid(219, 5), B(5));

    // Segmento B: CPF, address, CEP 8 digits, e-mail blank.
    EXPECT_EQ(SegmentB(p, 2, 8, credit(), QDate(2026, 2, 5)),
              rec({"341", "0002", "3", "00008", "B", B(3), "1", "000" + Cpf(13), L(30, "RUA DAS FLORES"), "00045",
                   L(15, "APTO 2"), L(15, "JARDIM EUROPA"), L(20, "CAMPINAS"), "13010000", "SP", B(100), B(3),
                   B(10)}));

    // Trailers: zeros 042-059 then blanks; the file trailer blank from 030.
    EXPECT_EQ(BatchTrailer(p, 2, 6, *Fixed::parse("12345678.9")),
              rec({"341", "0002", "5", B(9), "000006", N(18, "1234567890"), Z(18), B(171), B(10)}));
    EXPECT_EQ(FileTrailer(p, 2, 11), rec({"341", "9999", "9", B(9), "000002", "000011", B(211)}));
}

// What the paying bank's layout cannot carry: Itaú writes its own accounts
// (and Unibanco's) as agency 4, account 6 and a numeric DAC (NOTA 11 a);
// other banks' accounts, and every account in a FEBRABAN file, keep the
// FEBRABAN widths (AccountProblem).
TEST(ItauSispagRecords, AccountsItsLayoutCannotCarry) {
    struct Case {
        const char* profile;
        const char* bank;
        const char* agency;
        const char* account;
        const char* digit;
        const char* problem; // empty: writable
    };
    const Case cases[] = {
        {"341", "341", "1234", "123456", "7", ""},
        {"341", "409", "12345", "1", "7", "agência Itaú com mais de 4 algarismos: 12345"},
        {"341", "341", "1234", "1234567", "7", "conta Itaú com mais de 6 algarismos: 1234567"},
        {"341", "341", "1234", "123456", "X", "DAC da conta Itaú não numérico: \"X\""},
        {"341", "237", "12345", "123456789012", "P", ""},
        {"001", "341", "12345", "1234567", "X", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccountLayoutProblem(ProfileOfBank(c.profile), c.bank, c.agency, c.account, c.digit),
                  QString::fromUtf8(c.problem))
            << c.profile << " " << c.bank << " " << c.account;
}

TEST(BankProfilesTest, LayoutVersionIsThreeDigits) {
    struct Case {
        const char* version;
        const char* problem; // empty: accepted
    };
    const Case cases[] = {{"103", ""},
                          {" 040", ""},
                          {"", "Versão do leiaute do arquivo inválida: \"\" (3 algarismos, como o banco indicar)."},
                          {"40", "Versão do leiaute do arquivo inválida: \"40\" (3 algarismos, como o banco indicar)."},
                          {"0400", "Versão do leiaute do arquivo inválida: \"0400\" (3 algarismos, como o banco indicar)."},
                          {"-40", "Versão do leiaute do arquivo inválida: \"-40\" (3 algarismos, como o banco indicar)."}};
    for (const Case& c : cases)
        EXPECT_EQ(LayoutVersionProblem(c.version, "Versão do leiaute do arquivo"), QString::fromUtf8(c.problem))
            << c.version;
    EXPECT_THROW(WithLayoutVersions(ProfileOfBank("001"), "1", ""), BankFileStop);
    EXPECT_THROW(WithLayoutVersions(ProfileOfBank("001"), "", "A40"), BankFileStop);
}

struct AccountCase {
    const char* bank;
    const char* agency;
    const char* agencyDigit;
    const char* account;
    const char* accountDigit;
    bool validCpf;
    const char* problem; // empty: writable
};

class AccountChecks : public ::testing::TestWithParam<AccountCase> {};

TEST_P(AccountChecks, Reason) {
    const AccountCase a = GetParam();
    Credit c;
    c.bank = a.bank;
    c.agency = a.agency;
    c.agencyDigit = a.agencyDigit;
    c.account = a.account;
    c.accountDigit = a.accountDigit;
    c.cpf = a.validCpf ? Cpf(1) : QString("12345678900");
    EXPECT_EQ(AccountProblem(c), QString::fromUtf8(a.problem));
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, AccountChecks,
    ::testing::Values(AccountCase{"341", "1234", "", "11111", "5", true, ""},
                      AccountCase{"001", "2345", "X", "22222", "X", true, ""},
                      AccountCase{"", "", "", "", "", true, "sem conta bancária no cadastro"},
                      AccountCase{"", "1234", "", "11111", "5", true, "banco da conta não informado ou inválido"},
                      AccountCase{"341", "", "", "11111", "5", true, "agência não informada"},
                      AccountCase{"341", "12A4", "", "11111", "5", true, "agência inválida: \"12A4\" (de 1 a 5 algarismos)"},
                      AccountCase{"341", "123456", "", "11111", "5", true,
                                  "agência inválida: \"123456\" (de 1 a 5 algarismos)"},
                      AccountCase{"341", "1234", "-", "11111", "5", true, "dígito da agência inválido: \"-\""},
                      AccountCase{"341", "1234", "", "", "5", true, "conta não informada"},
                      AccountCase{"341", "1234", "", "1234567890123", "5", true,
                                  "conta inválida: 1234567890123 (até 12 algarismos)"},
                      AccountCase{"341", "1234", "", "11111", "", true, "dígito da conta não informado"},
                      AccountCase{"341", "1234", "", "11111", "55", true, "dígito da conta inválido: \"55\""},
                      AccountCase{"341", "1234", "", "11111", "5", false, "CPF inválido ou não informado"}));

} // namespace
} // namespace folha::bank::testing
