#include "EventsListing.h"

#include "Table.h"

#include <QHash>

namespace folha::payroll {

void ForEachEventLine(Database& db, const EventsFilter& f, const std::function<bool(const EventLine&)>& fn) {
    QString where = QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?");
    QVariantList params{f.year, f.month, f.sheet};
    if (!f.employee.isEmpty()) {
        where += QStringLiteral(" AND CODFUN = ?");
        params << f.employee;
    }
    QHash<QString, QString> eventNames, employeeNames;
    Table histfp(db, QStringLiteral("HISTFP"));
    for (const Record& r : histfp.select()) eventNames.insert(r.text("HCODIGO"), r.text("HNOME"));
    Table cadfun(db, QStringLiteral("CADFUN"));
    if (f.employee.isEmpty()) {
        cadfun.forEach({}, {}, [&](const Record& r) {
            employeeNames.insert(r.text("CODFUN"), r.text("NOME"));
            return true;
        });
    } else if (auto e = cadfun.find({f.employee})) {
        employeeNames.insert(e->text("CODFUN"), e->text("NOME"));
    }
    Table ocorrenc(db, QStringLiteral("OCORRENC"));
    ocorrenc.forEach(
        where, params,
        [&](const Record& r) {
            EventLine line;
            line.year = r.text("OCORRANO");
            line.month = r.text("OCORRMES");
            line.sheet = r.text("TIPOFOLHA");
            line.employee = r.text("CODFUN");
            line.employeeName = employeeNames.value(line.employee);
            line.event = r.text("HCODIGO");
            line.eventName = eventNames.value(line.event);
            line.refer = r.number("REFER");
            line.value = r.number("VALOR");
            line.costCentre = r.text("CENTCUSTO");
            line.calculated = r.text("FLAG") == QLatin1String("*");
            return fn(line);
        },
        QStringLiteral("CODFUN, HCODIGO"));
}

} // namespace folha::payroll
