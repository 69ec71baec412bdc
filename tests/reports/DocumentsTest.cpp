// The labour documents on the demo company: golden pages, the vacation
// notice's interval, copies as jobs, the lookup message, the office's own
// template and the dates in words.
#include "DemoCompany.h"
#include "Documents.h"
#include "IniFile.h"
#include "DbError.h"
#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include "TestBackend.h"

using namespace folha;

namespace {

struct JobsSink : PageSink {
    std::vector<TextPage> pages;
    int begun = 0;
    int ended = 0;
    void begin(const ReportJobInfo&) override { ++begun; }
    void page(const TextPage& p) override { pages.push_back(p); }
    void end() override { ++ended; }
};

QStringList PageLines(const TextPage& page) {
    QStringList out;
    for (int i = 0; i < int(page.lines.size()); ++i) {
        QString line = page.lineText(i);
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
        out << line;
    }
    return out;
}

class DocumentsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempDir;
        session = new Session(Installation(root->path()));
        ScriptedUi ui;
        BuildDemo(*session, ui);
        auto company = Table(session->companyListDb(), "EmpresaFOLHA").find({1});
        ASSERT_TRUE(company.has_value());
        session->SetaDiretorio(company->text("Diretorio"));
        session->signIn.CurrentCompanyCode = 1;
        session->signIn.CurrentBranchCode = 1;
        session->signIn.CurrentBranchCodeText = "001";
        // Two active employees: the first enjoys vacation in December, the
        // second in March; the third is of category 99 with December dates.
        Table cadfun(session->folha(), "CADFUN");
        auto rows = cadfun.select({}, {}, "CODFUN");
        ASSERT_GE(rows.size(), 3u);
        const QDate starts[] = {QDate(2026, 12, 14), QDate(2027, 3, 1), QDate(2026, 12, 20)};
        for (int i = 0; i < 3; ++i) {
            Record r = rows[i];
            r.set("CONDICAO", 1).set("VINCULO", i == 2 ? 99 : 10);
            r.set("DT_INIFERI", QDate(2025, 6, 1)).set("DT_FINFERI", QDate(2026, 5, 31));
            r.set("DT_IGOZFER", starts[i]).set("DT_FGOZFER", starts[i].addDays(29));
            cadfun.update(r);
            codes << r.text("CODFUN");
        }
    }
    static void TearDownTestSuite() {
        delete session;
        delete root;
    }

    static DocumentOptions december() {
        DocumentOptions o;
        o.fromCode = codes[0].toInt();
        o.toCode = codes[2].toInt();
        o.dates["DATA_INICIAL"] = QDate(2026, 12, 1);
        o.dates["DATA_FINAL"] = QDate(2026, 12, 31);
        o.dates["DATA_RECEBIMENTO"] = QDate(2026, 12, 11);
        o.dates["DATA_EMISSAO"] = QDate(2026, 12, 7);
        return o;
    }

    static JobsSink run(const QString& screen, const DocumentOptions& o, ScriptedUi& ui) {
        JobsSink sink;
        RunDocumentCopies(*session, ui, *FindDocument(screen), o, [&](const auto& compose) {
            TextReport report(sink, FindDocument(screen)->width, 66);
            report.beginJob({});
            compose(report);
            report.endJob();
        });
        return sink;
    }

    static inline TempDir* root = nullptr;
    static inline Session* session = nullptr;
    static inline QStringList codes;
};

TEST(DocumentWords, DatesInWords) {
    const struct {
        QDate date;
        const char* words;
    } cases[] = {{QDate(2026, 12, 7), "07 de dezembro de 2026"},
                 {QDate(2026, 3, 1), "01 de março de 2026"},
                 {QDate(1999, 1, 31), "31 de janeiro de 1999"},
                 {QDate(), ""}};
    for (const auto& c : cases) EXPECT_EQ(DateInWords(c.date), QString::fromUtf8(c.words));
}

