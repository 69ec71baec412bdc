#include "PayslipMail.h"

#include "DbError.h"
#include "MailMessage.h"
#include "PayStatementPainter.h"
#include "PdfProtect.h"
#include "Registry.h"
#include "SmtpClient.h"
#include "Table.h"

#include <QDateTime>

namespace folha {

namespace {

const QString LogTable = QStringLiteral("ENVIOMAIL");

QString sheetWords(const QString& sheet) {
    if (sheet == QLatin1String("F")) return QStringLiteral("folha mensal");
    if (sheet == QLatin1String("A")) return QStringLiteral("adiantamento salarial");
    if (sheet == QLatin1String("D")) return QStringLiteral("13º salário");
    return QStringLiteral("folha %1").arg(sheet);
}

QString competenceText(const QString& competence) { return competence.mid(4, 2) + QLatin1Char('/') + competence.left(4); }

// The name of the attachment: "demonstrativo-2013-04-000003.pdf".
QString attachmentName(const QString& competence, const QString& code) {
    return QStringLiteral("demonstrativo-%1-%2-%3.pdf").arg(competence.left(4), competence.mid(4, 2), code);
}

} // namespace

QString MailOutcomeText(MailOutcome outcome) {
    switch (outcome) {
    case MailOutcome::Sent: return QStringLiteral("Enviado");
    case MailOutcome::Failed: return QStringLiteral("Falhou");
    case MailOutcome::NoAddress: return QStringLiteral("Sem e-mail");
    case MailOutcome::NoPassword: return QStringLiteral("Sem dados para a senha");
    case MailOutcome::AlreadySent: return QStringLiteral("Já enviado");
    case MailOutcome::WouldSend: return QStringLiteral("A enviar");
    }
    return {};
}

QString PayslipMailSubject(const QString& competence, const QString& sheet) {
    return QStringLiteral("Demonstrativo de pagamento - %1 de %2").arg(sheetWords(sheet), competenceText(competence));
}

QString PayslipMailBody(const QString& employeeName, const QString& competence, const QString& sheet,
                        const QString& companyName, PdfPasswordRule rule) {
    QString body = QStringLiteral("Prezado(a) %1,\n\n").arg(employeeName.trimmed());
    body += QStringLiteral("Segue anexo o seu demonstrativo de pagamento (%1 de %2)")
                .arg(sheetWords(sheet), competenceText(competence));
    if (!companyName.trimmed().isEmpty()) body += QStringLiteral(" da empresa %1").arg(companyName.trimmed());
    body += QStringLiteral(".\n\nO arquivo PDF está protegido por senha: %1.\n\n").arg(PdfPasswordHint(rule));
    body += QStringLiteral("Esta é uma mensagem automática do departamento pessoal; não é preciso respondê-la.\n");
    return body;
}

PayslipMailResult SendPayslipsByEmail(Database& company, Database& tmpDb, UserInterface& ui,
                                      const MailSettings& settings, const QString& serverPassword,
                                      const PayslipMailOptions& options) {
    if (options.send && !settings.configured())
        throw UserError(QStringLiteral("Configure o envio de e-mail: servidor e remetente em [Email] do CfgFolha.ini."));
    if (options.send && !PlausibleMailAddress(settings.sender))
        throw UserError(QStringLiteral("Remetente inválido em [Email] Remetente: %1").arg(settings.sender));

    PayslipMailResult result;
    const PayStatementSummary built = BuildPayStatements(company, tmpDb, ui, options.statements);
    result.competence = built.competence;
    result.sheet = built.sheet;
    if (built.cancelled) {
        result.cancelled = true;
        return result;
    }

    // The employee's own copy of each statement (copy 1; copy 2 is the one
    // the office keeps signed).
    std::vector<std::vector<PayStatement>> statements;
    ForEachPayStatement(tmpDb, company, StatementOrder::Code, [&](const PayStatement& s) {
        if (s.copy != 1) return true;
        if (statements.empty() || statements.back().front().employeeCode != s.employeeCode) statements.emplace_back();
        statements.back().push_back(s);
        return true;
    });

    company.ensureTable(Registry::instance().require(LogTable));
    Table log(company, LogTable);
    Table employees(company, QStringLiteral("CADFUN"));

    ui.progressStart(QStringLiteral("Envio dos demonstrativos por e-mail"), int(statements.size()));
    int step = 0;
    for (const auto& own : statements) {
        ui.progressStep(++step);
        if (ui.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        const PayStatement& first = own.front();
        MailRecipient r;
        r.code = first.employeeCode.trimmed();
        r.name = first.employeeName.trimmed();
        r.address = first.employeeEmail.trimmed();
        const QVariantList key{result.competence, result.sheet, r.code};
        std::optional<Record> previous = log.find(key);

        auto employee = employees.find({r.code});
        const QString password = employee ? PdfPasswordFor(settings.pdfPassword, employee->text(QStringLiteral("NR_CPF")),
                                                           employee->date(QStringLiteral("DT_NASC")))
                                          : QString();
        if (r.address.isEmpty()) {
            r.outcome = MailOutcome::NoAddress;
            r.answer = QStringLiteral("Funcionário sem e-mail no cadastro.");
        } else if (!PlausibleMailAddress(r.address)) {
            r.outcome = MailOutcome::NoAddress;
            r.answer = QStringLiteral("E-mail inválido no cadastro: %1").arg(r.address);
        } else if (previous && previous->text(QStringLiteral("RESULTADO")) == QLatin1String("E")) {
            r.outcome = MailOutcome::AlreadySent;
            r.answer = QStringLiteral("Enviado em %1.").arg(previous->text(QStringLiteral("MOMENTO")));
        } else if (password.isEmpty()) {
            r.outcome = MailOutcome::NoPassword;
            r.answer = QStringLiteral("Sem %1 no cadastro: o demonstrativo não é enviado sem senha.")
                           .arg(settings.pdfPassword == PdfPasswordRule::BirthDate ? QStringLiteral("data de nascimento")
                                                                                  : QStringLiteral("CPF válido"));
        } else if (!options.send) {
            r.outcome = MailOutcome::WouldSend;
        } else {
            MailMessage m;
            m.fromAddress = settings.sender;
            m.fromName = settings.senderName;
            m.toAddress = r.address;
            m.toName = r.name;
            m.subject = PayslipMailSubject(result.competence, result.sheet);
            m.body = PayslipMailBody(r.name, result.competence, result.sheet, options.companyName, settings.pdfPassword);
            m.attachmentName = attachmentName(result.competence, r.code);
            m.attachment = ProtectPdf(PayStatementPdfInMemory(own), password);
            const SmtpResult sent = SendSmtp(settings, serverPassword, r.address, ComposeMail(m));
            r.outcome = sent.sent ? MailOutcome::Sent : MailOutcome::Failed;
            r.answer = sent.answer;

            Record row = previous ? *previous : log.newRecord();
            row.set(QStringLiteral("COMPET"), result.competence)
                .set(QStringLiteral("TIPOFOLHA"), result.sheet)
                .set(QStringLiteral("CODFUN"), r.code)
                .set(QStringLiteral("EMAIL"), r.address.left(60))
                .set(QStringLiteral("MOMENTO"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                .set(QStringLiteral("RESULTADO"), sent.sent ? QStringLiteral("E") : QStringLiteral("F"))
                .set(QStringLiteral("TENTATIVAS"), (previous ? previous->integer(QStringLiteral("TENTATIVAS")) : 0) + 1)
                .set(QStringLiteral("RESPOSTA"), sent.answer.left(250));
            if (previous) log.update(row);
            else log.insert(row);
        }
        switch (r.outcome) {
        case MailOutcome::Sent: ++result.sent; break;
        case MailOutcome::Failed:
            ++result.failed;
            ui.log(QStringLiteral("%1 %2 <%3>: falhou: %4").arg(r.code, r.name, r.address, r.answer));
            break;
        case MailOutcome::WouldSend: ++result.pending; break;
        default: ++result.skipped; break;
        }
        result.recipients.push_back(r);
    }
    ui.progressEnd();
    return result;
}

std::vector<MailLogEntry> PayslipMailLog(Database& company, const QString& competence, const QString& sheet) {
    std::vector<MailLogEntry> out;
    company.ensureTable(Registry::instance().require(LogTable));
    Table log(company, LogTable);
    for (const Record& r : log.select(QStringLiteral("COMPET = ? AND TIPOFOLHA = ?"), {competence, sheet},
                                      QStringLiteral("CODFUN")))
        out.push_back({r.text(QStringLiteral("CODFUN")), r.text(QStringLiteral("EMAIL")),
                       r.text(QStringLiteral("MOMENTO")), r.text(QStringLiteral("RESULTADO")),
                       r.text(QStringLiteral("RESPOSTA")), r.integer(QStringLiteral("TENTATIVAS"))});
    return out;
}

} // namespace folha
