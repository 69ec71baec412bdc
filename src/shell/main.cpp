// FolhaZorvan: the desktop program.
#include "MenuTable.h"
#include "QtUserInterface.h"
#include "ScreenCatalog.h"
#include "Session.h"
#include "Startup.h"
#include "TfoMenuFolha.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace folha;

namespace {

const char* const Help =
    "Uso: FolhaZorvan [--root DIR] [opções]\n"
    "  --root DIR                raiz da instalação (padrão: $ZORVAN_ROOT ou ~/.local/share/FolhaZorvan)\n"
    "  --list-screens            lista as entradas do menu, a tela de cada uma e se já está pronta\n"
    "  --grab TELA ARQUIVO.png   entra no sistema sem janela (--user CODIGO ou $FOLHA_USER, senha em\n"
    "                            $FOLHA_PASSWORD), abre a tela (nome da classe: TfoLogin, TfoMenuFolha)\n"
    "                            e grava a sua imagem\n"
    "  -h, --help                esta ajuda\n";

// Messages of a run without a window go to the error output.
class TextUi : public UserInterface {
public:
    void message(MessageKind, const QString& text, const QString& = {}) override {
        std::fprintf(stderr, "%s\n", text.trimmed().toLocal8Bit().constData());
    }
    bool question(const QString& text, QuestionKind, const QString& = {}) override {
        message(MessageKind::Information, text);
        return false;
    }
};

struct Options {
    QString root, user, grabScreen, grabFile;
    bool listScreens = false, help = false;
    QString error;
};

Options parse(const QStringList& args) {
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](QString& to) {
            if (i + 1 >= args.size()) {
                o.error = QStringLiteral("Falta o valor de %1").arg(a);
                return;
            }
            to = args[++i];
        };
        if (a == QLatin1String("--root")) next(o.root);
        else if (a == QLatin1String("--user")) next(o.user);
        else if (a == QLatin1String("--list-screens")) o.listScreens = true;
        else if (a == QLatin1String("--grab")) {
            next(o.grabScreen);
            next(o.grabFile);
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) o.help = true;
        else o.error = QStringLiteral("Opção desconhecida: %1").arg(a);
    }
    return o;
}

int grab(const Options& o) {
    TextUi ui;
    Session session(Installation::choose(o.root));
    const QString missing = session.missingInstallationText();
    if (!missing.isEmpty()) {
        ui.message(MessageKind::Error, missing);
        return 1;
    }
    if (!ScreenCatalog::instance().contains(o.grabScreen)) {
        ui.message(MessageKind::Error, QStringLiteral("Tela desconhecida: %1. Telas: %2")
                                           .arg(o.grabScreen, ScreenCatalog::instance().classNames().join(", ")));
        return 2;
    }
    try {
        session.startUp(ui);
    } catch (const UserError& e) { // a restore that died and cannot be completed
        ui.message(MessageKind::Error, e.message());
        return 1;
    }
    QString user = o.user.isEmpty() ? qEnvironmentVariable("FOLHA_USER").trimmed() : o.user;
    const QString failure = SignInWithoutScreen(session, ui, user, qEnvironmentVariable("FOLHA_PASSWORD"));
    if (!failure.isEmpty()) {
        ui.message(MessageKind::Error, failure);
        return 3;
    }
    std::unique_ptr<QWidget> screen(ScreenCatalog::instance().create(o.grabScreen, session, ui, nullptr));
    if (!screen) return 3; // the signed-in user may not open it (already told why)
    if (auto* menu = qobject_cast<TfoMenuFolha*>(screen.get())) {
        menu->signInOnFirstShow = false;
        menu->keepOnScreen = false;
        menu->showSignedIn();
    }
    // A screen that opens a dialog at once (the events entry's chooser, a
    // question) is drawn with the dialog over its middle; the dialog is then
    // closed, so the grab never waits on it.
    bool taken = false;
    bool saved = false;
    auto take = [&](QWidget* dialog) {
        taken = true;
        QPixmap shot = screen->grab();
        if (dialog) {
            const QPixmap over = dialog->grab();
            QPainter painter(&shot);
            painter.drawPixmap((shot.width() - over.width()) / 2, (shot.height() - over.height()) / 2, over);
        }
        saved = shot.save(o.grabFile, "PNG");
    };
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == screen.get()) return;
        if (!taken) take(dialog);
        dialog->reject();
    });
    watcher.start();
    screen->show();
    QElapsedTimer settling;
    settling.start();
    while (!taken && settling.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!taken) take(nullptr);
    watcher.stop();
    if (!saved) {
        ui.message(MessageKind::Error, QStringLiteral("Não foi possível gravar %1").arg(o.grabFile));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const Options o = parse(args);
    QTextStream out(stdout);
    if (!o.error.isEmpty()) {
        std::fprintf(stderr, "%s\n%s", o.error.toLocal8Bit().constData(), Help);
        return 2;
    }
    if (o.help) {
        out << Help;
        return 0;
    }
    if (o.listScreens) {
        for (const QString& line : ScreenListing()) out << line << '\n';
        return 0;
    }
    if (!o.grabScreen.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("FolhaZorvan"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zorvan - Folha de Pagamento"));
    // Qt's own words (the buttons of a question, "Cancelar" of a progress,
    // the file dialog) in Brazilian Portuguese, when the translations are
    // installed, and the calendar's months and days too, whatever the
    // machine's own language.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    InstallQtTranslation(app);
    if (!o.grabScreen.isEmpty()) return grab(o);

    QtUserInterface ui;
    Session session(Installation::choose(o.root));
    const QString missing = session.missingInstallationText();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", missing.toLocal8Bit().constData());
        ui.message(MessageKind::Error, missing);
        return 1;
    }
    try {
        session.startUp(ui);
    } catch (const UserError& e) { // a restore that died and cannot be completed
        ui.message(MessageKind::Error, e.message());
        return 1;
    }
    QApplication::setApplicationDisplayName(session.values.ApplicationTitle);

    TfoMenuFolha menu(session, ui);
    ui.setOwner(&menu);
    QObject::connect(&menu, &TfoMenuFolha::terminateRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    menu.show();
    return app.exec();
}
