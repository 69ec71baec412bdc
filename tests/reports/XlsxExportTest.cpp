// The spreadsheet export read back cell by cell from the workbook's XML.
#include "XlsxExport.h"

#include "DbError.h"
#include "Installation.h"
#include "Listings.h"
#include "PayrollBookLayout.h"
#include "ScriptedUi.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QXmlStreamReader>

using namespace folha;

namespace {

// One report line of the test listing: code, name and amount laid under
// the titles line below.
QString bodyLine(const QString& code, const QString& name, const QString& amount) {
    return QStringLiteral(" ") + code + QStringLiteral(" ") + name.leftJustified(21) + QStringLiteral(" ") +
           amount.rightJustified(12);
}
//                                  1      8                     30           42
const QString Titles = QStringLiteral("@Codigo@Nome                 @     Salario@");

QStringList header(int page) {
    const QString p = QStringLiteral("%1").arg(page, 10, 10, QLatin1Char('0'));
    return {QStringLiteral("DEMO LTDA:FOLHA DE PAGAMENTO").leftJustified(65) +
                QStringLiteral("DATA.:07/12/2026"),
            QStringLiteral("ZORVAN SISTEMAS").leftJustified(65) + QStringLiteral("HORA.:  16:15:30"),
            QStringLiteral("Relatório de Cargos").leftJustified(65) + QStringLiteral("PAG..:") + p,
            QString(80, '-'),
            QStringLiteral(" Codigo Nome                       Salario"),
            QString(80, '-')};
}

// A report file as the text destination writes it: each page starts with
// the condensed code and ESC "2", lines end in CR LF, Latin-1.
void writeReport(const QString& path, const QList<QStringList>& pages) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (const QStringList& lines : pages) {
        f.write("\x0f\x1b"
                "2");
        for (const QString& line : lines)
            f.write(line.toLatin1() + "\r\n");
    }
}

QString unzip(const QString& xlsx, const QString& member) {
    QProcess p;
    p.start("unzip", {"-p", xlsx, member});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Sheet {
    QMap<QString, QString> cells;  // "A1" -> text
    QMap<QString, QString> styles; // "A1" -> style index
    QMap<QString, QString> types;  // "A1" -> "s" shared string, "inlineStr", "" number
    QStringList merges;
    QString stylesXml;
    QStringList styleFormats; // number format code of each cell style, by index
    QString formatOf(const QString& ref) const { return styleFormats.value(styles.value(ref).toInt()); }
};

Sheet readSheet(const QString& xlsx) {
    QStringList shared;
    {
        QXmlStreamReader xml(unzip(xlsx, "xl/sharedStrings.xml"));
        QString current;
        bool inSi = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (xml.isStartElement() && xml.name() == QLatin1String("t") && inSi) {
                current += xml.readElementText();
            } else if (xml.isEndElement() && xml.name() == QLatin1String("si")) {
                shared << current;
                inSi = false;
            }
        }
    }
    Sheet sheet;
    sheet.stylesXml = unzip(xlsx, "xl/styles.xml");
    {
        QMap<QString, QString> codes{{"0", "General"}, {"49", "@"}};
        QXmlStreamReader xml(sheet.stylesXml);
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                codes[xml.attributes().value("numFmtId").toString()] =
                    xml.attributes().value("formatCode").toString();
            else if (xml.isStartElement() && xml.name() == QLatin1String("cellXfs"))
                inCellXfs = true;
            else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
                inCellXfs = false;
            else if (xml.isStartElement() && xml.name() == QLatin1String("xf") && inCellXfs)
                sheet.styleFormats << codes.value(xml.attributes().value("numFmtId").toString());
        }
    }
    QXmlStreamReader xml(unzip(xlsx, "xl/worksheets/sheet1.xml"));
    QString ref, type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("c")) {
            ref = xml.attributes().value("r").toString();
            type = xml.attributes().value("t").toString();
            sheet.types[ref] = type;
            sheet.styles[ref] = xml.attributes().value("s").toString();
        } else if (xml.name() == QLatin1String("v")) {
            const QString v = xml.readElementText();
            sheet.cells[ref] = type == QLatin1String("s") ? shared.value(v.toInt()) : v;
        } else if (xml.name() == QLatin1String("t")) { // inline string
            sheet.cells[ref] += xml.readElementText();
        } else if (xml.name() == QLatin1String("mergeCell")) {
            sheet.merges << xml.attributes().value("ref").toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return sheet;
}

