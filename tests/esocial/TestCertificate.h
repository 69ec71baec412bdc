#pragma once
// A throwaway A1 certificate made with OpenSSL for the tests: an RSA key,
// a self-signed certificate named as an ICP-Brasil e-CNPJ, packed in a
// PKCS#12 file with its password. Made once per test program.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace folha::testing {

struct TestCertificate {
    QString pfx;      // the PKCS#12 file
    QString pem;      // the certificate alone, for xmlsec1 --verify
    QByteArray password = "senha-de-teste";
};

inline bool RunTool(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return false;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline const TestCertificate& ThrowawayCertificate() {
    static QTemporaryDir dir;
    static TestCertificate cert = [] {
        TestCertificate c;
        const QString key = dir.filePath("chave.pem");
        c.pem = dir.filePath("certificado.pem");
        c.pfx = dir.filePath("certificado.pfx");
        QString out;
        bool ok = RunTool("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", c.pem,
                                      "-days", "30", "-subj", "/C=BR/O=ICP-Brasil/CN=EMPRESA DEMONSTRACAO LTDA:12345678000195"},
                          &out);
        EXPECT_TRUE(ok) << out.toStdString();
        ok = RunTool("openssl", {"pkcs12", "-export", "-inkey", key, "-in", c.pem, "-out", c.pfx, "-passout",
                                 "pass:" + QString::fromLatin1(c.password)},
                     &out);
        EXPECT_TRUE(ok) << out.toStdString();
        return c;
    }();
    return cert;
}

} // namespace folha::testing
