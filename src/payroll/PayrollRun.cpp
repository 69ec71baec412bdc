// The payroll run over the employees of the company.
#include "PayrollRun.h"
#include "CalculationLock.h"
#include "EsocialMarks.h"

#include "Additional.h"
#include "Statutory.h"
#include "TableRoutines.h"
#include "TextRoutines.h"

#include <QElapsedTimer>
#include <optional>
#include <utility>

namespace folha::payroll {

// The automatic events of an employee: first what brings rows into the
// monthly sheet before the entered rows are valued, then the additional pay,
// the statutory contributions, the balances and the rounding of the net.
const std::vector<AutomaticStep>& AutomaticSteps() {
    auto roles = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* r : list) out << QLatin1String(r);
        return out;
    };
    static const std::vector<AutomaticStep> steps = {
        {QStringLiteral("Plantões"), roles({"077", "605", "601", "604", "097", "098", "090", "091"}), Shifts,
         QStringLiteral("F"), true},
        // The copies of the vacation sheet replace themselves by key; only
        // the default hours are computed here.
        {QStringLiteral("Férias do mês e horas automáticas"), roles({"077", "078", "092"}), VacationSheetAndDefaultHours,
         QStringLiteral("F"), true},
        {QStringLiteral("Bases do salário"), roles({"031", "013", "032"}), BasesFromSalary},
        {QStringLiteral("Salário de referência"), roles({"058"}), ReferenceSalary},
        {QStringLiteral("Vale transporte"), roles({"076"}), TransportVoucher, QStringLiteral("F")},
        {QStringLiteral("Insalubridade"), roles({"001", "002", "037", "093", "094"}), Insalubrity},
        {QStringLiteral("DSR sobre horas"), roles({"004", "005", "006", "008"}), OvertimeRest},
        {QStringLiteral("DSR sobre variáveis"), roles({"079"}), VariablePayRest},
        {QStringLiteral("Mensalidades"), roles({"069", "072"}), Dues},
        {QStringLiteral("Dissídio e históricos fixos"), {}, UnionAgreementAndFixedEvents},
        {QStringLiteral("Periculosidade"), roles({"042", "063", "064", "065", "095", "096"}), Hazard},
        {QStringLiteral("1/3 de férias"), roles({"009", "010", "041", "074"}), VacationThird},
        {QStringLiteral("Adiantamento já pago"), roles({"053"}), AdvancePaid, QStringLiteral("F")},
        {QStringLiteral("Parcela de férias da base do INSS"), roles({"049"}), VacationShareOfInssBase},
        {QStringLiteral("INSS"), roles({"012", "013", "030"}), Inss},
        {QStringLiteral("INSS 13º Salário"), roles({"014", "015", "062"}), Inss13},
        {QStringLiteral("Salário Família"), roles({"011"}), FamilyAllowance},
        {QStringLiteral("IRRF"), roles({"016", "017", "034", "018", "019", "035", "020", "021", "036"}), Irrf},
        {QStringLiteral("Evento de salário família"), {}, FamilyEvent},
        {QStringLiteral("FGTS"), roles({"075", "031", "067", "032"}), Fgts},
        {QStringLiteral("Multa FGTS"), roles({"050"}), FgtsFine},
        {QStringLiteral("Saldos e arredondamentos"), roles({"022", "070", "024", "023"}), CarriedBalances},
        {QStringLiteral("Arredondamento do líquido"), roles({"025"}), NetRounding},
    };
    return steps;
}

QStringList TotalRoles() {
    return {QStringLiteral("026"), QStringLiteral("027"), QStringLiteral("028"), QStringLiteral("055")};
}

void WriteTotals(EmployeeCalc& c) {
    const Fixed earnings = c.totals.totalEarnings;
    const Fixed deductions = c.totals.totalDeductions;
    const Fixed net = c.totals.netPay;
    const CalcKind kind = c.run().kind;
    if (earnings > Fixed()) c.writeRole(QStringLiteral("026"), Fixed(), earnings, false);
    if (kind != CalcKind::Termination) c.writeRole(QStringLiteral("027"), Fixed(), deductions, false);
    if (net > Fixed()) {
        switch (kind) {
        case CalcKind::Termination:
            c.writeRole(QStringLiteral("055"), Fixed(), net, true);
            // Deductions and net together balance the earnings of the statement.
            c.writeRole(QStringLiteral("027"), Fixed(), deductions + net, false);
            break;
        case CalcKind::Monthly:
        case CalcKind::Vacation:
        case CalcKind::Thirteenth: // the 13th salary's net is the net of its own sheet
            c.writeRole(QStringLiteral("028"), Fixed(), net, false);
            break;
        }
    }
}

