// bank-file, bank-return: the salary-payment file for the bank and the
// bank's answer to it.
#include "BankFile.h"
#include "BankReturn.h"
#include "Cli.h"
#include "Table.h"
#include "TypedInput.h"

#include <QFileInfo>

namespace folha::cli {

namespace {

int cmdBankFile(Context& c) {
    bank::BankFileOptions o;
    o.sheet = Typed([&] { return TypedSheetType(c.requireOption("--sheet")); });
    o.paymentDate = Typed([&] { return TypedDate(c.requireOption("--payment-date"), QStringLiteral("--payment-date")); });
    o.outputPath = c.requireOption("--output");
    if (c.args.has("--bank")) {
        o.bank = bank::BankCode3(c.args.value("--bank"));
        if (o.bank.isEmpty()) throw CliError{QStringLiteral("Código de banco inválido: %1").arg(c.args.value("--bank"))};
    }
    if (c.args.has("--competence")) {
        const TypedPeriod p = Typed([&] { return TypedCompetence(c.args.value("--competence")); });
        o.competence = p.year + p.month;
    }
    if (c.args.has("--from")) o.firstEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--from")); });
    if (c.args.has("--to")) o.lastEmployee = Typed([&] { return TypedEmployeeCode(c.args.value("--to")); });
    if (c.args.has("--other-banks")) {
        const QString v = c.args.value("--other-banks").trimmed().toLower();
        if (v == QLatin1String("pix"))
            o.otherBanks = bank::OtherBanks::Pix;
        else if (v != QLatin1String("ted"))
            throw CliError{QStringLiteral("Valor inválido em --other-banks: %1 (ted ou pix)").arg(v)};
    }
    if (c.args.has("--sequence")) {
        bool ok = false;
        o.sequence = c.args.value("--sequence").toInt(&ok);
        if (!ok || o.sequence < 1 || o.sequence > 999999)
            throw CliError{QStringLiteral("Número do arquivo inválido: %1 (de 1 a 999999)").arg(c.args.value("--sequence"))};
    }
    c.openCompany();
    o.branchCode = c.branchCode();
    const bank::BankFileResult r = bank::WriteBankFile(c.session().folha(), c.ui(), o);
    for (const bank::BankExclusion& e : r.exclusions)
        c.out << QStringLiteral("Excluído %1 %2 (líquido %3): %4").arg(e.employeeCode, e.name, MoneyText(e.net), e.reason)
              << Qt::endl;
    if (!r.written) {
        c.out << QStringLiteral("Arquivo não gravado.") << Qt::endl;
        return 1;
    }
    c.audit(bank::BankFileAudit(r));
    c.out << r.path << Qt::endl;
    c.out << QStringLiteral("Banco %1, folha %2 de %3/%4, arquivo nº %5: %6 lote(s), %7 crédito(s), %8 registro(s), "
                            "total %9")
                 .arg(r.bank, r.sheet, r.competence.mid(4, 2), r.competence.left(4))
                 .arg(r.sequence)
                 .arg(r.batches)
                 .arg(r.credits.size())
                 .arg(r.records)
                 .arg(MoneyText(r.total))
          << Qt::endl;
    return r.exclusions.empty() ? 0 : 1;
}

int cmdBankReturn(Context& c) {
    const QString path = c.args.positional.value(0);
    if (path.isEmpty()) throw CliError{QStringLiteral("Informe o arquivo de retorno."), 2, true};
    const bank::BankReturnFile file = Typed([&] { return bank::ReadBankReturn(path); });
    for (const QString& line : bank::BankReturnLines(file)) c.out << line << Qt::endl;
    return file.refused() == 0 && file.batchOccurrences.isEmpty() ? 0 : 1;
}

} // namespace

QList<Command> bankCommands() {
    return {
        {"bank-file",
         "bank-file --company C --branch B --sheet F|A|D|I --payment-date DD/MM/AAAA --output ARQUIVO [--bank 341] "
         "[--competence MM/AAAA] [--from COD --to COD] [--other-banks ted|pix] [--sequence N] [--yes]",
         cmdBankFile},
        {"bank-return", "bank-return \"ARQUIVO\"", cmdBankReturn},
    };
}

} // namespace folha::cli
