#include "ReportJob.h"

#include "../HtmlReport.h"
#include "../ReportFile.h"
#include "DbError.h"
#include "PagePainter.h"
#include "Session.h"
#include "Table.h"
#include "UserInterface.h"

#include <QFileInfo>

namespace folha {

namespace {

// The name of the company open in the program, for the page header.
QString OpenCompanyName(Session& session) {
    if (session.signIn.CurrentCompanyCode <= 0) return {};
    try {
        Table companies(session.companyListDb(), QStringLiteral("EmpresaFOLHA"));
        if (auto row = companies.find({session.signIn.CurrentCompanyCode})) return row->text(QStringLiteral("Nome")).trimmed();
    } catch (const DbError&) {
    }
    return {};
}

// Hands every page to each of the sinks.
class TeeSink : public PageSink {
public:
    TeeSink(PageSink& a, PageSink& b) : a_(a), b_(b) {}
    void begin(const ReportJobInfo& info) override {
        a_.begin(info);
        b_.begin(info);
    }
    void page(const TextPage& page) override {
        a_.page(page);
        b_.page(page);
    }
    void end() override {
        a_.end();
        b_.end();
    }

private:
    PageSink& a_;
    PageSink& b_;
};

// Counts the pages going through.
class CountingSink : public PageSink {
public:
    explicit CountingSink(PageSink& inner) : inner_(inner) {}
    void begin(const ReportJobInfo& info) override { inner_.begin(info); }
    void page(const TextPage& page) override {
        ++pages;
        inner_.page(page);
    }
    void end() override { inner_.end(); }
    int pages = 0;

private:
    PageSink& inner_;
};

} // namespace

ReportResult RunReportJob(Session& session, UserInterface& ui, const PrintSettings& settings, const ReportRequest& request,
                          const std::function<bool(TextReport&)>& compose) {
    ReportResult result;
    const QDateTime now = QDateTime::currentDateTime();
    std::unique_ptr<PageSink> fileSink;
    std::unique_ptr<PageSink> extraSink;
    std::unique_ptr<PageSink> tee;
    PageSink* target = nullptr;

    auto reportFile = [&] {
        result.reportFile = NewReportFile(session, settings, now);
        const bool textPrinter =
            settings.destination == PrintDestination::Printer && settings.mode == PrintMode::Text;
        fileSink = std::make_unique<ReportFileSink>(
            result.reportFile, settings.density,
            textPrinter ? ReportFileSink::PageEnd::FormFeed : ReportFileSink::PageEnd::Plain);
    };

    switch (settings.destination) {
    case PrintDestination::Printer:
        if (settings.mode == PrintMode::Graphic) {
            if (!request.drawn)
                throw UserError(QStringLiteral("A impressão gráfica só pode ser feita pelo programa com janelas; "
                                               "escolha \"Texto\" ou \"PDF\"."));
            target = request.drawn;
        } else {
            reportFile();
            target = fileSink.get();
        }
        break;
    case PrintDestination::Preview:
    case PrintDestination::Excel:
    case PrintDestination::RemoteFile:
        reportFile();
        target = fileSink.get();
        break;
    case PrintDestination::Browser: {
        reportFile();
        const QFileInfo info(result.reportFile);
        result.htmlFile = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
        extraSink = std::make_unique<HtmlSink>(result.htmlFile);
        tee = std::make_unique<TeeSink>(*fileSink, *extraSink);
        target = tee.get();
        break;
    }
    case PrintDestination::Pdf:
        if (request.pdfPath.isEmpty()) throw UserError(QStringLiteral("Informe o arquivo PDF do relatório."));
        result.pdfFile = request.pdfPath;
        extraSink = std::make_unique<PdfSink>(request.pdfPath, settings);
        target = extraSink.get();
        break;
    }

    CountingSink counting(*target);
    TextReport report(counting, request.width, settings.linesPerPage);
    report.setCompanyName(OpenCompanyName(session));
    if (settings.destination == PrintDestination::Excel) report.setOmitFilter(true);
    report.beginJob(request.info);
    bool finished = true;
    try {
        finished = compose(report);
    } catch (...) {
        // The pages so far are closed before the error goes on.
        try {
            report.endJob();
        } catch (const UserError&) {
        }
        throw;
    }
    report.endJob();
    result.pages = counting.pages;
    result.cancelled = !finished;

    // A report stopped halfway is not printed: the clerk asked to stop.
    if (settings.destination == PrintDestination::Printer && settings.mode == PrintMode::Text && finished)
        SendRawToQueue(settings.printerName, result.reportFile);
    if (settings.destination == PrintDestination::RemoteFile)
        ui.message(MessageKind::Information, RemoteFileReadyMessage());
    return result;
}

} // namespace folha
