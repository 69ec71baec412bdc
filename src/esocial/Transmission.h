#pragma once
// Sending the signed events to the eSocial web services and reading their
// results: the batches go to EnviarLoteEventos over HTTPS with the office's
// A1 certificate as the client certificate, and each batch's protocol is
// asked of ConsultarLoteEventos until the government has processed it.
// The register of events takes the receipts, the messages and the totals.

#include "Esocial.h"
#include "EventRegister.h"
#include "UserInterface.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace folha::esocial {

// The addresses of the two services of one environment.
struct Endpoints {
    QString send;  // WsEnviarLoteEventos.svc
    QString query; // WsConsultarLoteEventos.svc
};
// The government's addresses of environment 1 (produção) or 2 (produção restrita).
Endpoints OfficialEndpoints(int environment);

// The transmission settings of the installation ([eSocial] in CfgFolha.ini):
// the addresses of each environment (the government's by default), the
// certificate authorities the server's certificate is checked against
// (empty: the system's) and the time a call may take.
struct TransmitSettings {
    Endpoints endpoints;
    QString caBundle;
    int timeoutSeconds = 120;
    int connectSeconds = 30;
};
TransmitSettings ReadTransmitSettings(const QString& cfgFile, int environment);
// Puts another scheme, server and port ("https://127.0.0.1:8443") in front
// of both services' paths. Throws UserError for an address that is not https.
void UseServer(TransmitSettings& t, const QString& base);

// A failure of the connection (nothing reached the government, or its answer
// did not reach us): the events stay as they were.
class TransmissionError : public UserError {
public:
    using UserError::UserError;
};

// The office's certificate as the TLS client certificate: the key, the
// certificate and its chain read from the PKCS#12 into memory; nothing of it
// is ever written to disk.
class ClientIdentity {
public:
    // A wrong password or a damaged file throws UserError.
    static std::unique_ptr<ClientIdentity> load(const QString& pfxFile, const QByteArray& password);
    ~ClientIdentity();
    ClientIdentity(const ClientIdentity&) = delete;
    ClientIdentity& operator=(const ClientIdentity&) = delete;
    QString subject() const;
    struct Impl;
    const Impl& impl() const { return *d; }

private:
    ClientIdentity() = default;
    std::unique_ptr<Impl> d;
};

// One SOAP call at a time, over libcurl with OpenSSL.
class SoapClient {
public:
    SoapClient(const ClientIdentity& identity, TransmitSettings settings);
    // The batch envelope (EnvioLoteEventos) in, the eSocial answer
    // (RetornoEnvioLoteEventos) out. Throws TransmissionError.
    QByteArray sendBatch(const QByteArray& batchXml);
    // The protocol in, RetornoProcessamentoLote out. Throws TransmissionError.
    QByteArray queryBatch(const QString& protocol);
    const TransmitSettings& settings() const { return settings_; }

private:
    QByteArray call(const QString& url, const QByteArray& action, const QByteArray& envelope);
    const ClientIdentity& identity_;
    TransmitSettings settings_;
};

// What the government says of one occurrence: code, text, kind (1 error,
// 2 warning) and where.
struct Occurrence {
    int code = 0;
    QString text;
    int kind = 1;
    QString where;
    QString line() const; // "1234 - texto (local)" with "Advertência"/"Erro"
};

// The answer to a batch sent.
struct ReceptionAnswer {
    int code = 0;
    QString description;
    QString protocol; // empty when the batch was not received
    std::vector<Occurrence> occurrences;
};
ReceptionAnswer ParseReception(const QByteArray& xml);

// The result of one event of a batch.
struct EventAnswer {
    QString id;
    int code = 0;
    QString description;
    QString receipt; // the receipt (nrRecibo) when accepted
    bool duplicate = false;
    std::vector<Occurrence> occurrences;
    QList<QByteArray> totals; // the totals events returned with it (S-5001…), each an eSocial document
};
struct ProcessingAnswer {
    int code = 0;
    QString description;
    int estimatedSeconds = 0;
    std::vector<Occurrence> occurrences;
    std::vector<EventAnswer> events;
    bool processing() const; // the batch is still waiting to be processed
};
ProcessingAnswer ParseProcessing(const QByteArray& xml);

// The first element of that local name in a document, as a document of its
// own with its namespaces; empty when there is none.
QByteArray ElementDocument(const QByteArray& xml, const char* localName);

// The company's batches sent (table ESOCLOTE).
namespace batchStatus {
inline const QString Processing = QStringLiteral("em processamento");
inline const QString Processed = QStringLiteral("processado");
inline const QString Refused = QStringLiteral("recusado");
} // namespace batchStatus

struct SentBatch {
    int number = 0;
    int group = 0;
    QString competence;
    QString protocol;
    QString status;
    int code = 0;
    QString sent;    // AAAA-MM-DDTHH:MM:SS
    QString queried;
    QStringList ids;
    QString messages;
};
std::vector<SentBatch> ListBatches(Database& db, const QString& competence = {});

// Keeps a totals event returned by the government (S-5001, S-5002, S-5003,
// S-5011, S-5013): validated against its schema; the same Id twice keeps
// nothing new. Returns true when stored. Throws UserError naming `origin`
// when the document is not a valid totals event.
bool StoreTotals(Database& db, const QByteArray& xml, const QString& origin);

// Every *.xml of a folder, in the order of their names, through StoreTotals:
// each damaged file said in `problems` by its name, the others kept.
struct TotalsImport {
    int stored = 0;
    int known = 0; // already imported
    QStringList problems;
};
TotalsImport ImportTotals(Database& db, const QString& dir);

struct SendOutcome {
    int batchesSent = 0;
    int eventsSent = 0;
    int accepted = 0;
    int warnings = 0; // accepted with warnings
    int rejected = 0;
    int processing = 0; // events of batches still being processed
    int totals = 0;     // totals events kept
    QStringList messages; // what the office must read, one per line
};

// Asks again every batch still being processed (by its protocol), then sends
// the signed events of the competence (AAAA-MM; empty: any) that were not
// sent yet, or whose corrected version follows a rejected one, in batches of
// at most 50, and asks at once for their results. A batch in processing is
// never sent again. A failure of the connection leaves the events as they
// were and throws TransmissionError after keeping what earlier batches got.
SendOutcome SendPending(Database& db, const Employer& employer, const QString& transmitterInsc, SoapClient& client,
                        const QString& competence, const QDateTime& now, UserInterface& ui);
// Only asks again the batches still being processed.
SendOutcome QueryPending(Database& db, SoapClient& client, const QDateTime& now, UserInterface& ui);

// A rejected event sent again as it is (after the register it reports was
// corrected and the event generated again, its new version is sent with the
// pending ones; this is for a rejection that was the government's own
// passing failure). Returns to "assinado".
void MarkForResend(Database& db, const QString& id);

} // namespace folha::esocial
