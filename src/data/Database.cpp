#include "Database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

namespace folha {

namespace {

QAtomicInt connectionCounter;

QString engineMessage(const QSqlError& e) { return DatabaseErrorText(e); }

// The error of a statement: the statement follows the message when the
// failure lies in the statement (not in the database or the disk).
DbError statementError(const QSqlError& e, const QString& statement) {
    bool environment = false;
    const QString text = DatabaseErrorText(e, &environment);
    return DbError(environment ? text : text + QStringLiteral("\n") + statement);
}

bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == '_' || c == '$'; }

} // namespace

QString DatabaseErrorText(const QSqlError& e, bool* environment) {
    if (environment) *environment = true;
    QString text = e.databaseText().trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("not an error"), Qt::CaseInsensitive) == 0)
        text = e.driverText().trimmed();
    const QString native = e.nativeErrorCode();
    bool numeric = false;
    const int code = native.toInt(&numeric) & 0xff; // SQLite's primary result code
    const bool sqlstate = native.size() == 5;      // the server's SQLSTATE
    if (sqlstate) numeric = false;
    const QString lower = text.toLower();
    auto after = [&](const QString& marker) {
        const int at = lower.indexOf(marker);
        return at < 0 ? QString() : text.mid(at + marker.size()).trimmed();
    };
    // SQLite result codes and PostgreSQL SQLSTATEs of the failures a user can
    // meet: another workstation holding the data, a read-only folder, a full
    // disk, a damaged file, a wrong statement.
    if ((numeric && (code == 5 || code == 6)) || native == QLatin1String("55P03") || native == QLatin1String("40P01") ||
        lower.contains(QLatin1String("database is locked")) || lower.contains(QLatin1String("database table is locked")))
        return QStringLiteral("A base de dados está em uso por outra estação; aguarde alguns instantes e tente novamente.");
    if ((numeric && code == 8) || native == QLatin1String("25006") || lower.contains(QLatin1String("readonly database")))
        return QStringLiteral("A base de dados está somente para leitura: verifique as permissões da pasta de dados.");
    if ((numeric && code == 13) || native == QLatin1String("53100") || lower.contains(QLatin1String("disk is full")))
        return QStringLiteral("Disco cheio: não há espaço para gravar na base de dados.");
    if ((numeric && (code == 11 || code == 26)) || lower.contains(QLatin1String("malformed")) ||
        lower.contains(QLatin1String("file is not a database")))
        return QStringLiteral("A base de dados está danificada ou não é uma base do sistema.");
    if ((numeric && code == 14) || lower.contains(QLatin1String("unable to open database")))
        return QStringLiteral("Não foi possível abrir a base de dados: verifique a pasta de dados e suas permissões.");
    if (numeric && code == 10) return QStringLiteral("Erro de leitura ou gravação no disco da base de dados.");
    if (environment) *environment = false;
    if (sqlstate) {
        // The server's messages name tables and fields in lower case and in
        // quotes: told the way SQLite tells them, with the registry's names.
        auto quoted = [&](const QString& before) {
            const QRegularExpression re(before + QStringLiteral("\\s*\"([^\"]+)\""));
            return re.match(text).captured(1);
        };
        auto tableName = [](QString t) {
            const TableDef* def = Registry::instance().table(t);
            return def ? def->name : t.toUpper();
        };
        if (native == QLatin1String("23505")) {
            QString table = quoted(QStringLiteral("constraint"));
            table = table.section(QStringLiteral("__"), 0, 0);
            if (table.endsWith(QLatin1String("_pkey"))) table.chop(5);
            const QString fields = QRegularExpression(QStringLiteral("Key \\(([^)]*)\\)=")).match(text).captured(1);
            QStringList names;
            for (const QString& f : fields.split(',', Qt::SkipEmptyParts))
                names << tableName(table) + '.' + f.trimmed().toUpper();
            return QStringLiteral("Registro já cadastrado com a mesma chave %1").arg(names.join(QStringLiteral(", "))).trimmed();
        }
        if (native == QLatin1String("23502"))
            return QStringLiteral("Campo obrigatório não preenchido %1.%2")
                .arg(tableName(quoted(QStringLiteral("relation"))), quoted(QStringLiteral("column")).toUpper());
        if (native == QLatin1String("42P01"))
            return QStringLiteral("Tabela não encontrada: %1").arg(quoted(QStringLiteral("relation")));
        if (native == QLatin1String("42703"))
            return QStringLiteral("Campo não encontrado: %1").arg(quoted(QStringLiteral("column")));
        if (native == QLatin1String("42601")) {
            const QString near = quoted(QStringLiteral("at or near"));
            if (!near.isEmpty()) return QStringLiteral("Erro de sintaxe no comando SQL, perto de \"%1\"").arg(near);
            return QStringLiteral("Erro de sintaxe no comando SQL");
        }
    }
    if (lower.contains(QLatin1String("unique constraint failed")) || native == QLatin1String("23505"))
        return QStringLiteral("Registro já cadastrado com a mesma chave %1").arg(after(QStringLiteral("failed:"))).trimmed();
    if (lower.contains(QLatin1String("not null constraint failed")) || native == QLatin1String("23502"))
        return QStringLiteral("Campo obrigatório não preenchido %1").arg(after(QStringLiteral("failed:"))).trimmed();
    if (lower.startsWith(QLatin1String("no such table:")) || native == QLatin1String("42P01"))
        return QStringLiteral("Tabela não encontrada: %1").arg(after(QStringLiteral("table:")));
    if (lower.startsWith(QLatin1String("no such column:")) || native == QLatin1String("42703"))
        return QStringLiteral("Campo não encontrado: %1").arg(after(QStringLiteral("column:")));
    if (lower.contains(QLatin1String("syntax error")) || native == QLatin1String("42601")) {
        const int near = lower.indexOf(QLatin1String("near "));
        const int colon = lower.indexOf(QLatin1String(": syntax error"));
        if (near >= 0 && colon > near)
            return QStringLiteral("Erro de sintaxe no comando SQL, perto de %1").arg(text.mid(near + 5, colon - near - 5));
        return QStringLiteral("Erro de sintaxe no comando SQL");
    }
    if (lower.contains(QLatin1String("incomplete input"))) return QStringLiteral("Comando SQL incompleto");
    if (lower.contains(QLatin1String("parameter count mismatch")))
        return QStringLiteral("O número de valores não confere com o comando SQL");
    if (text.isEmpty()) return QStringLiteral("Erro não identificado da base de dados");
    return QStringLiteral("Erro da base de dados (código %1): %2").arg(native.isEmpty() ? QStringLiteral("?") : native, text);
}

