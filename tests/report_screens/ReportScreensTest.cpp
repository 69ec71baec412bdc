#include "DemoBuilder.h"
#include "DemoCompany.h"
#include "DesktopReport.h"
#include "Listings.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "ScreenCatalog.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TfoExportarRelExcel.h"
#include "TfoRelListagem.h"
#include "TfoRelRegiFun.h"
#include "TfoTipoImpr.h"
#include "XlsxExport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using namespace folha;

namespace {

// A demo installation with company 1 open.
class ReportScreens : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        ui.entries.clear();
        RunPrintSettings() = PrintSettings{};
        qunsetenv("XRDP_SESSION");
    }
    void TearDown() override {
        RunPrintSettings() = PrintSettings{};
        qunsetenv("XRDP_SESSION");
    }
    void writeFile(const QString& windowsPath, const QByteArray& bytes) {
        const QString path = session->installation().localPath(windowsPath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList reportFilesIn(const QString& folder) {
        return QDir(folder).entryList({"TMP*.IMP"}, QDir::Files);
    }
    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

QString ReadLatin1(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

} // namespace

// Each option click recomputes the lines per page in graphic mode; text
// mode proposes 66 and hides the orientation.
TEST_F(ReportScreens, PrintSetUpProposesTheLinesOfEachModeDensityAndOrientation) {
    TfoTipoImpr setup(*session, {"HP_Laser"}, "HP_Laser");
    setup.show();
    struct Case {
        bool graphic, condensed, portrait;
        const char* lines;
        bool orientationShown;
    };
    const Case cases[] = {
        {false, true, false, "066", false}, {true, true, true, "099", true},  {true, true, false, "073", true},
        {true, false, true, "070", true},   {true, false, false, "050", true}, {false, false, true, "066", false},
    };
    for (const Case& c : cases) {
        setup.chooseGraphic(c.graphic);
        setup.chooseCondensed(c.condensed);
        setup.choosePortrait(c.portrait);
        EXPECT_EQ(setup.linesText(), QString(c.lines)) << c.graphic << c.condensed << c.portrait;
        EXPECT_EQ(setup.orientationShown(), c.orientationShown);
    }
}

TEST_F(ReportScreens, PrintSetUpStoresTheChoicesAndForcesNinetyLinesForTheSpreadsheetAndBrowser) {
    for (const QString& entry : {QStringLiteral("EXCEL"), QStringLiteral("BROWSER")}) {
        TfoTipoImpr setup(*session, {"HP_Laser"}, "HP_Laser");
        setup.chooseGraphic(false);
        setup.setLinesText("120");
        setup.chooseDestination(entry);
        setup.confirm();
        EXPECT_EQ(setup.result(), QDialog::Accepted);
        EXPECT_EQ(RunPrintSettings().linesPerPage, 90) << entry.toStdString();
        EXPECT_EQ(RunPrintSettings().destination,
                  entry == "EXCEL" ? PrintDestination::Excel : PrintDestination::Browser);
    }
    // The next report's set-up opens on the stored choices.
    TfoTipoImpr again(*session, {"HP_Laser"}, "HP_Laser");
    again.chooseDestination("HP_Laser");
    again.chooseGraphic(true);
    again.chooseCondensed(false);
    again.choosePortrait(true);
    again.confirm();
    EXPECT_EQ(RunPrintSettings().linesPerPage, 70);
    EXPECT_EQ(RunPrintSettings().printerName, "HP_Laser");
    EXPECT_EQ(RunPrintSettings().mode, PrintMode::Graphic);
    EXPECT_EQ(RunPrintSettings().density, DensityNormal);
    EXPECT_EQ(RunPrintSettings().orientation, "R");
    TfoTipoImpr reopened(*session, {"HP_Laser"}, "Outra");
    EXPECT_EQ(reopened.linesText(), "070");
    EXPECT_TRUE(reopened.orientationShown());
}

// Without a printer of the system the set-up says so, once, where the
// destination is chosen (the start of the program says nothing).
TEST_F(ReportScreens, PrintSetUpTellsWhenTheSystemHasNoPrinter) {
    const struct {
        QStringList installed;
        bool noted;
    } cases[] = {{{}, true}, {{"HP_Laser"}, false}};
    for (const auto& c : cases) {
        TfoTipoImpr setup(*session, c.installed, QString());
        EXPECT_EQ(setup.printerNoteText().startsWith("Nenhuma impressora instalada neste computador"), c.noted)
            << setup.printerNoteText().toStdString();
        EXPECT_EQ(setup.entries().contains("VISUALIZAR") && setup.entries().contains("PDF"), true);
    }
}

TEST_F(ReportScreens, PrintersFileReplacesTheInstalledPrinters) {
    TfoTipoImpr before(*session, {"HP_Laser", "Epson_LX300"}, "Epson_LX300");
    EXPECT_EQ(before.entries(), (QStringList{"HP_Laser", "Epson_LX300", "BROWSER", "EXCEL", "VISUALIZAR", "PDF"}));
    writeFile("C:\\Printers.txt", "\\\\SERVIDOR\\MATRICIAL\r\nLPT2\r\n");
    TfoTipoImpr after(*session, {"HP_Laser", "Epson_LX300"}, "Epson_LX300");
    EXPECT_EQ(after.entries(), (QStringList{"\\\\SERVIDOR\\MATRICIAL", "LPT2", "BROWSER", "EXCEL", "VISUALIZAR", "PDF"}));
}

TEST_F(ReportScreens, RemotePrintingTurnsATextPrinterIntoTheClientDriveFileUntilTurnedOff) {
    TfoTipoImpr local(*session, {"HP_Laser"}, "HP_Laser");
    EXPECT_TRUE(local.noticeText().startsWith("*** Impressão Local\nDir. de impressão: ")) << local.noticeText().toStdString();

    qputenv("XRDP_SESSION", "1");
    TfoTipoImpr remote(*session, {"HP_Laser"}, "HP_Laser");
    EXPECT_EQ(remote.noticeText(), "*** Impressão via TS Habilitada\nDir. de impressão:  \\\\tsclient\\c");
    remote.chooseGraphic(false);
    remote.confirm();
    EXPECT_EQ(RunPrintSettings().destination, PrintDestination::RemoteFile);

    TfoTipoImpr turnedOff(*session, {"HP_Laser"}, "HP_Laser");
    turnedOff.turnRemoteOff();
    EXPECT_TRUE(turnedOff.noticeText().startsWith("*** Impressão via TS Desabilitada"));
    turnedOff.chooseDestination("HP_Laser");
    turnedOff.chooseGraphic(false);
    turnedOff.confirm();
    EXPECT_EQ(RunPrintSettings().destination, PrintDestination::Printer);

    writeFile("c:\\arquivos de programas\\zorvan\\SERVIDOR.TXT", "");
    TfoTipoImpr server(*session, {"HP_Laser"}, "HP_Laser");
    EXPECT_TRUE(server.noticeText().startsWith("*** Impressão via TS Desabilitada"));
}

// A listing from its screen: "Confirma Emissao", the remote-desktop file
// and its closing message; No writes nothing.
TEST_F(ReportScreens, ListingScreenConfirmsAndWritesTheRemoteFile) {
    const ListingDef* def = FindListing("TfoCadRelCargos");
    ASSERT_NE(def, nullptr);
    TfoRelListagem screen(*session, ui, *def);
    EXPECT_EQ(screen.windowTitle(), "Relatório de Cargos");
    EXPECT_TRUE(screen.nameOrderOffered());
    PrintSettings s;
    s.destination = PrintDestination::RemoteFile;
    RunPrintSettings() = ConfirmPrintSettings(s);
    const QString folder = ReportFolder(*session, RunPrintSettings());

    ScriptedUi no({false});
    TfoRelListagem refused(*session, no, *def);
    EXPECT_FALSE(refused.print(false));
    EXPECT_EQ(no.texts("question"), QStringList{"Confirma Emissao"});
    EXPECT_TRUE(reportFilesIn(folder).isEmpty());

    ScriptedUi yes({true});
    TfoRelListagem listing(*session, yes, *def);
    listing.setOrder(ListingOrder::Name);
    ASSERT_TRUE(listing.print(false));
    EXPECT_EQ(yes.texts("message"), QStringList{RemoteFileReadyMessage()});
    const QStringList files = reportFilesIn(folder);
    ASSERT_EQ(files.size(), 1);
    const QString text = ReadLatin1(QDir(folder).filePath(files[0]));
    EXPECT_TRUE(text.contains("Relatório de Cargos"));
    // Name order: the positions come sorted by name.
    QStringList names;
    for (const Record& r : Table(session->folha(), "Cargos").select({}, {}, "NOME_CARGO")) names << r.text("NOME_CARGO").trimmed();
    ASSERT_GE(names.size(), 2);
    EXPECT_LT(text.indexOf(names.first()), text.indexOf(names.last()));
}

// The register sheet screen prints the typed code range: a page per
// employee, each with its own code, after "Confirma Emissao".
TEST_F(ReportScreens, RegisterSheetScreenPrintsTheTypedRange) {
    PrintSettings s;
    s.destination = PrintDestination::RemoteFile;
    RunPrintSettings() = ConfirmPrintSettings(s);
    const QString folder = ReportFolder(*session, RunPrintSettings());
    for (const QString& f : reportFilesIn(folder)) QFile::remove(QDir(folder).filePath(f));

    ScriptedUi no({false});
    TfoRelRegiFun refused(*session, no);
    EXPECT_EQ(refused.windowTitle(), QStringLiteral("Registro do Funcionário"));
    EXPECT_FALSE(refused.print(false));
    EXPECT_EQ(no.texts("question"), QStringList{"Confirma Emissao"});
    EXPECT_TRUE(reportFilesIn(folder).isEmpty());

    ScriptedUi yes({true});
    TfoRelRegiFun screen(*session, yes);
    screen.setOptions({"2", "4", ListingOrder::Code});
    EXPECT_EQ(screen.options().first, "2");
    ASSERT_TRUE(screen.print(false));
    const QStringList files = reportFilesIn(folder);
    ASSERT_EQ(files.size(), 1);
    const QString text = ReadLatin1(QDir(folder).filePath(files[0]));
    EXPECT_EQ(text.count("PAG..:"), 3);
    for (const char* code : {"000002", "000003", "000004"})
        EXPECT_TRUE(text.contains(QStringLiteral("C\u00f3digo.........: ") + code)) << code;
    EXPECT_FALSE(text.contains(QStringLiteral("C\u00f3digo.........: 000005")));
    QFile::remove(QDir(folder).filePath(files[0]));
}

// Only the listings with a code field offer the range.
TEST_F(ReportScreens, VacationListingScreenOffersTheCodeRange) {
    TfoRelListagem ferias(*session, ui, *FindListing("TfoRelFerias"));
    EXPECT_EQ(ferias.windowTitle(), QStringLiteral("Relatório de Férias"));
    EXPECT_TRUE(ferias.rangeOffered());
    EXPECT_TRUE(ferias.nameOrderOffered());
    ferias.setRange({"3", "7"});
    EXPECT_EQ(ferias.range().first, "3");
    EXPECT_EQ(ferias.range().last, "7");
    TfoRelListagem cargos(*session, ui, *FindListing("cargos"));
    EXPECT_FALSE(cargos.rangeOffered());
    cargos.setRange({"1", "2"});
    EXPECT_TRUE(cargos.range().first.isEmpty());
}

TEST_F(ReportScreens, PdfDestinationWritesTheFileTheClerkChose) {
    const ListingDef* def = FindListing("TfoCadRelSindicatos");
    ASSERT_NE(def, nullptr);
    PrintSettings s;
    s.destination = PrintDestination::Pdf;
    s.mode = PrintMode::Graphic;
    s.linesPerPage = ProposedLinesPerPage(PrintMode::Graphic, true, false);
    RunPrintSettings() = ConfirmPrintSettings(s);
    DesktopReportRequest request;
    request.info = {def->caption, def->screen};
    request.width = def->width;
    request.pdfPath = d.file("sindicatos"); // the extension is added
    ScriptedUi yes({true});
    ASSERT_TRUE(RunDesktopReport(nullptr, *session, yes, request, [&](TextReport& report) {
        return !ComposeListing(*session, yes, *def, ListingOrder::Code, report).cancelled;
    }, false));
    ASSERT_TRUE(QFile::exists(d.file("sindicatos.pdf")));
    EXPECT_EQ(yes.texts("message"), QStringList{"Relatório gravado em " + d.file("sindicatos.pdf")});
    QProcess p;
    p.start("pdftotext", {"-layout", d.file("sindicatos.pdf"), "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Relatório De Sindicatos")) << text.toStdString();
    for (const Record& r : Table(session->folha(), "SINDICAT").select())
        EXPECT_TRUE(text.contains(r.text("NOME_SIND").trimmed())) << r.text("NOME_SIND").toStdString();

    // A file of the company's data folder is never the clerk's PDF.
    const QString dataFolder =
        session->installation().localPath(Session::paramValue(session->aliasParams("Folha"), "PATH"));
    ScriptedUi refused({true});
    request.pdfPath = QDir(dataFolder).filePath("relatorio.pdf");
    EXPECT_FALSE(RunDesktopReport(nullptr, *session, refused, request, [&](TextReport&) { return true; }, false));
    EXPECT_FALSE(QFile::exists(request.pdfPath));
    ASSERT_EQ(refused.texts("error").size(), 1);
    EXPECT_TRUE(refused.texts("error")[0].startsWith("O arquivo de saída é uma base de dados do sistema"))
        << refused.texts("error")[0].toStdString();
}

// The export screen: the listing's own titles are proposed, the titles are
// remembered per report, "Restaura" puts back the opening titles, and the
// report file is gone afterwards, also when the export is given up.
TEST_F(ReportScreens, ExportScreenRemembersTheTitlesAndDeletesTheReportFile) {
    const ListingDef* def = FindListing("TfoCadRelCargos");
    ASSERT_NE(def, nullptr);
    auto makeReport = [&] {
        PrintSettings s;
        s.destination = PrintDestination::Excel;
        ReportRequest request;
        request.info = {def->caption, def->screen};
        request.width = def->width;
        return RunReportJob(*session, ui, ConfirmPrintSettings(s), request, [&](TextReport& report) {
                   return !ComposeListing(*session, ui, *def, ListingOrder::Code, report).cancelled;
               }).reportFile;
    };
    const QString proposed = ListingTitlesLine(*def);
    ASSERT_GE(proposed.count('@'), 3);

    const QString first = makeReport();
    ASSERT_TRUE(QFile::exists(first));
    TfoExportarRelExcel screen(*session, ui, first, def->screen, proposed);
    EXPECT_EQ(screen.windowTitle(), "Zorvan - Exportar relatório txt para Excel:");
    EXPECT_EQ(screen.titlesBox()->text(), proposed);
    EXPECT_TRUE(screen.viewBox()->isChecked());
    EXPECT_TRUE(screen.keepHeaderBox()->isChecked());
    screen.titlesBox()->setText("@x@");
    screen.restore();
    EXPECT_EQ(screen.titlesBox()->text(), proposed);
    const QString mine = proposed.left(proposed.indexOf('@', proposed.indexOf('@') + 1) + 1); // the code column only
    screen.titlesBox()->setText(mine);
    screen.viewBox()->setChecked(false);
    ASSERT_TRUE(screen.exportReport(d.file("cargos.xlsx")));
    EXPECT_TRUE(QFile::exists(d.file("cargos.xlsx")));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_EQ(ReadRememberedTitles(session->installation(), def->screen), mine);

    const QString second = makeReport();
    TfoExportarRelExcel remembered(*session, ui, second, def->screen, proposed);
    EXPECT_EQ(remembered.titlesBox()->text(), mine);
    // A report file that cannot be read gives a message and no workbook, and
    // the clerk's titles are kept.
    QFile::remove(second);
    EXPECT_FALSE(remembered.exportReport(d.file("nada.xlsx")));
    EXPECT_FALSE(QFile::exists(d.file("nada.xlsx")));

    // The company's database is no place for a workbook.
    const QString third = makeReport();
    const QString database = QDir(session->installation().localPath(
                                      Session::paramValue(session->aliasParams("Folha"), "PATH")))
                                 .filePath("dados.sqlite");
    ASSERT_TRUE(QFile::exists(database));
    const QByteArray before = ReadLatin1(database).toLatin1();
    TfoExportarRelExcel overData(*session, ui, third, def->screen, proposed);
    ui.entries.clear();
    EXPECT_FALSE(overData.exportReport(database));
    EXPECT_EQ(ReadLatin1(database).toLatin1(), before);
    EXPECT_TRUE(ui.texts("error").join("").contains("O arquivo de saída é uma base de dados do sistema"))
        << ui.texts().join(" | ").toStdString();
}

// A report with a layout of its own is cut by it from the screen: the
// titles box is not asked (what it holds is not used), codes stay text and
// amounts are numbers.
TEST_F(ReportScreens, ExportScreenCutsAReportByItsOwnLayout) {
    const ListingDef* def = FindListing("TfoCadRelCargos");
    ASSERT_NE(def, nullptr);
    PrintSettings settings;
    settings.destination = PrintDestination::Excel;
    ReportRequest request;
    request.info = {def->caption, def->screen};
    request.width = def->width;
    const QString file = RunReportJob(*session, ui, ConfirmPrintSettings(settings), request, [&](TextReport& report) {
                             return !ComposeListing(*session, ui, *def, ListingOrder::Code, report).cancelled;
                         }).reportFile;
    TfoExportarRelExcel screen(*session, ui, file, def->screen, ListingTitlesLine(*def));
    screen.setReportLayout(ListingReportLayout(*def));
    EXPECT_FALSE(screen.titlesBox()->isEnabled());
    screen.titlesBox()->setText("@x@");
    screen.viewBox()->setChecked(false);
    const QString xlsx = d.file("cargos-campos.xlsx");
    ASSERT_TRUE(screen.exportReport(xlsx));
    QProcess unzip;
    unzip.start("unzip", {"-p", xlsx, "xl/worksheets/sheet1.xml"});
    unzip.waitForFinished(60000);
    const QString sheet = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_TRUE(sheet.contains(QRegularExpression("<c r=\"A5\"[^>]*t=\"inlineStr\"><is><t>\\d{3}</t>"))) << sheet.left(2000).toStdString();
    EXPECT_TRUE(sheet.contains(QRegularExpression("<c r=\"C5\" s=\"\\d+\"><v>[\\d.]+</v></c>"))) << sheet.left(2000).toStdString();
    EXPECT_FALSE(sheet.contains(">x<"));
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(ReportScreens, EveryListingAndThePrintScreensAreInTheCatalog) {
    QStringList missing;
    for (const ListingDef& def : Listings())
        if (!ScreenCatalog::instance().contains(def.screen)) missing << def.screen;
    for (const char* name : {"TfoTipoImpr", "TfoExportarRelExcel"})
        if (!ScreenCatalog::instance().contains(name)) missing << name;
    EXPECT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
    EXPECT_EQ(Listings().size(), 19);
    std::unique_ptr<QWidget> w(ScreenCatalog::instance().create("TfoCadRelTomador", *session, ui, nullptr));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Relatório De Tomador");
}
