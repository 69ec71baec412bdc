#include "TableRoutines.h"

#include "Workstation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace folha {

bool EnsureIndex(Table& table, const QString& indexName, UserInterface& ui) {
    if (table.indexName().compare(indexName, Qt::CaseInsensitive) == 0 && !indexName.isEmpty()) return true;
    for (;;) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            try {
                const IndexDef* ix = table.def().index(indexName);
                if (!ix) throw DbError(QStringLiteral("Índice não definido"));
                if (!table.database().hasIndex(table.def(), *ix)) table.database().createIndex(table.def(), *ix);
                table.setIndex(indexName);
                return true;
            } catch (const DbError&) {
            }
        }
        if (!ui.question(QStringLiteral("Impossivel mudar chave:") + indexName + QStringLiteral(" do arquivo:") +
                             table.def().fileName + QStringLiteral(",tentar novamente"),
                         QuestionKind::YesNo)) {
            ui.message(MessageKind::Error, QStringLiteral("Sair do programa e entrar novamente"));
            return false;
        }
    }
}

QString StationId() { return GetComputerNameText(); }

static QString keyText(const TableDef& def, const QVariantList& key) {
    Record r(def);
    QStringList parts;
    for (int i = 0; i < key.size() && i < def.primaryKey.size(); ++i) {
        r.set(def.primaryKey[i], key[i]);
        parts << r.boundValue(def.fieldIndex(def.primaryKey[i])).toString();
    }
    return parts.join('|');
}

// On the server a hold is also a session lock of the server, named after the
// row: it lives exactly as long as the workstation's connection, so the hold
// of a workstation that died (its connection gone) is free at once. The row
// of TRAVAS says who holds it.
static QString serverLockName(Database& db, const QString& table, const QString& key) {
    return db.location().schemaName() + '/' + table + '/' + key;
}

static bool tryServerLock(Database& db, const QString& name) {
    const auto q = db.execShared(QStringLiteral("SELECT pg_try_advisory_lock(hashtextextended(?, 0))"), {name});
    return q->next() && q->value(0).toBool();
}

static void serverUnlock(Database& db, const QString& name) {
    db.execShared(QStringLiteral("SELECT pg_advisory_unlock(hashtextextended(?, 0))"), {name});
}

RowLock::~RowLock() { release(); }

void RowLock::release() {
    if (!db_) return;
    try {
        db_->execWrite(QStringLiteral("DELETE FROM TRAVAS WHERE TABELA = ? AND CHAVE = ?"), {table_, key_});
        if (db_->backend() == Backend::PostgreSQL) serverUnlock(*db_, serverLockName(*db_, table_, key_));
    } catch (const DbError&) {
    }
    db_ = nullptr;
}

QString HoldKey(const TableDef& def, const QVariantList& key) { return keyText(def, key); }

QSet<QString> HeldKeys(Database& db, const TableDef& def) {
    db.ensureTable(Registry::instance().require(QStringLiteral("TRAVAS")));
    QSet<QString> keys;
    const auto q = db.execShared(QStringLiteral("SELECT CHAVE FROM TRAVAS WHERE TABELA = ?"), {def.name});
    while (q->next()) keys.insert(q->value(0).toString());
    return keys;
}

QString RowHolder(Database& db, const TableDef& def, const QVariantList& key) {
    db.ensureTable(Registry::instance().require(QStringLiteral("TRAVAS")));
    const QString k = keyText(def, key);
    const auto q = db.execShared(QStringLiteral("SELECT ESTACAO FROM TRAVAS WHERE TABELA = ? AND CHAVE = ?"), {def.name, k});
    if (!q->next()) return {};
    const QString station = q->value(0).toString();
    if (db.backend() == Backend::PostgreSQL) {
        // Held only while some connection holds the server lock of the row;
        // a row of a connection that is gone is no hold.
        const auto live = db.execShared(QStringLiteral("SELECT 1 FROM pg_locks WHERE locktype = 'advisory' AND granted AND objsubid = 1 AND database = "
                                           "(SELECT oid FROM pg_database WHERE datname = current_database()) "
                                           "AND ((classid::bigint << 32) | objid::bigint) = hashtextextended(?, 0)"),
                            {serverLockName(db, def.name, k)});
        if (!live->next()) return {};
    }
    return station;
}

// The row of TRAVAS of a hold by this workstation and process.
static Record holdRow(const TableDef& locks, const QString& table, const QString& key, const QString& userCode) {
    Record r(locks);
    r.set("TABELA", table).set("CHAVE", key).set("ESTACAO", StationId()).set("PROCESSO", int(getpid()));
    r.set("USUARIO", userCode.left(6));
    r.set("INICIO", QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    return r;
}

std::optional<RowLock> TryEdit(Database& db, const TableDef& def, const QVariantList& key, const QString& userCode,
                               UserInterface& ui) {
    const TableDef& locks = Registry::instance().require(QStringLiteral("TRAVAS"));
    db.ensureTable(locks);
    const QString k = keyText(def, key);
    const QString station = StationId();
    const int pid = int(getpid());
    const bool server = db.backend() == Backend::PostgreSQL;
    for (;;) {
        bool held = false;
        if (server) {
            // The server lock decides; a row left by a connection that is
            // gone is simply written over.
            const QString name = serverLockName(db, def.name, k);
            if (tryServerLock(db, name)) {
                try {
                    Transaction t(db);
                    Table(db, locks).save(holdRow(locks, def.name, k, userCode));
                    t.commit();
                } catch (...) {
                    serverUnlock(db, name);
                    throw;
                }
                return RowLock(db, def.name, k);
            }
            held = true;
        } else {
            Transaction t(db);
            Table tb(db, locks);
            auto cur = tb.find({def.name, k});
            bool mine = cur && cur->text("ESTACAO") == station &&
                        (cur->integer("PROCESSO") == pid || (kill(cur->integer("PROCESSO"), 0) != 0 && errno == ESRCH));
            if (!cur || mine) {
                tb.save(holdRow(locks, def.name, k, userCode));
                t.commit();
                return RowLock(db, def.name, k);
            }
            // Nothing was written: end the reading cleanly, so a transaction
            // of the caller is not spoilt by it.
            t.commit();
            held = true;
        }
        if (held && !ui.question(QStringLiteral("Existe outro usuário alterando este registro"), QuestionKind::OkCancel,
                                 QStringLiteral("Registro bloqueado")))
            return std::nullopt;
    }
}

void CreateTempTable(Database& tmpDb, const TableDef& def) {
    if (tmpDb.hasTable(def.name)) tmpDb.dropTable(def.name);
    tmpDb.exec(tmpDb.createTableStatement(def));
    for (const auto& ix : def.indexes) tmpDb.createIndex(def, ix);
}

QStringList FillFieldLabels(const TableDef& def) {
    QStringList labels;
    for (const auto& f : def.fields) labels << f.caption;
    return labels;
}

QString FieldNameByLabel(const TableDef& def, const QString& label) {
    for (const auto& f : def.fields)
        if (f.caption == label) return f.name;
    return label;
}

static QString inDir(const QString& dir, const QString& name) {
    QString d = dir;
    if (!d.isEmpty() && !d.endsWith('/')) d += '/';
    return d + name + QStringLiteral(".ini");
}

QString GridLayoutFile(const QString& iniDir, const QString& gridName) { return inDir(iniDir, gridName); }

QString WindowPlacementFile(const QString& iniDir, const QString& screenName) {
    QDir().mkpath(iniDir);
    return inDir(iniDir, screenName);
}

} // namespace folha
