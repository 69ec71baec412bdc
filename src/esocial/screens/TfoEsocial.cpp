#include "TfoEsocial.h"

#include "AuditLog.h"
#include "DbError.h"
#include "Generator.h"
#include "JobScreen.h"
#include "Session.h"
#include "Signer.h"
#include "Table.h"

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

QString cfgFile(Session& s) { return s.installation().programFile(QStringLiteral("CfgFolha.ini")); }

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
    buttons->addWidget(generateButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(certButton);
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
        if (!ReadSettings(cfgFile(session_)).certificate.isEmpty()) {
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
    const Settings s = ReadSettings(cfgFile(session_));
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
        const Settings s = ReadSettings(cfgFile(session_));
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
        ExportResult r = ExportEvents(session_.folha(), currentEmployer(session_), ReadSettings(cfgFile(session_)), f, dir, ui_);
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
        Settings s = ReadSettings(cfgFile(session_));
        s.certificate = file;
        WriteSettings(cfgFile(session_), s);
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

QWidget* TfoEsocial::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoEsocial(session, ui, parent);
}

} // namespace folha
