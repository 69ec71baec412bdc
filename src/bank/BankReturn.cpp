#include "BankReturn.h"

#include "FileErrors.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QFile>
#include <QHash>

namespace folha::bank {

namespace {

// Occurrence codes of the return (FEBRABAN, Layout Padrão CNAB 240
// posições, versão 10.11, table G059 "Código das Ocorrências para
// Retorno"): the codes a salary-payment return carries.
const QHash<QString, QString>& occurrenceTable() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("00"), QStringLiteral("Crédito ou débito efetivado")},
        {QStringLiteral("01"), QStringLiteral("Insuficiência de fundos - débito não efetuado")},
        {QStringLiteral("02"), QStringLiteral("Crédito ou débito cancelado pelo pagador/credor")},
        {QStringLiteral("03"), QStringLiteral("Débito autorizado pela agência - efetuado")},
        {QStringLiteral("AA"), QStringLiteral("Controle inválido")},
        {QStringLiteral("AB"), QStringLiteral("Tipo de operação inválido")},
        {QStringLiteral("AC"), QStringLiteral("Tipo de serviço inválido")},
        {QStringLiteral("AD"), QStringLiteral("Forma de lançamento inválida")},
        {QStringLiteral("AE"), QStringLiteral("Tipo/número de inscrição inválido")},
        {QStringLiteral("AF"), QStringLiteral("Código de convênio inválido")},
        {QStringLiteral("AG"), QStringLiteral("Agência/conta corrente/DV inválido")},
        {QStringLiteral("AH"), QStringLiteral("Número sequencial do registro no lote inválido")},
        {QStringLiteral("AI"), QStringLiteral("Código de segmento de detalhe inválido")},
        {QStringLiteral("AJ"), QStringLiteral("Tipo de movimento inválido")},
        {QStringLiteral("AK"), QStringLiteral("Código da câmara de compensação do banco favorecido inválido")},
        {QStringLiteral("AL"), QStringLiteral("Código do banco favorecido inválido")},
        {QStringLiteral("AM"), QStringLiteral("Agência mantenedora da conta do favorecido inválida")},
        {QStringLiteral("AN"), QStringLiteral("Conta corrente/DV do favorecido inválido")},
        {QStringLiteral("AO"), QStringLiteral("Nome do favorecido não informado")},
        {QStringLiteral("AP"), QStringLiteral("Data do lançamento inválida")},
        {QStringLiteral("AQ"), QStringLiteral("Tipo/quantidade da moeda inválido")},
        {QStringLiteral("AR"), QStringLiteral("Valor do lançamento inválido")},
        {QStringLiteral("AS"), QStringLiteral("Aviso ao favorecido - identificação inválida")},
        {QStringLiteral("AT"), QStringLiteral("Tipo/número de inscrição do favorecido inválido")},
        {QStringLiteral("AU"), QStringLiteral("Logradouro do favorecido não informado")},
        {QStringLiteral("AV"), QStringLiteral("Número do local do favorecido não informado")},
        {QStringLiteral("AW"), QStringLiteral("Cidade do favorecido não informada")},
        {QStringLiteral("AX"), QStringLiteral("CEP/complemento do favorecido inválido")},
        {QStringLiteral("AY"), QStringLiteral("Sigla do estado do favorecido inválida")},
        {QStringLiteral("BB"), QStringLiteral("Seu número inválido")},
        {QStringLiteral("BC"), QStringLiteral("Nosso número inválido")},
        {QStringLiteral("BD"), QStringLiteral("Inclusão efetuada com sucesso")},
        {QStringLiteral("BE"), QStringLiteral("Alteração efetuada com sucesso")},
        {QStringLiteral("BF"), QStringLiteral("Exclusão efetuada com sucesso")},
        {QStringLiteral("BG"), QStringLiteral("Agência/conta impedida legalmente")},
        {QStringLiteral("HA"), QStringLiteral("Lote não aceito")},
        {QStringLiteral("HB"), QStringLiteral("Inscrição da empresa inválida para o contrato")},
        {QStringLiteral("HC"), QStringLiteral("Convênio com a empresa inexistente/inválido para o contrato")},
        {QStringLiteral("HD"), QStringLiteral("Agência/conta corrente da empresa inexistente/inválida para o contrato")},
        {QStringLiteral("HE"), QStringLiteral("Tipo de serviço inválido para o contrato")},
        {QStringLiteral("HF"), QStringLiteral("Conta corrente da empresa com saldo insuficiente")},
        {QStringLiteral("HG"), QStringLiteral("Lote de serviço fora de sequência")},
        {QStringLiteral("HH"), QStringLiteral("Lote de serviço inválido")},
        {QStringLiteral("HI"), QStringLiteral("Arquivo não aceito")},
        {QStringLiteral("HJ"), QStringLiteral("Tipo de registro inválido")},
        {QStringLiteral("HK"), QStringLiteral("Código remessa/retorno inválido")},
        {QStringLiteral("HL"), QStringLiteral("Versão de leiaute inválida")},
        {QStringLiteral("TA"), QStringLiteral("Lote não aceito - totais do lote com diferença")},
    };
    return table;
}

