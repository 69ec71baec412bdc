#include "TfoEsocial.h"

#include "AuditLog.h"
#include "DbError.h"
#include "Generator.h"
#include "JobScreen.h"
#include "Session.h"
#include "Signer.h"
#include "Table.h"
#include "DesktopReport.h"
#include "Transmission.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace folha {

using namespace esocial;

const QString TfoEsocial::Caption = QStringLiteral("eSocial");
const QString TfoEsocial::ScreenName = QStringLiteral("TfoEsocial");

namespace {

Employer currentEmployer(Session& s) {
    const int code = s.signIn.CurrentCompanyCode;
    auto row = Table(s.companyListDb(), QStringLiteral("EmpresaFOLHA")).find({code});
    return EmployerOf(s.folha(), code, row ? row->text("Nome") : QString());
}

// The competence box as the register keeps it ("AAAA-MM"); empty for an
// empty box.
QString competenceKey(const QLineEdit* box) {
    QString typed = box->text();
    if (typed.remove('_').remove('/').trimmed().isEmpty()) return {};
    return CompetenceKey(box->text());
}

// The event laid out one element per line, for reading only: what is kept
// and exported are the bytes as signed.
QString Indented(const QByteArray& xml) {
    QXmlStreamReader in(xml);
    in.setNamespaceProcessing(false);
    QString out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    while (!in.atEnd()) {
        in.readNext();
        if (in.isWhitespace()) continue;
        w.writeCurrentToken(in);
    }
    return in.hasError() ? QString::fromUtf8(xml) : out;
}

} // namespace

