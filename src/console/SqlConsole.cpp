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
// follows that ';', the text without comments (for the pragma's name) and
// its words in order, upper case, outside string literals (a quoted name
// counts as a word; "(" and ")" are kept as words of their own). The quotes
// are the engine's own: the server knows no `name` or [name] but has
// dollar-quoted strings and E'...' strings with backslash escapes, either of
// which may hold a ';'.
struct ScannedStatement {
    QString text;        // what the engine receives
    QString significant; // the text without comments, trimmed
    QStringList words;
    bool several = false;
};

// A dollar quote's opening tag at `i` ("$$", "$body$"), empty when none.
QString DollarTag(const QString& s, int i) {
    if (s[i] != '$') return {};
    int j = i + 1;
    if (j < s.size() && (s[j].isDigit())) return {}; // a parameter ($1)
    while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == '_'))
        ++j;
    if (j < s.size() && s[j] == '$') return s.mid(i, j - i + 1);
    return {};
}

ScannedStatement Scan(const QString& statement, Backend backend) {
    ScannedStatement out;
    const bool server = backend == Backend::PostgreSQL;
    const int n = statement.size();
    int i = 0;
    int end = -1; // position of the first ';' outside quotes and comments
    QString significant;
    QString word;
    auto endWord = [&] {
        if (!word.isEmpty() && end < 0) out.words << word.toUpper();
        word.clear();
    };
    while (i < n) {
        const QChar c = statement[i];
        if (c == '-' && i + 1 < n && statement[i + 1] == '-') { // comment to the end of the line
            endWord();
            while (i < n && statement[i] != '\n')
                ++i;
            significant += ' ';
            continue;
        }
        if (c == '/' && i + 1 < n && statement[i + 1] == '*') { // block comment
            endWord();
            const int close = statement.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            significant += ' ';
            continue;
        }
        const QString tag = server && word.isEmpty() ? DollarTag(statement, i) : QString();
        const bool quote = c == '\'' || c == '"' || (!server && (c == '`' || c == '['));
        if (!tag.isEmpty() || quote) { // literal or quoted name
            // The server's E'...' takes a backslash before a quote as part
            // of the text.
            const bool escapes = server && c == '\'' && word.compare(QLatin1String("E"), Qt::CaseInsensitive) == 0;
            endWord();
            int stop = 0;
            QString inside;
            if (!tag.isEmpty()) {
                const int close = statement.indexOf(tag, i + tag.size());
                stop = close < 0 ? n : close + int(tag.size());
                inside = statement.mid(i + tag.size(), std::max(0, (close < 0 ? n : close) - i - int(tag.size())));
            } else {
                const QChar closing = c == '[' ? QChar(']') : c;
                int j = i + 1;
                while (j < n) {
                    if (escapes && statement[j] == '\\') {
                        j += 2;
                        continue;
                    }
                    if (statement[j] == closing) {
                        if (closing != ']' && j + 1 < n && statement[j + 1] == closing) { // doubled quote
                            j += 2;
                            continue;
                        }
                        break;
                    }
                    ++j;
                }
                stop = std::min(j + 1, n);
                inside = statement.mid(i + 1, std::max(0, std::min(j, n) - i - 1));
            }
            if (end < 0) {
                significant += statement.mid(i, stop - i);
                // A quoted name, and the body of a dollar-quoted text (a
                // function's code), count as words; a plain literal does not.
                if (c != '\'') {
                    static const QRegularExpression words(QStringLiteral("[A-Za-z_][A-Za-z0-9_$]*|[()]"));
                    if (c == '"' || c == '`' || c == '[')
                        out.words << inside.toUpper();
                    else
                        for (auto it = words.globalMatch(inside); it.hasNext();) out.words << it.next().captured(0).toUpper();
                }
            } else {
                out.several = true;
            }
            i = stop;
            continue;
        }
        if (c == ';') {
            endWord();
            if (end < 0) end = i;
            ++i;
            continue;
        }
        if (end >= 0) {
            if (!c.isSpace()) out.several = true;
        } else {
            significant += c;
            if (c.isLetterOrNumber() || c == '_' || (c == '$' && !word.isEmpty())) {
                word += c;
            } else {
                endWord();
                if (c == '(' || c == ')') out.words << QString(c);
            }
        }
        ++i;
    }
    endWord();
    out.text = end < 0 ? statement : statement.left(end);
    out.significant = significant.trimmed();
    return out;
}

