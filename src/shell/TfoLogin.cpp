#include "TfoLogin.h"

#include "TfoNovaSenha.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace folha {

namespace {
const QString SiteAddress = QStringLiteral("https://www.zorvan.example/");
const QString HelpAddress = QStringLiteral("https://www.zorvan.example/ajuda/folha/");

// Typed password characters show as at-signs.
class AtSignStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '@';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel* header(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

bool isEnter(QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

TfoLogin::TfoLogin(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), previousOwner_(ui.owner()), signIn_(session) {
    setObjectName(QStringLiteral("TfoLogin"));
    ui_.setOwner(this);
    setWindowTitle(session_.values.ApplicationTitle.isEmpty() ? QStringLiteral("Zorvan - Folha de Pagamento")
                                                              : session_.values.ApplicationTitle);

    users_ = new QListWidget(this);
    password_ = new QLineEdit(this);
    auto* style = new AtSignStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    style->setParent(password_);
    password_->setStyle(style);
    password_->setEchoMode(QLineEdit::Password);
    password_->setVisible(false);

    companyCover_ = new QStackedWidget(this);
    auto* cover = new QLabel(QStringLiteral("Informe o usuário e a senha e tecle Enter"), companyCover_);
    cover->setAlignment(Qt::AlignCenter);
    cover->setFrameShape(QFrame::Panel);
    cover->setFrameShadow(QFrame::Raised);
    cover->setWordWrap(true);
    auto* choice = new QWidget(companyCover_);
    companies_ = new QListWidget(choice);
    companies_->setMinimumHeight(companies_->sizeHintForRow(0) > 0 ? companies_->sizeHintForRow(0) * 12 : 12 * 18);
    branchHeader_ = header(QStringLiteral("Filial"), choice);
    branches_ = new QListWidget(choice);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    choiceLayout->addWidget(companies_, 3);
    choiceLayout->addWidget(branchHeader_);
    choiceLayout->addWidget(branches_, 1);
    companyCover_->addWidget(cover);
    companyCover_->addWidget(choice);

    directory_ = new QLabel(this);
    confirm_ = new QPushButton(QStringLiteral("     Acessar Sistema"), this);
    confirm_->setIcon(style->standardIcon(QStyle::SP_DialogApplyButton));
    // Enter on the focused button signs in, as a click does.
    confirm_->setAutoDefault(true);
    exit_ = new QPushButton(QStringLiteral("Sair do Sistema"), this);
    exit_->setToolTip(QStringLiteral("Clique para sair do sistema"));
    exit_->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));
    exit_->setAutoDefault(false);

    version_ = new QLabel(this);
    update_ = new QToolButton(this);
    update_->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    update_->setToolTip(QStringLiteral("Atualizar Sistema"));
    auto* site = new QToolButton(this);
    site->setIcon(style->standardIcon(QStyle::SP_DriveNetIcon));
    site->setToolTip(SiteAddress);
    auto* help = new QToolButton(this);
    help->setIcon(style->standardIcon(QStyle::SP_DialogHelpButton));
    help->setToolTip(HelpAddress);
    for (auto* b : {update_, site, help}) b->setIconSize(QSize(32, 32));

    auto* grid = new QGridLayout(this);
    grid->addWidget(header(QStringLiteral("Usuário e Senha"), this), 0, 0);
    grid->addWidget(header(QStringLiteral("Empresa"), this), 0, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(users_, 1);
    left->addWidget(password_);
    grid->addLayout(left, 1, 0);
    grid->addWidget(companyCover_, 1, 1);
    grid->addWidget(directory_, 2, 0, 1, 2);
    auto* images = new QHBoxLayout;
    images->addWidget(update_);
    images->addWidget(site);
    images->addWidget(help);
    images->addStretch();
    images->addWidget(version_);
    grid->addLayout(images, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(exit_);
    grid->addLayout(buttons, 3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    resize(640, 420);

    // On creation: the version and the users.
    version_->setText(QStringLiteral("Versão : ") + session_.values.SystemVersion);
    for (const auto& u : signIn_.users()) {
        auto* item = new QListWidgetItem(u.name, users_);
        item->setData(Qt::UserRole, u.code);
    }

    // Only another user or another password takes the company choice away;
    // moving through the screen (Tab, a click) keeps it. The arrows choose
    // as a click does.
    connect(users_, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { userClicked(users_->row(i)); });
    connect(users_, &QListWidget::currentRowChanged, this, [this] { hideCompany(); });
    connect(password_, &QLineEdit::textChanged, this, [this] { hideCompany(); });
    connect(companies_, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { companyClicked(companies_->row(i)); });
    connect(companies_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != loadedCompany_) companyClicked(row);
    });
    connect(branches_, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { branchClicked(branches_->row(i)); });
    connect(branches_, &QListWidget::currentRowChanged, this, [this](int row) { branchClicked(row); });
    connect(confirm_, &QPushButton::clicked, this, [this] { confirmClicked(); });
    connect(exit_, &QPushButton::clicked, this, [this] { done(ExitRequested); });
    connect(update_, &QToolButton::clicked, this, [this] { updateClicked(); });
    connect(site, &QToolButton::clicked, this, [] { QDesktopServices::openUrl(QUrl(SiteAddress)); });
    connect(help, &QToolButton::clicked, this, [] { QDesktopServices::openUrl(QUrl(HelpAddress)); });
    for (QWidget* w : {static_cast<QWidget*>(users_), static_cast<QWidget*>(password_), static_cast<QWidget*>(companies_),
                       static_cast<QWidget*>(branches_)})
        w->installEventFilter(this);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QMenu* adjust = menu.addMenu(QStringLiteral("Ajustes"));
        adjust->addAction(QStringLiteral("Limpar Usuario do Ultimo Login"), this, [this] { clearLastLoginClicked(); });
        menu.exec(mapToGlobal(at));
    });

