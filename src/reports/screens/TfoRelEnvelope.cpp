#include "TfoRelEnvelope.h"

#include "JobScreen.h"
#include "MailSettings.h"
#include "PayStatementPainter.h"
#include "PayslipMail.h"
#include "Session.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoRelEnvelope::ScreenName = QStringLiteral("TfoRelEnvelope");

TfoRelEnvelope::TfoRelEnvelope(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(QStringLiteral("Zorvan - Emissão do Envelope:"));
    range_ = new ui::EmployeeRange(session, ui, QStringLiteral("Funcionário Inicial:"),
                                   QStringLiteral("Funcionário Final:"), ui::EmployeeRange::CodeStyle::Padded,
                                   this);
    order_ = new QComboBox(this);
    order_->setObjectName(QStringLiteral("cbxOrdemImpressao"));
    order_->addItems(StatementOrderItems());
    order_->setCurrentIndex(0);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ordem de Impressão:"), order_);
    for (int i = 0; i < 3; ++i) {
        messages_[i] = new QLineEdit(this);
        messages_[i]->setObjectName(QStringLiteral("edMsg%1").arg(i + 1));
        messages_[i]->setMaxLength(StatementMessageLength);
        messages_[i]->setMinimumWidth(420);
        form->addRow(QStringLiteral("Mensagem %1").arg(i + 1), messages_[i]);
    }
    trail_ = new QCheckBox(QStringLiteral("Imprimir memória de cálculo"), this);
    trail_->setObjectName(QStringLiteral("ckMemoriaCalculo"));
    trail_->setToolTip(QStringLiteral("Depois dos demonstrativos de cada funcionário, uma folha com cada linha "
                                      "calculada e como o cálculo chegou a ela."));
    form->addRow(QString(), trail_);
    generate_ = new QPushButton(QStringLiteral("Gerar"), this);
    generate_->setObjectName(QStringLiteral("BotaoGerar"));
    generate_->setDefault(true);
    email_ = new QPushButton(QStringLiteral("Enviar por e-mail"), this);
    email_->setObjectName(QStringLiteral("BotaoEmail"));
    email_->setToolTip(QStringLiteral("Cada funcionário com e-mail no cadastro recebe o seu demonstrativo em PDF "
                                      "protegido por senha; reenviar manda só aos que falharam."));
    close_ = new QPushButton(QStringLiteral("Fechar"), this);
    close_->setObjectName(QStringLiteral("BotaoFechar"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(generate_);
    buttons->addWidget(email_);
    buttons->addWidget(close_);
    auto* main = new QVBoxLayout(this);
    main->addWidget(range_);
    main->addLayout(form);
    main->addStretch();
    main->addLayout(buttons);

    connect(generate_, &QPushButton::clicked, this, [this] { BotaoGerarClick(); });
    connect(email_, &QPushButton::clicked, this, [this] { BotaoEmailClick(); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    range_->restore(ScreenName);
}

QWidget* TfoRelEnvelope::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoRelEnvelope(session, ui, parent);
}

bool TfoRelEnvelope::BotaoGerarClick(const QString& pdfPath) {
    const UiOwner owner(ui_, this);
    PayStatementOptions options;
    try {
        options.firstEmployee = range_->firstCode();
        options.lastEmployee = range_->lastCode();
        options.order = TypedStatementOrder(order_->currentText());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    options.branchCode = CurrentBranchKey(session_);
    options.message1 = messages_[0]->text();
    options.message2 = messages_[1]->text();
    options.message3 = messages_[2]->text();
    range_->remember(ScreenName);

    generate_->setEnabled(false);
    bool done = false;
    try {
        {
            ui::JobUi jobUi(ui_, nullptr, nullptr);
            const UiRun run(jobUi, windowTitle());
            lastRun_ = BuildPayStatements(session_.folha(), session_.tmpDb(), jobUi, options);
        }
        std::optional<StatementTrailAnnex> annex;
        if (trail_->isChecked()) annex = StatementTrailAnnex{lastRun_->competence, lastRun_->sheet};
        if (lastRun_->cancelled) {
            // Stopped by the person: nothing is shown.
        } else if (lastRun_->employees == 0) {
            ui_.message(MessageKind::Information, QStringLiteral("Nenhum funcionário a imprimir."));
        } else if (!pdfPath.isEmpty()) {
            lastPages_ =
                WritePayStatementsPdf(session_.tmpDb(), session_.folha(), options.order, pdfPath, annex).pages;
        } else {
            showPreview(options.order, annex);
        }
        done = true;
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    generate_->setEnabled(true);
    return done;
}

bool TfoRelEnvelope::BotaoEmailClick() {
    const UiOwner owner(ui_, this);
    PayslipMailOptions options;
    try {
        options.statements.firstEmployee = range_->firstCode();
        options.statements.lastEmployee = range_->lastCode();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    options.statements.branchCode = CurrentBranchKey(session_);
    options.statements.message1 = messages_[0]->text();
    options.statements.message2 = messages_[1]->text();
    options.statements.message3 = messages_[2]->text();
    range_->remember(ScreenName);

    email_->setEnabled(false);
    bool sent = false;
    try {
        const MailSettings settings =
            ReadMailSettings(session_.installation().settingsFile());
        if (!settings.configured())
            throw UserError(QStringLiteral("Configure o envio de e-mail: servidor e remetente em Utilitários > Configuração de E-mail."));
        // First what would go, then the question.
        PayslipMailResult trial;
        {
            ui::JobUi jobUi(ui_, nullptr, nullptr);
            trial = SendPayslipsByEmail(session_.folha(), session_.tmpDb(), jobUi, settings, {}, options);
        }
        const QString period = trial.competence.mid(4, 2) + QLatin1Char('/') + trial.competence.left(4);
        if (trial.pending == 0) {
            ui_.message(MessageKind::Information,
                        QStringLiteral("Nenhum demonstrativo a enviar de %1 (%2 já enviado(s) ou sem e-mail).")
                            .arg(period)
                            .arg(trial.skipped));
        } else if (ui_.question(QStringLiteral("Enviar %1 demonstrativo(s) de %2 por e-mail para %3?")
                                    .arg(trial.pending)
                                    .arg(period, settings.server))) {
            options.send = true;
            const QString password = ReadMailPassword(session_.installation());
            PayslipMailResult r;
            {
                ui::JobUi jobUi(ui_, nullptr, nullptr);
                const UiRun run(jobUi, QStringLiteral("Envio dos demonstrativos por e-mail"));
                r = SendPayslipsByEmail(session_.folha(), session_.tmpDb(), jobUi, settings, password, options);
            }
            QString text = QStringLiteral("Demonstrativos de %1 por e-mail: %2 enviado(s), %3 com falha%4.")
                               .arg(period)
                               .arg(r.sent)
                               .arg(r.failed)
                               .arg(r.cancelled ? QStringLiteral(" (interrompido)") : QString());
            for (const MailRecipient& m : r.recipients)
                if (m.outcome == MailOutcome::Failed)
                    text += QStringLiteral("\n%1 %2: %3").arg(m.code, m.name, m.answer);
            ui_.message(r.failed > 0 ? MessageKind::Warning : MessageKind::Information, text);
            sent = r.sent > 0;
        }
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    email_->setEnabled(true);
    return sent;
}

void TfoRelEnvelope::showPreview(StatementOrder order, const std::optional<StatementTrailAnnex>& annex) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Demonstrativo de Pagamento"));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PreviewEnvelope"));
    preview.setWindowTitle(QStringLiteral("Demonstrativo de Pagamento"));
    // The statements are read again from the work tables each time the
    // preview or the printer asks for the pages.
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        try {
            PayStatementPainter painter(*target);
            PaintPayStatements(painter, session_.tmpDb(), session_.folha(), order, annex);
            painter.finish();
            lastPages_ = painter.pages();
        } catch (const UserError& e) {
            ui_.message(MessageKind::Error, e.message());
        }
    });
    preview.resize(1000, 760);
    preview.exec();
}

void TfoRelEnvelope::closeEvent(QCloseEvent* event) {
    range_->remember(ScreenName);
    QWidget::closeEvent(event);
}

} // namespace folha