TEST(DocumentWords, TemplateLinesPlacedAndFree) {
    const auto lines = ParseDocumentTemplate("# comment\n3 34 Title\nfree text\n\n10 5 {NOME}\nafter\n");
    ASSERT_EQ(lines.size(), 4);
    const struct {
        int line, column;
        const char* text;
    } want[] = {{3, 34, "Title"}, {4, 1, "free text"}, {10, 5, "{NOME}"}, {11, 1, "after"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].line, want[i].line) << i;
        EXPECT_EQ(lines[i].column, want[i].column) << i;
        EXPECT_EQ(lines[i].text, QString(want[i].text)) << i;
    }
}

// The printed words of every template, against the misspellings and
// missing accents they once had (comments, behind "#", and the {FIELDS}
// are not printed as written).
TEST(DocumentWords, TemplatesCarryNoKnownMisspelling) {
    const char* const wrong[] = {"Resolevemos", "concede-las", "recebero", "PRORROGAÇAO", "HORARIO DE", "SAUDE",
                                 "A U T O R I Z A C A O", "FERIAS", "Funcionario", "periodo", "secao", "Consolidacao",
                                 "RETENCAO", "JURIDICA", "SERVICO", "RELACAO", "INFORMACOES", "CALENDARIO",
                                 "DEMISSAO", "demissao", "Codigo", "CODIGO", "Funcao", "Serie", "previo", "] NAO"};
    const QDir dir(QStringLiteral(FOLHA_SOURCE_DIR "/data/documentos"));
    const QStringList files = dir.entryList({"*.txt"}, QDir::Files);
    ASSERT_GE(files.size(), 10);
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        for (const QString& line : lines) {
            if (line.startsWith('#')) continue;
            const QString printed = QString(line).remove(QRegularExpression(QStringLiteral("\\{[^}]*\\}")));
            for (const char* w : wrong)
                EXPECT_FALSE(printed.contains(QString::fromUtf8(w))) << name.toStdString() << ": " << line.toStdString();
        }
    }
}

TEST_F(DocumentsTest, GoldenPageOfEachDocument) {
    for (const DocumentDef& def : Documents()) {
        ScriptedUi ui;
        DocumentOptions o = december();
        o.toCode = o.fromCode;
        o.lists["EQUIPAMENTOS"] = QStringList{"Capacete de seguranca", "Luva de raspa", "Protetor auricular"};
        o.extras = {{"ANO_CALENDARIO", "2025"}, {"CODIGO_RETENCAO", "1708"}, {"NATUREZA", "Servicos profissionais"},
                    {"RENDIMENTO", "48.000,00"}, {"IMPOSTO_RETIDO", "720"},
                    {"HORARIO_SEGUNDA", "08:00-12:00 13:00-19:00"}, {"HORARIO_TERCA", "08:00-12:00 13:00-19:00"},
                    {"HORARIO_QUARTA", "08:00-12:00 13:00-19:00"}, {"HORARIO_QUINTA", "08:00-12:00 13:00-19:00"},
                    {"HORARIO_SEXTA", "08:00-12:00 13:00-18:00"}, {"HORARIO_SABADO", "folga"},
                    {"VALOR_ACORDO", "1.234,56"}};
        const JobsSink sink = run(def.screen, o, ui);
        ASSERT_EQ(sink.pages.size(), 1u) << def.screen.toStdString();
        const QByteArray text = PageLines(sink.pages[0]).join('\n').toUtf8() + '\n';
        const QString path = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/") + def.screen + ".txt";
        QFile golden(path);
        if (qEnvironmentVariableIsSet("FOLHA_UPDATE_GOLDEN")) {
            ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
            golden.write(text);
            continue;
        }
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(text, golden.readAll()) << def.screen.toStdString();
        EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join('\n').toStdString();
    }
}