// The word that says what the statement does ("SELECT", "PRAGMA"): the first
// one after opening parentheses and after an EXPLAIN with its options, since
// the engine prepares (and SQLite applies a flag PRAGMA while preparing) the
// statement that EXPLAIN shows.
int LeadingWordIndex(const QStringList& words) {
    int i = 0;
    while (i < words.size() && words[i] == QLatin1String("("))
        ++i;
    if (i < words.size() && words[i] == QLatin1String("EXPLAIN")) {
        ++i;
        if (i < words.size() && words[i] == QLatin1String("(")) { // EXPLAIN (ANALYZE, ...)
            int depth = 0;
            for (; i < words.size(); ++i) {
                if (words[i] == QLatin1String("(")) ++depth;
                if (words[i] == QLatin1String(")") && --depth == 0) {
                    ++i;
                    break;
                }
            }
        }
        static const QStringList options = {QStringLiteral("QUERY"), QStringLiteral("PLAN"), QStringLiteral("ANALYZE"),
                                            QStringLiteral("ANALYSE"), QStringLiteral("VERBOSE")};
        while (i < words.size() && options.contains(words[i]))
            ++i;
        while (i < words.size() && words[i] == QLatin1String("("))
            ++i;
    }
    return i;
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
    static const QRegularExpression pragma(QStringLiteral("\\bpragma\\b"), QRegularExpression::CaseInsensitiveOption);
    const auto m = pragma.match(significant);
    if (!m.hasMatch()) return false;
    QString rest = significant.mid(m.capturedEnd()).trimmed();
    int j = 0;
    while (j < rest.size() && (rest[j].isLetterOrNumber() || rest[j] == '_' || rest[j] == '.'))
        ++j;
    QString name = rest.left(j).toUpper();
    if (name.contains('.')) name = name.section('.', -1);
    return reading.contains(name);
}

// Functions that reach the files or the processes of the machine, load code,
// or change the connection's settings, on each engine.
const QStringList& RefusedFunctions(Backend backend) {
    static const QStringList sqlite = {QStringLiteral("LOAD_EXTENSION"), QStringLiteral("FTS3_TOKENIZER"),
                                       QStringLiteral("READFILE"), QStringLiteral("WRITEFILE"), QStringLiteral("EDIT")};
    static const QStringList server = {
        QStringLiteral("SET_CONFIG"),         QStringLiteral("PG_READ_FILE"),        QStringLiteral("PG_READ_BINARY_FILE"),
        QStringLiteral("PG_LS_DIR"),          QStringLiteral("PG_STAT_FILE"),        QStringLiteral("PG_FILE_WRITE"),
        QStringLiteral("LO_IMPORT"),          QStringLiteral("LO_EXPORT"),           QStringLiteral("PG_TERMINATE_BACKEND"),
        QStringLiteral("PG_CANCEL_BACKEND"),  QStringLiteral("PG_RELOAD_CONF"),      QStringLiteral("PG_ROTATE_LOGFILE"),
        QStringLiteral("DBLINK"),             QStringLiteral("DBLINK_EXEC"),         QStringLiteral("PG_ADVISORY_LOCK"),
    };
    return backend == Backend::SQLite ? sqlite : server;
}

// Statements the console never runs, in either mode: the ones that open or
// close transactions (the console keeps its own), change the connection
// (settings, attached files) or reach outside the database.
void RefuseConnectionStatements(const ScannedStatement& s, Backend backend) {
    static const QStringList transactionWords = {
        QStringLiteral("BEGIN"),    QStringLiteral("COMMIT"),    QStringLiteral("END"),
        QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"),
        QStringLiteral("START"),    QStringLiteral("ABORT"),
    };
    static const QStringList serverWords = {
        QStringLiteral("SET"),     QStringLiteral("RESET"),      QStringLiteral("DISCARD"), QStringLiteral("COPY"),
        QStringLiteral("DO"),      QStringLiteral("CALL"),       QStringLiteral("PREPARE"), QStringLiteral("EXECUTE"),
        QStringLiteral("DEALLOCATE"), QStringLiteral("LISTEN"),  QStringLiteral("UNLISTEN"), QStringLiteral("NOTIFY"),
        QStringLiteral("LOAD"),    QStringLiteral("CHECKPOINT"), QStringLiteral("VACUUM"),  QStringLiteral("ALTER"),
    };
    const QStringList& w = s.words;
    const int lead = LeadingWordIndex(w);
    const QString word = lead < w.size() ? w[lead] : QString();
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
    } else if (serverWords.contains(word) &&
               (word != QLatin1String("ALTER") || (lead + 1 < w.size() && w[lead + 1] == QLatin1String("SYSTEM")))) {
        throw UserError(RefusedPrefix +
                        QStringLiteral("%1 altera a conexão ou o servidor e não é aceito no console SQL.").arg(word));
    }
    const QStringList& functions = RefusedFunctions(backend);
    for (int i = 0; i + 1 < w.size(); ++i)
        if (w[i + 1] == QLatin1String("(") && functions.contains(w[i]))
            throw UserError(RefusedPrefix + QStringLiteral("a função %1 não é aceita no console SQL.").arg(w[i].toLower()));
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

// A query's cell as the console passes it on: the server's NUMERIC arrives
// as its decimal text ("1000.2500") and is shown as an amount, without the
// padding zeros.
QVariant CellOf(const QSqlQuery& q, const QSqlRecord& record, int i, Backend backend) {
    QVariant v = q.value(i);
    if (backend == Backend::PostgreSQL && record.field(i).metaType().id() == QMetaType::Double &&
        v.typeId() == QMetaType::QString) {
        if (const auto fx = Fixed::parse(v.toString())) v = fx->toString();
    }
    return v;
}

