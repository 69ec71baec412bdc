// The text-report engine: page header, page buffer, report file bytes,
// print settings, destinations and the register listings on the demo.
#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "EmployeeRegister.h"
#include "HtmlReport.h"
#include "Listings.h"
#include "PrintSettings.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TextReport.h"
#include "XlsxExport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

namespace {

const QDateTime Clock(QDate(2026, 12, 7), QTime(16, 15, 30));

// Keeps the pages a report flushes.
struct PagesSink : PageSink {
    std::vector<TextPage> pages;
    int ended = 0;
    void page(const TextPage& p) override { pages.push_back(p); }
    void end() override { ++ended; }
};

QStringList Lines(const TextPage& page) {
    QStringList out;
    for (int i = 0; i < int(page.lines.size()); ++i) out << page.lineText(i);
    return out;
}

// ---- page header -------------------------------------------------------

struct HeaderCase {
    int width;
    int right; // column of "DATA.:" and "HORA.:"
};

class PageHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(PageHeader, DateTimeAndPageAtWidthMinusFifteen) {
    const HeaderCase c = GetParam();
    PagesSink sink;
    TextReport report(sink, c.width, 66);
    report.setCompanyName("EMPRESA DEMO");
    report.setClock(Clock);
    report.beginJob({"Relatório de Cargos", "TfoCadRelCargos"});
    EXPECT_EQ(report.pageHeader("Relatório de Cargos"), 4);
    report.flushPage();
    ASSERT_EQ(sink.pages.size(), 1u);
    const QStringList lines = Lines(sink.pages[0]);
    const QString pad1 = QString(c.right - 1 - 31, ' '); // "EMPRESA DEMO:FOLHA DE PAGAMENTO" is 31 long
    const QString pad2 = QString(c.right - 1 - 36, ' '); // the supplier line is 36 long
    const QString pad3 = QString(c.right - 1 - 19, ' '); // "Relatório de Cargos" is 19 long
    EXPECT_EQ(lines, (QStringList{"EMPRESA DEMO:FOLHA DE PAGAMENTO" + pad1 + "DATA.:07/12/2026",
                                  "Zorvan Sistemas - Folha de Pagamento" + pad2 + "HORA.:  16:15:30",
                                  "Relatório de Cargos" + pad3 + "PAG..:0000000001", QString(c.width, '-')}));
    EXPECT_EQ(lines[0].indexOf("DATA.:") + 1, c.right);
    EXPECT_EQ(lines[0].size(), c.width);
}

INSTANTIATE_TEST_SUITE_P(Widths, PageHeader, ::testing::Values(HeaderCase{80, 65}, HeaderCase{100, 85}, HeaderCase{132, 117}),
                         [](const ::testing::TestParamInfo<HeaderCase>& info) { return "Width" + std::to_string(info.param.width); });

TEST(TextReportTest, SheetNumberingOnceThenPageCounter) {
    PagesSink sink;
    TextReport report(sink, 80, 66);
    report.setClock(Clock);
    report.beginJob({});
    report.setSheetNumberingOnce();
    report.pageHeader("T");
    report.flushPage();
    report.pageHeader("T");
    report.flushPage();
    EXPECT_EQ(sink.pages[0].lineText(2).mid(64), "FOLHA:1");
    EXPECT_EQ(sink.pages[1].lineText(2).mid(64), "PAG..:0000000002");
}

TEST(TextReportTest, SubtitleAndFilterLineAndTheSpreadsheetLeavesTheFilterOut) {
    for (bool omit : {false, true}) {
        PagesSink sink;
        TextReport report(sink, 80, 66);
        report.setClock(Clock);
        report.setOmitFilter(omit);
        report.beginJob({});
        EXPECT_EQ(report.pageHeader("T", "Filial 001", "Ativos"), 5);
        report.flushPage();
        EXPECT_EQ(sink.pages[0].lineText(3), omit ? QString("Filial 001") : QString("Filial 001 - Ativos"));
        EXPECT_EQ(sink.pages[0].lineText(4), QString(80, '-'));
    }
}

TEST(TextReportTest, PutTextCellsControlStringsEndOfLineAndWidth) {
    PagesSink sink;
    TextReport report(sink, 10, 66);
    report.beginJob({});
    report.putText(1, 3, "abc");
    report.putText(1, 1, QString(QChar(15)));      // one cell
    report.putText(2, 8, "123456");                 // cut at column 10
    report.putText(3, 1, "xy" + EndOfLineMark + "z"); // the line ends at the mark
    report.putText(5, 1, "   ");
    // Control cells written over by characters and the other way round.
    report.putText(6, 1, "\x1b" "E");
    report.putText(6, 4, QString(QChar(18)));
    report.putText(6, 2, "ab");
    report.putText(6, 4, "c");
    report.putText(6, 5, QString(QChar(15)));
    // The mark after a control cell; a control string that only starts
    // with the mark's code is no mark.
    report.putText(7, 1, QString(QChar(15)));
    report.putText(7, 2, "ab" + EndOfLineMark + "cd");
    report.putText(8, 1, EndOfLineMark + "X");
    report.putText(8, 2, "ok");
    report.flushPage();
    const TextPage& p = sink.pages[0];
    ASSERT_EQ(p.lines.size(), 8u);
    EXPECT_EQ(p.lineText(5), "\x1b" "Eabc" + QString(QChar(15)));
    EXPECT_EQ(p.visibleText(5), "abc");
    EXPECT_EQ(p.lineText(6), QChar(15) + QString("ab"));
    EXPECT_EQ(p.lineText(7), EndOfLineMark + "Xok");
    EXPECT_EQ(p.lines[0].size(), 5);
    EXPECT_EQ(p.lineText(0), QChar(15) + QString(" abc"));
    EXPECT_EQ(p.visibleText(0), " abc");
    EXPECT_EQ(p.lineText(1), "       123");
    EXPECT_EQ(p.lineText(2), "xy");
    EXPECT_TRUE(p.lines[3].isEmpty());
    EXPECT_TRUE(p.lines[4].isEmpty()); // trailing blanks dropped
}

// ---- report file bytes -------------------------------------------------

TEST(ReportFileTest, BlankLinesDensityAndCrLfInLatin1) {
    TextPage page;
    page.lines = {TextLine::fromText("Aç"), {}, TextLine::fromText(QChar(18) + QString(" ")), TextLine::fromText("B")};
    EXPECT_EQ(TextPageBytes(page, DensityCondensed), QByteArray("\x0f\x1b" "2" "A\xe7\r\n \r\n \r\nB\r\n"));
    EXPECT_EQ(TextPageBytes(page, QString()), QByteArray("A\xe7\r\n \r\n \r\nB\r\n"));
}

// Each page starts with density and line spacing; for a text printer each
// also ends with a form feed, which the preview's reading drops.
TEST(ReportFileTest, EachPageStartsWithDensityAndLineSpacing) {
    const struct {
        ReportFileSink::PageEnd end;
        QByteArray bytes;
    } cases[] = {
        {ReportFileSink::PageEnd::Plain, QByteArray("\x12\x1b" "2um\r\n\x12\x1b" "2dois\r\n \r\ntres\r\n")},
        {ReportFileSink::PageEnd::FormFeed, QByteArray("\x12\x1b" "2um\r\n\f\x12\x1b" "2dois\r\n \r\ntres\r\n\f")},
    };
    for (const auto& c : cases) {
        TempDir d;
        const QString path = d.file("r.IMP");
        ReportFileSink sink(path, DensityNormal, c.end);
        TextReport report(sink, 20, 66);
        report.beginJob({});
        report.putText(1, 1, "um");
        report.flushPage();
        report.clear();
        report.putText(1, 1, "dois");
        report.putText(3, 1, "tres");
        report.flushPage();
        report.endJob();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.bytes);
        const auto pages = ReadReportFile(path);
        ASSERT_EQ(pages.size(), 2u);
        EXPECT_EQ(pages[0].lines.size(), 1u);
        EXPECT_EQ(pages[1].lineText(0), "dois");
        EXPECT_EQ(pages[1].lineText(2), "tres");
        EXPECT_EQ(pages[1].lines.size(), 3u);
    }
}

