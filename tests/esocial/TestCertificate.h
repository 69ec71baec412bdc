#pragma once
// Certificates made with the openssl tool for the tests, once per test
// program: a throwaway A1 certificate (an RSA key, a self-signed certificate
// named as an ICP-Brasil e-CNPJ, packed in a PKCS#12 file with its password),
// and a test authority with a server certificate for 127.0.0.1 and an A1
// client certificate it signed, for the TLS servers the tests start.

#include <QDir>
#include <QFile>
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

// The test authority, the server's certificate for 127.0.0.1 and an A1
// client certificate the authority signed; made once per test program.
struct TestAuthority {
    QString caPem;
    QString serverPem, serverKey;
    QString clientPfx; // an e-CNPJ the authority signed
    QByteArray password = "senha-de-teste";
};

inline const TestAuthority& Authority() {
    static QTemporaryDir dir;
    static TestAuthority a = [] {
        TestAuthority t;
        auto path = [](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
        t.caPem = path("ac.pem");
        t.serverPem = path("servidor.pem");
        t.serverKey = path("servidor.key");
        t.clientPfx = path("cliente.pfx");
        QString out;
        auto run = [&](const QStringList& args) {
            const bool ok = RunTool("openssl", args, &out);
            EXPECT_TRUE(ok) << args.join(' ').toStdString() << "\n" << out.toStdString();
        };
        run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("ac.key"), "-out", t.caPem, "-days", "30",
             "-subj", "/C=BR/O=AC de Teste/CN=AC DE TESTE", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
             "keyUsage=critical,keyCertSign,cRLSign"});
        QFile ext(path("ext.cnf"));
        EXPECT_TRUE(ext.open(QIODevice::WriteOnly));
        ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n");
        ext.close();
        run({"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", t.serverKey, "-out", path("servidor.csr"), "-subj",
             "/C=BR/CN=127.0.0.1"});
        run({"x509", "-req", "-in", path("servidor.csr"), "-CA", t.caPem, "-CAkey", path("ac.key"), "-CAcreateserial",
             "-out", t.serverPem, "-days", "30", "-extfile", path("ext.cnf")});
        run({"req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", path("cliente.key"), "-out", path("cliente.csr"),
             "-subj", "/C=BR/O=ICP-Brasil/CN=EMPRESA DEMONSTRACAO LTDA:12345678000195"});
        run({"x509", "-req", "-in", path("cliente.csr"), "-CA", t.caPem, "-CAkey", path("ac.key"), "-CAcreateserial",
             "-out", path("cliente.pem"), "-days", "30"});
        run({"pkcs12", "-export", "-inkey", path("cliente.key"), "-in", path("cliente.pem"), "-out", t.clientPfx,
             "-passout", "pass:" + QString::fromLatin1(t.password)});
        return t;
    }();
    return a;
}

} // namespace folha::testing
