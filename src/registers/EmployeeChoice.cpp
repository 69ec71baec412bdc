#include "EmployeeChoice.h"

#include "Table.h"

namespace folha::registers {

namespace {

const QString SelectEmployees = QStringLiteral("SELECT CODFUN as Codigo, NOME as Descricao FROM CADFUN");

// The first text above every text that begins with `prefix`.
QString prefixEnd(const QString& prefix) { return prefix + QString::fromUcs4(U"\U0010FFFF"); }

} // namespace

QString EmployeeSelectionList::fieldOf(const QString& column) const {
    if (column == CodeColumn) return QStringLiteral("CODFUN");
    if (column == DescriptionColumn) return QStringLiteral("NOME");
    return {};
}

BoundQuery EmployeeSelectionList::query(const SearchRequest& request) const {
    BoundQuery q{SelectEmployees, {}};
    const QString field = fieldOf(request.column);
    const QString typed = request.value.trimmed().toUpper();
    if (!field.isEmpty() && !typed.isEmpty()) {
        if (request.mode == SearchMode::StartsWith) {
            q.statement += QStringLiteral(" WHERE %1 >= ? AND %1 < ?").arg(field);
            q.params << typed << prefixEnd(typed);
        } else {
            q.statement += QStringLiteral(" WHERE UPPER(%1) LIKE ? ESCAPE '!'").arg(field);
            q.params << QStringLiteral("%") + LikeLiteral(typed, QLatin1Char('!')) + QStringLiteral("%");
        }
    }
    if (!request.ordering.isEmpty())
        q.statement += QLatin1Char(' ') + request.ordering;
    else
        q.statement += QStringLiteral(" ORDER BY ") + (field.isEmpty() ? QStringLiteral("NOME") : field);
    if (pageRows_ > 0) q.statement += QStringLiteral(" LIMIT %1").arg(pageRows_);
    return q;
}

BoundQuery EmployeeSelectionList::lookup(const QString& code) const {
    return {SelectEmployees + QStringLiteral(" WHERE CODFUN = ?"), {code}};
}

std::vector<EmployeeHit> SearchEmployees(Database& db, const SearchRequest& request, int pageRows) {
    const BoundQuery q = EmployeeSelectionList(pageRows).query(request);
    QSqlQuery rows = db.exec(q.statement, q.params);
    std::vector<EmployeeHit> hits;
    while (rows.next()) hits.push_back({rows.value(0).toString(), rows.value(1).toString()});
    return hits;
}

ChooserStart ChooserStartValues(Database& db, const QString& branchCode, const QString& callerEmployee) {
    auto branch = Table(db, QStringLiteral("Filial")).find({branchCode});
    if (!branch) throw DbError(QStringLiteral("Filial não cadastrada: %1").arg(branchCode));
    const QDate date = branch->date("DATA_FOLHA");
    if (!date.isValid())
        throw DbError(QStringLiteral("A data da folha da filial %1 não está preenchida.").arg(branchCode));
    ChooserStart start;
    const QString written = date.toString(QStringLiteral("dd/MM/yyyy"));
    start.year = written.mid(6, 4);
    start.month = written.mid(3, 2);
    const QString sheet = branch->text("TIPO_FOL").trimmed();
    start.sheetText = sheet;
    for (const CodeEntry& e : sheetTypeCodes())
        if (e.value == sheet) start.sheetText = e.text;
    start.employee = callerEmployee;
    if (start.employee.trimmed().isEmpty() && !LastChosenEmployee().isEmpty()) start.employee = LastChosenEmployee();
    return start;
}

namespace {
QString& lastEmployee() {
    static QString code;
    return code;
}
} // namespace

QString LastChosenEmployee() { return lastEmployee(); }

void RememberChosenEmployee(const QString& boxText) {
    QString digits;
    for (const QChar c : boxText)
        if (c.isDigit()) digits += c;
    lastEmployee() = digits;
}

void ForgetChosenEmployee() { lastEmployee().clear(); }

} // namespace folha::registers
