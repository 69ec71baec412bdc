#include "ImportParadox.h"

#include "InstallationCopy.h"

#include "ParadoxFile.h"
#include "Passwords.h"
#include "Table.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <climits>
#include <map>
#include <optional>

namespace folha::legacy {

Database* ImportTargets::of(Scope scope) const {
    switch (scope) {
    case Scope::Company: return company;
    case Scope::SignIn: return signIn;
    case Scope::CompanyList: return companyList;
    case Scope::Shared: return shared;
    }
    return nullptr;
}

qint64 ImportResult::totalRead() const {
    qint64 n = 0;
    for (const auto& t : tables) n += t.read;
    return n;
}
qint64 ImportResult::totalImported() const {
    qint64 n = 0;
    for (const auto& t : tables) n += t.imported;
    return n;
}
qint64 ImportResult::totalRefused() const {
    qint64 n = 0;
    for (const auto& t : tables) n += t.refused;
    return n;
}
int ImportResult::failedFiles() const {
    int n = 0;
    for (const auto& t : tables) n += t.error.isEmpty() ? 0 : 1;
    return n;
}

std::vector<const TableDef*> ImportableTables(ImportMode mode) {
    std::vector<const TableDef*> list;
    for (const TableDef& def : Registry::instance().all()) {
        // Rows held for editing and the audit log template are the
        // system's own bookkeeping, never an office's data.
        // So are the sign-in's own records (failed sign-ins, held users,
        // whether the installation ever had users), which no legacy table
        // holds and an import must never reset.
        static const QStringList own{QStringLiteral("TRAVAS"), QStringLiteral("LogSys"),
                                     QStringLiteral("ControleAcesso"), QStringLiteral("AcessosNegados"),
                                     QStringLiteral("SituacaoAcesso")};
        if (own.contains(def.name)) continue;
        const bool company = def.scope == Scope::Company;
        if ((mode == ImportMode::Company) == company) list.push_back(&def);
    }
    return list;
}

namespace {

QString modeText(ImportMode mode) {
    return mode == ImportMode::Company ? QStringLiteral("da empresa") : QStringLiteral("da instalação");
}

// A value of the file as the registry's field takes it.
QVariant forField(const FieldDef& f, const QVariant& v) {
    if (v.isNull()) return v;
    const int t = v.typeId();
    if (t == qMetaTypeId<Fixed>()) {
        if (f.type == FieldType::Number || f.type == FieldType::ShortInt || f.type == FieldType::LongInt ||
            f.type == FieldType::AutoInc)
            return v;
        return v.value<Fixed>().toString();
    }
    if (t == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        if (f.type == FieldType::Time) return dt.time();
        if (f.type == FieldType::Date) return dt.date();
        return dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    if (t == QMetaType::QDate && f.type == FieldType::Text) return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    if (t == QMetaType::QTime && f.type == FieldType::Text) return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    if (t == QMetaType::Bool && f.type == FieldType::Text) return v.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    return v;
}

QString keyOf(const Record& r, const QStringList& fields) {
    QStringList parts;
    for (const QString& name : fields) {
        const QVariant v = r.rawValue(r.def().fieldIndex(name));
        if (v.typeId() == qMetaTypeId<Fixed>())
            parts << QString::number(v.value<Fixed>().raw());
        else
            parts << v.toString();
    }
    return parts.join(QChar(0x1f));
}

struct FoundFile {
    const TableDef* def = nullptr;
    QString path;
    QString name;
    std::unique_ptr<ParadoxReader> reader;
    QString error;
};

} // namespace

ImportResult ImportParadox(const ImportTargets& targets, const ImportOptions& options, UserInterface& ui) {
    ImportResult result;
    result.dryRun = options.dryRun;
    const QDir dir(options.directory);
    if (options.directory.isEmpty() || !dir.exists())
        throw UserError(QStringLiteral("Pasta não encontrada: %1").arg(options.directory));

    const std::vector<const TableDef*> wanted = ImportableTables(options.mode);
    std::map<const TableDef*, FoundFile> found;
    const QStringList entries = dir.entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        if (QFileInfo(entry).suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) != 0) continue;
        const TableDef* def = Registry::instance().table(entry);
        if (!def) {
            result.skipped << QStringLiteral("%1: tabela desconhecida, não importada").arg(entry);
            continue;
        }
        if (std::find(wanted.begin(), wanted.end(), def) == wanted.end() || !targets.of(def->scope)) {
            result.skipped << QStringLiteral("%1: não faz parte dos dados %2, não importada").arg(entry, modeText(options.mode));
            continue;
        }
        if (found.count(def)) {
            result.skipped << QStringLiteral("%1: a tabela %2 já foi lida de %3").arg(entry, def->name, found[def].name);
            continue;
        }
        FoundFile& f = found[def];
        f.def = def;
        f.name = entry;
        f.path = dir.filePath(entry);
    }
    if (found.empty())
        throw UserError(QStringLiteral("Nenhuma tabela Paradox %1 encontrada em %2").arg(modeText(options.mode), options.directory));

