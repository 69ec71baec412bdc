// Sending batches to a stand-in of the eSocial web services on loopback:
// a real client over a real TLS connection with the office's certificate,
// the register of events updated from the results, a batch in processing
// asked again and never sent twice, a dropped connection that leaves the
// events as they were and a certificate the server refuses.

#include "EventRegister.h"
#include "Generator.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "StandInServer.h"
#include "TempDir.h"
#include "TestBackend.h"
#include "Transmission.h"

#include <gtest/gtest.h>

using namespace folha;
using namespace folha::esocial;
using folha::testing::StandInServer;

namespace {

Employer SenderEmployer() {
    return Employer{1, QStringLiteral("EMPRESA DEMONSTRACAO LTDA"), QStringLiteral("1"), QStringLiteral("12345678"),
                    QStringLiteral("12345678000195")};
}

QByteArray ClosingEvent(const QString& id) {
    EventWriter w("S-1299");
    w.start("ideEvento");
    w.text("indApuracao", "1");
    w.text("perApur", "2026-01");
    w.text("indGuia", "1");
    w.text("tpAmb", "2");
    w.text("procEmi", "1");
    w.text("verProc", "FolhaZorvan 1.0");
    w.end();
    w.ideEmpregador(SenderEmployer());
    w.start("infoFech");
    w.text("evtRemun", "S");
    w.text("evtPgtos", "S");
    w.text("evtComProd", "N");
    w.text("evtContratAvNP", "N");
    w.text("evtInfoComplPer", "N");
    w.end();
    return w.finish().replace(kIdPlaceholder, id.toUtf8());
}

// The message of the TransmissionError `send` throws; "(enviado)" when none.
template <typename Send>
QString refusal(Send send) {
    try {
        send();
    } catch (const TransmissionError& e) {
        return e.message();
    }
    return QStringLiteral("(enviado)");
}

class TransmissionTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::unique_ptr<Database> db = folha::testing::OpenTestDatabase(tmp.path());
    ScriptedUi ui;
    const folha::testing::TestAuthority& ca = folha::testing::Authority();
    StandInServer server{ca};
    std::unique_ptr<ClientIdentity> identity = ClientIdentity::load(ca.clientPfx, ca.password);
    QDateTime now = QDateTime(QDate(2026, 2, 5), QTime(9, 30, 0));

    TransmitSettings settings() const {
        TransmitSettings t;
        t.endpoints = {server.sendUrl(), server.queryUrl()};
        t.caBundle = ca.caPem;
        t.timeoutSeconds = 30;
        return t;
    }

    // Signed events of January ready to send, "ID…00001", "ID…00002", …
    QStringList storeSigned(int count, int first = 1) {
        auto cert = Certificate::load(ca.clientPfx, ca.password);
        EventRegister reg(*db);
        QStringList ids;
        for (int i = first; i < first + count; ++i) {
            StoredEvent e;
            e.id = QStringLiteral("ID11234567800000020260205093000%1").arg(i, 5, 10, QChar('0'));
            e.type = "S-1299";
            e.subject = QStringLiteral("S-1299|2026-01|%1").arg(i);
            e.version = 1;
            e.competence = "2026-01";
            e.status = status::Signed;
            e.xml = cert->sign(ClosingEvent(e.id));
            e.created = now;
            reg.insert(e);
            ids << e.id;
        }
        return ids;
    }

    SendOutcome send(const ClientIdentity& who, const TransmitSettings& how) {
        SoapClient client(who, how);
        return SendPending(*db, SenderEmployer(), QString(), client, "2026-01", now, ui);
    }
    SendOutcome send() { return send(*identity, settings()); }

    StoredEvent event(const QString& id) {
        EventRegister reg(*db);
        auto e = reg.byId(id);
        EXPECT_TRUE(e.has_value()) << id.toStdString();
        return e.value_or(StoredEvent{});
    }
};