// Two pages of the listing: three employees, then two more, one with a
// name only (its line ends before the amount's column).
QList<QStringList> twoPages() {
    QStringList one = header(1);
    one << bodyLine("000123", "ANALISTA DE SISTEMAS", "1.234,50") << QString() << QStringLiteral("   ")
        << bodyLine("000124", "AUXILIAR", "980,00") << bodyLine("000125", "GERENTE", "12.345,67");
    QStringList two = header(2);
    two << bodyLine("000126", "OPERADOR", "1.500,00") << QStringLiteral(" 000127 VIGIA");
    return {one, two};
}

} // namespace

TEST(XlsxTitles, ColumnsEndAtEachAt) {
    struct Case {
        const char* titles;
        QList<XlsxColumn> columns;
    } cases[] = {
        {"@Codigo  @Nome @", {{"Codigo", 1, 8}, {"Nome", 10, 5}}},
        {"Antes@Cod@ resto", {{"Cod", 6, 3}}},
        {"sem arroba", {}},
        {"@@Nome@", {}},                // the first title is empty
        {"@ A @   @B@", {{"A", 1, 3}}}, // stops at an empty title
        {"@Codigo@", {{"Codigo", 1, 6}}},
    };
    for (const Case& c : cases) {
        const QList<XlsxColumn> got = ParseTitlesLine(QString::fromUtf8(c.titles));
        ASSERT_EQ(got.size(), c.columns.size()) << c.titles;
        for (int i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].title, c.columns[i].title) << c.titles;
            EXPECT_EQ(got[i].position, c.columns[i].position) << c.titles;
            EXPECT_EQ(got[i].width, c.columns[i].width) << c.titles;
        }
    }
}

TEST(XlsxPages, HeaderIsTheFirstSixLinesAndBlankLinesAreDropped) {
    TempDir dir;
    const QString report = dir.file("TMP20261207161530.IMP");
    writeReport(report, twoPages());
    const QList<ReportPageText> pages = SplitReportPages(report);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].header.size(), 6);
    // The printer codes before the first line are gone.
    EXPECT_EQ(pages[0].header[0], QStringLiteral("DEMO LTDA:FOLHA DE PAGAMENTO") + QString(37, ' ') +
                                      QStringLiteral("DATA.:07/12/2026"));
    EXPECT_EQ(pages[0].header[2],
              QStringLiteral("Relatório de Cargos") + QString(46, ' ') + QStringLiteral("PAG..:0000000001"));
    EXPECT_EQ(pages[0].header[4], QStringLiteral("Codigo Nome                       Salario"));
    EXPECT_EQ(pages[0].body, QStringList({bodyLine("000123", "ANALISTA DE SISTEMAS", "1.234,50"),
                                          bodyLine("000124", "AUXILIAR", "980,00"),
                                          bodyLine("000125", "GERENTE", "12.345,67")}));
    EXPECT_EQ(pages[1].body,
              QStringList({bodyLine("000126", "OPERADOR", "1.500,00"), QStringLiteral(" 000127 VIGIA")}));
}

