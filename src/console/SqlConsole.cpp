#include "SqlConsole.h"

#include "Fixed.h"

#include <cmath>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QSqlRecord>

namespace folha {

namespace {

const QString RefusedPrefix = QStringLiteral("Script não executado: ");

// The statement as the console reads it: the text up to its first ';'
// outside quotes and comments, whether anything but blanks and comments
// follows that ';', and the text without comments (for its first word).
struct ScannedStatement {
    QString text;        // what the engine receives
    QString significant; // the text without comments, trimmed
    bool several = false;
};

ScannedStatement Scan(const QString& statement) {
    ScannedStatement out;
    const int n = statement.size();
    int i = 0;
    int end = -1; // position of the first ';' outside quotes and comments
    QString significant;
    while (i < n) {
        const QChar c = statement[i];
        if (c == '-' && i + 1 < n && statement[i + 1] == '-') { // comment to the end of the line
            while (i < n && statement[i] != '\n')
                ++i;
            significant += ' ';
            continue;
        }
        if (c == '/' && i + 1 < n && statement[i + 1] == '*') { // block comment
            const int close = statement.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            significant += ' ';
            continue;
        }
        if (c == '\'' || c == '"' || c == '`' || c == '[') { // literal or quoted name
            const QChar closing = c == '[' ? QChar(']') : c;
            int j = i + 1;
            while (j < n) {
                if (statement[j] == closing) {
                    if (closing != ']' && j + 1 < n && statement[j + 1] == closing) { // doubled quote
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const int stop = std::min(j + 1, n);
            if (end < 0)
                significant += statement.mid(i, stop - i);
            else
                out.several = true;
            i = stop;
            continue;
        }
        if (c == ';') {
            if (end < 0) end = i;
            ++i;
            continue;
        }
        if (end >= 0) {
            if (!c.isSpace()) out.several = true;
        } else {
            significant += c;
        }
        ++i;
    }
    out.text = end < 0 ? statement : statement.left(end);
    out.significant = significant.trimmed();
    return out;
}

// The statement's first word, upper case ("SELECT", "PRAGMA").
QString FirstWord(const QString& significant) {
    int i = 0;
    while (i < significant.size() && (significant[i].isSpace() || significant[i] == '('))
        ++i;
    int j = i;
    while (j < significant.size() && (significant[j].isLetter() || significant[j] == '_'))
        ++j;
    return significant.mid(i, j - i).toUpper();
}

// The SQLite PRAGMAs that only read the catalogue or check the file: the
// others change how the connection works, which a console statement must not.
bool IsReadingPragma(const QString& significant) {
    static const QStringList reading = {
        QStringLiteral("TABLE_INFO"),       QStringLiteral("TABLE_XINFO"),     QStringLiteral("TABLE_LIST"),
        QStringLiteral("INDEX_LIST"),       QStringLiteral("INDEX_INFO"),      QStringLiteral("INDEX_XINFO"),
        QStringLiteral("FOREIGN_KEY_LIST"), QStringLiteral("INTEGRITY_CHECK"), QStringLiteral("QUICK_CHECK"),
        QStringLiteral("DATABASE_LIST"),    QStringLiteral("COMPILE_OPTIONS"),
    };
    if (significant.contains('=')) return false;
    QString rest =
        significant.mid(significant.indexOf(QLatin1String("pragma"), 0, Qt::CaseInsensitive) + 6).trimmed();
    int j = 0;
    while (j < rest.size() && (rest[j].isLetterOrNumber() || rest[j] == '_' || rest[j] == '.'))
        ++j;
    QString name = rest.left(j).toUpper();
    if (name.contains('.')) name = name.section('.', -1);
    return reading.contains(name);
}

// Statements the console never runs, in either mode: the ones that open or
// close transactions (the console keeps its own) or change the connection.
void RefuseConnectionStatements(const ScannedStatement& s, Backend backend) {
    static const QStringList transactionWords = {
        QStringLiteral("BEGIN"),    QStringLiteral("COMMIT"),    QStringLiteral("END"),
        QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"),
        QStringLiteral("START"),    QStringLiteral("ABORT"),
    };
    const QString word = FirstWord(s.significant);
    if (transactionWords.contains(word))
        throw UserError(RefusedPrefix +
                        QStringLiteral("o console controla a transação; não use %1.").arg(word));
    if (backend == Backend::SQLite) {
        if (word == QLatin1String("ATTACH") || word == QLatin1String("DETACH") ||
            word == QLatin1String("VACUUM"))
            throw UserError(RefusedPrefix + QStringLiteral("%1 não é aceito no console SQL.").arg(word));
        if (word == QLatin1String("PRAGMA") && !IsReadingPragma(s.significant))
            throw UserError(RefusedPrefix +
                            QStringLiteral("este PRAGMA altera a conexão e não é aceito no console SQL."));
    } else if (word == QLatin1String("SET") || word == QLatin1String("RESET") ||
               word == QLatin1String("DISCARD")) {
        throw UserError(RefusedPrefix +
                        QStringLiteral("%1 altera a conexão e não é aceito no console SQL.").arg(word));
    }
}

// The engine's error in Portuguese; a statement error also carries the
// engine's own words when the translation does not already hold them.
QString EngineErrorText(const QSqlError& error) {
    bool environment = false;
    const QString text = DatabaseErrorText(error, &environment);
    QString engine = error.databaseText().trimmed();
    if (engine.isEmpty()) engine = error.driverText().trimmed();
    if (environment || engine.isEmpty() || text.contains(engine)) return text;
    return text + QStringLiteral("\nMensagem do banco de dados: ") + engine;
}

bool IsReadOnlyRefusal(const QSqlError& error, Backend backend) {
    const QString native = error.nativeErrorCode();
    if (backend == Backend::PostgreSQL) return native == QLatin1String("25006");
    bool numeric = false;
    const int code = native.toInt(&numeric);
    return (numeric && (code & 0xff) == 8) ||
           error.databaseText().contains(QLatin1String("readonly database"), Qt::CaseInsensitive);
}

const QString ReadOnlyRefusal = QStringLiteral("Script não executado: o comando altera dados e o console "
                                               "está somente para leitura. Marque \"UPDATE\" para "
                                               "executar comandos que alteram a base.");

// The server folds unquoted names to lower case: a column is shown as the
// statement wrote it, else as the registry spells the field, else as it came.
QString ColumnAsTyped(const QString& name, const QString& statement) {
    // A name given with AS first ("NOME as Nome"), then the first mention.
    static const QRegularExpression alias(QStringLiteral("\\bas\\s+([A-Za-z_][A-Za-z0-9_$]*)"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (auto it = alias.globalMatch(statement); it.hasNext();) {
        const QString w = it.next().captured(1);
        if (w.compare(name, Qt::CaseInsensitive) == 0) return w;
    }
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_$]*"));
    for (auto it = word.globalMatch(statement); it.hasNext();) {
        const QString w = it.next().captured(0);
        if (w.compare(name, Qt::CaseInsensitive) == 0) return w;
    }
    static const QHash<QString, QString> fields = [] {
        QHash<QString, QString> h;
        for (Scope scope : {Scope::SignIn, Scope::CompanyList, Scope::Company, Scope::Shared})
            for (const TableDef* def : Registry::instance().tables(scope))
                for (const FieldDef& f : def->fields) h.insert(f.name.toLower(), f.name);
        return h;
    }();
    return fields.value(name.toLower(), name);
}

// Runs the statement's text and reads its result into `out`.
void RunStatement(QSqlDatabase& connection, const QString& text, bool update, Backend backend, int maxRows,
                  ConsoleResult& out) {
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    if (!q.exec(text)) {
        const QSqlError error = q.lastError();
        if (!update && IsReadOnlyRefusal(error, backend)) throw UserError(ReadOnlyRefusal);
        throw UserError(RefusedPrefix + EngineErrorText(error));
    }
    out.query = q.isSelect();
    if (out.query) {
        const QSqlRecord record = q.record();
        for (int i = 0; i < record.count(); ++i)
            out.columns << (backend == Backend::PostgreSQL ? ColumnAsTyped(record.fieldName(i), text) : record.fieldName(i));
        while (q.next()) {
            if (int(out.rows.size()) >= maxRows) {
                out.truncated = true;
                break;
            }
            QVariantList row;
            row.reserve(record.count());
            for (int i = 0; i < record.count(); ++i) {
                QVariant v = q.value(i);
                // The server's NUMERIC arrives as its decimal text ("1000.2500"):
                // shown as an amount, without the padding zeros.
                if (backend == Backend::PostgreSQL && record.field(i).metaType().id() == QMetaType::Double &&
                    v.typeId() == QMetaType::QString) {
                    if (const auto fx = Fixed::parse(v.toString())) v = fx->toString();
                }
                row << v;
            }
            out.rows.push_back(std::move(row));
        }
        if (q.lastError().isValid()) { // the rows stopped on an error
            const QSqlError error = q.lastError();
            if (!update && IsReadOnlyRefusal(error, backend)) throw UserError(ReadOnlyRefusal);
            throw UserError(RefusedPrefix + EngineErrorText(error));
        }
    } else {
        out.rowsAffected = q.numRowsAffected();
    }
    q.finish(); // a pending statement would hold the transaction open
}

// Runs a statement on a raw connection, for the console's own settings.
void Plain(QSqlDatabase& connection, const QString& statement) {
    QSqlQuery q(connection);
    if (!q.exec(statement)) throw UserError(RefusedPrefix + EngineErrorText(q.lastError()));
}

} // namespace

void SqlConsole::requireLevel(const QString& userLevel) {
    if (userLevel.trimmed() != QLatin1String("SUP"))
        throw UserError(
            QStringLiteral(
                "O console SQL é liberado somente para usuários de nível SUP; o usuário é de nível %1.")
                .arg(userLevel.trimmed().isEmpty() ? QStringLiteral("(nenhum)") : userLevel.trimmed()));
}

QStringList SqlConsole::tableNames() {
    QStringList names;
    if (db_.backend() == Backend::SQLite) {
        QSqlQuery q =
            db_.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                                    "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
        while (q.next())
            names << q.value(0).toString();
    } else {
        QSqlQuery q = db_.exec(
            QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = ?"),
            {db_.location().schemaName()});
        // The server keeps names in lower case: the registry's tables are
        // shown as it spells them.
        while (q.next()) {
            const QString name = q.value(0).toString();
            const TableDef* def = Registry::instance().table(name);
            names << (def && def->name.compare(name, Qt::CaseInsensitive) == 0 ? def->name : name);
        }
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

QStringList SqlConsole::fieldNames(const QString& table) {
    QStringList names;
    if (table.trimmed().isEmpty()) return names;
    if (db_.backend() == Backend::SQLite) {
        QSqlQuery q = db_.exec(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table.trimmed()});
        while (q.next())
            names << q.value(0).toString();
    } else {
        QSqlQuery q = db_.exec(QStringLiteral("SELECT column_name FROM information_schema.columns "
                                              "WHERE table_schema = ? AND lower(table_name) = lower(?)"),
                               {db_.location().schemaName(), table.trimmed()});
        const TableDef* def = Registry::instance().table(table.trimmed());
        while (q.next()) {
            const QString name = q.value(0).toString();
            const FieldDef* f = def ? def->field(name) : nullptr;
            names << (f ? f->name : name);
        }
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

ConsoleResult SqlConsole::run(const QString& statement, bool update, int maxRows) {
    const ScannedStatement scanned = Scan(statement);
    if (scanned.significant.isEmpty())
        throw UserError(QStringLiteral("Digite o comando SQL a ser executado."));
    if (scanned.several)
        throw UserError(RefusedPrefix +
                        QStringLiteral("execute um comando de cada vez (há texto depois do \";\")."));
    RefuseConnectionStatements(scanned, db_.backend());
    if (db_.inTransaction())
        throw UserError(RefusedPrefix + QStringLiteral("há uma gravação em andamento nesta base."));

    const QString text = db_.translate(scanned.text);
    QSqlDatabase& connection = db_.connection();
    const Backend backend = db_.backend();
    ConsoleResult result;
    maxRows = std::max(0, maxRows);
    if (!update) {
        // The database itself refuses any write: SQLite's query-only switch,
        // PostgreSQL's read-only transaction (always rolled back, which also
        // undoes a setting the statement made).
        if (backend == Backend::SQLite) {
            Plain(connection, QStringLiteral("PRAGMA query_only = ON"));
            try {
                RunStatement(connection, text, false, backend, maxRows, result);
            } catch (...) {
                QSqlQuery(connection).exec(QStringLiteral("PRAGMA query_only = OFF"));
                throw;
            }
            Plain(connection, QStringLiteral("PRAGMA query_only = OFF"));
        } else {
            Plain(connection, QStringLiteral("BEGIN READ ONLY"));
            try {
                RunStatement(connection, text, false, backend, maxRows, result);
            } catch (...) {
                QSqlQuery(connection).exec(QStringLiteral("ROLLBACK"));
                throw;
            }
            Plain(connection, QStringLiteral("ROLLBACK"));
        }
        return result;
    }

    // A data-changing statement: one transaction, undone when it fails.
    try {
        Transaction t(db_);
        RunStatement(connection, text, true, backend, maxRows, result);
        t.commit();
    } catch (const UserError& e) {
        db_.forgetSchema();
        if (backend == Backend::PostgreSQL) // a setting made by the statement goes
            QSqlQuery(connection)
                .exec(QStringLiteral("SET search_path TO %1").arg(db_.location().schemaName()));
        if (e.message().startsWith(RefusedPrefix)) throw;
        throw UserError(RefusedPrefix + e.message());
    }
    // Tables and indexes may have been created or dropped.
    db_.forgetSchema();
    if (backend == Backend::PostgreSQL)
        QSqlQuery(connection).exec(QStringLiteral("SET search_path TO %1").arg(db_.location().schemaName()));
    return result;
}

AuditEntry SqlConsole::auditOf(const QString& statement, const ConsoleResult& result) {
    QString text =
        result.query ? QStringLiteral("Console SQL: ")
                     : QStringLiteral("Console SQL, %1 registro(s): ").arg(std::max(0, result.rowsAffected));
    text += statement.simplified();
    return {QStringLiteral("E"), QString(), text.left(250)};
}

QString SqlConsole::cellText(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return {};
    if (value.typeId() == QMetaType::Double) {
        // Stored amounts carry four places at most; a value out of the
        // fixed-point range is shown as the engine gives it.
        const double d = value.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 9.0e14) return Fixed::fromDouble(d).toString();
        return QString::number(d, 'g', 17);
    }
    return value.toString();
}

} // namespace folha
