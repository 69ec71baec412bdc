#include "Transmission.h"

#include "DbError.h"
#include "Generator.h"
#include "IniFile.h"
#include "Registry.h"
#include "Schemas.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QSqlQuery>

#include <curl/curl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <map>

namespace folha::esocial {

// ---------------------------------------------------------------- addresses

// Produção restrita: the service addresses of the government's own service
// descriptions, WsEnviarLoteEventos-v1_1_0.wsdl and
// WsConsultarLoteEventos-v1_1_0.wsdl (soap:address), in the eSocial
// communication package shipped in data/esocial/comunicacao.
// Produção: the hosts webservices.envio.esocial.gov.br and
// webservices.consulta.esocial.gov.br of the "Manual de Orientação do
// Desenvolvedor eSocial" (versão 1.15, seção dos endereços dos web
// services), with the same paths. Both are installation settings
// ([eSocial] EnvioProducao, ConsultaProducao, EnvioRestrita, ConsultaRestrita):
// the office changes them when the government does, without a new program.
Endpoints OfficialEndpoints(int environment) {
    if (environment == 1)
        return {QStringLiteral("https://webservices.envio.esocial.gov.br/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc"),
                QStringLiteral("https://webservices.consulta.esocial.gov.br/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc")};
    return {QStringLiteral("https://webservices.producaorestrita.esocial.gov.br/servicos/empregador/enviarloteeventos/WsEnviarLoteEventos.svc"),
            QStringLiteral("https://webservices.producaorestrita.esocial.gov.br/servicos/empregador/consultarloteeventos/WsConsultarLoteEventos.svc")};
}

TransmitSettings ReadTransmitSettings(const QString& cfg, int environment) {
    TransmitSettings t;
    t.endpoints = OfficialEndpoints(environment);
    const QString section = QStringLiteral("eSocial");
    const QString suffix = environment == 1 ? QStringLiteral("Producao") : QStringLiteral("Restrita");
    const QString send = ReadIniValue(cfg, section, QStringLiteral("Envio") + suffix).trimmed();
    const QString query = ReadIniValue(cfg, section, QStringLiteral("Consulta") + suffix).trimmed();
    if (!send.isEmpty()) t.endpoints.send = send;
    if (!query.isEmpty()) t.endpoints.query = query;
    t.caBundle = ReadIniValue(cfg, section, QStringLiteral("CertificadosAC")).trimmed();
    const int timeout = ReadIniValue(cfg, section, QStringLiteral("TempoLimite")).trimmed().toInt();
    if (timeout > 0) t.timeoutSeconds = timeout;
    return t;
}

void UseServer(TransmitSettings& t, const QString& baseText) {
    const QUrl base(baseText.trimmed());
    if (!base.isValid() || base.scheme() != QLatin1String("https") || base.host().isEmpty())
        throw UserError(QStringLiteral("Endereço inválido: %1 (https://servidor[:porta])").arg(baseText));
    auto rebase = [&](const QString& url) {
        QUrl u(url);
        u.setScheme(base.scheme());
        u.setHost(base.host());
        u.setPort(base.port());
        return u.toString();
    };
    t.endpoints.send = rebase(t.endpoints.send);
    t.endpoints.query = rebase(t.endpoints.query);
}

// ---------------------------------------------------------------- identity

struct ClientIdentity::Impl {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    ~Impl() {
        EVP_PKEY_free(key);
        X509_free(cert);
        if (chain) sk_X509_pop_free(chain, X509_free);
    }
};

ClientIdentity::~ClientIdentity() = default;

std::unique_ptr<ClientIdentity> ClientIdentity::load(const QString& pfxFile, const QByteArray& password) {
    QFile f(pfxFile);
    if (!f.open(QIODevice::ReadOnly)) throw UserError(QStringLiteral("Certificado não encontrado: %1").arg(pfxFile));
    const QByteArray bytes = f.readAll();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, long(bytes.size()));
    if (!p12) throw UserError(QStringLiteral("O arquivo %1 não é um certificado A1 (PKCS#12) legível.").arg(pfxFile));
    std::unique_ptr<ClientIdentity> id(new ClientIdentity);
    id->d = std::make_unique<Impl>();
    QByteArray pass = password;
    const int ok = PKCS12_parse(p12, pass.constData(), &id->d->key, &id->d->cert, &id->d->chain);
    pass.fill('\0');
    PKCS12_free(p12);
    ERR_clear_error();
    if (ok != 1) throw UserError(QStringLiteral("A senha do certificado %1 não confere.").arg(pfxFile));
    if (!id->d->key || !id->d->cert)
        throw UserError(QStringLiteral("O certificado %1 não tem a chave privada.").arg(pfxFile));
    return id;
}

