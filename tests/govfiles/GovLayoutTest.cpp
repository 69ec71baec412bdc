// The layout rules the government programs check, record by record: texts
// left-aligned and reduced to the layout's characters, fields not informed
// left blank, the record 10 indicators, the 13th-salary base of a
// termination, the taker fields, the required GRRF inputs and a run that
// selects nothing.
#include "GovFixture.h"

#include <QFileInfo>

using namespace folha;
using namespace folha::gov;
using namespace folha::gov::testing;

namespace {

struct TextCase {
    const char* stored;
    const char* written;
};

TEST(LayoutText, CapitalsDigitsAndSingleBlanks) {
    const TextCase cases[] = {
        {"José da Conceição", "JOSE DA CONCEICAO"},
        {"AÇÃO ÉPICA Ü", "ACAO EPICA U"},
        {"  Rua das Palmeiras,  100 - apto 3 ", "RUA DAS PALMEIRAS 100 APTO 3"},
        {"D'Ávila & Filhos Ltda.", "DAVILA FILHOS LTDA"},
        {"\tMooca\r\n", "MOOCA"},
        {"a@b.c", "ABC"},
        {"---", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LayoutText(QString::fromUtf8(c.stored)), QString::fromUtf8(c.written)) << c.stored;
}

class GovLayoutTest : public GovFixture {
protected:
    void update(const char* table, const QVariantList& key, const Values& values) {
        Table t(*db, table);
        Record r = *t.find(key);
        for (const auto& [k, v] : values) r.set(k, v);
        t.save(r);
    }
    // The first record of a type, and the one of a type and PIS.
    static QString first(const QStringList& records, const QString& type, const QString& pis = {}) {
        for (const QString& l : records)
            if (l.startsWith(type) && (pis.isEmpty() || l.contains(pis))) return l;
        return {};
    }
    SefipOptions sefip(const char* code) {
        branch({{"COD_RFGTS", code}});
        SefipOptions o = sefipOptions(code);
        o.fgtsCollected = true;
        return o;
    }
    QStringList written(const GovFileResult& r) {
        EXPECT_TRUE(r.written) << ui.texts().join('\n').toStdString();
        return r.written ? records(r.path) : QStringList();
    }
    QString prior() {
        QDir().mkpath(QFileInfo(sefipOptions().outputPath).absolutePath());
        QDir().mkpath(QFileInfo(grrfOptions().outputPath).absolutePath());
        for (const QString& p : {sefipOptions().outputPath, grrfOptions().outputPath}) {
            QFile f(p);
            f.open(QIODevice::WriteOnly);
            f.write("ANTERIOR\r\n");
        }
        return QStringLiteral("ANTERIOR\r\n");
    }
    static QString content(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
};

struct FieldCase {
    const char* type;
    int pos;
    int width;
    const char* expected; // left-aligned, blank-filled
};

// Names and addresses as typed, with accents, punctuation and blanks.
TEST_F(GovLayoutTest, TextsOfEveryRecordAreLeftAlignedAndCleaned) {
    update("RESPONSA", {"001"}, {{"NOME", " Contábil  São João "}, {"CONTATO", "Mª José"}, {"ENDERECO", "Rua B, 12"},
                                 {"BAIRRO", "Sé"}, {"CIDADE", "São Paulo"}, {"UF", "sp"}});
    branch({{"NOME", "Indústria Ação Ltda."}, {"FIL_ENDERE", "Av. Brasil, 1.500"}, {"FIL_BAIRRO", "Moóca"},
            {"FIL_CIDADE", "  São Paulo"}, {"FIL_ESTADO", "sp"}, {"CGC", "12345678000195"}});
    put(*db, "Tomador", {{"COD_TOMAD", "001"}, {"NOME", "Obra Ação"}, {"ENDERECO", "Rua Três, 3"},
                         {"BAIRRO", "Jd. América"}, {"CIDADE", "Mogi das Cruzes"}, {"UF", "SP"}, {"TIPO", "1"},
                         {"CGC", "11222333000181"}, {"RETENCAO", "110"}});
    worker(*db, 1, "João  D'Ávila", {{"ALT_CADAST", "E"}, {"ENDERECO", "Rua São Bento, 5"}, {"BAIRRO", "Sé"},
                                     {"CIDADE", "São Paulo"}, {"UF", "sp"}, {"DT_AFAST", QDate(2013, 4, 20)},
                                     {"CAUS_RESC", "I1"}});
    row(*db, 1, "111", "1000");
    put(*db, "FUNTOMAD", {{"ANOMES", "201304"}, {"CODFUN", "000001"}, {"TOMADOR", "001"}, {"VALORAFAST", "0"}});
    const QStringList sefipFile = written(SefipRun(*db, ui).run(sefip("150")));
    const QStringList grrfFile = written(GrrfRun(*db, ui).run(grrfOptions()));

    const FieldCase cases[] = {
        {"00", 70, 30, "CONTABIL SAO JOAO"}, {"00", 100, 20, "MA JOSE"},   {"00", 120, 50, "RUA B 12"},
        {"00", 170, 20, "SE"},               {"00", 198, 20, "SAO PAULO"}, {"00", 218, 2, "SP"},
        {"10", 54, 40, "INDUSTRIA ACAO LTDA"}, {"10", 94, 50, "AV BRASIL 1500"}, {"10", 144, 20, "MOOCA"},
        {"10", 172, 20, "SAO PAULO"},        {"10", 192, 2, "SP"},
        {"14", 75, 70, "JOAO DAVILA"},       {"14", 157, 50, "RUA SAO BENTO 5"}, {"14", 207, 20, "SE"},
        {"14", 235, 20, "SAO PAULO"},        {"14", 255, 2, "SP"},
        {"20", 54, 40, "OBRA ACAO"},         {"20", 94, 50, "RUA TRES 3"}, {"20", 144, 20, "JD AMERICA"},
        {"20", 172, 20, "MOGI DAS CRUZES"},  {"20", 192, 2, "SP"},
        {"30", 54, 70, "JOAO DAVILA"},       {"32", 54, 70, "JOAO DAVILA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("SEFIP ") + c.type + " " + std::to_string(c.pos));
        const QString r = first(sefipFile, c.type);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(r.mid(c.pos - 1, c.width), L(c.width, c.expected));
    }
    const FieldCase grrfCases[] = {
        {"00", 70, 30, "CONTABIL SAO JOAO"}, {"00", 100, 20, "MA JOSE"},   {"00", 120, 50, "RUA B 12"},
        {"00", 170, 20, "SE"},               {"00", 198, 20, "SAO PAULO"}, {"00", 218, 2, "SP"},
        {"10", 54, 40, "INDUSTRIA ACAO LTDA"}, {"10", 94, 50, "AV BRASIL 1500"}, {"10", 144, 20, "MOOCA"},
        {"10", 172, 20, "SAO PAULO"},        {"10", 192, 2, "SP"},         {"40", 54, 70, "JOAO DAVILA"},
    };
    for (const auto& c : grrfCases) {
        SCOPED_TRACE(std::string("GRRF ") + c.type + " " + std::to_string(c.pos));
        const QString r = first(grrfFile, c.type);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(r.mid(c.pos - 1, c.width), L(c.width, c.expected));
    }
    // The e-mail keeps its own characters.
    EXPECT_EQ(first(sefipFile, "00").mid(231, 60), L(60, "a@b.c"));
}

struct Record12Case {
    int pos;
    int width;
    const char* typed;   // with the values typed
    const char* blank;   // with nothing typed
};

TEST_F(GovLayoutTest, Record12FieldsNotTypedAreBlank) {
    worker(*db, 1, "ANA");
    row(*db, 1, "130", "1000");
    const Record12Case cases[] = {
        {115, 11, "00000000123", "           "}, {126, 4, "2012", "    "},      {130, 5, "00001", "     "},
        {135, 6, "201201", "      "},           {141, 6, "201212", "      "},  {147, 15, "000000000001000", "000000000000000"},
        {162, 6, "201302", "      "},           {168, 6, "201303", "      "},  {309, 45, "", ""},
        {354, 6, "      ", "      "},
    };
    SefipAdditionalValues typed;
    typed.revenueType = "E";
    typed.processNumber = "123";
    typed.processYear = "2012";
    typed.court = "1";
    typed.claimStart = "01/2012";
    typed.claimEnd = "12/2012";
    typed.compensation = *Fixed::parse("10");
    typed.compensationStart = "02/2013";
    typed.compensationEnd = "03/2013";
    SefipAdditionalValues empty;
    empty.revenueType = "E";
    for (const auto& values : {typed, empty}) {
        const bool isTyped = !values.processNumber.isEmpty();
        SefipOptions o = sefip("115");
        o.companies[0].additional = values;
        const QString r12 = first(written(SefipRun(*db, ui).run(o)), "12");
        ASSERT_EQ(r12.size(), 360);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.pos) + (isTyped ? " typed" : " not typed"));
            const QString expected = c.pos == 309 ? Z(45) : QString::fromLatin1(isTyped ? c.typed : c.blank);
            EXPECT_EQ(r12.mid(c.pos - 1, c.width), expected);
        }
    }
}

struct CategoryCase {
    int vinculo;
    const char* admission; // positions 44-51
    const char* workCard;  // positions 135-146
};

TEST_F(GovLayoutTest, Record30AdmissionAndWorkCardBlankForCategoriesWithout) {
    const CategoryCase cases[] = {
        {1, "01032010", "000100100123"},
        {2, "        ", "000100200123"},
        {5, "01032010", "            "},
        {13, "        ", "            "},
    };
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        worker(*db, n, "TRABALHADOR", {{"VINCULO", c.vinculo}});
        row(*db, n, c.vinculo == 5 || c.vinculo == 13 ? "111" : "130", "1000");
    }
    const QStringList file = written(SefipRun(*db, ui).run(sefip("115")));
    n = 0;
    for (const auto& c : cases) {
        ++n;
        SCOPED_TRACE("category " + std::to_string(c.vinculo));
        const QString pis = PisWithCheckDigit(QString::number(12000000000LL + n * 1111LL).left(10));
        const QString r30 = first(file, "30", pis);
        ASSERT_FALSE(r30.isEmpty());
        EXPECT_EQ(r30.mid(43, 8), QString::fromLatin1(c.admission));
        EXPECT_EQ(r30.mid(134, 12), QString::fromLatin1(c.workCard));
    }
}