QSet<QString> ResultCodes(const RunTables& tables, const QString& sheet) {
    // Results of an earlier run under these codes are replaced, never added up.
    QSet<QString> codes;
    QStringList roles = TotalRoles();
    for (const auto& step : AutomaticSteps())
        if (step.sheets.isEmpty() || step.sheets.contains(sheet)) roles += step.roles;
    for (const QString& role : roles) {
        const QString event = tables.roleEvent(role);
        if (!event.isEmpty()) codes.insert(event);
    }
    return codes;
}

PayrollRun::PayrollRun(Database& db, UserInterface& ui) : db_(db), ui_(ui) {}

QList<QDate> BranchHolidays(Database& db, const QString& branchCode, int year) {
    QList<QDate> days = law::NationalHolidays(year);
    const TableDef& def = Registry::instance().require(QStringLiteral("FERIADOS"));
    db.ensureTable(def);
    for (const Record& r : Table(db, def).select(QStringLiteral("FILIAL = ?"), {branchCode})) {
        const QDate d = r.date("DATA");
        if (d.isValid() && d.year() == year && !days.contains(d)) days << d;
    }
    return days;
}

CommitGroup::CommitGroup(Database& db, int employees, int ms) : db_(db), maxEmployees_(employees), maxMs_(ms) {}

CommitGroup::~CommitGroup() {
    if (open_) {
        try {
            db_.rollback();
        } catch (...) {
        }
    }
}

void CommitGroup::beginEmployee() {
    if (!open_) {
        db_.begin();
        open_ = true;
        employees_ = 0;
        timer_.start();
    }
}

void CommitGroup::endEmployee() {
    ++employees_;
    if (employees_ >= maxEmployees_ || timer_.elapsed() >= maxMs_) commit();
}

void CommitGroup::commit() {
    if (!open_) return;
    if (beforeCommit_) beforeCommit_();
    open_ = false;
    db_.commit();
}

AuditEntry AuditOf(const RunOptions& o, const RunSummary& s) {
    return {QStringLiteral("C"), QStringLiteral("OCORRENC"),
            QStringLiteral("Cálculo da folha, filial %1, funcionários %2 a %3: %4 calculado(s), %5 registro(s) gravado(s)%6")
                .arg(o.branchCode, RangeEndText(o.firstEmployee), RangeEndText(o.lastEmployee))
                .arg(s.employeesCalculated)
                .arg(s.rowsWritten)
                .arg(CancelledAuditText(s.cancelled))};
}

namespace {
// Employees read at a time.
constexpr int EmployeePageSize = 256;
} // namespace

struct PayrollRun::Prepared {
    Prepared(Database& db, const TableDef& filialDef) : values(filialDef), esocial(db) {}
    RunOptions options;
    RunTables tables;
    RunValues values;
    QSet<QString> resultCodes;
    // The eSocial events of an employee whose rows changed are rebuilt (and
    // rectified) at the next generation: marked with his rows.
    EsocialMarks esocial;
    EmployeePage single; // the page of an employee valued alone
};

PayrollRun::~PayrollRun() = default;

const RunTables& PayrollRun::tables() const {
    if (!prepared_) throw DbError(QStringLiteral("Cálculo da folha não preparado"));
    return prepared_->tables;
}

EsocialMarks& PayrollRun::marks() {
    if (!prepared_) throw DbError(QStringLiteral("Cálculo da folha não preparado"));
    return prepared_->esocial;
}