QString ClientIdentity::subject() const {
    char buf[512] = {};
    X509_NAME_get_text_by_NID(X509_get_subject_name(d->cert), NID_commonName, buf, sizeof buf - 1);
    return QString::fromUtf8(buf);
}

// ---------------------------------------------------------------- SOAP

namespace {

const char* const kSendNs = "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/v1_1_0";
const char* const kQueryNs = "http://www.esocial.gov.br/servicos/empregador/lote/eventos/envio/consulta/retornoProcessamento/v1_1_0";
const char* const kQuerySchemaNs = "http://www.esocial.gov.br/schema/lote/eventos/envio/consulta/retornoProcessamento/v1_0_0";

struct CurlStart {
    CurlStart() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

// The client certificate and key go into the TLS context from memory.
CURLcode useIdentity(CURL*, void* sslctx, void* parm) {
    auto* id = static_cast<const ClientIdentity::Impl*>(parm);
    auto* ctx = static_cast<SSL_CTX*>(sslctx);
    if (SSL_CTX_use_certificate(ctx, id->cert) != 1 || SSL_CTX_use_PrivateKey(ctx, id->key) != 1)
        return CURLE_SSL_CERTPROBLEM;
    if (id->chain)
        for (int i = 0; i < sk_X509_num(id->chain); ++i) SSL_CTX_add1_chain_cert(ctx, sk_X509_value(id->chain, i));
    return CURLE_OK;
}

size_t collectBody(char* data, size_t size, size_t count, void* out) {
    static_cast<QByteArray*>(out)->append(data, qsizetype(size * count));
    return size * count;
}

QByteArray withoutDeclaration(const QByteArray& xml) {
    QByteArray s = xml.trimmed();
    if (s.startsWith("\xEF\xBB\xBF")) s = s.mid(3);
    if (s.startsWith("<?xml")) s = s.mid(s.indexOf("?>") + 2).trimmed();
    return s;
}

QByteArray envelope(const char* ns, const char* operation, const char* part, const QByteArray& content) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                      "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:v1=\"") +
           ns + "\"><soapenv:Header/><soapenv:Body><v1:" + operation + "><v1:" + part + ">" + content + "</v1:" + part +
           "></v1:" + operation + "></soapenv:Body></soapenv:Envelope>";
}

// A refusal of the office's certificate reaches the client as a TLS alert.
bool certificateRefused(const QString& detail) {
    const QString d = detail.toLower();
    return d.contains(QLatin1String("unknown ca")) || d.contains(QLatin1String("certificate required")) ||
           d.contains(QLatin1String("bad certificate")) || d.contains(QLatin1String("certificate unknown")) ||
           d.contains(QLatin1String("handshake failure")) || d.contains(QLatin1String("access denied"));
}

} // namespace

SoapClient::SoapClient(const ClientIdentity& identity, TransmitSettings settings)
    : identity_(identity), settings_(std::move(settings)) {
    static CurlStart start;
}

