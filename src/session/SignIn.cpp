#include "SignIn.h"

#include "IniFile.h"
#include "Passwords.h"
#include "Table.h"
#include "Workstation.h"

namespace folha {

QString SignIn::loginIni() const { return session_.installation().programFile(QStringLiteral("LoginFolha.ini")); }

QList<UserRow> SignIn::users() {
    QList<UserRow> out;
    Table t(session_.signInDb(), QStringLiteral("Usuarios"));
    for (const auto& r : t.select({}, {}, QStringLiteral("Nome")))
        out << UserRow{r.text("Codigo"), r.text("Nome"), r.text("Nivel")};
    return out;
}

std::optional<UserRow> SignIn::user(const QString& code) {
    Table t(session_.signInDb(), QStringLiteral("Usuarios"));
    auto r = t.find({code});
    if (!r) return std::nullopt;
    return UserRow{r->text("Codigo"), r->text("Nome"), r->text("Nivel")};
}

std::optional<UserRow> SignIn::authenticate(const QString& userCode, const QString& password, UserInterface& ui) {
    Database& db = session_.signInDb();
    Table t(db, QStringLiteral("Usuarios"));
    auto r = t.find({userCode});
    bool legacy = false;
    if (!r || !CheckPassword(password, r->text("Senha"), &legacy)) {
        ui.message(MessageKind::Error, QStringLiteral("Senha digitada não confere..."));
        return std::nullopt;
    }
    if (legacy) {
        Record updated = *r;
        updated.set("Senha", HashPassword(password));
        Transaction tx(db);
        t.update(updated);
        tx.commit();
    }
    return UserRow{r->text("Codigo"), r->text("Nome"), r->text("Nivel")};
}

QList<CompanyRow> SignIn::companies(const QList<int>* allowed) {
    QList<CompanyRow> out;
    QString sql = QStringLiteral(" SELECT Codigo, Nome, Diretorio FROM Empresafolha where diretorio is not null ");
    QVariantList params;
    if (allowed) {
        if (allowed->isEmpty()) return out;
        QStringList marks;
        for (int code : *allowed) {
            marks << QStringLiteral("?");
            params << code;
        }
        sql += QStringLiteral(" and Codigo IN (") + marks.join(',') + ')';
    }
    sql += QStringLiteral(" ORDER BY Nome");
    auto q = session_.companyListDb().exec(sql, params);
    while (q.next()) out << CompanyRow{q.value(0).toInt(), q.value(1).toString(), q.value(2).toString()};
    return out;
}

QList<CompanyRow> SignIn::allowedCompanies(const UserRow& user) {
    if (user.level == QLatin1String("SUP")) return companies(nullptr);
    QList<int> allowed;
    Table t(session_.signInDb(), QStringLiteral("UsuariosPorEmpresa"));
    for (const auto& r : t.select(QStringLiteral("Usuario = ?"), {user.code})) allowed << r.integer("Empresa");
    return companies(&allowed);
}

QList<CompanyRow> SignIn::allCompanies() { return companies(nullptr); }

std::optional<CompanyRow> SignIn::company(int code) {
    for (const auto& c : companies(nullptr))
        if (c.code == code) return c;
    return std::nullopt;
}

CompanyRow SignIn::reachableCompany(const std::optional<UserRow>& user, int code) {
    for (const CompanyRow& c : user ? allowedCompanies(*user) : allCompanies())
        if (c.code == code) return c;
    if (user && company(code))
        throw UserError(QStringLiteral("Empresa %1 não liberada para acesso do usuario %2").arg(code).arg(user->name));
    throw UserError(QStringLiteral("Empresa não cadastrada: %1").arg(code));
}

QList<BranchRow> SignIn::branches() {
    QList<BranchRow> out;
    Table t(session_.folha(), QStringLiteral("Filial"));
    for (const auto& r : t.select({}, {}, QStringLiteral("NOME"))) out << BranchRow{r.text("CODIGO"), r.text("NOME")};
    return out;
}

bool SignIn::confirm(const UserRow& user, const CompanyRow& company, const QString& branchCode, UserInterface& ui,
                     bool remember) {
    session_.SetaDiretorio(company.directory);
    Table filial(session_.folha(), QStringLiteral("Filial"));
    auto branch = filial.find({branchCode});
    if (!branch) {
        ui.message(MessageKind::Error, QStringLiteral("Não selecionou filial no datamodule!"));
        return false;
    }
    SignInValues& s = session_.signIn;
    s.LoginConfirmed = true;
    s.CurrentUserName = user.name;
    s.CurrentWindowsUser = GetWindowsUserName();
    s.CurrentIp = GetStationIp();
    s.CurrentComputerName = GetComputerNameText();
    s.ReportSystemTitle = QStringLiteral("FOLHA DE PAGAMENTO");
    s.CurrentBranchCode = branch->text("CODIGO").trimmed().toInt();
    s.CurrentBranchCodeText = branch->text("CODIGO");
    s.CurrentCompanyCode = company.code;
    s.CurrentBranchName = branch->text("NOME");
    s.CurrentFatModNf = branch->integer("FATMODNF");
    s.CurrentProcessingDate = branch->date("DATAPROCES");
    s.CurrentUserCode = user.code;
    s.CurrentUserLevel = user.level;
    if (remember) {
        const QString ini = loginIni();
        WriteIniFileValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("Base"), QString::number(company.code));
        WriteIniFileValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("CodFilial"), branch->text("CODIGO"));
        WriteIniFileValue(ini, QStringLiteral("UsuarioUltLogin"), QStringLiteral("Usuario"), user.code);
    }
    s.WindowCaptionPrefix = QStringLiteral("Zorvan Informática - Sistema de Folha de Pagamento: Versão: ") +
                            session_.values.SystemVersion + QStringLiteral(" Usuário: ") + s.CurrentUserName +
                            QStringLiteral(" logado com ") + s.CurrentWindowsUser + QStringLiteral(" em IP ") + s.CurrentIp;
    return true;
}

