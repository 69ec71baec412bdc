// One employee's calculation: the event rows, the writer, the valuation.
#include "EmployeeCalc.h"

#include <algorithm>

namespace folha::payroll {

namespace {

// The log line of an event the chart does not hold, naming the employee
// whose row it is, so the row can be found and mended.
QString MissingEventText(const QString& employee, const QString& eventCode) {
    return QStringLiteral("Funcionário %1: histórico %2 não cadastrado").arg(employee, eventCode);
}

} // namespace

void RunTables::load(Database& db) {
    events.clear();
    roles.clear();
    tabelas.clear();
    Table h(db, QStringLiteral("HISTFP"));
    for (const Record& r : h.select()) {
        events.insert(r.text("HCODIGO"),
                      EventInfo{EventFlags::fromHistfp(r), r.number("HPERC"), r.integer("HPARAMETRO"), r.integer("HFLAGINPS")});
    }
    Table f(db, QStringLiteral("FIXAOCOR"));
    for (const Record& r : f.select()) roles.insert(r.text("FCODIGO"), r.text("FHISTORICO").trimmed());
    Table t(db, QStringLiteral("Tabelas"));
    for (const Record& r : t.select()) tabelas.emplace(r.text("COD_TABELA"), r);
    lineFares.clear();
    for (const Record& r : Table(db, QStringLiteral("Linha")).select()) lineFares.insert(r.text("CODIGO"), r.number("VALOR"));
    shifts.clear();
    for (const Record& r : Table(db, QStringLiteral("PLANTOES")).select()) shifts.insert(r.text("COD_PLANTA"), r);
}

QString RunTables::roleEvent(const QString& role) const {
    const QString event = roles.value(role);
    return event < QLatin1String("001") ? QString() : event;
}

const EventInfo* RunTables::eventInfo(const QString& code) const {
    auto it = events.constFind(code);
    return it == events.constEnd() ? nullptr : &it.value();
}

const Record* RunTables::table(const QString& code) const {
    auto it = tabelas.find(code);
    return it == tabelas.end() ? nullptr : &it->second;
}

Fixed RunTables::tableColumn(const QString& code, int column) const {
    const Record* r = table(code);
    return r ? r->number(QStringLiteral("COL%1_TAB").arg(column)) : Fixed();
}

Record PayrollBranch(Database& db, const QString& branchCode) {
    auto branch = Table(db, QStringLiteral("Filial")).find({branchCode});
    if (!branch) throw DbError(QStringLiteral("Filial não cadastrada: %1").arg(branchCode));
    if (!branch->date("DATA_FOLHA").isValid())
        throw DbError(QStringLiteral("A data da folha da filial %1 não está preenchida.").arg(branchCode));
    return *branch;
}

const QString& EmployeeRowsFrom() {
    static const QString condition = QStringLiteral("CODFUN = ? AND OCORRANO || OCORRMES >= ?");
    return condition;
}

const QString& EmployeeRowsFrom();
std::vector<std::pair<QString, QString>> EmployeePage::SheetsRead(const RunValues& run) {
    // The sheet calculated; the advance, vacation and monthly sheets of the
    // month; last month's vacation, same sheet and branch sheet.
    std::vector<std::pair<QString, QString>> pairs;
    auto add = [&](const QString& period, const QString& sheet) {
        if (sheet.isEmpty()) return;
        const std::pair<QString, QString> p{period, sheet};
        if (std::find(pairs.begin(), pairs.end(), p) == pairs.end()) pairs.push_back(p);
    };
    add(run.period, run.sheet);
    for (const char* sheet : {"A", "I", "F"}) add(run.period, QLatin1String(sheet));
    add(run.previousPeriod, QStringLiteral("I"));
    add(run.previousPeriod, run.sheet);
    add(run.previousPeriod, run.branch.text("TIPO_FOL").trimmed());
    return pairs;
}

void EmployeePage::load(Database& db, const RunValues& run, const QString& first, const QString& last) {
    employees_.clear();
    sheetsRead_.clear();
    Table ocorrenc(db, QStringLiteral("OCORRENC"));
    for (const auto& [period, sheet] : SheetsRead(run)) {
        // Through the index of the period and sheet by employee: only the
        // page's rows are walked.
        ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN >= ? AND CODFUN <= ?"),
                         {period.left(4), period.mid(4, 2), sheet, first, last},
                         [&](const Record& r) {
                             employees_[r.text("CODFUN")].sheets[period + sheet].emplace(r.text("HCODIGO"), r);
                             return true;
                         },
                         QStringLiteral("OCORRANO, OCORRMES, TIPOFOLHA, CODFUN, HCODIGO"));
        sheetsRead_.insert(period + sheet);
    }
    loadOthers(db, run, first, last);
}