QString DatabaseLocation::schemaName() const {
    if (!schema.isEmpty()) return schema.toLower();
    // "c:\folha\emp1\" -> "folha_emp1": a stable, valid schema name.
    QString s;
    for (QChar c : directory.toLower()) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            s += c;
        else if (!s.isEmpty() && !s.endsWith('_'))
            s += '_';
    }
    while (s.endsWith('_')) s.chop(1);
    if (s.size() > 1 && s[1] == '_' && s[0].isLetter()) s = s.mid(2); // drive letter
    if (s.isEmpty() || s[0].isDigit()) s.prepend(QStringLiteral("d_"));
    return s.left(63);
}

QString translateLegacySql(const QString& sql) {
    QString out;
    out.reserve(sql.size());
    int i = 0;
    const int n = sql.size();
    auto stripDb = [](QString name) {
        int sep = std::max(name.lastIndexOf('\\'), name.lastIndexOf('/'));
        if (sep >= 0) name = name.mid(sep + 1);
        if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive)) name.chop(3);
        return name;
    };
    while (i < n) {
        QChar c = sql[i];
        if (c == '\'') { // string literal: copied as it stands
            int j = i + 1;
            while (j < n) {
                if (sql[j] == '\'') {
                    if (j + 1 < n && sql[j + 1] == '\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += sql.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        if (c == '"') { // quoted identifier or file name
            int j = sql.indexOf('"', i + 1);
            if (j < 0) {
                out += sql.mid(i);
                break;
            }
            QString inner = sql.mid(i + 1, j - i - 1);
            if (inner.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) || inner.contains('\\') ||
                inner.contains('/'))
                out += stripDb(inner);
            else
                out += sql.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        if (isIdentChar(c) && (i == 0 || !isIdentChar(sql[i - 1]))) {
            int j = i;
            while (j < n && isIdentChar(sql[j])) ++j;
            QString word = sql.mid(i, j - i);
            // name.db (not followed by more identifier characters)
            if (j + 2 < n && sql[j] == '.' && sql.mid(j + 1, 2).compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 &&
                (j + 3 >= n || !isIdentChar(sql[j + 3]))) {
                out += word;
                i = j + 3;
                continue;
            }
            out += word;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

std::unique_ptr<Database> Database::openDirectory(const QString& directory, bool create) {
    DatabaseLocation loc;
    loc.directory = directory;
    return open(loc, create);
}

std::unique_ptr<Database> Database::open(const DatabaseLocation& location, bool create) {
    std::unique_ptr<Database> d(new Database());
    d->location_ = location;
    d->connectionName_ = QStringLiteral("folha_%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    if (location.backend == Backend::SQLite) {
        QDir dir(location.directory);
        if (!dir.exists()) {
            if (!create || !QDir().mkpath(location.directory))
                throw DbError(QStringLiteral("Diretório de dados não encontrado: %1").arg(location.directory));
        }
        QString file = dir.filePath(DatabaseLocation::sqliteFileName());
        if (!create && !QFileInfo::exists(file))
            throw DbError(QStringLiteral("Base de dados não encontrada: %1").arg(file));
        d->db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connectionName_);
        d->db_.setDatabaseName(file);
        d->db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!d->db_.open()) throw DbError(QStringLiteral("Erro ao abrir a base %1: %2").arg(file, engineMessage(d->db_.lastError())));
        try {
            d->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            // A record is on disk when its commit returns.
            d->exec(QStringLiteral("PRAGMA synchronous=FULL"));
            // A calculation commits hundreds of employees' rows together:
            // with the engine's default page cache (2 MB) their pages would
            // be written out to the log halfway through, once more at the
            // commit. Memory is taken only as pages are used.
            d->exec(QStringLiteral("PRAGMA cache_size=-32768"));
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("%1\nBase: %2").arg(e.message(), file));
        }
    } else {
        d->db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), d->connectionName_);
        d->db_.setHostName(location.host);
        d->db_.setPort(location.port);
        d->db_.setDatabaseName(location.databaseName);
        d->db_.setUserName(location.user);
        // The workstation and process show in the server's list of sessions.
        QString options = location.options;
        if (!options.contains(QLatin1String("application_name"))) {
            if (!options.isEmpty()) options += ';';
            options += QStringLiteral("application_name=FolhaZorvan");
        }
        d->db_.setConnectOptions(options);
        // NUMERIC arrives as its decimal text: money never passes through binary floating point.
        d->db_.setNumericalPrecisionPolicy(QSql::HighPrecision);
        if (!d->db_.open())
            throw DbError(QStringLiteral("Não foi possível conectar ao servidor de dados %1 (porta %2, base %3): verifique "
                                         "se o servidor está ligado e a configuração da conexão.\nDetalhe: %4")
                              .arg(location.host.isEmpty() ? QStringLiteral("local") : location.host)
                              .arg(location.port)
                              .arg(location.databaseName, d->db_.lastError().databaseText().trimmed()));
        const QString schema = location.schemaName();
        auto q = d->exec(QStringLiteral("SELECT 1 FROM information_schema.schemata WHERE schema_name = ?"), {schema});
        if (!q.next()) {
            if (!create) throw DbError(QStringLiteral("Base de dados não encontrada no servidor: %1").arg(schema));
            d->execDirect(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schema));
        }
        d->execDirect(QStringLiteral("SET search_path TO %1").arg(schema));
        // A row another workstation is changing is waited for as long as on
        // SQLite, then told as busy.
        d->execDirect(QStringLiteral("SET lock_timeout = '5s'"));
    }
    return d;
}