// Occurrence codes of Itaú's return ("SISPAG - Sistema de Contas a Pagar
// Itaú - Layout de Arquivos CNAB", versão 085, NOTA 8): the codes a return
// of credits, DOC, TED and PIX carries (those of bar codes, taxes and pay
// slips are left to the "sem descrição" answer).
const QHash<QString, QString>& itauOccurrenceTable() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("00"), QStringLiteral("Pagamento efetuado")},
        {QStringLiteral("AE"), QStringLiteral("Data de pagamento alterada")},
        {QStringLiteral("AG"), QStringLiteral("Número do lote inválido")},
        {QStringLiteral("AH"), QStringLiteral("Número sequencial do registro no lote inválido")},
        {QStringLiteral("AI"), QStringLiteral("Produto demonstrativo de pagamento não contratado")},
        {QStringLiteral("AJ"), QStringLiteral("Tipo de movimento inválido")},
        {QStringLiteral("AL"), QStringLiteral("Código do banco favorecido inválido")},
        {QStringLiteral("AM"), QStringLiteral("Agência do favorecido inválida")},
        {QStringLiteral("AN"), QStringLiteral("Conta corrente do favorecido inválida")},
        {QStringLiteral("AO"), QStringLiteral("Nome do favorecido inválido")},
        {QStringLiteral("AP"), QStringLiteral("Data de pagamento inválida")},
        {QStringLiteral("AQ"), QStringLiteral("Quantidade de registros maior que 999999")},
        {QStringLiteral("AR"), QStringLiteral("Valor arrecadado/lançamento inválido")},
        {QStringLiteral("BC"), QStringLiteral("Nosso número inválido")},
        {QStringLiteral("BD"), QStringLiteral("Pagamento agendado")},
        {QStringLiteral("BE"), QStringLiteral("Pagamento agendado com forma alterada para OP")},
        {QStringLiteral("BI"), QStringLiteral("CNPJ/CPF do favorecido no segmento J-52 ou B inválido")},
        {QStringLiteral("CD"), QStringLiteral("CNPJ/CPF informado divergente do cadastrado")},
        {QStringLiteral("CE"), QStringLiteral("Pagamento cancelado")},
        {QStringLiteral("CK"), QStringLiteral("Tipo de inscrição inválida")},
        {QStringLiteral("CN"), QStringLiteral("Conta não cadastrada")},
        {QStringLiteral("DV"), QStringLiteral("DOC/TED devolvido pelo banco favorecido")},
        {QStringLiteral("FC"), QStringLiteral("Pagamento efetuado através de financiamento COMPROR")},
        {QStringLiteral("FD"), QStringLiteral("Pagamento efetuado através de financiamento DESCOMPROR")},
        {QStringLiteral("HA"), QStringLiteral("Erro no lote")},
        {QStringLiteral("HM"), QStringLiteral("Erro no registro header de arquivo")},
        {QStringLiteral("IM"), QStringLiteral("Tipo x forma não compatível")},
        {QStringLiteral("IN"), QStringLiteral("Banco/agência não cadastrados")},
        {QStringLiteral("IR"), QStringLiteral("Pagamento alterado")},
        {QStringLiteral("LA"), QStringLiteral("Data de pagamento de um lote alterada")},
        {QStringLiteral("LC"), QStringLiteral("Lote de pagamentos cancelado")},
        {QStringLiteral("NA"), QStringLiteral("Pagamento cancelado por falta de autorização")},
        {QStringLiteral("NR"), QStringLiteral("Operação não realizada")},
        {QStringLiteral("RJ"), QStringLiteral("Registro rejeitado")},
        {QStringLiteral("SS"), QStringLiteral("Pagamento cancelado por insuficiência de saldo/limite diário de pagamento "
                                              "excedido")},
        {QStringLiteral("TA"), QStringLiteral("Lote não aceito - totais do lote com diferença")},
        {QStringLiteral("TI"), QStringLiteral("Titularidade inválida")},
    };
    return table;
}

