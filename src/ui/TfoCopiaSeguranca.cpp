#include "TfoCopiaSeguranca.h"

#include "AuditLog.h"
#include "InstallationCopy.h"
#include "ServerSettings.h"
#include "Session.h"
#include "UserInterface.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoCopiaSeguranca::Caption = QStringLiteral("Cópia de Segurança");

namespace {

// A file box with its "..." button.
QLineEdit* fileRow(QVBoxLayout* into, const QString& name, const std::function<QString(const QString&)>& choose) {
    auto* row = new QHBoxLayout;
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setMinimumWidth(420);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setMaximumWidth(36);
    QObject::connect(browse, &QPushButton::clicked, box, [box, choose] {
        const QString file = choose(box->text());
        if (!file.isEmpty()) box->setText(file);
    });
    row->addWidget(box, 1);
    row->addWidget(browse);
    into->addLayout(row);
    return box;
}

} // namespace

TfoCopiaSeguranca::TfoCopiaSeguranca(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TfoCopiaSeguranca"));
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    const ServerSettings server = ReadServerSettings(session.installation());
    where_ = new QLabel(server.configured()
                            ? QStringLiteral("Dados no servidor %1, base %2")
                                  .arg(server.host.isEmpty() ? QStringLiteral("local") : server.host, server.database)
                            : QStringLiteral("Dados nos arquivos de %1").arg(QDir::toNativeSeparators(session.installation().root())));
    layout->addWidget(where_);

    auto* save = new QGroupBox(QStringLiteral("Gravar cópia de segurança"));
    auto* saveLayout = new QVBoxLayout(save);
    copyFile_ = fileRow(saveLayout, QStringLiteral("eFtArquivoCopia"), [this](const QString& current) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Arquivo da cópia"), current);
    });
    copyFile_->setText(QDir::home().filePath(
        QStringLiteral("copia-folha-%1.bkp").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
    auto* saveButton = new QPushButton(QStringLiteral("Gravar cópia"));
    saveButton->setObjectName(QStringLiteral("BotaoGravar"));
    connect(saveButton, &QPushButton::clicked, this, [this] { writeCopy(); });
    saveLayout->addWidget(saveButton, 0, Qt::AlignRight);
    layout->addWidget(save);

    auto* back = new QGroupBox(QStringLiteral("Restaurar cópia de segurança"));
    auto* backLayout = new QVBoxLayout(back);
    restoreFile_ = fileRow(backLayout, QStringLiteral("eFtArquivoRestaurar"), [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Arquivo da cópia"), current);
    });
    backLayout->addWidget(new QLabel(QStringLiteral("A restauração substitui todos os dados atuais pelos da cópia.")));
    auto* restoreButton = new QPushButton(QStringLiteral("Restaurar"));
    restoreButton->setObjectName(QStringLiteral("BotaoRestaurar"));
    connect(restoreButton, &QPushButton::clicked, this, [this] { restoreCopy(); });
    backLayout->addWidget(restoreButton, 0, Qt::AlignRight);
    layout->addWidget(back);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Fechar"));
    close->setObjectName(QStringLiteral("BotaoFechar"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

bool TfoCopiaSeguranca::runJob(QLineEdit* box, const std::function<QString(const QString&)>& job, const QString& action,
                               const QString& auditText) {
    const QString file = box->text().trimmed();
    if (file.isEmpty()) {
        ui_.message(MessageKind::Error, QStringLiteral("Informe o arquivo da cópia de segurança."));
        box->setFocus();
        return false;
    }
    UiOwner owner(ui_, this);
    try {
        const QString done = job(file);
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), objectName(),
                        {action, QStringLiteral("Instalação"), auditText.arg(file)}, session_.signIn.CurrentUserCode, ui_);
        ui_.message(MessageKind::Information, done);
        return true;
    } catch (const UserError& e) { // the engine's refusals and the database's failures alike
        ui_.message(MessageKind::Error, e.message());
    }
    return false;
}

bool TfoCopiaSeguranca::writeCopy() {
    return runJob(
        copyFile_,
        [this](const QString& file) {
            const BackupResult r = BackupInstallation(session_, file, ui_);
            return QStringLiteral("Cópia de segurança gravada em %1 (%2 base(s)).").arg(r.file).arg(r.databases);
        },
        QStringLiteral("C"), QStringLiteral("Cópia de segurança gravada em %1"));
}

bool TfoCopiaSeguranca::restoreCopy() {
    return runJob(
        restoreFile_,
        [this](const QString& file) {
            const RestoreResult r = RestoreInstallation(session_, file, ui_);
            return QStringLiteral("Cópia de segurança restaurada (%1 base(s)). Entre no sistema novamente.").arg(r.databases);
        },
        QStringLiteral("E"), QStringLiteral("Cópia de segurança restaurada de %1"));
}

QWidget* TfoCopiaSeguranca::create(Session& session, UserInterface& ui, QWidget* parent) {
    if (session.signIn.CurrentUserLevel != QLatin1String("SUP")) {
        ui.message(MessageKind::Error, QStringLiteral("A cópia de segurança é liberada somente para usuários de nível SUP."));
        return nullptr;
    }
    return new TfoCopiaSeguranca(session, ui, parent);
}

} // namespace folha
