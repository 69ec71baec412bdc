#pragma once
// The office's A1 certificate (a PKCS#12 file and its password) and the
// XML signature of the events: enveloped, RSA-SHA256, canonical XML, the
// signer's certificate in the key info.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

namespace folha::esocial {

class Certificate {
public:
    // Reads the file and opens it with the password; a wrong password, a
    // damaged file or a certificate without its private key throw UserError.
    static std::unique_ptr<Certificate> load(const QString& pfxFile, const QByteArray& password);
    ~Certificate();
    Certificate(const Certificate&) = delete;
    Certificate& operator=(const Certificate&) = delete;

    QString subject() const;      // the certificate's common name
    QString cnpj() const;         // the CNPJ or CPF after the name in an ICP-Brasil common name ("EMPRESA:12345678000195")
    QDateTime notBefore() const;
    QDateTime notAfter() const;
    QString serial() const;
    // Throws UserError when the certificate is no longer valid at `now`.
    void requireInForce(const QDateTime& now) const;

    // The event with its Signature as the last child of the root element.
    // Throws UserError when the document cannot be read or signed.
    QByteArray sign(const QByteArray& xml) const;

private:
    Certificate() = default;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Checks a signed event against the certificate in its own key info: the
// digest of the document and the signature value. The message says why not.
bool VerifySignature(const QByteArray& signedXml, QString* why = nullptr);

} // namespace folha::esocial