TEST_F(DocumentsTest, VacationNoticeOnlyForEnjoymentInTheIntervalAtItsColumns) {
    ScriptedUi ui;
    const JobsSink sink = run("TfoRelAvisoFerias", december(), ui);
    // The March employee and the category-99 one get no notice.
    ASSERT_EQ(sink.pages.size(), 1u);
    const QStringList lines = PageLines(sink.pages[0]);
    Table cadfun(session->folha(), "CADFUN");
    const QString name = cadfun.find({codes[0]})->text("NOME");
    EXPECT_EQ(lines[2], QString(33, ' ') + "- AVISO DE FÉRIAS -");
    EXPECT_TRUE(lines[5].startsWith(QString(9, ' ') + "Ao Funcionário " + name.trimmed())) << lines[5].toStdString();
    EXPECT_TRUE(lines[5].trimmed().endsWith(", Cod: " + codes[0]));
    EXPECT_EQ(lines[7], QString(9, ' ') + "Tendo V.Sa. direito a férias relativas ao período 01/06/2025 a 31/05/2026.");
    EXPECT_TRUE(lines[8].startsWith("Com o presente levamos ao seu conhecimento que resolvemos concedê-las de "
                                    "14/12/2026 a 12/01/2027"));
    EXPECT_TRUE(lines[9].startsWith("Pelo que deve V.Sa., no dia 11/12/2026, comparecer"));
    EXPECT_TRUE(lines[14].startsWith(QString(29, ' ')) && lines[14].endsWith(", 07 de dezembro de 2026"));
    EXPECT_EQ(lines[19], QString(18, ' ') + "Ciente do Empregado");
    EXPECT_EQ(lines[24], QString(12, ' ') + "Carimbo/Assinatura do Empregador");

    // March: only the second employee.
    DocumentOptions march = december();
    march.dates["DATA_INICIAL"] = QDate(2027, 3, 1);
    march.dates["DATA_FINAL"] = QDate(2027, 3, 31);
    const JobsSink second = run("TfoRelAvisoFerias", march, ui);
    ASSERT_EQ(second.pages.size(), 1u);
    EXPECT_TRUE(PageLines(second.pages[0])[5].trimmed().endsWith(codes[1]));
}

TEST_F(DocumentsTest, ListsRepeatTheirLinesAndPushTheRestDown) {
    ScriptedUi ui;
    DocumentOptions o = december();
    o.toCode = o.fromCode;
    // Family allowance: one line per dependant read back from the register,
    // for the first employee with more than one.
    QString withChildren;
    for (const Record& d : Table(session->folha(), "DEPENDE").select({}, {}, "CODFUN, NUMERO"))
        if (Table(session->folha(), "DEPENDE").count("CODFUN = ?", {d.text("CODFUN")}) > 1) {
            withChildren = d.text("CODFUN");
            break;
        }
    ASSERT_FALSE(withChildren.isEmpty());
    o.fromCode = o.toCode = withChildren.toInt();
    const auto dependants = Table(session->folha(), "DEPENDE").select("CODFUN = ?", {withChildren}, "NUMERO");
    const JobsSink family = run("TfoRelSalaFami", o, ui);
    ASSERT_EQ(family.pages.size(), 1u);
    QStringList lines = PageLines(family.pages[0]);
    for (size_t i = 0; i < dependants.size(); ++i)
        EXPECT_EQ(lines[11 + int(i)], " " + dependants[i].text("NOME_DEPEN").leftJustified(54) +
                                          dependants[i].date("DT_NASC").toString("dd/MM/yyyy"))
            << i;
    const int shift = std::max(0, int(dependants.size()) - 1);
    EXPECT_TRUE(lines[13 + shift].startsWith("Pelo presente TERMO")) << lines.join('\n').toStdString();

    // Equipment: the typed list, numbered.
    o.fromCode = o.toCode = codes[0].toInt();
    const struct {
        QStringList items;
        int textLine; // where the clause after the list starts (0-based)
    } cases[] = {{{"Luva"}, 14}, {{"Luva", "Capacete", "Botina"}, 16}};
    for (const auto& c : cases) {
        o.lists["EQUIPAMENTOS"] = c.items;
        const JobsSink epi = run("TfoRelComproReciEPI", o, ui);
        ASSERT_EQ(epi.pages.size(), 1u);
        lines = PageLines(epi.pages[0]);
        for (int i = 0; i < c.items.size(); ++i)
            EXPECT_EQ(lines[12 + i], QString::number(i + 1).leftJustified(6) + c.items[i].leftJustified(50) + "07/12/2026");
        EXPECT_TRUE(lines[c.textLine].startsWith("Comprometo-me")) << lines.join('\n').toStdString();
    }
    // A list longer than the page goes on over the next one, nothing past
    // a page's last line.
    QStringList many;
    for (int i = 1; i <= 80; ++i) many << QStringLiteral("Item %1").arg(i);
    o.lists["EQUIPAMENTOS"] = many;
    const JobsSink longList = run("TfoRelComproReciEPI", o, ui);
    ASSERT_EQ(longList.pages.size(), 2u);
    const QStringList first = PageLines(longList.pages[0]);
    const QStringList second = PageLines(longList.pages[1]);
    ASSERT_EQ(first.size(), 66);
    EXPECT_EQ(first[65], QString("54").leftJustified(6) + QString("Item 54").leftJustified(50) + "07/12/2026");
    EXPECT_EQ(second[0], QString("55").leftJustified(6) + QString("Item 55").leftJustified(50) + "07/12/2026");
    ASSERT_GE(second.size(), 28);
    EXPECT_TRUE(second[27].startsWith("Comprometo-me")) << second.join('\n').toStdString();
}

