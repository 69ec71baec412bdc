#include "EventsEntry.h"
#include "CalculationTrail.h"
#include "References.h"

#include "AuditLog.h"
#include "TextRoutines.h"

namespace folha::registers {

namespace {

const QString EventsTable = QStringLiteral("OCORRENC");
const QString EntryScreen = QStringLiteral("TfoCadOcorrenc");
const QString NotFoundText = QStringLiteral("Registro não encontrado!");
const QString ConfirmDeleteText = QStringLiteral("Confirma exclusão do registro selecionado?");

// The grid's columns and joins. Every row is listed: one whose employee or
// event is not registered (an old row, an import) shows it in place of the
// name, so it can be found and mended; a cost centre that names nothing
// leaves its description blank.
const QString GridSelect = QStringLiteral(
    " SELECT Ocorrenc.OCORRANO, Ocorrenc.OCORRMES, Ocorrenc.TIPOFOLHA, Ocorrenc.HCODIGO, Ocorrenc.CODFUN, Ocorrenc.REFER,"
    " Ocorrenc.VALOR, Ocorrenc.CENTCUSTO, Ocorrenc.FLAG, Ocorrenc.DT_INIFERI, Ocorrenc.DT_FINFERI, Ocorrenc.DT_IGOZFER,"
    " Ocorrenc.DT_FGOZFER, Ocorrenc.DT_IABOFER, Ocorrenc.DT_FABOFER,"
    " COALESCE(Histfp.HNOME, '** HISTÓRICO NÃO CADASTRADO **'), COALESCE(Cadfun.NOME, '** FUNCIONÁRIO NÃO CADASTRADO **'),"
    " Centcust.DESC_CUSTO"
    " FROM OCORRENC Ocorrenc"
    "    LEFT JOIN CADFUN Cadfun"
    "    ON  (Cadfun.CODFUN = Ocorrenc.CODFUN)"
    "    LEFT JOIN HISTFP Histfp"
    "    ON  (Histfp.HCODIGO = Ocorrenc.HCODIGO)  "
    "    LEFT JOIN centcust Centcust"
    "    ON  (Centcust.COD_CCUSTO = Ocorrenc.CENTCUSTO) "
    " Where 1 = 1 ");

const QString GridOrder =
    QStringLiteral(" order by Ocorrenc.OCORRANO, Ocorrenc.OCORRMES, Ocorrenc.TIPOFOLHA, Ocorrenc.HCODIGO, Ocorrenc.CODFUN");

// The letter of a sheet type as the box holds it ("F - Folha" or "F").
QString sheetLetter(const QString& sheet) { return sheet.trimmed().left(1).toUpper(); }

// Whether a row of that key is stored.
bool eventExists(Database& db, const Record& row) {
    QSqlQuery& q = db.execCached(QStringLiteral("SELECT COUNT(*) FROM OCORRENC WHERE OCORRANO = ? AND OCORRMES = ? "
                                                "AND TIPOFOLHA = ? AND HCODIGO = ? AND CODFUN = ?"),
                                 {row.text("OCORRANO"), row.text("OCORRMES"), row.text("TIPOFOLHA"),
                                  row.text("HCODIGO"), row.text("CODFUN")});
    const bool found = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    return found;
}

} // namespace

namespace {

// "The column starts with the typed text", the column one of the grid's
// (never a name taken from the caller as it stands), the text bound with
// its wildcards taken as typed.
void addSearch(BoundQuery& q, const QString& field, const QString& typed) {
    const QString name = field.trimmed().toUpper();
    QString column;
    const FieldDef* f = Registry::instance().require(QStringLiteral("OCORRENC")).field(name);
    if (f) column = QStringLiteral("Ocorrenc.") + f->name;
    else if (name == QLatin1String("HNOME")) column = QStringLiteral("Histfp.HNOME");
    else if (name == QLatin1String("NOME")) column = QStringLiteral("Cadfun.NOME");
    else if (name == QLatin1String("DESC_CUSTO")) column = QStringLiteral("Centcust.DESC_CUSTO");
    else throw DbError(QStringLiteral("A grade de ocorrências não tem a coluna %1").arg(field));
    if (f && f->type == FieldType::Date) {
        const QDate d = QDate::fromString(typed.trimmed(), QStringLiteral("dd/MM/yyyy"));
        if (!d.isValid()) return; // not fully typed yet
        q.statement += QStringLiteral(" and %1 = ?").arg(column);
        q.params << d.toString(Qt::ISODate);
        return;
    }
    QString text = typed;
    if (f && f->type == FieldType::Number) text.replace(QLatin1Char(','), QLatin1Char('.'));
    q.statement += QStringLiteral(" and CAST(%1 AS VARCHAR(60)) LIKE ? ESCAPE '\\'").arg(column);
    q.params << LikeLiteral(text) + QLatin1Char('%');
}

} // namespace

BoundQuery EventsGridQuery(const EventsFilter& filter, bool ordered) {
    BoundQuery q{GridSelect, {}};
    // A code typed short is the code with its zeros: "10" is employee 000010.
    const QString employee = CompletedCode(OnlyDigits(filter.employee), 6);
    if (!employee.isEmpty()) {
        q.statement += QStringLiteral(" and Ocorrenc.CODFUN = ?");
        q.params << employee;
    }
    if (!filter.year.trimmed().isEmpty()) {
        q.statement += QStringLiteral(" and Ocorrenc.OCORRANO = ?");
        q.params << filter.year.trimmed();
    }
    if (!filter.month.trimmed().isEmpty()) {
        q.statement += QStringLiteral(" and Ocorrenc.OCORRMES = ?");
        q.params << filter.month.trimmed();
    }
    const QString sheet = sheetLetter(filter.sheet);
    if (!sheet.isEmpty()) {
        q.statement += QStringLiteral(" and Ocorrenc.TIPOFOLHA = ?");
        q.params << sheet;
    }
    if (!filter.eventCode.trimmed().isEmpty()) {
        q.statement += QStringLiteral(" and Ocorrenc.HCODIGO = ?");
        q.params << CompletedCode(filter.eventCode.trimmed(), 3);
    }
    if (!filter.searchText.isEmpty()) addSearch(q, filter.searchField, filter.searchText);
    if (ordered) q.statement += GridOrder;
    return q;
}

EventsEntry::EventsEntry(Session& session, UserInterface& ui) : session_(session), ui_(ui) {}

EventsFilter EventsEntry::branchPeriod() {
    const QString code = CurrentBranchKey(session_);
    auto branch = Table(session_.folha(), QStringLiteral("Filial")).find({code});
    if (!branch) throw DbError(QStringLiteral("Filial não cadastrada: %1").arg(code));
    const QDate date = branch->date("DATA_FOLHA");
    if (!date.isValid())
        throw DbError(QStringLiteral("A data da folha da filial %1 não está preenchida.").arg(code));
    // The competence is read from the date written as dd/mm/yyyy.
    const QString written = date.toString(QStringLiteral("dd/MM/yyyy"));
    EventsFilter period;
    period.year = written.mid(6, 4);
    period.month = written.mid(3, 2);
    period.sheet = sheetLetter(branch->text("TIPO_FOL"));
    return period;
}

Record EventsEntry::newRow(const EventsFilter& filter) const {
    Record row = Table(session_.folha(), EventsTable).newRecord();
    row.set("CODFUN", CompletedCode(OnlyDigits(filter.employee), 6))
        .set("TIPOFOLHA", sheetLetter(filter.sheet))
        .set("OCORRANO", filter.year.trimmed())
        .set("OCORRMES", filter.month.trimmed());
    return row;
}

std::optional<Record> EventsEntry::find(const QVariantList& key) {
    auto row = Table(session_.folha(), EventsTable).find(key);
    if (!row) ui_.message(MessageKind::Error, NotFoundText);
    return row;
}

std::optional<RowLock> EventsEntry::beginEdit(const Record& row) {
    return TryEdit(session_.folha(), row.def(), row.keyValues(), session_.signIn.CurrentUserCode, ui_);
}

void EventsEntry::save(const Record& rowIn, bool inserting, const QVariantList& originalKey) {
    if (rowIn.text("HCODIGO").trimmed().isEmpty())
        throw UserError(QStringLiteral("Informe o código do histórico da ocorrência!"));
    if (rowIn.text("CODFUN").trimmed().isEmpty()) throw UserError(QStringLiteral("Informe o funcionário da ocorrência!"));
    Database& db = session_.folha();
    Table events(db, EventsTable);
    Record row = rowIn;
    // "10" is employee 000010: never a row for an employee nobody has.
    CompleteCodes(row);
    RequireReferencedRows(db, row);
    const QVariantList key = row.keyValues();
    const QVariantList stored = originalKey.isEmpty() ? key : originalKey;
    const QString duplicateText = QStringLiteral("Já existe ocorrência do histórico %1 para o funcionário %2 em %3/%4, tipo de folha %5!")
                                      .arg(row.text("HCODIGO"), row.text("CODFUN"), row.text("OCORRMES"),
                                           row.text("OCORRANO"), row.text("TIPOFOLHA"));

    Transaction t(db);
    // The row carries the employee's cost centre.
    auto employee = Table(db, QStringLiteral("CADFUN")).find({row.text("CODFUN")});
    if (employee)
        row.set("CENTCUSTO", employee->text("CENTCUSTO"));
    else
        row.setNull("CENTCUSTO");

    if (inserting) {
        if (eventExists(db, row)) throw UserError(duplicateText);
        events.insert(row);
    } else if (stored == key) {
        if (!events.update(row)) throw UserError(NotFoundText);
    } else {
        // The key changed (another event code): the row moves.
        if (eventExists(db, row)) throw UserError(duplicateText);
        if (!events.remove(stored)) throw UserError(NotFoundText);
        events.insert(row);
    }
    // The employee's calculated rows of the month and sheet are discarded,
    // so the next calculation rebuilds them; typed rows stay.
    db.execWrite(QStringLiteral("DELETE FROM OCORRENC WHERE CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND "
                                "TIPOFOLHA = ? AND FLAG = ?"),
                 {row.text("CODFUN"), row.text("OCORRANO"), row.text("OCORRMES"), row.text("TIPOFOLHA"),
                  QStringLiteral("*")});
    law::RemoveTrails(db, {row.text("CODFUN"), row.text("OCORRANO"), row.text("OCORRMES"), row.text("TIPOFOLHA")});
    const RegisterDef& def = entryDef();
    WriteAuditLog(session_.zorvan(), CurrentBranchNumber(session_), EntryScreen, inserting ? QStringLiteral("I") : QStringLiteral("E"),
                  session_.signIn.CurrentUserCode, EventsTable, inserting ? def.insertPrefix : def.editPrefix, ui_);
    t.commit();
}

bool EventsEntry::remove(const QVariantList& key) {
    Database& db = session_.folha();
    Table events(db, EventsTable);
    const auto shown = find(key);
    if (!shown) return false;
    if (!ui_.question(ConfirmDeleteText + QLatin1Char('\n') + RowName(*shown), QuestionKind::YesNoDefaultNo)) return false;
    Transaction t(db);
    if (!events.remove(key)) {
        ui_.message(MessageKind::Error, NotFoundText);
        return false;
    }
    WriteAuditLog(session_.zorvan(), CurrentBranchNumber(session_), EntryScreen, QStringLiteral("X"),
                  session_.signIn.CurrentUserCode, EventsTable, entryDef().deletePrefix, ui_);
    t.commit();
    return true;
}

const RegisterDef& EventsEntry::entryDef() { return *FindRegister(EntryScreen); }

const RegisterDef& EventsEntry::queryDef() { return *FindRegister(QStringLiteral("TfoConsOcorrenc")); }

} // namespace folha::registers