TEST(XlsxExport, KeptHeaderIsMergedAndTitlesAreBold) {
    TempDir dir;
    const QString report = dir.file("r.IMP");
    const QString xlsx = dir.file("cargos.xlsx");
    writeReport(report, twoPages());
    ScriptedUi ui;
    EXPECT_EQ(WriteXlsx(report, xlsx, {Titles, true, {}}, ui), 5);
    const Sheet s = readSheet(xlsx);
    EXPECT_EQ(s.merges, QStringList({"A1:P1", "A2:P2", "A3:P3"}));
    EXPECT_EQ(s.cells["A1"], header(1)[0].trimmed());
    EXPECT_EQ(s.cells["A2"], header(1)[1].trimmed());
    EXPECT_EQ(s.cells["A3"], header(1)[2].trimmed());
    EXPECT_EQ(s.cells["A4"], "Codigo");
    EXPECT_EQ(s.cells["B4"], "Nome");
    EXPECT_EQ(s.cells["C4"], "Salario");
    EXPECT_NE(s.styles["A4"], s.styles["A5"]);
    EXPECT_TRUE(s.stylesXml.contains("<b/>"));
    // Codes and amounts stay text, as printed; rows follow across pages.
    const QStringList expected[] = {{"000123", "ANALISTA DE SISTEMAS", "1.234,50"},
                                    {"000124", "AUXILIAR", "980,00"},
                                    {"000125", "GERENTE", "12.345,67"},
                                    {"000126", "OPERADOR", "1.500,00"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const QString ref = QString(QChar('A' + c)) + QString::number(5 + r);
            EXPECT_EQ(s.cells[ref], expected[r][c]) << ref.toStdString();
        }
    EXPECT_EQ(s.cells["A9"], "000127");
    EXPECT_EQ(s.cells["B9"], "VIGIA");
    EXPECT_FALSE(s.cells.contains("C9")); // the line ends before the column
    EXPECT_FALSE(s.cells.contains("A10"));
    // Every cell is written as a string (shared or inline), never a number.
    const QString sheetXml = unzip(xlsx, "xl/worksheets/sheet1.xml");
    EXPECT_FALSE(sheetXml.contains("t=\"n\""));
    for (const QString& ref : s.cells.keys())
        EXPECT_EQ(s.formatOf(ref), "@") << ref.toStdString();
    // Progress by page.
    EXPECT_EQ(ui.texts("progress"),
              QStringList({"start Exportando relatório para o Excel/2", "step 1", "step 2", "end"}));
}

TEST(XlsxExport, WithoutHeaderTitlesGoToTheFirstRow) {
    TempDir dir;
    const QString report = dir.file("r.IMP");
    const QString xlsx = dir.file("sem.xlsx");
    writeReport(report, twoPages());
    ScriptedUi ui;
    EXPECT_EQ(WriteXlsx(report, xlsx, {Titles, false, {}}, ui), 5);
    const Sheet s = readSheet(xlsx);
    EXPECT_TRUE(s.merges.isEmpty());
    EXPECT_EQ(s.cells["A1"], "Codigo");
    EXPECT_EQ(s.cells["A2"], "000123");
    EXPECT_EQ(s.cells["C5"], "1.500,00");
    EXPECT_EQ(s.cells.size(), 3 + 4 * 3 + 2);
}

TEST(XlsxExport, TitlesWithoutAtGiveNoDataColumns) {
    TempDir dir;
    const QString report = dir.file("r.IMP");
    const QString xlsx = dir.file("vazia.xlsx");
    writeReport(report, twoPages());
    ScriptedUi ui;
    WriteXlsx(report, xlsx, {QStringLiteral("Codigo Nome Salario"), false, {}}, ui);
    EXPECT_TRUE(readSheet(xlsx).cells.isEmpty());
    // With the header kept only the three header rows hold text.
    WriteXlsx(report, xlsx, {QStringLiteral("Codigo Nome Salario"), true, {}}, ui);
    EXPECT_EQ(readSheet(xlsx).cells.keys(), QStringList({"A1", "A2", "A3"}));
}

TEST(XlsxExport, CancelStopsAndRemovesThePartialFile) {
    TempDir dir;
    const QString report = dir.file("r.IMP");
    const QString xlsx = dir.file("parada.xlsx");
    writeReport(report, twoPages());
    ScriptedUi ui;
    ui.cancelAfterSteps = 1;
    EXPECT_EQ(WriteXlsx(report, xlsx, {Titles, true, {}}, ui), -1);
    EXPECT_FALSE(QFile::exists(xlsx));
    EXPECT_EQ(ui.texts("progress").last(), "end");
}

TEST(XlsxExport, UnwritableWorkbookIsAUserErrorNamingTheFile) {
    TempDir dir;
    const QString report = dir.file("r.IMP");
    writeReport(report, twoPages());
    const QString xlsx = dir.file("nao-existe/cargos.xlsx");
    ScriptedUi ui;
    try {
        WriteXlsx(report, xlsx, {Titles, true, {}}, ui);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Não foi possível gravar o arquivo %1: a pasta não existe.").arg(xlsx));
    }
}

TEST(XlsxRemembered, TitlesAreKeptPerReportInTheExportFolder) {
    TempDir dir;
    const Installation installation(dir.path());
    EXPECT_EQ(RememberedTitlesFile(installation, "Rel. Folha/Mensal"),
              installation.programDir() + "ExpCfg/RelFolhaMensal.cfg");
    EXPECT_EQ(ReadRememberedTitles(installation, "TfoCadRelCargos"), QString());
    SaveRememberedTitles(installation, "TfoCadRelCargos", QStringLiteral("@Código@Nome @"));
    QFile f(installation.programDir() + "ExpCfg/TfoCadRelCargos.cfg");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("@C\xf3"
                                      "digo@Nome @\r\n"));
    EXPECT_EQ(ReadRememberedTitles(installation, "TfoCadRelCargos"), QStringLiteral("@Código@Nome @"));
}