TEST(DocumentWords, TypedAmountsAreWrittenTheBrazilianWay) {
    const DocumentDef& def = *FindDocument("TfoRelDeclaraRendiPJ");
    const struct {
        const char* typed;
        const char* printed;
    } cases[] = {{"48.000,00", "48.000,00"}, {"1234,5", "1.234,50"}, {"720", "720,00"}, {"", "0,00"}};
    for (const auto& c : cases)
        EXPECT_EQ(DocumentExtras(def, {{"RENDIMENTO", c.typed}}).value("RENDIMENTO"), QString(c.printed)) << c.typed;
    EXPECT_THROW(DocumentExtras(def, {{"IMPOSTO_RETIDO", "12,345"}}), UserError);
    EXPECT_THROW(DocumentExtras(def, {{"RENDIMENTO", "abc"}}), UserError);
}

// What is typed for a document is checked before anything prints: the hours
// of a timetable, the code range and the date interval in order.
TEST(DocumentWords, TypedTimetablesAndRangesAreChecked) {
    const DocumentDef& hours = *FindDocument("TfoRelAcordoHoraTrabalho");
    const DocumentDef& notice = *FindDocument("TfoRelAvisoFerias");
    auto options = [](const char* monday, int from, int to, QDate first, QDate last) {
        DocumentOptions o;
        o.extras["HORARIO_SEGUNDA"] = QString::fromUtf8(monday);
        o.extras["VALOR_ACORDO"] = "100,00";
        o.fromCode = from;
        o.toCode = to;
        o.dates["DATA_INICIAL"] = first;
        o.dates["DATA_FINAL"] = last;
        return o;
    };
    const QDate dec1(2026, 12, 1), dec31(2026, 12, 31);
    const struct {
        const DocumentDef& def;
        DocumentOptions o;
        const char* refusal; // empty: accepted
    } cases[] = {
        {hours, options("08:00-12:00 13:00-17:00", 1, 9, dec1, dec31), ""},
        {hours, options("8:00 às 12:00", 1, 9, dec1, dec31), ""},
        {hours, options("22:00-24:00", 1, 9, dec1, dec31), ""},
        {hours, options("Folga", 1, 9, dec1, dec31), ""},
        {hours, options("", 1, 9, dec1, dec31), ""},
        {hours, options("25:00-99:99", 1, 9, dec1, dec31), "Horário inválido em Segunda-feira: 25:00-99:99"},
        {hours, options("08:00-12:60", 1, 9, dec1, dec31), "Horário inválido em Segunda-feira"},
        {hours, options("24:30", 1, 9, dec1, dec31), "Horário inválido em Segunda-feira"},
        {hours, options("08:00-1200", 1, 9, dec1, dec31), "Horário inválido em Segunda-feira"},
        {hours, options("", 9, 1, dec1, dec31), "Código inicial maior que o código final"},
        {notice, options("", 1, 9, dec31, dec1), "Data inicial maior que a data final"},
        {notice, options("", 1, 9, dec1, dec1), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.o.extras.value("HORARIO_SEGUNDA").toStdString());
        try {
            CheckDocumentOptions(c.def, c.o);
            EXPECT_STREQ(c.refusal, "");
        } catch (const UserError& e) {
            EXPECT_TRUE(*c.refusal && e.message().startsWith(QString::fromUtf8(c.refusal))) << e.message().toStdString();
        }
    }
}

