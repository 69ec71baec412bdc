#include "TfoConfigEmail.h"

#include "AuditLog.h"
#include "DbError.h"
#include "MailSettings.h"
#include "Session.h"
#include "UserInterface.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace folha {

const QString TfoConfigEmail::ScreenName = QStringLiteral("TfoConfigEmail");

namespace {

QLineEdit* newField(QWidget* parent, const char* name, int length) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(length);
    return e;
}

} // namespace

TfoConfigEmail::TfoConfigEmail(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(QStringLiteral("Zorvan - Configuração de E-mail"));
    server_ = newField(this, "edServidor", 120);
    server_->setMinimumWidth(320);
    port_ = newField(this, "edPorta", 5);
    port_->setValidator(new QIntValidator(1, 65535, port_));
    security_ = new QComboBox(this);
    security_->setObjectName(QStringLiteral("cbxSeguranca"));
    security_->addItem(QStringLiteral("STARTTLS (porta 587)"), int(MailSecurity::StartTls));
    security_->addItem(QStringLiteral("SSL (porta 465)"), int(MailSecurity::Smtps));
    sender_ = newField(this, "edRemetente", 120);
    senderName_ = newField(this, "edNomeRemetente", 60);
    user_ = newField(this, "edUsuario", 120);
    password_ = newField(this, "edSenha", 200);
    password_->setEchoMode(QLineEdit::Password);
    passwordState_ = new QLabel(this);
    passwordState_->setObjectName(QStringLiteral("lbSenha"));
    caBundle_ = newField(this, "edCertificadosCA", 260);
    caBundle_->setPlaceholderText(QStringLiteral("as autoridades do sistema"));
    pdfRule_ = new QComboBox(this);
    pdfRule_->setObjectName(QStringLiteral("cbxSenhaPdf"));
    pdfRule_->addItem(QStringLiteral("CPF5 - os cinco primeiros dígitos do CPF"), int(PdfPasswordRule::Cpf5));
    pdfRule_->addItem(QStringLiteral("CPF - os onze dígitos do CPF"), int(PdfPasswordRule::Cpf));
    pdfRule_->addItem(QStringLiteral("NASCIMENTO - a data de nascimento (DDMMAAAA)"), int(PdfPasswordRule::BirthDate));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Servidor SMTP:"), server_);
    form->addRow(QStringLiteral("Porta:"), port_);
    form->addRow(QStringLiteral("Segurança:"), security_);
    form->addRow(QStringLiteral("Remetente:"), sender_);
    form->addRow(QStringLiteral("Nome do Remetente:"), senderName_);
    form->addRow(QStringLiteral("Usuário:"), user_);
    form->addRow(QStringLiteral("Senha:"), password_);
    form->addRow(QString(), passwordState_);
    form->addRow(QStringLiteral("Certificados CA:"), caBundle_);
    form->addRow(QStringLiteral("Senha do PDF:"), pdfRule_);

    save_ = new QPushButton(QStringLiteral("Gravar"), this);
    save_->setObjectName(QStringLiteral("BotaoGravar"));
    save_->setDefault(true);
    close_ = new QPushButton(QStringLiteral("Fechar"), this);
    close_->setObjectName(QStringLiteral("BotaoFechar"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    connect(save_, &QPushButton::clicked, this, [this] { BotaoGravarClick(); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    // The usual port follows the security chosen while the port is one of
    // the usual ones.
    connect(security_, &QComboBox::currentIndexChanged, this, [this] {
        if (port_->text().isEmpty() || port_->text() == QLatin1String("587") || port_->text() == QLatin1String("465"))
            port_->setText(security_->currentData().toInt() == int(MailSecurity::Smtps) ? QStringLiteral("465")
                                                                                       : QStringLiteral("587"));
    });
    load();
}

QWidget* TfoConfigEmail::create(Session& session, UserInterface& ui, QWidget* parent) {
    if (session.signIn.CurrentUserLevel != QLatin1String("SUP")) {
        ui.message(MessageKind::Error,
                   QStringLiteral("A configuração de e-mail é liberada somente para usuários de nível SUP."));
        return nullptr;
    }
    return new TfoConfigEmail(session, ui, parent);
}

QLineEdit* TfoConfigEmail::field(const char* name) const { return findChild<QLineEdit*>(QLatin1String(name)); }

void TfoConfigEmail::load() {
    MailSettings s;
    try {
        s = ReadMailSettings(session_.installation().settingsFile());
    } catch (const UserError& e) {
        // What cannot be read is shown as the defaults; "Gravar" writes it right.
        ui_.message(MessageKind::Warning, e.message());
    }
    server_->setText(s.server);
    security_->blockSignals(true);
    security_->setCurrentIndex(security_->findData(int(s.security)));
    security_->blockSignals(false);
    port_->setText(QString::number(s.port));
    sender_->setText(s.sender);
    senderName_->setText(s.senderName);
    user_->setText(s.user);
    caBundle_->setText(s.caBundle);
    pdfRule_->setCurrentIndex(pdfRule_->findData(int(s.pdfPassword)));
    password_->clear();
    QString state;
    try {
        state = ReadMailPassword(session_.installation()).isEmpty()
                    ? QStringLiteral("Nenhuma senha gravada.")
                    : QStringLiteral("Há uma senha gravada: deixe o campo em branco para mantê-la.");
    } catch (const UserError& e) {
        state = e.message();
    }
    passwordState_->setText(state);
}

bool TfoConfigEmail::BotaoGravarClick() {
    const UiOwner owner(ui_, this);
    try {
        MailSettings s;
        s.server = server_->text().trimmed();
        if (s.server.isEmpty() || s.server.contains(QRegularExpression(QStringLiteral("[\\s/]"))))
            throw UserError(QStringLiteral("Informe o servidor SMTP (só o nome ou o endereço, sem espaços)."));
        bool ok = false;
        s.port = port_->text().trimmed().toInt(&ok);
        if (!ok || s.port < 1 || s.port > 65535)
            throw UserError(QStringLiteral("Porta inválida: %1 (de 1 a 65535)").arg(port_->text().trimmed()));
        s.security = MailSecurity(security_->currentData().toInt());
        s.sender = sender_->text().trimmed();
        static const QRegularExpression address(QStringLiteral("^[^@\\s<>\"]+@[^@\\s<>\"]+\\.[^@\\s<>\"]+$"));
        if (!address.match(s.sender).hasMatch())
            throw UserError(QStringLiteral("Remetente inválido: %1 (um endereço como folha@escritorio.com.br)")
                                .arg(s.sender));
        s.senderName = senderName_->text().trimmed();
        if (s.senderName.contains(QRegularExpression(QStringLiteral("[\"<>\\r\\n]"))))
            throw UserError(QStringLiteral("O nome do remetente não pode ter aspas nem < >."));
        s.user = user_->text().trimmed();
        s.caBundle = caBundle_->text().trimmed();
        if (!s.caBundle.isEmpty() && !(QFileInfo(s.caBundle).isFile() && QFileInfo(s.caBundle).isReadable()))
            throw UserError(QStringLiteral("O arquivo de certificados %1 não existe ou não pode ser lido.").arg(s.caBundle));
        s.pdfPassword = PdfPasswordRule(pdfRule_->currentData().toInt());
        // The password first: a settings file that names a user whose
        // password could not be kept would fail at the first message.
        const QString password = password_->text();
        if (!password.isEmpty()) SaveMailPassword(session_.installation(), password);
        WriteMailSettings(session_.installation().settingsFile(), s);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                        {QStringLiteral("E"), QStringLiteral("CfgFolha"),
                         QStringLiteral("E-mail: %1 (%2), remetente %3%4")
                             .arg(s.url(), s.security == MailSecurity::Smtps ? QStringLiteral("SSL") : QStringLiteral("STARTTLS"),
                                  s.sender, password.isEmpty() ? QString() : QStringLiteral(", senha trocada"))},
                        session_.signIn.CurrentUserCode, ui_);
        load();
        ui_.message(MessageKind::Information, QStringLiteral("Configuração de e-mail gravada."));
        return true;
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
}

} // namespace folha
