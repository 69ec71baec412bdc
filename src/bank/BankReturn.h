#pragma once
// Reading the bank's return file (retorno) of a salary-payment file: every
// credit of segment A with the bank's occurrence codes (positions 231-240,
// up to five codes of two characters) in words, and whether it was paid,
// accepted for the payment date or refused. A damaged file (a record of
// another width, an unknown record type, a batch whose trailer does not
// count its records, a file that ends before its trailer) stops the reading
// with a message naming the line.

#include "BankRecord.h"
#include "Fixed.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace folha::bank {

enum class PaymentStatus { Paid, Scheduled, Refused };

struct ReturnPayment {
    int line = 0;
    int batch = 0;
    QString employeeCode; // the first six characters of "seu número"
    QString yourNumber;
    QString name;
    QString bank, agency, account;
    QDate paymentDate;
    Fixed amount;
    QDate realDate;   // data real da efetivação
    Fixed realAmount; // valor real da efetivação
    QStringList codes;
    PaymentStatus status = PaymentStatus::Refused;
    QString occurrencesText() const; // "00 - Crédito ou débito efetivado; ..."
};

struct BankReturnFile {
    QString bank;
    QString companyName;
    QDate generated;
    int sequence = 0;
    QStringList batchOccurrences; // "lote 1: HA - Lote não aceito"
    std::vector<ReturnPayment> payments;
    int paid() const;
    int scheduled() const;
    int refused() const;
};

// The words of an occurrence code (FEBRABAN G059); a code the table does
// not have is said so.
QString OccurrenceText(const QString& code);
// The status of a credit by its codes: paid with "00", accepted for the
// payment date with only "BD" (inclusão efetuada), "BE" or "BF"; refused
// otherwise.
PaymentStatus StatusOfCodes(const QStringList& codes);
QString StatusText(PaymentStatus status); // "Pago", "Agendado", "Recusado"

// Reads a return file from its bytes (ISO-8859-1, lines ending in CR LF or
// LF). Throws BankFileStop naming the line of a damaged file.
BankReturnFile ParseBankReturn(const QByteArray& bytes);
// Reads the file at `path`; a missing or unreadable file stops with the
// system's message.
BankReturnFile ReadBankReturn(const QString& path);
// The return as text lines for a listing: a line per credit and the totals.
QStringList BankReturnLines(const BankReturnFile& file);

} // namespace folha::bank