TEST_F(DocumentsTest, EachCopyIsItsOwnJob) {
    const struct {
        int copies, jobs, pages;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    for (const auto& c : cases) {
        ScriptedUi ui;
        DocumentOptions o = december();
        o.copies = c.copies;
        const JobsSink sink = run("TfoRelAvisoFerias", o, ui);
        EXPECT_EQ(sink.begun, c.jobs) << c.copies;
        EXPECT_EQ(sink.ended, c.jobs) << c.copies;
        EXPECT_EQ(int(sink.pages.size()), c.pages) << c.copies;
        if (c.copies == 2) {
            EXPECT_EQ(PageLines(sink.pages[0]), PageLines(sink.pages[1]));
        }
    }
}

TEST_F(DocumentsTest, MissingEmployeeIsToldAndPrintsNothing) {
    ScriptedUi ui;
    DocumentOptions o = december();
    o.fromCode = o.toCode = 999998;
    const JobsSink sink = run("TfoRelPedDemissao", o, ui);
    EXPECT_TRUE(sink.pages.empty());
    EXPECT_TRUE(ui.texts().join('\n').contains("Funcionario Nao Cadastrado")) << ui.texts().join('\n').toStdString();
}

TEST_F(DocumentsTest, NameOrderFollowsTheNamesOfTheRegister) {
    // The last of the range renamed to come first by name.
    Table cadfun(session->folha(), "CADFUN");
    Record last = *cadfun.find({"000008"});
    const QString oldName = last.text("NOME");
    last.set("NOME", "AARAO PRIMEIRO NA ORDEM");
    cadfun.update(last);
    QList<QStringList> orders;
    for (const bool byName : {false, true}) {
        ScriptedUi ui;
        DocumentOptions o = december();
        o.fromCode = 1;
        o.toCode = 8;
        o.byName = byName;
        const JobsSink sink = run("TfoRelPedDemissao", o, ui);
        QStringList expected;
        for (const Record& r : Table(session->folha(), "CADFUN")
                                   .select("CODFUN >= ? AND CODFUN <= ?", {"000001", "000008"}, byName ? "NOME" : "CODFUN"))
            expected << r.text("NOME").trimmed();
        ASSERT_GE(expected.size(), 3);
        QStringList printed;
        for (const TextPage& page : sink.pages) printed << PageLines(page)[10].mid(17).trimmed();
        EXPECT_EQ(printed, expected) << byName;
        orders << printed;
    }
    last.set("NOME", oldName);
    cadfun.update(last);
    ASSERT_EQ(orders.size(), 2);
    EXPECT_EQ(orders[1].first(), "AARAO PRIMEIRO NA ORDEM");
    EXPECT_EQ(orders[0].last(), "AARAO PRIMEIRO NA ORDEM");
}

TEST_F(DocumentsTest, OneEmployeeDocumentWantsOneChosen) {
    const struct {
        int from, to;
        int pages;
        const char* told;
    } cases[] = {{0, 999999, 0, "Selecione o funcionário;"}, {1, 2, 0, "Selecione o funcionário;"}, {1, 1, 1, ""}};
    for (const auto& c : cases) {
        ScriptedUi ui;
        DocumentOptions o = december();
        o.fromCode = c.from;
        o.toCode = c.to;
        const JobsSink sink = run("TfoRelDeclaraRendiPJ", o, ui);
        EXPECT_EQ(int(sink.pages.size()), c.pages) << c.from << "-" << c.to;
        EXPECT_EQ(ui.texts().join('\n'), QString::fromUtf8(c.told)) << c.from << "-" << c.to;
    }
}

TEST_F(DocumentsTest, OfficeTemplateTakesThePlaceOfTheShippedOne) {
    const QString dir = session->installation().programDir() + "Documentos";
    ASSERT_TRUE(QDir().mkpath(dir));
    QFile office(dir + "/TfoRelPedDemissao.txt");
    ASSERT_TRUE(office.open(QIODevice::WriteOnly));
    office.write("2 10 CARTA DO ESCRITORIO {CODFUN}\nem {DATA_EMISSAO:extenso}\n");
    office.close();
    ScriptedUi ui;
    DocumentOptions o = december();
    o.toCode = o.fromCode;
    const JobsSink sink = run("TfoRelPedDemissao", o, ui);
    QFile::remove(office.fileName());
    ASSERT_EQ(sink.pages.size(), 1u);
    const QStringList lines = PageLines(sink.pages[0]);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], QString(9, ' ') + "CARTA DO ESCRITORIO " + codes[0]);
    EXPECT_EQ(lines[2], "em 07 de dezembro de 2026");
}

