#pragma once
// The choices of the print set-up screen ("Tipo de Impressão"): how and
// where the next text report goes. They live for the whole program run and
// every report reads the same settings until the screen is shown again.

#include <QString>
#include <QStringList>

namespace folha {

class Installation;

enum class PrintMode { Text, Graphic };            // 'T' "Texto", 'G' "Grafico"
enum class PrintDestination {
    Printer,    // a printer of the list: raw text (text mode) or drawn (graphic mode)
    Preview,    // "VISUALIZAR"
    Browser,    // "BROWSER"
    Excel,      // "EXCEL": the spreadsheet export screen
    Pdf,        // "PDF": a file a clerk can e-mail
    RemoteFile, // text file on the remote-desktop client drive
};

// Density codes written before a text page.
inline const QString DensityCondensed = QString(QChar(15)); // "Compactada"
inline const QString DensityNormal = QString(QChar(18));    // "Normal"

struct PrintSettings {
    PrintMode mode = PrintMode::Text;
    QString density = DensityCondensed;
    QString orientation = QStringLiteral("P"); // "R" portrait ("Retrato"), "P" landscape ("Paisagem")
    int linesPerPage = 66;                     // 1 to 999
    QString printerName;
    QString printerPort;                       // "LPT1" when empty
    PrintDestination destination = PrintDestination::Printer;
    bool remoteEnabled = false; // the program runs in a remote-desktop connection

    bool condensed() const { return density == DensityCondensed; }
    bool portrait() const { return orientation == QStringLiteral("R"); }
    QString port() const { return printerPort.isEmpty() ? QStringLiteral("LPT1") : printerPort; }
};

// The settings of this program run (shared by every report).
PrintSettings& RunPrintSettings();

// Lines per page the screen proposes: 66 in text mode; in graphic mode 99
// condensed portrait, 73 condensed landscape, 70 normal portrait, 50 normal
// landscape.
int ProposedLinesPerPage(PrintMode mode, bool condensed, bool portrait);

// What "OK" does to the chosen settings: "BROWSER" and "EXCEL" force 90
// lines per page; a printer in text mode with remote printing enabled
// becomes the remote-desktop text file; lines are kept within 1 to 999.
PrintSettings ConfirmPrintSettings(PrintSettings chosen);

// One entry of the printer list.
struct PrinterEntry {
    QString name; // as listed (cut to 50 characters)
    QString port; // hidden parallel value; empty for the fixed entries
    PrintDestination destination = PrintDestination::Printer;
};

// The printer list: the lines of "C:\Printers.txt" (below the installation
// root) when that file exists, otherwise the installed printers given
// ("name on port" entries are split at " on ", the name cut to 50
// characters), then "BROWSER", "EXCEL", "VISUALIZAR" and "PDF".
QList<PrinterEntry> PrinterList(const Installation& installation, const QStringList& installedPrinters);

} // namespace folha
