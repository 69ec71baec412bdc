// The salary advance calculation.
#include "Advance.h"
#include "CalculationLock.h"

#include "EmployeeCalc.h"
#include "EsocialMarks.h"
#include "TextRoutines.h"

#include <map>
#include <optional>

namespace folha::payroll {

Fixed AdvanceAmount(Fixed base, Fixed percent, int payType, Fixed step) {
    if (percent <= Fixed() || base <= Fixed()) return Fixed();
    Fixed advance = RoundValue(4, RoundValue(2, base * percent) / 100);
    if (payType == 5) advance = RoundValue(2, advance * 220); // the base is an hourly rate
    if (step > Fixed()) {
        // Up to the step; an exact multiple also goes up by one step.
        const int64_t whole = advance.raw() / Fixed::Scale;
        const Ratio steps = Ratio::fromInt(whole) / step;
        advance = RoundValue(2, step * int64_t(steps.num() / steps.den())) + step;
    }
    return advance;
}

std::optional<QString> RefuseAdvanceBase(const QString& baseMonth, const QString& baseEvent, bool eventExists) {
    const QString m = baseMonth.trimmed();
    const int month = m.mid(4, 2).toInt();
    if (m.size() != 6 || OnlyDigits(m) != m || month < 1 || month > 12)
        return QStringLiteral("Ano e mês da base inválido: %1 (use AAAAMM, com o mês de 01 a 12)").arg(baseMonth.trimmed());
    if (baseEvent.trimmed().isEmpty()) return QStringLiteral("Informe a ocorrência na base do adiantamento");
    if (!eventExists) return QStringLiteral("Ocorrência na base não cadastrada: %1").arg(baseEvent.trimmed());
    return std::nullopt;
}

QString TypedBaseEvent(const QString& typed) {
    const QString event = typed.trimmed();
    if (event.size() > 3 || OnlyDigits(event) != event || event.isEmpty())
        throw UserError(QStringLiteral("Código de ocorrência inválido: %1").arg(event));
    return PadLeft(event, 3, QChar('0'));
}

void SetTypedAdvanceBase(AdvanceOptions& o, const QString& baseOnSalary, const QString& baseMonth,
                         const QString& baseEvent) {
    o.baseOnSalary = !baseOnSalary.trimmed().toUpper().startsWith(QLatin1Char('N'));
    if (o.baseOnSalary) {
        o.baseMonth.clear();
        o.baseEvent.clear();
        return;
    }
    o.baseMonth = baseMonth.trimmed();
    o.baseEvent = baseEvent.trimmed().isEmpty() ? QString() : TypedBaseEvent(baseEvent);
}

AuditEntry AuditOf(const AdvanceOptions& o, const AdvanceSummary& s) {
    return {QStringLiteral("C"), QStringLiteral("OCORRENC"),
            QStringLiteral("Cálculo do adiantamento, filial %1: %2 calculado(s), %3 registro(s) gravado(s)%4")
                .arg(o.branchCode)
                .arg(s.employeesCalculated)
                .arg(s.rowsWritten)
                .arg(CancelledAuditText(s.cancelled))};
}

AdvanceSummary AdvanceRun::run(const AdvanceOptions& o) {
    const JobLock calculating(db_, CalculationJob, CalculationCaption);
    AdvanceSummary summary;
    const Record branch = PayrollBranch(db_, o.branchCode);
    const QString period = CompetenceOfDate(branch.date("DATA_FOLHA"));
    const QString year = period.left(4), month = period.mid(4, 2);
    const Fixed step = branch.number("FVALOR");
    const QString baseMonth = o.baseMonth.trimmed().isEmpty() ? period : o.baseMonth.trimmed();
    const QString baseEvent = o.baseEvent.trimmed();

    RunTables tables;
    tables.load(db_);
    // A base that names no month or no event would silently fall back to
    // the salary for every employee: refused before anything is written.
    if (!o.baseOnSalary) {
        if (auto why = RefuseAdvanceBase(baseMonth, baseEvent, tables.eventInfo(baseEvent) != nullptr)) {
            ui_.message(MessageKind::Warning, *why);
            summary.refused = true;
            return summary;
        }
    }
    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    Table cadfun(db_, QStringLiteral("CADFUN"));
    const QString advanceEvent = tables.roleEvent(QStringLiteral("043"));
    const QString earningsEvent = tables.roleEvent(QStringLiteral("026"));
    const QString netEvent = tables.roleEvent(QStringLiteral("028"));
    const EventInfo* advanceInfo = tables.eventInfo(advanceEvent);
    const int advanceKind = advanceInfo ? advanceInfo->flags.prodesc : 2;
    bool reported = false;

    const bool range = !o.firstEmployee.isEmpty() && !o.lastEmployee.isEmpty();
    const std::vector<Record> employees =
        o.firstEmployee.isEmpty() ? cadfun.select({}, {}, QStringLiteral("CODFUN"))
                                  : cadfun.select(QStringLiteral("CODFUN >= ?"), {o.firstEmployee}, QStringLiteral("CODFUN"));
    std::optional<UiRun> uiRun(std::in_place, ui_, QStringLiteral("Cálculo do adiantamento"));
    ui_.progressStart(QStringLiteral("Calculando o adiantamento"), int(employees.size()));
    int done = 0;
    EsocialMarks esocial(db_); // the advance feeds the month's eSocial events
    for (const Record& e : employees) {
        // A cancel is taken between employees: those written stay whole.
        if (ui_.cancelRequested()) {
            summary.cancelled = true;
            break;
        }
        ui_.progressStep(++done);
        const QString code = e.text("CODFUN");
        if (range && (code < o.firstEmployee || code > o.lastEmployee)) continue;
        Fixed advance;
        try {
            if (e.integer("CONDICAO") > 1 || e.integer("CALC_FLAG") == 1) continue;
            Fixed base = e.number("VLR_SALAR");
            if (!o.baseOnSalary) {
                auto row = ocorrenc.find({baseMonth.left(4), baseMonth.mid(4, 2), QStringLiteral("F"), baseEvent, code});
                if (row) base = row->number("VALOR");
            }
            // Paid in whole centavos: the rows and the net add up.
            if (base > Fixed() && e.integer("CONDICAO") == 1 && e.integer("CALCULO") == 1)
                advance = RoundValue(2, AdvanceAmount(base, e.number("PERC_ADI"), e.integer("TIPO_PAG"), step));
        } catch (const std::exception& err) {
            // A stored value the register refuses, or an amount out of
            // range: this employee gets nothing, the others go on.
            ui_.message(MessageKind::Error, QStringLiteral("FUNCIONARIO ") + e.text("NOME") +
                                                QStringLiteral(" NAO CALCULADO: ") + QString::fromUtf8(err.what()));
            ++summary.employeesNotCalculated;
            continue;
        }
        if (!advance.isZero() && advanceEvent.isEmpty() && !reported) {
            ui_.message(MessageKind::Warning, QStringLiteral("Ocorrencia Fixa sem Historico:043"));
            ui_.message(MessageKind::Warning, QStringLiteral("Corrija a Ocorrencia Fixa e Descalcule a Folha"));
            reported = true;
        }
        Fixed earnings, deductions;
        if (advanceKind == 1) earnings += advance;
        else if (advanceKind == 0) deductions += advance;
        const Fixed net = earnings - deductions;

        // What this calculation writes for the employee; an earlier result
        // that is no longer due goes.
        std::map<QString, Fixed> results;
        if (!advanceEvent.isEmpty()) results[advanceEvent] = advance;
        if (o.writeNet) {
            if (!earningsEvent.isEmpty()) results[earningsEvent] = earnings > Fixed() ? earnings : Fixed();
            if (!netEvent.isEmpty()) results[netEvent] = net > Fixed() ? net : Fixed();
        }
        Transaction t(db_);
        int changed = 0;
        for (const auto& [event, value] : results) {
            const QVariantList key{year, month, QStringLiteral("A"), event, code};
            auto row = ocorrenc.find(key);
            if (value.isZero()) {
                if (row && row->text("FLAG") == QLatin1String("*")) {
                    ocorrenc.remove(key);
                    ++summary.rowsWritten;
                    ++changed;
                }
                continue;
            }
            Record r = row ? *row : ocorrenc.newRecord();
            if (!row) r.set("OCORRANO", year).set("OCORRMES", month).set("TIPOFOLHA", QStringLiteral("A")).set("HCODIGO", event).set("CODFUN", code);
            r.setNumber("REFER", Fixed()).setNumber("VALOR", value).set("FLAG", QStringLiteral("*"));
            if (row && r == *row) continue;
            if (row) ocorrenc.update(r);
            else ocorrenc.insert(r);
            ++summary.rowsWritten;
            ++changed;
        }
        if (changed > 0) esocial.markSheet(code, year, month, QStringLiteral("A"));
        t.commit();
        if (!advance.isZero() && !advanceEvent.isEmpty()) ++summary.employeesCalculated;
    }
    ui_.progressEnd();
    uiRun.reset();
    ClosingNotice(ui_, summary.cancelled, summary.employeesCalculated, !o.closingNotice);
    return summary;
}

} // namespace folha::payroll