bool SignIn::passwordMatches(const QString& userCode, const QString& password) {
    Table t(session_.signInDb(), QStringLiteral("Usuarios"));
    auto r = t.find({userCode});
    return r && CheckPassword(password, r->text("Senha"));
}

QString SignIn::confirmProblems(const QString& userCode, const QString& password,
                                const std::optional<CompanyRow>& company, const QString& branchCode) {
    QString problems;
    if (!passwordMatches(userCode, password))
        problems += QStringLiteral("\nSenha digitada não confere com usuario selecionado!");
    if (!company) problems += QStringLiteral("\nNão selecionou empresa!");
    const bool branchesOpen = company && !branches().isEmpty();
    if (!branchesOpen) problems += QStringLiteral("\nNão selecionou filial!");
    bool branchFound = false;
    if (branchesOpen && !branchCode.isEmpty()) {
        Table filial(session_.folha(), QStringLiteral("Filial"));
        branchFound = filial.find({branchCode}).has_value();
    }
    if (!branchFound) problems += QStringLiteral("\nNão selecionou filial no datamodule!");
    return problems;
}

LastSignIn SignIn::lastSignIn() const {
    const QString ini = loginIni();
    return LastSignIn{ReadIniValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("Base")),
                      ReadIniValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("CodFilial")),
                      ReadIniValue(ini, QStringLiteral("UsuarioUltLogin"), QStringLiteral("Usuario"))};
}

void SignIn::clearLastSignIn() {
    const QString ini = loginIni();
    WriteIniFileValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("Base"), QString());
    WriteIniFileValue(ini, QStringLiteral("BaseDadosUltLogin"), QStringLiteral("CodFilial"), QString());
    WriteIniFileValue(ini, QStringLiteral("UsuarioUltLogin"), QStringLiteral("Usuario"), QString());
}

QString SignIn::updateProgramPath() const {
    return session_.installation().localPath(QStringLiteral("C:\\arquivos de programas\\zorvan\\atualizar\\atualizar.exe"));
}

} // namespace folha