TEST(ReportFileTest, NameAndRemovalOfOlderDaysFilesWhateverTheCase) {
    EXPECT_EQ(ReportFileName(Clock), "TMP20261207161530.IMP");
    TempDir d;
    for (const char* name : {"TMP20261207080000.IMP", "tmp20261206235959.imp", "Tmp20250101000000.Imp", "TMP.txt", "outro.IMP"}) {
        QFile f(d.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    RemoveOldReportFiles(d.path(), Clock.date());
    QStringList left = QDir(d.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{"TMP.txt", "TMP20261207080000.IMP", "outro.IMP"}));
}

TEST(ReportFileTest, WithoutDensityPagesAreSplitAtTheFirstHeaderLine) {
    TempDir d;
    QFile f(d.file("r.IMP"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("EMP:FOLHA DE PAGAMENTO\r\nlinha 1\r\n \r\nEMP:FOLHA DE PAGAMENTO\r\nlinha 2\r\n");
    f.close();
    const auto pages = ReadReportFile(d.file("r.IMP"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].lines.size(), 3u);
    EXPECT_TRUE(pages[0].lines[2].isEmpty());
    EXPECT_EQ(pages[1].number, 2);
    EXPECT_EQ(pages[1].lineText(1), "linha 2");
    EXPECT_EQ(pages[1].width, 22);
}

TEST(HtmlReportTest, EscapedUtf8OnePreBlockPerPageWithoutControlCodes) {
    TempDir d;
    HtmlSink sink(d.file("r.html"));
    sink.begin({"Cargos & Salários", "X"});
    TextPage p1;
    p1.lines = {TextLine::fromText(QChar(15) + QString("<ç>"))};
    sink.page(p1);
    sink.page(p1);
    sink.end();
    QFile f(d.file("r.html"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.contains("<title>Cargos &amp; Salários</title>"));
    EXPECT_EQ(html.count("<pre class=\"page\">&lt;ç&gt;\n</pre>"), 2);
    EXPECT_TRUE(html.contains("page-break-before: always"));
    EXPECT_FALSE(html.contains(QChar(15)));
}

TEST(ReportFileTest, AQueueThatRefusesTheJobIsAUserError) {
    TempDir d;
    QFile f(d.file("r.IMP"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x\r\n");
    f.close();
    try {
        SendRawToQueue("fila-que-nao-existe", d.file("r.IMP"));
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().startsWith("A impressora fila-que-nao-existe recusou o relatório") ||
                    e.message().contains("\"lp\" não está disponível"))
            << e.message().toStdString();
    }
}

// ---- print settings ----------------------------------------------------

TEST(PrintSettingsTest, ProposedLines) {
    EXPECT_EQ(ProposedLinesPerPage(PrintMode::Text, true, true), 66);
    EXPECT_EQ(ProposedLinesPerPage(PrintMode::Graphic, true, true), 99);
    EXPECT_EQ(ProposedLinesPerPage(PrintMode::Graphic, true, false), 73);
    EXPECT_EQ(ProposedLinesPerPage(PrintMode::Graphic, false, true), 70);
    EXPECT_EQ(ProposedLinesPerPage(PrintMode::Graphic, false, false), 50);
}

struct ConfirmCase {
    PrintDestination chosen;
    PrintMode mode;
    bool remote;
    int lines;
    PrintDestination expected;
    int expectedLines;
};

TEST(PrintSettingsTest, ConfirmForcesNinetyLinesAndTurnsARemoteTextPrinterIntoTheRemoteFile) {
    const ConfirmCase cases[] = {
        {PrintDestination::Excel, PrintMode::Text, false, 66, PrintDestination::Excel, 90},
        {PrintDestination::Browser, PrintMode::Graphic, false, 12, PrintDestination::Browser, 90},
        {PrintDestination::Preview, PrintMode::Text, false, 40, PrintDestination::Preview, 40},
        {PrintDestination::Printer, PrintMode::Text, true, 66, PrintDestination::RemoteFile, 66},
        {PrintDestination::Printer, PrintMode::Graphic, true, 73, PrintDestination::Printer, 73},
        {PrintDestination::Printer, PrintMode::Text, false, 0, PrintDestination::Printer, 1},
        {PrintDestination::Pdf, PrintMode::Graphic, false, 1200, PrintDestination::Pdf, 999},
    };
    for (const ConfirmCase& c : cases) {
        PrintSettings s;
        s.destination = c.chosen;
        s.mode = c.mode;
        s.remoteEnabled = c.remote;
        s.linesPerPage = c.lines;
        const PrintSettings done = ConfirmPrintSettings(s);
        EXPECT_EQ(done.destination, c.expected) << int(c.chosen);
        EXPECT_EQ(done.linesPerPage, c.expectedLines) << int(c.chosen);
    }
}

TEST(PrintSettingsTest, PrinterListFromTheSystemOrFromPrintersTxt) {
    TempDir d;
    Installation inst(d.path());
    const QString longName = QString(60, 'X');
    auto list = PrinterList(inst, {"Epson LX-300 on LPT1:", longName + " on USB001", "Sem porta"});
    ASSERT_EQ(list.size(), 7);
    EXPECT_EQ(list[0].name, "Epson LX-300");
    EXPECT_EQ(list[0].port, "LPT1:");
    EXPECT_EQ(list[1].name, QString(50, 'X'));
    EXPECT_EQ(list[1].port, "USB001");
    EXPECT_EQ(list[2].name, "Sem porta");
    EXPECT_EQ(list[3].name, "BROWSER");
    EXPECT_EQ(list[3].destination, PrintDestination::Browser);
    EXPECT_EQ(list[4].destination, PrintDestination::Excel);
    EXPECT_EQ(list[5].name, "VISUALIZAR");
    EXPECT_EQ(list[5].destination, PrintDestination::Preview);
    EXPECT_EQ(list[6].destination, PrintDestination::Pdf);

    QFile f(inst.localPath("C:\\Printers.txt"));
    QDir().mkpath(QFileInfo(f).path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\\\\servidor\\matricial\r\n\r\nLaser do RH\r\n");
    f.close();
    list = PrinterList(inst, {"Epson LX-300 on LPT1:"});
    ASSERT_EQ(list.size(), 6);
    EXPECT_EQ(list[0].name, "\\\\servidor\\matricial");
    EXPECT_EQ(list[1].name, "Laser do RH");
    EXPECT_EQ(list[2].name, "BROWSER");
}

// ---- listing values ----------------------------------------------------

TEST(ListingsTest, FormatListValue) {
    struct Case {
        QVariant value;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {QVariant::fromValue(Fixed::fromRaw(12345000)), "%6.2n", "1.234,50"},
        {QVariant::fromValue(Fixed::fromRaw(250000)), "%6.2n", " 25,00"},
        {QVariant::fromValue(Fixed::fromRaw(12345678901)), "%12.2n", "1.234.567,89"},
        {QVariant::fromValue(Fixed::fromRaw(750)), "%11.4n", "     0,0750"},
        {QVariant::fromValue(Fixed::fromRaw(1050)), "%6.2n", "  0,11"},   // half up
        {QVariant::fromValue(Fixed::fromRaw(-12345000)), "%6.2n", "-1.234,50"},
        {QVariant(25), "%6.2n", " 25,00"},
        {QVariant(QString("7")), "%3.3d", "007"},
        {QVariant(QString("000123")), "%6.6d", "000123"},
        {QVariant(1), "%1.1d", "1"},
        {QVariant(QString("12345678")), "%8.8d", "12345678"},
        {QVariant::fromValue(Fixed()), "%5.5n", "0,00000"},
        {QVariant(QDate(2020, 3, 1)), "", "01/03/2020"},
        {QVariant(QString("NOME  ")), "", "NOME"},
        {QVariant(), "%6.2n", "  0,00"},
        {QVariant::fromValue(Fixed::fromRaw(-40)), "%6.2n", "  0,00"}, // no "-0,00"
        {QVariant::fromValue(Fixed::fromRaw(9999999)), "%6.2n", "1.000,00"}, // rounding carries
        {QVariant::fromValue(Fixed::fromRaw(-1234567)), "%10.5n", "-123,45670"},
        {QVariant::fromValue(Fixed::fromRaw(1000000000)), "%9.0n", "  100.000"},
        // Not a format: the value as it stands.
        {QVariant(QString("12")), "%6.2x", "12"},
        {QVariant(QString("12")), "%.2n", "12"},
        {QVariant(QString("12")), "%6.n", "12"},
        {QVariant(QString("12")), "%6,2n", "12"},
        {QVariant(QString("12")), "6.2n", "12"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatListValue(c.value, c.format), QString::fromUtf8(c.expected)) << c.format << " " << c.expected;
}

TEST(ListingsTest, FindByScreenOrAliasAndTitlesLine) {
    EXPECT_EQ(Listings().size(), 19);
    ASSERT_NE(FindListing("tfocadrelcargos"), nullptr);
    EXPECT_EQ(FindListing("CARGOS")->screen, "TfoCadRelCargos");
    EXPECT_EQ(FindListing("nada"), nullptr);
    // Cargos: code at 6, name at 15, % at 57 (6 wide), occurrence at 65 (2 wide).
    const QString titles = ListingTitlesLine(*FindListing("cargos"));
    EXPECT_EQ(titles, QString("    @Cód.    @Nome do Cargo" + QString(28, ' ') + "@% Apos.@Ocor.@"));
    EXPECT_EQ(titles.indexOf("Cód."), 5);
    EXPECT_EQ(titles.indexOf("Nome"), 14);
    EXPECT_EQ(titles.indexOf("% Apos."), 56);
}

// No listed column may run into the next one or past the page width.
TEST(ListingsTest, ColumnsFitThePageAndDoNotOverlap) {
    for (const ListingDef& d : Listings()) {
        QMap<int, QList<ListColumn>> byLine;
        for (const ListColumn& c : d.columns) byLine[c.line] << c;
        for (auto cols : byLine) {
            std::sort(cols.begin(), cols.end(), [](auto& a, auto& b) { return a.column < b.column; });
            for (int i = 0; i < cols.size(); ++i) {
                const int end = cols[i].column + ListColumnWidth(d, cols[i]) - 1;
                EXPECT_LE(end, d.width) << d.screen.toStdString() << " " << cols[i].field.toStdString();
                if (i + 1 < cols.size()) {
                    EXPECT_LT(end, cols[i + 1].column) << d.screen.toStdString() << " " << cols[i].field.toStdString();
                }
            }
        }
        EXPECT_TRUE(d.width == 80 || d.width == 132) << d.screen.toStdString();
    }
}

// A grid list: titles in capitals with an empty line under them, five
// lines kept free at the foot, rows given one by one.
TEST(ListComposerTest, RowsFromTheCallerTitlesInCapitalsAndAFreeFoot) {
    PagesSink sink;
    TextReport report(sink, 40, 14);
    report.setCompanyName("DEMO");
    report.setClock(Clock);
    report.beginJob({"Relatório de Bancos", "TfoCadBancos"});
    ListOptions options;
    options.blankLinesAfterTitles = 1;
    options.bottomMargin = 5;
    options.capitalTitles = true;
    ListComposer list(report, "Relatório de Bancos", {{"Código", "COD_BANCO", 1, "", 1, ""}, {"Valor", "NSA", 12, "%6.2n", 1, ""}}, {}, options);
    for (int i = 1; i <= 5; ++i) {
        QVariantMap row;
        row.insert("cod_banco", QString("%1").arg(i, 3, 10, QChar('0')));
        row.insert("NSA", QVariant::fromValue(Fixed::fromInt(i * 1000)));
        list.addRow(row);
    }
    list.finish();
    report.endJob();
    ASSERT_EQ(sink.pages.size(), 2u);
    // Header (4 lines), titles, the empty line, then rows on lines 7 to 9.
    const QStringList first = Lines(sink.pages[0]);
    ASSERT_EQ(first.size(), 9);
    EXPECT_EQ(first[4], "CÓDIGO      VALOR");
    EXPECT_EQ(first[5], "");
    EXPECT_EQ(first[6], "001        1.000,00");
    EXPECT_EQ(first[8], "003        3.000,00");
    const QStringList second = Lines(sink.pages[1]);
    ASSERT_EQ(second.size(), 8);
    EXPECT_TRUE(second[2].startsWith("Relatório de Bancos"));
    EXPECT_EQ(second[7], "005        5.000,00");
    EXPECT_EQ(list.rows(), 5);
}

// A grid list's spreadsheet titles: each "@" one place before its column,
// so the export cuts " 00100001  BANCO DO BRASIL" into its two values.
TEST(ListComposerTest, TitlesLineStandsOverTheColumns) {
    const QString line = ColumnTitlesLine({{"CÓD", "C0", 2, "", 1, ""}, {"NOME", "C3", 12, "", 1, ""}}, 30);
    EXPECT_EQ(line, "@CÓD      @NOME" + QString(26, ' ') + "@");
    const QList<XlsxColumn> cut = ParseTitlesLine(line);
    ASSERT_EQ(cut.size(), 2);
    const QString row = " 00100001  BANCO DO BRASIL";
    EXPECT_EQ(row.mid(cut[0].position, cut[0].width).trimmed(), "00100001");
    EXPECT_EQ(row.mid(cut[1].position, cut[1].width).trimmed(), "BANCO DO BRASIL");
    EXPECT_EQ(ColumnTitlesLine({}, 10), "");
}

// ---- the listings on the demo installation -------------------------------

class DemoListings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempDir;
        session = new Session(Installation(root->path()));
        ScriptedUi ui;
        BuildDemo(*session, ui);
        auto company = Table(session->companyListDb(), "EmpresaFOLHA").find({1});
        ASSERT_TRUE(company.has_value());
        companyName = company->text("Nome").trimmed();
        session->SetaDiretorio(company->text("Diretorio"));
        session->signIn.CurrentCompanyCode = 1;
    }
    static void TearDownTestSuite() {
        delete session;
        delete root;
    }
    // The listing's report file bytes.
    static QByteArray listing(const ListingDef& def, ListingOrder order, int lines, ListingResult* result = nullptr,
                              ScriptedUi* uiGiven = nullptr) {
        TempDir out;
        ScriptedUi localUi;
        ScriptedUi& ui = uiGiven ? *uiGiven : localUi;
        ReportFileSink sink(out.file("r.IMP"), DensityCondensed);
        TextReport report(sink, def.width, lines);
        report.setCompanyName(companyName);
        report.setClock(Clock);
        report.beginJob({def.caption, def.screen});
        ListingResult r = ComposeListing(*session, ui, def, order, report);
        report.endJob();
        if (result) *result = r;
        QFile f(out.file("r.IMP"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static TempDir* root;
    static Session* session;
    static QString companyName;
};
TempDir* DemoListings::root = nullptr;
Session* DemoListings::session = nullptr;
QString DemoListings::companyName;

TEST_F(DemoListings, EachListingMatchesItsGoldenFile) {
    const bool update = qEnvironmentVariableIsSet("FOLHA_UPDATE_GOLDEN");
    for (const ListingDef& def : Listings()) {
        const QByteArray bytes = listing(def, def.nameIndex.isEmpty() ? ListingOrder::Code : ListingOrder::Name, 66);
        const QString path = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/%1.txt").arg(def.screen);
        QFile f(path);
        if (update) {
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            continue;
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(bytes, f.readAll()) << def.screen.toStdString();
    }
}

TEST_F(DemoListings, TenLinesPerPageGiveHeaderTitlesAndFiveRows) {
    const ListingDef& def = *FindListing("TfoCadRelCargos");
    const QByteArray bytes = listing(def, ListingOrder::Code, 10);
    const QList<QByteArray> pages = bytes.split('\x0f');
    ASSERT_GE(pages.size(), 3); // empty piece before the first page, then two pages at least
    const QList<QByteArray> first = pages[1].split('\n');
    // 4 header lines, 1 titles line, 5 rows, then the end of the last line.
    ASSERT_EQ(first.size(), 11);
    EXPECT_TRUE(first[0].startsWith("\x1b" "2" + companyName.toLatin1() + ":FOLHA DE PAGAMENTO"));
    EXPECT_TRUE(first[4].startsWith("     C\xf3" "d.     Nome do Cargo"));
    EXPECT_TRUE(first[5].startsWith("     001      AUXILIAR ADMINISTRATIVO"));
    EXPECT_TRUE(pages[2].contains("PAG..:0000000002"));
}

TEST_F(DemoListings, NameOrderFollowsTheNameIndex) {
    const ListingDef& def = *FindListing("cargos");
    const QString byName = QString::fromLatin1(listing(def, ListingOrder::Name, 66));
    const QString byCode = QString::fromLatin1(listing(def, ListingOrder::Code, 66));
    EXPECT_LT(byName.indexOf("AUXILIAR ADMINISTRATIVO"), byName.indexOf("OPERADOR DE MAQUINAS"));
    EXPECT_LT(byName.indexOf("OPERADOR DE MAQUINAS"), byName.indexOf("VIGILANTE"));
    EXPECT_NE(byName, byCode);
}

TEST_F(DemoListings, CancelKeepsThePagesSoFar) {
    ScriptedUi ui;
    ui.cancelAfterSteps = 2;
    ListingResult r;
    const QByteArray bytes = listing(*FindListing("cargos"), ListingOrder::Code, 66, &r, &ui);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.rows, 2);
    EXPECT_EQ(bytes.count("\r\n"), 4 + 1 + 2);
}

TEST_F(DemoListings, BrowserJobWritesTheReportFileAndTheHtmlBesideIt) {
    PrintSettings s;
    s.destination = PrintDestination::Browser;
    s = ConfirmPrintSettings(s);
    ScriptedUi ui;
    const ListingDef& def = *FindListing("linha");
    ReportRequest request{{def.caption, def.screen}, def.width, {}, nullptr};
    const ReportResult r = RunReportJob(*session, ui, s, request, [&](TextReport& report) {
        return !ComposeListing(*session, ui, def, ListingOrder::Code, report).cancelled;
    });
    EXPECT_EQ(r.pages, 1);
    EXPECT_TRUE(QFileInfo(r.reportFile).fileName().startsWith("TMP"));
    EXPECT_EQ(QFileInfo(r.htmlFile).path(), QFileInfo(r.reportFile).path());
    EXPECT_EQ(QFileInfo(r.htmlFile).completeBaseName(), QFileInfo(r.reportFile).completeBaseName());
    QFile html(r.htmlFile);
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    EXPECT_TRUE(text.contains("<meta charset=\"utf-8\">"));
    EXPECT_TRUE(text.contains("<title>Relatório De Linhas</title>"));
    EXPECT_TRUE(text.contains(companyName.toHtmlEscaped() + ":FOLHA DE PAGAMENTO"));
    EXPECT_EQ(text.count("<pre class=\"page\">"), 1);
    QFile::remove(r.reportFile);
    QFile::remove(r.htmlFile);
}

TEST_F(DemoListings, TextPrinterGetsTheReportFileOnItsQueue) {
    PrintSettings s;
    s.printerName = "fila-que-nao-existe";
    ScriptedUi ui;
    int composed = 0;
    EXPECT_THROW(RunReportJob(*session, ui, s, ReportRequest{{"T", "T"}, 80, {}, nullptr},
                              [&](TextReport& report) {
                                  report.pageHeader("T");
                                  report.flushPage();
                                  ++composed;
                                  return true;
                              }),
                 UserError);
    EXPECT_EQ(composed, 1);
    // Stopped by the clerk: nothing is sent to the queue, so nothing is refused.
    const ReportResult stopped = RunReportJob(*session, ui, s, ReportRequest{{"T", "T"}, 80, {}, nullptr},
                                              [&](TextReport& report) {
                                                  report.pageHeader("T");
                                                  report.flushPage();
                                                  return false;
                                              });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.pages, 1);
    // The file a text printer gets ends its page with a form feed.
    QFile f(stopped.reportFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.count('\f'), 1);
    EXPECT_TRUE(bytes.endsWith("\r\n\f"));
}

TEST_F(DemoListings, GraphicPrinterWithoutADrawnSinkIsRefused) {
    PrintSettings s;
    s.mode = PrintMode::Graphic;
    ScriptedUi ui;
    EXPECT_THROW(RunReportJob(*session, ui, s, ReportRequest{}, [](TextReport&) { return true; }), UserError);
}

TEST_F(DemoListings, RemoteFileGoesToTheClientDriveFolderAndSaysSo) {
    PrintSettings s;
    s.remoteEnabled = true;
    s = ConfirmPrintSettings(s);
    ASSERT_EQ(s.destination, PrintDestination::RemoteFile);
    ScriptedUi ui;
    const ReportResult r = RunReportJob(*session, ui, s, ReportRequest{{"T", "T"}, 80, {}, nullptr}, [](TextReport& report) {
        report.pageHeader("T");
        report.flushPage();
        return true;
    });
    EXPECT_EQ(QFileInfo(r.reportFile).absolutePath(), QDir(session->installation().localPath("\\\\tsclient\\C\\")).absolutePath());
    QFile::remove(r.reportFile);
    EXPECT_EQ(ui.texts("message"), QStringList{RemoteFileReadyMessage()});
}

// The client tells its drive in the first line of "ImpTmp.txt" on its C:
// drive; the report goes to that drive's folder, created when missing.
TEST_F(DemoListings, RemoteDriveLetterComesFromTheClientsImpTmpFile) {
    const QString impTmp = session->installation().localPath("\\\\tsClient\\C\\ImpTmp.txt");
    QDir().mkpath(QFileInfo(impTmp).absolutePath());
    {
        QFile f(impTmp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("E:\\Relatorios\r\nsegunda linha\r\n");
    }
    PrintSettings s;
    s.destination = PrintDestination::RemoteFile;
    const QString folder = ReportFolder(*session, s);
    QFile::remove(impTmp);
    EXPECT_EQ(QDir(folder).absolutePath(), QDir(session->installation().localPath("\\\\tsclient\\E\\")).absolutePath());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

// The register sheets of a code range, as report file bytes.
QByteArray RegisterSheets(Session& session, const QString& company, const EmployeeRegisterOptions& options,
                          ListingResult* result = nullptr) {
    TempDir out;
    ScriptedUi ui;
    ReportFileSink sink(out.file("r.IMP"), DensityCondensed);
    TextReport report(sink, EmployeeRegisterWidth, 66);
    report.setCompanyName(company);
    report.setClock(QDateTime(QDate(2013, 5, 31), QTime(10, 0)));
    report.beginJob({EmployeeRegisterCaption, EmployeeRegisterScreen});
    const ListingResult r = ComposeEmployeeRegister(session, ui, options, report);
    report.endJob();
    if (result) *result = r;
    QFile f(out.file("r.IMP"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

TEST_F(DemoListings, RegisterSheetOfTheFirstEmployeeMatchesItsGoldenFile) {
    const QByteArray bytes = RegisterSheets(*session, companyName, {"000001", "000001", ListingOrder::Code});
    const QString path = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/TfoRelRegiFun.txt");
    QFile f(path);
    if (qEnvironmentVariableIsSet("FOLHA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return;
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(bytes, f.readAll());
}

// Each sheet names its employee, the job, union and bank from their
// registers, and the dependants of that employee only.
TEST_F(DemoListings, RegisterSheetsFollowTheRangeAndTheOrder) {
    struct Case {
        EmployeeRegisterOptions options;
        int pages;
        const char* firstCode;
    };
    const Case cases[] = {
        {{"1", "1", ListingOrder::Code}, 1, "000001"},
        {{"000005", "000007", ListingOrder::Code}, 3, "000005"},
        {{"000005", "000007", ListingOrder::Name}, 3, "000005"},
        {{"", "000002", ListingOrder::Code}, 2, "000001"},
        {{"999990", "", ListingOrder::Code}, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.first.toStdString() + "-" + c.options.last.toStdString());
        ListingResult result;
        const QString text = QString::fromLatin1(RegisterSheets(*session, companyName, c.options, &result));
        EXPECT_EQ(result.rows, c.pages);
        EXPECT_EQ(text.count(QStringLiteral("PAG..:")), c.pages);
        if (c.firstCode) {
            const qsizetype at = text.indexOf(QStringLiteral("C\u00f3digo.........: "));
            ASSERT_GE(at, 0);
            EXPECT_EQ(text.mid(at + 17, 6), QLatin1String(c.firstCode));
        }
    }
    const QString sheet = QString::fromLatin1(RegisterSheets(*session, companyName, {"000006", "000006", ListingOrder::Code}));
    auto cadfun = Table(session->folha(), "CADFUN").find({"000006"});
    ASSERT_TRUE(cadfun.has_value());
    EXPECT_TRUE(sheet.contains(cadfun->text("NOME").trimmed()));
    EXPECT_TRUE(sheet.contains(QStringLiteral("104 - CAIXA ECONOMICA FEDERAL")));
    const auto dependants = Table(session->folha(), "DEPENDE").select("CODFUN = ?", {"000006"});
    ASSERT_FALSE(dependants.empty());
    for (const Record& d : dependants) EXPECT_TRUE(sheet.contains(d.text("NOME_DEPEN").trimmed()));
    EXPECT_FALSE(sheet.contains(QStringLiteral("Nenhum dependente")));
}

// The vacation listing takes the typed code range; digits are zero-filled.
TEST_F(DemoListings, VacationListingFollowsTheCodeRange) {
    const ListingDef& def = *FindListing("ferias");
    EXPECT_EQ(def.screen, "TfoRelFerias");
    struct Case {
        ListingRange range;
        int rows;
        QStringList codes;
    };
    const Case cases[] = {
        {{"12", "13"}, 2, {"000012", "000013"}},
        {{"000025", ""}, -1, {"000025"}},
        {{"", "2"}, 2, {"000001", "000002"}},
        {{"999990", ""}, 0, {}},
        {{"14", "14"}, 1, {"000014"}},
    };
    // Employee 000014's enjoyment has no end: the period is left out whole.
    Table cadfun(session->folha(), "CADFUN");
    Record open = *cadfun.find({"000014"});
    open.set("DT_IGOZFER", QDate(2013, 4, 15));
    open.set("DT_FGOZFER", QVariant());
    cadfun.update(open);
    const qint64 employees = Table(session->folha(), "CADFUN").count();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range.first.toStdString() + "-" + c.range.last.toStdString());
        TempDir out;
        ScriptedUi ui;
        ReportFileSink sink(out.file("r.IMP"), DensityCondensed);
        TextReport report(sink, def.width, 66);
        report.beginJob({def.caption, def.screen});
        const ListingResult r = ComposeListing(*session, ui, def, ListingOrder::Code, report, c.range);
        report.endJob();
        const qint64 expected = c.rows >= 0 ? c.rows : Table(session->folha(), "CADFUN").count("CODFUN >= ?", {"000025"});
        EXPECT_EQ(r.rows, expected);
        EXPECT_LE(r.rows, employees);
        QFile f(out.file("r.IMP"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(f.readAll());
        for (const QString& code : c.codes) EXPECT_TRUE(text.contains(" " + code + "  ")) << code.toStdString();
        if (c.range.first == "12") {
            EXPECT_TRUE(text.contains("15/03/2012 a 14/03/2013   15/04/2013 a 04/05/2013   05/05/2013 a 14/05/2013"));
            EXPECT_FALSE(text.contains(" 000011  "));
        }
        if (c.range.first == "14") {
            EXPECT_FALSE(text.contains("15/04/2013")) << text.toStdString();
            EXPECT_FALSE(QRegularExpression(" a +\r?\n| a  ").match(text).hasMatch()) << text.toStdString();
        }
    }
}

} // namespace