Database::~Database() {
    alive_.reset();
    prepared_.clear();
    preparedReads_.clear();
    idleReads_.clear();
    if (db_.isValid()) {
        if (depth_ > 0) db_.rollback();
        db_.close();
    }
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

QString Database::translate(const QString& statement) const { return translateLegacySql(statement); }

QString AnyOf(Backend backend, const QStringList& fields, const std::vector<QVariantList>& tuples,
              QVariantList& params) {
    for (const QVariantList& t : tuples) {
        if (t.size() != fields.size())
            throw DbError(QStringLiteral("Valores em número diferente dos campos: %1").arg(fields.join(QStringLiteral(", "))));
        params += t;
    }
    if (backend == Backend::PostgreSQL) {
        const QString one = QLatin1Char('(') + BindMarks(int(fields.size())) + QLatin1Char(')');
        QStringList rows;
        for (size_t i = 0; i < tuples.size(); ++i) rows << one;
        return QStringLiteral("(%1) IN (VALUES %2)")
            .arg(fields.join(QStringLiteral(", ")), rows.join(QStringLiteral(", ")));
    }
    const QString one = QLatin1Char('(') + fields.join(QStringLiteral(" = ? AND ")) + QStringLiteral(" = ?)");
    QStringList alternatives;
    for (size_t i = 0; i < tuples.size(); ++i) alternatives << one;
    return alternatives.join(QStringLiteral(" OR "));
}

QString BindMarks(int n) {
    QString marks;
    marks.reserve(3 * std::max(n, 0));
    for (int i = 0; i < n; ++i) marks += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return marks;
}

void Database::execDirect(const QString& statement) {
    QSqlQuery q(db_);
    const QString text = translate(statement);
    ++statements_;
    if (!q.exec(text)) throw statementError(q.lastError(), text);
}

QSqlQuery Database::exec(const QString& statement, const QVariantList& params) {
    QSqlQuery q(db_);
    // On the server a forward-only query streams its rows and the connection
    // stays busy until the last is read: a query run while reading another
    // would cut it short. There the rows of a result are fetched whole.
    q.setForwardOnly(backend() == Backend::SQLite);
    QString text = translate(statement);
    ++statements_;
    if (params.isEmpty() && backend() == Backend::PostgreSQL) {
        // Without values nothing is bound, and the server cannot prepare
        // every statement (SET, CREATE...).
        if (!q.exec(text)) throw statementError(q.lastError(), text);
        return q;
    }
    if (!q.prepare(text)) throw statementError(q.lastError(), text);
    for (int i = 0; i < params.size(); ++i) q.bindValue(i, params[i]);
    if (!q.exec()) throw statementError(q.lastError(), text);
    return q;
}

void Database::refreshStatistics(const QString& table) {
    // A caller's open transaction is not put at stake for it.
    if (backend() != Backend::PostgreSQL || inTransaction()) return;
    // The threshold is the server's own for its automatic analysis (50 rows
    // and a tenth of the table), which would come soon anyway.
    QSqlQuery q = exec(QStringLiteral("SELECT c.reltuples, COALESCE(s.n_mod_since_analyze, 0) FROM pg_class c "
                                      "LEFT JOIN pg_stat_user_tables s ON s.relid = c.oid WHERE c.oid = to_regclass(?)"),
                       {table});
    if (!q.next()) return;
    const double rows = q.value(0).toDouble();
    const double changed = q.value(1).toDouble();
    if (rows >= 0 && changed <= 50 + 0.1 * rows) return;
    try {
        execDirect(QStringLiteral("ANALYZE ") + table);
    } catch (const DbError&) {
        // Only the server's plans are at stake: the work goes on as it is.
    }
}

int Database::execWrite(const QString& statement, const QVariantList& params) {
    // Writes are prepared once and kept: a run writes the same few statements
    // many thousands of times.
    auto it = prepared_.find(statement);
    if (it == prepared_.end()) {
        auto q = std::make_shared<QSqlQuery>(db_);
        QString text = translate(statement);
        if (!q->prepare(text)) throw statementError(q->lastError(), text);
        if (prepared_.size() > 200) prepared_.clear();
        it = prepared_.insert(statement, q);
    }
    QSqlQuery& q = *it.value();
    for (int i = 0; i < params.size(); ++i) q.bindValue(i, params[i]);
    ++statements_;
    if (!q.exec()) throw statementError(q.lastError(), q.lastQuery());
    return q.numRowsAffected();
}

QSqlQuery& Database::execCached(const QString& statement, const QVariantList& params) {
    auto it = preparedReads_.find(statement);
    if (it == preparedReads_.end()) {
        auto q = std::make_shared<QSqlQuery>(db_);
        q->setForwardOnly(backend() == Backend::SQLite); // see exec()
        QString text = translate(statement);
        if (!q->prepare(text)) throw statementError(q->lastError(), text);
        if (preparedReads_.size() > 200) preparedReads_.clear();
        it = preparedReads_.insert(statement, q);
    }
    QSqlQuery& q = *it.value();
    q.finish();
    for (int i = 0; i < params.size(); ++i) q.bindValue(i, params[i]);
    ++statements_;
    if (!q.exec()) throw statementError(q.lastError(), q.lastQuery());
    return q;
}

std::shared_ptr<QSqlQuery> Database::execShared(const QString& statement, const QVariantList& params) {
    if (params.isEmpty() && backend() == Backend::PostgreSQL) return std::make_shared<QSqlQuery>(exec(statement));
    std::shared_ptr<QSqlQuery> q;
    auto idle = idleReads_.find(statement);
    if (idle != idleReads_.end() && !idle->empty()) {
        q = std::move(idle->back());
        idle->pop_back();
    } else {
        q = std::make_shared<QSqlQuery>(db_);
        q->setForwardOnly(backend() == Backend::SQLite); // see exec()
        const QString text = translate(statement);
        if (!q->prepare(text)) throw statementError(q->lastError(), text);
    }
    for (int i = 0; i < params.size(); ++i) q->bindValue(i, params[i]);
    ++statements_;
    if (!q->exec()) throw statementError(q->lastError(), q->lastQuery());
    // The handle lends the query; when the last copy goes it is finished
    // and kept for the next use of the same text.
    std::weak_ptr<int> alive = alive_;
    QSqlQuery* lent = q.get();
    return std::shared_ptr<QSqlQuery>(lent, [this, alive, statement, owned = std::move(q)](QSqlQuery*) mutable {
        if (alive.expired()) return;
        owned->finish();
        if (idleReads_.size() > 200) idleReads_.clear();
        auto& kept = idleReads_[statement];
        if (kept.size() < 4) kept.push_back(std::move(owned));
    });
}

QStringList Database::tableNames() {
    QStringList names;
    if (backend() == Backend::SQLite) {
        auto q = exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        while (q.next()) names << q.value(0).toString();
    } else {
        auto q = exec(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = ? ORDER BY table_name"),
                      {location_.schemaName()});
        while (q.next()) names << q.value(0).toString();
    }
    return names;
}

bool Database::hasTable(const QString& name) {
    if (backend() == Backend::SQLite) {
        auto q = exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND name = ? COLLATE NOCASE"), {name});
        return q.next();
    }
    auto q = exec(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = ? AND table_name = ?"),
                  {location_.schemaName(), name.toLower()});
    return q.next();
}

QString Database::physicalIndexName(const TableDef& def, const IndexDef& index) {
    QString n = def.name + QStringLiteral("__");
    for (QChar c : index.name) n += (c.isLetterOrNumber() && c.unicode() < 128) ? c : QChar('_');
    return n;
}

namespace {

// A named index over exactly the key's fields, in the key's order, is the
// key's own index: nothing more is stored for it.
bool servedByKey(const TableDef& def, const IndexDef& index) {
    if (index.fields.size() != def.primaryKey.size()) return false;
    for (qsizetype i = 0; i < index.fields.size(); ++i)
        if (index.fields[i].compare(def.primaryKey[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

} // namespace

bool Database::hasIndex(const TableDef& def, const IndexDef& index) {
    if (servedByKey(def, index)) return true;
    QString name = physicalIndexName(def, index);
    if (backend() == Backend::SQLite) {
        auto q = exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='index' AND name = ? COLLATE NOCASE"), {name});
        return q.next();
    }
    auto q = exec(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = ? AND indexname = ?"),
                  {location_.schemaName(), name.toLower()});
    return q.next();
}

void Database::createIndex(const TableDef& def, const IndexDef& index) {
    if (servedByKey(def, index)) return;
    exec(QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4)")
             .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), physicalIndexName(def, index), def.name,
                  index.fields.join(QStringLiteral(", "))));
}

QString Database::columnType(const FieldDef& f) const {
    const bool pg = backend() == Backend::PostgreSQL;
    switch (f.type) {
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(f.size);
    case FieldType::Number:
        return QStringLiteral("NUMERIC(18,4)");
    case FieldType::ShortInt:
        return QStringLiteral("SMALLINT");
    case FieldType::LongInt:
        return QStringLiteral("INTEGER");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::Time:
        return pg ? QStringLiteral("TIME") : QStringLiteral("VARCHAR(8)");
    case FieldType::Logical:
        return QStringLiteral("BOOLEAN");
    case FieldType::AutoInc:
        return pg ? QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY") : QStringLiteral("INTEGER");
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

QString Database::createTableStatement(const TableDef& def) const {
    const bool sqlite = backend() == Backend::SQLite;
    QStringList cols;
    bool autoKey = def.primaryKey.size() == 1 && def.field(def.primaryKey[0]) &&
                   def.field(def.primaryKey[0])->type == FieldType::AutoInc;
    for (const auto& f : def.fields) {
        QString col = f.name + ' ' + columnType(f);
        if (autoKey && f.name == def.primaryKey[0]) {
            col = sqlite ? f.name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")
                         : f.name + ' ' + columnType(f) + QStringLiteral(" PRIMARY KEY");
        } else if (f.required) {
            col += QStringLiteral(" NOT NULL");
        }
        // SQLite keeps no width of its own: the field's width is a check.
        if (sqlite && f.type == FieldType::Text)
            col += QStringLiteral(" CHECK (length(%1) <= %2)").arg(f.name).arg(f.size);
        if (sqlite && f.type == FieldType::ShortInt)
            col += QStringLiteral(" CHECK (%1 BETWEEN -32768 AND 32767)").arg(f.name);
        cols << col;
    }
    if (!def.primaryKey.isEmpty() && !autoKey)
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(def.primaryKey.join(QStringLiteral(", ")));
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (\n  %2\n)").arg(def.name, cols.join(QStringLiteral(",\n  ")));
}

void Database::ensureTable(const TableDef& def) {
    if (ensuredTables_.contains(def.name)) return;
    if (!hasTable(def.name)) exec(createTableStatement(def));
    for (const auto& ix : def.indexes)
        if (!hasIndex(def, ix)) createIndex(def, ix);
    ensuredTables_.insert(def.name);
}

void Database::ensureSchema(Scope scope) {
    Transaction t(*this);
    for (const TableDef* def : Registry::instance().tables(scope)) ensureTable(*def);
    t.commit();
}

void Database::forgetSchema() {
    prepared_.clear();
    preparedReads_.clear();
    idleReads_.clear();
    ensuredTables_.clear();
}

void Database::dropTable(const QString& name) {
    prepared_.clear(); preparedReads_.clear(); idleReads_.clear(); ensuredTables_.clear(); exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(translate(name))); }

void Database::begin() {
    if (depth_++ > 0) return;
    rollbackOnly_ = false;
    if (backend() == Backend::SQLite) {
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            --depth_;
            throw DbError(engineMessage(q.lastError()));
        }
    } else if (!db_.transaction()) {
        --depth_;
        throw DbError(engineMessage(db_.lastError()));
    }
}

void Database::commit() {
    if (depth_ <= 0) throw DbError(QStringLiteral("Nenhuma transação aberta"));
    if (--depth_ > 0) return;
    if (rollbackOnly_) {
        undoTransaction();
        throw DbError(QStringLiteral("Gravação desfeita: uma etapa anterior falhou"));
    }
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("COMMIT"))) {
        QString msg = engineMessage(q.lastError());
        undoTransaction();
        throw DbError(msg);
    }
}

