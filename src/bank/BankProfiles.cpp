#include "BankProfiles.h"

#include "BankRecord.h"
#include "DbError.h"
#include "TextRoutines.h"

namespace folha::bank {

// The six banks payroll offices use most. Every profile writes the records
// of the FEBRABAN layout as they are (see BankLayout.h); what differs is the
// bank's name in the file header and what the bank calls the agreement code
// it gives the office, which is written as the office types it, left-aligned
// in positions 33-52 of the file and batch headers.
//
// Each bank's own manual for payments in CNAB 240 was looked for; the ones
// found are named beside the profile. None of their field tables (agreement
// composition, layout versions, the favorecido's agency/account, fields
// filled or blank, file naming, check-digit rules) could be read in full, so
// no bank particular is applied: every profile stays on the FEBRABAN layout
// and the branch sets what its bank asks for (agreement as the bank composes
// it in "Convênio"; layout versions in "Versão do Leiaute do Arquivo/Lote").
// Account data is checked for its form only (AccountProblem).
const QList<BankProfile>& BankProfiles() {
    static const QList<BankProfile> profiles = {
        // Banco do Brasil: the bank's payments manual was not found; only its
        // collection manual ("Particularidades BB - Leiaute CNAB 240",
        // setembro/2023), which does not cover salary credits.
        {QStringLiteral("001"), QStringLiteral("BANCO DO BRASIL S.A."), QStringLiteral("Banco do Brasil"),
         QStringLiteral("o código do convênio de pagamento dado pela agência")},
        // Santander: "Cash Management - Pagamentos - Layout de Arquivo Padrão
        // CNAB 240 - Pagamento a Fornecedores, Tributos e Concessionárias",
        // versão agosto/2009 (YLEC2403_v06.1), copy on scribd.com (document
        // 244905448); only its index could be read.
        {QStringLiteral("033"), QStringLiteral("BANCO SANTANDER BRASIL S.A."), QStringLiteral("Santander"),
         QStringLiteral("o código do convênio (código de transmissão) dado pela agência")},
        // Caixa: the bank's payments manual (SIACC) was not found.
        {QStringLiteral("104"), QStringLiteral("CAIXA ECONOMICA FEDERAL"), QStringLiteral("Caixa"),
         QStringLiteral("o código do convênio dado pela agência")},
        // Bradesco: the bank's payments manual (Multipag) was not found.
        {QStringLiteral("237"), QStringLiteral("BANCO BRADESCO S.A."), QStringLiteral("Bradesco"),
         QStringLiteral("o código do convênio (código da empresa) dado pela agência")},
        // Itaú: "SISPAG - Sistema de Contas a Pagar Itaú - Intercâmbio
        // Eletrônico de Arquivos - Layout de Arquivos CNAB", versão 085
        // (copy on info.5y1.org), and its English editions versão 080 and 82
        // (scribd.com documents 582044994 and 943855295); only their indexes
        // could be read.
        {QStringLiteral("341"), QStringLiteral("BANCO ITAU S.A."), QStringLiteral("Itaú"),
         QStringLiteral("o código do convênio dado pela agência, quando houver")},
        // Sicoob: the bank's payments manual was not found.
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

QString LayoutVersionProblem(const QString& version, const QString& what) {
    const QString v = version.trimmed();
    if (v.size() == 3 && OnlyDigits(v) == v) return {};
    return QStringLiteral("%1 inválida: \"%2\" (3 algarismos, como o banco indicar).").arg(what, v);
}

BankProfile WithLayoutVersions(BankProfile profile, const QString& fileVersion, const QString& batchVersion) {
    const auto apply = [](QString& target, const QString& value, const QString& what) {
        if (value.trimmed().isEmpty()) return;
        const QString problem = LayoutVersionProblem(value, what);
        if (!problem.isEmpty()) throw BankFileStop(problem);
        target = value.trimmed();
    };
    apply(profile.fileLayoutVersion, fileVersion, QStringLiteral("Versão do leiaute do arquivo"));
    apply(profile.batchLayoutVersion, batchVersion, QStringLiteral("Versão do leiaute do lote"));
    return profile;
}

QString ProposedFileName(const BankProfile& profile, const QDate& paymentDate, int sequence) {
    return QStringLiteral("PAG%1_%2_%3.REM")
        .arg(profile.code, paymentDate.toString(QStringLiteral("yyyyMMdd")))
        .arg(sequence, 6, 10, QChar('0'));
}

} // namespace folha::bank
