// payslips: the pay statements of the branch's current payroll to a PDF, or
// one PDF per employee.
#include "Cli.h"
#include "ReportOutput.h"

#include "MailSettings.h"
#include "PayStatementPainter.h"
#include "PayStatements.h"
#include "PayslipMail.h"
#include "TypedInput.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace folha::cli {

namespace {

// payslips --email: each employee's statement to his address; without
// --yes only the list of what would be sent.
int cmdPayslipsEmail(Context& c) {
    if (c.args.has("--output") || c.args.has("--split") || c.args.has("--trail"))
        throw CliError{QStringLiteral("--email não se combina com --output, --split ou --trail"), 2, true};
    PayslipMailOptions options;
    if (c.args.has("--from"))
        options.statements.firstEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--from")); });
    if (c.args.has("--to"))
        options.statements.lastEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--to")); });
    options.statements.message1 = c.args.value("--message1");
    options.statements.message2 = c.args.value("--message2");
    options.statements.message3 = c.args.value("--message3");
    options.send = c.args.has("--yes");

    const MailSettings settings = ReadMailSettings(c.session().installation().settingsFile());
    const QString password = options.send ? ReadMailPassword(c.session().installation()) : QString();
    const CompanyRow company = c.openCompany();
    options.statements.branchCode = c.branchCode();
    options.companyName = company.name;
    const PayslipMailResult r = SendPayslipsByEmail(c.session().folha(), c.session().tmpDb(), c.ui(), settings,
                                                    password, options);
    for (const MailRecipient& m : r.recipients) {
        c.out << QStringLiteral("%1 %2 %3: %4")
                     .arg(m.code, m.name.leftJustified(40), m.address.isEmpty() ? QStringLiteral("-") : m.address,
                          MailOutcomeText(m.outcome));
        if (!m.answer.isEmpty() && m.outcome != MailOutcome::WouldSend) c.out << QStringLiteral(" (%1)").arg(m.answer);
        c.out << Qt::endl;
    }
    const QString period = r.competence.mid(4, 2) + QLatin1Char('/') + r.competence.left(4);
    if (!options.send) {
        c.out << QStringLiteral("Demonstrativos de %1 (folha %2): %3 a enviar, %4 não enviado(s). "
                                "Nada foi enviado: repita com --yes para enviar.")
                     .arg(period, r.sheet)
                     .arg(r.pending)
                     .arg(r.skipped)
              << Qt::endl;
        return 0;
    }
    c.out << QStringLiteral("Demonstrativos de %1 (folha %2) por e-mail: %3 enviado(s), %4 com falha, %5 não enviado(s)%6")
                 .arg(period, r.sheet)
                 .arg(r.sent)
                 .arg(r.failed)
                 .arg(r.skipped)
                 .arg(r.cancelled ? QStringLiteral(" (interrompido)") : QString())
          << Qt::endl;
    if (r.sent > 0)
        c.audit({QStringLiteral("R"), QStringLiteral("ENVIOMAIL"),
                 QStringLiteral("Demonstrativos por e-mail %1 folha %2: %3 enviado(s), %4 com falha")
                     .arg(period, r.sheet)
                     .arg(r.sent)
                     .arg(r.failed)});
    return r.failed > 0 || r.cancelled ? 1 : 0;
}

// email-password: the mail server's password (from FOLHA_EMAIL_PASSWORD,
// typed without echo on a terminal, or a line of the standard input) into
// its own file readable only by its owner.
int cmdEmailPassword(Context& c) {
    c.requireInstallation();
    c.requireSupervisor(QStringLiteral("gravar a senha do servidor de e-mail"));
    QString password;
    if (qEnvironmentVariableIsSet("FOLHA_EMAIL_PASSWORD") || isatty(STDIN_FILENO)) {
        password = ReadSecret("FOLHA_EMAIL_PASSWORD", QStringLiteral("Senha do servidor de e-mail"));
    } else {
        char line[1024];
        if (!fgets(line, sizeof line, stdin))
            throw CliError{QStringLiteral("Informe a senha do servidor de e-mail na entrada padrão."), 2, false};
        password = QString::fromUtf8(line);
    }
    while (password.endsWith(QLatin1Char('\n')) || password.endsWith(QLatin1Char('\r'))) password.chop(1);
    if (password.isEmpty()) throw CliError{QStringLiteral("Senha vazia: nada foi gravado."), 2, false};
    SaveMailPassword(c.session().installation(), password);
    c.out << QStringLiteral("Senha do servidor de e-mail gravada em %1").arg(MailPasswordFile(c.session().installation()))
          << Qt::endl;
    return 0;
}

int cmdPayslips(Context& c) {
    if (c.args.has("--email")) return cmdPayslipsEmail(c);
    const bool split = c.args.has("--split");
    if (split == c.args.has("--output"))
        throw CliError{QStringLiteral("Informe --output ARQUIVO.pdf ou --split PASTA"), 2, true};
    CheckOutputPath(c.args.value(split ? "--split" : "--output"), split);
    PayStatementOptions options;
    if (c.args.has("--from"))
        options.firstEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--from")); });
    if (c.args.has("--to"))
        options.lastEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--to")); });
    if (c.args.has("--order"))
        options.order = Typed([&] { return TypedStatementOrder(c.args.value("--order")); });
    options.message1 = c.args.value("--message1");
    options.message2 = c.args.value("--message2");
    options.message3 = c.args.value("--message3");

    c.openCompany();
    options.branchCode = c.branchCode();
    Database& company = c.session().folha();
    Database& tmpDb = c.session().tmpDb();
    const PayStatementSummary built = BuildPayStatements(company, tmpDb, c.ui(), options);
    if (built.employees == 0) {
        // No file stands for statements nobody would receive.
        c.ui().message(MessageKind::Warning, QStringLiteral("Nenhum funcionário a imprimir."));
        return 1;
    }
    // "Imprimir memória de cálculo": each employee's calculation trail after his statements.
    std::optional<StatementTrailAnnex> annex;
    if (c.args.has("--trail")) annex = StatementTrailAnnex{built.competence, built.sheet};
    const PayStatementFiles written =
        split ? WritePayStatementsSplit(tmpDb, company, options.order,
                                        QFileInfo(c.args.value("--split")).absoluteFilePath(), annex)
              : WritePayStatementsPdf(tmpDb, company, options.order,
                                      QFileInfo(c.args.value("--output")).absoluteFilePath(), annex);
    c.out << QStringLiteral(
                 "Demonstrativos de pagamento de %1/%2 (folha %3): %4 funcionário(s), %5 demonstrativo(s), "
                 "%6 página(s) em %7")
                 .arg(built.competence.mid(4, 2), built.competence.left(4), built.sheet)
                 .arg(built.employees)
                 .arg(written.statements)
                 .arg(written.pages)
                 .arg(split ? QStringLiteral("%1 arquivo(s) na pasta %2")
                                  .arg(written.files.size())
                                  .arg(c.args.value("--split"))
                            : c.args.value("--output"))
          << Qt::endl;
    return built.missingEvents > 0 ? 1 : 0;
}

} // namespace

QList<Command> payslipCommands() {
    return {
        {"payslips",
         "payslips --company C [--branch B] [--from CODIGO] [--to CODIGO] [--order codigo|nome|cartao] "
         "[--message1 TEXTO] [--message2 TEXTO] [--message3 TEXTO] [--trail] [--output ARQUIVO.pdf] [--split PASTA] "
         "[--email] [--yes]",
         cmdPayslips},
        {"email-password", "email-password (a senha em FOLHA_EMAIL_PASSWORD, digitada ou na entrada padrão)", cmdEmailPassword},
    };
}

} // namespace folha::cli