    // Nothing is overwritten unless asked; a dry run says so as the import
    // would.
    if (!options.replace) {
        QStringList holding;
        for (auto& [def, f] : found) {
            Database& db = *targets.of(def->scope);
            if (!db.hasTable(def->name)) continue;
            const qint64 rows = Table(db, *def).count();
            if (rows > 0) holding << QStringLiteral("%1 (%2 linhas)").arg(def->name).arg(rows);
        }
        if (!holding.isEmpty())
            throw UserError(QStringLiteral("O destino já tem dados nas tabelas %1. Nada foi importado; para substituí-los, "
                                           "importe com a opção de substituir os dados (--replace).")
                                .arg(holding.join(QStringLiteral(", "))));
    }

    qint64 totalRows = 0;
    for (auto& [def, f] : found) {
        try {
            f.reader = std::make_unique<ParadoxReader>(f.path);
            totalRows += f.reader->rowCount();
        } catch (const ParadoxError& e) {
            f.error = e.message();
        }
    }
    const QString supervisor = QStringLiteral("SUP");

    UiRun run(ui, QStringLiteral("Importar Dados (Paradox)"));
    ui.progressStart(QStringLiteral("Importando tabelas Paradox..."), int(std::min<qint64>(totalRows, INT_MAX)));
    qint64 done = 0;
    // In the registry's order: the registers before the rows that name them.
    for (const TableDef* def : wanted) {
        auto it = found.find(def);
        if (it == found.end()) continue;
        FoundFile& f = it->second;
        TableImport report;
        report.table = def->name;
        report.file = f.name;
        if (!f.reader) {
            report.error = f.error;
            ui.log(QStringLiteral("%1: %2").arg(f.name, f.error));
            result.tables << report;
            continue;
        }
        ParadoxReader& reader = *f.reader;
        for (const QString& m : reader.libraryMessages()) {
            report.notes << QStringLiteral("pxlib: %1").arg(m);
            ui.log(QStringLiteral("%1: pxlib: %2").arg(f.name, m));
        }
        // Columns to fields by name; the others are reported once.
        QList<int> fieldOf;
        for (const ParadoxField& pf : reader.fields()) {
            const int index = def->fieldIndex(pf.name);
            if (index < 0) {
                ui.log(QStringLiteral("%1: o campo %2 não existe na tabela %3 e não foi importado").arg(f.name, pf.name, def->name));
            } else if (pf.type == ParadoxType::Other) {
                ui.log(QStringLiteral("%1: o campo %2 é de um tipo não suportado e não foi importado").arg(f.name, pf.name));
                fieldOf << -1;
                continue;
            }
            fieldOf << index;
        }
        Database& db = *targets.of(def->scope);
        Table table(db, *def);
        const bool userTable = def->name == QLatin1String("Usuarios");
        const int passwordField = userTable ? def->fieldIndex(QStringLiteral("Senha")) : -1;
        QList<RefusedRow> refusals;
        QHash<QString, int> keys;
        std::vector<std::pair<const IndexDef*, QHash<QString, int>>> uniques;
        for (const IndexDef& index : def->indexes)
            if (index.unique) uniques.push_back({&index, {}});
        bool failed = false;
        const bool savepoints = db.backend() == Backend::PostgreSQL;
        try {
            // A dry run does all the import does, inserts included, and
            // rolls back: its counts are the import's.
            std::optional<Transaction> tx;
            tx.emplace(db);
            db.ensureTable(*def);
            qint64 before = 0;
            if (options.replace) {
                before = table.count();
                db.execWrite(QStringLiteral("DELETE FROM %1").arg(def->name));
            }
            for (int n = 0; n < reader.rowCount(); ++n) {
                if ((n & 255) == 0) {
                    ui.progressStep(int(std::min<qint64>(done, INT_MAX)));
                    if (ui.cancelRequested()) {
                        result.cancelled = true;
                        break;
                    }
                }
                ++done;
                QList<UnreadableValue> unreadable;
                const QVariantList values = reader.row(n, &unreadable);
                ++report.read;
                Record rec(*def);
                QList<RefusedRow> rowRefusals;
                for (const UnreadableValue& u : unreadable)
                    if (u.field < fieldOf.size() && fieldOf[u.field] >= 0)
                        rowRefusals << RefusedRow{def->name, n + 1, def->fields[size_t(fieldOf[u.field])].name, u.reason};
                for (int c = 0; c < values.size() && c < fieldOf.size(); ++c) {
                    if (fieldOf[c] < 0) continue;
                    const FieldDef& fd = def->fields[size_t(fieldOf[c])];
                    if (std::any_of(unreadable.begin(), unreadable.end(), [&](const UnreadableValue& u) { return u.field == c; }))
                        continue;
                    try {
                        rec.set(fd.name, forField(fd, values[c]));
                    } catch (const DbError& e) {
                        rowRefusals << RefusedRow{def->name, n + 1, fd.name, e.message()};
                    } catch (const FixedRangeError& e) {
                        rowRefusals << RefusedRow{def->name, n + 1, fd.name, QString::fromStdString(e.what())};
                    }
                }
                if (rowRefusals.isEmpty()) {
                    for (size_t i = 0; i < def->fields.size(); ++i) {
                        const FieldDef& fd = def->fields[i];
                        if (fd.required && fd.type != FieldType::AutoInc && rec.rawValue(int(i)).isNull())
                            rowRefusals << RefusedRow{def->name, n + 1, fd.name, QStringLiteral("campo obrigatório vazio")};
                    }
                }
                if (rowRefusals.isEmpty() && !def->primaryKey.isEmpty()) {
                    const QString key = keyOf(rec, def->primaryKey);
                    if (keys.contains(key))
                        rowRefusals << RefusedRow{def->name, n + 1, def->primaryKey.join(QStringLiteral(", ")),
                                                  QStringLiteral("chave duplicada (%1): já importada da linha %2")
                                                      .arg(rec.keyText())
                                                      .arg(keys.value(key))};
                }
                if (rowRefusals.isEmpty()) {
                    for (auto& [index, seen] : uniques) {
                        const QString key = keyOf(rec, index->fields);
                        if (seen.contains(key))
                            rowRefusals << RefusedRow{def->name, n + 1, index->fields.join(QStringLiteral(", ")),
                                                      QStringLiteral("valor repetido no índice único %1: já importado da linha %2")
                                                          .arg(index->name)
                                                          .arg(seen.value(key))};
                    }
                }
                if (rowRefusals.isEmpty() && passwordField >= 0) {
                    const QString stored = rec.rawValue(passwordField).toString();
                    if (!stored.isEmpty() && !IsPasswordHash(stored)) rec.set(QStringLiteral("Senha"), HashPassword(stored));
                }
                if (rowRefusals.isEmpty()) {
                    // On PostgreSQL a failed statement spoils the whole
                    // transaction; a savepoint per row keeps the rows before.
                    if (savepoints) db.exec(QStringLiteral("SAVEPOINT importa_linha"));
                    try {
                        table.insert(rec);
                        if (savepoints) db.exec(QStringLiteral("RELEASE SAVEPOINT importa_linha"));
                    } catch (const DbError& e) {
                        if (savepoints) db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT importa_linha"));
                        rowRefusals << RefusedRow{def->name, n + 1, QString(), e.message()};
                    }
                }
                if (!rowRefusals.isEmpty()) {
                    ++report.refused;
                    refusals += rowRefusals;
                    continue;
                }
                if (!def->primaryKey.isEmpty()) keys.insert(keyOf(rec, def->primaryKey), n + 1);
                for (auto& [index, seen] : uniques) seen.insert(keyOf(rec, index->fields), n + 1);
                ++report.imported;
            }
            if (result.cancelled) {
                tx.reset(); // rolled back: the table stays as it was
                report.imported = 0;
                report.error = QStringLiteral("importação interrompida pelo usuário; nada desta tabela foi gravado");
                result.tables << report;
                break;
            }
            if (options.replace && report.imported == 0 && before > 0) {
                // A replace by nothing would only empty the table.
                tx.reset();
                report.notes << QStringLiteral("nenhuma linha importada; as linhas existentes (%1) foram mantidas").arg(before);
            } else if (userTable && table.count(QStringLiteral("Nivel = ?"), {supervisor}) == 0) {
                // Nobody could run the installation's supervisor jobs.
                tx.reset();
                report.imported = 0;
                report.error = QStringLiteral("nenhum usuário de nível \"SUP\" (supervisor) ficaria na tabela de usuários; "
                                              "nada desta tabela foi importado%1")
                                   .arg(before > 0 ? QStringLiteral(" e os usuários existentes foram mantidos") : QString());
            } else if (options.dryRun) {
                tx.reset();
            } else {
                AdvanceCounters(db, *def); // numbers given after the import go on from the imported ones
                tx->commit();
            }
            if (!report.error.isEmpty()) ui.log(QStringLiteral("%1: %2").arg(f.name, report.error));
            for (const QString& note : report.notes)
                if (!note.startsWith(QLatin1String("pxlib: "))) ui.log(QStringLiteral("%1: %2").arg(f.name, note));
        } catch (const ParadoxError& e) {
            failed = true;
            report.error = e.message();
        } catch (const DbError& e) {
            failed = true;
            report.error = e.message();
        }
        if (failed) {
            // Nothing of a file that cannot be read whole.
            report.imported = 0;
            report.refused = 0;
            refusals.clear();
            ui.log(QStringLiteral("%1: %2").arg(f.name, report.error));
        }
        for (const RefusedRow& r : refusals)
            ui.log(QStringLiteral("%1, linha %2%3: %4")
                       .arg(r.table)
                       .arg(r.row)
                       .arg(r.field.isEmpty() ? QString() : QStringLiteral(", campo ") + r.field, r.reason));
        result.refusals += refusals;
        result.tables << report;
    }
    ui.progressStep(int(std::min<qint64>(done, INT_MAX)));
    ui.progressEnd();
    return result;
}

