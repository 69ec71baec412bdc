#include "Startup.h"

#include "Database.h"
#include "SignIn.h"

#include "Table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

namespace folha {

QString SignInWithoutScreen(Session& session, UserInterface& ui, const QString& userCode, const QString& password) {
    if (userCode.isEmpty())
        return QStringLiteral("Informe o usuário: --user CODIGO ou a variável FOLHA_USER (a senha vem de FOLHA_PASSWORD)");
    SignIn signIn(session);
    auto user = signIn.authenticate(userCode, password, ui);
    if (!user) return QStringLiteral("Senha digitada não confere...");
    const QList<CompanyRow> companies = signIn.allowedCompanies(*user);
    if (companies.isEmpty()) return QStringLiteral("Nenhuma empresa liberada para acesso do usuario ") + user->name;
    const LastSignIn last = signIn.lastSignIn();
    CompanyRow company = companies.first();
    for (const auto& c : companies)
        if (QString::number(c.code) == last.company) company = c;
    session.SetaDiretorio(company.directory);
    const QList<BranchRow> branches = signIn.branches();
    if (branches.isEmpty()) return QStringLiteral("Nenhuma filial cadastrada na base selecionada!");
    QString branch = branches.first().code;
    for (const auto& b : branches)
        if (b.code == last.branch) branch = b.code;
    if (!signIn.confirm(*user, company, branch, ui, false)) return QStringLiteral("Não selecionou filial no datamodule!");
    return {};
}

QString WorkingPlaceText(Session& session) {
    const SignInValues& s = session.signIn;
    if (s.CurrentCompanyCode == 0) return {};
    QStringList parts;
    QString company = QStringLiteral("Empresa %1").arg(s.CurrentCompanyCode);
    try {
        if (auto row = SignIn(session).company(s.CurrentCompanyCode)) company += QStringLiteral(" - ") + row->name.trimmed();
    } catch (const DbError&) { // the company list unreadable: the code alone
    }
    parts << company;
    const QString branch = s.CurrentBranchCodeText.isEmpty() ? CurrentBranchKey(session) : s.CurrentBranchCodeText;
    if (!branch.isEmpty()) parts << QStringLiteral("Filial ") + branch;
    try {
        if (auto row = Table(session.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session)})) {
            const QDate date = row->date(QStringLiteral("DATA_FOLHA"));
            if (date.isValid()) parts << QStringLiteral("Competência ") + date.toString(QStringLiteral("MM/yyyy"));
            const QString sheet = row->text(QStringLiteral("TIPO_FOL")).trimmed().left(1).toUpper();
            if (!sheet.isEmpty()) parts << QStringLiteral("Folha ") + sheet;
        }
    } catch (const DbError&) { // the company's database unreadable: no competence shown
    }
    return parts.join(QStringLiteral(" | "));
}

QRect FittedInto(const QRect& window, const QRect& available) {
    if (!available.isValid()) return window;
    QRect r(window.topLeft(), window.size().boundedTo(available.size()));
    if (r.right() > available.right()) r.moveRight(available.right());
    if (r.bottom() > available.bottom()) r.moveBottom(available.bottom());
    if (r.left() < available.left()) r.moveLeft(available.left());
    if (r.top() < available.top()) r.moveTop(available.top());
    return r;
}

void FitIntoScreen(QWidget* window, QScreen* screen) {
    if (!screen) screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // The frame (title bar, borders) is known once shown; before, a guess.
    QMargins frame(0, 0, 0, 0);
    if (window->isVisible()) {
        const QRect outer = window->frameGeometry(), inner = window->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    const QRect available = screen->availableGeometry().marginsRemoved(frame);
    const QRect fitted = FittedInto(window->geometry(), available);
    if (fitted.size() != window->size()) window->resize(fitted.size());
    if (fitted.topLeft() != window->geometry().topLeft()) window->move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

QTranslator* InstallQtTranslation(QCoreApplication& app) {
    auto* words = new QTranslator(&app);
    if (!words->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete words;
        return nullptr;
    }
    QCoreApplication::installTranslator(words);
    return words;
}

} // namespace folha
