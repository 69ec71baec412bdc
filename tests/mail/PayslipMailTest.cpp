// Pay statements by e-mail against a real SMTP server started here on
// 127.0.0.1 (Python's aiosmtpd), with TLS from the tests' authority: every
// message arrives with its PDF, the PDF opens with the employee's password
// and not without it, refusals and a server that is down are logged as
// failed, and sending again sends only those.

#include "Refusal.h"
#include "DemoCompany.h"
#include "FolhaProcess.h"
#include "MailMessage.h"
#include "MailSettings.h"
#include "PayStatementPainter.h"
#include "PayslipMail.h"
#include "PdfProtect.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"
#include "TextRoutines.h"
#include "../esocial/TestCertificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace folha;
using folha::testing::Refusal;

namespace {

using folha::test::FolhaRun;
using folha::test::RunFolha;
using folha::testing::Authority;
using folha::testing::RunTool;

// The SMTP server of one test, stopped (its standard input closed) when the
// test ends.
class TestSmtpServer {
public:
    explicit TestSmtpServer(const QString& folder, const QString& mode = "starttls", const QString& refuse = {},
                            const QString& auth = {})
        : folder_(folder) {
        QDir().mkpath(folder);
        QStringList args{QStringLiteral(FOLHA_SOURCE_DIR "/tests/mail/smtp_test_server.py"), "--dir", folder, "--cert",
                         Authority().serverPem, "--key", Authority().serverKey, "--mode", mode};
        if (!refuse.isEmpty()) args << "--refuse" << refuse;
        if (!auth.isEmpty()) args << "--auth" << auth;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("/usr/bin/python3", args);
        while (process_.state() != QProcess::NotRunning && !process_.canReadLine()) process_.waitForReadyRead(1000);
        const QString line = QString::fromLatin1(process_.readLine()).trimmed();
        if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
    }
    ~TestSmtpServer() { stop(); }
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(30000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    int port() const { return port_; }
    // The messages stored, in the order they arrived.
    QStringList messages() const {
        QStringList out;
        for (const QString& f : QDir(folder_).entryList({"*.eml"}, QDir::Files, QDir::Name)) out << QDir(folder_).filePath(f);
        return out;
    }

private:
    QString folder_;
    QProcess process_;
    int port_ = 0;
};

MailSettings settingsFor(int port, MailSecurity security = MailSecurity::StartTls) {
    MailSettings s;
    s.server = "127.0.0.1";
    s.port = port;
    s.security = security;
    s.sender = "folha@escritorio.example";
    s.senderName = "Departamento Pessoal";
    s.caBundle = Authority().caPem;
    return s;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString header(const QByteArray& message, const QByteArray& name) {
    for (const QByteArray& line : message.split('\n')) {
        if (line.trimmed().isEmpty()) break;
        if (line.startsWith(name + ": ")) return QString::fromLatin1(line.mid(name.size() + 2).trimmed());
    }
    return {};
}

// What the group and the others may do with a file: nothing, for a secret.
QFileDevice::Permissions othersMay(const QString& path) {
    return QFileInfo(path).permissions() &
           (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

// The base64 attachment of a message, decoded.
QByteArray attachment(const QByteArray& message) {
    const qsizetype at = message.indexOf("Content-Transfer-Encoding: base64");
    if (at < 0) return {};
    const qsizetype start = message.indexOf("\r\n\r\n", at);
    const qsizetype end = message.indexOf("\r\n--", start);
    if (start < 0 || end < 0) return {};
    return QByteArray::fromBase64(message.mid(start + 4, end - start - 4));
}

// The text of a protected PDF opened with `password`; false when it does not open.
bool pdfText(const QByteArray& pdf, const QString& password, QString* text) {
    QTemporaryDir dir;
    const QString file = dir.filePath("d.pdf");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(pdf);
    f.close();
    QStringList args;
    if (!password.isEmpty()) args << "-upw" << password;
    args << file << "-";
    return RunTool("pdftotext", args, text);
}

struct Demo {
    TempDir dir;
    ScriptedUi ui;
    Session session{Installation(dir.path())};
    Demo() { OpenDemoCompany(session, ui, 1); }
    PayslipMailResult send(const MailSettings& s, bool really = true, const QString& from = {}, const QString& to = {}) {
        PayslipMailOptions o;
        o.statements.branchCode = "001";
        o.statements.firstEmployee = from;
        o.statements.lastEmployee = to;
        o.send = really;
        o.companyName = "ZORVAN DEMONSTRACAO";
        return SendPayslipsByEmail(session.folha(), session.tmpDb(), ui, s, {}, o);
    }
    // April's sheet F in the log: "code result attempts" per employee.
    QStringList log() {
        QStringList out;
        for (const auto& row : PayslipMailLog(session.folha(), "201304", "F"))
            out << QStringLiteral("%1 %2 %3").arg(row.code, row.result).arg(row.attempts);
        return out;
    }
    QString cpf(const QString& code) {
        return Table(session.folha(), "CADFUN").find({code})->text("NR_CPF").trimmed();
    }
};

const MailRecipient* recipient(const PayslipMailResult& r, const QString& code) {
    for (const auto& m : r.recipients)
        if (m.code == code) return &m;
    return nullptr;
}

} // namespace

// ---- the password rule -------------------------------------------------

TEST(PdfPasswordRules, FromCpfOrBirthDate) {
    const struct {
        PdfPasswordRule rule;
        const char* cpf;
        QDate birth;
        const char* expected;
    } cases[] = {
        {PdfPasswordRule::Cpf5, "123.456.789-09", {}, "12345"},
        {PdfPasswordRule::Cpf5, "12345678909", {}, "12345"},
        {PdfPasswordRule::Cpf, "123.456.789-09", {}, "12345678909"},
        {PdfPasswordRule::BirthDate, "", QDate(1980, 3, 7), "07031980"},
        {PdfPasswordRule::Cpf5, "", QDate(1980, 3, 7), ""},        // no CPF: no password, nothing sent
        {PdfPasswordRule::Cpf, "1234567890", {}, ""},              // ten digits is no CPF
        {PdfPasswordRule::BirthDate, "12345678909", QDate(), ""},  // no birth date
    };
    for (const auto& c : cases)
        EXPECT_EQ(PdfPasswordFor(c.rule, c.cpf, c.birth), QString::fromLatin1(c.expected)) << c.cpf;
}

TEST(MailSettingsFile, ReadsTheEmailSectionAndRefusesUnknownValues) {
    TempDir d;
    const QString cfg = d.file("CfgFolha.ini");
    MailSettings s = settingsFor(2525, MailSecurity::Smtps);
    s.user = "rh";
    s.pdfPassword = PdfPasswordRule::BirthDate;
    WriteMailSettings(cfg, s);
    const MailSettings back = ReadMailSettings(cfg);
    EXPECT_EQ(back.url(), QStringLiteral("smtps://127.0.0.1:2525"));
    EXPECT_EQ(back.sender, s.sender);
    EXPECT_EQ(back.user, QStringLiteral("rh"));
    EXPECT_EQ(back.caBundle, s.caBundle);
    EXPECT_EQ(back.pdfPassword, PdfPasswordRule::BirthDate);

    auto readBack = [&](const QByteArray& ini) {
        QFile f(cfg);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
        f.close();
        return ReadMailSettings(cfg);
    };
    const MailSettings defaults = readBack("[Email]\r\nServidor=smtp.example\r\nRemetente=a@example.com\r\n");
    EXPECT_EQ(defaults.url(), QStringLiteral("smtp://smtp.example:587"));
    EXPECT_EQ(defaults.pdfPassword, PdfPasswordRule::Cpf5);
    EXPECT_TRUE(Refusal([&] { return readBack("[Email]\r\nServidor=smtp.example\r\nSenhaPdf=ANIVERSARIO\r\n"); })
                    .contains("ANIVERSARIO"));
}

TEST(MailPasswordFile, OwnerOnlyAndRefusedWhenOthersMayRead) {
    TempDir d;
    const Installation inst(d.path());
    QDir().mkpath(inst.programDir());
    SaveMailPassword(inst, "segredo do servidor");
    EXPECT_EQ(othersMay(MailPasswordFile(inst)), QFileDevice::Permissions());
    EXPECT_EQ(ReadMailPassword(inst), QStringLiteral("segredo do servidor"));
    QFile::setPermissions(MailPasswordFile(inst), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    EXPECT_THROW(ReadMailPassword(inst), UserError);
}

// ---- the message -------------------------------------------------------

TEST(MailComposition, HeadersEncodedBodyQuotedAttachmentBase64) {
    MailMessage m;
    m.fromAddress = "folha@escritorio.example";
    m.fromName = "Departamento Pessoal";
    m.toAddress = "func01@example.com";
    m.toName = "JOÃO";
    m.subject = "Demonstrativo de pagamento - folha mensal de 04/2013";
    m.body = "Olá,\nlinha dois";
    m.attachmentName = "d.pdf";
    m.attachment = QByteArray(100, 'x');
    m.boundary = "LIMITE";
    m.messageId = "id@escritorio.example";
    m.date = QDateTime(QDate(2013, 5, 2), QTime(10, 0), Qt::UTC);
    const QByteArray text = ComposeMail(m);
    EXPECT_EQ(header(text, "From"), QStringLiteral("\"Departamento Pessoal\" <folha@escritorio.example>"));
    // "JOÃO" as an encoded word: UTF-8 4A 4F C3 83 4F in base64.
    EXPECT_EQ(header(text, "To"), QStringLiteral("=?UTF-8?B?Sk/Dg08=?= <func01@example.com>"));
    EXPECT_EQ(header(text, "Subject"), QString(m.subject));
    EXPECT_EQ(header(text, "Date"), QStringLiteral("02 May 2013 10:00:00 +0000"));
    EXPECT_EQ(header(text, "Message-ID"), QStringLiteral("<id@escritorio.example>"));
    // "Olá" in quoted-printable: á is C3 A1.
    EXPECT_TRUE(text.contains("\r\n\r\nOl=C3=A1,\r\nlinha dois\r\n--LIMITE\r\n"));
    EXPECT_EQ(attachment(text), QByteArray(100, 'x'));
    EXPECT_TRUE(text.endsWith("--LIMITE--\r\n"));
    EXPECT_TRUE(PlausibleMailAddress("func01@example.com"));
    EXPECT_FALSE(PlausibleMailAddress("func01@example"));
    EXPECT_FALSE(PlausibleMailAddress("a b@example.com"));
    EXPECT_FALSE(PlausibleMailAddress("a@example.com>\r\nBcc: x@example.com"));
}

TEST(PdfProtection, OpensWithThePasswordAndNotWithout) {
    PayStatement s;
    s.employeeCode = "000001";
    s.copy = 1;
    s.employeeName = "ADRIANO SILVA SANTOS";
    s.payrollDescription = "Folha mensal 04/2013";
    s.lines.push_back({"001", "SALARIO", "30", Fixed::fromInt(1500), Fixed()});
    const QByteArray plain = PayStatementPdfInMemory({s});
    ASSERT_TRUE(plain.startsWith("%PDF-"));
    const QByteArray locked = ProtectPdf(plain, "12345");
    EXPECT_TRUE(locked.contains("/AESV3")); // AES-256
    EXPECT_FALSE(locked.contains("ADRIANO"));
    QString text;
    EXPECT_TRUE(pdfText(locked, "12345", &text)) << text.toStdString();
    EXPECT_TRUE(text.contains("ADRIANO SILVA SANTOS"));
    EXPECT_FALSE(pdfText(locked, {}, &text));
    EXPECT_FALSE(pdfText(locked, "54321", &text));
    // Damaged input: a truncated PDF is refused with a clear message.
    EXPECT_TRUE(Refusal([&] { return ProtectPdf(plain.left(40), "12345"); }).startsWith("Não foi possível proteger o PDF"));
}

// ---- against the server ------------------------------------------------

// STARTTLS: every employee with an address gets one message with his own
// statement, which opens with the first five digits of his CPF only.
TEST(PayslipMailServer, EveryMessageArrivesWithItsProtectedStatement) {
    Demo demo;
    TestSmtpServer server(demo.dir.file("caixa"));
    ASSERT_GT(server.port(), 0);

    // Without sending: the list only, nothing reaches the server.
    const PayslipMailResult trial = demo.send(settingsFor(server.port()), false);
    EXPECT_EQ(trial.sent, 0);
    EXPECT_GT(trial.pending, 0);
    EXPECT_TRUE(server.messages().isEmpty());

    const PayslipMailResult r = demo.send(settingsFor(server.port()));
    EXPECT_EQ(r.competence, QStringLiteral("201304"));
    EXPECT_EQ(r.sheet, QStringLiteral("F"));
    EXPECT_EQ(r.sent, trial.pending);
    EXPECT_EQ(r.failed, 0);
    // Emílio (000005) has no address: told, not sent.
    const MailRecipient* emilio = recipient(r, "000005");
    ASSERT_NE(emilio, nullptr);
    EXPECT_EQ(emilio->outcome, MailOutcome::NoAddress);
    EXPECT_EQ(r.skipped, 1);

    const QStringList messages = server.messages();
    ASSERT_EQ(messages.size(), r.sent);
    for (const QString& file : messages) {
        const QByteArray text = readAll(file);
        const QString rcpt = QString::fromLatin1(readAll(QString(file).replace(".eml", ".rcpt"))).trimmed();
        // func01@example.com -> 000001
        const QRegularExpressionMatch m = QRegularExpression("^func(\\d\\d)@example\\.(com|org)$").match(rcpt);
        ASSERT_TRUE(m.hasMatch()) << rcpt.toStdString();
        const QString code = m.captured(1).rightJustified(6, '0');
        SCOPED_TRACE(code.toStdString());
        EXPECT_TRUE(header(text, "To").endsWith("<" + rcpt + ">"));
        EXPECT_EQ(header(text, "Subject"), QStringLiteral("Demonstrativo de pagamento - folha mensal de 04/2013"));
        EXPECT_EQ(header(text, "From"), QStringLiteral("\"Departamento Pessoal\" <folha@escritorio.example>"));
        const QByteArray pdf = attachment(text);
        ASSERT_TRUE(pdf.startsWith("%PDF-"));
        const QString password = OnlyDigits(demo.cpf(code)).left(5);
        ASSERT_EQ(password.size(), 5);
        QString pdfTextOut;
        ASSERT_TRUE(pdfText(pdf, password, &pdfTextOut)) << pdfTextOut.toStdString();
        EXPECT_TRUE(pdfTextOut.contains(code)) << pdfTextOut.toStdString();
        EXPECT_TRUE(pdfTextOut.contains("04/2013"));
        EXPECT_FALSE(pdfText(pdf, {}, &pdfTextOut));
    }

    // The log: one row per employee sent, with the server's answer.
    const auto log = PayslipMailLog(demo.session.folha(), "201304", "F");
    ASSERT_EQ(int(log.size()), r.sent);
    for (const auto& row : log) {
        EXPECT_EQ(row.result, QStringLiteral("E"));
        EXPECT_EQ(row.attempts, 1);
        EXPECT_TRUE(row.answer.startsWith("250 2.0.0 Mensagem")) << row.answer.toStdString();
    }

    // Sending again sends nothing: everyone has his statement.
    const PayslipMailResult again = demo.send(settingsFor(server.port()));
    EXPECT_EQ(again.sent, 0);
    EXPECT_EQ(server.messages().size(), messages.size());
    EXPECT_EQ(recipient(again, "000001")->outcome, MailOutcome::AlreadySent);
}

// A refused recipient and a server that is down are logged as failed, with
// the reason; sending again sends only those.
TEST(PayslipMailServer, FailuresAreLoggedAndOnlyTheyAreSentAgain) {
    Demo demo;
    {
        // Employee 3's mailbox does not exist on this server.
        TestSmtpServer refusing(demo.dir.file("caixa1"), "starttls", "func03");
        ASSERT_GT(refusing.port(), 0);
        const PayslipMailResult r = demo.send(settingsFor(refusing.port()), true, "000001", "000004");
        EXPECT_EQ(r.sent, 3);
        EXPECT_EQ(r.failed, 1);
        const MailRecipient* refused = recipient(r, "000003");
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->outcome, MailOutcome::Failed);
        EXPECT_TRUE(refused->answer.contains("550")) << refused->answer.toStdString();
        EXPECT_EQ(refusing.messages().size(), 3);
        EXPECT_TRUE(demo.ui.texts("log").join('\n').contains("000003")) << demo.ui.texts("log").join('\n').toStdString();
    }
    int downPort = 0;
    {
        // A server that stopped: its port no longer answers.
        TestSmtpServer gone(demo.dir.file("caixa2"));
        downPort = gone.port();
        gone.stop();
    }
    ASSERT_GT(downPort, 0);
    const PayslipMailResult down = demo.send(settingsFor(downPort), true, "000001", "000006");
    // 1, 2 and 4 were sent; 3 failed again and 6 fails for the first time;
    // 5 has no address.
    EXPECT_EQ(down.sent, 0);
    EXPECT_EQ(down.failed, 2);
    EXPECT_EQ(recipient(down, "000001")->outcome, MailOutcome::AlreadySent);
    EXPECT_EQ(recipient(down, "000006")->outcome, MailOutcome::Failed);
    EXPECT_FALSE(recipient(down, "000006")->answer.isEmpty());
    EXPECT_EQ(demo.log(), QStringList({"000001 E 1", "000002 E 1", "000003 F 2", "000004 E 1", "000006 F 1"}));

    // Back up: only 3 and 6 go.
    TestSmtpServer back(demo.dir.file("caixa3"));
    ASSERT_GT(back.port(), 0);
    const PayslipMailResult again = demo.send(settingsFor(back.port()), true, "000001", "000006");
    EXPECT_EQ(again.sent, 2);
    EXPECT_EQ(again.failed, 0);
    const QStringList arrived = back.messages();
    ASSERT_EQ(arrived.size(), 2);
    QStringList to;
    for (const QString& f : arrived) to << QString::fromLatin1(readAll(QString(f).replace(".eml", ".rcpt"))).trimmed();
    to.sort();
    EXPECT_EQ(to, QStringList({"func03@example.com", "func06@example.org"}));
    EXPECT_EQ(demo.log(), QStringList({"000001 E 1", "000002 E 1", "000003 E 3", "000004 E 1", "000006 E 2"}));
}

// SMTPS (TLS from the first byte) delivers too; a server without TLS is
// refused before any message goes, and so is one whose certificate the CA
// bundle does not vouch for.
TEST(PayslipMailServer, SmtpsDeliversPlainServersAndUnknownCertificatesAreRefused) {
    Demo demo;
    // A server without TLS; one whose certificate an authority that did
    // not sign it is asked to vouch for.
    for (const auto& [mode, ca] : {std::pair{"plain", Authority().caPem}, std::pair{"starttls", folha::testing::ThrowawayCertificate().pem}}) {
        TestSmtpServer server(demo.dir.file(mode), mode);
        ASSERT_GT(server.port(), 0);
        MailSettings s = settingsFor(server.port());
        s.caBundle = ca;
        const PayslipMailResult r = demo.send(s, true, "000001", "000001");
        EXPECT_EQ(r.sent, 0) << mode;
        EXPECT_EQ(r.failed, 1) << mode;
        EXPECT_TRUE(server.messages().isEmpty()) << mode;
    }
    TestSmtpServer smtps(demo.dir.file("smtps"), "smtps");
    ASSERT_GT(smtps.port(), 0);
    const PayslipMailResult r = demo.send(settingsFor(smtps.port(), MailSecurity::Smtps), true, "000001", "000002");
    EXPECT_EQ(r.sent, 2);
    ASSERT_EQ(smtps.messages().size(), 2);
    QString text;
    EXPECT_TRUE(pdfText(attachment(readAll(smtps.messages().first())), OnlyDigits(demo.cpf("000001")).left(5), &text));
}

// ---- from the command line ---------------------------------------------

// `folha payslips --email` lists and sends nothing without --yes, sends with
// it; `folha accounting` writes the CSV and its summary.
TEST(PayslipMailCommandLine, ListsWithoutYesSendsWithYesAndWritesTheEntries) {
    TempDir d;
    const QString root = d.file("raiz");
    const FolhaRun init = RunFolha(root, {"init", "--demo"});
    ASSERT_EQ(init.status, 0) << init.err.toStdString();
    // A server that demands a login: the password comes from the
    // installation's password file, stored by `folha email-password`.
    TestSmtpServer server(d.file("caixa"), "starttls", {}, "folha:segredo do servidor");
    ASSERT_GT(server.port(), 0);
    MailSettings settings = settingsFor(server.port());
    settings.user = "folha";
    WriteMailSettings(Installation(root).programFile("CfgFolha.ini"), settings);

    const QStringList email{"payslips", "--email", "--company", "1", "--branch", "001", "--from", "1", "--to", "3"};
    const FolhaRun trial = RunFolha(root, email);
    EXPECT_EQ(trial.status, 0) << trial.err.toStdString();
    EXPECT_TRUE(trial.out.contains("000002 BRUNA COSTA OLIVEIRA")) << trial.out.toStdString();
    EXPECT_TRUE(trial.out.contains("3 a enviar, 0 não enviado(s). Nada foi enviado: repita com --yes para enviar."))
        << trial.out.toStdString();
    EXPECT_TRUE(server.messages().isEmpty());

    // No password stored yet: the server refuses every message, and each is
    // logged as failed with its answer.
    const FolhaRun refused = RunFolha(root, email + QStringList{"--yes"});
    EXPECT_EQ(refused.status, 1) << refused.out.toStdString();
    EXPECT_TRUE(refused.out.contains("0 enviado(s), 3 com falha")) << refused.out.toStdString();
    EXPECT_TRUE(refused.out.contains("535 5.7.8")) << refused.out.toStdString();
    EXPECT_TRUE(server.messages().isEmpty());

    const FolhaRun stored = RunFolha(root, {"email-password"}, {"FOLHA_EMAIL_PASSWORD=segredo do servidor"});
    ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
    EXPECT_EQ(othersMay(MailPasswordFile(Installation(root))), QFileDevice::Permissions());
    const FolhaRun sent = RunFolha(root, email + QStringList{"--yes"});
    EXPECT_EQ(sent.status, 0) << sent.err.toStdString();
    EXPECT_TRUE(sent.out.contains("Demonstrativos de 04/2013 (folha F) por e-mail: 3 enviado(s), 0 com falha, 0 não enviado(s)"))
        << sent.out.toStdString();
    EXPECT_EQ(server.messages().size(), 3);

    const QString csv = d.file("lancamentos.csv"), summary = d.file("resumo.txt");
    const FolhaRun accounting = RunFolha(
        root, {"accounting", "--company", "1", "--branch", "001", "--competence", "04/2013", "--output", csv,
               "--summary", summary, "--format", "txt", "--yes"});
    EXPECT_EQ(accounting.status, 0) << accounting.err.toStdString() << accounting.out.toStdString();
    EXPECT_TRUE(accounting.out.contains("Lançamentos contábeis de 04/2013 (folha F)")) << accounting.out.toStdString();
    const QList<QByteArray> lines = readAll(csv).split('\n');
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines[0], QByteArray("data;debito;credito;valor;historico;centro_custo\r"));
    EXPECT_TRUE(lines[1].startsWith("30/04/2013;")) << lines[1].toStdString();
    EXPECT_TRUE(QString::fromUtf8(readAll(summary)).contains("TOTAL A DEBITO"));

    // A competence that is none is refused before anything is written.
    const FolhaRun bad =
        RunFolha(root, {"accounting", "--company", "1", "--competence", "13/2013", "--output", d.file("x.csv")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains("Competência inválida: 13/2013")) << bad.err.toStdString();
    EXPECT_FALSE(QFile::exists(d.file("x.csv")));
}
