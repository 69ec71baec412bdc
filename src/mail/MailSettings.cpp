#include "MailSettings.h"

#include "DbError.h"
#include "IniFile.h"
#include "OwnerOnlyFile.h"
#include "TextRoutines.h"

#include <QFile>
#include <QFileInfo>

namespace folha {

namespace {

const QString Section = QStringLiteral("Email");

QString value(const QString& cfg, const char* key) { return ReadIniValue(cfg, Section, QLatin1String(key)).trimmed(); }

} // namespace

QString MailSettings::url() const {
    return QStringLiteral("%1://%2:%3")
        .arg(security == MailSecurity::Smtps ? QStringLiteral("smtps") : QStringLiteral("smtp"), server)
        .arg(port);
}

MailSettings ReadMailSettings(const QString& cfg) {
    MailSettings s;
    s.server = value(cfg, "Servidor");
    const QString security = value(cfg, "Seguranca").toUpper();
    if (security == QLatin1String("SSL") || security == QLatin1String("SMTPS"))
        s.security = MailSecurity::Smtps;
    else if (!security.isEmpty() && security != QLatin1String("STARTTLS"))
        throw UserError(QStringLiteral("Segurança do e-mail desconhecida em [Email] Seguranca: %1 "
                                       "(use STARTTLS ou SSL).")
                            .arg(security));
    s.port = s.security == MailSecurity::Smtps ? 465 : 587;
    const QString port = value(cfg, "Porta");
    if (!port.isEmpty()) {
        bool ok = false;
        s.port = port.toInt(&ok);
        if (!ok || s.port <= 0 || s.port > 65535)
            throw UserError(QStringLiteral("Porta do servidor de e-mail inválida: %1").arg(port));
    }
    s.sender = value(cfg, "Remetente");
    s.senderName = value(cfg, "NomeRemetente");
    s.user = value(cfg, "Usuario");
    s.caBundle = value(cfg, "CertificadosCA");
    const QString rule = value(cfg, "SenhaPdf").toUpper();
    if (rule.isEmpty() || rule == QLatin1String("CPF5"))
        s.pdfPassword = PdfPasswordRule::Cpf5;
    else if (rule == QLatin1String("CPF"))
        s.pdfPassword = PdfPasswordRule::Cpf;
    else if (rule == QLatin1String("NASCIMENTO"))
        s.pdfPassword = PdfPasswordRule::BirthDate;
    else
        throw UserError(QStringLiteral("Regra da senha do PDF desconhecida em [Email] SenhaPdf: %1 "
                                       "(use CPF5, CPF ou NASCIMENTO).")
                            .arg(rule));
    return s;
}

void WriteMailSettings(const QString& cfg, const MailSettings& s) {
    const QString rule = s.pdfPassword == PdfPasswordRule::Cpf     ? QStringLiteral("CPF")
                         : s.pdfPassword == PdfPasswordRule::BirthDate ? QStringLiteral("NASCIMENTO")
                                                                       : QStringLiteral("CPF5");
    const QPair<const char*, QString> keys[] = {
        {"Servidor", s.server},
        {"Porta", QString::number(s.port)},
        {"Seguranca", s.security == MailSecurity::Smtps ? QStringLiteral("SSL") : QStringLiteral("STARTTLS")},
        {"Remetente", s.sender},
        {"NomeRemetente", s.senderName},
        {"Usuario", s.user},
        {"CertificadosCA", s.caBundle},
        {"SenhaPdf", rule}};
    for (const auto& [key, v] : keys)
        if (!WriteIniFileValue(cfg, Section, QLatin1String(key), v))
            throw UserError(QStringLiteral("Não foi possível gravar %1").arg(cfg));
}

QString MailPasswordFile(const Installation& installation) {
    return installation.programFile(QStringLiteral("Email.senha"));
}

void SaveMailPassword(const Installation& installation, const QString& password) {
    const QString file = MailPasswordFile(installation);
    if (!WriteOwnerOnlyFile(file, password.toUtf8()))
        throw UserError(QStringLiteral("Não foi possível gravar %1").arg(file));
}

QString ReadMailPassword(const Installation& installation) {
    const QString file = MailPasswordFile(installation);
    if (!QFileInfo::exists(file)) return {};
    if (!IsOwnerOnlyFile(file))
        throw UserError(QStringLiteral("O arquivo de senha %1 pode ser lido por outros usuários; "
                                       "deixe-o só para o dono (chmod 600).")
                            .arg(file));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Não foi possível ler %1").arg(file));
    QByteArray bytes = f.readAll();
    while (bytes.endsWith('\n') || bytes.endsWith('\r')) bytes.chop(1);
    return QString::fromUtf8(bytes);
}

QString PdfPasswordFor(PdfPasswordRule rule, const QString& cpf, const QDate& birth) {
    const QString d = OnlyDigits(cpf);
    switch (rule) {
    case PdfPasswordRule::Cpf5: return d.size() == 11 ? d.left(5) : QString();
    case PdfPasswordRule::Cpf: return d.size() == 11 ? d : QString();
    case PdfPasswordRule::BirthDate: return birth.isValid() ? birth.toString(QStringLiteral("ddMMyyyy")) : QString();
    }
    return {};
}

QString PdfPasswordHint(PdfPasswordRule rule) {
    switch (rule) {
    case PdfPasswordRule::Cpf5: return QStringLiteral("os cinco primeiros dígitos do seu CPF");
    case PdfPasswordRule::Cpf: return QStringLiteral("os onze dígitos do seu CPF, sem pontos nem traço");
    case PdfPasswordRule::BirthDate: return QStringLiteral("a sua data de nascimento no formato DDMMAAAA");
    }
    return {};
}

} // namespace folha