TfoEsocial::TfoEsocial(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(Caption);
    resize(980, 620);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    competence_ = new QLineEdit(this);
    competence_->setObjectName(QStringLiteral("eCompetencia"));
    competence_->setInputMask(QStringLiteral("99/9999;_"));
    competence_->setMaximumWidth(90);
    QDate sheet = ui::BranchSheetDate(session_);
    if (sheet.isValid()) competence_->setText(sheet.toString(QStringLiteral("MM/yyyy")));
    status_ = new QComboBox(this);
    status_->setObjectName(QStringLiteral("cbSituacao"));
    status_->addItem(QStringLiteral("Todas"));
    status_->addItems(Statuses());
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("cbEvento"));
    type_->addItem(QStringLiteral("Todos"));
    for (const EventKind& k : EventKinds()) type_->addItem(QLatin1String(k.type));
    allVersions_ = new QCheckBox(QStringLiteral("Todas as versões"), this);
    allVersions_->setObjectName(QStringLiteral("chkVersoes"));
    auto* show = new QPushButton(QStringLiteral("&Mostrar"), this);
    auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        filters->addWidget(l);
        filters->addWidget(buddy);
    };
    label(QStringLiteral("&Competência"), competence_);
    label(QStringLiteral("&Situação"), status_);
    label(QStringLiteral("&Evento"), type_);
    filters->addWidget(allVersions_);
    filters->addWidget(show);
    filters->addStretch(1);
    layout->addLayout(filters);

    certificate_ = new QLabel(this);
    certificate_->setObjectName(QStringLiteral("lbCertificado"));
    layout->addWidget(certificate_);

    auto* split = new QSplitter(Qt::Vertical, this);
    grid_ = new QTableWidget(0, 11, split);
    grid_->setObjectName(QStringLiteral("grEventos"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Identificador"), QStringLiteral("Evento"), QStringLiteral("Assunto"),
                                      QStringLiteral("Competência"),
                                      QStringLiteral("Funcionário"), QStringLiteral("Versão"), QStringLiteral("Situação"),
                                      QStringLiteral("Retifica"), QStringLiteral("Recibo"), QStringLiteral("Lote"),
                                      QStringLiteral("Alterado")});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setStretchLastSection(true);
    detail_ = new QPlainTextEdit(split);
    detail_->setObjectName(QStringLiteral("mmXml"));
    detail_->setReadOnly(true);
    detail_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    detail_->setFont(mono);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    auto* generateButton = new QPushButton(QStringLiteral("&Gerar"), this);
    generateButton->setObjectName(QStringLiteral("btGerar"));
    auto* exportButton = new QPushButton(QStringLiteral("E&xportar lote..."), this);
    exportButton->setObjectName(QStringLiteral("btExportar"));
    auto* certButton = new QPushButton(QStringLiteral("Cer&tificado..."), this);
    certButton->setObjectName(QStringLiteral("btCertificado"));
    auto* closeButton = new QPushButton(QStringLiteral("&Fechar"), this);
    auto* sendButton = new QPushButton(QStringLiteral("E&nviar"), this);
    sendButton->setObjectName(QStringLiteral("btEnviar"));
    auto* batchesButton = new QPushButton(QStringLiteral("&Lotes"), this);
    batchesButton->setObjectName(QStringLiteral("btLotes"));
    auto* resendButton = new QPushButton(QStringLiteral("&Reenviar"), this);
    resendButton->setObjectName(QStringLiteral("btReenviar"));
    auto* importButton = new QPushButton(QStringLiteral("&Importar totais..."), this);
    importButton->setObjectName(QStringLiteral("btImportarTotais"));
    auto* reconcileButton = new QPushButton(QStringLiteral("C&onferir totais"), this);
    reconcileButton->setObjectName(QStringLiteral("btConferir"));
    buttons->addWidget(generateButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(certButton);
    buttons->addWidget(sendButton);
    buttons->addWidget(batchesButton);
    buttons->addWidget(resendButton);
    buttons->addWidget(importButton);
    buttons->addWidget(reconcileButton);
    auto* guidesButton = new QPushButton(QStringLiteral("Resumo das &guias"), this);
    guidesButton->setObjectName(QStringLiteral("btGuias"));
    buttons->addWidget(guidesButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(show, &QPushButton::clicked, this, [this] { refresh(); });
    connect(status_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(type_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(allVersions_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(grid_, &QTableWidget::itemSelectionChanged, this, [this] { showDetail(); });
    connect(generateButton, &QPushButton::clicked, this, [this] {
        QByteArray password;
        if (!ReadSettings(session_.installation().settingsFile()).certificate.isEmpty()) {
            password = askPassword();
            if (password.isNull()) return;
        }
        generate(password);
        password.fill('\0');
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos eventos e lotes"));
        if (!dir.isEmpty()) exportTo(dir);
    });
    connect(certButton, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Certificado A1"), {},
                                                          QStringLiteral("Certificados A1 (*.pfx *.p12)"));
        if (file.isEmpty()) return;
        QByteArray password = askPassword();
        if (!password.isNull()) chooseCertificate(file, password);
        password.fill('\0');
    });
    connect(sendButton, &QPushButton::clicked, this, [this] {
        QByteArray password = askPassword();
        if (!password.isNull()) send(password);
        password.fill('\0');
    });
    connect(batchesButton, &QPushButton::clicked, this, [this] {
        QByteArray password;
        if (batchesWaiting()) {
            password = askPassword();
            if (password.isNull()) return;
        }
        showBatches(password);
        password.fill('\0');
    });
    connect(resendButton, &QPushButton::clicked, this, [this] { resendSelected(); });
    connect(importButton, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta dos totalizadores do eSocial"));
        if (!dir.isEmpty()) importTotals(dir);
    });
    connect(reconcileButton, &QPushButton::clicked, this, [this] { reconcile(true); });
    connect(guidesButton, &QPushButton::clicked, this, [this] {
        const UiOwner owner(ui_, this);
        try {
            const QString key = competenceKey(competence_);
            if (key.isEmpty()) throw UserError(QStringLiteral("Informe a competência (MM/AAAA)."));
            const GuideSummary s = SummarizeGuides(session_.folha(), key.left(4).toInt(), key.mid(5).toInt());
            DesktopReportRequest request;
            request.info = {QStringLiteral("Resumo para o FGTS Digital e a DCTFWeb"), QStringLiteral("TfoEsocialGuias")};
            request.width = kGuideSummaryWidth;
            request.titlesLine = QStringLiteral("Func.;Nome;Base INSS;INSS;Base FGTS;FGTS");
            RunDesktopReport(this, session_, ui_, request, [&](TextReport& report) {
                ComposeGuideSummary(report, s);
                return true;
            });
        } catch (const UserError& e) {
            ui_.message(MessageKind::Error, e.message());
        }
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    showSettings();
    refresh();
}

QByteArray TfoEsocial::askPassword() {
    bool ok = false;
    const QString text = QInputDialog::getText(this, Caption, QStringLiteral("Senha do certificado:"), QLineEdit::Password,
                                               {}, &ok);
    if (!ok) return {};
    QByteArray bytes = text.toUtf8();
    if (bytes.isNull()) bytes = QByteArray("");
    return bytes;
}

void TfoEsocial::showSettings() {
    const Settings s = ReadSettings(session_.installation().settingsFile());
    const QString env = s.environment == 1 ? QStringLiteral("produção") : QStringLiteral("produção restrita");
    certificate_->setText(s.certificate.isEmpty()
                              ? QStringLiteral("Nenhum certificado escolhido: os eventos são validados, não assinados. Ambiente: %1.").arg(env)
                              : QStringLiteral("Certificado: %1. Ambiente: %2.").arg(s.certificate, env));
}

void TfoEsocial::refresh() {
    const UiOwner owner(ui_, this);
    EventFilter f;
    try {
        f.competence = competenceKey(competence_);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return;
    }
    if (status_->currentIndex() > 0) f.status = status_->currentText();
    if (type_->currentIndex() > 0) f.type = type_->currentText();
    f.allVersions = allVersions_->isChecked();
    try {
        shown_ = EventRegister(session_.folha()).list(f);
    } catch (const std::exception& e) {
        ui_.message(MessageKind::Error, QString::fromUtf8(e.what()));
        return;
    }
    grid_->setRowCount(int(shown_.size()));
    for (int r = 0; r < int(shown_.size()); ++r) {
        const StoredEvent& e = shown_[size_t(r)];
        QString about = e.subject.section('|', 1, -1);
        const QStringList cells = {e.id, e.type, about.isEmpty() ? QStringLiteral("empregador") : about.replace('|', QStringLiteral(" ")),
                                   e.competence.mid(5) + '/' + e.competence.left(4), e.worker,
                                   QString::number(e.version), e.status, e.indRetif == 2 ? e.rectifies : QString(),
                                   e.receipt, e.batch ? QString::number(e.batch) : QString(),
                                   e.changed ? QStringLiteral("Sim") : QString()};
        for (int c = 0; c < cells.size(); ++c) grid_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    grid_->resizeColumnsToContents();
    detail_->clear();
    if (!shown_.empty()) grid_->selectRow(0);
}

void TfoEsocial::showDetail() {
    const int row = grid_->currentRow();
    if (row < 0 || row >= int(shown_.size())) {
        detail_->clear();
        return;
    }
    const StoredEvent& e = shown_[size_t(row)];
    QString text;
    if (!e.messages.isEmpty()) text = QStringLiteral("Erros do esquema:\n") + e.messages + QStringLiteral("\n\n");
    text += Indented(e.xml);
    detail_->setPlainText(text);
}

bool TfoEsocial::generate(const QByteArray& password) {
    const UiOwner owner(ui_, this);
    GenerateResult g;
    try {
        const QString key = competenceKey(competence_);
        if (key.isEmpty()) throw UserError(QStringLiteral("Informe a competência (MM/AAAA)."));
        const Settings s = ReadSettings(session_.installation().settingsFile());
        std::unique_ptr<Certificate> cert;
        if (!s.certificate.isEmpty()) cert = Certificate::load(s.certificate, password);
        GenerateRequest r;
        r.year = key.left(4).toInt();
        r.month = key.mid(5).toInt();
        r.certificate = cert.get();
        r.environment = s.environment;
        r.paymentOnBranchDate = s.paymentOnBranchDate;
        g = Generate(session_.folha(), currentEmployer(session_), r, ui_);
        if (g.built == 0 && g.removals == 0) {
            ui_.message(MessageKind::Warning, QStringLiteral("Nenhum evento do eSocial a gerar para %1: nada foi gravado.")
                                                  .arg(competence_->text()));
            return false;
        }
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("ESOCIAL"),
                         QStringLiteral("Eventos do eSocial gerados para %1: %2 novo(s), %3 inválido(s)")
                             .arg(key)
                             .arg(g.stored)
                             .arg(g.invalid)},
                        session_.signIn.CurrentUserCode, ui_);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    refresh();
    QString text = QStringLiteral("%1 evento(s) montado(s): %2 novo(s) ou alterado(s), %3 sem mudança, %4 assinado(s), %5 inválido(s).")
                       .arg(g.built)
                       .arg(g.stored)
                       .arg(g.unchanged)
                       .arg(g.signedCount)
                       .arg(g.invalid);
    if (!g.problems.isEmpty()) text += QStringLiteral("\n\n") + g.problems.join('\n');
    ui_.message(g.invalid ? MessageKind::Warning : MessageKind::Information, text);
    return g.stored > 0;
}

bool TfoEsocial::exportTo(const QString& dir) {
    const UiOwner owner(ui_, this);
    try {
        EventFilter f;
        f.competence = competenceKey(competence_);
        ExportResult r = ExportEvents(session_.folha(), currentEmployer(session_), ReadSettings(session_.installation().settingsFile()), f, dir, ui_);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("ESOCIAL"),
                         QStringLiteral("Eventos do eSocial exportados para %1: %2 evento(s), %3 lote(s)").arg(dir).arg(r.events).arg(r.batches)},
                        session_.signIn.CurrentUserCode, ui_);
        refresh();
        ui_.message(MessageKind::Information,
                    QStringLiteral("%1 evento(s) e %2 lote(s) gravados em %3.").arg(r.events).arg(r.batches).arg(dir));
        return true;
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
}

bool TfoEsocial::chooseCertificate(const QString& file, const QByteArray& password) {
    const UiOwner owner(ui_, this);
    try {
        if (session_.signIn.CurrentUserLevel != QLatin1String("SUP"))
            throw UserError(QStringLiteral("Escolher o certificado do eSocial é liberado somente para usuários de nível SUP."));
        auto cert = Certificate::load(file, password);
        cert->requireInForce(QDateTime::currentDateTimeUtc());
        Settings s = ReadSettings(session_.installation().settingsFile());
        s.certificate = file;
        WriteSettings(session_.installation().settingsFile(), s);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("CfgFolha"), QStringLiteral("Certificado do eSocial: %1").arg(file)},
                        session_.signIn.CurrentUserCode, ui_);
        showSettings();
        ui_.message(MessageKind::Information,
                    QStringLiteral("Certificado de %1, válido até %2.")
                        .arg(cert->subject(), cert->notAfter().toLocalTime().toString(QStringLiteral("dd/MM/yyyy"))));
        return true;
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
}

bool TfoEsocial::batchesWaiting() {
    try {
        for (const SentBatch& b : ListBatches(session_.folha()))
            if (b.status == batchStatus::Processing) return true;
    } catch (const UserError&) {
    }
    return false;
}

namespace {

// The client of the settings with the certificate's password; `server`
// replaces the addresses' server.
struct Connection {
    std::unique_ptr<ClientIdentity> identity;
    std::unique_ptr<SoapClient> client;
};

Connection connectTo(Session& session, const QByteArray& password, const QString& server) {
    const Settings s = ReadSettings(session.installation().settingsFile());
    if (s.certificate.isEmpty()) throw UserError(QStringLiteral("Escolha o certificado A1 do escritório (botão Certificado)."));
    Certificate::load(s.certificate, password)->requireInForce(QDateTime::currentDateTimeUtc());
    TransmitSettings t = ReadTransmitSettings(session.installation().settingsFile(), s.environment);
    if (!server.isEmpty()) UseServer(t, server);
    Connection c;
    c.identity = ClientIdentity::load(s.certificate, password);
    c.client = std::make_unique<SoapClient>(*c.identity, t);
    return c;
}

QString outcomeText(const SendOutcome& o) {
    QString text = QStringLiteral("%1 lote(s) enviado(s) com %2 evento(s); %3 aceito(s) (%4 com advertência), %5 rejeitado(s), "
                                  "%6 em processamento; %7 totalizador(es) recebido(s).")
                       .arg(o.batchesSent)
                       .arg(o.eventsSent)
                       .arg(o.accepted)
                       .arg(o.warnings)
                       .arg(o.rejected)
                       .arg(o.processing)
                       .arg(o.totals);
    if (!o.messages.isEmpty()) text += QStringLiteral("\n\n") + o.messages.join('\n');
    return text;
}

} // namespace

bool TfoEsocial::send(const QByteArray& password, const QString& server) {
    const UiOwner owner(ui_, this);
    SendOutcome o;
    QString key;
    try {
        key = competenceKey(competence_);
        if (key.isEmpty()) throw UserError(QStringLiteral("Informe a competência (MM/AAAA)."));
        Connection c = connectTo(session_, password, server);
        o = SendPending(session_.folha(), currentEmployer(session_), ReadSettings(session_.installation().settingsFile()).transmitter, *c.client, key,
                        QDateTime::currentDateTime(), ui_);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("ESOCIAL"),
                         QStringLiteral("Eventos do eSocial enviados (%1): %2 lote(s), %3 evento(s), %4 aceito(s), %5 rejeitado(s)")
                             .arg(key)
                             .arg(o.batchesSent)
                             .arg(o.eventsSent)
                             .arg(o.accepted)
                             .arg(o.rejected)},
                        session_.signIn.CurrentUserCode, ui_);
    } catch (const UserError& e) {
        refresh();
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    refresh();
    showBatches({}, {});
    ui_.message(o.rejected ? MessageKind::Warning : MessageKind::Information, outcomeText(o));
    return true;
}

