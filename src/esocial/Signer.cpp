#include "Signer.h"

#include "DbError.h"

#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QTimeZone>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>
#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>
#include <xmlsec/templates.h>

#include <vector>

namespace folha::esocial {

namespace {

// xmlsec and its OpenSSL engine start once per process.
void startXmlSec() {
    static bool ready = [] {
        xmlInitParser();
        if (xmlSecInit() < 0) return false;
        if (xmlSecCheckVersion() != 1) return false;
        if (xmlSecCryptoAppInit(nullptr) < 0) return false;
        if (xmlSecCryptoInit() < 0) return false;
        // xmlsec's own error lines go nowhere: the callers say what failed.
        xmlSecErrorsSetCallback([](const char*, int, const char*, const char*, const char*, int, const char*) {});
        return true;
    }();
    if (!ready) throw UserError(QStringLiteral("Não foi possível iniciar a biblioteca de assinatura XML (xmlsec)."));
}

struct DocFree {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

QDateTime asnTime(const ASN1_TIME* t) {
    struct tm tm {};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1) return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                     Qt::UTC);
}

QByteArray serialized(xmlDocPtr doc) {
    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &out, &size, "UTF-8");
    QByteArray bytes(reinterpret_cast<const char*>(out), size);
    xmlFree(out);
    return bytes;
}

} // namespace

struct Certificate::Impl {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    QString file;        // where it was read from, for messages
    QByteArray pkcs12;   // the file as read, for xmlsec
    QByteArray password; // kept in memory only while the certificate is open
    // The key as xmlsec signs with it and the certificate as the key info
    // carries it, made on the first signature and kept for the next ones
    // (opening the PKCS#12 costs more than a signature).
    QMutex mutex;
    xmlSecKeyPtr signingKey = nullptr;
    std::vector<xmlSecKeyPtr> spareKeys; // copies of it, free for the next signatures
    QByteArray certificateBase64;
    ~Impl() {
        for (xmlSecKeyPtr k : spareKeys) xmlSecKeyDestroy(k);
        if (signingKey) xmlSecKeyDestroy(signingKey);
        EVP_PKEY_free(key);
        X509_free(cert);
        password.fill('\0');
    }
};

Certificate::~Certificate() = default;

std::unique_ptr<Certificate> Certificate::load(const QString& pfxFile, const QByteArray& password) {
    QFile f(pfxFile);
    if (!f.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Não foi possível abrir o certificado %1: %2").arg(pfxFile, f.errorString()));
    QByteArray data = f.readAll();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data.constData());
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, long(data.size()));
    if (!p12)
        throw UserError(QStringLiteral("O arquivo %1 não é um certificado A1 (PKCS#12, .pfx ou .p12).").arg(pfxFile));
    std::unique_ptr<Certificate> c(new Certificate);
    c->d = std::make_unique<Impl>();
    STACK_OF(X509)* chain = nullptr;
    QByteArray pass = password;
    int ok = PKCS12_parse(p12, pass.constData(), &c->d->key, &c->d->cert, &chain);
    PKCS12_free(p12);
    sk_X509_pop_free(chain, X509_free);
    pass.fill('\0');
    ERR_clear_error();
    if (ok != 1) throw UserError(QStringLiteral("A senha do certificado %1 não confere.").arg(pfxFile));
    if (!c->d->key || !c->d->cert)
        throw UserError(QStringLiteral("O certificado %1 não traz a chave privada.").arg(pfxFile));
    if (EVP_PKEY_base_id(c->d->key) != EVP_PKEY_RSA)
        throw UserError(QStringLiteral("O certificado %1 não tem chave RSA.").arg(pfxFile));
    c->d->file = pfxFile;
    c->d->pkcs12 = data;
    c->d->password = password;
    return c;
}

QString Certificate::subject() const {
    X509_NAME* name = X509_get_subject_name(d->cert);
    int i = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (i < 0) return {};
    ASN1_STRING* s = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, i));
    unsigned char* utf8 = nullptr;
    int n = ASN1_STRING_to_UTF8(&utf8, s);
    QString out = n >= 0 ? QString::fromUtf8(reinterpret_cast<const char*>(utf8), n) : QString();
    OPENSSL_free(utf8);
    return out;
}

QString Certificate::cnpj() const {
    static const QRegularExpression tail(QStringLiteral(":(\\d{11}|\\d{14})$"));
    auto m = tail.match(subject());
    return m.hasMatch() ? m.captured(1) : QString();
}

QDateTime Certificate::notBefore() const { return asnTime(X509_get0_notBefore(d->cert)); }
QDateTime Certificate::notAfter() const { return asnTime(X509_get0_notAfter(d->cert)); }

