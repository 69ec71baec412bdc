#include "TfoExportarRelExcel.h"

#include "DbError.h"
#include "Listings.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "Session.h"
#include "UserInterface.h"
#include "XlsxExport.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace folha {

const QString TfoExportarRelExcel::Caption = QStringLiteral("Zorvan - Exportar relatório txt para Excel:");

namespace {

QFont FixedFont() {
    QFont f(QStringLiteral("Liberation Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSize(9);
    return f;
}

// The report's first lines as drawn, for laying the titles over them.
QString SampleText(const QString& reportFile) {
    QFile f(reportFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    while (!f.atEnd() && lines.size() < 60) lines << VisibleReportText(f.readLine());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TfoExportarRelExcel::TfoExportarRelExcel(Session& session, UserInterface& ui, const QString& reportFile,
                                         const QString& reportName, const QString& proposedTitles, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), reportFile_(reportFile), reportName_(reportName) {
    setObjectName(QStringLiteral("TfoExportarRelExcel"));
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Títulos das colunas:"), this));
    titles_ = new QLineEdit(this);
    titles_->setObjectName(QStringLiteral("eColunasSeparadas"));
    titles_->setFont(FixedFont());
    layout->addWidget(titles_);
    sample_ = new QPlainTextEdit(this);
    sample_->setReadOnly(true);
    sample_->setFont(FixedFont());
    sample_->setLineWrapMode(QPlainTextEdit::NoWrap);
    sample_->setPlainText(SampleText(reportFile));
    sample_->setMinimumSize(sample_->fontMetrics().horizontalAdvance(QString(100, QLatin1Char('M'))), 260);
    layout->addWidget(sample_);
    auto* hint = new QLabel(QStringLiteral("*** O caracter @ define o fim de uma coluna. Caso não seja, basta apagar o "
                                           "caracter. Exemplo \"@Codigo @do @Produto@, deve ficar \"@Codigo do Produto@\""),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    view_ = new QCheckBox(QStringLiteral("Visualizar no Excel"), this);
    view_->setChecked(true);
    view_->setToolTip(QStringLiteral("Marque esta opção se deseja visualizar diretamente no excel após salvar"));
    keepHeader_ = new QCheckBox(QStringLiteral("Manter cabeçalho do relatório"), this);
    keepHeader_->setChecked(true);
    keepHeader_->setToolTip(QStringLiteral("Marque esta opção caso queira manter o cabeçalho original do arquivo"));
    layout->addWidget(view_);
    layout->addWidget(keepHeader_);
    auto* buttons = new QHBoxLayout;
    auto* exportButton = new QPushButton(QStringLiteral("  Exportar"), this);
    auto* restoreButton = new QPushButton(QStringLiteral("  Restaura"), this);
    auto* closeButton = new QPushButton(QStringLiteral("  Close"), this);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(restoreButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(exportButton, &QPushButton::clicked, this, [this] { exportReport(); });
    connect(restoreButton, &QPushButton::clicked, this, [this] { restore(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    QString remembered = ReadRememberedTitles(session_.installation(), reportName_);
    openingTitles_ = remembered.isEmpty() ? proposedTitles : remembered;
    titles_->setText(openingTitles_);
}

void TfoExportarRelExcel::setReportLayout(const ReportLayout& layout) {
    reportLayout_ = layout;
    titles_->setEnabled(layout.isEmpty());
    titles_->setToolTip(layout.isEmpty() ? QString()
                                         : QStringLiteral("Este relatório define as próprias colunas: cada linha é "
                                                          "cortada pelos campos que imprime"));
}

void TfoExportarRelExcel::restore() { titles_->setText(openingTitles_); }

bool TfoExportarRelExcel::exportReport(const QString& path) {
    bool written = false;
    try {
        SaveRememberedTitles(session_.installation(), reportName_, titles_->text());
        QString target = path;
        if (target.isEmpty()) {
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            QString name = reportName_;
            name.remove(QLatin1Char('/')).remove(QLatin1Char('.')).remove(QLatin1Char(' '));
            target = QFileDialog::getSaveFileName(this, QStringLiteral("Salvar planilha"),
                                                  QDir(folder).filePath(name + QStringLiteral(".xlsx")),
                                                  QStringLiteral("Planilha (*.xlsx)"));
        }
        if (!target.isEmpty()) {
            if (!target.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) target += QStringLiteral(".xlsx");
            XlsxExportOptions options;
            options.titles = titles_->text();
            options.keepHeader = keepHeader_->isChecked();
            options.layout = reportLayout_;
            WriteXlsx(reportFile_, target, options, ui_);
            written = QFile::exists(target);
            if (written && view_->isChecked()) QDesktopServices::openUrl(QUrl::fromLocalFile(target));
        }
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    QFile::remove(reportFile_);
    if (written)
        accept();
    else
        reject();
    return written;
}

QWidget* TfoExportarRelExcel::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    // The positions listing of the open company, as the export receives it.
    const ListingDef* def = FindListing(QStringLiteral("TfoCadRelCargos"));
    QString file;
    if (def) {
        PrintSettings settings;
        settings.destination = PrintDestination::Excel;
        settings = ConfirmPrintSettings(settings);
        ReportRequest request;
        request.info = {def->caption, def->screen};
        request.width = def->width;
        try {
            file = RunReportJob(session, ui, settings, request, [&](TextReport& report) {
                       return !ComposeListing(session, ui, *def, ListingOrder::Code, report).cancelled;
                   }).reportFile;
        } catch (const UserError& e) {
            ui.message(MessageKind::Error, e.message());
        }
    }
    return new TfoExportarRelExcel(session, ui, file, def ? def->screen : QString(),
                                   def ? ListingTitlesLine(*def) : QString(), parent);
}

} // namespace folha