TEST_F(TransmissionTest, EachOutcomeReachesTheRegister) {
    struct Case {
        StandInServer::Outcome outcome;
        QString status;
        QString receipt;
        QString messages;
    } cases[] = {
        {StandInServer::Outcome::Accept, status::Accepted, "1.2.0000000000000000001", ""},
        {StandInServer::Outcome::Reject, status::Rejected, "",
         "Erro 1234 - O CPF informado não pertence a um trabalhador do empregador. (/eSocial/evtRemun/ideTrabalhador/cpfTrab)\n"
         "Erro 5678 - A rubrica informada não existe na tabela de rubricas."},
        {StandInServer::Outcome::Warn, status::Accepted, "1.2.0000000000000000003",
         "Advertência 9012 - A remuneração informada é inferior ao salário mínimo."},
    };
    const QStringList ids = storeSigned(3);
    for (int i = 0; i < 3; ++i) server.setOutcome(ids[i], cases[i].outcome);
    SendOutcome out = send();
    EXPECT_EQ(out.batchesSent, 1);
    EXPECT_EQ(out.eventsSent, 3);
    EXPECT_EQ(out.accepted, 2);
    EXPECT_EQ(out.warnings, 1);
    EXPECT_EQ(out.rejected, 1);
    EXPECT_EQ(out.processing, 0);
    for (int i = 0; i < 3; ++i) {
        StoredEvent e = event(ids[i]);
        EXPECT_EQ(e.status, cases[i].status) << i;
        EXPECT_EQ(e.receipt, cases[i].receipt) << i;
        EXPECT_EQ(e.messages, cases[i].messages) << i;
        EXPECT_EQ(e.batch, 1) << i;
    }
    auto batches = ListBatches(*db);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].status, batchStatus::Processed);
    EXPECT_EQ(batches[0].protocol, "1.2.202602.0000000000000000001");
    EXPECT_EQ(batches[0].ids, ids);
    EXPECT_EQ(batches[0].code, 201);
    EXPECT_EQ(server.problems(), QStringList());
    EXPECT_EQ(server.eventsReceived(), ids);

    // Sending again sends nothing: accepted and rejected events stay put.
    out = send();
    EXPECT_EQ(out.batchesSent, 0);
    EXPECT_EQ(server.batchesReceived(), 1);

    // The rejected one, sent again as it is, goes alone in a new batch.
    MarkForResend(*db, ids[1]);
    EXPECT_EQ(event(ids[1]).status, status::Signed);
    server.setOutcome(ids[1], StandInServer::Outcome::Accept);
    out = send();
    EXPECT_EQ(out.batchesSent, 1);
    EXPECT_EQ(out.accepted, 1);
    EXPECT_EQ(event(ids[1]).status, status::Accepted);
    EXPECT_EQ(event(ids[1]).batch, 2);
    EXPECT_EQ(server.eventsReceived(), ids + QStringList{ids[1]});
    EXPECT_THROW(MarkForResend(*db, ids[0]), UserError);
}

// An accepted event comes back with the totals the government computed from
// it: they are kept once, with the batch as their origin.
TEST_F(TransmissionTest, TotalsReturnedWithAnAcceptedEventAreKept) {
    const QStringList ids = storeSigned(2);
    const QByteArray totals =
        "<eSocial xmlns=\"http://www.esocial.gov.br/schema/evt/evtBasesTrab/v_S_01_03_00\"><evtBasesTrab Id=\"ID1123456780000002026020509310000001\">"
        "<ideEvento><nrRecArqBase>1.2.0000000000000000001</nrRecArqBase><indApuracao>1</indApuracao><perApur>2026-01</perApur></ideEvento>"
        "<ideEmpregador><tpInsc>1</tpInsc><nrInsc>12345678</nrInsc></ideEmpregador><ideTrabalhador><cpfTrab>12345678909</cpfTrab></ideTrabalhador>"
        "<infoCpCalc><tpCR>108201</tpCR><vrCpSeg>250.00</vrCpSeg><vrDescSeg>250.00</vrDescSeg></infoCpCalc></evtBasesTrab></eSocial>";
    server.setTotals(ids[0], totals);
    server.setTotals(ids[1], QByteArray(totals).replace("<cpfTrab>", "<cpfTrab>X")); // not valid: reported, not kept
    SendOutcome out = send();
    EXPECT_EQ(out.accepted, 2);
    EXPECT_EQ(out.totals, 1);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].startsWith("lote 1: o S-5001 não confere com o esquema; nada dele foi gravado.")) << out.messages[0].toStdString();
    auto q = db->exec("SELECT ID, TIPO, COMPETENC, CPF, RECIBO, ORIGEM FROM ESOCTOT");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(QStringList({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                           q.value(4).toString(), q.value(5).toString()}),
              QStringList({"ID1123456780000002026020509310000001", "S-5001", "2026-01", "12345678909", "1.2.0000000000000000001", "lote 1"}));
    EXPECT_FALSE(q.next());
}