QByteArray SoapClient::call(const QString& url, const QByteArray& action, const QByteArray& body) {
    CURL* curl = curl_easy_init();
    if (!curl) throw TransmissionError(QStringLiteral("Não foi possível iniciar a comunicação HTTPS (libcurl)."));
    QByteArray answer;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray urlBytes = url.toUtf8();
    const QByteArray soapAction = "SOAPAction: \"" + action + "\"";
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Content-Type: text/xml; charset=utf-8");
    headers = curl_slist_append(headers, soapAction.constData());
    const QByteArray ca = QFile::encodeName(settings_.caBundle);
    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(settings_.connectSeconds));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(settings_.timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    if (!settings_.caBundle.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca.constData());
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, useIdentity);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &identity_.impl());
    const CURLcode rc = curl_easy_perform(curl);
    long http = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &http);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    const QString detail = QString::fromUtf8(error[0] ? error : curl_easy_strerror(rc));
    switch (rc) {
    case CURLE_OK: break;
    case CURLE_OPERATION_TIMEDOUT:
        throw TransmissionError(QStringLiteral("O eSocial não respondeu em %1 segundos (%2). Os eventos ficaram como "
                                               "estavam; tente de novo mais tarde.")
                                    .arg(settings_.timeoutSeconds)
                                    .arg(url));
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        throw TransmissionError(QStringLiteral("Não foi possível conectar ao eSocial em %1 (%2). Os eventos ficaram como "
                                               "estavam; verifique a conexão e tente de novo.")
                                    .arg(url, detail));
    case CURLE_PEER_FAILED_VERIFICATION:
        throw TransmissionError(QStringLiteral("O certificado do servidor %1 não foi reconhecido (%2): a conexão foi "
                                               "interrompida e nada foi enviado. Verifique as autoridades "
                                               "certificadoras da configuração do eSocial.")
                                    .arg(url, detail));
    default:
        if (certificateRefused(detail))
            throw TransmissionError(QStringLiteral("O servidor do eSocial recusou o certificado do escritório (%1): use o "
                                                   "certificado A1 do empregador ou do seu procurador, emitido por "
                                                   "autoridade certificadora reconhecida e em vigor. Nada foi enviado.")
                                        .arg(detail));
        if (rc == CURLE_GOT_NOTHING || rc == CURLE_RECV_ERROR || rc == CURLE_SEND_ERROR || rc == CURLE_PARTIAL_FILE)
            throw TransmissionError(QStringLiteral("A conexão com o eSocial caiu antes da resposta (%1). Os eventos "
                                                   "ficaram como estavam, prontos para enviar de novo.")
                                        .arg(detail));
        throw TransmissionError(QStringLiteral("Falha na comunicação com o eSocial em %1: %2. Os eventos ficaram como estavam.")
                                    .arg(url, detail));
    }
    if (http != 200) {
        static const QRegularExpression fault(QStringLiteral("<(?:\\w+:)?faultstring[^>]*>([^<]*)<"));
        const auto m = fault.match(QString::fromUtf8(answer));
        throw TransmissionError(QStringLiteral("O eSocial respondeu com o erro HTTP %1%2. Os eventos ficaram como estavam.")
                                    .arg(http)
                                    .arg(m.hasMatch() ? QStringLiteral(": ") + m.captured(1).trimmed() : QString()));
    }
    const QByteArray inner = ElementDocument(answer, "eSocial");
    if (inner.isEmpty())
        throw TransmissionError(QStringLiteral("A resposta do eSocial não trouxe o retorno esperado. Os eventos ficaram como estavam."));
    return inner;
}

QByteArray SoapClient::sendBatch(const QByteArray& batchXml) {
    const QByteArray answer = call(settings_.endpoints.send,
                                   QByteArray(kSendNs) + "/ServicoEnviarLoteEventos/EnviarLoteEventos",
                                   envelope(kSendNs, "EnviarLoteEventos", "loteEventos", withoutDeclaration(batchXml)));
    const QStringList errors = ValidateDocument(answer, QStringLiteral("comunicacao/RetornoEnvioLoteEventos-v1_1_0.xsd"));
    if (!errors.isEmpty())
        throw TransmissionError(QStringLiteral("O retorno do envio não confere com o esquema do eSocial: %1").arg(errors.first()));
    return answer;
}

QByteArray SoapClient::queryBatch(const QString& protocol) {
    const QByteArray query = QByteArray("<eSocial xmlns=\"") + kQuerySchemaNs + "\"><consultaLoteEventos><protocoloEnvio>" +
                             protocol.toHtmlEscaped().toUtf8() + "</protocoloEnvio></consultaLoteEventos></eSocial>";
    const QStringList sent = ValidateDocument(query, QStringLiteral("comunicacao/ConsultaLoteEventos-v1_0_0.xsd"));
    if (!sent.isEmpty()) throw UserError(sent.join('\n'));
    const QByteArray answer = call(settings_.endpoints.query,
                                   QByteArray(kQueryNs) + "/ServicoConsultarLoteEventos/ConsultarLoteEventos",
                                   envelope(kQueryNs, "ConsultarLoteEventos", "consulta", query));
    const QStringList errors = ValidateDocument(answer, QStringLiteral("comunicacao/RetornoProcessamentoLote-v1_3_0.xsd"));
    if (!errors.isEmpty())
        throw TransmissionError(QStringLiteral("O retorno da consulta não confere com o esquema do eSocial: %1").arg(errors.first()));
    return answer;
}

// ---------------------------------------------------------------- answers

