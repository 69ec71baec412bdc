// payslips: the pay statements of the branch's current payroll to a PDF, or
// one PDF per employee.
#include "Cli.h"
#include "ReportOutput.h"

#include "PayStatementPainter.h"
#include "PayStatements.h"
#include "TypedInput.h"

#include <QDir>
#include <QFileInfo>

namespace folha::cli {

namespace {

int cmdPayslips(Context& c) {
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
         "[--message1 TEXTO] [--message2 TEXTO] [--message3 TEXTO] [--trail] [--output ARQUIVO.pdf] [--split PASTA]",
         cmdPayslips},
    };
}

} // namespace folha::cli
