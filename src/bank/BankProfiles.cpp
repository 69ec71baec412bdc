#include "BankProfiles.h"

#include "BankRecord.h"
#include "DbError.h"
#include "TextRoutines.h"

namespace folha::bank {

// The six banks payroll offices use most. A profile writes the records of
// the FEBRABAN layout as they are (see BankLayout.h) unless its bank's own
// payments manual was found and read in full; what differs then is named
// beside the profile with the manual it comes from. For the others only the
// bank's name in the file header and what the bank calls the agreement code
// differ (the code is written as the office types it, left-aligned in
// positions 33-52 of the file and batch headers), and the branch sets what
// its bank asks for (agreement as the bank composes it in "Convênio";
// layout versions in "Versão do Leiaute do Arquivo/Lote").
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
        // Eletrônico de Arquivos - Layout de Arquivos - CNAB Versão 085"
        // (the manual as a whole; its chapter 3 gives the records, chapter 4
        // the notes cited in BankLayout.cpp and BankReturn.cpp):
        // - file header layout 080 (positions 15-17; the field table's
        //   content, though the manual is versão 085) and batch header
        //   layout 040 (14-16) for payments by credit, DOC, TED and PIX;
        // - no agreement code: positions 33-52 of the headers are blank and
        //   the company's agency, account and DAC have their own positions;
        // - tipo de pagamento 30 (salários) only with forma 01, crédito em
        //   conta no Itaú (NOTA 5: salaries by DOC, TED or OP are refused
        //   with "IM - tipo x forma não compatível"), so credits in other
        //   banks go in a batch of tipo 98 (diversos, NOTA 4).
        {QStringLiteral("341"), QStringLiteral("BANCO ITAU S.A."), QStringLiteral("Itaú"),
         QStringLiteral("não usado: o SISPAG identifica a empresa pela agência e conta (deixe em branco)"),
         QStringLiteral("080"), QStringLiteral("040"), LayoutDialect::ItauSispag,
         QStringLiteral("SISPAG Itaú (CNAB 240 versão 085)"), QStringLiteral("30"), QStringLiteral("98")},
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
