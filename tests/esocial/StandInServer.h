#pragma once
// A stand-in for the eSocial web services on loopback, for the tests: an
// HTTPS server (OpenSSL, in a thread of the test) whose certificate a test
// certificate authority signed, that asks the client for its certificate
// and refuses one the authority did not sign. It validates every batch it
// receives against the communication schemas (and each event against its
// own, signature required) and answers with schema-valid results: accepted
// with a receipt, rejected with messages, accepted with warnings, still
// processing a given number of times, or the connection dropped.

#include "Esocial.h"
#include "Schemas.h"
#include "TestCertificate.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace folha::testing {

class StandInServer {
public:
    enum class Outcome { Accept, Reject, Warn, Missing }; // Missing: left out of the batch's result

    explicit StandInServer(const TestAuthority& a) {
        ctx_ = SSL_CTX_new(TLS_server_method());
        EXPECT_EQ(SSL_CTX_use_certificate_file(ctx_, a.serverPem.toUtf8().constData(), SSL_FILETYPE_PEM), 1);
        EXPECT_EQ(SSL_CTX_use_PrivateKey_file(ctx_, a.serverKey.toUtf8().constData(), SSL_FILETYPE_PEM), 1);
        EXPECT_EQ(SSL_CTX_load_verify_locations(ctx_, a.caPem.toUtf8().constData(), nullptr), 1);
        SSL_CTX_set_app_data(ctx_, this);
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, verified);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(listen(listener_, 8), 0);
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { loop(); });
    }
    ~StandInServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
        SSL_CTX_free(ctx_);
    }

    QString sendUrl() const { return QStringLiteral("https://127.0.0.1:%1/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc").arg(port_); }
    QString queryUrl() const { return QStringLiteral("https://127.0.0.1:%1/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc").arg(port_); }

    // What to answer: per event (default accepted), the queries answered
    // "processing" before the result, the next send or query dropped.
    void setOutcome(const QString& id, Outcome o) { std::lock_guard l(m_); outcomes_[id] = o; }
    void setProcessingRounds(int n) { std::lock_guard l(m_); processingRounds_ = n; }
    void dropNextSend() { std::lock_guard l(m_); dropSend_ = true; }
    void dropNextQuery() { std::lock_guard l(m_); dropQuery_ = true; }
    // Totals returned with an accepted event (the inner eSocial document).
    void setTotals(const QString& id, const QByteArray& xml) { std::lock_guard l(m_); totals_[id] = xml; }

    // What it saw.
    int batchesReceived() const { std::lock_guard l(m_); return int(batches_.size()); }
    QStringList eventsReceived() const { std::lock_guard l(m_); return received_; }
    int queries() const { std::lock_guard l(m_); return queries_; }
    int handshakesRefused() const { std::lock_guard l(m_); return refused_; }
    int duplicates() const { std::lock_guard l(m_); return duplicates_; } // events answered as received before
    QStringList problems() const { std::lock_guard l(m_); return problems_; } // invalid requests or answers