void EmployeePage::loadOne(Database& db, const RunValues& run, const QString& code) {
    employees_.clear();
    sheetsRead_.clear();
    // One statement for the sheets read, each of them sought through an
    // index of the period and sheet by employee: the months the employee
    // kept before are never walked.
    std::vector<QVariantList> sought;
    for (const auto& [period, sheet] : SheetsRead(run)) {
        sheetsRead_.insert(period + sheet);
        sought.push_back({period.left(4), period.mid(4, 2), sheet, code});
    }
    QVariantList params;
    const QString where = AnyOf(db.backend(),
                                {QStringLiteral("OCORRANO"), QStringLiteral("OCORRMES"), QStringLiteral("TIPOFOLHA"),
                                 QStringLiteral("CODFUN")},
                                sought, params);
    Table(db, QStringLiteral("OCORRENC")).forEach(where, params, [&](const Record& r) {
        employees_[code].sheets[r.text("OCORRANO") + r.text("OCORRMES") + r.text("TIPOFOLHA")].emplace(r.text("HCODIGO"), r);
        return true;
    });
    loadOthers(db, run, code, code);
}

void EmployeePage::loadOthers(Database& db, const RunValues& run, const QString& first, const QString& last) {
    shiftsRead_ = true;
    if (run.monthHasShifts)
        Table(db, QStringLiteral("MovPlant"))
            .forEach(QStringLiteral("PLANT_ANO = ? AND PLANT_MES = ? AND TIPOFOLHA = ? AND CODFUN >= ? AND CODFUN <= ?"),
                     {run.year, run.month, run.sheet, first, last}, [&](const Record& r) {
                         employees_[r.text("CODFUN")].shifts.push_back(r);
                         return true;
                     });
    dependantsRead_ = run.familyAllowance;
    if (dependantsRead_)
        Table(db, QStringLiteral("DEPENDE"))
            .forEach(QStringLiteral("CODFUN >= ? AND CODFUN <= ?"), {first, last}, [&](const Record& r) {
                employees_[r.text("CODFUN")].dependants.push_back(r);
                return true;
            });
}

bool EmployeePage::hasSheet(const QString& period, const QString& sheet) const { return sheetsRead_.contains(period + sheet); }

const std::map<QString, Record>* EmployeePage::sheet(const QString& code, const QString& period, const QString& sheet) const {
    const auto e = employees_.find(code);
    if (e == employees_.end()) return nullptr;
    const auto s = e->second.sheets.find(period + sheet);
    return s == e->second.sheets.end() ? nullptr : &s->second;
}

std::vector<Record> EmployeePage::shifts(const QString& code) const {
    const auto e = employees_.find(code);
    return e == employees_.end() ? std::vector<Record>() : e->second.shifts;
}

std::vector<Record> EmployeePage::dependants(const QString& code) const {
    const auto e = employees_.find(code);
    return e == employees_.end() ? std::vector<Record>() : e->second.dependants;
}

