#include "EmployeeLookups.h"

#include "Table.h"
#include "TextRoutines.h"

namespace folha::registers {

namespace {

// A code as a whole number, when it is one.
std::optional<qlonglong> asNumber(const QString& code) {
    bool ok = false;
    const qlonglong n = code.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(n) : std::nullopt;
}

} // namespace

QString LookupDescription(Database& db, const LookupDef& lookup, const QString& code) {
    const QString wanted = code.trimmed();
    if (wanted.isEmpty() || lookup.table.isEmpty()) return {};
    const std::optional<qlonglong> number = asNumber(wanted);
    Table table(db, lookup.table);
    QString found;
    // The registers are short (positions, unions, takers, event codes): one
    // pass compares every key, so "007", "7" and " 7" all match.
    table.forEach({}, {}, [&](const Record& row) {
        const QString key = row.text(lookup.keyField).trimmed();
        const std::optional<qlonglong> keyNumber = asNumber(key);
        const bool same = number && keyNumber ? *number == *keyNumber : key == wanted;
        if (same) {
            found = row.text(lookup.descriptionField).trimmed();
            return false;
        }
        return true;
    });
    return found;
}

QString PickedCode(const QString& boxText) {
    const QString digits = OnlyDigits(boxText);
    if (digits.isEmpty()) return {};
    const std::optional<qlonglong> n = asNumber(digits);
    return n ? QString::number(*n) : digits;
}

} // namespace folha::registers
