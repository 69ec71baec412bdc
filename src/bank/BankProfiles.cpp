#include "BankProfiles.h"

#include "DbError.h"
#include "TextRoutines.h"

namespace folha::bank {

// The six banks payroll offices use most. Every profile writes the records
// of the FEBRABAN layout as they are (see BankLayout.h); what differs is the
// bank's name in the file header and what the bank calls the agreement code
// it gives the office, which is written as the office types it, left-aligned
// in positions 33-52 of the file and batch headers. The particulars of each
// bank's own manual (the composition of the agreement field, fields a bank
// fills its own way) are not applied.
const QList<BankProfile>& BankProfiles() {
    static const QList<BankProfile> profiles = {
        {QStringLiteral("001"), QStringLiteral("BANCO DO BRASIL S.A."), QStringLiteral("Banco do Brasil"),
         QStringLiteral("o código do convênio de pagamento dado pela agência")},
        {QStringLiteral("033"), QStringLiteral("BANCO SANTANDER BRASIL S.A."), QStringLiteral("Santander"),
         QStringLiteral("o código do convênio (código de transmissão) dado pela agência")},
        {QStringLiteral("104"), QStringLiteral("CAIXA ECONOMICA FEDERAL"), QStringLiteral("Caixa"),
         QStringLiteral("o código do convênio dado pela agência")},
        {QStringLiteral("237"), QStringLiteral("BANCO BRADESCO S.A."), QStringLiteral("Bradesco"),
         QStringLiteral("o código do convênio (código da empresa) dado pela agência")},
        {QStringLiteral("341"), QStringLiteral("BANCO ITAU S.A."), QStringLiteral("Itaú"),
         QStringLiteral("o código do convênio dado pela agência, quando houver")},
        {QStringLiteral("756"), QStringLiteral("BANCO COOPERATIVO SICOOB S.A."), QStringLiteral("Sicoob"),
         QStringLiteral("o código do convênio dado pela cooperativa")},
    };
    return profiles;
}

QString BankCode3(const QString& code) {
    const QString t = code.trimmed();
    if (t.isEmpty() || t.size() > 3 || OnlyDigits(t) != t) return {};
    return PadLeft(t, 3, QChar('0'));
}

const BankProfile& ProfileOfBank(const QString& code) {
    const QString c = BankCode3(code);
    for (const BankProfile& p : BankProfiles())
        if (p.code == c) return p;
    QStringList known;
    for (const BankProfile& p : BankProfiles()) known << p.code + QStringLiteral(" (") + p.shortName + QLatin1Char(')');
    throw UserError(QStringLiteral("Banco sem perfil de arquivo de pagamento: %1. Bancos atendidos: %2.")
                        .arg(code.trimmed().isEmpty() ? QStringLiteral("(não informado)") : code.trimmed(),
                             known.join(QStringLiteral(", "))));
}

QString ProposedFileName(const BankProfile& profile, const QDate& paymentDate, int sequence) {
    return QStringLiteral("PAG%1_%2_%3.REM")
        .arg(profile.code, paymentDate.toString(QStringLiteral("yyyyMMdd")))
        .arg(sequence, 6, 10, QChar('0'));
}

} // namespace folha::bank
