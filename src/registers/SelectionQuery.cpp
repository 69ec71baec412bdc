#include "SelectionQuery.h"

namespace folha::registers {

QString LikeLiteral(const QString& typed, QChar escape) {
    QString out;
    for (const QChar c : typed) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == escape) out += escape;
        out += c;
    }
    return out;
}

QString SearchModeText(SearchMode mode) {
    return mode == SearchMode::StartsWith ? QStringLiteral("Iniciando") : QStringLiteral("Contendo");
}

SearchMode SearchModeFromText(const QString& text) {
    return text.trimmed().compare(QStringLiteral("Iniciando"), Qt::CaseInsensitive) == 0 ? SearchMode::StartsWith
                                                                                         : SearchMode::Contains;
}

BoundQuery QuerySelectionList::query(const SearchRequest& request) const {
    BoundQuery q;
    q.statement = source_.baseQuery + source_.condition;
    const QString field = fieldOf(request.column);
    if (!field.isEmpty() && !request.value.isEmpty()) {
        const QString joiner = source_.condition.trimmed().isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" and ");
        if (request.integerField) {
            q.statement += joiner + field + QStringLiteral(" = ?");
            bool ok = false;
            const qlonglong number = request.value.trimmed().toLongLong(&ok);
            q.params << (ok ? QVariant(number) : QVariant(request.value));
        } else {
            const QString typed = request.value.toUpper();
            q.statement += joiner + QStringLiteral("UPPER(") + field + QStringLiteral(") like (?)");
            q.params << (request.mode == SearchMode::Contains ? QStringLiteral("%") + typed + QStringLiteral("%")
                                                              : typed + QStringLiteral("%"));
        }
    }
    const QString ordering = request.ordering.isEmpty() ? source_.ordering : request.ordering;
    if (!ordering.trimmed().isEmpty()) q.statement += QLatin1Char(' ') + ordering.trimmed();
    return q;
}

BoundQuery QuerySelectionList::lookup(const QString& code) const {
    return {QStringLiteral("SELECT Codigo, Descricao FROM (") + source_.baseQuery + source_.condition +
                QStringLiteral(") SELECAO WHERE Codigo = ?"),
            {code}};
}

QString QuerySelectionList::fieldOf(const QString& column) const {
    if (column == CodeColumn) return source_.codeField;
    if (column == DescriptionColumn) return source_.descriptionField;
    return {};
}

Selection::AddResult Selection::add(const QString& code, const QString& description) {
    if (atMaximum()) return AddResult::AtMaximum;
    if (contains(code)) return AddResult::AlreadySelected;
    rows_.append({code, description});
    return AddResult::Added;
}

bool Selection::contains(const QString& code) const {
    for (const Row& r : rows_)
        if (r.code == code) return true;
    return false;
}

void Selection::removeAt(int row) {
    if (row >= 0 && row < rows_.size()) rows_.removeAt(row);
}

void Selection::clear() {
    rows_.clear();
    cleared_ = true;
}

QString Selection::resultText(const QString& resultColumn, const QString& quote) const {
    QStringList parts;
    for (const Row& r : rows_) parts << quote + (resultColumn == DescriptionColumn ? r.description : r.code) + quote;
    return parts.join(QLatin1Char(','));
}

QStringList CodesOfBoxText(const QString& text, const QString& quote) {
    QString plain = text;
    if (!quote.isEmpty()) plain.remove(quote);
    QStringList codes;
    for (const QString& part : plain.split(QLatin1Char(','))) {
        const QString code = part.trimmed();
        if (!code.isEmpty()) codes << code;
    }
    return codes;
}

namespace {
QString& selectedCodes() {
    static QString text;
    return text;
}
} // namespace

QString SelectedCodesText() { return selectedCodes(); }
void SetSelectedCodesText(const QString& text) { selectedCodes() = text; }

} // namespace folha::registers