// The command line on its own demo installation: each copy is a job, the
// text copies follow one another in the file, zero copies write nothing.
TEST(DocumentCommand, CopiesFromTheCommandLine) {
    TempDir dir;
    auto folha = [&](const QStringList& args, int expected) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FOLHA_USER", "000001");
        env.insert("FOLHA_PASSWORD", "zorvan");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(FOLHA_BIN_DIR "/folha"), QStringList{"--root", dir.path()} + args);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), expected) << args.join(' ').toStdString() << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    folha({"init", "--demo"}, 0);
    const struct {
        const char* copies;
        int notices;
    } cases[] = {{"0", 0}, {"1", 1}, {"2", 2}};
    for (const auto& c : cases) {
        const QString out = dir.file(QStringLiteral("aviso%1.txt").arg(c.copies));
        const QString said = folha({"document", "TfoRelAvisoFerias", "--company", "1", "--from", "01/01/2000", "--to",
                                    "31/12/2030", "--date", "07/12/2026", "--copies", c.copies, "--format", "txt",
                                    "--output", out, "--yes"},
                                   0);
        EXPECT_TRUE(said.contains(QStringLiteral("%1 cópia(s)").arg(c.copies))) << said.toStdString();
        QFile file(out);
        if (c.notices == 0) {
            EXPECT_FALSE(file.exists());
            continue;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // The text form is the printer's: Latin-1.
        const QString text = QString::fromLatin1(file.readAll());
        EXPECT_EQ(text.count("- AVISO DE FÉRIAS -"), c.notices);
        EXPECT_TRUE(text.contains("SAO PAULO, 07 de dezembro de 2026"));
    }
    // Unknown document and a bad date are refused.
    folha({"document", "TfoRelNada", "--company", "1", "--format", "txt", "--output", dir.file("x.txt"), "--yes"}, 2);
    folha({"document", "TfoRelAvisoFerias", "--company", "1", "--from", "32/13/2026", "--format", "txt", "--output",
           dir.file("x.txt"), "--yes"},
          2);
}

} // namespace

// A cost centre missing from its register is told; the term still prints,
// with the code and no name. A registered one prints its name.
TEST_F(DocumentsTest, CostCentreOfTheTransportTermIsLookedUp) {
    Table cadfun(session->folha(), "CADFUN");
    Record r = *cadfun.find({codes[1]});
    const QString before = r.text("CENTCUSTO");
    r.set("CENTCUSTO", "ZZZ");
    cadfun.update(r);
    DocumentOptions o = december();
    o.fromCode = o.toCode = codes[1].toInt();
    ScriptedUi ui;
    const JobsSink missing = run("TfoRelTermoValeTransporte", o, ui);
    r.set("CENTCUSTO", before);
    cadfun.update(r);
    ASSERT_EQ(missing.pages.size(), 1u);
    EXPECT_EQ(ui.texts("warning"), QStringList{"Centro de Custo Nao Cadastrado"});
    EXPECT_TRUE(PageLines(missing.pages[0]).join('\n').contains("|C.CUSTO: ZZZ "));

    ScriptedUi again;
    const JobsSink found = run("TfoRelTermoValeTransporte", o, again);
    ASSERT_EQ(found.pages.size(), 1u);
    EXPECT_TRUE(again.texts("warning").isEmpty());
    const QString name = Table(session->folha(), "centcust").find({before})->text("DESC_CUSTO");
    EXPECT_TRUE(PageLines(found.pages[0]).join('\n').contains(before + " " + name)) << name.toStdString();
}

