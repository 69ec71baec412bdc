// legal-tables: the installation's legal tables listed, written to the
// documented CSV and read back from it.
#include "Cli.h"
#include "LawRules.h"
#include "LegalTables.h"
#include "ReportOutput.h"
#include "TypedInput.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <map>
#include <set>

namespace folha::cli {

namespace {

using law::LegalRow;

// One bracket in the words of its kind's columns.
QString rowText(const LegalRow& r) {
    QStringList parts;
    const QString& k = r.kind;
    if (k == QLatin1String("INSS")) {
        parts << QStringLiteral("até %1").arg(MoneyText(r.limit)) << law::Percent(r.rate);
    } else if (k == QLatin1String("IRRF")) {
        parts << (r.limit.isZero() ? QStringLiteral("acima da anterior") : QStringLiteral("até %1").arg(MoneyText(r.limit)))
              << law::Percent(r.rate) << QStringLiteral("deduzir %1").arg(MoneyText(r.deduct));
    } else if (k == QLatin1String("IRRFREDUCAO")) {
        parts << QStringLiteral("até %1").arg(MoneyText(r.limit));
        if (!r.value.isZero() || !r.rate.isZero())
            parts << QStringLiteral("valor %1").arg(MoneyText(r.value)) << law::Percent(r.rate);
    } else if (k == QLatin1String("SALFAM")) {
        parts << QStringLiteral("remuneração até %1").arg(MoneyText(r.limit)) << QStringLiteral("cota %1").arg(MoneyText(r.value));
    } else if (k.startsWith(QLatin1String("FGTS"))) {
        parts << law::Percent(r.rate);
    } else {
        parts << QStringLiteral("valor %1").arg(MoneyText(r.value));
    }
    return QStringLiteral("faixa %1: %2").arg(r.bracket).arg(parts.join(QStringLiteral("; ")));
}

// The tables, grouped by kind and validity: a line for each table with its
// validity and source, and one for each of its rows.
int listTables(Context& c, const law::LegalTables& tables) {
    QString kind = c.args.value("--kind").trimmed().toUpper();
    if (c.args.has("--kind") && !law::IsLegalKind(kind)) {
        QStringList kinds;
        for (const auto& k : law::LegalKinds()) kinds << QLatin1String(k.code);
        throw CliError{QStringLiteral("Tipo de tabela desconhecido: %1 (use %2)").arg(c.args.value("--kind"), kinds.join(QStringLiteral(", ")))};
    }
    QString competence;
    if (c.args.has("--competence")) {
        const TypedPeriod p = Typed([&] { return TypedCompetence(c.args.value("--competence")); });
        competence = p.year + p.month;
    }
    int listed = 0;
    QString group;
    for (const auto& k : law::LegalKinds()) {
        const QString code = QLatin1String(k.code);
        if (!kind.isEmpty() && code != kind) continue;
        const std::vector<LegalRow> rows = competence.isEmpty() ? std::vector<LegalRow>() : tables.inForce(code, competence);
        bool heading = false;
        for (const LegalRow& r : competence.isEmpty() ? tables.rows() : rows) {
            if (r.kind != code) continue;
            if (!heading) {
                c.out << QStringLiteral("%1 — %2").arg(code, QString::fromUtf8(k.caption)) << Qt::endl;
                heading = true;
                group.clear();
            }
            if (group != r.start) {
                group = r.start;
                c.out << QStringLiteral("  %1 — %2").arg(law::ValidityPeriod(r), r.source) << Qt::endl;
            }
            c.out << QStringLiteral("    %1").arg(rowText(r)) << Qt::endl;
            ++listed;
        }
    }
    if (listed == 0) {
        QString what = kind.isEmpty() ? QStringLiteral("Nenhuma tabela legal") : QStringLiteral("Nenhuma tabela %1").arg(kind);
        if (!competence.isEmpty()) what += QStringLiteral(" em vigor em %1").arg(law::CompetenceText(competence));
        c.ui().message(MessageKind::Warning, what);
        return 1;
    }
    return 0;
}

int exportTables(Context& c, const law::LegalTables& tables) {
    const QString file = c.args.positional.value(1);
    CheckOutputPath(file);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(law::WriteLegalCsv(tables.rows()).toUtf8()) < 0 ||
        !f.flush())
        throw UserError(QStringLiteral("Não foi possível gravar %1: %2").arg(file, f.errorString()));
    f.close();
    std::set<std::pair<QString, QString>> groups;
    for (const LegalRow& r : tables.rows()) groups.insert({r.kind, r.start});
    c.out << QStringLiteral("%1 tabela(s), %2 linha(s) gravadas em %3").arg(groups.size()).arg(tables.rows().size()).arg(file)
          << Qt::endl;
    return 0;
}

// The file as text: UTF-8 (with or without the mark at its start), or
// Latin-1 as spreadsheets of the office save it.
QString readText(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Não foi possível ler %1: %2").arg(file, f.errorString()));
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

void refuse(Context& c, const QString& file, const QStringList& faults) {
    c.ui().message(MessageKind::Error, QStringLiteral("Tabelas legais de %1 não importadas; nada foi gravado:").arg(file));
    for (const QString& f : faults) fprintf(stderr, "  %s\n", f.toLocal8Bit().constData());
}

int importTables(Context& c, const law::LegalTables& stored) {
    const QString file = c.args.positional.value(1);
    c.requireSupervisor(QStringLiteral("Importar tabelas legais é"));
    if (!QFileInfo(file).isFile()) throw CliError{QStringLiteral("Arquivo não encontrado: %1").arg(file)};
    std::vector<LegalRow> added;
    law::LegalTables whole;
    try {
        added = law::ReadLegalCsv(readText(file));
        if (added.empty()) throw law::LegalTablesError({QStringLiteral("O arquivo não tem nenhuma linha de tabela.")});
        whole = stored.merged(added);
    } catch (const law::LegalTablesError& e) {
        refuse(c, file, e.faults());
        return 1;
    }

    // What the file brings: each table (kind and first competence) new or
    // in place of a stored one, and the open tables it closes.
    std::map<std::pair<QString, QString>, int> tablesIn;
    for (const LegalRow& r : added) ++tablesIn[{r.kind, r.start}];
    std::set<std::pair<QString, QString>> storedTables;
    for (const LegalRow& r : stored.rows()) storedTables.insert({r.kind, r.start});
    int newTables = 0, newRows = 0, replacedTables = 0, replacedRows = 0;
    for (const auto& [key, rows] : tablesIn) {
        if (storedTables.count(key)) {
            ++replacedTables;
            replacedRows += rows;
        } else {
            ++newTables;
            newRows += rows;
        }
    }
    QStringList closed;
    std::set<std::pair<QString, QString>> seen;
    for (const LegalRow& before : stored.rows()) {
        if (!before.end.isEmpty() || tablesIn.count({before.kind, before.start}) || !seen.insert({before.kind, before.start}).second)
            continue;
        for (const LegalRow& after : whole.rows())
            if (after.kind == before.kind && after.start == before.start && !after.end.isEmpty()) {
                closed << QStringLiteral("Tabela %1 de %2 encerrada em %3")
                              .arg(before.kind, law::CompetenceText(before.start), law::CompetenceText(after.end));
                break;
            }
    }

    law::StoreLegalTables(c.session().zorvan(), whole);
    c.session().loadLaw();
    const QString summary = QStringLiteral("%1 tabela(s) nova(s) (%2 linha(s)), %3 tabela(s) substituída(s) (%4 linha(s))")
                                .arg(newTables)
                                .arg(newRows)
                                .arg(replacedTables)
                                .arg(replacedRows);
    QString auditText = QStringLiteral("Tabelas legais importadas de %1: %2").arg(file, summary);
    if (!closed.isEmpty()) auditText += QStringLiteral("; ") + closed.join(QStringLiteral("; "));
    c.audit({QStringLiteral("E"), QStringLiteral("TabelasLegais"), auditText});
    c.out << QStringLiteral("Tabelas legais importadas: %1").arg(summary) << Qt::endl;
    for (const QString& line : closed) c.out << line << Qt::endl;
    return 0;
}

int cmdLegalTables(Context& c) {
    const QString action = c.args.positional.value(0);
    const bool list = action == QLatin1String("list");
    if (!list && action != QLatin1String("export") && action != QLatin1String("import"))
        throw CliError{action.isEmpty() ? QStringLiteral("Informe a ação: list, export ou import")
                                        : QStringLiteral("Ação desconhecida: %1 (use list, export ou import)").arg(action),
                       2, true};
    if (list && c.args.positional.size() > 1)
        throw CliError{QStringLiteral("Argumento inesperado: %1").arg(c.args.positional.at(1)), 2, true};
    if (!list) {
        if (c.args.positional.size() < 2) throw CliError{QStringLiteral("Informe o arquivo"), 2, true};
        for (const char* option : {"--kind", "--competence"})
            if (c.args.has(QLatin1String(option)))
                throw CliError{QStringLiteral("A opção %1 vale somente para legal-tables list").arg(QLatin1String(option)), 2, true};
    }
    const law::LegalTables tables = law::LoadLegalTables(c.session().zorvan());
    if (list) return listTables(c, tables);
    if (action == QLatin1String("export")) return exportTables(c, tables);
    return importTables(c, tables);
}

} // namespace

QList<Command> lawCommands() {
    return {
        {"legal-tables", "legal-tables \"list|export|import\" [\"ARQUIVO\"] [--kind K] [--competence MM/AAAA]", cmdLegalTables},
    };
}

} // namespace folha::cli
