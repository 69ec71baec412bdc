#include "TfoTipoImpr.h"

#include "PrintFolders.h"
#include "Session.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoTipoImpr::Caption = QStringLiteral("Tipo de Impressão");

namespace {

// Whether the program runs inside a remote-desktop connection.
bool RemoteSession() {
    return !qEnvironmentVariableIsEmpty("XRDP_SESSION") ||
           qEnvironmentVariable("SESSIONNAME").startsWith(QLatin1String("RDP"), Qt::CaseInsensitive);
}

QString ThreeDigits(int n) { return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')); }

} // namespace

TfoTipoImpr::TfoTipoImpr(Session& session, QWidget* parent)
    : TfoTipoImpr(session, QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName(), parent) {}

TfoTipoImpr::TfoTipoImpr(Session& session, const QStringList& installedPrinters, const QString& defaultPrinter,
                         QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("TfoTipoImpr"));
    setWindowTitle(Caption);
    build(installedPrinters, defaultPrinter);
}

void TfoTipoImpr::build(const QStringList& installedPrinters, const QString& defaultPrinter) {
    const PrintSettings& run = RunPrintSettings();
    auto* layout = new QVBoxLayout(this);

    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("ComboBox1"));
    printers_ = PrinterList(session_.installation(), installedPrinters);
    int preselect = -1;
    for (int i = 0; i < printers_.size(); ++i) {
        printerBox_->addItem(printers_[i].name);
        if (!run.printerName.isEmpty() && printers_[i].name == run.printerName) preselect = i;
        if (preselect < 0 && printers_[i].name == defaultPrinter.left(50)) preselect = i;
    }
    // Without a printer of the system the preview is the safe choice.
    if (preselect < 0) preselect = printerBox_->findText(QStringLiteral("VISUALIZAR"));
    if (preselect >= 0) printerBox_->setCurrentIndex(preselect);
    auto* printerForm = new QFormLayout;
    printerForm->addRow(QStringLiteral("Impressora:"), printerBox_);
    layout->addLayout(printerForm);
    // A machine without printers still previews and writes PDF: said here,
    // where the destination is chosen, and nowhere else.
    printerNote_ = new QLabel(this);
    printerNote_->setObjectName(QStringLiteral("lbSemImpressora"));
    printerNote_->setWordWrap(true);
    const bool anyPrinter = std::any_of(printers_.cbegin(), printers_.cend(), [](const PrinterEntry& p) {
        return p.destination == PrintDestination::Printer;
    });
    if (!anyPrinter)
        printerNote_->setText(QStringLiteral("Nenhuma impressora instalada neste computador: escolha VISUALIZAR ou "
                                             "PDF (a impressão em papel fica para quando houver uma impressora)."));
    printerNote_->setVisible(!anyPrinter);
    layout->addWidget(printerNote_);

    auto* groups = new QHBoxLayout;
    auto* densityGroup = new QGroupBox(this);
    auto* densityLayout = new QVBoxLayout(densityGroup);
    condensed_ = new QRadioButton(QStringLiteral("Compactada"), densityGroup);
    normal_ = new QRadioButton(QStringLiteral("Normal"), densityGroup);
    densityLayout->addWidget(condensed_);
    densityLayout->addWidget(normal_);
    (run.condensed() ? condensed_ : normal_)->setChecked(true);
    groups->addWidget(densityGroup);

    auto* modeGroup = new QGroupBox(this);
    auto* modeLayout = new QVBoxLayout(modeGroup);
    graphic_ = new QRadioButton(QStringLiteral("Grafico"), modeGroup);
    text_ = new QRadioButton(QStringLiteral("Texto"), modeGroup);
    modeLayout->addWidget(graphic_);
    modeLayout->addWidget(text_);
    auto* linesRow = new QHBoxLayout;
    linesRow->addWidget(new QLabel(QStringLiteral("Linhas por pagina"), modeGroup));
    lines_ = new QLineEdit(modeGroup);
    lines_->setObjectName(QStringLiteral("eLinhas"));
    lines_->setMaxLength(3);
    lines_->setValidator(new QIntValidator(1, 999, lines_));
    lines_->setFixedWidth(lines_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    lines_->setText(ThreeDigits(run.linesPerPage));
    linesRow->addWidget(lines_);
    linesRow->addStretch();
    modeLayout->addLayout(linesRow);
    (run.mode == PrintMode::Graphic ? graphic_ : text_)->setChecked(true);
    groups->addWidget(modeGroup);

    orientationGroup_ = new QGroupBox(this);
    auto* orientationLayout = new QVBoxLayout(orientationGroup_);
    portrait_ = new QRadioButton(QStringLiteral("Retrato"), orientationGroup_);
    landscape_ = new QRadioButton(QStringLiteral("Paisagem"), orientationGroup_);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    (run.portrait() ? portrait_ : landscape_)->setChecked(true);
    groups->addWidget(orientationGroup_);
    layout->addLayout(groups);

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lbAvisoTS"));
    folder_ = new QLabel(this);
    notice_->installEventFilter(this);
    layout->addWidget(notice_);
    layout->addWidget(folder_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    serverFile_ = QFileInfo::exists(session_.installation().programFile(QStringLiteral("SERVIDOR.TXT")));
    remoteEnabled_ = !serverFile_ && (run.remoteEnabled || RemoteSession());

    connect(text_, &QRadioButton::clicked, this, [this] { modeChanged(); });
    connect(graphic_, &QRadioButton::clicked, this, [this] { modeChanged(); });
    for (QRadioButton* b : {condensed_, normal_, portrait_, landscape_})
        connect(b, &QRadioButton::clicked, this, [this] { recomputeLines(); });
    orientationGroup_->setVisible(graphic_->isChecked());
    showNotice();
}

void TfoTipoImpr::modeChanged() {
    orientationGroup_->setVisible(graphic_->isChecked());
    if (text_->isChecked())
        lines_->setText(ThreeDigits(ProposedLinesPerPage(PrintMode::Text, condensed_->isChecked(), false)));
    else
        recomputeLines();
}

void TfoTipoImpr::recomputeLines() {
    if (!graphic_->isChecked()) return;
    lines_->setText(ThreeDigits(ProposedLinesPerPage(PrintMode::Graphic, condensed_->isChecked(), portrait_->isChecked())));
}

void TfoTipoImpr::showNotice() {
    const PrintFolders folders = ResolvePrintTempDir(session_);
    if (serverFile_ || (!remoteEnabled_ && RemoteSession())) {
        notice_->setText(QStringLiteral("*** Impressão via TS Desabilitada"));
        folder_->setText(QStringLiteral("Dir. de impressão: ") + folders.localDir);
    } else if (remoteEnabled_) {
        notice_->setText(QStringLiteral("*** Impressão via TS Habilitada"));
        if (folders.remoteDrive.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0)
            folder_->setText(QStringLiteral("Dir. de impressão:  \\\\tsclient\\c"));
        else
            folder_->setText(QStringLiteral("Dir. de impressão:  em \\\\tsclient\\") + folders.remoteDrive);
    } else {
        notice_->setText(QStringLiteral("*** Impressão Local"));
        folder_->setText(QStringLiteral("Dir. de impressão: ") + folders.localDir);
    }
}

bool TfoTipoImpr::eventFilter(QObject* watched, QEvent* event) {
    if (watched == notice_ && event->type() == QEvent::MouseButtonRelease) turnRemoteOff();
    return QDialog::eventFilter(watched, event);
}

void TfoTipoImpr::turnRemoteOff() {
    if (!remoteEnabled_) return;
    remoteEnabled_ = false;
    notice_->setText(QStringLiteral("*** Impressão via TS Desabilitada"));
    folder_->setText(QStringLiteral("Dir. de impressão: ") + ResolvePrintTempDir(session_).localDir);
}

PrintSettings TfoTipoImpr::current() const {
    PrintSettings s;
    s.mode = graphic_->isChecked() ? PrintMode::Graphic : PrintMode::Text;
    s.density = condensed_->isChecked() ? DensityCondensed : DensityNormal;
    s.orientation = portrait_->isChecked() ? QStringLiteral("R") : QStringLiteral("P");
    s.linesPerPage = lines_->text().toInt();
    const int i = printerBox_->currentIndex();
    if (i >= 0 && i < printers_.size()) {
        s.printerName = printers_[i].name;
        s.printerPort = printers_[i].port;
        s.destination = printers_[i].destination;
    }
    s.remoteEnabled = remoteEnabled_;
    return s;
}

void TfoTipoImpr::confirm() {
    chosen_ = ConfirmPrintSettings(current());
    RunPrintSettings() = chosen_;
    lines_->setText(ThreeDigits(chosen_.linesPerPage));
    accept();
}

void TfoTipoImpr::chooseDestination(const QString& entryText) {
    const int i = printerBox_->findText(entryText);
    if (i >= 0) printerBox_->setCurrentIndex(i);
}
void TfoTipoImpr::chooseCondensed(bool condensed) { (condensed ? condensed_ : normal_)->click(); }
void TfoTipoImpr::chooseGraphic(bool graphic) { (graphic ? graphic_ : text_)->click(); }
void TfoTipoImpr::choosePortrait(bool portrait) { (portrait ? portrait_ : landscape_)->click(); }
void TfoTipoImpr::setLinesText(const QString& text) { lines_->setText(text); }

QStringList TfoTipoImpr::entries() const {
    QStringList out;
    for (int i = 0; i < printerBox_->count(); ++i) out << printerBox_->itemText(i);
    return out;
}
QString TfoTipoImpr::linesText() const { return lines_->text(); }
QString TfoTipoImpr::printerNoteText() const { return printerNote_->isHidden() ? QString() : printerNote_->text(); }
bool TfoTipoImpr::orientationShown() const { return !orientationGroup_->isHidden(); }
QString TfoTipoImpr::noticeText() const { return notice_->text() + QLatin1Char('\n') + folder_->text(); }

QWidget* TfoTipoImpr::createForGrab(Session& session, UserInterface&, QWidget* parent) {
    return new TfoTipoImpr(session, parent);
}

} // namespace folha
