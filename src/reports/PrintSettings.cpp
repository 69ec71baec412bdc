#include "PrintSettings.h"

#include "Installation.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

namespace folha {

PrintSettings& RunPrintSettings() {
    static PrintSettings settings;
    return settings;
}

int ProposedLinesPerPage(PrintMode mode, bool condensed, bool portrait) {
    if (mode == PrintMode::Text) return 66;
    if (condensed) return portrait ? 99 : 73;
    return portrait ? 70 : 50;
}

PrintSettings ConfirmPrintSettings(PrintSettings chosen) {
    if (chosen.destination == PrintDestination::Browser || chosen.destination == PrintDestination::Excel)
        chosen.linesPerPage = 90;
    if (chosen.destination == PrintDestination::Printer && chosen.mode == PrintMode::Text && chosen.remoteEnabled)
        chosen.destination = PrintDestination::RemoteFile;
    chosen.linesPerPage = std::clamp(chosen.linesPerPage, 1, 999);
    return chosen;
}

QList<PrinterEntry> PrinterList(const Installation& installation, const QStringList& installedPrinters) {
    QList<PrinterEntry> list;
    QFile listed(installation.localPath(QStringLiteral("C:\\Printers.txt")));
    if (listed.exists()) {
        if (listed.open(QIODevice::ReadOnly | QIODevice::Text)) {
            // The list is a plain text file kept by hand; read it as UTF-8,
            // falling back to Latin-1 for a file written by an old editor.
            const QByteArray bytes = listed.readAll();
            QStringDecoder utf8(QStringDecoder::Utf8);
            QString text = utf8.decode(bytes);
            if (utf8.hasError()) text = QString::fromLatin1(bytes);
            for (const QString& line : text.split(QLatin1Char('\n'))) {
                QString entry = line;
                if (entry.endsWith(QLatin1Char('\r'))) entry.chop(1);
                if (entry.trimmed().isEmpty()) continue;
                list << PrinterEntry{entry, QString(), PrintDestination::Printer};
            }
        }
    } else {
        for (const QString& printer : installedPrinters) {
            const int on = printer.indexOf(QStringLiteral(" on "));
            const QString name = on >= 0 ? printer.left(on) : printer;
            const QString port = on >= 0 ? printer.mid(on + 4) : QString();
            list << PrinterEntry{name.left(50), port, PrintDestination::Printer};
        }
    }
    list << PrinterEntry{QStringLiteral("BROWSER"), QString(), PrintDestination::Browser};
    list << PrinterEntry{QStringLiteral("EXCEL"), QString(), PrintDestination::Excel};
    list << PrinterEntry{QStringLiteral("VISUALIZAR"), QString(), PrintDestination::Preview};
    list << PrinterEntry{QStringLiteral("PDF"), QString(), PrintDestination::Pdf};
    return list;
}

} // namespace folha
