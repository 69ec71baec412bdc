#include "BankFile.h"

#include "BankRecord.h"
#include "CheckDigits.h"
#include "FileErrors.h"
#include "GovRecord.h"
#include "PayStatements.h"
#include "SystemFiles.h"
#include "Table.h"
#include "TextRoutines.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace folha::bank {

const QStringList& PayableSheets() {
    static const QStringList sheets = {QStringLiteral("F"), QStringLiteral("A"), QStringLiteral("D"),
                                       QStringLiteral("I")};
    return sheets;
}

namespace {

bool digitsOnly(const QString& t) { return !t.isEmpty() && OnlyDigits(t) == t; }

bool checkDigitChar(const QString& t) {
    return t.size() == 1 && (t.at(0).isDigit() || (t.at(0) >= QLatin1Char('A') && t.at(0) <= QLatin1Char('Z')));
}

// A number field of the register as digits ("12345"); empty for zero.
QString numberDigits(const Record& r, const QString& field) {
    const Fixed v = r.number(field);
    return v.isZero() ? QString() : gov::WholeDigits(v);
}

Payer payerOf(const Record& branch) {
    Payer p;
    p.inscription = OnlyDigits(branch.text(QStringLiteral("CGC")));
    p.agreement = branch.text(QStringLiteral("CONVENIO")).trimmed();
    p.agency = branch.text(QStringLiteral("AG_PAGTO")).trimmed();
    p.agencyDigit = branch.text(QStringLiteral("AG_PAGDV")).trimmed().toUpper();
    p.account = branch.text(QStringLiteral("CTA_PAGTO")).trimmed();
    p.accountDigit = branch.text(QStringLiteral("CTA_PAGDV")).trimmed().toUpper();
    p.name = branch.text(QStringLiteral("NOME"));
    p.street = branch.text(QStringLiteral("FIL_ENDERE"));
    p.number = numberDigits(branch, QStringLiteral("FIL_NUMERO"));
    p.city = branch.text(QStringLiteral("FIL_CIDADE"));
    p.cep = OnlyDigits(branch.text(QStringLiteral("FIL_CEP")));
    p.state = branch.text(QStringLiteral("FIL_ESTADO")).trimmed().toUpper();
    return p;
}

// The branch's own data the file cannot do without.
void checkPayer(const Payer& p, const BankProfile& profile, const QString& branchCode) {
    QStringList missing;
    if (p.inscription.size() != 14 && p.inscription.size() != 11) missing << QStringLiteral("CNPJ");
    if (!digitsOnly(p.agency) || p.agency.size() > 5) missing << QStringLiteral("Agência da Empresa");
    if (!p.agencyDigit.isEmpty() && !checkDigitChar(p.agencyDigit)) missing << QStringLiteral("Dígito da Agência");
    if (!digitsOnly(p.account) || p.account.size() > 12) missing << QStringLiteral("Conta da Empresa");
    if (!checkDigitChar(p.accountDigit)) missing << QStringLiteral("Dígito da Conta");
    // Itaú: the DAC of the company's agency/account is a digit (header
    // position 72, 9(01)).
    else if (profile.dialect == LayoutDialect::ItauSispag && !p.accountDigit.at(0).isDigit())
        missing << QStringLiteral("DAC da Conta (um algarismo)");
    if (!missing.isEmpty())
        throw BankFileStop(QStringLiteral("A filial %1 não tem os dados do banco pagador completos (%2): preencha a "
                                          "página Banco do cadastro da filial.")
                               .arg(branchCode, missing.join(QStringLiteral(", "))));
}

Credit creditOf(const Record& e) {
    Credit c;
    c.employeeCode = e.text(QStringLiteral("CODFUN")).trimmed();
    c.name = e.text(QStringLiteral("NOME")).trimmed();
    const QString cpf = numberDigits(e, QStringLiteral("NR_CPF"));
    c.cpf = cpf.isEmpty() ? QString() : PadLeft(cpf, 11, QChar('0'));
    const QString bank = numberDigits(e, QStringLiteral("COD_BANCO"));
    c.bank = bank.isEmpty() ? QString() : BankCode3(bank);
    c.agency = e.text(QStringLiteral("AG_FUNC")).trimmed();
    c.agencyDigit = e.text(QStringLiteral("AG_DV")).trimmed().toUpper();
    c.account = numberDigits(e, QStringLiteral("NR_CONTA"));
    c.accountDigit = e.text(QStringLiteral("CTA_DV")).trimmed().toUpper();
    c.street = e.text(QStringLiteral("ENDERECO"));
    c.number = OnlyDigits(e.text(QStringLiteral("NR_ENDER")));
    c.complement = e.text(QStringLiteral("COMPL_END"));
    c.district = e.text(QStringLiteral("BAIRRO"));
    c.city = e.text(QStringLiteral("CIDADE"));
    c.cep = OnlyDigits(e.text(QStringLiteral("CEP")));
    c.state = e.text(QStringLiteral("UF")).trimmed().toUpper();
    return c;
}

} // namespace