EmployeeCalc::EmployeeCalc(Database& db, UserInterface& ui, const RunTables& tables, const RunValues& run,
                           const Record& employee, const QSet<QString>& resultCodes, const EmployeePage* page)
    : db_(db), ui_(ui), tables_(tables), run_(run), employee_(employee), page_(page),
      ocorrenc_(db, QStringLiteral("OCORRENC")) {
    code = employee.text("CODFUN");
    name = employee.text("NOME");
    terminationCause = employee.text("CAUS_RESC").trimmed();
    costCentre = employee.text("CENTCUSTO");
    salary = employee.number("VLR_SALAR");
    weeklyHours = employee.number("HR_SEMAN");
    fgtsBalance = employee.number("VLR_FGTSBA");
    payType = employee.integer("TIPO_PAG");
    calculo = employee.integer("CALCULO");
    condicao = employee.integer("CONDICAO");
    vinculo = employee.integer("VINCULO");
    aposent = employee.integer("APOSENT");
    dependants = employee.integer("DEPENDEN");
    admission = employee.date("DT_ADMIS");
    leaving = employee.date("DT_AFAST");
    returnFromLeave = employee.date("DT_RETORNO");
    vacationStart = employee.date("DT_IGOZFER");
    vacationEnd = employee.date("DT_FGOZFER");
    cobertura = employee.number("COBERTURA");
    insalubre = employee.integer("INSALUBRE");
    periculos = employee.integer("PERICULOS");
    unionAgreement = employee.integer("COD_DISSID");
    familyEvent = employee.integer("SAL_FAM");
    for (int i = 0; i < 5; ++i) fixedEvents[i] = employee.integer(QStringLiteral("HISTO%1").arg(i + 1));
    line1 = employee.text("COD_LINHA1").trimmed();
    line2 = employee.text("COD_LINHA2").trimmed();
    trips1 = employee.integer("QTD_LINHA1");
    trips2 = employee.integer("QTD_LINHA2");
    referenceSalary = payType == 5 ? RoundValue(2, salary * weeklyHours * 5) : salary;

    const QSet<QString> ownCodes = EmployeeResultCodes(employee);
    auto take = [&](const Record& r) {
        SheetRow row{r, r, false};
        // What an earlier run wrote as a result is computed again; until it
        // is, the row does not exist for this calculation.
        const QString event = r.text("HCODIGO");
        row.staleResult = r.text("FLAG") == QLatin1String("*") && (resultCodes.contains(event) || ownCodes.contains(event));
        rows_.emplace(event, std::move(row));
    };
    if (page_ && page_->hasSheet(run.period, run.sheet)) {
        if (const auto* rows = page_->sheet(code, run.period, run.sheet))
            for (const auto& [event, r] : *rows) take(r);
    } else {
        ocorrenc_.setIndex(QStringLiteral("id_ocor_func"));
        for (const Record& r : ocorrenc_.select(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?"),
                                                {run.year, run.month, run.sheet, code}))
            take(r);
    }
}

EmployeeCalc::SheetRow* EmployeeCalc::current(const QString& eventCode) {
    auto it = rows_.find(eventCode);
    if (it == rows_.end() || it->second.staleResult) return nullptr;
    return &it->second;
}

void EmployeeCalc::valueEnteredRows() {
    // Rows are valued in event-code order; the list is taken first because
    // valuing never adds a row.
    QStringList codes;
    for (const auto& [c, row] : rows_)
        if (!row.staleResult) codes << c;
    int valued = 0;
    ui_.subProgress(0, int(codes.size()));
    for (const QString& eventCode : codes) {
        ui_.subProgress(++valued, int(codes.size()));
        SheetRow& row = rows_.at(eventCode);
        const Fixed refer = row.record.number("REFER");
        const Fixed entered = row.record.number("VALOR");
        const EventInfo* event = tables_.eventInfo(eventCode);
        if (!event) {
            ui_.log(MissingEventText(code, eventCode));
            continue; // no rule and no multiplier: the row stays as entered and enters no total
        }
        const Fixed perc = event->perc;
        int rule = event->rule;
        if (event->inps == 3 && run_.sheet == QLatin1String("F") && rule == 1) rule = 3;

        std::optional<Fixed> valor;
        const Fixed monthHours = (weeklyHours * 5).toFixedNearest();
        if (rule == 1 && payType == 5) {
            const Fixed v = RoundValue(2, perc * refer);
            valor = RoundValue(2, v * salary);
        } else if ((rule == 1 || rule == 2) && payType == 1) {
            if (monthHours.isZero()) {
                ui_.log(QStringLiteral("Horas semanais não informadas, ocorrência %1 não valorizada: funcionário %2")
                            .arg(eventCode, code));
                continue;
            }
            if (rule == 1) {
                const Fixed v = RoundValue(2, perc * refer);
                valor = RoundValue(2, v * salary / monthHours);
            } else {
                const Fixed rate = RoundValue(2, salary / monthHours);
                valor = RoundValue(2, perc * refer * rate);
            }
        } else if (rule == 3) {
            valor = RoundValue(2, entered); // paid in whole centavos, as every amount written
        }
        if (!valor) continue; // another rule, or a rule for another kind of pay: left as it is
        row.record.setNumber("VALOR", *valor);
        {
            const QString r = law::Money(refer), p = law::Money(perc), s = law::Money(salary), v = law::Money(*valor);
            QString how;
            if (rule == 3) how = QStringLiteral("valor informado %1").arg(v);
            else if (payType == 5) how = QStringLiteral("%1 × %2 × %3 (salário-hora) = %4").arg(p, r, s, v);
            else if (rule == 1)
                how = QStringLiteral("%1 × %2 × %3 ÷ %4 horas = %5").arg(p, r, s, law::Money(monthHours), v);
            else
                how = QStringLiteral("%1 × %2 × (%3 ÷ %4 horas, a %5 por hora) = %6")
                          .arg(p, r, s, law::Money(monthHours), law::Money(RoundValue(2, salary / monthHours)), v);
            if (run_.kind == CalcKind::Termination && eventCode == roleEvent(QStringLiteral("046")) && run_.rules.corrected) {
                const int days = law::NoticeDays(admission, leaving);
                how = QStringLiteral("aviso prévio de %1 dias (30 + 3 por ano completo de serviço, até 90; Lei 12.506/2011): %2")
                          .arg(days)
                          .arg(how);
            }
            trails_[eventCode] = {eventCode, QStringLiteral("Valorização da ocorrência (regra %1)").arg(rule), how};
        }
        row.record.set("CENTCUSTO", costCentre);
        totals.accumulate(event->flags, refer, *valor);
    }
}