void PayrollRun::prepare(const RunOptions& options) {
    const Record branch = PayrollBranch(db_, options.branchCode);
    const QDate payrollDate = branch.date("DATA_FOLHA");
    const QString sheet = branch.text("TIPO_FOL").trimmed();
    if (sheet.isEmpty()) throw DbError(QStringLiteral("O tipo da folha da filial %1 não está preenchido.").arg(options.branchCode));

    auto p = std::make_unique<Prepared>(db_, branch.def());
    p->options = options;
    p->tables.load(db_);
    const RunTables& tables = p->tables;
    RunValues& values = p->values;
    values.sheet = sheet;
    values.kind = options.kind;
    values.familyAllowance = options.familyAllowance;
    values.defaultHours = options.defaultHours;
    values.payrollDate = payrollDate;
    values.period = CompetenceOfDate(payrollDate);
    values.year = values.period.left(4);
    values.month = values.period.mid(4, 2);
    values.previousPeriod = CompetenceOfDate(payrollDate.addDays(-40));
    values.branch = branch;
    values.inssCeiling = tables.tableColumn(QStringLiteral("013"), 2);
    values.netRoundingStep = branch.number("FVALOR");
    // Loaded for every employee: the rest on overtime divides by them.
    values.monthHours = branch.number("HORAS_MES");
    values.restHours = branch.number("HORAS_DESC");
    values.minimumWage = branch.number("VLR_MINIMO");
    const law::LawContext& lawNow = law::CurrentLaw();
    values.legal = lawNow.tables;
    values.lawSettings = lawNow.settings;
    values.rules = law::RulesFor(values.period, values.lawSettings);
    values.monthDays = law::DaysOfMonth(payrollDate.year(), payrollDate.month(), BranchHolidays(db_, options.branchCode, payrollDate.year()));
    values.monthHasShifts = Table(db_, QStringLiteral("MovPlant"))
                                .count(QStringLiteral("PLANT_ANO = ? AND PLANT_MES = ? AND TIPOFOLHA = ?"),
                                       {values.year, values.month, values.sheet}) > 0;
    if (values.rules.currentTables) {
        // The current law calculates with the legal tables of the competence;
        // without them nothing is calculated.
        for (const char* kind : {"INSS", "IRRF"})
            if (values.legal->inForce(QLatin1String(kind), values.period).empty())
                throw DbError(QStringLiteral("Nenhuma tabela %1 em vigor na competência %2: cadastre-a em Cadastros, Tabelas Legais.")
                                  .arg(QLatin1String(kind), law::CompetenceText(values.period)));
        values.inssCeiling = law::InssCeiling(*values.legal, values.period);
    } else if (!tables.table(QStringLiteral("013"))) {
        ui_.message(MessageKind::Warning, QStringLiteral("Tabela 013 (teto do INSS) não cadastrada: o INSS não será calculado."));
    }
    p->resultCodes = ResultCodes(tables, sheet);
    // The rows and trails are sought by their keys, many to a statement.
    db_.refreshStatistics(QStringLiteral("OCORRENC"));
    db_.refreshStatistics(QStringLiteral("MEMOCALC"));
    prepared_ = std::move(p);
}

PayrollRun::Outcome PayrollRun::valueEmployee(const Record& employee, bool held, RunSummary& summary) {
    if (!prepared_) throw DbError(QStringLiteral("Cálculo da folha não preparado"));
    const QString code = employee.text("CODFUN");
    prepared_->single.loadOne(db_, prepared_->values, code);
    return calculate(employee, prepared_->single, held, summary);
}

PayrollRun::Outcome PayrollRun::calculate(const Record& employee, const EmployeePage& page, bool held, RunSummary& summary,
                                          GroupWrites* writes) {
    Prepared& p = *prepared_;
    const QString code = employee.text("CODFUN");
    auto notCalculated = [&](const QString& why) {
        ui_.message(MessageKind::Error,
                    QStringLiteral("FUNCIONARIO ") + employee.text("NOME") + QStringLiteral(" NAO CALCULADO: ") + why);
        ++summary.employeesNotCalculated;
        return Outcome::NotCalculated;
    };
    bool dismissed = false, calculated = false;
    try {
        // A termination values the employee it was asked to, also one
        // already marked as dismissed.
        dismissed = employee.integer("CONDICAO") == 0 && p.options.kind != CalcKind::Termination;
        calculated = employee.integer("CALC_FLAG") == 1;
    } catch (const DbError& e) {
        // A stored value the register refuses: this employee alone is not calculated.
        return notCalculated(e.message());
    }
    if (dismissed || calculated) {
        ++summary.employeesSkipped;
        return Outcome::Skipped;
    }
    // Someone editing the employee holds him: his hold is asked for as the
    // register's screens do, and kept while he is calculated. The others are
    // calculated without a hold row of their own: the run holds the
    // company's calculation for the whole range.
    const std::optional<RowLock> hold =
        held ? TryEdit(db_, employee.def(), {code}, p.options.userCode, ui_) : std::optional<RowLock>();
    if (held && !hold) {
        ui_.message(MessageKind::Warning, QStringLiteral("FUNCIONARIO ") + employee.text("NOME") + QStringLiteral(" NAO CALCULADO"));
        ++summary.employeesNotCalculated;
        return Outcome::NotCalculated;
    }
    std::optional<EmployeeCalc> calc;
    try {
        // Reading the register's values and the event rows may meet a
        // stored value they refuse; that ends this employee only.
        calc.emplace(db_, ui_, p.tables, p.values, employee, p.resultCodes, &page);
        for (const auto& step : AutomaticSteps())
            if (step.beforeValuation) {
                calc->currentRule = step.name;
                step.run(*calc);
            }
        calc->currentRule = QStringLiteral("Valorização das ocorrências");
        calc->valueEnteredRows();
        for (const auto& step : AutomaticSteps())
            if (!step.beforeValuation) {
                calc->currentRule = step.name;
                step.run(*calc);
            }
        calc->currentRule = QStringLiteral("Totais");
        WriteTotals(*calc);
    } catch (const std::exception& e) {
        // Nothing of the employee was written yet.
        return notCalculated(QString::fromUtf8(e.what()));
    }
    // An employee held while he is calculated is written before his hold goes.
    const int written = calc->flush(hold ? nullptr : writes);
    if (written > 0) p.esocial.markSheet(code, p.values.year, p.values.month, p.values.sheet);
    summary.rowsWritten += written;
    ++summary.employeesCalculated;
    return Outcome::Calculated;
}

