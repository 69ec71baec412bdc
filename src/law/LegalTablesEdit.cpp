// Saving and importing the legal tables: the check of the whole, the store,
// the audit log and the law of the calculations.
#include "LegalTablesEdit.h"

#include "AuditLog.h"
#include "DbError.h"
#include "Session.h"

#include <map>
#include <set>

namespace folha::law {

namespace {

using GroupKey = std::pair<QString, QString>; // kind, first competence

std::map<GroupKey, std::vector<LegalRow>> byGroup(const std::vector<LegalRow>& rows) {
    std::map<GroupKey, std::vector<LegalRow>> g;
    for (const LegalRow& r : rows) g[{r.kind, r.start}].push_back(r);
    return g;
}

QString groupText(const GroupKey& k) { return k.first + QLatin1Char(' ') + CompetenceText(k.second); }

const QString AuditTable = QStringLiteral("TabelasLegais");

void requireSupervisor(const Session& session) {
    if (!MayChangeLegalTables(session))
        throw UserError(QStringLiteral("As tabelas legais só podem ser alteradas por usuários de nível SUP."));
}

LegalTablesChange store(Session& session, UserInterface& ui, const LegalTables& before, const LegalTables& after,
                        const QString& screen) {
    LegalTablesChange change = CompareLegalTables(before, after);
    if (change.empty()) return change;
    StoreLegalTables(session.zorvan(), change.tables);
    // A new table closes the one before it: still an insertion.
    const QString action = !change.added.isEmpty()                            ? QStringLiteral("I")
                           : change.changed.isEmpty() && !change.removed.isEmpty() ? QStringLiteral("X")
                                                                                   : QStringLiteral("E");
    WriteAuditLog(session.zorvan(), session.signIn.CurrentBranchCode, screen, action, session.signIn.CurrentUserCode,
                  AuditTable, change.auditText(), ui);
    session.loadLaw();
    return change;
}

} // namespace

LegalTables EditedLegalTables(const LegalTables& stored, const std::vector<LegalRow>& edited) {
    const auto storedGroups = byGroup(stored.rows());
    std::vector<LegalRow> kept, added;
    for (const LegalRow& r : edited) (storedGroups.count({r.kind, r.start}) ? kept : added).push_back(r);
    return LegalTables(std::move(kept)).merged(added);
}

LegalTablesChange CompareLegalTables(const LegalTables& before, const LegalTables& after) {
    LegalTablesChange c;
    c.tables = after;
    const auto old = byGroup(before.rows());
    const auto now = byGroup(after.rows());
    for (const auto& [key, rows] : now) {
        const auto it = old.find(key);
        if (it == old.end()) c.added << groupText(key);
        else if (it->second != rows) c.changed << groupText(key);
    }
    for (const auto& [key, rows] : old)
        if (!now.count(key)) c.removed << groupText(key);
    return c;
}

QString LegalTablesChange::auditText() const {
    QString text = QStringLiteral("Tabelas legais");
    auto part = [&](const char* label, const QStringList& groups) {
        if (!groups.isEmpty()) text += QStringLiteral(" |%1: %2").arg(QString::fromUtf8(label), groups.join(QStringLiteral(", ")));
    };
    part("Incluídas", added);
    part("Alteradas", changed);
    part("Excluídas", removed);
    if (text.size() > 250) text = text.left(247) + QStringLiteral("...");
    return text;
}

bool MayChangeLegalTables(const Session& session) {
    return session.signIn.CurrentUserLevel.trimmed() == QLatin1String("SUP");
}

LegalTablesChange SaveLegalTables(Session& session, UserInterface& ui, const std::vector<LegalRow>& edited,
                                  const QString& screen) {
    requireSupervisor(session);
    const LegalTables before = LoadLegalTables(session.zorvan());
    return store(session, ui, before, EditedLegalTables(before, edited), screen);
}

LegalTablesChange ImportLegalTables(Session& session, UserInterface& ui, const QString& csvText, const QString& screen) {
    requireSupervisor(session);
    const std::vector<LegalRow> rows = ReadLegalCsv(csvText);
    if (rows.empty()) throw LegalTablesError({QStringLiteral("O arquivo não tem nenhuma linha de tabela.")});
    const LegalTables before = LoadLegalTables(session.zorvan());
    return store(session, ui, before, before.merged(rows), screen);
}

} // namespace folha::law