bool TfoEsocial::showBatches(const QByteArray& password, const QString& server) {
    const UiOwner owner(ui_, this);
    QString text;
    try {
        if (batchesWaiting() && !password.isNull()) {
            Connection c = connectTo(session_, password, server);
            const SendOutcome o = QueryPending(session_.folha(), *c.client, QDateTime::currentDateTime(), ui_);
            text = outcomeText(o) + QStringLiteral("\n\n");
            refresh();
        }
        const QString key = competenceKey(competence_);
        EventRegister reg(session_.folha());
        const auto batches = ListBatches(session_.folha(), key);
        if (batches.empty()) text += QStringLiteral("Nenhum lote enviado nesta competência.");
        for (const SentBatch& b : batches) {
            text += QStringLiteral("Lote %1 (grupo %2), protocolo %3: %4, código %5; enviado em %6%7\n")
                        .arg(b.number)
                        .arg(b.group)
                        .arg(b.protocol.isEmpty() ? QStringLiteral("-") : b.protocol, b.status)
                        .arg(b.code)
                        .arg(b.sent, b.queried.isEmpty() ? QString() : QStringLiteral(", consultado em ") + b.queried);
            for (const QString& id : b.ids) {
                auto e = reg.byId(id);
                if (!e) continue;
                text += QStringLiteral("  %1 %2 %3 %4 %5\n").arg(e->type, e->id, e->worker, e->status, e->receipt);
                if (e->status == status::Rejected || e->status == status::Accepted)
                    for (const QString& m : e->messages.split('\n', Qt::SkipEmptyParts)) text += QStringLiteral("      ") + m + '\n';
            }
        }
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    detail_->setPlainText(text);
    return true;
}

bool TfoEsocial::resendSelected() {
    const UiOwner owner(ui_, this);
    const int row = grid_->currentRow();
    if (row < 0 || row >= int(shown_.size())) {
        ui_.message(MessageKind::Warning, QStringLiteral("Escolha na lista o evento rejeitado."));
        return false;
    }
    const QString id = shown_[size_t(row)].id;
    try {
        MarkForResend(session_.folha(), id);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("ESOCIAL"), QStringLiteral("Evento do eSocial %1 marcado para reenvio").arg(id)},
                        session_.signIn.CurrentUserCode, ui_);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    refresh();
    ui_.message(MessageKind::Information, QStringLiteral("O evento %1 volta a ser enviado no próximo envio.").arg(id));
    return true;
}

