#pragma once
// One record of a CNAB 240 file: 240 characters. Fields are appended in
// order, each at the position the layout's field table gives it (1-based,
// as the table writes them), so a layout mistake is caught at once.
// Numeric fields are filled with zeros on the left; a number wider than its
// field is refused (the bank could not read it back). Texts are reduced to
// capitals without accents, left-aligned, filled with blanks on the right
// and cut to their width.

#include "DbError.h"
#include "Fixed.h"

#include <QDate>
#include <QString>

namespace folha::bank {

// Ends a file run: the message is shown to the user and nothing is written.
class BankFileStop : public UserError {
public:
    using UserError::UserError;
};

class BankRecord {
public:
    static constexpr int Width = 240;

    // `what` names the record in a refusal ("segmento A do funcionário
    // 000013").
    explicit BankRecord(const QString& what);

    BankRecord& number(int pos, int width, const QString& digits, const QString& field);
    BankRecord& number(int pos, int width, qint64 value, const QString& field);
    // Money as whole centavos (rounded to two places); negative is refused.
    BankRecord& money(int pos, int width, Fixed amount, const QString& field);
    // Names, addresses: capitals without accents, cut to the width.
    BankRecord& text(int pos, int width, const QString& value);
    // A code written as it is (trimmed, in capitals), left-aligned; refused
    // when longer than the field.
    BankRecord& code(int pos, int width, const QString& value, const QString& field);
    // DDMMAAAA; zeros for a date not filled in.
    BankRecord& date(int pos, const QDate& d);
    BankRecord& blanks(int pos, int width) { return fill(pos, width, QChar(' ')); }
    BankRecord& zeros(int pos, int width) { return fill(pos, width, QChar('0')); }
    BankRecord& fill(int pos, int width, QChar c);

    // The whole record; refuses one whose fields do not end at 240.
    QString finish() const;

private:
    void at(int pos, int width);
    [[noreturn]] void refuse(const QString& value, int width, const QString& field) const;
    QString what_;
    QString buf_;
};

// A text as the layout takes it: capitals A-Z, digits and single blanks,
// accents removed ("Ç" -> "C"), every other character dropped.
QString BankText(const QString& value);

} // namespace folha::bank
