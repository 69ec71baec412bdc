#include "SmtpClient.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace folha {

namespace {

struct Upload {
    const QByteArray* data;
    qsizetype at = 0;
};

size_t readMessage(char* buffer, size_t size, size_t items, void* user) {
    auto* up = static_cast<Upload*>(user);
    const qsizetype room = qsizetype(size * items);
    const qsizetype n = std::min(room, up->data->size() - up->at);
    if (n <= 0) return 0;
    std::memcpy(buffer, up->data->constData() + up->at, size_t(n));
    up->at += n;
    return size_t(n);
}

// The server's replies arrive as "header" data: the last complete one is
// kept (a multi-line reply by its last line).
int debugTrace(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN) return 0;
    auto* last = static_cast<QString*>(user);
    const QString text = QString::fromUtf8(data, qsizetype(size)).trimmed();
    if (!text.isEmpty()) *last = text.split(QLatin1Char('\n')).last().trimmed();
    return 0;
}

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

SmtpResult SendSmtp(const MailSettings& settings, const QString& password, const QString& recipient,
                    const QByteArray& message) {
    globalInit();
    SmtpResult result;
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.answer = QStringLiteral("Não foi possível iniciar a conexão de e-mail.");
        return result;
    }
    const QByteArray url = settings.url().toUtf8();
    const QByteArray from = ('<' + settings.sender + '>').toUtf8();
    const QByteArray to = ('<' + recipient + '>').toUtf8();
    const QByteArray user = settings.user.toUtf8();
    const QByteArray pass = password.toUtf8();
    const QByteArray ca = settings.caBundle.toUtf8();
    char error[CURL_ERROR_SIZE] = {0};
    QString lastReply;
    Upload upload{&message};
    curl_slist* recipients = curl_slist_append(nullptr, to.constData());

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // STARTTLS or nothing: a server that does not offer it fails the send.
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!ca.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, pass.constData());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 300L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, debugTrace);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &lastReply);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L); // feeds debugTrace; nothing is printed

    const CURLcode rc = curl_easy_perform(curl);
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    result.code = code;
    result.sent = rc == CURLE_OK;
    if (result.sent) {
        result.answer = lastReply.isEmpty() ? QStringLiteral("%1").arg(code) : lastReply;
    } else {
        const QString why = error[0] ? QString::fromUtf8(error) : QString::fromUtf8(curl_easy_strerror(rc));
        result.answer = lastReply.isEmpty() || code == 0 ? why : QStringLiteral("%1 (%2)").arg(lastReply, why);
    }
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    return result;
}

} // namespace folha
