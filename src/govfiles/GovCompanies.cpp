#include "GovCompanies.h"

#include "TextRoutines.h"

namespace folha::gov {

QHash<QString, QString> ReadFixedOccurrences(Database& db, std::initializer_list<FixedOccurrence> roles,
                                             UserInterface& ui) {
    QHash<QString, QString> out;
    Table fixaocor(db, QStringLiteral("FIXAOCOR"));
    for (const auto& r : roles) {
        auto row = fixaocor.find({QString::fromLatin1(r.role)});
        if (!row) {
            ui.message(MessageKind::Warning, QString::fromUtf8(r.missingMessage));
            out.insert(QString::fromLatin1(r.role), QString());
        } else {
            out.insert(QString::fromLatin1(r.role), row->text("FHISTORICO").trimmed());
        }
    }
    return out;
}

QString InscriptionType(const QString& cgc) { return cgc.trimmed().size() > 12 ? QStringLiteral("1") : QStringLiteral("2"); }

QString PisText(const Record& employee) { return PadLeft(WholeDigits(employee.number("NR_PIS")), 11, QChar('0')); }

QString MonthOf(const QDate& d) { return CompetenceOfDate(d); }

EventSums::EventSums(Database& db) : db_(db) {}

Fixed EventSums::sum(const QString& codfun, const QString& year, const QString& month, const QString& sheet,
                     const QString& eventCode) {
    if (eventCode.isEmpty()) return {};
    Fixed total;
    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND HCODIGO = ? AND CODFUN = ?"),
                     {year, month, sheet, eventCode, codfun}, [&](const Record& r) {
                         total += r.number("VALOR");
                         return true;
                     });
    return total;
}

bool OneOf(const QString& value, std::initializer_list<const char*> list) {
    const QString v = value.trimmed();
    for (const char* c : list)
        if (v == QLatin1String(c)) return true;
    return false;
}

} // namespace folha::gov