// An event not signed stays out of the batch and is said.
TEST_F(TransmissionTest, EventsNotSignedStayOutAndAreCounted) {
    const QStringList ids = storeSigned(2);
    EventRegister reg(*db);
    reg.setStatus(ids[1], status::Validated);
    SendOutcome out = send();
    EXPECT_EQ(out.eventsSent, 1);
    EXPECT_EQ(server.eventsReceived(), QStringList{ids[0]});
    EXPECT_EQ(out.messages, QStringList{"1 evento(s) inválido(s) ou sem assinatura ficaram fora do envio: corrija-os e gere de novo "
                                        "com o certificado escolhido."});
    EXPECT_EQ(event(ids[1]).status, status::Validated);
}

// A batch processed without one of its events' results: that event goes
// back to be sent, the others keep theirs.
TEST_F(TransmissionTest, EventLeftOutOfTheResultGoesBackToBeSent) {
    const QStringList ids = storeSigned(2);
    server.setOutcome(ids[1], StandInServer::Outcome::Missing);
    SendOutcome out = send();
    EXPECT_EQ(out.accepted, 1);
    EXPECT_EQ(out.messages, QStringList{"S-1299 " + ids[1] + " sem resultado no lote 1: volta a ser enviado."});
    EXPECT_EQ(event(ids[0]).status, status::Accepted);
    EXPECT_EQ(event(ids[1]).status, status::Signed);
    EXPECT_EQ(event(ids[1]).messages, "O lote 1 foi processado sem o resultado deste evento: envie de novo.");
    server.setOutcome(ids[1], StandInServer::Outcome::Accept);
    out = send();
    EXPECT_EQ(out.accepted, 1);
    EXPECT_EQ(event(ids[1]).status, status::Accepted);
    EXPECT_EQ(event(ids[1]).batch, 2);
    EXPECT_EQ(server.problems(), QStringList());
}

TEST_F(TransmissionTest, BatchInProcessingIsAskedAgainNeverSentTwice) {
    const QStringList ids = storeSigned(2);
    server.setProcessingRounds(2);
    SendOutcome out = send();
    EXPECT_EQ(out.batchesSent, 1);
    EXPECT_EQ(out.processing, 2);
    for (const QString& id : ids) EXPECT_EQ(event(id).status, status::Sent);
    ASSERT_EQ(ListBatches(*db).size(), 1u);
    EXPECT_EQ(ListBatches(*db)[0].status, batchStatus::Processing);
    EXPECT_EQ(ListBatches(*db)[0].code, 101);

    // Still processing: asked by its protocol, nothing sent.
    out = send();
    EXPECT_EQ(out.batchesSent, 0);
    EXPECT_EQ(out.processing, 2);
    EXPECT_EQ(server.batchesReceived(), 1);

    // Processed: the status command's query brings the receipts.
    SoapClient client(*identity, settings());
    out = QueryPending(*db, client, now, ui);
    EXPECT_EQ(out.accepted, 2);
    for (const QString& id : ids) EXPECT_EQ(event(id).status, status::Accepted);
    EXPECT_EQ(ListBatches(*db)[0].status, batchStatus::Processed);
    EXPECT_EQ(server.batchesReceived(), 1);
    EXPECT_EQ(server.queries(), 3);
    EXPECT_EQ(server.problems(), QStringList());
}

