#pragma once
// Changing the installation's legal tables: what the "Tabelas Legais"
// register saves and imports. Only a supervisor changes them; every change
// is checked as a whole, stored in one transaction, logged, and becomes the
// law of the calculations at once.

#include "LegalTables.h"

namespace folha {
class Session;
class UserInterface;
} // namespace folha

namespace folha::law {

// The tables after the register's edits. `edited` is every row the register
// holds: a table (kind and first competence) the stored ones lack is added
// as LegalTables::merged adds it (an open older table of its kind is closed
// the month before it), the others stand as edited and a table left out is
// removed. Throws LegalTablesError with every fault.
LegalTables EditedLegalTables(const LegalTables& stored, const std::vector<LegalRow>& edited);

// What a change did, table by table ("INSS 01/2027").
struct LegalTablesChange {
    LegalTables tables;
    QStringList added, changed, removed;
    bool empty() const { return added.isEmpty() && changed.isEmpty() && removed.isEmpty(); }
    // The audit text: "Tabelas legais |Incluídas: INSS 01/2027 |Alteradas: ..." (at most 250 characters).
    QString auditText() const;
};
// The tables that differ between two sets (an older table closed by a new
// one counts as changed).
LegalTablesChange CompareLegalTables(const LegalTables& before, const LegalTables& after);

// Whether the signed-in user may change the legal tables (level SUP).
bool MayChangeLegalTables(const Session& session);

// Stores the register's rows as the installation's tables (one
// transaction), writes the audit log under `screen` and makes them the law
// of the calculations. Nothing is stored when nothing changed. Throws
// UserError for a user who is not a supervisor and LegalTablesError when
// the rows do not hold.
LegalTablesChange SaveLegalTables(Session& session, UserInterface& ui, const std::vector<LegalRow>& edited,
                                  const QString& screen);
// The tables of a CSV text (ReadLegalCsv) merged into the stored ones, then
// stored, logged and applied as SaveLegalTables does.
LegalTablesChange ImportLegalTables(Session& session, UserInterface& ui, const QString& csvText,
                                    const QString& screen);

} // namespace folha::law