QString ImportSummaryText(const ImportResult& result) {
    QStringList lines;
    if (result.dryRun) lines << QStringLiteral("Simulação: nenhum dado foi gravado.");
    lines << QStringLiteral("%1 %2 %3 %4").arg(QStringLiteral("Tabela"), -20).arg(QStringLiteral("Lidas"), 10).arg(QStringLiteral("Importadas"), 11).arg(QStringLiteral("Recusadas"), 10);
    for (const TableImport& t : result.tables) {
        QString line = QStringLiteral("%1 %2 %3 %4").arg(t.table, -20).arg(t.read, 10).arg(t.imported, 11).arg(t.refused, 10);
        if (!t.error.isEmpty()) line += QStringLiteral("  ERRO: ") + t.error;
        lines << line;
        for (const QString& note : t.notes) lines << QStringLiteral("    %1: %2").arg(t.file, note);
    }
    lines << QStringLiteral("%1 %2 %3 %4")
                 .arg(QStringLiteral("Total"), -20)
                 .arg(result.totalRead(), 10)
                 .arg(result.totalImported(), 11)
                 .arg(result.totalRefused(), 10);
    if (!result.skipped.isEmpty()) {
        lines << QStringLiteral("Arquivos não importados:");
        for (const QString& s : result.skipped) lines << QStringLiteral("  ") + s;
    }
    if (result.cancelled) lines << QStringLiteral("Importação interrompida pelo usuário.");
    return lines.join(QLatin1Char('\n'));
}

} // namespace folha::legacy