// Every document, with every text of the employee and the branch at its
// register's full length and the agreed amount at its longest wording, loses
// no word: each value is made of words found nowhere else, and each word is
// on the page, within the page's width.
TEST_F(DocumentsTest, FullLengthTextsWrapAndLoseNothing) {
    Table cadfun(session->folha(), "CADFUN");
    Table filial(session->folha(), "Filial");
    const Record employeeBefore = *cadfun.find({codes[0]});
    const Record branchBefore = *filial.find({"001"});
    QMap<QString, QStringList> wordsOf; // placeholder -> its words
    int fieldNumber = 0;
    auto fill = [&](Record& r, bool isBranch) {
        for (const FieldDef& f : r.def().fields) {
            if (f.type != FieldType::Text || f.size < 4 || !f.codes.isEmpty() || f.check != FieldCheck::None ||
                r.def().primaryKey.contains(f.name) || f.name == "CENTCUSTO")
                continue;
            // Words like "BQ07", unique to the field, up to its full size.
            const QString tag = QString(QChar('A' + fieldNumber / 26)) + QChar('A' + fieldNumber % 26);
            ++fieldNumber;
            QString value;
            for (int n = 0; value.size() < f.size; ++n)
                value += (value.isEmpty() ? "" : " ") + tag + QString::number(n).rightJustified(2, '0');
            value = value.left(f.size).trimmed();
            r.set(f.name, value);
            // The branch's name prints as {EMPRESA}.
            wordsOf[isBranch && f.name == "NOME" ? QString("EMPRESA") : f.name] = value.split(' ', Qt::SkipEmptyParts);
        }
    };
    Record employee = employeeBefore;
    Record branch = branchBefore;
    fill(employee, false);
    fill(branch, true);
    cadfun.update(employee);
    filial.update(branch);

    for (const DocumentDef& def : Documents()) {
        SCOPED_TRACE(def.screen.toStdString());
        DocumentOptions o = december();
        o.toCode = o.fromCode;
        o.dates["DATA_INICIAL"] = employee.date("DT_IGOZFER");
        o.dates["DATA_FINAL"] = employee.date("DT_IGOZFER");
        o.lists["EQUIPAMENTOS"] = QStringList{"Capacete de seguranca"};
        o.extras = {{"RENDIMENTO", "48.000,00"}, {"IMPOSTO_RETIDO", "720"}, {"VALOR_ACORDO", "97.777,77"},
                    {"HORARIO_SEGUNDA", "08:00-12:00 13:00-19:00"}};
        ScriptedUi ui;
        const JobsSink sink = run(def.screen, o, ui);
        ASSERT_FALSE(sink.pages.empty());
        QString text;
        for (const TextPage& page : sink.pages)
            for (const QString& line : PageLines(page)) {
                EXPECT_LE(line.size(), def.width) << line.toStdString();
                text += line + '\n';
            }
        const QString templ = DocumentTemplate(session->installation().programDir(), def.screen);
        for (auto it = wordsOf.begin(); it != wordsOf.end(); ++it) {
            if (!templ.contains("{" + it.key() + "}")) continue;
            for (const QString& word : it.value())
                EXPECT_TRUE(QRegularExpression("\\b" + word + "\\b").match(text).hasMatch())
                    << it.key().toStdString() << ": " << word.toStdString() << "\n" << text.toStdString();
        }
        if (templ.contains("{VALOR_ACORDO:extenso}")) {
            EXPECT_TRUE(text.simplified().contains("NOVENTA E SETE MIL SETECENTOS E SETENTA E SETE REAIS E SETENTA E "
                                                   "SETE CENTAVOS)."))
                << text.toStdString();
        }
    }
    cadfun.update(employeeBefore);
    filial.update(branchBefore);
}