// A listing has no subtitle line: its header is five lines (company,
// supplier, title, dashes, column titles), and the sixth line is already the
// first position of the report; every position reaches the workbook.
TEST(XlsxExport, AListingWithoutSubtitleKeepsItsFirstRow) {
    TempDir dir;
    const QString report = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/TfoCadRelCargos.txt");
    const ListingDef* def = FindListing("TfoCadRelCargos");
    ASSERT_NE(def, nullptr);
    ScriptedUi ui;
    const QString xlsx = dir.file("cargos.xlsx");
    EXPECT_EQ(WriteXlsx(report, xlsx, {ListingTitlesLine(*def), true, {}}, ui), 6);
    const Sheet s = readSheet(xlsx);
    EXPECT_EQ(s.cells["A4"], "Cód.");
    EXPECT_EQ(s.cells["B4"], "Nome do Cargo");
    EXPECT_EQ(s.cells["A5"], "005");
    EXPECT_EQ(s.cells["B5"], "APRENDIZ");
    EXPECT_EQ(s.cells["C5"], "0,00");
    EXPECT_EQ(s.cells["D5"], "-");
    EXPECT_EQ(s.cells["A10"], "003");
    EXPECT_EQ(s.cells["B10"], "VIGILANTE");
    EXPECT_FALSE(s.cells.contains("A11"));
}

namespace {

// A line's words, each amount ("1.595,45", "0") as its value with two
// decimals, so a line and the cells of its row compare word by word.
QStringList Words(const QString& text) {
    QStringList words;
    for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto v = PrintedAmount(w);
        words << (v ? QString::number(*v, 'f', 2) : w);
    }
    return words;
}

// The lines of a report file that carry data: the header of each page (to
// its dashes), blank lines, the repeated column titles and dashes left out.
QStringList DataLines(const QString& path, int titleLines, const QRegularExpression& skip) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList out;
    int inPage = 0, afterDashes = -1;
    while (!f.atEnd()) {
        const QString l = VisibleReportText(f.readLine());
        if (l.contains(QStringLiteral(":FOLHA DE PAGAMENTO"))) {
            inPage = 0;
            afterDashes = -1;
        }
        ++inPage;
        const bool dashes = l.trimmed().startsWith(QStringLiteral("----------"));
        if (afterDashes < 0) {
            if (dashes) afterDashes = 0;
            continue;
        }
        if (afterDashes++ < titleLines || l.trimmed().isEmpty() || dashes || skip.match(l).hasMatch()) continue;
        out << l;
    }
    return out;
}

struct ExportCase {
    const char* name;
    const char* golden;
    ReportLayout layout;
    int titleLines;      // column titles under the dashes of each page
    const char* skip;    // further lines that are no rows
    int titleRows;       // bold rows before the data
    QStringList firstRow;
    QList<int> amountColumns; // of the first row, numeric cells
};

} // namespace

