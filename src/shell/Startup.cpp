#include "Startup.h"

#include "Database.h"
#include "SignIn.h"

#include <QFileInfo>
#include <QPrinterInfo>

namespace folha {

QStringList InstalledPrinters() { return QPrinterInfo::availablePrinterNames(); }

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

} // namespace folha