struct ThirteenthCase {
    const char* cause;
    const char* sheetF015;  // the month's 13th-salary INSS base on sheet F
    const char* sheetD015;  // the 13th-salary sheet of March
    const char* expected;   // positions 232-246
};

// The termination pays the 13th salary on the month's sheet F; its base is
// the 13th-salary base of the movement competence.
TEST_F(GovLayoutTest, TerminationMonthCarriesItsOwnThirteenthBase) {
    const ThirteenthCase cases[] = {
        {"I1", "300.00", "", "000000000030000"},
        {"J", "200.55", "", "000000000020055"},
        {"I2", "300.00", "50.00", "000000000035000"},
        {"P1", "300.00", "", "000000000000000"}, // a leave, not a termination
    };
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        worker(*db, n, "DESLIGADO", {{"DT_AFAST", QDate(2013, 4, 10)}, {"CAUS_RESC", c.cause}});
        row(*db, n, "111", "1000");
        row(*db, n, "113", c.sheetF015);
        if (*c.sheetD015) row(*db, n, "113", c.sheetD015, "D", "2013", "03");
    }
    const QStringList file = written(SefipRun(*db, ui).run(sefip("115")));
    n = 0;
    for (const auto& c : cases) {
        ++n;
        SCOPED_TRACE(c.cause);
        const QString pis = PisWithCheckDigit(QString::number(12000000000LL + n * 1111LL).left(10));
        const QString r30 = first(file, "30", pis);
        ASSERT_FALSE(r30.isEmpty());
        EXPECT_EQ(r30.mid(231, 15), QString::fromLatin1(c.expected));
    }
}

