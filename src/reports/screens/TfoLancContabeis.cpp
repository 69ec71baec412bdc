#include "TfoLancContabeis.h"

#include "DesktopReport.h"
#include "JobScreen.h"
#include "Session.h"
#include "Table.h"
#include "TypedInput.h"
#include "UserInterface.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoLancContabeis::ScreenName = QStringLiteral("TfoLancContabeis");

TfoLancContabeis::TfoLancContabeis(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(QStringLiteral("Zorvan - Lançamentos Contábeis:"));
    competence_ = new QLineEdit(this);
    competence_->setObjectName(QStringLiteral("edCompetencia"));
    competence_->setInputMask(QStringLiteral("99/9999"));
    competence_->setMaximumWidth(90);
    QDate date;
    try {
        if (auto branch = Table(session.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session)}))
            date = branch->date(QStringLiteral("DATA_FOLHA"));
    } catch (const std::exception&) {
    }
    if (date.isValid()) competence_->setText(date.toString(QStringLiteral("MM/yyyy")));
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("edArquivo"));
    file_->setMinimumWidth(360);
    file_->setText(QDir(QDir::homePath())
                       .filePath(QStringLiteral("lancamentos-%1.csv")
                                     .arg(date.isValid() ? date.toString(QStringLiteral("yyyyMM")) : QString())));
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("BotaoProcurar"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Arquivo dos lançamentos"),
                                                            file_->text(), QStringLiteral("CSV (*.csv)"));
        if (!chosen.isEmpty()) file_->setText(chosen);
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_);
    fileRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Competência (MM/AAAA):"), competence_);
    form->addRow(QStringLiteral("Arquivo CSV:"), fileRow);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch();
    AddPrintButtons(this, main, [this] { BotaoImprimirClick(); });
}

QWidget* TfoLancContabeis::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoLancContabeis(session, ui, parent);
}

bool TfoLancContabeis::BotaoImprimirClick(bool printSummary) {
    const UiOwner owner(ui_, this);
    AccountingOptions options;
    try {
        options.competence = TypedCompetence(competence_->text()).firstDay();
        if (file_->text().trimmed().isEmpty()) throw UserError(QStringLiteral("Informe o arquivo CSV dos lançamentos."));
        options.branchCode = CurrentBranchKey(session_);
        {
            ui::JobUi jobUi(ui_, nullptr, nullptr);
            const UiRun run(jobUi, windowTitle());
            lastRun_ = BuildAccountingEntries(session_.folha(), jobUi, options);
        }
        WriteAccountingCsv(*lastRun_, file_->text().trimmed());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    if (printSummary) {
        DesktopReportRequest request;
        request.info = {AccountingTitle, AccountingScreen};
        request.width = AccountingWidth;
        request.confirm = false;
        const AccountingResult r = *lastRun_;
        RunDesktopReport(this, session_, ui_, request, [r](TextReport& report) {
            ComposeAccountingSummary(r, report);
            return true;
        });
    }
    ui_.message(lastRun_->unmapped.empty() ? MessageKind::Information : MessageKind::Warning,
                QStringLiteral("%1 lançamento(s) gravado(s) em %2.%3")
                    .arg(lastRun_->entries.size())
                    .arg(file_->text().trimmed())
                    .arg(lastRun_->unmapped.empty()
                             ? QString()
                             : QStringLiteral(" %1 item(ns) sem conta contábil ficaram fora: cadastre-os em "
                                              "Folha, Contas Contábeis.")
                                   .arg(lastRun_->unmapped.size())));
    return true;
}

} // namespace folha