// The payroll book and the three-line register of events, exported by
// their own layouts: each line a row, each field a cell (none loses a
// character at a column's edge, no amount is split), amounts numeric with
// thousands and two decimals.
TEST(XlsxExport, ReportsWithTheirOwnLayoutExportEveryFieldWhole) {
    const ExportCase cases[] = {
        {"livro", "TfoEmiFolhadePagamento.txt", PayrollBookReportLayout(), 0,
         "^(CODIGO NOME|OCO DESCR\\. PROVENTOS +REFERENC )", 2,
         {"000001", "ADRIANO SILVA SANTOS", "ADM", "ADMINISTRACAO", "1500", "AUXILIAR ADMINISTRATIV", "0"},
         {4}},
        {"histfp", "TfoRelCadHistfp.txt", ListingReportLayout(*FindListing("histfp")), 3, "^$", 3,
         {"052", "1/3 FERIAS NORMAIS", "0", "0", "0", "0", "0", "0", "0"},
         {}},
    };
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString report = QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/") + c.golden;
        const QString xlsx = dir.file("planilha.xlsx");
        ScriptedUi ui;
        XlsxExportOptions options;
        options.keepHeader = false;
        options.layout = c.layout;
        const QStringList lines = DataLines(report, c.titleLines, QRegularExpression(QString::fromUtf8(c.skip)));
        ASSERT_GT(lines.size(), 20);
        EXPECT_EQ(WriteXlsx(report, xlsx, options, ui), lines.size());
        const Sheet s = readSheet(xlsx);
        auto cell = [&](int row, int col) { return QString(QChar('A' + col)) + QString::number(row); };
        for (int col = 0; col < c.firstRow.size(); ++col) {
            EXPECT_EQ(s.cells.value(cell(c.titleRows + 1, col)).toStdString(), c.firstRow[col].toStdString()) << col;
            const bool amount = c.amountColumns.contains(col);
            EXPECT_EQ(s.types.value(cell(c.titleRows + 1, col)).isEmpty(), amount) << col;
        }
        // Row by row, the cells say what the line says, word for word.
        int numbers = 0;
        for (int i = 0; i < lines.size(); ++i) {
            const int row = c.titleRows + 1 + i;
            QStringList words;
            for (int col = 0; col < 26; ++col) {
                const QString ref = cell(row, col);
                if (!s.cells.contains(ref)) continue;
                if (s.types.value(ref).isEmpty()) { // a number: an amount shown "#.##0,00", a count plain
                    ++numbers;
                    const double v = s.cells[ref].toDouble();
                    EXPECT_EQ(s.formatOf(ref), v == double(qint64(v)) && s.formatOf(ref) == "General"
                                                   ? QStringLiteral("General")
                                                   : QString::fromLatin1(AmountFormat))
                        << ref.toStdString();
                    words << QString::number(s.cells[ref].toDouble(), 'f', 2);
                } else {
                    words << Words(s.cells[ref]);
                }
            }
            EXPECT_EQ(words.join(QLatin1Char('|')).toStdString(), Words(lines[i]).join(QLatin1Char('|')).toStdString());
        }
        EXPECT_GT(numbers, 0);
    }
}

// A book file cut off in the middle of an event line (a job stopped
// halfway, a copy that did not finish): every whole line still makes its
// row, the cut line keeps the fields it has, and nothing is read past the
// end.
TEST(XlsxExport, ABookCutOffHalfwayExportsWhatItHas) {
    TempDir dir;
    QFile golden(QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/TfoEmiFolhadePagamento.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray all = golden.readAll();
    const qsizetype line = all.indexOf("001 SALARIO");
    ASSERT_GT(line, 0);
    const QString report = dir.file("cortado.IMP");
    QFile cut(report);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(all.left(line + 42)); // up to the middle of the earning's value: "1.5"
    cut.close();
    XlsxExportOptions options;
    options.keepHeader = true;
    options.layout = PayrollBookReportLayout();
    ScriptedUi ui;
    const QString xlsx = dir.file("cortado.xlsx");
    EXPECT_EQ(WriteXlsx(report, xlsx, options, ui), 2); // the employee line and the cut event line
    const Sheet s = readSheet(xlsx);
    EXPECT_EQ(s.cells.value("A6"), "000001");
    EXPECT_EQ(s.cells.value("A7"), "001");
    EXPECT_EQ(s.cells.value("B7"), "SALARIO");
    EXPECT_EQ(s.cells.value("C7"), "220");
    EXPECT_TRUE(s.types.value("C7").isEmpty()); // a number
    EXPECT_EQ(s.cells.value("D7"), "1.5");      // "1.5" as printed when cut: text, not a number
    EXPECT_FALSE(s.types.value("D7").isEmpty());
    EXPECT_FALSE(s.cells.contains("A8"));
}
