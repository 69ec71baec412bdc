#include "Cli.h"

#include "AuditLog.h"
#include "Table.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace folha::cli {

namespace {

QString readLine(bool hidden) {
    termios old {};
    bool tty = isatty(STDIN_FILENO);
    if (hidden && tty) {
        tcgetattr(STDIN_FILENO, &old);
        termios noEcho = old;
        noEcho.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &noEcho);
    }
    char buf[512] = {0};
    QString line;
    if (fgets(buf, sizeof buf, stdin)) line = QString::fromLocal8Bit(buf);
    if (hidden && tty) {
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
        fputs("\n", stderr);
    }
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line;
}

} // namespace

QString ReadSecret(const char* variable, const QString& prompt) {
    if (qEnvironmentVariableIsSet(variable)) return qEnvironmentVariable(variable);
    if (!isatty(STDIN_FILENO))
        throw CliError{QStringLiteral("%1: informe-a em %2").arg(prompt, QLatin1String(variable)), 3};
    fprintf(stderr, "%s: ", prompt.toLocal8Bit().constData());
    return readLine(true);
}

void TextUi::message(MessageKind kind, const QString& text, const QString&) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (kind == MessageKind::Information) {
        fprintf(stdout, "%s\n", t.toLocal8Bit().constData());
        fflush(stdout);
    } else {
        if (kind == MessageKind::Error) ++errors_;
        fprintf(stderr, "%s: %s\n", kind == MessageKind::Error ? "Erro" : "Aviso", t.toLocal8Bit().constData());
    }
}

bool TextUi::question(const QString& text, QuestionKind kind, const QString&) {
    const bool okCancel = kind == QuestionKind::OkCancel;
    if (assumeYes_) {
        fprintf(stderr, "%s %s\n", text.toLocal8Bit().constData(), okCancel ? "(OK)" : "(Sim)");
        return true;
    }
    if (!interactive_) {
        fprintf(stderr, "%s %s\n", text.toLocal8Bit().constData(), okCancel ? "(Cancelar)" : "(Não)");
        return false;
    }
    for (;;) {
        fprintf(stderr, "%s %s ", text.toLocal8Bit().constData(), okCancel ? "[OK/Cancelar]" : "[S/N]");
        QString a = readLine(false).trimmed().toUpper();
        if (a == "S" || a == "SIM" || a == "OK" || a == "Y") return true;
        if (a == "N" || a == "NAO" || a == "NÃO" || a == "CANCELAR" || a.isEmpty()) return false;
    }
}

void TextUi::log(const QString& line) {
    fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    fflush(stdout);
}

void TextUi::progressStart(const QString& caption, int steps) {
    caption_ = caption;
    steps_ = steps;
    if (isatty(STDERR_FILENO)) fprintf(stderr, "%s...\n", caption.toLocal8Bit().constData());
}

void TextUi::progressStep(int done) {
    if (isatty(STDERR_FILENO) && steps_ > 0) {
        fprintf(stderr, "\r%3d%%", int(100LL * done / steps_));
        fflush(stderr);
    }
}

void TextUi::progressEnd() {
    if (isatty(STDERR_FILENO) && steps_ > 0) fprintf(stderr, "\n");
}

const QStringList globalOptions = {QStringLiteral("--root"), QStringLiteral("--user")};

OptionSpec OptionSpec::fromUsage(const QString& usage) {
    OptionSpec spec;
    QString plain = usage;
    plain.replace('[', ' ').replace(']', ' ');
    const QStringList words = plain.split(' ', Qt::SkipEmptyParts);
    for (int i = 1; i < words.size(); ++i) {
        const QString& w = words[i];
        if (w.startsWith(QLatin1String("--"))) {
            const bool takesValue = i + 1 < words.size() && !words[i + 1].startsWith(QLatin1String("--")) &&
                                    !words[i + 1].startsWith('"');
            (takesValue ? spec.valued : spec.flags) << w;
            if (takesValue) ++i;
        } else if (w.startsWith('"')) {
            ++spec.positional;
        }
    }
    return spec;
}

QString commandName(const QStringList& argv) {
    for (int i = 0; i < argv.size(); ++i) {
        const QString& s = argv[i];
        if (s.startsWith('-')) {
            if (globalOptions.contains(s)) ++i;
            continue;
        }
        return s;
    }
    return {};
}

Arguments parseArguments(const QStringList& argv, const OptionSpec& spec) {
    Arguments a;
    for (int i = 0; i < argv.size(); ++i) {
        const QString& s = argv[i];
        if (s.startsWith('-') && s.size() > 1) {
            QString name = s;
            QString value;
            bool inlineValue = false;
            if (const int eq = s.indexOf('='); eq > 0) {
                name = s.left(eq);
                value = s.mid(eq + 1);
                inlineValue = true;
            }
            const bool valued = spec.valued.contains(name) || globalOptions.contains(name);
            if (!valued && !spec.flags.contains(name) && name != QLatin1String("--help"))
                throw CliError{QStringLiteral("Opção desconhecida: %1").arg(name), 2, true};
            if (!valued) {
                if (inlineValue) throw CliError{QStringLiteral("A opção %1 não recebe valor").arg(name), 2, true};
                a.flags << name;
                continue;
            }
            if (!inlineValue) {
                if (i + 1 >= argv.size() || (argv[i + 1].startsWith(QLatin1String("--"))))
                    throw CliError{QStringLiteral("Falta o valor da opção %1").arg(name), 2, true};
                value = argv[++i];
            }
            if (a.options.contains(name))
                throw CliError{QStringLiteral("Opção repetida: %1").arg(name), 2, true};
            a.options.insert(name, value);
        } else if (a.command.isEmpty()) {
            a.command = s;
        } else {
            if (a.positional.size() >= spec.positional)
                throw CliError{QStringLiteral("Argumento inesperado: %1").arg(s), 2, true};
            a.positional << s;
        }
    }
    return a;
}

