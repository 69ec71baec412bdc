#include "SignIn.h"

#include "IniFile.h"
#include "Passwords.h"
#include "Table.h"
#include "Workstation.h"

namespace folha {

QString SignIn::loginIni() const { return session_.installation().programFile(QStringLiteral("LoginFolha.ini")); }

QList<UserRow> SignIn::users() {
    hasUsers();
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

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString UtcText(const QDateTime& t) { return t.toUTC().toString(TimeFormat); }

QDateTime FromUtcText(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    QDateTime t = QDateTime::fromString(text.trimmed(), TimeFormat);
    if (!t.isValid()) return {};
    t.setTimeSpec(Qt::UTC);
    return t;
}

const QString WrongPassword = QStringLiteral("Senha digitada não confere...");
const QString HadUsersKey = QStringLiteral("TeveUsuarios");

} // namespace

int SignIn::waitAfter(int failures) {
    if (failures < FreeFailures) return 0;
    const int step = std::min(failures - FreeFailures, 6);
    return std::min(5 << step, 300);
}

void SignIn::prepareTables() {
    Database& db = session_.signInDb();
    const Registry& reg = Registry::instance();
    for (const char* name : {"ControleAcesso", "AcessosNegados", "SituacaoAcesso"})
        db.ensureTable(reg.require(QString::fromLatin1(name)));
}

void SignIn::recordFailure(const QString& code, const QString& reason) {
    Database& db = session_.signInDb();
    const QDateTime when = now();
    Transaction tx(db);
    Table log(db, QStringLiteral("AcessosNegados"));
    Record entry = log.newRecord();
    entry.set("Usuario", code.left(20))
        .set("Estacao", GetComputerNameText().left(60))
        .set("UsuarioSistema", GetWindowsUserName().left(21))
        .set("Momento", when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        .set("Motivo", reason.left(60));
    log.insert(entry);
    tx.commit();
}

SignInAttempt SignIn::attempt(const QString& userCode, const QString& password) {
    prepareTables();
    Database& db = session_.signInDb();
    const QString key = userCode.left(20);
    const QDateTime at = now();
    Table state(db, QStringLiteral("SituacaoAcesso"));
    SignInAttempt out;
    if (auto hold = state.find({key})) {
        const QDateTime lockedUntil = FromUtcText(hold->text("BloqueadoAte"));
        if (lockedUntil.isValid() && at < lockedUntil) {
            recordFailure(key, QStringLiteral("usuário bloqueado"));
            out.outcome = SignInOutcome::Locked;
            out.message = QStringLiteral("O usuário %1 está bloqueado até %2 por excesso de tentativas de acesso sem "
                                         "sucesso; um supervisor pode liberá-lo antes.")
                              .arg(userCode, lockedUntil.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
            return out;
        }
        const int failures = int(hold->integer("Falhas"));
        const QDateTime last = FromUtcText(hold->text("UltimaFalha"));
        const int wait = waitAfter(failures);
        if (wait > 0 && last.isValid() && at < last.addSecs(wait)) {
            recordFailure(key, QStringLiteral("tentativa antes da espera"));
            out.outcome = SignInOutcome::Waiting;
            out.message = QStringLiteral("Muitas tentativas de acesso sem sucesso com o usuário %1: aguarde %2 "
                                         "segundo(s) e tente de novo.")
                              .arg(userCode)
                              .arg(std::max<qint64>(1, at.secsTo(last.addSecs(wait))));
            return out;
        }
    }

    Table users(db, QStringLiteral("Usuarios"));
    const auto row = users.find({userCode});
    const QString stored = row ? row->text("Senha") : QString();
    bool legacy = false;
    // One hash whatever the case, so the time tells nothing.
    const bool matches = CheckPassword(password, stored, &legacy) && row.has_value();
    if (row && password.isEmpty() && (matches || stored.isEmpty())) {
        out.outcome = SignInOutcome::NeedsPassword;
        out.user = UserRow{row->text("Codigo"), row->text("Nome"), row->text("Nivel")};
        out.message = QStringLiteral("O usuário %1 não tem senha: uma senha deve ser cadastrada no primeiro acesso.")
                          .arg(row->text("Nome"));
        return out;
    }
    if (!matches || password.isEmpty()) {
        Transaction tx(db);
        auto hold = state.find({key});
        Record r = hold ? *hold : state.newRecord();
        const int failures = (hold ? int(hold->integer("Falhas")) : 0) + 1;
        r.set("Usuario", key).set("Falhas", failures).set("UltimaFalha", UtcText(at));
        out.outcome = SignInOutcome::Refused;
        out.message = WrongPassword;
        if (failures >= LockAfterFailures) {
            r.set("BloqueadoAte", UtcText(at.addSecs(60 * LockMinutes)));
            out.message += QStringLiteral("\nO usuário foi bloqueado por %1 minutos após %2 tentativas sem sucesso; um "
                                          "supervisor pode liberá-lo antes.")
                               .arg(LockMinutes)
                               .arg(failures);
        } else if (const int wait = waitAfter(failures); wait > 0) {
            out.message += QStringLiteral("\nMuitas tentativas sem sucesso: aguarde %1 segundo(s) antes de tentar de novo.")
                               .arg(wait);
        }
        if (hold)
            state.update(r);
        else
            state.insert(r);
        tx.commit();
        recordFailure(key, QStringLiteral("senha não confere"));
        return out;
    }

    Transaction tx(db);
    if (legacy) {
        Record updated = *row;
        updated.set("Senha", HashPassword(password));
        users.update(updated);
    }
    db.execWrite(QStringLiteral("DELETE FROM SituacaoAcesso WHERE Usuario = ?"), {key});
    tx.commit();
    out.outcome = SignInOutcome::Accepted;
    out.user = UserRow{row->text("Codigo"), row->text("Nome"), row->text("Nivel")};
    return out;
}

void SignIn::setFirstPassword(const QString& userCode, const QString& newPassword) {
    if (newPassword.trimmed().isEmpty()) throw UserError(QStringLiteral("A senha não pode ficar em branco."));
    Database& db = session_.signInDb();
    Table users(db, QStringLiteral("Usuarios"));
    auto row = users.find({userCode});
    if (!row) throw UserError(QStringLiteral("Usuário não cadastrado: %1").arg(userCode));
    const QString stored = row->text("Senha");
    if (!stored.isEmpty() && !CheckPassword(QString(), stored))
        throw UserError(QStringLiteral("O usuário %1 já tem senha.").arg(row->text("Nome")));
    row->set("Senha", HashPassword(newPassword));
    Transaction tx(db);
    users.update(*row);
    tx.commit();
}

QList<FailedSignIn> SignIn::failedSignIns(int limit) {
    prepareTables();
    QList<FailedSignIn> out;
    Table log(session_.signInDb(), QStringLiteral("AcessosNegados"));
    log.forEach({}, {}, [&](const Record& r) {
        if (out.size() >= limit) return false;
        out << FailedSignIn{r.text("Usuario"), r.text("Estacao"), r.text("UsuarioSistema"), r.text("Momento"),
                            r.text("Motivo")};
        return true;
    }, QStringLiteral("Sequencia DESC"));
    return out;
}

QList<SignInHold> SignIn::holds() {
    prepareTables();
    QList<SignInHold> out;
    Table state(session_.signInDb(), QStringLiteral("SituacaoAcesso"));
    const QDateTime at = now();
    for (const auto& r : state.select({}, {}, QStringLiteral("Usuario"))) {
        QDateTime until = FromUtcText(r.text("BloqueadoAte"));
        if (until.isValid() && until <= at) until = {};
        out << SignInHold{r.text("Usuario"), int(r.integer("Falhas")), until};
    }
    return out;
}

bool SignIn::unlock(const QString& userCode) {
    prepareTables();
    Database& db = session_.signInDb();
    Transaction tx(db);
    const int n = db.execWrite(QStringLiteral("DELETE FROM SituacaoAcesso WHERE Usuario = ?"), {userCode.left(20)});
    tx.commit();
    return n > 0;
}

bool SignIn::hasUsers() {
    Table users(session_.signInDb(), QStringLiteral("Usuarios"));
    const bool any = users.count() > 0;
    if (any) hadUsers();
    return any;
}

bool SignIn::hadUsers() {
    prepareTables();
    Database& db = session_.signInDb();
    Table marks(db, QStringLiteral("ControleAcesso"));
    if (marks.find({HadUsersKey})) return true;
    Table users(db, QStringLiteral("Usuarios"));
    if (users.count() == 0) return false;
    Transaction tx(db);
    if (!marks.find({HadUsersKey})) {
        Record r = marks.newRecord();
        r.set("Chave", HadUsersKey).set("Valor", QStringLiteral("S ") + UtcText(now()));
        marks.insert(r);
    }
    tx.commit();
    return true;
}

std::optional<UserRow> SignIn::authenticate(const QString& userCode, const QString& password, UserInterface& ui) {
    SignInAttempt a = attempt(userCode, password);
    if (a.outcome == SignInOutcome::Accepted) return a.user;
    ui.message(MessageKind::Error, a.message);
    return std::nullopt;
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
    return !password.isEmpty() && CheckPassword(password, r ? r->text("Senha") : QString()) && r;
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
