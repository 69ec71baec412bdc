#pragma once
// One text report from composition to its destination, as the print
// settings ask: the report file (preview, spreadsheet, remote-desktop file,
// raw text to a print queue), the HTML page for the browser, or a PDF. A
// printer in graphic mode is drawn by the desktop, which passes its own
// sink (a PagePainter on the printer).

#include "../PrintSettings.h"
#include "../TextReport.h"

#include <functional>

namespace folha {

class Session;
class UserInterface;

struct ReportRequest {
    ReportJobInfo info;
    int width = 80;
    QString pdfPath;         // the PDF destination's file
    PageSink* drawn = nullptr; // printer in graphic mode (desktop only)
};

struct ReportResult {
    QString reportFile; // the "TMP….IMP" file, when one was written
    QString htmlFile;   // the browser's page
    QString pdfFile;
    int pages = 0;
    bool cancelled = false; // stopped by the person; the pages so far were kept
};

// Begins the job on the destination of the settings, runs compose (which
// fills pages through the report and returns false when the person
// stopped it), ends the job. A text printer receives
// the report file raw on its queue. Throws UserError when an output cannot
// be written or a queue refuses the job.
ReportResult RunReportJob(Session& session, UserInterface& ui, const PrintSettings& settings,
                          const ReportRequest& request, const std::function<bool(TextReport&)>& compose);

} // namespace folha
