#include "TfoMenuFolha.h"

#include "LayoutStore.h"
#include "MenuTable.h"
#include "ScreenCatalog.h"
#include "Session.h"
#include "SignIn.h"
#include "TfoLogin.h"

#include <QDesktopServices>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace folha {

namespace {
const QString HelpAddress = QStringLiteral("https://www.zorvan.example/ajuda/folha/");
const QString ContactMail = QStringLiteral("E-mail: suporte@zorvan.example");
const QString ContactSite = QStringLiteral("Site: www.zorvan.example");

// Remembers a screen's placement when it closes.
class PlacementKeeper : public QObject {
public:
    PlacementKeeper(QString iniDir, QString screen, QWidget* window)
        : QObject(window), iniDir_(std::move(iniDir)), screen_(std::move(screen)) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) SaveWindowPlacement(iniDir_, screen_, static_cast<QWidget*>(watched));
        return false;
    }

private:
    QString iniDir_, screen_;
};
} // namespace

TfoMenuFolha::TfoMenuFolha(Session& session, UserInterface& ui, QWidget* parent)
    : QMainWindow(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TfoMenuFolha"));
    setWindowTitle(session_.values.ApplicationTitle.isEmpty() ? QStringLiteral("Zorvan - Folha de Pagamento")
                                                              : session_.values.ApplicationTitle);
    runLogin = [](TfoLogin& login) { return login.exec(); };

    auto* top = addToolBar(QStringLiteral("Zorvan"));
    top->setMovable(false);
    top->setIconSize(QSize(32, 32));
    QAction* exit = top->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Sair"));
    exit->setToolTip(QStringLiteral("Sair do Sistema Zorvan"));
    QAction* logoff = top->addAction(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("Logoff"));
    logoff->setToolTip(QStringLiteral("Fazer Logoff"));
    QAction* help = top->addAction(style()->standardIcon(QStyle::SP_DialogHelpButton), QStringLiteral("Ajuda"));
    help->setToolTip(QStringLiteral("Central de Ajuda - Zorvan"));
    top->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(exit, &QAction::triggered, this, [this] { terminate(); });
    connect(logoff, &QAction::triggered, this, [this] { logOff(); });
    connect(help, &QAction::triggered, this, [] { QDesktopServices::openUrl(QUrl(HelpAddress)); });

    userPanel_ = new QLabel(QStringLiteral("Usuário :"), this);
    userPanel_->setMinimumWidth(400);
    versionPanel_ = new QLabel(QStringLiteral("Versão : 1.01.01"), this);
    versionPanel_->setMinimumWidth(50);
    statusBar()->addWidget(userPanel_);
    statusBar()->addWidget(versionPanel_);

    auto* info = new QWidget(this);
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->addStretch();
    for (const QString& text : {ContactMail, ContactSite}) {
        auto* l = new QLabel(text, info);
        l->setAlignment(Qt::AlignRight);
        infoLayout->addWidget(l);
    }
    setCentralWidget(info);

    buildMenus();
    resize(1000, 600);
}

void TfoMenuFolha::buildMenus() {
    QMap<QString, QMenu*> menus; // by path
    for (const MenuEntry& e : MenuEntries()) {
        QMenu* parent = nullptr;
        QString path;
        for (const QString& m : e.menus) {
            path += m + QStringLiteral(" > ");
            QMenu*& menu = menus[path];
            if (!menu) menu = parent ? parent->addMenu(m) : menuBar()->addMenu(m);
            parent = menu;
        }
        QAction* a = parent->addAction(e.caption);
        actions_ << qMakePair(e.path(), a);
        if (e.screenClass.isEmpty()) {
            connect(a, &QAction::triggered, this, [this] { terminate(); });
            continue;
        }
        a->setEnabled(IsBuilt(e));
        if (!a->isEnabled()) a->setToolTip(QStringLiteral("Em construção"));
        connect(a, &QAction::triggered, this, [this, &e] { open(e); });
    }
}

QAction* TfoMenuFolha::action(const QString& path) const {
    for (const auto& [p, a] : actions_)
        if (p == path) return a;
    return nullptr;
}

QWidget* TfoMenuFolha::open(const MenuEntry& entry) {
    QWidget* screen = ScreenCatalog::instance().create(entry.screenClass, session_, ui_, this);
    if (!screen) return nullptr;
    screen->setWindowFlag(Qt::Window, true);
    screen->setAttribute(Qt::WA_DeleteOnClose, true);
    if (!session_.values.IniDir.isEmpty()) {
        RestoreWindowPlacement(session_.values.IniDir, entry.screenClass, screen);
        new PlacementKeeper(session_.values.IniDir, entry.screenClass, screen);
    }
    if (entry.mode == MenuEntry::Mode::Modal) {
        screen->setWindowModality(Qt::ApplicationModal);
        if (auto* dialog = qobject_cast<QDialog*>(screen)) {
            dialog->open();
            return screen;
        }
    }
    screen->show();
    return screen;
}

void TfoMenuFolha::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShowDone_ || !signInOnFirstShow) return;
    firstShowDone_ = true;
    // After the event loop runs: ending the program needs it running.
    QTimer::singleShot(0, this, [this] { logOff(); });
}

void TfoMenuFolha::logOff() {
    const QString previousDataDir = session_.values.DataDir;
    const int previousCompany = session_.signIn.CurrentCompanyCode;
    TfoLogin login(session_, ui_, this);
    const int result = runLogin(login);
    if (result == TfoLogin::ExitRequested || !session_.signIn.LoginConfirmed) {
        terminate();
        return;
    }
    if (result == QDialog::Accepted) {
        showSignedIn();
    } else if (session_.values.DataDir != previousDataDir) {
        // A company picked on the abandoned sign-in moved the alias: the
        // earlier sign-in goes on with its own company's data.
        if (auto company = SignIn(session_).company(previousCompany)) session_.SetaDiretorio(company->directory);
    }
    setWindowTitle(QStringLiteral("ZORVAN INFORMÁTICA - Folha de Pagamento:"));
}

void TfoMenuFolha::showSignedIn() {
    const SignInValues& s = session_.signIn;
    versionPanel_->setText(QStringLiteral("Versão : ") + session_.values.SystemVersion);
    userPanel_->setText(QStringLiteral("Usuário Zorvan: ") + s.CurrentUserName + QStringLiteral(" |TS: ") +
                        s.CurrentWindowsUser + QStringLiteral(" |Ip: ") + s.CurrentIp);
}

QString TfoMenuFolha::userPanelText() const { return userPanel_->text(); }
QString TfoMenuFolha::versionPanelText() const { return versionPanel_->text(); }

void TfoMenuFolha::terminate() { emit terminateRequested(); }

} // namespace folha
