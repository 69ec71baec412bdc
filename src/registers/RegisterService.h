#pragma once
// Saving and deleting the rows of a register as its screen does: the row
// held against other workstations while it is edited, the post and its
// audit entry together (a refused post writes no entry), the deletion
// confirmed first.

#include "RegisterDefs.h"
#include "Session.h"
#include "TableRoutines.h"
#include "UserInterface.h"

#include <optional>

namespace folha::registers {

class RegisterService {
public:
    RegisterService(Session& session, const RegisterDef& def, UserInterface& ui);

    const RegisterDef& def() const { return def_; }
    Table& table() { return table_; }
    Record newRecord() const { return table_.newRecord(); }

    // The row as stored now, by its key; "Registro não encontrado!" and
    // nothing when another screen deleted it.
    std::optional<Record> reread(const Record& row);
    // Holds the row for editing; when another workstation holds it, asks
    // "Existe outro usuário alterando este registro" (OK tries again).
    // Nothing when given up or when the row is gone.
    std::optional<RowLock> beginEdit(const Record& row);
    // Posts the row (a new one, or the stored row of the same key) and
    // writes its audit entry ("I" or "E") under the signed-in user. Codes
    // typed short are completed with zeros. A refused post (a key that
    // exists, a required field left empty, a code another register does not
    // hold) throws UserError with the message and writes no entry.
    void save(const Record& row, bool inserting);
    // Asks "Confirma exclusão do registro selecionado?" naming the row, "Não"
    // the default; on Yes, unless rows of other registers still name it (then
    // says which), writes the entry ("X") and deletes the row. Returns
    // whether it was deleted.
    bool remove(const Record& row);

private:
    void markEsocial(const Record& row);

    Session& session_;
    const RegisterDef& def_;
    UserInterface& ui_;
    Table table_;
};

} // namespace folha::registers
