// The machinery the vacation, 13th-salary and termination calculations share.
#include "LeaveCalc.h"
#include "CalculationLock.h"
#include "EsocialMarks.h"

#include "Registry.h"
#include "TableRoutines.h"
#include "TextRoutines.h"

#include <algorithm>
#include <utility>

namespace folha::leave {

QString MonthOf(const QDate& date) { return CompetenceOfDate(date); }

QString PreviousMonth(const QString& yyyymm) {
    const int year = yyyymm.left(4).toInt();
    const int month = yyyymm.mid(4, 2).toInt();
    return month <= 1 ? QStringLiteral("%112").arg(year - 1, 4, 10, QChar('0'))
                      : QStringLiteral("%1%2").arg(year, 4, 10, QChar('0')).arg(month - 1, 2, 10, QChar('0'));
}

const QStringList& HoursAndAmountRoles() {
    static const QStringList roles{QStringLiteral("601"), QStringLiteral("602"), QStringLiteral("603"),
                                   QStringLiteral("604"), QStringLiteral("605"), QStringLiteral("701"),
                                   QStringLiteral("702")};
    return roles;
}

const QStringList& CommissionRoles() {
    static const QStringList roles{QStringLiteral("079"), QStringLiteral("080")};
    return roles;
}

std::optional<int> MonthsOf(const QString& typed) {
    bool ok = false;
    const int n = typed.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

bool AdmissionMonthCounts(const QDate& admission) {
    // The first day that no longer gives 15 days of the month (February
    // always as a month of 28 days).
    static const int bounds[12] = {18, 15, 18, 17, 18, 17, 18, 18, 17, 18, 17, 18};
    return admission.isValid() && admission.day() < bounds[admission.month() - 1];
}

Fixed HoursOfDays(int weeklyHours, const Ratio& days) { return RoundValue(2, Ratio::fromInt(weeklyHours) / 6 * days); }

// ---------------------------------------------------------------- writer

namespace {
// The order of the events index that starts with the employee: the rows of
// one employee are read through it instead of through the whole period.
const QString EmployeeOrder = QStringLiteral("CODFUN, TIPOFOLHA, HCODIGO, OCORRANO, OCORRMES");
} // namespace

LeaveWriter::LeaveWriter(Database& db, UserInterface& ui, const payroll::RunTables& tables, const QString& period,
                         const Record& employee, Style style)
    : db_(db), ui_(ui), tables_(tables), period_(period), employee_(employee), style_(std::move(style)),
      ocorrenc_(db, QStringLiteral("OCORRENC")) {}

std::optional<QString> LeaveWriter::lookUp(const QString& role, bool dialog) {
    auto it = tables_.roles.constFind(role);
    if (it == tables_.roles.constEnd()) return std::nullopt; // the company does not use the role
    const QString event = it.value();
    if (event < QLatin1String("001")) {
        // A row without an event code would be read by nobody: reported, not written.
        const QString line = QStringLiteral("Ocorrencia Fixa sem Historico:") + event + QStringLiteral(" - Fix Oco: ") + role;
        if (dialog) ui_.message(MessageKind::Warning, line);
        else ui_.log(line);
        return std::nullopt;
    }
    return event;
}

void LeaveWriter::write(const QString& role, Fixed refer, Fixed valor, const QString& sheet, bool dialog) {
    const auto event = lookUp(role, dialog);
    if (!event) return;
    // Amounts are paid in whole centavos; hours and days keep four places.
    results_[{sheet.isEmpty() ? style_.sheet : sheet, *event}] = RowSums{refer, RoundValue(2, valor)};
}

std::optional<RowSums> LeaveWriter::sums(const QString& role, const QString& sheet, const QString& first,
                                         const QString& last) {
    return sums(QStringList{role}, sheet, first, last).front();
}

std::vector<std::optional<RowSums>> LeaveWriter::sums(const QStringList& roles, const QString& sheet,
                                                      const QString& first, const QString& last) {
    std::vector<std::optional<RowSums>> result;
    std::vector<Key> keys; // of the roles that have an event, in their order
    for (const QString& role : roles) {
        const auto event = lookUp(role);
        if (event) keys.emplace_back(sheet, *event);
        result.push_back(event ? std::optional<RowSums>(RowSums{}) : std::nullopt);
    }
    if (keys.empty() || first.isEmpty() || last.isEmpty() || first > last) return result;
    if (historyFrom_.isEmpty()) readHistory(keys, first);
    else if (first < historyFrom_) readBack(keys, first);
    auto key = keys.begin();
    for (auto& s : result) {
        if (!s) continue;
        const auto rows = history_.find(*key++);
        if (rows == history_.end()) continue;
        for (const auto& [month, values] : rows->second) {
            if (month < first || month > last) continue;
            s->refer += values.refer;
            s->valor += values.valor;
        }
    }
    return result;
}

void LeaveWriter::readHistory(const std::vector<Key>& keys, const QString& first) {
    // The first sum reads in one go the employee's rows of the period and
    // after, whole (flush writes over them), and of the months before, from
    // the first month asked, the rows of the events it asks for. A later
    // window reads back its own events (the months before are the office's
    // earlier years, and most of their events are averaged by nobody).
    // The windows read before the period: this sum's, and those expected.
    struct Older {
        QString sheet;
        QStringList events;
        QString first;
    };
    std::vector<Older> older;
    auto olderWindow = [&](const QString& sheet, const QStringList& events, const QString& from) {
        if (events.isEmpty() || from.isEmpty() || from >= period_) return;
        // Windows of one sheet from the same month are one.
        auto same = std::find_if(older.begin(), older.end(), [&](const Older& o) { return o.sheet == sheet && o.first == from; });
        if (same == older.end()) same = older.insert(older.end(), {sheet, {}, from});
        for (const QString& event : events) {
            if (!same->events.contains(event)) same->events << event;
            QString& held = keyFrom_[{sheet, event}];
            if (held.isEmpty() || from < held) held = from;
        }
    };
    QStringList events;
    for (const Key& key : keys) events << key.second;
    olderWindow(keys.front().first, events, first);
    for (const Window& window : std::exchange(expected_, {})) {
        QStringList expected;
        for (const QString& role : window.roles)
            if (const QString event = tables_.roleEvent(role); !event.isEmpty()) expected << event;
        olderWindow(window.sheet, expected, window.first);
    }
    QString where = QStringLiteral("CODFUN = ? AND (OCORRANO || OCORRMES >= ?");
    QVariantList params{employee_.text("CODFUN"), period_};
    for (const Older& o : older) {
        where += QStringLiteral(" OR (TIPOFOLHA = ? AND HCODIGO IN (?");
        for (qsizetype i = 1; i < o.events.size(); ++i) where += QStringLiteral(", ?");
        where += QStringLiteral(") AND OCORRANO || OCORRMES >= ?)");
        params << o.sheet;
        for (const QString& event : o.events) params << event;
        params << o.first;
    }
    where += QLatin1Char(')');
    present_.emplace();
    // In the order of the employee's index, which the engine then reads.
    ocorrenc_.forEach(
        where, params,
        [&](const Record& r) {
            const QString month = r.text("OCORRANO") + r.text("OCORRMES");
            Key key{r.text("TIPOFOLHA"), r.text("HCODIGO")};
            if (month == period_) present_->emplace(key, r);
            history_[std::move(key)].push_back({month, RowSums{r.number("REFER"), r.number("VALOR")}});
            return true;
        },
        EmployeeOrder);
    historyFrom_ = period_;
}

void LeaveWriter::readBack(const std::vector<Key>& keys, const QString& first) {
    // A window that reaches before the months held (a commission's goes back
    // as many months as the branch says, years at times) reads back its own
    // events only, each from where it is not held yet.
    auto heldFrom = [&](const Key& key) -> const QString& {
        const auto it = keyFrom_.find(key);
        return it == keyFrom_.end() ? historyFrom_ : it->second;
    };
    std::vector<Key> reading;
    for (const Key& key : keys)
        if (first < heldFrom(key)) reading.push_back(key);
    QStringList events;
    QString upTo;
    for (const Key& key : reading) {
        if (events.contains(key.second)) continue;
        events << key.second;
        upTo = std::max(upTo, heldFrom(key));
    }
    if (events.isEmpty()) return;
    QString where = QStringLiteral("CODFUN = ? AND TIPOFOLHA = ? AND HCODIGO IN (?");
    for (qsizetype i = 1; i < events.size(); ++i) where += QStringLiteral(", ?");
    where += QStringLiteral(") AND OCORRANO || OCORRMES >= ? AND OCORRANO || OCORRMES < ?");
    QVariantList params{employee_.text("CODFUN"), keys.front().first};
    for (const QString& event : events) params << event;
    params << first << upTo;
    ocorrenc_.forEach(
        where, params,
        [&](const Record& r) {
            const QString month = r.text("OCORRANO") + r.text("OCORRMES");
            Key key{r.text("TIPOFOLHA"), r.text("HCODIGO")};
            // An event read back earlier than another holds these months already.
            if (month >= heldFrom(key)) return true;
            history_[std::move(key)].push_back({month, RowSums{r.number("REFER"), r.number("VALOR")}});
            return true;
        },
        EmployeeOrder);
    for (const Key& key : reading) keyFrom_[key] = first;
}

void LeaveWriter::ownRoles(const QStringList& roles, const QString& sheet) {
    for (const QString& role : roles) {
        const QString event = tables_.roleEvent(role);
        if (!event.isEmpty() && !style_.runResults.contains(event)) own_[{sheet.isEmpty() ? style_.sheet : sheet, event}] = true;
    }
}

int LeaveWriter::flush() {
    int written = 0;
    const QString code = employee_.text("CODFUN");
    const QString year = period_.left(4), month = period_.mid(4, 2);
    static const char* const vacationDates[] = {"DT_INIFERI", "DT_FINFERI", "DT_IGOZFER",
                                                "DT_FGOZFER", "DT_IABOFER", "DT_FABOFER"};
    // The employee's rows of the period: those kept when his history was
    // read, else read in one go now: (sheet, event) -> row.
    std::map<std::pair<QString, QString>, Record> present;
    if (present_ && historyFrom_ <= period_) {
        present = std::move(*present_);
        present_.reset();
    } else if (!results_.empty() || !own_.empty())
        // Through the employee's index, from the period on: a condition on
        // the period's fields would have the engine walk the whole month of
        // every employee.
        ocorrenc_.forEach(
            payroll::EmployeeRowsFrom(), {code, period_},
            [&](const Record& r) {
                if (r.text("OCORRANO") == year && r.text("OCORRMES") == month)
                    present.emplace(std::pair{r.text("TIPOFOLHA"), r.text("HCODIGO")}, r);
                return true;
            },
            EmployeeOrder);
    auto storedRow = [&](const std::pair<QString, QString>& key) -> std::optional<Record> {
        const auto it = present.find(key);
        if (it == present.end()) return std::nullopt;
        return it->second;
    };
    // New rows are inserted, and rows that go removed, many to a statement;
    // a changed row is updated in place (on the server, where a statement
    // is a round trip, it is removed and written whole again).
    const bool server = db_.backend() == Backend::PostgreSQL;
    std::vector<Record> fresh;
    std::vector<QVariantList> gone;
    fresh.reserve(results_.size());
    for (const auto& [key, values] : results_) {
        const auto stored = storedRow(key);
        Record r = stored ? *stored : ocorrenc_.newRecord();
        if (!stored) r.set("OCORRANO", year).set("OCORRMES", month).set("TIPOFOLHA", key.first).set("HCODIGO", key.second).set("CODFUN", code);
        r.setNumber("REFER", values.refer).setNumber("VALOR", values.valor).set("FLAG", QStringLiteral("*"));
        if (style_.setCostCentre) r.set("CENTCUSTO", employee_.text("CENTCUSTO"));
        if (style_.carryVacationDates)
            for (const char* f : vacationDates) {
                const QString field = QLatin1String(f);
                if (employee_.isNull(field)) r.setNull(field);
                else r.set(field, employee_.date(field));
            }
        if (stored && r == *stored) continue;
        if (stored && !server) {
            ocorrenc_.update(r);
        } else {
            if (stored) gone.push_back(stored->keyValues());
            fresh.push_back(std::move(r));
        }
        ++written;
    }
    for (const auto& [key, unused] : own_) {
        (void)unused;
        if (results_.count(key)) continue;
        const auto stored = storedRow(key);
        if (stored && stored->text("FLAG") == QLatin1String("*")) {
            gone.push_back(stored->keyValues());
            ++written;
        }
    }
    if (!gone.empty()) ocorrenc_.removeMany(gone);
    ocorrenc_.insertMany(fresh);
    return written;
}

// ---------------------------------------------------------------- the run

namespace {

// The payroll run that values an employee speaks through the calculation's
// messages but keeps its own progress to itself.
class ValuationUi : public UserInterface {
public:
    explicit ValuationUi(UserInterface& ui) : ui_(ui) {}
    void message(MessageKind kind, const QString& text, const QString& title) override { ui_.message(kind, text, title); }
    bool question(const QString& text, QuestionKind kind, const QString& title) override {
        return ui_.question(text, kind, title);
    }
    void log(const QString& line) override { ui_.log(line); }

private:
    UserInterface& ui_;
};

} // namespace

bool LeaveCalc::readMonths(const QString& typed) {
    const auto months = MonthsOf(typed);
    if (typed.trimmed().isEmpty()) {
        ui_.message(MessageKind::Warning, QStringLiteral("Informar o campo Meses para média de comissões!"));
        return false;
    }
    if (!months) {
        ui_.message(MessageKind::Warning, takesNoMonths()
                                              ? QStringLiteral("Meses para média de comissões inválido: %1").arg(typed.trimmed())
                                              : QStringLiteral("Meses para média de comissões inválido: %1 (informe um número maior que zero)")
                                                    .arg(typed.trimmed()));
        return false;
    }
    if (*months <= 0 && !takesNoMonths()) {
        // The commission averages divide by the months.
        ui_.message(MessageKind::Warning,
                    QStringLiteral("Meses para média de comissões inválido: %1 (informe um número maior que zero)").arg(typed.trimmed()));
        return false;
    }
    months_ = *months;
    return true;
}

void LeaveCalc::range(const LeaveOptions& o, QString& first, QString& last) {
    if (o.firstEmployee.isEmpty() || o.lastEmployee.isEmpty()) return;
    first = o.firstEmployee;
    last = o.lastEmployee;
}

AuditEntry LeaveCalc::audit(const LeaveOptions& o, const LeaveSummary& s) const {
    // "o cálculo das férias" -> "Cálculo das férias"
    QString title = calculationName().section(' ', 1);
    if (!title.isEmpty()) title[0] = title[0].toUpper();
    return {QStringLiteral("C"), QStringLiteral("OCORRENC"),
            QStringLiteral("%1, filial %2, funcionários %3 a %4: %5 calculado(s), %6 registro(s) gravado(s)%7")
                .arg(title, o.branchCode, RangeEndText(o.firstEmployee), RangeEndText(o.lastEmployee))
                .arg(s.employeesCalculated)
                .arg(s.rowsWritten)
                .arg(payroll::CancelledAuditText(s.cancelled))};
}

namespace {
// Each employee of a leave job is written inside a savepoint, and the
// embedded engine journals the pages the savepoint changes: past 64 KiB in
// a temporary file, written and rewritten for every employee. For the job
// the journal is kept in memory (an employee's pages, some hundred KiB at
// most); the engine's setting is given back at the end, so that large
// sorts elsewhere still go to disk.
class SavepointJournalInMemory {
public:
    explicit SavepointJournalInMemory(Database& db) : db_(db) {
        if (db_.backend() != Backend::SQLite) return;
        try {
            db_.execDirect(QStringLiteral("PRAGMA temp_store = MEMORY"));
            on_ = true;
        } catch (const DbError&) { // refused (temporary tables in use): the journal stays on disk
        }
    }
    ~SavepointJournalInMemory() {
        if (!on_) return;
        try {
            db_.execDirect(QStringLiteral("PRAGMA temp_store = DEFAULT"));
        } catch (...) { // the connection is failing already; the setting goes with it
        }
    }
    SavepointJournalInMemory(const SavepointJournalInMemory&) = delete;
    SavepointJournalInMemory& operator=(const SavepointJournalInMemory&) = delete;

private:
    Database& db_;
    bool on_ = false;
};
} // namespace

LeaveSummary LeaveCalc::run(const LeaveOptions& options) {
    const JobLock calculating(db_, payroll::CalculationJob, payroll::CalculationCaption);
    const SavepointJournalInMemory journal(db_);
    LeaveSummary summary;
    if (!readMonths(options.commissionMonths)) {
        summary.refused = true;
        return summary;
    }
    branch_ = payroll::PayrollBranch(db_, options.branchCode);
    const QString sheet = branch_.text("TIPO_FOL").trimmed();
    if (sheet != requiredSheet()) {
        // The payroll run values the branch's sheet: on another sheet the
        // rows would be written under one sheet and another one valued.
        ui_.message(MessageKind::Warning,
                    QStringLiteral("A filial %1 está com o Tipo Folha \"%2\"; %3 exige o Tipo Folha \"%4\". "
                                   "Altere o Tipo Folha da filial e calcule novamente.")
                        .arg(options.branchCode, sheet.isEmpty() ? QStringLiteral(" ") : sheet, calculationName(),
                             requiredSheet()));
        summary.refused = true;
        return summary;
    }
    payrollDate_ = branch_.date("DATA_FOLHA");
    period_ = MonthOf(payrollDate_);
    yearStart_ = period_.left(4) + QStringLiteral("01");

    // Each employee is valued by the payroll run prepared once for the job;
    // the calculation reads the tables that run read.
    ValuationUi quiet(ui_);
    payroll::PayrollRun valuation(db_, quiet);
    payroll::RunOptions value;
    value.branchCode = options.branchCode;
    value.kind = kind();
    value.automaticMode = true;
    value.userCode = options.userCode;
    valuation.prepare(value);
    const payroll::RunTables& tables = valuation.tables();
    tables_ = &tables;
    LeaveWriter::Style writerStyle = style();
    writerStyle.sheet = sheet;
    writerStyle.runResults = payroll::ResultCodes(tables, sheet);
    // Rows written here feed the month's eSocial events, and so do those the
    // valuation changes: both are marked through the valuation's marks, held
    // until the group commits and then marked with one statement.
    EsocialMarks& esocial = valuation.marks();
    const DeferredMarks deferred(esocial);

    QString first, last;
    range(options, first, last);
    const bool ranged = !first.isEmpty() || !last.isEmpty();
    Table cadfun(db_, QStringLiteral("CADFUN"));
    std::optional<UiRun> uiRun(std::in_place, ui_, caption());
    ui_.progressStart(caption(), int(cadfun.count()));
    // Employees are committed in the payroll run's groups, each one whole.
    payroll::CommitGroup group(db_, valuation.commitGroupEmployees(), valuation.commitGroupMilliseconds());
    group.beforeCommit([&esocial] { esocial.flush(); });
    int read = 0;
    QString after;
    bool more = true;
    while (more) {
        constexpr int employeePage = 256;
        const std::vector<Record> page = cadfun.page({}, {}, after.isNull() ? QVariantList() : QVariantList{after}, employeePage);
        more = page.size() == size_t(employeePage);
        const QSet<QString> held = HeldKeys(db_, cadfun.def());
        for (const Record& employee : page) {
            // A cancel is taken between employees: those written stay whole.
            if (ui_.cancelRequested()) {
                summary.cancelled = true;
                more = false;
                break;
            }
            after = employee.text("CODFUN");
            ui_.progressStep(++read);
            const QString code = employee.text("CODFUN");
            if (ranged && ((!first.isEmpty() && code < first) || (!last.isEmpty() && code > last))) continue;
            std::optional<LeaveWriter> w;
            try {
                const int condicao = employee.integer("CONDICAO");
                if (takesDismissed() ? condicao > 1 : condicao != 1) continue;
                if (employee.integer("CALC_FLAG") == 1) continue;
                w.emplace(db_, ui_, tables, period_, employee, writerStyle);
                if (!calculate(employee, *w)) continue;
            } catch (const DbError& e) {
                // A stored value the register refuses (the employee's or one
                // of his event rows): nothing is calculated for him.
                ui_.message(MessageKind::Error, QStringLiteral("FUNCIONARIO ") + employee.text("NOME") +
                                                    QStringLiteral(" NAO CALCULADO: ") + e.message());
                ++summary.employeesNotCalculated;
                continue;
            }
            auto writeRows = [&] {
                const int written = w->flush();
                if (written > 0) esocial.markSheet(code, period_.left(4), period_.mid(4, 2), writerStyle.sheet);
                return written;
            };
            payroll::RunSummary valued;
            payroll::PayrollRun::Outcome outcome;
            int written = 0;
            const bool isHeld = held.contains(HoldKey(cadfun.def(), {code})) && !RowHolder(db_, cadfun.def(), {code}).isEmpty();
            if (isHeld) {
                // Held elsewhere: the rows are written first, and the valuation
                // asks about the hold without keeping others waiting.
                group.commit();
                {
                    Transaction t(db_);
                    written = writeRows();
                    esocial.flush(); // with the rows, not with a later group
                    t.commit();
                }
                group.beginEmployee();
                outcome = valuation.valueEmployee(employee, true, valued);
                group.endEmployee();
            } else {
                // The rows and their valuation stand or go together.
                group.beginEmployee();
                const int marksBefore = esocial.pending();
                {
                    Savepoint both(db_);
                    written = writeRows();
                    outcome = valuation.valueEmployee(employee, false, valued);
                    if (outcome != payroll::PayrollRun::Outcome::NotCalculated) both.release();
                    else esocial.dropPending(marksBefore);
                }
                group.endEmployee();
                if (outcome == payroll::PayrollRun::Outcome::NotCalculated) {
                    // The valuation refused him (it said why): his rows went with it.
                    ++summary.employeesNotCalculated;
                    continue;
                }
            }
            summary.rowsWritten += written;
            ++summary.employeesCalculated;
            if (outcome == payroll::PayrollRun::Outcome::Calculated) ++summary.employeesValued;
            else ++summary.employeesNotValued;
        }
    }
    group.commit();
    ui_.progressEnd();
    tables_ = nullptr;
    uiRun.reset();
    payroll::ClosingNotice(ui_, summary.cancelled, summary.employeesCalculated, !options.closingNotice);
    return summary;
}

} // namespace folha::leave
