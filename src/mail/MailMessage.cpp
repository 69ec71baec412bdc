#include "MailMessage.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace folha {

namespace {

QString randomHex(int words) {
    QString out;
    for (int i = 0; i < words; ++i)
        out += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    return out;
}

bool plainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return true;
}

// An encoded word when the text needs one; encoded words are kept under 76
// characters by splitting the text at whole characters.
QByteArray headerText(const QString& text) {
    if (plainAscii(text)) return text.toLatin1();
    QByteArray out;
    QString chunk;
    auto flush = [&] {
        if (chunk.isEmpty()) return;
        if (!out.isEmpty()) out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toUtf8().toBase64() + "?=";
        chunk.clear();
    };
    for (QChar c : text) {
        if (QString(chunk + c).toUtf8().size() > 45) flush();
        chunk += c;
    }
    flush();
    return out;
}

QByteArray mailbox(const QString& name, const QString& address) {
    if (name.trimmed().isEmpty()) return address.toLatin1();
    QByteArray shown;
    if (plainAscii(name)) {
        QString quoted = name;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        shown = '"' + quoted.toLatin1() + '"';
    } else {
        shown = headerText(name);
    }
    return shown + " <" + address.toLatin1() + ">";
}

// Quoted-printable (RFC 2045, 6.7) of UTF-8 text with CRLF line ends.
QByteArray quotedPrintable(const QString& text) {
    QByteArray out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int li = 0; li < lines.size(); ++li) {
        QString l = lines[li];
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
        const QByteArray bytes = l.toUtf8();
        QByteArray line;
        for (int i = 0; i < bytes.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            const bool last = i == bytes.size() - 1;
            QByteArray piece;
            if ((c >= 33 && c <= 126 && c != '=') || (c == ' ' && !last) || (c == '\t' && !last))
                piece = QByteArray(1, char(c));
            else
                piece = "=" + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            if (line.size() + piece.size() > 75) {
                out += line + "=\r\n";
                line.clear();
            }
            line += piece;
        }
        out += line;
        if (li + 1 < lines.size()) out += "\r\n";
    }
    return out;
}

QByteArray wrapped(const QByteArray& base64) {
    QByteArray out;
    for (qsizetype i = 0; i < base64.size(); i += 76) out += base64.mid(i, 76) + "\r\n";
    return out;
}

} // namespace

bool PlausibleMailAddress(const QString& address) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+$"));
    return pattern.match(address).hasMatch();
}

QByteArray ComposeMail(const MailMessage& m) {
    const QString boundary = m.boundary.isEmpty() ? QStringLiteral("=_folha_") + randomHex(4) : m.boundary;
    const QDateTime date = m.date.isValid() ? m.date : QDateTime::currentDateTime();
    QString domain = m.fromAddress.section(QLatin1Char('@'), 1);
    if (domain.isEmpty()) domain = QStringLiteral("localhost");
    const QString id = m.messageId.isEmpty() ? randomHex(4) + QLatin1Char('@') + domain : m.messageId;

    QByteArray out;
    out += "From: " + mailbox(m.fromName, m.fromAddress) + "\r\n";
    out += "To: " + mailbox(m.toName, m.toAddress) + "\r\n";
    out += "Subject: " + headerText(m.subject) + "\r\n";
    out += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    out += "Message-ID: <" + id.toLatin1() + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary.toLatin1() + "\"\r\n";
    out += "\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "--" + boundary.toLatin1() + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    out += quotedPrintable(m.body) + "\r\n";
    out += "--" + boundary.toLatin1() + "\r\n";
    const QByteArray name = headerText(m.attachmentName);
    out += "Content-Type: " + m.attachmentType.toLatin1() + "; name=\"" + name + "\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n";
    out += wrapped(m.attachment.toBase64());
    out += "--" + boundary.toLatin1() + "--\r\n";
    return out;
}

} // namespace folha