QString AccountProblem(const Credit& c) {
    if (c.bank.isEmpty() && c.agency.isEmpty() && c.account.isEmpty())
        return QStringLiteral("sem conta bancária no cadastro");
    if (c.bank.isEmpty()) return QStringLiteral("banco da conta não informado ou inválido");
    if (c.agency.isEmpty()) return QStringLiteral("agência não informada");
    if (!digitsOnly(c.agency) || c.agency.size() > 5)
        return QStringLiteral("agência inválida: \"%1\" (de 1 a 5 algarismos)").arg(c.agency);
    if (!c.agencyDigit.isEmpty() && !checkDigitChar(c.agencyDigit))
        return QStringLiteral("dígito da agência inválido: \"%1\"").arg(c.agencyDigit);
    if (c.account.isEmpty()) return QStringLiteral("conta não informada");
    if (c.account.size() > 12) return QStringLiteral("conta inválida: %1 (até 12 algarismos)").arg(c.account);
    if (c.accountDigit.isEmpty()) return QStringLiteral("dígito da conta não informado");
    if (!checkDigitChar(c.accountDigit)) return QStringLiteral("dígito da conta inválido: \"%1\"").arg(c.accountDigit);
    if (!ValidCpf(c.cpf)) return QStringLiteral("CPF inválido ou não informado");
    return {};
}

