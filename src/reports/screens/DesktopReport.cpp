#include "DesktopReport.h"

#include "SystemFiles.h"
#include "DbError.h"
#include "IniFile.h"
#include "PagePainter.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "Session.h"
#include "TfoExportarRelExcel.h"
#include "TfoTipoImpr.h"
#include "UserInterface.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace folha {

DeviceSink::DeviceSink(QPagedPaintDevice& device, const PrintSettings& settings)
    : device_(device), settings_(settings) {}
DeviceSink::~DeviceSink() = default;

void DeviceSink::page(const TextPage& page) {
    if (!painter_) painter_ = std::make_unique<PagePainter>(device_, settings_);
    painter_->paint(page);
}

void DeviceSink::end() {
    if (painter_) painter_->finish();
    painter_.reset();
}

namespace {

QString DefaultPdfPath(const QString& reportName) {
    QString name = reportName.isEmpty() ? QStringLiteral("relatorio") : reportName;
    name.remove(QLatin1Char('/')).remove(QLatin1Char('.')).remove(QLatin1Char(' '));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name + QStringLiteral(".pdf"));
}

} // namespace

bool RunDesktopReport(QWidget* owner, Session& session, UserInterface& ui, const DesktopReportRequest& request,
                      const std::function<bool(TextReport&)>& compose, bool askSetup) {
    if (askSetup) {
        TfoTipoImpr setup(session, owner);
        if (setup.exec() != QDialog::Accepted) return false;
    }
    const PrintSettings settings = RunPrintSettings();
    if (request.confirm && !ui.question(QStringLiteral("Confirma Emissao"))) return false;

    ReportRequest job;
    job.info = request.info;
    job.width = request.widthFor ? request.widthFor(settings) : request.width;
    if (settings.destination == PrintDestination::Pdf) {
        job.pdfPath = request.pdfPath;
        if (job.pdfPath.isEmpty())
            job.pdfPath = QFileDialog::getSaveFileName(owner, QStringLiteral("Salvar relatório em PDF"),
                                                       DefaultPdfPath(request.info.reportName),
                                                       QStringLiteral("PDF (*.pdf)"));
        if (job.pdfPath.isEmpty()) return false;
        if (!job.pdfPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) job.pdfPath += QStringLiteral(".pdf");
        try {
            RefuseSystemOutput(job.pdfPath);
        } catch (const UserError& e) {
            ui.message(MessageKind::Error, e.message());
            return false;
        }
    }
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<DeviceSink> drawn;
    if (settings.destination == PrintDestination::Printer && settings.mode == PrintMode::Graphic) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPrinterName(settings.printerName);
        printer->setDocName(TextReport::SystemName);
        drawn = std::make_unique<DeviceSink>(*printer, settings);
        job.drawn = drawn.get();
    }

    ReportResult result;
    try {
        result = RunReportJob(session, ui, settings, job, compose);
    } catch (const UserError& e) {
        ui.message(MessageKind::Error, e.message());
        return false;
    }

    switch (settings.destination) {
    case PrintDestination::Preview:
        ShowReportPreview(owner, session, result.reportFile, job.width, settings, request.info.title);
        break;
    case PrintDestination::Browser:
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(result.htmlFile)))
            ui.message(MessageKind::Warning,
                       QStringLiteral("Não foi possível abrir o navegador. O relatório foi gravado em %1").arg(result.htmlFile));
        break;
    case PrintDestination::Excel: {
        TfoExportarRelExcel exportScreen(session, ui, result.reportFile, request.info.reportName, request.titlesLine, owner);
        if (!request.layout.isEmpty()) exportScreen.setReportLayout(request.layout);
        exportScreen.exec();
        break;
    }
    case PrintDestination::Pdf:
        ui.message(MessageKind::Information, QStringLiteral("Relatório gravado em %1").arg(result.pdfFile));
        break;
    case PrintDestination::RemoteFile: // the job itself says where the file is
    case PrintDestination::Printer:
        break;
    }
    return true;
}

void ShowReportPreview(QWidget* owner, Session& session, const QString& reportFile, int width,
                       const PrintSettings& settings, const QString& title) {
    const QString viewer = ReadIniValue(session.installation().programFile(QStringLiteral("ConfigZorvan.ini")),
                                        QStringLiteral("Visualizador"), QStringLiteral("Programa"));
    if (!viewer.isEmpty()) QProcess::startDetached(viewer, {reportFile});

    const std::vector<TextPage> pages = ReadReportFile(reportFile, width);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(TextReport::SystemName);
    QPrintPreviewDialog preview(&printer, owner);
    preview.setWindowTitle(title.isEmpty() ? QStringLiteral("Visualizar") : title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        PagePainter painter(*target, settings);
        for (const TextPage& page : pages) painter.paint(page);
        painter.finish();
    });
    preview.resize(1000, 760);
    preview.exec();
}

} // namespace folha

namespace folha {

void AddPrintButtons(QWidget* screen, QBoxLayout* layout, const std::function<void()>& print) {
    auto* buttons = new QHBoxLayout;
    auto* printButton = new QPushButton(QStringLiteral("&Imprimir"), screen);
    printButton->setObjectName(QStringLiteral("btImprimir"));
    printButton->setDefault(true);
    auto* closeButton = new QPushButton(QStringLiteral("&Fechar"), screen);
    buttons->addStretch();
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(printButton, &QPushButton::clicked, screen, [print] { print(); });
    QObject::connect(closeButton, &QPushButton::clicked, screen, &QWidget::close);
}

} // namespace folha
