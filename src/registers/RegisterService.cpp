#include "RegisterService.h"

#include "AuditLog.h"
#include "DbError.h"

namespace folha::registers {

namespace {

const QString NotFound = QStringLiteral("Registro não encontrado!");

// "Codigo 000001" or "Ano 2013, Mês 04, ..." for a message about a key.
QString keyDescription(const Record& row) {
    QStringList parts;
    for (const auto& k : row.def().primaryKey) parts << row.def().field(k)->caption + ' ' + row.text(k).trimmed();
    return parts.join(QStringLiteral(", "));
}

bool isBlank(const Record& row, const FieldDef& f) {
    if (row.isNull(f.name)) return true;
    return (f.type == FieldType::Text || f.type == FieldType::Memo) && row.text(f.name).trimmed().isEmpty();
}

} // namespace

RegisterService::RegisterService(Session& session, const RegisterDef& def, UserInterface& ui)
    : session_(session), def_(def), ui_(ui), table_(session.folha(), Registry::instance().require(def.table)) {}

std::optional<Record> RegisterService::reread(const Record& row) {
    auto stored = table_.find(row.keyValues());
    if (!stored) ui_.message(MessageKind::Error, NotFound);
    return stored;
}

std::optional<RowLock> RegisterService::beginEdit(const Record& row) {
    if (!reread(row)) return std::nullopt;
    auto lock = TryEdit(table_.database(), table_.def(), row.keyValues(), session_.signIn.CurrentUserCode, ui_);
    if (!lock) return std::nullopt;
    // Deleted while this workstation waited for the hold.
    if (!reread(row)) return std::nullopt;
    return lock;
}

void RegisterService::save(const Record& row, bool inserting) {
    for (const auto& f : table_.def().fields)
        if (f.required && f.type != FieldType::AutoInc && isBlank(row, f))
            throw UserError(QStringLiteral("O campo \"%1\" é obrigatório. Preencha-o antes de gravar.").arg(f.caption));
    Transaction tx(table_.database());
    if (inserting) {
        if (table_.find(row.keyValues()))
            throw UserError(QStringLiteral("Registro já cadastrado: %1.").arg(keyDescription(row)));
        table_.insert(row);
    } else if (!table_.update(row)) {
        throw UserError(NotFound);
    }
    const QString action = inserting ? QStringLiteral("I") : QStringLiteral("E");
    // The entry is written before the post is committed; a failure to log is
    // shown by the audit log and the post goes on.
    WriteAuditLog(session_.zorvan(), session_.signIn.CurrentBranchCode, def_.screen, action,
                  session_.signIn.CurrentUserCode, {}, RegisterAuditText(def_, action, row), ui_);
    tx.commit();
}

bool RegisterService::remove(const Record& row) {
    if (!ui_.question(QStringLiteral("Confirma exclusão do registro selecionado?"), QuestionKind::YesNo)) return false;
    Transaction tx(table_.database());
    auto stored = table_.find(row.keyValues());
    if (!stored) {
        ui_.message(MessageKind::Error, NotFound);
        return false;
    }
    // The entry names the row as stored, not as the screen last showed it.
    WriteAuditLog(session_.zorvan(), session_.signIn.CurrentBranchCode, def_.screen, QStringLiteral("X"),
                  session_.signIn.CurrentUserCode, {}, RegisterAuditText(def_, QStringLiteral("X"), *stored), ui_);
    table_.remove(row.keyValues());
    tx.commit();
    return true;
}

} // namespace folha::registers