void ThrowEngineError(const QSqlError& error, bool update, Backend backend) {
    if (!update && IsReadOnlyRefusal(error, backend)) throw UserError(ReadOnlyRefusal);
    throw UserError(RefusedPrefix + EngineErrorText(error));
}

// Whether the server may read the statement's rows through a cursor, a
// batch at a time: a query without data-changing parts.
bool ReadsThroughCursor(const ScannedStatement& s, Backend backend) {
    if (backend != Backend::PostgreSQL) return false;
    const int lead = LeadingWordIndex(s.words);
    if (lead != 0 || s.words.isEmpty()) return false; // EXPLAIN and "(SELECT ...)" run as they are
    const QString word = s.words.first();
    if (word == QLatin1String("SELECT") || word == QLatin1String("VALUES") || word == QLatin1String("TABLE"))
        return !s.words.contains(QLatin1String("INTO"));
    if (word != QLatin1String("WITH")) return false;
    for (const char* change : {"INSERT", "UPDATE", "DELETE", "MERGE"})
        if (s.words.contains(QLatin1String(change))) return false;
    return true;
}

const QString CursorName = QStringLiteral("folha_console");
const int CursorBatch = 500;

// Runs the statement's text, hands a result's columns and then its rows, one
// at a time, to `sink` until it asks to stop, and fills `out`. SQLite steps
// through the rows as the engine makes them; the server reads them through a
// cursor, so neither side holds more than a batch, and stopping early leaves
// nothing running.
void RunStatement(QSqlDatabase& connection, const QString& text, bool update, Backend backend, bool cursor,
                  const ConsoleSink& sink, ConsoleResult& out) {
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    auto readRows = [&](QSqlQuery& from, bool& stopped) -> int {
        const QSqlRecord record = from.record();
        int read = 0;
        while (!stopped && from.next()) {
            ++read;
            QVariantList row;
            row.reserve(record.count());
            for (int i = 0; i < record.count(); ++i) row << CellOf(from, record, i, backend);
            if (!sink.row(row)) stopped = true;
        }
        if (from.lastError().isValid()) ThrowEngineError(from.lastError(), update, backend); // the rows stopped on an error
        return read;
    };
    auto giveColumns = [&](const QSqlRecord& record) {
        for (int i = 0; i < record.count(); ++i)
            out.columns << (backend == Backend::PostgreSQL ? ColumnAsTyped(record.fieldName(i), text) : record.fieldName(i));
        if (sink.columns) sink.columns(out.columns);
    };
    if (cursor) {
        if (!q.exec(QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(CursorName) + text))
            ThrowEngineError(q.lastError(), update, backend);
        out.query = true;
        bool stopped = false;
        bool first = true;
        for (;;) {
            QSqlQuery batch(connection);
            batch.setForwardOnly(true);
            if (!batch.exec(QStringLiteral("FETCH FORWARD %1 FROM %2").arg(CursorBatch).arg(CursorName)))
                ThrowEngineError(batch.lastError(), update, backend);
            if (first) giveColumns(batch.record());
            first = false;
            const int read = readRows(batch, stopped);
            batch.finish();
            if (stopped || read < CursorBatch) break;
        }
        out.truncated = stopped;
        if (!q.exec(QStringLiteral("CLOSE %1").arg(CursorName))) ThrowEngineError(q.lastError(), update, backend);
        q.finish();
        return;
    }
    if (!q.exec(text)) ThrowEngineError(q.lastError(), update, backend);
    out.query = q.isSelect();
    if (out.query) {
        giveColumns(q.record());
        bool stopped = false;
        readRows(q, stopped);
        out.truncated = stopped;
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
    ConsoleResult result;
    maxRows = std::max(0, maxRows);
    std::vector<QVariantList> rows;
    bool over = false;
    ConsoleSink sink;
    sink.row = [&](const QVariantList& row) {
        if (int(rows.size()) >= maxRows) {
            over = true;
            return false;
        }
        rows.push_back(row);
        return true;
    };
    result = run(statement, update, sink);
    result.rows = std::move(rows);
    result.truncated = over;
    return result;
}

ConsoleResult SqlConsole::run(const QString& statement, bool update, const ConsoleSink& sink) {
    const ScannedStatement scanned = Scan(statement, db_.backend());
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
    const bool cursor = ReadsThroughCursor(scanned, backend);
    ConsoleResult result;
    if (!update) {
        // The database itself refuses any write: SQLite's query-only switch,
        // PostgreSQL's read-only transaction (always rolled back, which also
        // undoes a setting the statement made).
        if (backend == Backend::SQLite) {
            Plain(connection, QStringLiteral("PRAGMA query_only = ON"));
            try {
                RunStatement(connection, text, false, backend, cursor, sink, result);
            } catch (...) {
                QSqlQuery(connection).exec(QStringLiteral("PRAGMA query_only = OFF"));
                throw;
            }
            Plain(connection, QStringLiteral("PRAGMA query_only = OFF"));
        } else {
            Plain(connection, QStringLiteral("BEGIN READ ONLY"));
            try {
                RunStatement(connection, text, false, backend, cursor, sink, result);
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
        RunStatement(connection, text, true, backend, cursor, sink, result);
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