BankFileResult WriteBankFile(Database& company, UserInterface& ui, const BankFileOptions& o) {
    BankFileResult result;
    auto branch = Table(company, QStringLiteral("Filial")).find({o.branchCode});
    if (!branch) throw BankFileStop(QStringLiteral("Filial não cadastrada: %1").arg(o.branchCode));
    if (!PayableSheets().contains(o.sheet))
        throw BankFileStop(QStringLiteral("Folha sem arquivo de pagamento: %1 (use F, A, D ou I).").arg(o.sheet));
    if (!o.paymentDate.isValid()) throw BankFileStop(QStringLiteral("Informe a data do pagamento."));
    if (o.outputPath.trimmed().isEmpty()) throw BankFileStop(QStringLiteral("Informe o arquivo a gravar."));
    RefuseSystemOutput(o.outputPath);

    const QString bankCode = o.bank.trimmed().isEmpty() ? branch->text(QStringLiteral("BCO_PAGTO")).trimmed() : o.bank;
    // The layout versions the branch set for its bank (page Banco), when
    // the bank asks for others than the FEBRABAN ones.
    const BankProfile profile =
        WithLayoutVersions(ProfileOfBank(bankCode), branch->text(QStringLiteral("VER_ARQ")),
                           branch->text(QStringLiteral("VER_LOTE")));
    const Payer payer = payerOf(*branch);
    checkPayer(payer, profile, o.branchCode);

    result.bank = profile.code;
    result.sheet = o.sheet;
    result.competence =
        o.competence.isEmpty() ? CompetenceOfDate(branch->date(QStringLiteral("DATA_FOLHA"))) : o.competence;
    result.sequence = o.sequence > 0 ? o.sequence : int(branch->number(QStringLiteral("NSA_PAGTO")).truncated()) + 1;

    // The nets as the pay statements print them.
    const std::map<QString, Fixed> nets = SheetNets(company, result.competence, o.sheet);
    const bool ranged = !o.firstEmployee.isEmpty() && !o.lastEmployee.isEmpty();
    std::vector<Credit> same, other;
    Table(company, QStringLiteral("CADFUN")).forEach({}, {}, [&](const Record& e) {
        const QString code = e.text(QStringLiteral("CODFUN")).trimmed();
        if (ranged && (code < o.firstEmployee || code > o.lastEmployee)) return true;
        auto net = nets.find(code);
        if (net == nets.end() || RoundValue(2, net->second) <= Fixed()) return true;
        Credit c = creditOf(e);
        c.amount = RoundValue(2, net->second);
        c.yourNumber = code + result.competence + o.sheet;
        // "1 - Emite Cheque salario": paid by cheque, not through the file.
        QString problem = e.integer(QStringLiteral("CHEQUE")) == 1
                              ? QStringLiteral("recebe por cheque salário (campo Cheque do cadastro)")
                              : AccountProblem(c);
        if (problem.isEmpty()) problem = AccountLayoutProblem(profile, c.bank, c.agency, c.account, c.accountDigit);
        if (!problem.isEmpty()) {
            result.exclusions.push_back({code, c.name, c.amount, problem});
            return true;
        }
        (c.bank == profile.code ? same : other).push_back(c);
        return true;
    }, QStringLiteral("CODFUN"));

    if (same.empty() && other.empty())
        throw BankFileStop(QStringLiteral("Nenhum funcionário com líquido e conta bancária na folha %1 de %2/%3: o "
                                          "arquivo não foi gravado.")
                               .arg(o.sheet, result.competence.mid(4, 2), result.competence.left(4)));

    // Itaú takes PIX batches only in a file of their own (SISPAG versão
    // 085, item 2.2).
    if (profile.dialect == LayoutDialect::ItauSispag && o.otherBanks == OtherBanks::Pix && !same.empty() &&
        !other.empty())
        throw BankFileStop(QStringLiteral("O Itaú só aceita pagamentos por PIX num arquivo sem outras formas de "
                                          "pagamento: pague os outros bancos por TED, ou gere o PIX numa faixa só "
                                          "de funcionários de outros bancos."));

    const QString target = QFileInfo(o.outputPath).absoluteFilePath();
    if (QFileInfo::exists(target) &&
        !ui.question(QStringLiteral("O arquivo %1 já existe. Substituir?").arg(target), QuestionKind::YesNoDefaultNo))
        return result;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw BankFileStop(QStringLiteral("Não foi possível criar a pasta %1.").arg(QFileInfo(target).absolutePath()));

    QStringList records;
    const QDateTime generated = o.generatedAt.isValid() ? o.generatedAt : QDateTime::currentDateTime();
    records << FileHeader(profile, payer, generated, result.sequence);
    auto batch = [&](const std::vector<Credit>& credits, const QString& form) {
        if (credits.empty()) return;
        const int number = ++result.batches;
        const int first = int(records.size());
        records << BatchHeader(profile, payer, number, form);
        int sequence = 0;
        Fixed total;
        for (const Credit& c : credits) {
            records << SegmentA(profile, number, ++sequence, form, c, o.paymentDate);
            if (form != FormSameBank) records << SegmentB(profile, number, ++sequence, c, o.paymentDate);
            total += c.amount;
            result.credits.push_back({number, form, c});
        }
        records << BatchTrailer(profile, number, int(records.size()) - first + 1, total);
        result.total += total;
    };
    batch(same, FormSameBank);
    batch(other, o.otherBanks == OtherBanks::Pix ? FormPix : FormTed);
    records << FileTrailer(profile, result.batches, int(records.size()) + 1);
    result.records = int(records.size());

    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) throw BankFileStop(FileErrorText(file, target));
    for (const QString& r : records) {
        const QByteArray bytes = (r + QStringLiteral("\r\n")).toLatin1();
        if (file.write(bytes) != bytes.size()) throw BankFileStop(FileErrorText(file, target));
    }
    if (!file.commit()) throw BankFileStop(FileErrorText(file, target));
    result.written = true;
    result.path = target;

    Table branches(company, QStringLiteral("Filial"));
    Record kept = *branch;
    kept.setNumber(QStringLiteral("NSA_PAGTO"), Fixed::fromInt(result.sequence));
    branches.update(kept);
    return result;
}

AuditEntry BankFileAudit(const BankFileResult& r) {
    return {QStringLiteral("R"), QStringLiteral("Filial"),
            QStringLiteral("Arquivo de pagamento banco %1, folha %2 %3/%4, NSA %5: %6 crédito(s), total %7, %8 "
                           "excluído(s)")
                .arg(r.bank, r.sheet, r.competence.mid(4, 2), r.competence.left(4))
                .arg(r.sequence)
                .arg(r.credits.size())
                .arg(r.total.toString(2))
                .arg(r.exclusions.size())};
}

} // namespace folha::bank
