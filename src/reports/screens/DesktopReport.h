#pragma once
// A text report on the desktop: the print set-up, the confirmation, the
// composition with a progress bar, and then what each destination needs
// on screen: the preview window, the browser, the spreadsheet export
// screen, the PDF file's name, the printer drawn in graphic mode, the
// remote-desktop notice.

#include "PageSink.h"
#include "PrintSettings.h"
#include "TextReport.h"
#include "XlsxExport.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class QBoxLayout;
class QPagedPaintDevice;

namespace folha {

class Session;
class UserInterface;
class PagePainter;

// Draws the pages on a paged paint device (a printer) as they come.
class DeviceSink : public PageSink {
public:
    DeviceSink(QPagedPaintDevice& device, const PrintSettings& settings);
    ~DeviceSink() override;
    void page(const TextPage& page) override;
    void end() override;

private:
    QPagedPaintDevice& device_;
    PrintSettings settings_;
    std::unique_ptr<PagePainter> painter_;
};

struct DesktopReportRequest {
    ReportJobInfo info;
    int width = 80;
    // The page width for the settings chosen (a grid list is wider drawn in
    // landscape); `width` when not set.
    std::function<int(const PrintSettings&)> widthFor;
    QString titlesLine; // the spreadsheet titles proposed when none is remembered
    ReportLayout layout; // the report's own line layout, by which the spreadsheet is cut (titles then unused)
    // Asks "Confirma Emissao" after the print set-up (the listings do).
    bool confirm = true;
    // The PDF destination's file; asked with a file dialog when empty.
    QString pdfPath;
};

// Shows the print set-up (unless `askSetup` is false: the settings of the
// run are used) and runs the report to the chosen destination. Returns
// false when the person gave up (set-up cancelled, "Confirma Emissao"
// answered No, file dialog cancelled). Errors reach the person through ui.
bool RunDesktopReport(QWidget* owner, Session& session, UserInterface& ui, const DesktopReportRequest& request,
                      const std::function<bool(TextReport&)>& compose, bool askSetup = true);

// The foot of a report screen: "Imprimir" (the default button, which calls
// `print`) and "Fechar", on the right of a row added to `layout`.
void AddPrintButtons(QWidget* screen, QBoxLayout* layout, const std::function<void()>& print);

// The preview window of a report file: the pages drawn by the same painter
// as the printer and the PDF, with printing from the window. Runs the
// viewer program configured in "ConfigZorvan.ini" [Visualizador]
// Programa with the file as well, when one is set.
void ShowReportPreview(QWidget* owner, Session& session, const QString& reportFile, int width,
                       const PrintSettings& settings, const QString& title);

} // namespace folha
