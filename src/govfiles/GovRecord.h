#pragma once
// One fixed-width record of the government files: 360 characters, the last
// one "*". Fields are appended in order, each at the position the layout
// gives it, so a layout mistake is caught at once. Numbers are filled with
// zeros on the left; a number wider than its field is refused (the record
// could not be read back). Texts are reduced to the layout's characters,
// left-aligned, filled with blanks on the right and cut to their width.

#include "DbError.h"
#include "Fixed.h"

#include <QDate>
#include <QString>
#include <stdexcept>

namespace folha::gov {

// Ends a file run: the message is shown to the user and nothing is written.
class GovFileStop : public UserError {
public:
    using UserError::UserError;
};

class GovRecord {
public:
    static constexpr int Width = 360;

    // `type` is the record type ("10"); `owner` names whom the record is
    // about in a refusal ("do funcionário 000013 - MARCOS").
    GovRecord(const QString& type, const QString& owner);

    // Digits filled with "0" on the left. Refuses a value that is not
    // digits or does not fit.
    GovRecord& number(int pos, int width, const QString& digits, const QString& field);
    GovRecord& number(int pos, int width, qint64 value, const QString& field);
    // Money as whole centavos (the amount rounded to two places, times 100).
    // A negative amount is refused.
    GovRecord& money(int pos, int width, Fixed amount, const QString& field);
    // A name, address or other text of the layout: LayoutText of the value,
    // left-aligned, blanks on the right, cut to the width when longer.
    GovRecord& text(int pos, int width, const QString& value);
    // A code or indicator written as it is (trimmed), left-aligned, blanks
    // on the right; refused when longer than the field.
    GovRecord& code(int pos, int width, const QString& value, const QString& field);
    // A date as DDMMYYYY; blanks for a date not filled in.
    GovRecord& date(int pos, int width, const QDate& d);
    GovRecord& blanks(int pos, int width) { return fill(pos, width, QChar(' ')); }
    GovRecord& zeros(int pos, int width) { return fill(pos, width, QChar('0')); }
    GovRecord& fill(int pos, int width, QChar c);
    GovRecord& literal(int pos, const QString& value);

    const QString& type() const { return type_; }
    // The whole record with "*" in position 360; refuses a record whose
    // fields do not end at position 359.
    QString finish() const;

private:
    void at(int pos, int width);
    [[noreturn]] void refuse(const QString& value, int width, const QString& field) const;
    QString type_;
    QString owner_;
    QString buf_;
};

// A text reduced to the layout's characters: capitals A to Z, digits and
// single blanks between words; accents are removed ("Ç" -> "C", "Ã" -> "A"),
// any other character is dropped, and the text never begins or ends with a
// blank.
QString LayoutText(const QString& value);
// Digits of a number field read as a whole number ("12345678901" of a PIS).
QString WholeDigits(Fixed value);
// A stored code completed on the left with "0" ("1" -> "001").
QString ZeroCode(const QString& code, int width);
// YYYYMM of an "MM/YYYY" text (characters 3-6 then 1-2); empty for an
// empty text. Refuses text of another shape.
QString PeriodOfMonthText(const QString& monthYear, const QString& field);
// The category as the files write it: 99 is written "11".
int FileCategory(int vinculo);

} // namespace folha::gov
