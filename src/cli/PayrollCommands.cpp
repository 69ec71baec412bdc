// calc, undo, events: the monthly payroll from the command line.
#include "Advance.h"
#include "CalculationTrail.h"
#include "EventsListing.h"
#include "Cli.h"
#include "PayrollRun.h"
#include "Termination.h"
#include "Thirteenth.h"
#include "Vacation.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"
#include "Undo.h"

#include <QDate>
#include <QHash>

namespace folha::cli {

namespace {

// An employee code as typed ("25") in the register's form ("000025").
QString employeeCode(const QString& typed) { return Typed([&] { return TypedEmployeeCode(typed); }); }

// An amount with two decimals, or with as many of the four stored as it has.
QString amountText(Fixed v) {
    QString s = v.toString(4);
    while (s.endsWith('0') && s.indexOf('.') < s.size() - 3) s.chop(1);
    return s;
}

// --from and --to, as employee codes (empty when not given).
void employeeRange(Context& c, QString& first, QString& last) {
    if (c.args.has("--from")) first = employeeCode(c.args.value("--from"));
    if (c.args.has("--to")) last = employeeCode(c.args.value("--to"));
}

struct Period {
    QString year, month, sheet;
};

// The period and sheet asked for, or the branch's own.
Period periodOf(Context& c) {
    Table filial(c.session().folha(), QStringLiteral("Filial"));
    auto branch = filial.find({c.branchCode()});
    if (!branch) throw CliError{QStringLiteral("Filial não cadastrada: %1").arg(c.branchCode())};
    const QString competence = CompetenceOfDate(branch->date("DATA_FOLHA"));
    Period p{competence.left(4), competence.mid(4, 2), branch->text("TIPO_FOL").trimmed()};
    const TypedPeriod typed = Typed([&] {
        return TypedYearMonth(c.args.value("--year", p.year), c.args.has("--month") ? c.args.value("--month") : p.month);
    });
    p.year = typed.year;
    p.month = typed.month;
    p.sheet = Typed([&] { return TypedSheetType(c.args.value("--sheet", p.sheet)); });
    return p;
}

int cmdCalc(Context& c) {
    c.openCompany();
    payroll::RunOptions o;
    o.branchCode = c.branchCode();
    employeeRange(c, o.firstEmployee, o.lastEmployee);
    o.familyAllowance = c.args.has("--family-allowance");
    o.defaultHours = c.args.has("--auto");
    o.userCode = c.userCode();
    payroll::PayrollRun run(c.session().folha(), c.ui());
    const payroll::RunSummary s = run.run(o);
    c.out << QStringLiteral("%1 funcionário(s) calculado(s)").arg(s.employeesCalculated) << Qt::endl;
    if (s.employeesNotCalculated > 0)
        c.out << QStringLiteral("%1 funcionário(s) não calculado(s)").arg(s.employeesNotCalculated) << Qt::endl;
    c.audit(payroll::AuditOf(o, s));
    return s.employeesNotCalculated > 0 ? 1 : 0;
}

int cmdAdvance(Context& c) {
    c.openCompany();
    payroll::AdvanceOptions o;
    o.branchCode = c.branchCode();
    employeeRange(c, o.firstEmployee, o.lastEmployee);
    if (c.args.has("--base-event")) {
        o.baseOnSalary = false;
        o.baseEvent = Typed([&] { return payroll::TypedBaseEvent(c.args.value("--base-event")); });
        o.baseMonth = c.args.value("--base-month");
    } else if (c.args.has("--base-month")) {
        throw CliError{QStringLiteral("Informe a opção --base-event junto com --base-month")};
    }
    o.writeNet = c.args.has("--write-net");
    payroll::AdvanceRun run(c.session().folha(), c.ui());
    const payroll::AdvanceSummary s = run.run(o);
    if (s.refused) return 2;
    c.out << QStringLiteral("%1 adiantamento(s) calculado(s)").arg(s.employeesCalculated) << Qt::endl;
    c.audit(payroll::AuditOf(o, s));
    return s.employeesNotCalculated > 0 ? 1 : 0;
}

int cmdUndo(Context& c) {
    c.openCompany();
    const QString code = employeeCode(c.requireOption("--employee"));
    const Period p = periodOf(c);
    Table cadfun(c.session().folha(), QStringLiteral("CADFUN"));
    auto employee = cadfun.find({code});
    if (!employee) throw CliError{QStringLiteral("Funcionário não cadastrado: %1").arg(code)};
    payroll::PayrollUndo undo(c.session().folha(), c.ui());
    const payroll::UndoRequest request{p.year, p.month, p.sheet, code};
    if (!undo.run(request)) return 1;
    c.out << QStringLiteral("%1 registro(s) calculado(s) excluído(s) de %2 %3 (%4/%5, folha %6)")
                 .arg(undo.rowsRemoved())
                 .arg(code, employee->text("NOME"), p.month, p.year, p.sheet)
          << Qt::endl;
    c.audit(undo.audit(request));
    return 0;
}

int cmdEvents(Context& c) {
    c.openCompany();
    const Period p = periodOf(c);
    payroll::EventsFilter filter{p.year, p.month, p.sheet, {}};
    if (c.args.has("--employee")) filter.employee = employeeCode(c.args.value("--employee"));
    c.out << "Ano,Mes,Folha,Funcionario,Nome,Evento,Descricao,Referencia,Valor,CentroCusto,Calculado" << Qt::endl;
    payroll::ForEachEventLine(c.session().folha(), filter, [&](const payroll::EventLine& l) {
        c.out << l.year << ',' << l.month << ',' << l.sheet << ',' << l.employee << ',' << csvField(l.employeeName) << ','
              << l.event << ',' << csvField(l.eventName) << ',' << amountText(l.refer) << ',' << amountText(l.value) << ','
              << csvField(l.costCentre) << ',' << (l.calculated ? "*" : "") << '\n';
        return true;
    });
    c.out.flush();
    return 0;
}

// Each calculated row of an employee's sheet with the rule that made it and
// the formula with its values.
int cmdExplain(Context& c) {
    c.openCompany();
    const QString code = employeeCode(c.requireOption("--employee"));
    const Period p = periodOf(c);
    Database& db = c.session().folha();
    Table cadfun(db, QStringLiteral("CADFUN"));
    auto employee = cadfun.find({code});
    if (!employee) throw CliError{QStringLiteral("Funcionário não cadastrado: %1").arg(code)};
    QHash<QString, law::TrailRow> trails;
    for (const law::TrailRow& t : law::ReadTrails(db, {code, p.year, p.month, p.sheet})) trails.insert(t.event, t);
    const QString sheetText = QStringLiteral("%1 %2, %3/%4, folha %5").arg(code, employee->text("NOME").trimmed(), p.month, p.year, p.sheet);
    int rows = 0;
    payroll::ForEachEventLine(db, payroll::EventsFilter{p.year, p.month, p.sheet, code}, [&](const payroll::EventLine& l) {
        // A typed row the calculation valued has a trail too.
        const auto t = trails.constFind(l.event);
        if (!l.calculated && t == trails.constEnd()) return true;
        if (rows++ == 0) c.out << sheetText << Qt::endl;
        c.out << QStringLiteral("%1 %2  referência %3  valor %4%5")
                     .arg(l.event, l.eventName.trimmed(), amountText(l.refer), amountText(l.value),
                          l.calculated ? QString() : QStringLiteral("  (informada)"))
              << Qt::endl;
        if (t == trails.constEnd()) {
            c.out << QStringLiteral("    (sem memória de cálculo)") << Qt::endl;
            return true;
        }
        c.out << QStringLiteral("    regra: %1").arg(t->rule) << Qt::endl;
        if (!t->text.isEmpty()) c.out << QStringLiteral("    %1").arg(QString(t->text).replace('\n', QStringLiteral("\n    "))) << Qt::endl;
        return true;
    });
    if (rows == 0) {
        c.ui().message(MessageKind::Warning, QStringLiteral("Nenhum registro calculado para %1").arg(sheetText));
        return 1;
    }
    return 0;
}

// vacation, thirteenth, termination: the quantities and averages written and
// each employee valued by the payroll run.
int runLeave(Context& c, leave::LeaveCalc& calc) {
    leave::LeaveOptions o;
    o.branchCode = c.branchCode();
    employeeRange(c, o.firstEmployee, o.lastEmployee);
    o.commissionMonths = c.args.value("--months", QStringLiteral("99"));
    o.userCode = c.userCode();
    const leave::LeaveSummary s = calc.run(o);
    if (s.refused) return 2;
    c.out << QStringLiteral("%1 funcionário(s) calculado(s)").arg(s.employeesCalculated) << Qt::endl;
    if (s.employeesNotCalculated > 0)
        c.out << QStringLiteral("%1 funcionário(s) não calculado(s)").arg(s.employeesNotCalculated) << Qt::endl;
    if (s.employeesNotValued > 0)
        c.out << QStringLiteral("%1 funcionário(s) não valorizado(s) pela folha").arg(s.employeesNotValued) << Qt::endl;
    c.audit(calc.audit(o, s));
    return s.employeesNotValued > 0 || s.employeesNotCalculated > 0 ? 1 : 0;
}

int cmdVacation(Context& c) {
    c.openCompany();
    leave::VacationCalc calc(c.session().folha(), c.ui());
    return runLeave(c, calc);
}

int cmdThirteenth(Context& c) {
    c.openCompany();
    leave::ThirteenthCalc calc(c.session().folha(), c.ui());
    return runLeave(c, calc);
}

int cmdTermination(Context& c) {
    c.openCompany();
    leave::TerminationCalc calc(c.session().folha(), c.ui());
    return runLeave(c, calc);
}

} // namespace

QList<Command> payrollCommands() {
    return {
        {"calc", "calc --company C --branch B [--from CODIGO] [--to CODIGO] [--family-allowance] [--auto]", cmdCalc},
        {"advance", "advance --company C --branch B [--from CODIGO] [--to CODIGO] [--base-event COD --base-month AAAAMM] [--write-net]",
         cmdAdvance},
        {"undo", "undo --company C --branch B --employee CODIGO [--year AAAA --month MM --sheet X] [--yes]", cmdUndo},
        {"events", "events --company C --branch B [--employee CODIGO] [--year AAAA --month MM --sheet X]", cmdEvents},
        {"explain", "explain --company C --branch B --employee CODIGO [--year AAAA --month MM --sheet X]", cmdExplain},
        {"vacation", "vacation --company C --branch B [--from CODIGO --to CODIGO] [--months N]", cmdVacation},
        {"thirteenth", "thirteenth --company C --branch B [--from CODIGO --to CODIGO] [--months N]", cmdThirteenth},
        {"termination", "termination --company C --branch B [--from CODIGO --to CODIGO] [--months N]", cmdTermination},
    };
}

} // namespace folha::cli
