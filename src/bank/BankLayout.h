#pragma once
// The records of a CNAB 240 salary-payment file, field by field.
//
// Layout: FEBRABAN, "Layout Padrão de Arquivos CNAB 240 posições", versão
// 10.11 (file layout 103, batch layout 046, the profile's defaults; the
// branch may set others its bank asks for): file header (record 0), batch
// header of payments by credit, DOC, TED or PIX (record 1), segments A and B
// (record 3), batch trailer (record 5) and file trailer (record 9). The
// positions beside each field in BankLayout.cpp are those of the layout's
// field table (first-last, 1-based). Code tables used: G025 tipo de serviço
// (30 = pagamento de salários), G029 forma de lançamento (01 crédito em
// conta corrente/salário, 41 TED outra titularidade, 45 PIX transferência),
// P001 câmara centralizadora (000 none, 018 TED, 009 PIX), G005 tipo de
// inscrição (1 CPF, 2 CNPJ), G060/G061 tipo e instrução de movimento (0/00
// inclusão liberada), P014 indicativo da forma de pagamento (01 débito em
// conta corrente), P005 complemento do tipo de serviço (06 pagamento de
// salários), G059 ocorrências (BankReturn.cpp).
//
// A profile in the Itaú dialect (LayoutDialect::ItauSispag) writes the
// records of "SISPAG - Sistema de Contas a Pagar Itaú - Layout de Arquivos
// CNAB", versão 085, chapter 3, for payments by credit, DOC, TED and PIX:
// the same record types and most positions, with the departures named
// beside each field in BankLayout.cpp with the manual's note (NOTA n).

#include "BankProfiles.h"
#include "Fixed.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace folha::bank {

// Forma de lançamento (G029) of a batch.
inline const QString FormSameBank = QStringLiteral("01"); // crédito em conta corrente/salário
inline const QString FormTed = QStringLiteral("41");      // TED outra titularidade
inline const QString FormPix = QStringLiteral("45");      // PIX transferência
// Câmara centralizadora of a batch's credits (FEBRABAN P001; Itaú NOTA 35).
QString ClearingOfForm(const BankProfile& profile, const QString& form);
// Why the profile's layout cannot carry an account as it is typed; empty
// when it can. Itaú writes its own accounts (and Unibanco's, 409) in
// agency 4 digits, account 6 digits and a numeric DAC (NOTA 11).
QString AccountLayoutProblem(const BankProfile& profile, const QString& bank, const QString& agency,
                             const QString& account, const QString& accountDigit);

// The paying company: the branch's registration and its account in the
// paying bank.
struct Payer {
    QString inscription; // CNPJ (14 digits) or CPF (11 digits)
    QString agreement;   // convênio
    QString agency;      // digits
    QString agencyDigit;
    QString account;     // digits
    QString accountDigit;
    QString name;
    QString street;
    QString number; // digits
    QString complement;
    QString city;
    QString cep; // 8 digits
    QString state;
};

// One salary credit.
struct Credit {
    QString employeeCode; // CODFUN
    QString name;
    QString cpf; // 11 digits
    QString bank; // 3 digits
    QString agency;
    QString agencyDigit;
    QString account;
    QString accountDigit;
    Fixed amount;
    QString yourNumber; // seu número: the payment's own reference (20)
    QString street, number, complement, district, city, cep, state;
};

// 1 for an 11-digit CPF, 2 for a CNPJ (G005).
int InscriptionType(const QString& inscription);

QString FileHeader(const BankProfile& profile, const Payer& payer, const QDateTime& generated, int sequence);
QString BatchHeader(const BankProfile& profile, const Payer& payer, int batch, const QString& form);
QString SegmentA(const BankProfile& profile, int batch, int sequence, const QString& form, const Credit& credit,
                 const QDate& paymentDate);
QString SegmentB(const BankProfile& profile, int batch, int sequence, const Credit& credit, const QDate& paymentDate);
// `records`: the batch's records counting its header and trailer.
QString BatchTrailer(const BankProfile& profile, int batch, int records, Fixed total);
// `records`: every record of the file, its header and trailer included.
QString FileTrailer(const BankProfile& profile, int batches, int records);

} // namespace folha::bank