bool itau(LayoutDialect d) { return d == LayoutDialect::ItauSispag; }

// The dialect of the bank named in a return's header; FEBRABAN for a bank
// without a profile.
LayoutDialect dialectOfBank(const QString& code) {
    for (const BankProfile& p : BankProfiles())
        if (p.code == code) return p.dialect;
    return LayoutDialect::Febraban;
}

[[noreturn]] void damaged(int line, const QString& what) {
    throw BankFileStop(QStringLiteral("Arquivo de retorno danificado, linha %1: %2").arg(line).arg(what));
}

QStringList codesOf(const QString& field) {
    QStringList codes;
    for (int i = 0; i + 2 <= field.size(); i += 2) {
        const QString c = field.mid(i, 2).trimmed();
        if (!c.isEmpty()) codes << c;
    }
    return codes;
}

QDate dateAt(const QString& rec, int pos) {
    const QString d = rec.mid(pos - 1, 8);
    if (d == QLatin1String("00000000") || d.trimmed().isEmpty()) return {};
    return QDate::fromString(d, QStringLiteral("ddMMyyyy"));
}

// The digits of a numeric field; anything else there stops the reading at
// its line.
QString digitsAt(const QString& rec, int pos, int width, int line, const QString& field) {
    const QString d = rec.mid(pos - 1, width);
    if (OnlyDigits(d) != d) damaged(line, QStringLiteral("o campo %1 (posições %2 a %3) não é numérico: \"%4\"")
                                              .arg(field)
                                              .arg(pos)
                                              .arg(pos + width - 1)
                                              .arg(d));
    return d;
}

Fixed moneyAt(const QString& rec, int pos, int width, int line, const QString& field) {
    return Fixed::fromRaw(digitsAt(rec, pos, width, line, field).toLongLong() * (Fixed::Scale / 100));
}

int numberAt(const QString& rec, int pos, int width, int line, const QString& field) {
    return digitsAt(rec, pos, width, line, field).toInt();
}

} // namespace

QString OccurrenceText(const QString& code, LayoutDialect dialect) {
    const QHash<QString, QString>& table = itau(dialect) ? itauOccurrenceTable() : occurrenceTable();
    const auto it = table.constFind(code);
    if (it != table.constEnd()) return code + QStringLiteral(" - ") + *it;
    return code + (itau(dialect) ? QStringLiteral(" - ocorrência sem descrição na tabela do Itaú (SISPAG, nota 8)")
                                 : QStringLiteral(" - ocorrência sem descrição na tabela FEBRABAN"));
}

PaymentStatus StatusOfCodes(const QStringList& codes, LayoutDialect dialect) {
    static const QStringList febrabanPaid = {QStringLiteral("00")};
    static const QStringList febrabanAccepted = {QStringLiteral("BD"), QStringLiteral("BE"), QStringLiteral("BF")};
    static const QStringList itauPaid = {QStringLiteral("00"), QStringLiteral("FC"), QStringLiteral("FD")};
    static const QStringList itauAccepted = {QStringLiteral("BD"), QStringLiteral("BE"), QStringLiteral("AE"),
                                             QStringLiteral("IR"), QStringLiteral("LA")};
    const QStringList& paid = itau(dialect) ? itauPaid : febrabanPaid;
    const QStringList& accepted = itau(dialect) ? itauAccepted : febrabanAccepted;
    for (const QString& c : codes)
        if (paid.contains(c)) return PaymentStatus::Paid;
    if (codes.isEmpty()) return PaymentStatus::Refused;
    for (const QString& c : codes)
        if (!accepted.contains(c)) return PaymentStatus::Refused;
    return PaymentStatus::Scheduled;
}

QString StatusText(PaymentStatus s) {
    switch (s) {
    case PaymentStatus::Paid: return QStringLiteral("Pago");
    case PaymentStatus::Scheduled: return QStringLiteral("Agendado");
    case PaymentStatus::Refused: break;
    }
    return QStringLiteral("Recusado");
}

