#include "TfoImportaParadox.h"

#include "AuditLog.h"
#include "Session.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoImportaParadox::Caption = QStringLiteral("Importar Dados (Paradox)");

namespace {

// The screen's interface: everything goes to the desktop's, but the log
// lines of the run (refused rows, files not read) go to the log box.
class LogBoxUi : public UserInterface {
public:
    LogBoxUi(UserInterface& inner, QPlainTextEdit* box) : inner_(inner), box_(box) { setOwner(inner.owner()); }
    void message(MessageKind kind, const QString& text, const QString& title) override { inner_.message(kind, text, title); }
    bool question(const QString& text, QuestionKind kind, const QString& title) override {
        return inner_.question(text, kind, title);
    }
    void log(const QString& line) override { box_->appendPlainText(line); }
    void progressStart(const QString& caption, int steps) override { inner_.progressStart(caption, steps); }
    void progressStep(int done) override { inner_.progressStep(done); }
    void progressEnd() override { inner_.progressEnd(); }
    bool cancelRequested() override { return inner_.cancelRequested(); }

private:
    UserInterface& inner_;
    QPlainTextEdit* box_;
};

} // namespace

TfoImportaParadox::TfoImportaParadox(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TfoImportaParadox"));
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Pasta das tabelas (.DB):")));
    folder_ = new QLineEdit;
    folder_->setObjectName(QStringLiteral("eFtPasta"));
    folderRow->addWidget(folder_, 1);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setMaximumWidth(36);
    browse->setObjectName(QStringLiteral("BotaoPasta"));
    connect(browse, &QPushButton::clicked, this, &TfoImportaParadox::chooseFolder);
    folderRow->addWidget(browse);
    layout->addLayout(folderRow);

    auto* what = new QGroupBox(QStringLiteral("Dados a importar"));
    auto* whatLayout = new QVBoxLayout(what);
    company_ = new QRadioButton(QStringLiteral("Empresa atual (funcionários, ocorrências, cadastros e filiais)"));
    installation_ = new QRadioButton(QStringLiteral("Instalação (usuários, empresas e parâmetros das filiais)"));
    company_->setChecked(true);
    whatLayout->addWidget(company_);
    whatLayout->addWidget(installation_);
    layout->addWidget(what);

    dryRun_ = new QCheckBox(QStringLiteral("Somente simular (não gravar nada)"));
    replace_ = new QCheckBox(QStringLiteral("Substituir os dados existentes"));
    layout->addWidget(dryRun_);
    layout->addWidget(replace_);

    log_ = new QPlainTextEdit;
    log_->setObjectName(QStringLiteral("MemoLog"));
    log_->setReadOnly(true);
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    log_->setMinimumSize(640, 260);
    layout->addWidget(log_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    import_ = new QPushButton(QStringLiteral("Importar"));
    import_->setObjectName(QStringLiteral("BotaoImportar"));
    auto* close = new QPushButton(QStringLiteral("Fechar"));
    close->setObjectName(QStringLiteral("BotaoFechar"));
    connect(import_, &QPushButton::clicked, this, [this] { runImport(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(import_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

legacy::ImportOptions TfoImportaParadox::options() const {
    legacy::ImportOptions o;
    o.mode = installation_->isChecked() ? legacy::ImportMode::Installation : legacy::ImportMode::Company;
    o.directory = folder_->text().trimmed();
    o.dryRun = dryRun_->isChecked();
    o.replace = replace_->isChecked();
    return o;
}

void TfoImportaParadox::chooseFolder() {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Pasta das tabelas Paradox"), folder_->text());
    if (!dir.isEmpty()) folder_->setText(dir);
}

bool TfoImportaParadox::runImport() {
    const legacy::ImportOptions o = options();
    if (o.directory.isEmpty()) {
        ui_.message(MessageKind::Error, QStringLiteral("Informe a pasta das tabelas Paradox."));
        folder_->setFocus();
        return false;
    }
    if (o.replace && !o.dryRun &&
        !ui_.question(QStringLiteral("Os dados existentes das tabelas encontradas serão substituídos. Confirma?")))
        return false;
    UiOwner owner(ui_, this);
    LogBoxUi ui(ui_, log_);
    log_->clear();
    try {
        legacy::ImportTargets targets;
        if (o.mode == legacy::ImportMode::Company) {
            targets.company = &session_.folha();
        } else {
            targets.signIn = &session_.signInDb();
            targets.companyList = &session_.companyListDb();
            targets.shared = &session_.zorvan();
        }
        result_ = legacy::ImportParadox(targets, o, ui);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    log_->appendPlainText(legacy::ImportSummaryText(result_));
    // The same audit entry as the command line's.
    if (!o.dryRun && result_.totalImported() > 0) {
        try {
            WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), objectName(),
                            {QStringLiteral("I"), QStringLiteral("Paradox"),
                             QStringLiteral("Importação de tabelas Paradox de %1: %2 linhas importadas, %3 recusadas")
                                 .arg(o.directory)
                                 .arg(result_.totalImported())
                                 .arg(result_.totalRefused())},
                            session_.signIn.CurrentUserCode, ui_);
        } catch (const UserError& e) {
            ui_.message(MessageKind::Warning, e.message());
        }
    }
    if (result_.cancelled)
        ui_.message(MessageKind::Warning, QStringLiteral("Importação interrompida pelo usuário."));
    else
        ui_.message(MessageKind::Information, QStringLiteral("Procedimento concluído!"));
    return true;
}

QWidget* TfoImportaParadox::create(Session& session, UserInterface& ui, QWidget* parent) {
    if (session.signIn.CurrentUserLevel != QLatin1String("SUP")) {
        ui.message(MessageKind::Error, QStringLiteral("A importação de dados é liberada somente para usuários de nível SUP."));
        return nullptr;
    }
    return new TfoImportaParadox(session, ui, parent);
}

} // namespace folha