TEST_F(TransmissionTest, DroppedConnectionLeavesTheEventsAsTheyWere) {
    const QStringList ids = storeSigned(2);
    server.dropNextSend();
    const QString dropped = refusal([&] { return send(); });
    EXPECT_TRUE(dropped.startsWith("A conexão com o eSocial caiu antes da resposta")) << dropped.toStdString();
    EXPECT_TRUE(dropped.endsWith("Os eventos ficaram como estavam, prontos para enviar de novo.")) << dropped.toStdString();
    for (const QString& id : ids) {
        EXPECT_EQ(event(id).status, status::Signed);
        EXPECT_EQ(event(id).batch, 0);
    }
    EXPECT_TRUE(ListBatches(*db).empty());

    // Sent again: the eSocial had received them; it answers with the
    // receipts it gave then, as duplicates, and they are accepted.
    SendOutcome out = send();
    EXPECT_EQ(out.accepted, 2);
    EXPECT_EQ(server.duplicates(), 2);
    EXPECT_EQ(event(ids[0]).receipt, "1.2.0000000000000000001");
    EXPECT_EQ(event(ids[1]).receipt, "1.2.0000000000000000002");

    // The answer of a query lost: the batch keeps its protocol and is asked
    // again, not sent again.
    const QStringList more = storeSigned(1, 3);
    server.dropNextQuery();
    EXPECT_THROW(send(), TransmissionError);
    EXPECT_EQ(event(more[0]).status, status::Sent);
    const int received = server.batchesReceived();
    out = send();
    EXPECT_EQ(out.batchesSent, 0);
    EXPECT_EQ(out.accepted, 1);
    EXPECT_EQ(event(more[0]).status, status::Accepted);
    EXPECT_EQ(server.batchesReceived(), received);
    EXPECT_EQ(server.problems(), QStringList());
}

// A client certificate the server does not know, and a server certificate
// the trusted authorities did not sign: refused before anything is sent.
TEST_F(TransmissionTest, CertificatesNotTrustedOnEitherSideSendNothing) {
    const QStringList ids = storeSigned(1);
    const auto& stranger = folha::testing::ThrowawayCertificate();
    const auto strangerIdentity = ClientIdentity::load(stranger.pfx, stranger.password);
    TransmitSettings strangerAuthority = settings();
    strangerAuthority.caBundle = stranger.pem;
    const struct {
        const ClientIdentity& who;
        TransmitSettings how;
        QString start, end;
    } cases[] = {
        {*strangerIdentity, settings(), "O servidor do eSocial recusou o certificado do escritório", "Nada foi enviado."},
        {*identity, strangerAuthority, "O certificado do servidor https://127.0.0.1:", ""},
    };
    for (const auto& c : cases) {
        const QString message = refusal([&] { return send(c.who, c.how); });
        EXPECT_TRUE(message.startsWith(c.start) && message.endsWith(c.end)) << message.toStdString();
        EXPECT_EQ(event(ids[0]).status, status::Signed);
        EXPECT_EQ(server.batchesReceived(), 0);
    }
    EXPECT_GE(server.handshakesRefused(), 1);
}

TEST(TransmissionSettings, OfficialAddressesUnlessTheInstallationSaysOtherwise) {
    TempDir tmp;
    const QString cfg = tmp.file("CfgFolha.ini");
    struct Case {
        int environment;
        QString ini;
        QString send, query;
    } cases[] = {
        {2, "", "https://webservices.producaorestrita.esocial.gov.br/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc",
         "https://webservices.producaorestrita.esocial.gov.br/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc"},
        {1, "", "https://webservices.envio.esocial.gov.br/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc",
         "https://webservices.consulta.esocial.gov.br/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc"},
        {2, "[eSocial]\nEnvioRestrita=https://127.0.0.1:1/e\nConsultaRestrita=https://127.0.0.1:1/c\n", "https://127.0.0.1:1/e",
         "https://127.0.0.1:1/c"},
    };
    for (const Case& c : cases) {
        QFile f(cfg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.ini.toUtf8());
        f.close();
        TransmitSettings t = ReadTransmitSettings(cfg, c.environment);
        EXPECT_EQ(t.endpoints.send, c.send);
        EXPECT_EQ(t.endpoints.query, c.query);
    }
}

} // namespace
