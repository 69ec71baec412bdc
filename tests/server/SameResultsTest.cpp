// Every job of `folha` gives the same files, byte for byte, and the same rows
// on the office server as on SQLite files: the demo installation is built on
// both, the same commands run on each, and the results are compared.
#include "FolhaProcess.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace folha;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(sem arquivo)");
}

// The files a run left below the installation root (data files aside).
QMap<QString, QByteArray> filesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root + "/c", QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(".sqlite") || path.endsWith(".sqlite-wal") || path.endsWith(".sqlite-shm") ||
            path.endsWith(".lock"))
            continue;
        QByteArray bytes = fileBytes(path);
        // A printed report carries the hour it was printed.
        if (path.endsWith(".txt"))
            bytes = QString::fromUtf8(bytes).replace(QRegularExpression("HORA\\.:\\s+\\d\\d:\\d\\d:\\d\\d"), "HORA").toUtf8();
        files.insert(path.mid(root.size()), bytes);
    }
    return files;
}

} // namespace

TEST(SameResults, EveryJobGivesTheSameFilesAndRowsOnBothBackends) {
    TempDir files, server;
    const QString database = folha::testing::PrepareInstallation(server.path());
    ASSERT_FALSE(database.isEmpty()) << "precisa do servidor de testes";
    const QString roots[] = {files.path(), server.path()};
    QMap<QString, QByteArray> outputs[2];
    const QList<QStringList> jobs = {
        {"init", "--demo"},
        {"calc", "--company", "1", "--branch", "001"},
        {"advance", "--company", "2", "--branch", "001"},
        {"set-period", "--company", "1", "--branch", "001", "--date", "30/04/2013", "--sheet", "I"},
        {"vacation", "--company", "1", "--branch", "001"},
        {"set-period", "--company", "1", "--branch", "001", "--date", "30/04/2013", "--sheet", "F"},
        {"termination", "--company", "1", "--branch", "001"},
        {"thirteenth", "--company", "2", "--branch", "002"},
        {"sefip", "--company", "1", "--branch", "001", "--responsible", "001", "--yes"},
        {"grrf", "--company", "1", "--branch", "001", "--responsible", "001", "--collection-date", "10/05/2013",
         "--notice-date", "10/04/2013", "--yes"},
        {"payroll-book", "--company", "1", "--branch", "001", "--format", "txt", "--output", "c:\\saida\\livro.txt", "--yes"},
        {"report", "registro", "--company", "1", "--branch", "001", "--format", "txt", "--output",
         "c:\\saida\\registro.txt", "--yes"},
        {"document", "TfoRelAvisoFerias", "--company", "1", "--branch", "001", "--from", "01/01/2013", "--to",
         "31/12/2013", "--format", "txt", "--output", "c:\\saida\\aviso.txt", "--yes"},
        {"events", "--company", "1", "--branch", "001"},
    };
    for (int b = 0; b < 2; ++b) {
        QDir().mkpath(roots[b] + "/c/saida");
        for (const QStringList& job : jobs) {
            QStringList args = job;
            for (QString& a : args)
                if (a.startsWith("c:\\saida\\")) a = roots[b] + "/c/saida/" + a.mid(9);
            const auto r = test::RunFolha(roots[b], args);
            ASSERT_EQ(r.status, 0) << job.join(' ').toStdString() << "\n" << r.err.toStdString();
            outputs[b].insert(job.join(' '), QString(r.out).replace(roots[b], "ROOT").toUtf8());
        }
    }
    // What each command told.
    for (auto it = outputs[0].begin(); it != outputs[0].end(); ++it)
        EXPECT_EQ(outputs[1].value(it.key()), it.value()) << it.key().toStdString();
    // The files each wrote.
    const auto written = filesBelow(roots[0]);
    const auto onServer = filesBelow(roots[1]);
    EXPECT_GE(written.size(), 6);
    EXPECT_EQ(onServer.keys(), written.keys());
    for (auto it = written.begin(); it != written.end(); ++it)
        EXPECT_TRUE(onServer.value(it.key()) == it.value()) << it.key().toStdString();

    // Every row of every table of both companies.
    Session sessions[] = {Session(Installation(roots[0])), Session(Installation(roots[1]))};
    for (const char* directory : {"c:\\folha\\emp1\\", "c:\\folha\\emp2\\"}) {
        auto a = sessions[0].openCompanyDirectory(directory, false);
        auto s = sessions[1].openCompanyDirectory(directory, false);
        ASSERT_EQ(s->backend(), Backend::PostgreSQL);
        int compared = 0;
        for (const TableDef* def : Registry::instance().tables(Scope::Company)) {
            if (!a->hasTable(def->name) || def->name == QLatin1String("TRAVAS")) continue;
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(directory, def->name).toStdString());
            ASSERT_TRUE(s->hasTable(def->name));
            const QString order = def->primaryKey.join(", ");
            const auto want = Table(*a, *def).select({}, {}, order);
            const auto got = Table(*s, *def).select({}, {}, order);
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(got[i] == want[i]) << want[i].keyText().toStdString();
            compared += int(want.size());
        }
        EXPECT_GT(compared, 300) << directory;
    }
}

// Two workstations calculating two companies at the same time on the server
// leave the same rows as one after the other on SQLite files.
TEST(SameResults, TwoCompaniesCalculatedSideBySide) {
    TempDir files, server;
    ASSERT_FALSE(folha::testing::PrepareInstallation(server.path()).isEmpty());
    for (const QString& root : {files.path(), server.path()})
        ASSERT_EQ(test::RunFolha(root, {"init", "--demo"}).status, 0);
    const QStringList jobs[] = {{"calc", "--company", "1", "--branch", "001"}, {"calc", "--company", "2", "--branch", "002"}};
    for (const QStringList& job : jobs) ASSERT_EQ(test::RunFolha(files.path(), job).status, 0);
    // Both at once on the server.
    QProcess runs[2];
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FOLHA_USER", "000001");
        env.insert("FOLHA_PASSWORD", "zorvan");
        runs[i].setProcessEnvironment(env);
        runs[i].start(QStringLiteral(FOLHA_BIN_DIR "/folha"), QStringList{"--root", server.path()} + jobs[i]);
    }
    for (QProcess& p : runs) {
        ASSERT_TRUE(p.waitForFinished(300000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    Session a{Installation(files.path())}, s{Installation(server.path())};
    const TableDef& ocorrenc = Registry::instance().require("OCORRENC");
    for (const char* directory : {"c:\\folha\\emp1\\", "c:\\folha\\emp2\\"}) {
        SCOPED_TRACE(directory);
        auto want = Table(*a.openCompanyDirectory(directory), ocorrenc).select({}, {}, ocorrenc.primaryKey.join(", "));
        auto got = Table(*s.openCompanyDirectory(directory), ocorrenc).select({}, {}, ocorrenc.primaryKey.join(", "));
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(got[i] == want[i]) << want[i].keyText().toStdString();
    }
}
