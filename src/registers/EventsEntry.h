#pragma once
// The month's events of an employee: the grid query restricted by the
// filter bar (year, month, sheet type, employee, event code), the key of a
// new row taken from it, and saving, which also discards the employee's
// calculated rows (FLAG "*") of that month and sheet type so the next
// calculation rebuilds them. Every typed value is bound, never joined into
// a statement.

#include "RegisterDefs.h"
#include "SelectionQuery.h"
#include "Session.h"
#include "TableRoutines.h"
#include "UserInterface.h"

#include <optional>

namespace folha::registers {

struct EventsFilter {
    QString year;      // "2013"
    QString month;     // "03"
    QString sheet;     // the sheet type's letter ("F")
    QString employee;  // "000012" (digits)
    QString eventCode; // "101" (the events query's extra box)
    // The search bar: the grid column searched (OCORRENC's fields, HNOME,
    // NOME, DESC_CUSTO) and the beginning typed; a date searches once fully
    // typed (dd/MM/yyyy).
    QString searchField = {};
    QString searchText = {};
};

// The grid: OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REFER, VALOR,
// CENTCUSTO, FLAG, the six vacation dates, HNOME, NOME, DESC_CUSTO of the
// rows whose employee exists, narrowed by each filled box and the search
// bar; ordered by the key when `ordered`. A search field that is not a
// column of the grid is refused (DbError).
BoundQuery EventsGridQuery(const EventsFilter& filter, bool ordered = true);

class EventsEntry {
public:
    EventsEntry(Session& session, UserInterface& ui);

    // The branch's working competence and sheet type ("DATA_FOLHA",
    // "TIPO_FOL"), as the screen opens on them.
    EventsFilter branchPeriod();
    // A new row keyed from the filter bar: CODFUN (digits), TIPOFOLHA,
    // OCORRANO, OCORRMES.
    Record newRow(const EventsFilter& filter) const;
    // The stored row of a grid line's key (OCORRANO, OCORRMES, TIPOFOLHA,
    // HCODIGO, CODFUN); "Registro não encontrado!" and nothing when absent.
    std::optional<Record> find(const QVariantList& key);
    std::optional<RowLock> beginEdit(const Record& row);
    // Completes the codes typed short ("12" -> "000012"), refuses a row
    // without a registered employee or event code, takes CENTCUSTO from the
    // employee, posts the row (an edit may change
    // the event code: `originalKey` is the key it had), writes the audit
    // entry ("Inclusão de cadastro de " / "Edição de cadastro de "), and
    // deletes that employee's rows of the row's year, month and sheet type
    // whose FLAG is "*" — all or nothing. A refused post throws UserError.
    void save(const Record& row, bool inserting, const QVariantList& originalKey = {});
    // Asks "Confirma exclusão do registro selecionado?"; on Yes deletes the
    // row with its audit entry. "Registro não encontrado!" when absent.
    bool remove(const QVariantList& key);

    static const RegisterDef& entryDef(); // TfoCadOcorrenc
    static const RegisterDef& queryDef(); // TfoConsOcorrenc

private:
    Session& session_;
    UserInterface& ui_;
};

} // namespace folha::registers