bool TfoEsocial::importTotals(const QString& dir) {
    const UiOwner owner(ui_, this);
    TotalsImport r;
    try {
        r = ImportTotals(session_.folha(), dir);
        if (r.stored)
            WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                            {QStringLiteral("E"), QStringLiteral("ESOCTOT"),
                             QStringLiteral("Totalizadores do eSocial importados de %1: %2").arg(dir).arg(r.stored)},
                            session_.signIn.CurrentUserCode, ui_);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    QString text = QStringLiteral("%1 totalizador(es) gravado(s), %2 já importado(s), %3 com problema.")
                       .arg(r.stored)
                       .arg(r.known)
                       .arg(r.problems.size());
    if (!r.problems.isEmpty()) text += QStringLiteral("\n\n") + r.problems.join('\n');
    ui_.message(r.problems.isEmpty() ? MessageKind::Information : MessageKind::Warning, text);
    return r.problems.isEmpty();
}

ReconciliationResult TfoEsocial::reconcile(bool print) {
    const UiOwner owner(ui_, this);
    ReconciliationResult r;
    try {
        const QString key = competenceKey(competence_);
        if (key.isEmpty()) throw UserError(QStringLiteral("Informe a competência (MM/AAAA)."));
        r = Reconcile(session_.folha(), key.left(4).toInt(), key.mid(5).toInt());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return r;
    }
    QString text = QStringLiteral("Conferência dos totalizadores do eSocial: %1 funcionário(s).\n").arg(r.workers);
    if (!r.missing.isEmpty()) text += QStringLiteral("Não importados (não conferidos): %1\n").arg(r.missing.join(QStringLiteral(", ")));
    if (r.divergences.empty()) text += QStringLiteral("Sem divergências\n");
    for (const Divergence& d : r.divergences) {
        text += QStringLiteral("%1 %2 - %3: folha %4, eSocial %5\n")
                    .arg(d.worker, d.name, d.item, d.payroll.toString(2), d.government.toString(2));
        if (!d.rubricas.isEmpty()) text += QStringLiteral("    Rubricas: ") + d.rubricas + '\n';
    }
    detail_->setPlainText(text);
    if (print) {
        DesktopReportRequest request;
        request.info = {QStringLiteral("Conferência dos Totalizadores do eSocial"), QStringLiteral("TfoEsocialConferencia")};
        request.width = kReconciliationWidth;
        request.titlesLine = QStringLiteral("Func.;Nome;Item;Folha;eSocial;Diferença");
        RunDesktopReport(this, session_, ui_, request, [&](TextReport& report) {
            ComposeReconciliation(report, r);
            return true;
        });
    }
    return r;
}

QWidget* TfoEsocial::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoEsocial(session, ui, parent);
}

} // namespace folha