RunSummary PayrollRun::run(const RunOptions& options) {
    const JobLock calculating(db_, CalculationJob, CalculationCaption);
    RunSummary summary;
    prepare(options);
    const RunValues& values = prepared_->values;

    const TableDef& cadfunDef = Registry::instance().require(QStringLiteral("CADFUN"));
    Table cadfun(db_, cadfunDef);
    const bool range = !options.firstEmployee.isEmpty() && !options.lastEmployee.isEmpty();
    const qint64 total = range ? cadfun.count(QStringLiteral("CODFUN >= ? AND CODFUN <= ?"),
                                              {options.firstEmployee, options.lastEmployee})
                               : cadfun.count();
    ui_.progressStart(QStringLiteral("Calculando a folha"), int(total));

    std::optional<UiRun> uiRun;
    if (!options.automaticMode) uiRun.emplace(ui_, QStringLiteral("Cálculo da folha"));
    // On the server, where each statement is a round trip, the group's rows
    // and trails are written together as it commits.
    std::optional<GroupWrites> writes;
    if (db_.backend() == Backend::PostgreSQL) writes.emplace();
    CommitGroup group(db_, groupEmployees_, groupMilliseconds_);
    // The group's employees' eSocial events are marked with one statement
    // as the group commits.
    const DeferredMarks deferred(prepared_->esocial);
    group.beforeCommit([&] {
        if (writes) std::exchange(*writes, {}).write(db_, values.year, values.month, values.sheet);
        prepared_->esocial.flush();
    });
    EmployeePage rows;
    // Employees are read in pages, in code order; a range starts at its
    // first code and ends after its last.
    QString after;
    bool more = true;
    while (more) {
        const std::vector<Record> page =
            range ? cadfun.page(QStringLiteral("CODFUN >= ? AND CODFUN <= ?"), {options.firstEmployee, options.lastEmployee},
                                after.isNull() ? QVariantList() : QVariantList{after}, EmployeePageSize)
                  : cadfun.page({}, {}, after.isNull() ? QVariantList() : QVariantList{after}, EmployeePageSize);
        more = page.size() == size_t(EmployeePageSize);
        if (page.empty()) break;
        // What the page's employees read, and who is held, is read once for the page.
        rows.load(db_, values, page.front().text("CODFUN"), page.back().text("CODFUN"));
        const QSet<QString> held = HeldKeys(db_, cadfunDef);
        for (const Record& employee : page) {
            // A cancel is taken between employees: those written stay whole.
            if (ui_.cancelRequested()) {
                summary.cancelled = true;
                more = false;
                break;
            }
            after = employee.text("CODFUN");
            ++summary.employeesRead;
            ui_.progressStep(summary.employeesRead);
            const QString code = employee.text("CODFUN");
            if (range && code > options.lastEmployee) {
                more = false;
                break;
            }
            if (range && code < options.firstEmployee) {
                ++summary.employeesSkipped;
                continue;
            }
            const bool isHeld = held.contains(HoldKey(cadfunDef, {code}));
            // Someone else editing the employee: do not hold other writers
            // while the question waits.
            if (isHeld && !RowHolder(db_, cadfunDef, {code}).isEmpty()) group.commit();
            group.beginEmployee();
            calculate(employee, rows, isHeld, summary, writes ? &*writes : nullptr);
            group.endEmployee();
        }
    }
    group.commit();
    ui_.progressEnd();
    uiRun.reset();
    ClosingNotice(ui_, summary.cancelled, summary.employeesCalculated, options.automaticMode || !options.closingNotice);
    return summary;
}

} // namespace folha::payroll
