#pragma once
// One message over SMTP through libcurl, always encrypted: STARTTLS demanded
// of the server (a server that cannot is refused, the message is not sent
// in the clear) or SMTPS; the server's certificate and name are verified.

#include "MailSettings.h"

#include <QByteArray>
#include <QString>

namespace folha {

struct SmtpResult {
    bool sent = false;
    long code = 0;  // the server's last reply code (250 when accepted)
    QString answer; // the server's last reply, or why there was none
};

// Sends `message` (a complete RFC 5322 text) from settings.sender to
// `recipient`. Never throws for a refusal or a failed connection: the
// result says it.
SmtpResult SendSmtp(const MailSettings& settings, const QString& password, const QString& recipient,
                    const QByteArray& message);

} // namespace folha
