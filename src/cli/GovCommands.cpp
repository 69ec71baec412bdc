// sefip, grrf: the government files from the command line.
#include "Cli.h"
#include "GovOutput.h"
#include "Grrf.h"
#include "Sefip.h"
#include "SefipAdditional.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QDate>

namespace folha::cli {

namespace {

QDate dateOption(Context& c, const QString& name) {
    if (!c.args.has(name)) return {};
    return Typed([&] { return TypedDate(c.args.value(name), name); });
}

QString pisOption(Context& c, const QString& name, const QString& fallback) {
    if (!c.args.has(name)) return fallback;
    return Typed([&] { return TypedPis(c.args.value(name), name); });
}

// The option of each box of the company's additional values.
const QList<QPair<const char*, const char*>> AdditionalOptions = {
    {"ewTipo", "--tipo"},
    {"ewLicMat", "--lic-mat"},
    {"ewReceita", "--receita"},
    {"ewRurFis", "--rur-fis"},
    {"ewRurJur", "--rur-jur"},
    {"ewProces", "--processo"},
    {"ewProces1", "--processo-ano"},
    {"ewVara", "--vara"},
    {"ewIniPerPle", "--pleito-inicio"},
    {"ewFimPerPle", "--pleito-fim"},
    {"ewCompens", "--compensacao"},
    {"ewTomadComp", "--tomador-comp"},
    {"ewInipercom", "--comp-inicio"},
    {"ewFimPerCom", "--comp-fim"},
    {"ewAntINSS", "--ant-inss"},
    {"ewAntOutFol", "--ant-outras"},
    {"ewAntINSSRu", "--ant-inss-rural"},
    {"ewAntOutRur", "--ant-outras-rural"},
    {"ewAntReceit", "--ant-receitas"},
    {"ewParcFgts1", "--parc-fgts1"},
    {"ewParcFgts2", "--parc-fgts2"},
    {"ewParcFgtsT", "--parc-fgts-total"},
    {"ewVlrCoop", "--cooperativas"},
};

// The additional values given on the command line, for every ticked
// company; nothing when none was given. Any of them asks for --tipo.
std::optional<gov::SefipAdditionalValues> additionalOptions(Context& c) {
    QHash<QString, QString> typed;
    QStringList given;
    for (const auto& [control, option] : AdditionalOptions) {
        if (!c.args.has(QLatin1String(option))) continue;
        given << QLatin1String(option);
        typed.insert(QLatin1String(control), c.args.value(QLatin1String(option)));
    }
    if (given.isEmpty()) return std::nullopt;
    if (!c.args.has(QStringLiteral("--tipo")))
        throw CliError{QStringLiteral("Os valores adicionais da empresa (%1) pedem --tipo E|P|A").arg(given.join(", "))};
    return Typed([&] { return gov::ReadSefipAdditional(typed); });
}

// The ticked companies: --companies 1,2 or the company open.
gov::TickedCompanies tickedCompanies(Context& c) {
    const CompanyRow current = c.openCompany();
    QList<int> codes;
    if (c.args.has("--companies")) {
        for (const QString& part : c.args.value("--companies").split(',', Qt::SkipEmptyParts)) {
            bool ok = false;
            const int n = part.trimmed().toInt(&ok);
            if (!ok) throw CliError{QStringLiteral("Código de empresa inválido: %1").arg(part)};
            if (!codes.contains(n)) codes << n;
        }
    } else {
        codes << current.code;
    }
    return gov::OpenTickedCompanies(c.session(), c.user, current, codes);
}

int report(Context& c, const gov::GovFileResult& r) {
    if (!r.written) return 1;
    c.out << r.path << Qt::endl;
    for (const auto& [type, n] : r.records) c.out << QStringLiteral("Registro %1: %2").arg(type).arg(n) << Qt::endl;
    return 0;
}

std::optional<bool> yesNoOption(Context& c, const QString& name) {
    if (!c.args.has(name)) return std::nullopt;
    const QString v = c.args.value(name).trimmed().toUpper();
    if (v == QLatin1String("S")) return true;
    if (v == QLatin1String("N")) return false;
    throw CliError{QStringLiteral("Valor inválido em %1: %2 (S ou N)").arg(name, v)};
}

int cmdSefip(Context& c) {
    gov::TickedCompanies companies = tickedCompanies(c);
    gov::SefipOptions o;
    o.branchCode = c.branchCode();
    auto branch = Table(c.session().folha(), QStringLiteral("Filial")).find({o.branchCode});
    o.competence = c.args.value("--competence");
    o.collectionCode = c.args.value("--collection", branch->text("COD_RFGTS").trimmed());
    o.modality = c.args.value("--modality", branch->text("MODALIDADE"));
    o.fgtsIndicator = c.args.value("--fgts-indicator", o.fgtsIndicator);
    o.inssIndicator = c.args.value("--inss-indicator", o.inssIndicator);
    o.fgtsDate = dateOption(c, "--fgts-date");
    o.inssDate = dateOption(c, "--inss-date");
    o.responsible = c.args.value("--responsible", o.responsible);
    o.pisFrom = pisOption(c, "--pis-from", o.pisFrom);
    o.pisTo = pisOption(c, "--pis-to", o.pisTo);
    o.individual = c.args.has("--individual");
    o.employeeListFolder = c.session().installation().programDir();
    o.oldCbo = c.args.has("--old-cbo");
    o.fgtsCollected = yesNoOption(c, "--fgts-collected");
    const std::optional<gov::SefipAdditionalValues> additional = additionalOptions(c);
    for (const auto& g : companies.list) {
        gov::SefipCompany s;
        static_cast<gov::GovCompany&>(s) = g;
        s.additional = additional;
        o.companies.push_back(s);
    }
    o.outputPath = c.session().installation().localPath(gov::SefipRun::SystemPath);
    gov::SefipRun run(c.session().folha(), c.ui());
    const gov::GovFileResult r = run.run(o);
    if (r.written)
        c.audit(gov::SefipAudit(o.collectionCode, r));
    return report(c, r);
}

int cmdGrrf(Context& c) {
    gov::TickedCompanies companies = tickedCompanies(c);
    gov::GrrfOptions o;
    o.branchCode = c.branchCode();
    o.collectionDate = dateOption(c, "--collection-date");
    o.noticeDate = dateOption(c, "--notice-date");
    o.withdrawalCode = c.args.value("--withdrawal");
    o.responsible = c.args.value("--responsible", o.responsible);
    o.pisFrom = pisOption(c, "--pis-from", o.pisFrom);
    o.pisTo = pisOption(c, "--pis-to", o.pisTo);
    o.previousMonth = c.args.has("--previous-month");
    o.companies = companies.list;
    o.outputPath = c.session().installation().localPath(gov::GrrfRun::SystemPath);
    o.companionPath = c.session().installation().localPath(gov::GrrfRun::CompanionSystemPath);
    gov::GrrfRun run(c.session().folha(), c.ui());
    const gov::GovFileResult r = run.run(o);
    if (r.written)
        c.audit(gov::GrrfAudit(r));
    return report(c, r);
}

} // namespace

QList<Command> govCommands() {
    return {
        {"sefip",
         "sefip --company C --branch B [--companies 1,2] [--competence MM/AAAA] [--collection COD] [--modality X] "
         "[--fgts-indicator X] [--fgts-date DD/MM/AAAA] [--inss-indicator X] [--inss-date DD/MM/AAAA] "
         "[--responsible COD] [--pis-from PIS --pis-to PIS] [--individual] [--old-cbo] [--fgts-collected S|N] "
         "[--tipo E|P|A [--lic-mat VALOR] [--receita VALOR] [--rur-fis VALOR] [--rur-jur VALOR] [--processo NUM] "
         "[--processo-ano AAAA] [--vara NUM] [--pleito-inicio MM/AAAA] [--pleito-fim MM/AAAA] [--compensacao VALOR] "
         "[--tomador-comp COD] [--comp-inicio MM/AAAA] [--comp-fim MM/AAAA] [--ant-inss VALOR] [--ant-outras VALOR] "
         "[--ant-inss-rural VALOR] [--ant-outras-rural VALOR] [--ant-receitas VALOR] [--parc-fgts1 VALOR] "
         "[--parc-fgts2 VALOR] [--parc-fgts-total VALOR] [--cooperativas VALOR]] [--yes]",
         cmdSefip},
        {"grrf",
         "grrf --company C --branch B [--companies 1,2] [--collection-date DD/MM/AAAA] [--notice-date DD/MM/AAAA] "
         "[--withdrawal COD] [--responsible COD] [--pis-from PIS --pis-to PIS] [--previous-month] [--yes]",
         cmdGrrf},
    };
}

} // namespace folha::cli
