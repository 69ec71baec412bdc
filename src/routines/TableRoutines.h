#pragma once
// Routines the screens share over the table engine: switching a table's
// index, holding a row for editing, temporary tables, field labels and the
// names of the layout files.

#include "Database.h"
#include "Table.h"
#include "UserInterface.h"

#include <QSet>
#include <QStringList>
#include <optional>

namespace folha {

// Makes the table use a named index. On this engine an index is a stored
// ordering: a missing stored index is created. After three failed attempts
// the user is asked whether to try again; No gives "Sair do programa e entrar
// novamente" and false.
bool EnsureIndex(Table& table, const QString& indexName, UserInterface& ui);

// A row held in edit mode by this workstation; released when destroyed.
class RowLock {
public:
    RowLock(Database& db, QString table, QString key) : db_(&db), table_(std::move(table)), key_(std::move(key)) {}
    RowLock(RowLock&& o) noexcept : db_(o.db_), table_(std::move(o.table_)), key_(std::move(o.key_)) { o.db_ = nullptr; }
    RowLock& operator=(RowLock&&) = delete;
    RowLock(const RowLock&) = delete;
    ~RowLock();
    void release();

private:
    Database* db_;
    QString table_;
    QString key_;
};

// Puts a row in edit mode. When another workstation holds it, asks "Existe
// outro usuário alterando este registro" ("Registro bloqueado", OK/Cancel):
// OK tries again, Cancel returns nothing. A hold left by a program of this
// workstation that no longer runs is taken over.
std::optional<RowLock> TryEdit(Database& db, const TableDef& def, const QVariantList& key, const QString& userCode,
                               UserInterface& ui);
// Who holds a row, or empty.
QString RowHolder(Database& db, const TableDef& def, const QVariantList& key);
// The keys (as HoldKey writes them) of the rows of a table that a hold row
// names, live or left behind: a long job reads them once and asks about
// those rows alone.
QSet<QString> HeldKeys(Database& db, const TableDef& def);
QString HoldKey(const TableDef& def, const QVariantList& key);
// This workstation and process, as a hold records it.
QString StationId();

// Creates a table in the temporary database, replacing one of the same name.
void CreateTempTable(Database& tmpDb, const TableDef& def);

// Every post is committed to disk when it returns on this engine; kept for
// the screens' post handler.
inline void FlushTable(Table&) {}

// Display labels of a table's fields in field order, and back.
QStringList FillFieldLabels(const TableDef& def);
QString FieldNameByLabel(const TableDef& def, const QString& label);

// Files of the screens' grid layouts and window placement.
QString GridLayoutFile(const QString& iniDir, const QString& gridName);
QString WindowPlacementFile(const QString& iniDir, const QString& screenName);

} // namespace folha