struct TakerCase {
    const char* code;
    const char* taker; // positions 18-32 of records 30 and 32
};

TEST_F(GovLayoutTest, TakerFieldsOnlyUnderTheTakerCodes) {
    const TakerCase cases[] = {
        {"115", "               "}, {"130", "111222333000181"}, {"608", "111222333000181"},
        {"150", "111222333000181"}, {"151", "               "}, {"337", "111222333000181"},
    };
    put(*db, "Tomador", {{"COD_TOMAD", "001"}, {"NOME", "OBRA"}, {"TIPO", "1"}, {"CGC", "11222333000181"},
                         {"RETENCAO", "110"}});
    worker(*db, 1, "ANA", {{"DT_AFAST", QDate(2013, 4, 10)}, {"CAUS_RESC", "P1"}});
    row(*db, 1, "130", "1000");
    put(*db, "FUNTOMAD", {{"ANOMES", "201304"}, {"CODFUN", "000001"}, {"TOMADOR", "001"}, {"VALORAFAST", "0"}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ui.entries.clear();
        const QStringList file = written(SefipRun(*db, ui).run(sefip(c.code)));
        for (const char* type : {"30", "32"}) {
            const QString r = first(file, type);
            ASSERT_FALSE(r.isEmpty()) << type;
            EXPECT_EQ(r.mid(17, 15), QString::fromLatin1(c.taker)) << type;
        }
    }
}

struct IndicatorCase {
    const char* address;
    const char* cnae;
    const char* simples;
    const char* written; // positions 206, 214 and 218; empty: refused
    const char* refusal;
};

TEST_F(GovLayoutTest, Record10IndicatorsAreMappedAndChecked) {
    worker(*db, 1, "ANA");
    row(*db, 1, "130", "1000");
    const IndicatorCase cases[] = {
        {"", "", "1", "NN1", ""},
        {"s", "a", "2", "SA2", ""},
        {"N", "P", "6", "NP6", ""},
        {"S", "N", "3", "SN3", ""},
        {"X", "N", "1", "", "Empresa 1 - EMPRESA TESTE: o valor \"X\" do campo Alteração Endereço (FIL_ALTEND) não tem "
                            "correspondência no arquivo (use S, N)"},
        {"N", "Z", "1", "", "Empresa 1 - EMPRESA TESTE: o valor \"Z\" do campo Alteração Cnae (FIL_ALTCNA) não tem "
                            "correspondência no arquivo (use S, N, A, P)"},
        {"N", "N", "N", "", "Empresa 1 - EMPRESA TESTE: o valor \"N\" do campo Simples (SIMPLES) não tem "
                            "correspondência no arquivo (use 1, 2, 3, 4, 5, 6)"},
        {"N", "N", "7", "", "Empresa 1 - EMPRESA TESTE: o valor \"7\" do campo Simples (SIMPLES) não tem "
                            "correspondência no arquivo (use 1, 2, 3, 4, 5, 6)"},
        {"N", "N", "", "", "Empresa 1 - EMPRESA TESTE: o campo Simples (SIMPLES) não está preenchido (use 1, 2, 3, 4, "
                           "5, 6)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + "/" + c.cnae + "/" + c.simples);
        branch({{"FIL_ALTEND", c.address}, {"FIL_ALTCNA", c.cnae}, {"SIMPLES", c.simples}});
        ui.entries.clear();
        QFile::remove(sefipOptions().outputPath);
        const GovFileResult r = SefipRun(*db, ui).run(sefip("115"));
        if (*c.written) {
            const QString r10 = first(written(r), "10");
            const QString got = r10.mid(205, 1) + r10.mid(213, 1) + r10.mid(217, 1);
            EXPECT_EQ(got, QString::fromLatin1(c.written));
            // Other entities' code: blank for the SIMPLES optants 2 and 3.
            EXPECT_EQ(r10.mid(221, 4), OneOf(c.simples, {"2", "3"}) ? B(4) : QStringLiteral("0115"));
        } else {
            EXPECT_FALSE(r.written);
            EXPECT_EQ(ui.texts("error"), QStringList{QString::fromUtf8(c.refusal)});
            EXPECT_FALSE(QFileInfo::exists(sefipOptions().outputPath));
        }
    }
    // The GRRF company record maps SIMPLES the same way.
    worker(*db, 2, "BETO", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    branch({{"SIMPLES", "4"}});
    EXPECT_EQ(first(written(GrrfRun(*db, ui).run(grrfOptions())), "10").mid(212, 1), QStringLiteral("4"));
    branch({{"SIMPLES", "S"}});
    ui.entries.clear();
    EXPECT_FALSE(GrrfRun(*db, ui).run(grrfOptions()).written);
    EXPECT_EQ(ui.texts("error").size(), 1);
}

struct GrrfRefusalCase {
    const char* responsible;
    QDate collectionDate;
    const char* refusal;
};

TEST_F(GovLayoutTest, GrrfNeedsTheResponsiblePartyAndTheCollectionDate) {
    worker(*db, 2, "BETO", {{"DT_AFAST", QDate(2013, 4, 20)}, {"CAUS_RESC", "I1"}});
    const GrrfRefusalCase cases[] = {
        {"7", QDate(2013, 5, 10), "Empresa responsavel Nao Cadastrada"},
        {"1", QDate(), "Preencher data recolhimento GRRF"},
        {"", QDate(2013, 5, 10), "Preencher codigo responsavel"},
    };
    const QString before = prior();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        ui.entries.clear();
        GrrfOptions o = grrfOptions();
        o.responsible = c.responsible;
        o.collectionDate = c.collectionDate;
        EXPECT_FALSE(GrrfRun(*db, ui).run(o).written);
        EXPECT_EQ(ui.texts("error"), QStringList{QString::fromUtf8(c.refusal)});
        EXPECT_TRUE(ui.texts("question").isEmpty()); // stopped before the file
        EXPECT_EQ(content(o.outputPath), before);
    }
}

struct NothingCase {
    const char* file;  // "SEFIP" or "GRRF"
    const char* setup; // "no company", "no worker"
    const char* warning;
};

TEST_F(GovLayoutTest, RunSelectingNothingKeepsTheFile) {
    const NothingCase cases[] = {
        {"SEFIP", "no company",
         "Nenhuma empresa selecionada: o arquivo c:\\CAIXA\\SEFIP\\SEFIP.TXT não foi gravado. O arquivo existente foi "
         "mantido."},
        {"SEFIP", "no worker",
         "Nenhum funcionário selecionado: o arquivo c:\\CAIXA\\SEFIP\\SEFIP.TXT não foi gravado. O arquivo existente "
         "foi mantido."},
        {"GRRF", "no company",
         "Nenhuma empresa selecionada: o arquivo c:\\CAIXA\\GRRF\\GRRF.TXT não foi gravado. O arquivo existente foi "
         "mantido."},
    };
    worker(*db, 1, "ANA"); // no amounts, no termination
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.setup);
        const QString before = prior();
        ui.entries.clear();
        GovFileResult r;
        QString path;
        if (QString(c.file) == "SEFIP") {
            SefipOptions o = sefip("115");
            if (QString(c.setup) == "no company") o.collectionCode = "130"; // the company collects under 115
            r = SefipRun(*db, ui).run(o);
            path = o.outputPath;
        } else {
            r = GrrfRun(*db, ui).run(grrfOptions());
            path = grrfOptions().outputPath;
        }
        EXPECT_FALSE(r.written);
        EXPECT_EQ(content(path), before);
        EXPECT_TRUE(ui.texts("warning").contains(QString::fromUtf8(c.warning))) << ui.texts().join('\n').toStdString();
        EXPECT_FALSE(ui.texts("message").contains("Arquivo gerado com sucesso!"));
        EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1); // no temporary file left
    }
}

} // namespace