    hideCompany();
}

TfoLogin::~TfoLogin() {
    if (ui_.owner() == this) ui_.setOwner(previousOwner_);
}

void TfoLogin::hideCompany() {
    companyCover_->setCurrentIndex(0);
    confirm_->setEnabled(false);
    branchHeader_->setVisible(false);
    branches_->setVisible(false);
}

void TfoLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    hideCompany();
    if (shownOnce_) return;
    shownOnce_ = true;
    last_ = signIn_.lastSignIn();
    if (last_.user.isEmpty()) return;
    selectRowWithData(users_, last_.user);
    if (users_->currentRow() >= 0)
        userClicked(users_->currentRow());
    else
        users_->setFocus();
}

bool TfoLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == password_ && isEnter(event)) {
        passwordEntered();
        return true;
    } else if (watched == users_ && isEnter(event)) {
        userClicked(users_->currentRow());
        return true;
    } else if (watched == companies_ && isEnter(event)) {
        companyEntered();
        return true;
    } else if (watched == branches_ && isEnter(event)) {
        branchEntered();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfoLogin::selectRowWithData(QListWidget* list, const QString& value) {
    for (int r = 0; r < list->count(); ++r)
        if (list->item(r)->data(Qt::UserRole).toString() == value) {
            list->setCurrentRow(r);
            return;
        }
    list->setCurrentRow(-1);
}

void TfoLogin::userClicked(int row) {
    if (row < 0 || row >= users_->count()) return;
    users_->setCurrentRow(row);
    password_->setVisible(true);
    password_->setFocus();
}

void TfoLogin::passwordEntered() {
    hideCompany();
    const QString code = selectedUserCode();
    const SignInAttempt attempt = signIn_.attempt(code, password_->text());
    std::optional<UserRow> user = attempt.user;
    if (attempt.outcome == SignInOutcome::NeedsPassword) {
        // A user without a password chooses one before going on.
        TfoNovaSenha dialog(attempt.user->name, ui_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        try {
            signIn_.setFirstPassword(code, dialog.password());
        } catch (const UserError& e) {
            ui_.message(MessageKind::Error, e.message());
            return;
        }
        const QSignalBlocker quiet(password_);
        password_->setText(dialog.password());
    } else if (attempt.outcome != SignInOutcome::Accepted) {
        ui_.message(MessageKind::Error, attempt.message);
        hideCompany();
        return;
    }
    companyRows_ = signIn_.allowedCompanies(*user);
    const QSignalBlocker quietCompanies(companies_);
    companies_->clear();
    loadedCompany_ = -1;
    if (companyRows_.isEmpty()) {
        ui_.message(MessageKind::Error,
                    QStringLiteral("Nenhuma empresa liberada para acesso do usuario ") + users_->currentItem()->text());
        return;
    }
    for (const auto& c : companyRows_) {
        auto* item = new QListWidgetItem(c.name, companies_);
        item->setData(Qt::UserRole, QString::number(c.code));
    }
    companyCover_->setCurrentIndex(1);
    confirm_->setEnabled(false);
    if (!last_.company.isEmpty()) {
        selectRowWithData(companies_, last_.company);
        if (companies_->currentRow() >= 0) {
            companyClicked(companies_->currentRow());
            confirm_->setEnabled(true);
        }
    }
    // The first company is where the arrows start (and what Enter takes).
    if (companies_->currentRow() < 0) companyClicked(0);
    companies_->setFocus();
}

void TfoLogin::companyClicked(int row) {
    if (row < 0 || row >= companyRows_.size()) return;
    loadedCompany_ = row;
    companies_->setCurrentRow(row);
    const QString dir = session_.SetaDiretorio(companyRows_[row].directory);
    directory_->setText(dir);
    confirm_->setEnabled(false);
    branchRows_ = signIn_.branches();
    const QSignalBlocker quietBranches(branches_);
    branches_->clear();
    for (const auto& b : branchRows_) {
        auto* item = new QListWidgetItem(b.name, branches_);
        item->setData(Qt::UserRole, b.code);
    }
    if (branchRows_.size() < 2) {
        branchHeader_->setVisible(false);
        branches_->setVisible(false);
        if (branchRows_.size() == 1) {
            branches_->setCurrentRow(0);
            confirm_->setEnabled(true);
        } else {
            ui_.message(MessageKind::Error, QStringLiteral("Nenhuma filial cadastrada na base selecionada!"));
        }
        return;
    }
    branchHeader_->setVisible(true);
    branches_->setVisible(true);
    if (!last_.branch.isEmpty()) selectRowWithData(branches_, last_.branch);
}

void TfoLogin::companyEntered() {
    const int row = companies_->currentRow();
    if (row < 0) return;
    if (row != loadedCompany_) companyClicked(row);
    if (branchRows_.size() > 1) {
        branches_->setFocus();
        branchClicked(branches_->currentRow() >= 0 ? branches_->currentRow() : 0);
    } else if (branchRows_.size() == 1) {
        confirm_->setFocus();
    }
}

void TfoLogin::branchClicked(int row) {
    if (row < 0 || row >= branches_->count()) return;
    branches_->setCurrentRow(row);
    confirm_->setEnabled(true);
}

void TfoLogin::branchEntered() {
    if (branches_->currentRow() < 0) return;
    branchClicked(branches_->currentRow());
    confirm_->setFocus();
}

void TfoLogin::confirmClicked() {
    const auto company = currentCompany();
    const QString problems = signIn_.confirmProblems(selectedUserCode(), password_->text(), company, currentBranchCode());
    if (!problems.isEmpty()) {
        ui_.message(MessageKind::Error, problems);
        return;
    }
    auto user = signIn_.user(selectedUserCode());
    if (!user || !signIn_.confirm(*user, *company, currentBranchCode(), ui_)) return;
    accept();
}

void TfoLogin::clearLastLoginClicked() {
    signIn_.clearLastSignIn();
    last_ = LastSignIn{};
}

void TfoLogin::updateClicked() {
    if (!ui_.question(QStringLiteral("Ao chamar o procedimento de atualização, você automaticamente irá encerrar o "
                                     "sistema, deseja continuar???")))
        return;
    const QString program = signIn_.updateProgramPath();
    if (!QFileInfo::exists(program)) return;
    QProcess::startDetached(program, {}, QFileInfo(program).absolutePath());
    done(ExitRequested);
}

std::optional<CompanyRow> TfoLogin::currentCompany() const {
    if (companyCover_->currentIndex() != 1) return std::nullopt;
    const int row = companies_->currentRow();
    if (row < 0 || row >= companyRows_.size()) return std::nullopt;
    return companyRows_[row];
}

QString TfoLogin::currentBranchCode() const {
    auto* item = branches_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

bool TfoLogin::companyChoiceCovered() const { return companyCover_->currentIndex() == 0; }
bool TfoLogin::branchListShown() const { return !branches_->isHidden(); }
bool TfoLogin::confirmEnabled() const { return confirm_->isEnabled(); }
bool TfoLogin::passwordShown() const { return !password_->isHidden(); }
QString TfoLogin::directoryText() const { return directory_->text(); }

QString TfoLogin::selectedUserCode() const {
    auto* item = users_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

static QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int r = 0; r < list->count(); ++r) out << list->item(r)->text();
    return out;
}
QStringList TfoLogin::userNames() const { return texts(users_); }
QStringList TfoLogin::companyNames() const { return texts(companies_); }
QStringList TfoLogin::branchNames() const { return texts(branches_); }

} // namespace folha