void Certificate::requireInForce(const QDateTime& now) const {
    const QDateTime end = notAfter();
    if (end.isValid() && end < now)
        throw UserError(QStringLiteral("O certificado %1 venceu em %2: escolha um certificado válido.")
                            .arg(d->file, end.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"))));
}

QString Certificate::serial() const {
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(d->cert), nullptr);
    char* hex = BN_bn2hex(bn);
    QString s = QString::fromLatin1(hex);
    OPENSSL_free(hex);
    BN_free(bn);
    return s;
}

QByteArray Certificate::sign(const QByteArray& xml) const {
    startXmlSec();
    DocPtr doc(xmlReadMemory(xml.constData(), int(xml.size()), "evento.xml", nullptr, XML_PARSE_NONET));
    if (!doc || !xmlDocGetRootElement(doc.get())) throw UserError(QStringLiteral("O XML do evento não pôde ser lido para a assinatura."));
    xmlNodePtr root = xmlDocGetRootElement(doc.get());

    xmlNodePtr signature = xmlSecTmplSignatureCreate(doc.get(), xmlSecTransformInclC14NId, xmlSecTransformRsaSha256Id, nullptr);
    if (!signature) throw UserError(QStringLiteral("Não foi possível montar a assinatura do evento."));
    xmlAddChild(root, signature);
    xmlNodePtr ref = xmlSecTmplSignatureAddReference(signature, xmlSecTransformSha256Id, nullptr,
                                                     reinterpret_cast<const xmlChar*>(""), nullptr);
    if (!ref || !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformEnvelopedId) ||
        !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformInclC14NId))
        throw UserError(QStringLiteral("Não foi possível montar a assinatura do evento."));
    xmlNodePtr keyInfo = xmlSecTmplSignatureEnsureKeyInfo(signature, nullptr);
    xmlNodePtr x509 = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
    if (!x509) throw UserError(QStringLiteral("Não foi possível montar a assinatura do evento."));

    // The key is made once, under the lock; each signature then works on its
    // own reference to it, so that signatures run side by side.
    QMutexLocker lock(&d->mutex);
    if (!d->signingKey) {
        // The signer's certificate alone goes in the key info, written here
        // from the certificate itself (the chain of the file stays out).
        unsigned char* der = nullptr;
        int derSize = i2d_X509(d->cert, &der);
        d->certificateBase64 = QByteArray(reinterpret_cast<const char*>(der), derSize).toBase64();
        OPENSSL_free(der);
        d->signingKey = xmlSecCryptoAppKeyLoadMemory(reinterpret_cast<const xmlSecByte*>(d->pkcs12.constData()),
                                                     static_cast<xmlSecSize>(d->pkcs12.size()), xmlSecKeyDataFormatPkcs12,
                                                     d->password.constData(), nullptr, nullptr);
        if (!d->signingKey) throw UserError(QStringLiteral("A chave do certificado não pôde ser usada para assinar."));
    }
    // A copy of the key per signature running at the same time, kept for
    // the next ones (copying a key costs about as much as a signature).
    xmlSecKeyPtr key = nullptr;
    if (!d->spareKeys.empty()) {
        key = d->spareKeys.back();
        d->spareKeys.pop_back();
    } else {
        key = xmlSecKeyDuplicate(d->signingKey);
    }
    const QByteArray certificate = d->certificateBase64;
    lock.unlock();
    if (!key) throw UserError(QStringLiteral("A chave do certificado não pôde ser usada para assinar."));
    xmlNewTextChild(x509, nullptr, reinterpret_cast<const xmlChar*>("X509Certificate"),
                    reinterpret_cast<const xmlChar*>(certificate.constData()));

    xmlSecDSigCtxPtr ctx = xmlSecDSigCtxCreate(nullptr);
    ctx->signKey = key; // lent: taken back before the context is destroyed
    // The key info is written above: xmlsec leaves it as it is.
    ctx->keyInfoWriteCtx.flags = 0;
    int rc = xmlSecDSigCtxSign(ctx, signature);
    ctx->signKey = nullptr;
    xmlSecDSigCtxDestroy(ctx);
    lock.relock();
    d->spareKeys.push_back(key);
    lock.unlock();
    if (rc < 0) throw UserError(QStringLiteral("Não foi possível assinar o evento com o certificado."));
    return serialized(doc.get());
}

bool VerifySignature(const QByteArray& signedXml, QString* why) {
    auto fail = [&](const QString& m) {
        if (why) *why = m;
        return false;
    };
    startXmlSec();
    DocPtr doc(xmlReadMemory(signedXml.constData(), int(signedXml.size()), "evento.xml", nullptr, XML_PARSE_NONET));
    if (!doc) return fail(QStringLiteral("XML mal formado."));
    xmlNodePtr node = xmlSecFindNode(xmlDocGetRootElement(doc.get()), xmlSecNodeSignature, xmlSecDSigNs);
    if (!node) return fail(QStringLiteral("O evento não está assinado."));
    xmlSecKeysMngrPtr mngr = xmlSecKeysMngrCreate();
    if (!mngr || xmlSecCryptoAppDefaultKeysMngrInit(mngr) < 0) {
        if (mngr) xmlSecKeysMngrDestroy(mngr);
        return fail(QStringLiteral("Não foi possível iniciar a verificação."));
    }
    xmlSecDSigCtxPtr ctx = xmlSecDSigCtxCreate(mngr);
    // Integrity of the document against the certificate it carries; whether
    // that certificate is trusted is the government's to say.
    ctx->keyInfoReadCtx.flags |= XMLSEC_KEYINFO_FLAGS_X509DATA_DONT_VERIFY_CERTS;
    ctx->enabledReferenceUris = xmlSecTransformUriTypeEmpty;
    int rc = xmlSecDSigCtxVerify(ctx, node);
    bool ok = rc >= 0 && ctx->status == xmlSecDSigStatusSucceeded;
    xmlSecDSigCtxDestroy(ctx);
    xmlSecKeysMngrDestroy(mngr);
    if (!ok) return fail(QStringLiteral("A assinatura não confere com o conteúdo do evento."));
    return true;
}

} // namespace folha::esocial