Fixed EmployeeCalc::writeEvent(const QString& eventCode, Fixed refer, Fixed amount) {
    const Fixed valor = RoundValue(2, amount);
    if (valor.isZero()) return valor;
    auto it = rows_.find(eventCode);
    if (it == rows_.end()) {
        Record r = ocorrenc_.newRecord();
        r.set("OCORRANO", run_.year).set("OCORRMES", run_.month).set("TIPOFOLHA", run_.sheet);
        r.set("HCODIGO", eventCode).set("CODFUN", code);
        it = rows_.emplace(eventCode, SheetRow{r, std::nullopt, false}).first;
    }
    SheetRow& row = it->second;
    row.staleResult = false;
    row.record.setNumber("REFER", refer).setNumber("VALOR", valor).set("FLAG", QStringLiteral("*"));
    trails_[eventCode] = {eventCode, currentRule, {}};
    return valor;
}

void EmployeeCalc::explain(const QString& eventCode, const QString& text) {
    if (eventCode.isEmpty()) return;
    auto it = trails_.find(eventCode);
    if (it == trails_.end()) it = trails_.emplace(eventCode, law::TrailRow{eventCode, currentRule, {}}).first;
    it->second.text = text;
}

void EmployeeCalc::reportBlankRole(const QString& role) {
    ui_.message(MessageKind::Warning, QStringLiteral("Ocorrencia Fixa sem Historico:") + role);
    ui_.message(MessageKind::Warning, QStringLiteral("Corrija a Ocorrencia Fixa e Descalcule a Folha"));
}

QString EmployeeCalc::roleEvent(const QString& role) const { return tables_.roleEvent(role); }

QString EmployeeCalc::writeRole(const QString& role, Fixed refer, Fixed valor, bool accumulateIt) {
    const QString event = roleEvent(role);
    if (event.isEmpty()) {
        // Only a result that has something to write is worth the warning.
        if (!valor.isZero()) reportBlankRole(role);
        return {};
    }
    const Fixed written = writeEvent(event, refer, valor);
    if (accumulateIt) accumulate(event, refer, written);
    return event;
}

void EmployeeCalc::writeCode(const QString& eventCode, Fixed refer, Fixed valor, bool accumulateIt) {
    if (eventCode.isEmpty()) return;
    const Fixed written = writeEvent(eventCode, refer, valor);
    if (accumulateIt) accumulate(eventCode, refer, written);
}

Fixed EmployeeCalc::multiplierOf(const QString& eventCode) const {
    const EventInfo* e = tables_.eventInfo(eventCode);
    return e ? e->perc : Fixed();
}

QSet<QString> EmployeeResultCodes(const Record& employee) {
    QSet<QString> codes;
    for (const char* field : {"INSALUBRE", "COD_DISSID", "SAL_FAM", "HISTO1", "HISTO2", "HISTO3", "HISTO4", "HISTO5"}) {
        const QString c = EventOfNumber(employee.integer(QLatin1String(field)));
        if (!c.isEmpty()) codes.insert(c);
    }
    return codes;
}

