#pragma once
// An e-mail with one attachment, as sent over SMTP (RFC 5322 with MIME,
// RFC 2045/2046): multipart/mixed with a text/plain part in UTF-8
// (quoted-printable) and the attachment in base64, lines of at most 76
// characters, CRLF line ends. Header texts outside ASCII are encoded words
// (RFC 2047, UTF-8, base64).

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace folha {

struct MailMessage {
    QString fromAddress;
    QString fromName; // optional
    QString toAddress;
    QString toName; // optional
    QString subject;
    QString body; // lines end in \n; written as CRLF
    QString attachmentName;
    QByteArray attachment;
    QString attachmentType = QStringLiteral("application/pdf");
    QDateTime date;   // invalid: now
    QString boundary; // empty: a random one
    QString messageId; // empty: a random one at the sender's domain
};

QByteArray ComposeMail(const MailMessage& message);

// True for an address "local@domain.tld" without blanks, angle brackets or
// line ends (what may safely go into the envelope and the headers).
bool PlausibleMailAddress(const QString& address);

} // namespace folha