QString csvField(const QString& text) {
    if (text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r')) {
        QString t = text;
        t.replace('"', QLatin1String("\"\""));
        return '"' + t + '"';
    }
    return text;
}

Context::Context(Arguments a, QTextStream& o) : args(std::move(a)), out(o) {
    session_ = std::make_unique<Session>(Installation::choose(args.value("--root")));
    ui_ = std::make_unique<TextUi>(args.has("--yes"), isatty(STDIN_FILENO));
}

QString Context::requireOption(const QString& name) const {
    QString v = args.value(name);
    if (v.isEmpty()) throw CliError{QStringLiteral("Informe a opção %1").arg(name)};
    return v;
}

void Context::requireInstallation() {
    const QString missing = session().missingInstallationText();
    if (!missing.isEmpty()) throw CliError{missing};
}

void Context::signInUser() {
    QString code = args.value("--user");
    if (code.isEmpty()) code = qEnvironmentVariable("FOLHA_USER").trimmed();
    SignIn signIn(session());
    if (code.isEmpty()) {
        if (signIn.hasUsers())
            throw CliError{QStringLiteral("Informe o usuário: --user CODIGO ou a variável FOLHA_USER (a senha vem de "
                                          "FOLHA_PASSWORD ou é digitada)"),
                           3};
        // An installation that once had users never runs without a sign-in.
        if (signIn.hadUsers())
            throw CliError{QStringLiteral("Esta instalação já teve usuários, mas nenhum usuário está cadastrado: "
                                          "nenhum comando que exige usuário é executado sem um. Recupere a tabela "
                                          "de usuários (Usuarios) de uma cópia do banco de acesso, ou peça ao "
                                          "suporte que a recupere."),
                           3};
        return;
    }
    signIn.hadUsers(); // marks an installation seen with users
    QString password = qEnvironmentVariable("FOLHA_PASSWORD");
    if (!qEnvironmentVariableIsSet("FOLHA_PASSWORD")) {
        if (!isatty(STDIN_FILENO))
            throw CliError{QStringLiteral("Informe a senha do usuário %1 em FOLHA_PASSWORD").arg(code), 3};
        fprintf(stderr, "Senha do usuário %s: ", code.toLocal8Bit().constData());
        password = readLine(true);
    }
    const SignInAttempt a = signIn.attempt(code, password);
    if (a.outcome == SignInOutcome::NeedsPassword)
        throw CliError{QStringLiteral("O usuário %1 não tem senha cadastrada e não entra pela linha de comando sem "
                                      "uma: entre uma vez pelo programa FolhaZorvan, que pede a nova senha (duas "
                                      "vezes) no primeiro acesso, e use-a aqui em FOLHA_PASSWORD.")
                           .arg(a.user ? a.user->name : code),
                       3};
    if (a.outcome != SignInOutcome::Accepted) throw CliError{a.message, 3};
    user = a.user;
}

void Context::requireSupervisor(const QString& what) {
    if (user && user->level != QLatin1String("SUP"))
        throw CliError{QStringLiteral("%1 liberado somente para usuários de nível SUP; o usuário %2 é de nível %3")
                           .arg(what, user->name, user->level.isEmpty() ? QStringLiteral("(nenhum)") : user->level),
                       3};
}

CompanyRow Context::openCompany() {
    if (company_) return *company_;
    QString text = requireOption("--company");
    bool ok = false;
    int code = text.toInt(&ok);
    if (!ok) throw CliError{QStringLiteral("Código de empresa inválido: %1").arg(text)};
    SignIn signIn(session());
    company_ = Typed([&] { return signIn.reachableCompany(user, code); });
    session().SetaDiretorio(company_->directory);
    return *company_;
}

QString Context::branchCode() {
    if (!branch_.isEmpty()) return branch_;
    openCompany();
    Table filial(session().folha(), QStringLiteral("Filial"));
    QString wanted = args.value("--branch");
    if (!wanted.isEmpty()) {
        bool ok = false;
        int n = wanted.toInt(&ok);
        if (ok && wanted.size() < 3) wanted = QStringLiteral("%1").arg(n, 3, 10, QChar('0'));
        if (!filial.find({wanted})) throw CliError{QStringLiteral("Filial não cadastrada: %1").arg(wanted)};
        branch_ = wanted;
    } else {
        auto rows = filial.select();
        if (rows.empty()) throw CliError{QStringLiteral("Nenhuma filial cadastrada na base selecionada!")};
        branch_ = rows.front().text("CODIGO");
    }
    if (user) {
        SignIn signIn(session());
        if (!signIn.confirm(*user, *company_, branch_, ui())) throw CliError{QString()};
    }
    return branch_;
}

int Context::branchNumber() { return branchCode().trimmed().toInt(); }

void Context::audit(const AuditEntry& entry) {
    const int branch = company_ ? branchNumber() : 0;
    WriteAuditEntry(session().zorvan(), branch, QStringLiteral("folha ") + args.command, entry, userCode(), ui());
}

} // namespace folha::cli