void EmployeeCalc::accumulate(const QString& eventCode, Fixed refer, Fixed valor) {
    const EventInfo* event = tables_.eventInfo(eventCode);
    if (!event) {
        if (!valor.isZero()) ui_.log(MissingEventText(code, eventCode));
        return;
    }
    totals.accumulate(event->flags, refer, valor);
}

std::optional<Record> EmployeeCalc::row(const QString& period, const QString& sheet, const QString& eventCode) {
    if (eventCode.isEmpty()) return std::nullopt;
    if (period == run_.period && sheet == run_.sheet) {
        if (SheetRow* r = current(eventCode)) return r->record;
        return std::nullopt;
    }
    if (page_ && page_->hasSheet(period, sheet)) {
        const auto* rows = page_->sheet(code, period, sheet);
        if (!rows) return std::nullopt;
        const auto it = rows->find(eventCode);
        if (it == rows->end()) return std::nullopt;
        return it->second;
    }
    return ocorrenc_.find({period.left(4), period.mid(4, 2), sheet, eventCode, code});
}

std::vector<Record> EmployeeCalc::shiftRows() {
    if (!run_.monthHasShifts) return {};
    if (page_ && page_->hasShifts()) return page_->shifts(code);
    return Table(db_, QStringLiteral("MovPlant"))
        .select(QStringLiteral("PLANT_ANO = ? AND PLANT_MES = ? AND TIPOFOLHA = ? AND CODFUN = ?"),
                {run_.year, run_.month, run_.sheet, code});
}

std::vector<Record> EmployeeCalc::dependantRows() {
    if (page_ && page_->hasDependants()) return page_->dependants(code);
    return Table(db_, QStringLiteral("DEPENDE")).select(QStringLiteral("CODFUN = ?"), {code});
}

std::optional<Record> EmployeeCalc::roleRow(const QString& period, const QString& sheet, const QString& role) {
    // A role without an event code has no row to read; writing under it is
    // what gets reported.
    const QString event = roleEvent(role);
    if (event.isEmpty()) return std::nullopt;
    return row(period, sheet, event);
}

int EmployeeCalc::flush(GroupWrites* group) {
    int n = 0;
    // Rows that go are removed with one statement, new rows inserted with
    // one. On the server, where each statement is a round trip, a changed
    // row goes the same way (removed and written whole again, as an update
    // would leave it; the server does no less work for an update); on the
    // embedded engine an update in place of the few columns that change is
    // cheaper than rewriting the row's five indexes.
    const bool server = db_.backend() == Backend::PostgreSQL;
    std::vector<QVariantList> removed;
    std::vector<const Record*> inserted;
    for (auto& [eventCode, row] : rows_) {
        if (row.staleResult) {
            removed.push_back(row.stored->keyValues());
            ++n;
        } else if (!row.stored) {
            inserted.push_back(&row.record);
            ++n;
        } else if (!(row.record == *row.stored)) {
            if (server) {
                removed.push_back(row.stored->keyValues());
                inserted.push_back(&row.record);
            } else {
                ocorrenc_.update(row.record);
            }
            ++n;
        }
    }
    // The trail of every row the calculation wrote or valued, replaced whole.
    std::vector<law::TrailRow> trails;
    for (const auto& [eventCode, trail] : trails_) {
        auto it = rows_.find(eventCode);
        if (it == rows_.end() || it->second.staleResult) continue;
        trails.push_back(trail);
    }
    if (group) {
        for (QVariantList& key : removed) group->remove(std::move(key));
        for (const Record* r : inserted) group->insert(*r);
        group->trails(code, std::move(trails));
    } else {
        if (!removed.empty()) ocorrenc_.removeMany(removed);
        ocorrenc_.insertMany(inserted);
        law::WriteTrails(db_, {code, run_.year, run_.month, run_.sheet}, trails);
    }
    rowsWritten_ += n;
    return n;
}

void GroupWrites::write(Database& db, const QString& year, const QString& month, const QString& sheet) const {
    Table ocorrenc(db, QStringLiteral("OCORRENC"));
    // A changed row is removed and written whole again: every removal
    // comes before the inserts.
    if (!removed_.empty()) ocorrenc.removeMany(removed_);
    ocorrenc.insertMany(inserted_);
    law::WriteSheetsTrails(db, year, month, sheet, trails_);
}

} // namespace folha::payroll