QString ReturnPayment::occurrencesText() const {
    QStringList parts;
    for (const QString& c : codes) parts << OccurrenceText(c, dialect);
    return parts.isEmpty() ? QStringLiteral("sem ocorrência informada") : parts.join(QStringLiteral("; "));
}

int BankReturnFile::paid() const {
    return int(std::count_if(payments.begin(), payments.end(), [](const auto& p) { return p.status == PaymentStatus::Paid; }));
}
int BankReturnFile::scheduled() const {
    return int(std::count_if(payments.begin(), payments.end(),
                             [](const auto& p) { return p.status == PaymentStatus::Scheduled; }));
}
int BankReturnFile::refused() const {
    return int(std::count_if(payments.begin(), payments.end(),
                             [](const auto& p) { return p.status == PaymentStatus::Refused; }));
}

BankReturnFile ParseBankReturn(const QByteArray& bytes) {
    BankReturnFile file;
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (lines.isEmpty()) throw BankFileStop(QStringLiteral("O arquivo de retorno está vazio."));

    bool headerSeen = false, trailerSeen = false;
    LayoutDialect dialect = LayoutDialect::Febraban;
    int currentBatch = 0, batchRecords = 0, batchesSeen = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const int line = i + 1;
        QByteArray raw = lines[i];
        if (raw.endsWith('\r')) raw.chop(1);
        const QString rec = QString::fromLatin1(raw);
        if (rec.size() != BankRecord::Width)
            damaged(line, QStringLiteral("o registro tem %1 posições; os registros do arquivo têm 240 (arquivo "
                                         "cortado ou alterado?)")
                              .arg(rec.size()));
        if (trailerSeen) damaged(line, QStringLiteral("há registros depois do trailer do arquivo"));
        const QChar type = rec.at(7);
        if (!headerSeen && type != QLatin1Char('0'))
            damaged(line, QStringLiteral("o arquivo não começa pelo header do arquivo (registro 0)"));
        switch (type.toLatin1()) {
        case '0':
            if (headerSeen) damaged(line, QStringLiteral("segundo header de arquivo"));
            headerSeen = true;
            file.bank = rec.left(3);
            dialect = dialectOfBank(file.bank);
            file.companyName = rec.mid(72, 30).trimmed();
            if (rec.at(142) != QLatin1Char('2'))
                damaged(line, QStringLiteral("não é um arquivo de retorno (posição 143 = \"%1\"; o retorno tem \"2\", "
                                             "a remessa \"1\")")
                                  .arg(rec.at(142)));
            file.generated = dateAt(rec, 144);
            file.sequence = numberAt(rec, 158, 6, line, QStringLiteral("NSA"));
            break;
        case '1': {
            if (currentBatch != 0) damaged(line, QStringLiteral("header de lote antes do trailer do lote %1").arg(currentBatch));
            currentBatch = numberAt(rec, 4, 4, line, QStringLiteral("Lote"));
            batchRecords = 1;
            ++batchesSeen;
            for (const QString& c : codesOf(rec.mid(230, 10)))
                if (c != QLatin1String("00") && c != QLatin1String("BD"))
                    file.batchOccurrences
                        << QStringLiteral("lote %1: %2").arg(currentBatch).arg(OccurrenceText(c, dialect));
            break;
        }
        case '3': {
            if (currentBatch == 0) damaged(line, QStringLiteral("registro de detalhe fora de um lote"));
            ++batchRecords;
            if (rec.at(13) != QLatin1Char('A')) break; // segment B and others: nothing to show
            ReturnPayment p;
            p.line = line;
            p.batch = currentBatch;
            p.dialect = dialect;
            p.bank = rec.mid(20, 3);
            if (itau(dialect) && (p.bank == QLatin1String("341") || p.bank == QLatin1String("409"))) {
                // Itaú's own accounts: agency 25-28, account 36-41, DAC 43
                // (NOTA 11 a).
                p.agency = rec.mid(24, 4);
                p.account = rec.mid(35, 6) + QLatin1Char('-') + rec.mid(42, 1);
            } else if (itau(dialect)) {
                // Other banks: agency 24-28 without digit, account 30-41,
                // a DAC of one or two characters in 42-43 (NOTA 11 b).
                p.agency = rec.mid(23, 5);
                p.account = rec.mid(29, 12) + QLatin1Char('-') + rec.mid(41, 2).trimmed();
            } else {
                p.agency = rec.mid(23, 5) + QLatin1Char('-') + rec.mid(28, 1).trimmed();
                p.account = rec.mid(29, 12) + QLatin1Char('-') + rec.mid(41, 1).trimmed();
            }
            p.name = rec.mid(43, 30).trimmed();
            p.yourNumber = rec.mid(73, 20).trimmed();
            p.employeeCode = p.yourNumber.left(6);
            p.paymentDate = dateAt(rec, 94);
            p.amount = moneyAt(rec, 120, 15, line, QStringLiteral("Valor do Pagamento"));
            p.realDate = dateAt(rec, 155);
            p.realAmount = moneyAt(rec, 163, 15, line, QStringLiteral("Valor Real da Efetivação"));
            p.codes = codesOf(rec.mid(230, 10));
            p.status = StatusOfCodes(p.codes, dialect);
            file.payments.push_back(p);
            break;
        }
        case '5': {
            if (currentBatch == 0) damaged(line, QStringLiteral("trailer de lote sem header de lote"));
            ++batchRecords;
            const int counted = numberAt(rec, 18, 6, line, QStringLiteral("Quantidade de Registros do Lote"));
            if (counted != batchRecords)
                damaged(line, QStringLiteral("o trailer do lote %1 conta %2 registros, o lote tem %3")
                                  .arg(currentBatch)
                                  .arg(counted)
                                  .arg(batchRecords));
            currentBatch = 0;
            break;
        }
        case '9': {
            if (currentBatch != 0) damaged(line, QStringLiteral("trailer do arquivo antes do trailer do lote %1").arg(currentBatch));
            const int batches = numberAt(rec, 18, 6, line, QStringLiteral("Quantidade de Lotes"));
            const int records = numberAt(rec, 24, 6, line, QStringLiteral("Quantidade de Registros"));
            if (batches != batchesSeen)
                damaged(line, QStringLiteral("o trailer conta %1 lote(s), o arquivo tem %2").arg(batches).arg(batchesSeen));
            if (records != line)
                damaged(line, QStringLiteral("o trailer conta %1 registros, o arquivo tem %2").arg(records).arg(line));
            trailerSeen = true;
            break;
        }
        default:
            damaged(line, QStringLiteral("tipo de registro desconhecido \"%1\" (posição 8)").arg(type));
        }
    }
    if (!trailerSeen)
        throw BankFileStop(QStringLiteral("Arquivo de retorno danificado: termina na linha %1 sem o trailer do arquivo "
                                          "(registro 9); o arquivo está incompleto.")
                               .arg(lines.size()));
    return file;
}