void Database::undoTransaction() {
    ensuredTables_.clear(); // what the transaction created is gone
    savepointStates_.clear();
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

void Database::rollback() {
    if (depth_ <= 0) return;
    if (--depth_ > 0) {
        rollbackOnly_ = true;
        return;
    }
    undoTransaction();
}

int Database::savepoint() {
    if (depth_ <= 0) throw DbError(QStringLiteral("Nenhuma transação aberta"));
    const int id = ++savepoints_;
    QSqlQuery q(db_);
    ++statements_;
    if (!q.exec(QStringLiteral("SAVEPOINT folha_%1").arg(id))) throw DbError(engineMessage(q.lastError()));
    savepointStates_.insert(id, rollbackOnly_);
    return id;
}

void Database::releaseSavepoint(int id) {
    savepointStates_.remove(id);
    QSqlQuery q(db_);
    ++statements_;
    if (!q.exec(QStringLiteral("RELEASE SAVEPOINT folha_%1").arg(id))) throw DbError(engineMessage(q.lastError()));
}

void Database::rollbackToSavepoint(int id) {
    const bool before = savepointStates_.value(id, rollbackOnly_);
    savepointStates_.remove(id);
    ensuredTables_.clear(); // what was created after the point is gone
    QSqlQuery q(db_);
    statements_ += 2;
    if (!q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT folha_%1").arg(id)) ||
        !q.exec(QStringLiteral("RELEASE SAVEPOINT folha_%1").arg(id))) {
        rollbackOnly_ = true; // the transaction can no longer be trusted whole
        throw DbError(engineMessage(q.lastError()));
    }
    // A step that failed after the point is taken back with it.
    rollbackOnly_ = before;
}

} // namespace folha
