#include "RegisterService.h"

#include "EsocialMarks.h"

#include "AuditLog.h"
#include "DbError.h"
#include "References.h"

namespace folha::registers {

namespace {

const QString NotFound = QStringLiteral("Registro não encontrado!");

// "Codigo 000001" or "Ano 2013, Mês 04, ..." for a message about a key.
QString keyDescription(const Record& row) {
    QStringList parts;
    for (const auto& k : row.def().primaryKey) parts << row.def().field(k)->caption + ' ' + row.text(k).trimmed();
    return parts.join(QStringLiteral(", "));
}

// "Funcionário 000024 - JOSE DA SILVA": the row's key and its name or
// description (the first field so named, else the first text beyond the key).
QString RowTitle(const Record& row) {
    const FieldDef* title = nullptr;
    for (const FieldDef& f : row.def().fields) {
        if (f.type != FieldType::Text || row.def().primaryKey.contains(f.name) || row.text(f.name).trimmed().isEmpty())
            continue;
        const bool named = f.name.contains(QLatin1String("NOME")) || f.name.startsWith(QLatin1String("DESC"));
        if (named) {
            title = &f;
            break;
        }
        if (!title) title = &f;
    }
    return title ? RowName(row) + QStringLiteral(" - ") + row.text(title->name).trimmed() : RowName(row);
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

// An employee's, a dependant's or a leave's change is what the worker's
// eSocial events report (S-2200, S-2205, S-2206, S-2230, S-2299): their
// latest versions are marked changed.
void RegisterService::markEsocial(const Record& row) {
    const QString table = table_.def().name;
    if (table.compare(QLatin1String("CADFUN"), Qt::CaseInsensitive) == 0 ||
        table.compare(QLatin1String("DEPENDE"), Qt::CaseInsensitive) == 0 ||
        table.compare(QLatin1String("AFASTFUN"), Qt::CaseInsensitive) == 0)
        EsocialMarks(table_.database()).markWorker(row.text(QStringLiteral("CODFUN")));
}

void RegisterService::save(const Record& typed, bool inserting) {
    Record row = typed;
    CompleteCodes(row);
    for (const auto& f : table_.def().fields)
        if ((f.required || f.mandatory) && f.type != FieldType::AutoInc && isBlank(row, f))
            throw UserError(QStringLiteral("O campo \"%1\" é obrigatório. Preencha-o antes de gravar.").arg(f.caption));
    RequireReferencedRows(table_.database(), row);
    Transaction tx(table_.database());
    if (inserting) {
        if (table_.find(row.keyValues()))
            throw UserError(QStringLiteral("Registro já cadastrado: %1.").arg(keyDescription(row)));
        table_.insert(row);
    } else if (!table_.update(row)) {
        throw UserError(NotFound);
    }
    markEsocial(row);
    const QString action = inserting ? QStringLiteral("I") : QStringLiteral("E");
    // The entry is written before the post is committed; a failure to log is
    // shown by the audit log and the post goes on.
    WriteAuditLog(session_.zorvan(), session_.signIn.CurrentBranchCode, def_.screen, action,
                  session_.signIn.CurrentUserCode, {}, RegisterAuditText(def_, action, row), ui_);
    tx.commit();
}

bool RegisterService::remove(const Record& row) {
    // The question names the row; "Não" is the answer Enter gives.
    if (!ui_.question(QStringLiteral("Confirma exclusão do registro selecionado?\n%1").arg(RowTitle(row)),
                      QuestionKind::YesNoDefaultNo))
        return false;
    Transaction tx(table_.database());
    auto stored = table_.find(row.keyValues());
    if (!stored) {
        ui_.message(MessageKind::Error, NotFound);
        return false;
    }
    // Nothing may be left naming a row that is gone.
    const QString naming = RowsNaming(table_.database(), *stored);
    if (!naming.isEmpty()) {
        ui_.message(MessageKind::Error, naming + QStringLiteral("\nNão é possível excluir."));
        return false;
    }
    // The entry names the row as stored, not as the screen last showed it.
    WriteAuditLog(session_.zorvan(), session_.signIn.CurrentBranchCode, def_.screen, QStringLiteral("X"),
                  session_.signIn.CurrentUserCode, {}, RegisterAuditText(def_, QStringLiteral("X"), *stored), ui_);
    table_.remove(row.keyValues());
    markEsocial(*stored);
    tx.commit();
    return true;
}

} // namespace folha::registers
