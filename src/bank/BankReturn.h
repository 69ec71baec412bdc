#pragma once
// Reading the bank's return file (retorno) of a salary-payment file: every
// credit of segment A with the bank's occurrence codes (positions 231-240,
// up to five codes of two characters) in words, and whether it was paid,
// accepted for the payment date or refused. A damaged file (a record of
// another width, an unknown record type, a batch whose trailer does not
// count its records, a file that ends before its trailer) stops the reading
// with a message naming the line. The return of a bank with its own layout
// (Itaú, SISPAG versão 085) is read with that bank's occurrence codes
// (NOTA 8) and account positions (NOTA 11); the bank is that of the
// file header.

#include "BankProfiles.h"
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
    LayoutDialect dialect = LayoutDialect::Febraban; // whose occurrence codes
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

// The words of an occurrence code (FEBRABAN G059, or the bank's own table);
// a code the table does not have is said so.
QString OccurrenceText(const QString& code, LayoutDialect dialect = LayoutDialect::Febraban);
// The status of a credit by its codes. FEBRABAN: paid with "00", accepted
// for the payment date with only "BD" (inclusão efetuada), "BE" or "BF".
// Itaú: paid with "00" (or "FC"/"FD", paid through a financing), accepted
// with only "BD"/"BE" (pagamento agendado) and the confirmations of a
// changed date or payment ("AE", "IR", "LA"). Refused otherwise.
PaymentStatus StatusOfCodes(const QStringList& codes, LayoutDialect dialect = LayoutDialect::Febraban);
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