private:
    struct Pending {
        QString protocol;
        QStringList ids;
        int roundsLeft = 0;
    };

    void loop() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) continue;
            serve(fd);
            close(fd);
        }
    }

    // Counts the client certificates refused before the alert goes out.
    static int verified(int ok, X509_STORE_CTX* store) {
        if (!ok) {
            SSL* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
            auto* self = static_cast<StandInServer*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
            std::lock_guard l(self->m_);
            ++self->refused_;
        }
        return ok;
    }

    static void linger(int fd) {
        shutdown(fd, SHUT_WR);
        char buf[4096];
        while (read(fd, buf, sizeof buf) > 0) {
        }
    }

    static bool readAll(SSL* ssl, QByteArray& request) {
        char buf[16384];
        for (;;) {
            const int header = request.indexOf("\r\n\r\n");
            if (header >= 0) {
                static const QRegularExpression cl(QStringLiteral("Content-Length:\\s*(\\d+)"), QRegularExpression::CaseInsensitiveOption);
                const auto m = cl.match(QString::fromLatin1(request.left(header)));
                const int length = m.hasMatch() ? m.captured(1).toInt() : 0;
                if (request.size() >= header + 4 + length) return true;
            }
            const int n = SSL_read(ssl, buf, sizeof buf);
            if (n <= 0) return false;
            request.append(buf, n);
        }
    }

    void serve(int fd) {
        SSL* ssl = SSL_new(ctx_);
        SSL_set_fd(ssl, fd);
        timeval tv{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        if (SSL_accept(ssl) != 1) {
            // The alert goes out, then the server closes as a careful one does:
            // its side first, reading what the client still sends, so that
            // the client reads the alert rather than a reset connection.
            linger(fd);
            ERR_clear_error();
            SSL_free(ssl);
            return;
        }
        QByteArray request;
        if (!readAll(ssl, request)) {
            // A client refused in TLS 1.3 learns it on its first read; the
            // server sees the failure here.
            linger(fd);
            ERR_clear_error();
            SSL_free(ssl);
            return;
        }
        const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
        QByteArray answer;
        bool drop = false;
        {
            std::lock_guard l(m_);
            if (request.contains("EnviarLoteEventos\"")) {
                drop = std::exchange(dropSend_, false);
                answer = onSend(body, drop);
            } else {
                drop = std::exchange(dropQuery_, false);
                answer = onQuery(body);
            }
        }
        if (!drop) {
            const QByteArray soap = "<?xml version=\"1.0\" encoding=\"utf-8\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" +
                                    answer + "</s:Body></s:Envelope>";
            const QByteArray response = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\nContent-Length: " +
                                        QByteArray::number(soap.size()) + "\r\n\r\n" + soap;
            SSL_write(ssl, response.constData(), int(response.size()));
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }

    static QByteArray inner(const QByteArray& body, const char* open, const char* close) {
        const int a = body.indexOf(open);
        const int b = body.lastIndexOf(close);
        if (a < 0 || b < 0) return {};
        return body.mid(a + int(qstrlen(open)), b - a - int(qstrlen(open)));
    }

    void check(const QByteArray& xml, const QString& schema, const QString& what) {
        const QStringList e = folha::esocial::ValidateDocument(xml, schema);
        if (!e.isEmpty()) problems_ << what + ": " + e.join(QStringLiteral("; "));
    }

    QByteArray onSend(const QByteArray& body, bool drop) {
        const QByteArray batch = inner(body, "<v1:loteEventos>", "</v1:loteEventos>");
        const QStringList errors = folha::esocial::ValidateBatch(batch);
        if (!errors.isEmpty()) problems_ << "lote inválido: " + errors.join(QStringLiteral("; "));
        static const QRegularExpression evento(QStringLiteral("<evento Id=\"([^\"]+)\">(.*?)</evento>"),
                                               QRegularExpression::DotMatchesEverythingOption);
        Pending p;
        for (auto it = evento.globalMatch(QString::fromUtf8(batch)); it.hasNext();) {
            const auto m = it.next();
            p.ids << m.captured(1);
            const QByteArray xml = m.captured(2).toUtf8();
            static const QRegularExpression type(QStringLiteral("<(evt[A-Za-z]+)"));
            const QString root = type.match(m.captured(2)).captured(1);
            QString kind;
            for (const auto& k : folha::esocial::EventKinds())
                if (root == QLatin1String(k.root)) kind = QLatin1String(k.type);
            if (kind.isEmpty()) problems_ << m.captured(1) + ": evento desconhecido " + root;
            else {
                const QStringList ev = folha::esocial::ValidateEvent(xml, kind, folha::esocial::Signature::Required);
                if (!ev.isEmpty()) problems_ << m.captured(1) + ": " + ev.join(QStringLiteral("; "));
            }
        }
        batches_ << batch;
        received_ << p.ids;
        p.protocol = QStringLiteral("1.2.202602.%1").arg(++protocolNumber_, 19, 10, QChar('0'));
        p.roundsLeft = processingRounds_;
        if (!drop) {
            pending_[p.protocol] = p;
        } else {
            // The batch was received and processed; only its answer was
            // lost on the way back: the client never learns the protocol.
            for (const QString& id : p.ids)
                if (!receipts_.count(id) && (!outcomes_.count(id) || outcomes_[id] != Outcome::Reject)) receipts_[id] = ++receiptNumber_;
        }
        const QByteArray answer =
            "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/retornoEnvio/v1_1_0\"><retornoEnvioLoteEventos>"
            "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
            "<ideTransmissor><tpInsc>1</tpInsc><nrInsc>12345678000195</nrInsc></ideTransmissor>"
            "<status><cdResposta>201</cdResposta><descResposta>Lote Recebido com Sucesso.</descResposta></status>"
            "<dadosRecepcaoLote><dhRecepcao>2026-02-05T09:30:00</dhRecepcao><versaoAplicativoRecepcao>1.0.0</versaoAplicativoRecepcao>"
            "<protocoloEnvio>" + p.protocol.toUtf8() + "</protocoloEnvio></dadosRecepcaoLote>"
            "</retornoEnvioLoteEventos></eSocial>";
        check(answer, QStringLiteral("comunicacao/RetornoEnvioLoteEventos-v1_1_0.xsd"), QStringLiteral("retorno do envio"));
        return "<EnviarLoteEventosResponse xmlns=\"http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0\">"
               "<EnviarLoteEventosResult>" + answer + "</EnviarLoteEventosResult></EnviarLoteEventosResponse>";
    }

    QByteArray eventResult(const QString& id, const QString& protocol, int n) {
        const Outcome o = outcomes_.count(id) ? outcomes_[id] : Outcome::Accept;
        QByteArray occurrences;
        int code = 201;
        QByteArray desc = "Sucesso.";
        if (o == Outcome::Reject) {
            code = 401;
            desc = "Erro no conteúdo do evento.";
            occurrences = "<ocorrencias><ocorrencia><tipo>1</tipo><codigo>1234</codigo>"
                          "<descricao>O CPF informado não pertence a um trabalhador do empregador.</descricao>"
                          "<localizacao>/eSocial/evtRemun/ideTrabalhador/cpfTrab</localizacao></ocorrencia>"
                          "<ocorrencia><tipo>1</tipo><codigo>5678</codigo>"
                          "<descricao>A rubrica informada não existe na tabela de rubricas.</descricao></ocorrencia></ocorrencias>";
        } else if (o == Outcome::Warn) {
            code = 202;
            desc = "Sucesso com advertência.";
            occurrences = "<ocorrencias><ocorrencia><tipo>2</tipo><codigo>9012</codigo>"
                          "<descricao>A remuneração informada é inferior ao salário mínimo.</descricao></ocorrencia></ocorrencias>";
        }
        QByteArray r = "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/retornoEvento/v1_2_1\"><retornoEvento Id=\"R" +
                       id.toUtf8() + "\"><ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>"
                       "<recepcao><tpAmb>2</tpAmb><dhRecepcao>2026-02-05T09:30:00</dhRecepcao><versaoAppRecepcao>1.0.0</versaoAppRecepcao>"
                       "<protocoloEnvioLote>" + protocol.toUtf8() + "</protocoloEnvioLote></recepcao>"
                       "<processamento><cdResposta>" + QByteArray::number(code) + "</cdResposta><descResposta>" + desc +
                       "</descResposta><versaoAppProcessamento>1.0.0</versaoAppProcessamento>"
                       "<dhProcessamento>2026-02-05T09:31:00</dhProcessamento>" + occurrences + "</processamento>";
        if (o != Outcome::Reject)
            r += "<recibo><nrRecibo>1.2.0000000000000" + QByteArray::number(n).rightJustified(6, '0') +
                 "</nrRecibo><hash>q1w2e3r4t5y6u7i8o9p0</hash></recibo>";
        r += "</retornoEvento></eSocial>";
        check(r, QStringLiteral("comunicacao/RetornoEvento-v1_2_1.xsd"), QStringLiteral("retorno do evento ") + id);
        return r;
    }

    QByteArray onQuery(const QByteArray& body) {
        ++queries_;
        static const QRegularExpression proto(QStringLiteral("<protocoloEnvio>([^<]*)</protocoloEnvio>"));
        const QString protocol = proto.match(QString::fromUtf8(body)).captured(1);
        const QByteArray query = inner(body, "<v1:consulta>", "</v1:consulta>");
        check(query, QStringLiteral("comunicacao/ConsultaLoteEventos-v1_0_0.xsd"), QStringLiteral("consulta"));
        QByteArray content;
        auto it = pending_.find(protocol);
        if (it == pending_.end()) {
            content = "<status><cdResposta>501</cdResposta><descResposta>Protocolo não encontrado.</descResposta></status>";
        } else if (it->second.roundsLeft > 0) {
            --it->second.roundsLeft;
            content = "<status><cdResposta>101</cdResposta><descResposta>Lote Aguardando Processamento.</descResposta>"
                      "<tempoEstimadoConclusao>30</tempoEstimadoConclusao></status>";
        } else {
            content = "<status><cdResposta>201</cdResposta><descResposta>Lote Processado com Sucesso.</descResposta></status>"
                      "<dadosRecepcaoLote><dhRecepcao>2026-02-05T09:30:00</dhRecepcao><versaoAplicativoRecepcao>1.0.0</versaoAplicativoRecepcao>"
                      "<protocoloEnvio>" + protocol.toUtf8() + "</protocoloEnvio></dadosRecepcaoLote>"
                      "<dadosProcessamentoLote><versaoAplicativoProcessamentoLote>1.0.0</versaoAplicativoProcessamentoLote></dadosProcessamentoLote>"
                      "<retornoEventos>";
            for (const QString& id : it->second.ids) {
                if (outcomes_.count(id) && outcomes_[id] == Outcome::Missing) continue;
                // An event received before answers with its first receipt,
                // marked as a duplicate.
                const bool duplicate = receipts_.count(id) > 0;
                const int n = duplicate ? receipts_[id] : ++receiptNumber_;
                if (duplicate) ++duplicates_;
                else if (!outcomes_.count(id) || outcomes_[id] != Outcome::Reject) receipts_[id] = n;
                content += "<evento Id=\"" + id.toUtf8() + "\"" + (duplicate ? QByteArray(" evtDupl=\"true\"") : QByteArray()) +
                           "><retornoEvento>" + eventResult(id, protocol, n) + "</retornoEvento>";
                if (totals_.count(id) && (!outcomes_.count(id) || outcomes_[id] != Outcome::Reject))
                    content += "<tot tipo=\"S5001\">" + totals_[id] + "</tot>";
                content += "</evento>";
            }
            content += "</retornoEventos>";
        }
        const QByteArray answer =
            "<eSocial xmlns=\"http://www.esocial.gov.br/schema/lote/eventos/envio/retornoProcessamento/v1_3_0\"><retornoProcessamentoLoteEventos>"
            "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador>" + content +
            "</retornoProcessamentoLoteEventos></eSocial>";
        check(answer, QStringLiteral("comunicacao/RetornoProcessamentoLote-v1_3_0.xsd"), QStringLiteral("retorno da consulta"));
        return "<ConsultarLoteEventosResponse xmlns=\"http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/retornoProcessamento/v1_1_0\">"
               "<ConsultarLoteEventosResult>" + answer + "</ConsultarLoteEventosResult></ConsultarLoteEventosResponse>";
    }

    SSL_CTX* ctx_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex m_;
    std::map<QString, Outcome> outcomes_;
    std::map<QString, QByteArray> totals_;
    std::map<QString, int> receipts_; // the receipt number each accepted event got
    std::map<QString, Pending> pending_;
    int processingRounds_ = 0;
    bool dropSend_ = false, dropQuery_ = false;
    QList<QByteArray> batches_;
    QStringList received_;
    int queries_ = 0, refused_ = 0, protocolNumber_ = 0, receiptNumber_ = 0, duplicates_ = 0;
    QStringList problems_;
};

} // namespace folha::testing
