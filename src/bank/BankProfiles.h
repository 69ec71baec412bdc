#pragma once
// The banks a payroll office pays salaries through, each with what its
// CNAB 240 salary file needs beyond the FEBRABAN layout: the bank's name in
// the header, how the office's agreement code ("convênio") is typed, the
// forma de lançamento of credits to other banks and the proposed file name.
// The profile is chosen by the paying bank of the branch (or the one asked
// for on the command line).

#include <QDate>
#include <QList>
#include <QString>

namespace folha::bank {

struct BankProfile {
    QString code;          // compensation code: "341"
    QString name;          // written in the file header (30 characters)
    QString shortName;     // "Itaú", for messages and lists
    QString agreementHint; // what the office types in "Convênio"
};

// Every profile, by compensation code.
const QList<BankProfile>& BankProfiles();
// The profile of a code ("341", "33", "033"); UserError naming the banks
// there are when the code has no profile.
const BankProfile& ProfileOfBank(const QString& code);
// A bank code in three digits ("33" -> "033"); empty when not a number.
QString BankCode3(const QString& code);

// The file name proposed for a salary file: "PAG" + bank + "_" + payment
// date (AAAAMMDD) + "_" + sequence (6 digits) + ".REM".
QString ProposedFileName(const BankProfile& profile, const QDate& paymentDate, int sequence);

} // namespace folha::bank