// A document that concerns a worker identifies him (CPF and PIS with their
// leading zeros, the work card's number and series) and the company by its
// formatted CNPJ.
TEST_F(DocumentsTest, LabourDocumentsIdentifyTheWorkerAndTheCompany) {
    Table cadfun(session->folha(), "CADFUN");
    const Record before = *cadfun.find({codes[0]});
    Record r = before;
    r.set("NR_CPF", 1234567890).set("NR_PIS", 12000001116LL).set("NR_CART", 1001).set("SERIE", 123);
    cadfun.update(r);
    const char* const documents[] = {"TfoRelPedDemissao",       "TfoRelDemissaoTrabalho", "TfoRelAvisoFerias",
                                     "TfoRelAutorizaDesconto",  "TfoRelTermoValeTransporte", "TfoRelSalaFami",
                                     "TfoRelAtestSaudeOcupacional", "TfoRelComproReciEPI", "TfoRelAcordoHoraTrabalho"};
    for (const char* screen : documents) {
        SCOPED_TRACE(screen);
        DocumentOptions o = december();
        o.toCode = o.fromCode;
        o.extras = {{"VALOR_ACORDO", "100,00"}};
        ScriptedUi ui;
        const JobsSink sink = run(screen, o, ui);
        ASSERT_FALSE(sink.pages.empty());
        const QString text = PageLines(sink.pages[0]).join('\n');
        for (const char* expected : {"012.345.678-90", "120.00001.11-6", "12.345.678/0001-95"})
            EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();
        EXPECT_TRUE(QRegularExpression("1001,?\\s+[Ss][ée]rie 123").match(text).hasMatch()) << text.toStdString();
    }
    cadfun.update(before);
}

// The hours agreement words its amount and leaves an untyped day blank.
TEST_F(DocumentsTest, HoursAgreementWordsItsAmount) {
    DocumentOptions o = december();
    o.toCode = o.fromCode;
    o.extras = {{"HORARIO_SEGUNDA", "08:00-12:00 13:00-19:00"}, {"VALOR_ACORDO", "2.000.000,00"}};
    ScriptedUi ui;
    const JobsSink sink = run("TfoRelAcordoHoraTrabalho", o, ui);
    ASSERT_EQ(sink.pages.size(), 1u);
    const QString page = PageLines(sink.pages[0]).join('\n');
    EXPECT_TRUE(page.contains("de R$ 2.000.000,00")) << page.toStdString();
    EXPECT_TRUE(page.contains("(DOIS MILHÕES DE REAIS).")) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Terça-feira ....:\n"))) << page.toStdString();
    EXPECT_FALSE(page.contains("{")) << page.toStdString();
}

// The office that wants UM MIL says so once in CfgFolha.ini.
TEST_F(DocumentsTest, OfficeChoosesHowAThousandReads) {
    DocumentOptions o = december();
    o.toCode = o.fromCode;
    o.extras = {{"VALOR_ACORDO", "1.100,00"}};
    const QString ini = session->installation().programFile("CfgFolha.ini");
    const struct {
        const char* setting;
        const char* words;
    } cases[] = {{nullptr, "(MIL E CEM REAIS)."}, {"S", "(UM MIL E CEM REAIS)."}, {"N", "(MIL E CEM REAIS)."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "none");
        if (c.setting) {
            ASSERT_TRUE(WriteIniFileValue(ini, "Extenso", "UmMil", c.setting));
        }
        ScriptedUi ui;
        const JobsSink sink = run("TfoRelAcordoHoraTrabalho", o, ui);
        ASSERT_EQ(sink.pages.size(), 1u);
        const QString page = PageLines(sink.pages[0]).join('\n');
        EXPECT_TRUE(page.contains(QString::fromUtf8(c.words))) << page.toStdString();
    }
    WriteIniFileValue(ini, "Extenso", "UmMil", "");
}