namespace {

struct DocFree {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

DocPtr parse(const QByteArray& xml) {
    return DocPtr(xmlReadMemory(xml.constData(), int(xml.size()), "retorno.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

bool named(xmlNodePtr n, const char* name) {
    return n && n->type == XML_ELEMENT_NODE && xmlStrcmp(n->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

xmlNodePtr child(xmlNodePtr n, const char* name) {
    if (!n) return nullptr;
    for (xmlNodePtr c = n->children; c; c = c->next)
        if (named(c, name)) return c;
    return nullptr;
}

xmlNodePtr firstElement(xmlNodePtr n) {
    for (xmlNodePtr c = n ? n->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) return c;
    return nullptr;
}

xmlNodePtr find(xmlNodePtr n, const char* name) {
    for (; n; n = n->next) {
        if (named(n, name)) return n;
        if (xmlNodePtr f = find(n->children, name)) return f;
    }
    return nullptr;
}

QString text(xmlNodePtr n) {
    if (!n) return {};
    xmlChar* t = xmlNodeGetContent(n);
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(t)).trimmed();
    xmlFree(t);
    return s;
}

QString attribute(xmlNodePtr n, const char* name) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return s;
}

QByteArray dump(xmlNodePtr node) {
    DocPtr out(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    xmlNodePtr copy = xmlDocCopyNode(node, out.get(), 1);
    xmlDocSetRootElement(out.get(), copy);
    xmlReconciliateNs(out.get(), copy);
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(out.get(), &mem, &size, "UTF-8");
    QByteArray bytes(reinterpret_cast<const char*>(mem), size);
    xmlFree(mem);
    return bytes;
}

std::vector<Occurrence> occurrences(xmlNodePtr parent) {
    std::vector<Occurrence> out;
    for (xmlNodePtr o = child(parent, "ocorrencias") ? child(parent, "ocorrencias")->children : nullptr; o; o = o->next) {
        if (!named(o, "ocorrencia")) continue;
        Occurrence oc;
        oc.code = text(child(o, "codigo")).toInt();
        oc.text = text(child(o, "descricao"));
        oc.kind = text(child(o, "tipo")).toInt();
        oc.where = text(child(o, "localizacao"));
        out.push_back(oc);
    }
    return out;
}

} // namespace

QString Occurrence::line() const {
    QString s = QStringLiteral("%1 %2 - %3").arg(kind == 2 ? QStringLiteral("Advertência") : QStringLiteral("Erro")).arg(code).arg(text);
    if (!where.isEmpty()) s += QStringLiteral(" (%1)").arg(where);
    return s;
}

QByteArray ElementDocument(const QByteArray& xml, const char* localName) {
    DocPtr doc = parse(xml);
    if (!doc) return {};
    xmlNodePtr n = find(xmlDocGetRootElement(doc.get()), localName);
    return n ? dump(n) : QByteArray();
}

ReceptionAnswer ParseReception(const QByteArray& xml) {
    ReceptionAnswer a;
    DocPtr doc = parse(xml);
    xmlNodePtr ret = doc ? find(xmlDocGetRootElement(doc.get()), "retornoEnvioLoteEventos") : nullptr;
    if (!ret) throw TransmissionError(QStringLiteral("O retorno do envio do lote não pôde ser lido."));
    xmlNodePtr st = child(ret, "status");
    a.code = text(child(st, "cdResposta")).toInt();
    a.description = text(child(st, "descResposta"));
    a.occurrences = occurrences(st);
    a.protocol = text(child(child(ret, "dadosRecepcaoLote"), "protocoloEnvio"));
    return a;
}

// Código de resposta 101 of the batch query: "lote aguardando processamento"
// (the processing result table of the developer's manual); the query's own
// schema says only that the code is the batch's status. Any batch without
// the events' results and with that code is asked again later.
bool ProcessingAnswer::processing() const { return code == 101 && events.empty(); }

ProcessingAnswer ParseProcessing(const QByteArray& xml) {
    ProcessingAnswer a;
    DocPtr doc = parse(xml);
    xmlNodePtr ret = doc ? find(xmlDocGetRootElement(doc.get()), "retornoProcessamentoLoteEventos") : nullptr;
    if (!ret) throw TransmissionError(QStringLiteral("O retorno da consulta do lote não pôde ser lido."));
    xmlNodePtr st = child(ret, "status");
    a.code = text(child(st, "cdResposta")).toInt();
    a.description = text(child(st, "descResposta"));
    a.estimatedSeconds = text(child(st, "tempoEstimadoConclusao")).toInt();
    a.occurrences = occurrences(st);
    for (xmlNodePtr ev = child(ret, "retornoEventos") ? child(ret, "retornoEventos")->children : nullptr; ev; ev = ev->next) {
        if (!named(ev, "evento")) continue;
        EventAnswer e;
        e.id = attribute(ev, "Id");
        e.duplicate = attribute(ev, "evtDupl") == QLatin1String("true");
        xmlNodePtr re = find(child(ev, "retornoEvento") ? child(ev, "retornoEvento")->children : nullptr, "retornoEvento");
        xmlNodePtr proc = child(re, "processamento");
        e.code = text(child(proc, "cdResposta")).toInt();
        e.description = text(child(proc, "descResposta"));
        e.occurrences = occurrences(proc);
        e.receipt = text(child(child(re, "recibo"), "nrRecibo"));
        for (xmlNodePtr t = ev->children; t; t = t->next)
            if (named(t, "tot") && firstElement(t)) e.totals << dump(firstElement(t));
        a.events.push_back(e);
    }
    return a;
}

// ---------------------------------------------------------------- totals

namespace {

struct TotalsKind {
    const char* type;
    const char* root;
    const char* schema;
    const char* cpf;
};
const TotalsKind kTotals[] = {
    {"S-5001", "evtBasesTrab", "S-1.3/evtBasesTrab.xsd", "cpfTrab"},
    {"S-5002", "evtIrrfBenef", "S-1.3/evtIrrfBenef.xsd", "cpfBenef"},
    {"S-5003", "evtBasesFGTS", "S-1.3/evtBasesFGTS.xsd", "cpfTrab"},
    {"S-5011", "evtCS", "S-1.3/evtCS.xsd", nullptr},
    {"S-5013", "evtFGTS", "S-1.3/evtFGTS.xsd", nullptr},
};

QString nowText(const QDateTime& now) { return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")); }

} // namespace

bool StoreTotals(Database& db, const QByteArray& xml, const QString& origin) {
    DocPtr doc = parse(xml);
    xmlNodePtr root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    xmlNodePtr evt = firstElement(root);
    if (!root || !named(root, "eSocial") || !evt)
        throw UserError(QStringLiteral("%1: não é um XML do eSocial legível; nada dele foi gravado.").arg(origin));
    const TotalsKind* kind = nullptr;
    for (const TotalsKind& k : kTotals)
        if (named(evt, k.root)) kind = &k;
    if (!kind)
        throw UserError(QStringLiteral("%1: o evento %2 não é um totalizador (S-5001, S-5002, S-5003, S-5011, S-5013); "
                                       "nada dele foi gravado.")
                            .arg(origin, QString::fromUtf8(reinterpret_cast<const char*>(evt->name))));
    // The government signs what it returns; a file saved without the
    // signature is still its content.
    const QStringList errors = ValidateDocument(xml, QString::fromLatin1(kind->schema), Signature::Optional);
    if (!errors.isEmpty())
        throw UserError(QStringLiteral("%1: o %2 não confere com o esquema; nada dele foi gravado.\n%3")
                            .arg(origin, QString::fromLatin1(kind->type), errors.join('\n')));
    // Totals of another employer have no place in this company.
    QString own;
    // (A failed statement would spoil the server's transaction: the branches
    // are asked only where their table is.)
    if (db.hasTable(QStringLiteral("Filial"))) {
        try {
            own = EmployerOf(db, 0, QString()).nrInsc;
        } catch (const UserError&) {
            // A company without a branch inscription: nothing to compare with.
        }
    }
    const QString theirs = text(child(child(evt, "ideEmpregador"), "nrInsc"));
    if (!own.isEmpty() && theirs != own)
        throw UserError(QStringLiteral("%1: o %2 é do empregador %3, não desta empresa (%4); nada dele foi gravado.")
                            .arg(origin, QString::fromLatin1(kind->type), theirs, own));
    const QString id = attribute(evt, "Id");
    db.ensureTable(Registry::instance().require(QStringLiteral("ESOCTOT")));
    auto q = db.exec(QStringLiteral("SELECT COUNT(*) FROM ESOCTOT WHERE ID = ?"), {id});
    if (q.next() && q.value(0).toInt() > 0) return false;
    const QString cpf = kind->cpf ? text(find(evt, kind->cpf)) : QString();
    db.execWrite(QStringLiteral("INSERT INTO ESOCTOT (ID, TIPO, COMPETENC, CPF, RECIBO, ORIGEM, RECEBIDO, XML) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                 {id, QString::fromLatin1(kind->type), text(find(evt, "perApur")), cpf, text(find(evt, "nrRecArqBase")),
                  origin.right(120), nowText(QDateTime::currentDateTime()), QString::fromUtf8(xml)});
    return true;
}

TotalsImport ImportTotals(Database& db, const QString& dir) {
    QDir d(dir);
    if (!d.exists()) throw UserError(QStringLiteral("Pasta não encontrada: %1").arg(dir));
    TotalsImport r;
    for (const QString& name : d.entryList({QStringLiteral("*.xml"), QStringLiteral("*.XML")}, QDir::Files, QDir::Name)) {
        QFile f(d.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            r.problems << QStringLiteral("%1: não foi possível ler o arquivo; nada dele foi gravado.").arg(name);
            continue;
        }
        try {
            if (StoreTotals(db, f.readAll(), name)) ++r.stored;
            else ++r.known;
        } catch (const UserError& e) {
            r.problems << e.message();
        }
    }
    return r;
}

// ---------------------------------------------------------------- batches

namespace {

const QString kBatchColumns = QStringLiteral(
    "NUMERO, GRUPO, COMPETENC, PROTOCOLO, SITUACAO, CODIGO, ENVIADO, CONSULTADO, EVENTOS, MENSAGENS");

void ensureBatches(Database& db) { db.ensureTable(Registry::instance().require(QStringLiteral("ESOCLOTE"))); }

SentBatch batchOf(const QSqlQuery& q) {
    SentBatch b;
    b.number = q.value(0).toInt();
    b.group = q.value(1).toInt();
    b.competence = q.value(2).toString().trimmed();
    b.protocol = q.value(3).toString().trimmed();
    b.status = q.value(4).toString().trimmed();
    b.code = q.value(5).toInt();
    b.sent = q.value(6).toString().trimmed();
    b.queried = q.value(7).toString().trimmed();
    b.ids = q.value(8).toString().split('\n', Qt::SkipEmptyParts);
    b.messages = q.value(9).toString();
    return b;
}

int nextNumber(Database& db) {
    // The register numbers exported batches too: one sequence for both.
    auto q = db.exec(QStringLiteral("SELECT MAX(NUMERO) FROM ESOCLOTE"));
    const int sent = q.next() ? q.value(0).toInt() : 0;
    EventRegister reg(db);
    return std::max(sent + 1, reg.nextBatch());
}

// Writes a batch's results into the register of events. Returns the events
// still waiting (none unless the batch is still being processed).
void applyResults(Database& db, const SentBatch& batch, const ProcessingAnswer& a, const QDateTime& now, SendOutcome& out) {
    EventRegister reg(db);
    Transaction tx(db);
    if (a.processing()) {
        db.execWrite(QStringLiteral("UPDATE ESOCLOTE SET CODIGO = ?, CONSULTADO = ? WHERE NUMERO = ?"),
                     {a.code, nowText(now), batch.number});
        out.processing += int(batch.ids.size());
        tx.commit();
        return;
    }
    QStringList batchMessages;
    for (const Occurrence& o : a.occurrences) batchMessages << o.line();
    if (a.events.empty()) {
        // The batch as a whole was refused after its reception: its events
        // were not processed and go back to be sent again.
        for (const QString& id : batch.ids) {
            auto e = reg.byId(id);
            if (e && e->status == status::Sent)
                reg.setStatus(id, status::Signed,
                              QStringLiteral("Lote %1 recusado: %2 %3").arg(batch.number).arg(a.code).arg(a.description) +
                                  (batchMessages.isEmpty() ? QString() : '\n' + batchMessages.join('\n')));
        }
        out.messages << QStringLiteral("Lote %1 recusado pelo eSocial: %2 - %3").arg(batch.number).arg(a.code).arg(a.description);
        db.execWrite(QStringLiteral("UPDATE ESOCLOTE SET SITUACAO = ?, CODIGO = ?, CONSULTADO = ?, MENSAGENS = ? WHERE NUMERO = ?"),
                     {batchStatus::Refused, a.code, nowText(now),
                      (QStringList{QStringLiteral("%1 - %2").arg(a.code).arg(a.description)} + batchMessages).join('\n'),
                      batch.number});
        tx.commit();
        return;
    }
    for (const EventAnswer& ev : a.events) {
        auto e = reg.byId(ev.id);
        if (!e) {
            out.messages << QStringLiteral("O eSocial devolveu o evento %1, que não está no registro.").arg(ev.id);
            continue;
        }
        QStringList lines;
        for (const Occurrence& o : ev.occurrences) lines << o.line();
        if (!ev.receipt.isEmpty()) {
            // Accepted; "sucesso com advertência" keeps its warnings.
            reg.setReceipt(ev.id, ev.receipt);
            reg.setStatus(ev.id, status::Accepted, lines.join('\n'));
            ++out.accepted;
            if (!lines.isEmpty()) {
                ++out.warnings;
                out.messages << QStringLiteral("%1 %2 aceito com advertência: %3").arg(e->type, ev.id, lines.join(QStringLiteral("; ")));
            }
            for (const QByteArray& t : ev.totals) {
                try {
                    if (StoreTotals(db, t, QStringLiteral("lote %1").arg(batch.number))) ++out.totals;
                } catch (const UserError& err) {
                    out.messages << err.message();
                }
            }
        } else {
            if (lines.isEmpty()) lines << QStringLiteral("%1 - %2").arg(ev.code).arg(ev.description);
            reg.setStatus(ev.id, status::Rejected, lines.join('\n'));
            ++out.rejected;
            out.messages << QStringLiteral("%1 %2 rejeitado: %3").arg(e->type, ev.id, lines.join(QStringLiteral("; ")));
        }
    }
    // An event of the batch the answer left out was not processed: it goes
    // back to be sent again rather than wait for a result that will not come.
    QStringList answered;
    for (const EventAnswer& ev : a.events) answered << ev.id;
    for (const QString& id : batch.ids) {
        if (answered.contains(id)) continue;
        auto e = reg.byId(id);
        if (!e || e->status != status::Sent) continue;
        reg.setStatus(id, status::Signed, QStringLiteral("O lote %1 foi processado sem o resultado deste evento: envie de novo.").arg(batch.number));
        out.messages << QStringLiteral("%1 %2 sem resultado no lote %3: volta a ser enviado.").arg(e->type, id).arg(batch.number);
    }
    db.execWrite(QStringLiteral("UPDATE ESOCLOTE SET SITUACAO = ?, CODIGO = ?, CONSULTADO = ?, MENSAGENS = ? WHERE NUMERO = ?"),
                 {batchStatus::Processed, a.code, nowText(now),
                  (QStringList{QStringLiteral("%1 - %2").arg(a.code).arg(a.description)} + batchMessages).join('\n'),
                  batch.number});
    tx.commit();
}

void queryBatch(Database& db, SoapClient& client, const SentBatch& b, const QDateTime& now, SendOutcome& out) {
    const ProcessingAnswer a = ParseProcessing(client.queryBatch(b.protocol));
    applyResults(db, b, a, now, out);
}

std::vector<SentBatch> batchesIn(Database& db, const QString& where, const QVariantList& params) {
    ensureBatches(db);
    auto q = db.exec(QStringLiteral("SELECT %1 FROM ESOCLOTE %2 ORDER BY NUMERO").arg(kBatchColumns, where), params);
    std::vector<SentBatch> out;
    while (q.next()) out.push_back(batchOf(q));
    return out;
}

} // namespace

std::vector<SentBatch> ListBatches(Database& db, const QString& competence) {
    if (competence.isEmpty()) return batchesIn(db, {}, {});
    return batchesIn(db, QStringLiteral("WHERE COMPETENC = ?"), {competence});
}

SendOutcome QueryPending(Database& db, SoapClient& client, const QDateTime& now, UserInterface& ui) {
    SendOutcome out;
    for (const SentBatch& b : batchesIn(db, QStringLiteral("WHERE SITUACAO = ?"), {batchStatus::Processing})) {
        ui.log(QStringLiteral("Consultando o lote %1 (protocolo %2)").arg(b.number).arg(b.protocol));
        queryBatch(db, client, b, now, out);
    }
    return out;
}

SendOutcome SendPending(Database& db, const Employer& employer, const QString& transmitterInsc, SoapClient& client,
                        const QString& competence, const QDateTime& nowIn, UserInterface& ui) {
    const QDateTime now = nowIn.isValid() ? nowIn : QDateTime::currentDateTime();
    // What was sent before and is still being processed is asked first:
    // its events are never put in a new batch.
    SendOutcome out = QueryPending(db, client, now, ui);
    EventRegister reg(db);
    EventFilter f;
    f.competence = competence;
    std::vector<StoredEvent> ready;
    int unsignedCount = 0;
    for (StoredEvent& e : reg.list(f)) {
        if (e.status == status::Signed) ready.push_back(std::move(e));
        else if (e.status == status::Generated || e.status == status::Validated) ++unsignedCount;
    }
    if (unsignedCount)
        out.messages << QStringLiteral("%1 evento(s) inválido(s) ou sem assinatura ficaram fora do envio: corrija-os e gere de novo "
                                       "com o certificado escolhido.")
                            .arg(unsignedCount);
    // Table events are not of a competence: they go with any competence's
    // sending while they wait.
    if (!competence.isEmpty()) {
        EventFilter tables;
        for (StoredEvent& e : reg.list(tables)) {
            const EventKind* k = KindOf(e.type);
            if (k && k->group == 1 && e.status == status::Signed && e.competence != competence) ready.push_back(std::move(e));
        }
    }
    if (ready.empty()) return out;
    std::vector<Batch> batches = MakeBatches(employer, transmitterInsc, ready);
    for (const Batch& b : batches) {
        const QStringList errors = ValidateBatch(b.xml);
        if (!errors.isEmpty())
            throw UserError(QStringLiteral("O lote do grupo %1 não confere com o esquema de envio; nada foi enviado:\n%2")
                                .arg(b.group)
                                .arg(errors.join('\n')));
    }
    // The groups go in order: tables, then the workers' events, then the
    // month's, each depending on the ones before. While a batch is still
    // being processed, the later groups wait for the next sending, and so do
    // the other batches of its group when it is the tables' or the workers'
    // (those go one batch at a time; the month's go side by side).
    int waitingGroup = 0;
    for (const SentBatch& b : batchesIn(db, QStringLiteral("WHERE SITUACAO = ?"), {batchStatus::Processing}))
        if (!waitingGroup || b.group < waitingGroup) waitingGroup = b.group;
    for (const Batch& b : batches) {
        if (waitingGroup && (b.group > waitingGroup || (b.group == waitingGroup && b.group < 3))) {
            out.messages << QStringLiteral("%1 evento(s) do grupo %2 esperam o processamento do lote do grupo %3: envie de novo depois.")
                                .arg(b.ids.size())
                                .arg(b.group)
                                .arg(waitingGroup);
            continue;
        }
        ui.log(QStringLiteral("Enviando %1 evento(s) do grupo %2").arg(b.ids.size()).arg(b.group));
        // A failure of the connection throws here, before anything of this
        // batch is written: its events stay as they were.
        const ReceptionAnswer r = ParseReception(client.sendBatch(b.xml));
        ensureBatches(db);
        SentBatch sent;
        {
            Transaction tx(db);
            sent.number = nextNumber(db);
            sent.group = b.group;
            sent.competence = competence;
            sent.protocol = r.protocol;
            sent.ids = b.ids;
            sent.sent = nowText(now);
            QStringList lines{QStringLiteral("%1 - %2").arg(r.code).arg(r.description)};
            for (const Occurrence& o : r.occurrences) lines << o.line();
            sent.messages = lines.join('\n');
            // Received: it has a protocol to be asked by. Refused at the
            // reception: nothing of it was processed, its events may go again.
            sent.status = r.protocol.isEmpty() ? batchStatus::Refused : batchStatus::Processing;
            db.execWrite(QStringLiteral("INSERT INTO ESOCLOTE (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(kBatchColumns),
                         {sent.number, sent.group, sent.competence, sent.protocol, sent.status, r.code, sent.sent,
                          QString(), sent.ids.join('\n'), sent.messages});
            for (const QString& id : b.ids) {
                reg.setBatch(id, sent.number);
                if (sent.status == batchStatus::Processing) reg.setStatus(id, status::Sent);
                else reg.setStatus(id, status::Signed, QStringLiteral("Lote %1 recusado na recepção:\n%2").arg(sent.number).arg(sent.messages));
            }
            tx.commit();
        }
        if (sent.status == batchStatus::Refused) {
            out.messages << QStringLiteral("Lote %1 recusado na recepção: %2").arg(sent.number).arg(sent.messages.section('\n', 0, 0));
            continue;
        }
        ++out.batchesSent;
        out.eventsSent += int(b.ids.size());
        const int before = out.processing;
        queryBatch(db, client, sent, now, out);
        if (out.processing > before && (!waitingGroup || b.group < waitingGroup)) waitingGroup = b.group;
    }
    return out;
}

void MarkForResend(Database& db, const QString& id) {
    EventRegister reg(db);
    auto e = reg.byId(id);
    if (!e) throw UserError(QStringLiteral("Evento do eSocial não encontrado: %1").arg(id));
    if (e->status != status::Rejected)
        throw UserError(QStringLiteral("O evento %1 está %2: só um evento rejeitado volta a ser enviado.").arg(id, e->status));
    auto latest = reg.latest(e->subject);
    if (latest && latest->id != e->id)
        throw UserError(QStringLiteral("O evento %1 já tem versão mais nova (%2): ela é que será enviada.").arg(id, latest->id));
    if (!e->xml.contains("<Signature"))
        throw UserError(QStringLiteral("O evento %1 não está assinado: gere os eventos com o certificado escolhido.").arg(id));
    reg.setStatus(id, status::Signed, e->messages);
}

} // namespace folha::esocial
