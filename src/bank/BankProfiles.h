#pragma once
// The banks a payroll office pays salaries through, each with what its
// CNAB 240 salary file needs beyond the FEBRABAN layout: the bank's name in
// the header, how the office's agreement code ("convênio") is typed, the
// layout version numbers written in the file and batch headers and, for a
// bank whose own manual departs from the FEBRABAN field table, which
// dialect its records are written in (BankLayout.h) and the service codes
// of its batches. The profile is chosen by the paying bank of the branch
// (or the one asked for on the command line); the branch may replace the
// version numbers (page Banco) when its bank asks for others.

#include <QDate>
#include <QList>
#include <QString>

namespace folha::bank {

// The field table a profile's records follow.
enum class LayoutDialect {
    Febraban,   // "Layout Padrão de Arquivos CNAB 240 posições", versão 10.11
    ItauSispag, // "SISPAG - Sistema de Contas a Pagar Itaú - Layout de Arquivos CNAB", versão 085
};

struct BankProfile {
    QString code;          // compensation code: "341"
    QString name;          // written in the file header (30 characters)
    QString shortName;     // "Itaú", for messages and lists
    QString agreementHint; // what the office types in "Convênio"
    // Layout version numbers: file header positions 164-166 and batch
    // header positions 14-16.
    QString fileLayoutVersion = QStringLiteral("103");
    QString batchLayoutVersion = QStringLiteral("046");
    LayoutDialect dialect = LayoutDialect::Febraban;
    QString layoutName = QStringLiteral("FEBRABAN 240"); // for the screen
    // Tipo de serviço/pagamento (batch header positions 10-11) of the batch
    // of credits in the paying bank and of the batch of credits in other
    // banks.
    QString sameBankService = QStringLiteral("30");
    QString otherBanksService = QStringLiteral("30");
};

// Why a layout version number cannot be written; empty when it can (three
// digits). `what` names the field in the message.
QString LayoutVersionProblem(const QString& version, const QString& what);
// The profile with the layout versions the branch set (an empty value keeps
// the profile's); BankFileStop naming the field when a value is not three
// digits.
BankProfile WithLayoutVersions(BankProfile profile, const QString& fileVersion, const QString& batchVersion);

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
