#include "TfoMenuFolha.h"

#include "LayoutStore.h"
#include "MenuTable.h"
#include "ScreenCatalog.h"
#include "Session.h"
#include "SignIn.h"
#include "Startup.h"
#include "TfoLogin.h"

#include <QDesktopServices>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QHash>
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
const QString TitlePrefix = QStringLiteral("ZORVAN INFORMÁTICA - Folha de Pagamento:");

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
    userPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // may be cut on a narrow window
    versionPanel_ = new QLabel(QStringLiteral("Versão : 1.01.01"), this);
    versionPanel_->setMinimumWidth(50);
    placePanel_ = new QLabel(this);
    placePanel_->setObjectName(QStringLiteral("PainelEmpresa"));
    statusBar()->addWidget(placePanel_);
    statusBar()->addWidget(userPanel_, 1);
    statusBar()->addPermanentWidget(versionPanel_);

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

TfoMenuFolha::~TfoMenuFolha() {
    // The screens still open go with the window; they no longer refresh it.
    for (QObject* child : children()) disconnect(child, &QObject::destroyed, this, nullptr);
}

void TfoMenuFolha::buildMenus() {
    // The captions of each menu level first: their mnemonics are chosen together.
    QMap<QString, QStringList> levels; // parent path -> captions, in order
    for (const MenuEntry& e : MenuEntries()) {
        QString path;
        for (const QString& m : e.menus) {
            if (!levels[path].contains(m)) levels[path] << m;
            path += m + QStringLiteral(" > ");
        }
        levels[path] << e.caption;
    }
    QHash<QString, QString> marked; // parent path + caption -> caption with "&"
    for (auto it = levels.cbegin(); it != levels.cend(); ++it) {
        const QStringList withKeys = WithMnemonics(it.value());
        for (int i = 0; i < withKeys.size(); ++i) marked[it.key() + it.value()[i]] = withKeys[i];
    }
    QMap<QString, QMenu*> menus; // by path
    for (const MenuEntry& e : MenuEntries()) {
        QMenu* parent = nullptr;
        QString path;
        for (const QString& m : e.menus) {
            const QString caption = marked.value(path + m, m);
            path += m + QStringLiteral(" > ");
            QMenu*& menu = menus[path];
            if (!menu) menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            parent = menu;
        }
        QAction* a = parent->addAction(marked.value(path + e.caption, e.caption));
        actions_ << qMakePair(e.path(), a);
        if (e.screenClass.isEmpty()) {
            connect(a, &QAction::triggered, this, [this] { terminate(); });
            continue;
        }
        a->setEnabled(IsBuilt(e));
        if (!a->isEnabled()) a->setToolTip(QStringLiteral("Em construção"));
        connect(a, &QAction::triggered, this, [this, &e] { open(e); });
    }
    // F10 opens the menu bar on its first menu, as on other desktops.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        const QList<QAction*> tops = menuBar()->actions();
        if (tops.isEmpty()) return;
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(tops.first());
    });
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
    FitIntoScreen(screen, this->screen());
    // A screen may change the branch's competence: the caption follows when it closes.
    connect(screen, &QObject::destroyed, this, [this] { showWorkingPlace(); });
    if (entry.mode == MenuEntry::Mode::Modal) screen->setWindowModality(Qt::ApplicationModal);
    auto* dialog = qobject_cast<QDialog*>(screen);
    if (dialog && entry.mode == MenuEntry::Mode::Modal)
        dialog->open();
    else
        screen->show();
    // Once shown its frame is known: the title bar stays on the screen too.
    FitIntoScreen(screen, this->screen());
    return screen;
}

void TfoMenuFolha::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (keepOnScreen) FitIntoScreen(this, screen());
    if (firstShowDone_ || !signInOnFirstShow) return;
    firstShowDone_ = true;
    // After the event loop runs: ending the program needs it running.
    QTimer::singleShot(0, this, [this] { logOff(); });
}

void TfoMenuFolha::logOff() {
    const QString previousDataDir = session_.values.DataDir;
    const int previousCompany = session_.signIn.CurrentCompanyCode;
    // While the sign-in screen is up nobody is shown as signed in.
    userPanel_->setText(QStringLiteral("Usuário :"));
    placePanel_->clear();
    setWindowTitle(TitlePrefix);
    TfoLogin login(session_, ui_, this);
    const int result = runLogin(login);
    if (result == TfoLogin::ExitRequested || !session_.signIn.LoginConfirmed) {
        terminate();
        return;
    }
    if (result != QDialog::Accepted && session_.values.DataDir != previousDataDir) {
        // A company picked on the abandoned sign-in moved the alias: the
        // earlier sign-in goes on with its own company's data.
        if (auto company = SignIn(session_).company(previousCompany)) session_.SetaDiretorio(company->directory);
    }
    showSignedIn();
}

void TfoMenuFolha::showSignedIn() {
    const SignInValues& s = session_.signIn;
    versionPanel_->setText(QStringLiteral("Versão : ") + session_.values.SystemVersion);
    userPanel_->setText(QStringLiteral("Usuário Zorvan: ") + s.CurrentUserName + QStringLiteral(" |TS: ") +
                        s.CurrentWindowsUser + QStringLiteral(" |Ip: ") + s.CurrentIp);
    showWorkingPlace();
}

void TfoMenuFolha::showWorkingPlace() {
    const QString place = session_.signIn.LoginConfirmed ? WorkingPlaceText(session_) : QString();
    placePanel_->setText(place);
    // Where the clerk works is never cut short; the user's panel gives way.
    placePanel_->setMinimumWidth(placePanel_->sizeHint().width());
    setWindowTitle(place.isEmpty() ? TitlePrefix : TitlePrefix + QLatin1Char(' ') + place);
}

bool TfoMenuFolha::event(QEvent* event) {
    // Back to the main window after any work: the competence may have moved.
    if (event->type() == QEvent::WindowActivate && session_.signIn.LoginConfirmed) showWorkingPlace();
    return QMainWindow::event(event);
}

QString TfoMenuFolha::placePanelText() const { return placePanel_->text(); }
QString TfoMenuFolha::userPanelText() const { return userPanel_->text(); }
QString TfoMenuFolha::versionPanelText() const { return versionPanel_->text(); }

void TfoMenuFolha::terminate() { emit terminateRequested(); }

} // namespace folha
