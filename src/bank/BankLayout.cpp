#include "BankLayout.h"

#include "BankRecord.h"
#include "TextRoutines.h"

namespace folha::bank {

namespace {

bool itau(const BankProfile& p) { return p.dialect == LayoutDialect::ItauSispag; }

// Itaú's own accounts (341) and Unibanco's (409) are written in Itaú's
// composition of agency and account (NOTA 11 a).
bool itauAccount(const BankProfile& p, const QString& bank) {
    return itau(p) && (bank == QLatin1String("341") || bank == QLatin1String("409"));
}

} // namespace

QString ClearingOfForm(const BankProfile& p, const QString& form) {
    if (form == FormPix) return QStringLiteral("009");
    // Itaú: câmara only for TED to brokers (888) and PIX; zeros otherwise
    // (NOTA 35).
    if (form == FormTed && !itau(p)) return QStringLiteral("018");
    return QStringLiteral("000");
}

QString AccountLayoutProblem(const BankProfile& p, const QString& bank, const QString& agency,
                             const QString& account, const QString& accountDigit) {
    if (!itauAccount(p, bank)) return {};
    if (agency.size() > 4) return QStringLiteral("agência Itaú com mais de 4 algarismos: %1").arg(agency);
    if (account.size() > 6) return QStringLiteral("conta Itaú com mais de 6 algarismos: %1").arg(account);
    if (accountDigit.size() != 1 || !accountDigit.at(0).isDigit())
        return QStringLiteral("DAC da conta Itaú não numérico: \"%1\"").arg(accountDigit);
    return {};
}

int InscriptionType(const QString& inscription) { return OnlyDigits(inscription).size() == 11 ? 1 : 2; }

namespace {

// Positions 1-8, common to every record: bank, batch, record type.
BankRecord& control(BankRecord& r, const BankProfile& p, int batch, int type) {
    return r.number(1, 3, p.code, QStringLiteral("Banco"))
        .number(4, 4, batch, QStringLiteral("Lote"))
        .number(8, 1, type, QStringLiteral("Registro"));
}

// Positions 18-102 of the file and batch headers: the company and its account.
BankRecord& company(BankRecord& r, const BankProfile& p, const Payer& payer) {
    r.number(18, 1, InscriptionType(payer.inscription), QStringLiteral("Tipo de Inscrição da Empresa"))
        .number(19, 14, OnlyDigits(payer.inscription), QStringLiteral("Número de Inscrição da Empresa"));
    if (itau(p))
        // No agreement; agency, account and the DAC of both apart (NOTA 1).
        // In the batch header 33-36 is the statement identification (NOTA
        // 13), blank when not contracted.
        r.blanks(33, 20)
            .number(53, 5, payer.agency, QStringLiteral("Agência da Empresa"))
            .blanks(58, 1)
            .number(59, 12, payer.account, QStringLiteral("Conta da Empresa"))
            .blanks(71, 1)
            .number(72, 1, payer.accountDigit, QStringLiteral("DAC da Agência/Conta da Empresa"));
    else
        r.code(33, 20, payer.agreement, QStringLiteral("Convênio"))
            .number(53, 5, payer.agency, QStringLiteral("Agência da Empresa"))
            .code(58, 1, payer.agencyDigit, QStringLiteral("Dígito da Agência da Empresa"))
            .number(59, 12, payer.account, QStringLiteral("Conta da Empresa"))
            .code(71, 1, payer.accountDigit, QStringLiteral("Dígito da Conta da Empresa"))
            .blanks(72, 1); // DV agência/conta: not used by the profiles
    return r.text(73, 30, payer.name);
}

// Positions 24-43 of segment A: the favorecido's agency and account.
BankRecord& payeeAccount(BankRecord& r, const BankProfile& p, const Credit& c) {
    if (itauAccount(p, c.bank))
        return r.zeros(24, 1) // NOTA 11 a
            .number(25, 4, c.agency, QStringLiteral("Agência do Favorecido"))
            .blanks(29, 1)
            .zeros(30, 6)
            .number(36, 6, c.account, QStringLiteral("Conta do Favorecido"))
            .blanks(42, 1)
            .number(43, 1, c.accountDigit, QStringLiteral("DAC da Conta do Favorecido"));
    if (itau(p))
        // NOTA 11 b: the agency without its digit; a one-character DAC in 43.
        return r.number(24, 5, c.agency, QStringLiteral("Agência do Favorecido"))
            .blanks(29, 1)
            .number(30, 12, c.account, QStringLiteral("Conta do Favorecido"))
            .blanks(42, 1)
            .code(43, 1, c.accountDigit, QStringLiteral("DAC da Conta do Favorecido"));
    return r.number(24, 5, c.agency, QStringLiteral("Agência do Favorecido"))
        .code(29, 1, c.agencyDigit, QStringLiteral("Dígito da Agência do Favorecido"))
        .number(30, 12, c.account, QStringLiteral("Conta do Favorecido"))
        .code(42, 1, c.accountDigit, QStringLiteral("Dígito da Conta do Favorecido"))
        .blanks(43, 1); // DV agência/conta
}

} // namespace

QString FileHeader(const BankProfile& p, const Payer& payer, const QDateTime& generated, int sequence) {
    BankRecord r(QStringLiteral("header do arquivo"));
    control(r, p, 0, 0);
    if (itau(p)) // 009-014 brancos, 015-017 layout do arquivo
        r.blanks(9, 6).number(15, 3, p.fileLayoutVersion, QStringLiteral("Versão do Layout do Arquivo"));
    else
        r.blanks(9, 9);                         // 009-017 uso FEBRABAN
    company(r, p, payer)                        // 018-102
        .text(103, 30, p.name)                  // 103-132 nome do banco
        .blanks(133, 10)                        // 133-142 uso FEBRABAN
        .number(143, 1, 1, QStringLiteral("Código Remessa")) // 143 1 = remessa
        .date(144, generated.date())            // 144-151 data de geração
        .number(152, 6, generated.time().toString(QStringLiteral("HHmmss")), QStringLiteral("Hora de Geração"));
    if (itau(p)) // no file sequence number; density zeros (NOTA 2)
        r.zeros(158, 9).zeros(167, 5).blanks(172, 69);
    else
        r.number(158, 6, sequence, QStringLiteral("Número Sequencial do Arquivo")) // 158-163 NSA
            .number(164, 3, p.fileLayoutVersion, QStringLiteral("Versão do Layout do Arquivo"))
            .zeros(167, 5)                      // 167-171 densidade de gravação
            .blanks(172, 20)                    // 172-191 reservado ao banco
            .blanks(192, 20)                    // 192-211 reservado à empresa
            .blanks(212, 29);                   // 212-240 uso FEBRABAN
    return r.finish();
}

QString BatchHeader(const BankProfile& p, const Payer& payer, int batch, const QString& form) {
    BankRecord r(QStringLiteral("header do lote %1").arg(batch));
    control(r, p, batch, 1)
        .code(9, 1, QStringLiteral("C"), QStringLiteral("Tipo de Operação")) // 009 crédito
        .number(10, 2, form == FormSameBank ? p.sameBankService : p.otherBanksService,
                QStringLiteral("Tipo de Serviço"))                                // 010-011
        .number(12, 2, form, QStringLiteral("Forma de Lançamento"))             // 012-013
        .number(14, 3, p.batchLayoutVersion, QStringLiteral("Versão do Layout do Lote"))
        .blanks(17, 1);
    company(r, p, payer)                                       // 018-102
        .blanks(103, 40)                                       // 103-142 mensagem (Itaú: finalidade, histórico; NOTAS 6, 7)
        .text(143, 30, payer.street)                           // 143-172 logradouro
        .number(173, 5, OnlyDigits(payer.number).right(5), QStringLiteral("Número do Local"))
        .text(178, 15, payer.complement)                       // 178-192 complemento
        .text(193, 20, payer.city);                            // 193-212 cidade
    if (itau(p))
        r.number(213, 8, OnlyDigits(payer.cep), QStringLiteral("CEP")) // 213-220
            .code(221, 2, payer.state, QStringLiteral("Estado"))
            .blanks(223, 8);                                   // 223-230
    else
        r.number(213, 5, OnlyDigits(payer.cep).left(5), QStringLiteral("CEP"))
            .code(218, 3, OnlyDigits(payer.cep).mid(5, 3), QStringLiteral("Complemento do CEP"))
            .code(221, 2, payer.state, QStringLiteral("Estado")) // 221-222
            .number(223, 2, QStringLiteral("01"), QStringLiteral("Indicativo da Forma de Pagamento"))
            .blanks(225, 6);                                   // 225-230 uso FEBRABAN
    r.blanks(231, 10);                                         // 231-240 ocorrências (retorno)
    return r.finish();
}

QString SegmentA(const BankProfile& p, int batch, int sequence, const QString& form, const Credit& c,
                 const QDate& paymentDate) {
    BankRecord r(QStringLiteral("segmento A do funcionário %1").arg(c.employeeCode));
    control(r, p, batch, 3)
        .number(9, 5, sequence, QStringLiteral("Número do Registro")) // 009-013
        .code(14, 1, QStringLiteral("A"), QStringLiteral("Segmento"))
        .number(15, 1, 0, QStringLiteral("Tipo de Movimento"))        // 015 inclusão (Itaú 015-017 000, NOTA 10)
        .number(16, 2, QStringLiteral("00"), QStringLiteral("Código da Instrução para Movimento"))
        .number(18, 3, ClearingOfForm(p, form), QStringLiteral("Câmara Centralizadora"))
        .number(21, 3, c.bank, QStringLiteral("Banco do Favorecido"));
    payeeAccount(r, p, c)                                             // 024-043
        .text(44, 30, c.name)                                         // 044-073 nome do favorecido
        .code(74, 20, c.yourNumber, QStringLiteral("Seu Número"))     // 074-093
        .date(94, paymentDate);                                       // 094-101 data do pagamento
    if (itau(p))
        r.code(102, 3, QStringLiteral("REA"), QStringLiteral("Tipo da Moeda"))
            .blanks(105, 8)                                           // 105-112 ISPB (NOTA 35)
            // 113-114 tipo de transferência PIX: conta corrente (NOTA 36)
            .code(113, 2, form == FormPix ? QStringLiteral("01") : QString(), QStringLiteral("Tipo de Transferência"))
            .zeros(115, 5);
    else
        r.code(102, 3, QStringLiteral("BRL"), QStringLiteral("Tipo da Moeda"))
            .zeros(105, 15);                                          // 105-119 quantidade da moeda
    r.money(120, 15, c.amount, QStringLiteral("Valor do Pagamento")) // 120-134
        .blanks(135, 20)                                              // 135-154 nosso número (retorno)
        .zeros(155, 8)                                                // 155-162 data real (retorno)
        .zeros(163, 15);                                              // 163-177 valor real (retorno)
    if (itau(p))
        r.blanks(178, 20)                                             // 178-197 finalidade detalhe (NOTA 13)
            .zeros(198, 6)                                            // 198-203 nº do documento (retorno)
            .number(204, 14, OnlyDigits(c.cpf), QStringLiteral("CPF do Favorecido")) // NOTA 15
            .blanks(218, 2)                                           // 218-219 finalidade DOC / status (NOTA 30)
            // 220-224 finalidade da TED: 00004 pagamento de salários (NOTA 26)
            .code(220, 5, form == FormTed ? QStringLiteral("00004") : QString(), QStringLiteral("Finalidade da TED"))
            .blanks(225, 5);
    else
        r.blanks(178, 40)                                             // 178-217 outras informações
            .code(218, 2, form == FormSameBank ? QString() : QStringLiteral("06"),
                  QStringLiteral("Complemento do Tipo de Serviço"))   // 218-219 06 = salários
            .blanks(220, 5)                                           // 220-224 finalidade da TED
            .blanks(225, 2)                                           // 225-226 finalidade complementar
            .blanks(227, 3);                                          // 227-229 uso FEBRABAN
    r.number(230, 1, 0, QStringLiteral("Aviso ao Favorecido"))       // 230 não emite aviso
        .blanks(231, 10);                                             // 231-240 ocorrências (retorno)
    return r.finish();
}

QString SegmentB(const BankProfile& p, int batch, int sequence, const Credit& c, const QDate& paymentDate) {
    BankRecord r(QStringLiteral("segmento B do funcionário %1").arg(c.employeeCode));
    control(r, p, batch, 3)
        .number(9, 5, sequence, QStringLiteral("Número do Registro"))
        .code(14, 1, QStringLiteral("B"), QStringLiteral("Segmento"))
        .blanks(15, 3)                                                      // 015-017 uso FEBRABAN
        .number(18, 1, 1, QStringLiteral("Tipo de Inscrição do Favorecido")) // CPF
        .number(19, 14, OnlyDigits(c.cpf), QStringLiteral("CPF do Favorecido"))
        .text(33, 30, c.street)                                             // 033-062 logradouro
        .number(63, 5, OnlyDigits(c.number).right(5), QStringLiteral("Número do Local"))
        .text(68, 15, c.complement)                                         // 068-082
        .text(83, 15, c.district)                                           // 083-097 bairro
        .text(98, 20, c.city);                                              // 098-117
    if (itau(p)) // 118-125 CEP, 128-227 e-mail (NOTA 23), 231-240 ocorrências
        return r.number(118, 8, OnlyDigits(c.cep), QStringLiteral("CEP"))
            .code(126, 2, c.state, QStringLiteral("Estado"))
            .blanks(128, 100)
            .blanks(228, 3)
            .blanks(231, 10)
            .finish();
    r.number(118, 5, OnlyDigits(c.cep).left(5), QStringLiteral("CEP"))
        .code(123, 3, OnlyDigits(c.cep).mid(5, 3), QStringLiteral("Complemento do CEP"))
        .code(126, 2, c.state, QStringLiteral("Estado"))                    // 126-127
        .date(128, paymentDate)                                             // 128-135 vencimento
        .money(136, 15, c.amount, QStringLiteral("Valor do Documento"))     // 136-150
        .zeros(151, 15)                                                     // 151-165 abatimento
        .zeros(166, 15)                                                     // 166-180 desconto
        .zeros(181, 15)                                                     // 181-195 mora
        .zeros(196, 15)                                                     // 196-210 multa
        .code(211, 15, c.employeeCode, QStringLiteral("Código do Documento do Favorecido")) // 211-225
        .number(226, 1, 0, QStringLiteral("Aviso ao Favorecido"))
        .zeros(227, 6)                                                      // 227-232 código UG (SIAPE)
        .zeros(233, 8);                                                     // 233-240 ISPB
    return r.finish();
}

QString BatchTrailer(const BankProfile& p, int batch, int records, Fixed total) {
    BankRecord r(QStringLiteral("trailer do lote %1").arg(batch));
    control(r, p, batch, 5)
        .blanks(9, 9)                                                     // 009-017
        .number(18, 6, records, QStringLiteral("Quantidade de Registros do Lote"))
        .money(24, 18, total, QStringLiteral("Somatória dos Valores"))    // 024-041
        .zeros(42, 18);                                                   // 042-059 quantidade de moedas
    if (itau(p))
        r.blanks(60, 171);                                                // 060-230
    else
        r.zeros(60, 6)                                                    // 060-065 aviso de débito
            .blanks(66, 165);                                             // 066-230
    r.blanks(231, 10);                                                    // 231-240 ocorrências
    return r.finish();
}

QString FileTrailer(const BankProfile& p, int batches, int records) {
    BankRecord r(QStringLiteral("trailer do arquivo"));
    control(r, p, 9999, 9)
        .blanks(9, 9)                                                     // 009-017
        .number(18, 6, batches, QStringLiteral("Quantidade de Lotes"))    // 018-023
        .number(24, 6, records, QStringLiteral("Quantidade de Registros")); // 024-029
    if (itau(p))
        r.blanks(30, 211);                                                // 030-240
    else
        r.zeros(30, 6)                                                    // 030-035 contas p/ conciliação
            .blanks(36, 205);                                             // 036-240
    return r.finish();
}

} // namespace folha::bank
