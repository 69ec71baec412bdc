#pragma once
// A destination of text pages: the report file, an HTML page, a raw print
// queue, a PDF, a printer drawn in a fixed-pitch font, a preview.

#include "TextPage.h"

namespace folha {

// What a destination knows about the job it receives.
struct ReportJobInfo {
    QString title;      // report title ("Relatório de Cargos")
    QString reportName; // the report's name (its screen class, "TfoCadRelCargos")
};

class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void begin(const ReportJobInfo& info) { (void)info; }
    // Takes one finished page; the page buffer is reused afterwards.
    virtual void page(const TextPage& page) = 0;
    // Closes the output; a failure throws UserError with a clear message.
    virtual void end() {}
};

} // namespace folha