BankReturnFile ReadBankReturn(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw BankFileStop(FileErrorText(f, path));
    return ParseBankReturn(f.readAll());
}

QStringList BankReturnLines(const BankReturnFile& file) {
    QStringList out;
    // Itaú's header carries no file sequence number.
    out << QStringLiteral("Retorno do banco %1, %2 de %3, empresa %4")
               .arg(file.bank,
                    file.sequence > 0 ? QStringLiteral("arquivo %1").arg(file.sequence) : QStringLiteral("arquivo"),
                    file.generated.toString(QStringLiteral("dd/MM/yyyy")), file.companyName);
    for (const QString& b : file.batchOccurrences) out << QStringLiteral("Ocorrência do ") + b;
    for (const ReturnPayment& p : file.payments)
        out << QStringLiteral("%1 %2 %3 %4 %5: %6")
                   .arg(p.employeeCode, -6)
                   .arg(p.name, -30)
                   .arg(MoneyText(p.amount), 12)
                   .arg(StatusText(p.status), -8)
                   .arg(p.realDate.isValid() ? p.realDate.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("          "))
                   .arg(p.occurrencesText());
    Fixed paidTotal;
    for (const ReturnPayment& p : file.payments)
        if (p.status == PaymentStatus::Paid) paidTotal += p.realAmount.isZero() ? p.amount : p.realAmount;
    out << QStringLiteral("Pagos: %1 (%2); agendados: %3; recusados: %4")
               .arg(file.paid())
               .arg(MoneyText(paidTotal))
               .arg(file.scheduled())
               .arg(file.refused());
    return out;
}

} // namespace folha::bank
