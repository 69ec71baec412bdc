// `folha backup` and `folha restore` on the installation's own backend: a
// copy put back gives every table of every database equal to the row; a
// damaged, foreign or tampered file is refused before anything changes; a
// restore killed at any moment leaves the old installation or the copy,
// whole; the audit log keeps what was done since the copy.
#include "FolhaProcess.h"
#include "InstallationChecks.h"
#include "JobLock.h"
#include "TempDir.h"
#include "Table.h"
#include "TestBackend.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

#include <csignal>

using namespace folha;

namespace {

using folha::testing::InstallationChecks;
using folha::testing::WithoutAuditLogs;

// A copy's file taken apart: its entries (header fields and bytes) and
// written back with sizes and checksums that agree with the bytes.
struct CopyEntry {
    QStringList header; // kind, label, folder, size, SHA-256
    QByteArray bytes;
};

std::vector<CopyEntry> ReadCopy(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    f.readLine(); // the kind of file
    std::vector<CopyEntry> entries;
    while (!f.atEnd() && f.peek(4) != "FIM\n") {
        CopyEntry e;
        e.header = QString::fromUtf8(f.readLine()).chopped(1).split('\t');
        e.bytes = f.read(e.header.value(3).toLongLong());
        entries.push_back(e);
    }
    return entries;
}

void WriteCopy(const QString& file, std::vector<CopyEntry> entries) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("FOLHAZORVAN-COPIA 1\n");
    for (CopyEntry& e : entries) {
        e.header[3] = QString::number(e.bytes.size());
        e.header[4] = QString::fromLatin1(QCryptographicHash::hash(e.bytes, QCryptographicHash::Sha256).toHex());
        f.write(e.header.join('\t').toUtf8() + '\n');
        f.write(e.bytes);
    }
    f.write("FIM\n");
}

CopyEntry& EntryOf(std::vector<CopyEntry>& entries, const QString& label) {
    for (CopyEntry& e : entries)
        if (e.header.value(1) == label) return e;
    ADD_FAILURE() << label.toStdString();
    return entries.front();
}

// The bytes of a copy's SQLite database after `statements`.
QByteArray Edited(const QByteArray& bytes, const QStringList& statements) {
    TempDir dir;
    QFile out(dir.file("dados.sqlite"));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    {
        auto db = Database::openDirectory(dir.path(), false);
        for (const QString& s : statements) db->execDirect(s);
    }
    QFile in(dir.file("dados.sqlite"));
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    return in.readAll();
}

// Whether a process has stopped itself (state T in /proc).
bool Stopped(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    const int close = int(text.lastIndexOf(')'));
    return close > 0 && text.mid(close + 2, 1) == "T";
}

// Runs `folha` until it stops itself at `moment`, then kills it (SIGKILL).
// False when it ended without stopping there.
bool KillAt(const QString& root, const QStringList& args, const char* moment, const QStringList& env = {}) {
    QProcess p;
    test::StartFolha(p, root, args, QStringList{QStringLiteral("FOLHA_PARADA_TESTE=") + QLatin1String(moment)} + env);
    if (!p.waitForStarted()) return false;
    QElapsedTimer timer;
    timer.start();
    while (!Stopped(p.processId())) {
        if (p.state() == QProcess::NotRunning || p.waitForFinished(50) || timer.elapsed() > 240000) {
            ADD_FAILURE() << moment << ": " << p.readAllStandardError().toStdString();
            return false;
        }
    }
    ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished();
    return true;
}

QStringList EntriesBelow(const QString& dir) {
    QStringList found;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) found << it.next();
    return found;
}

qint64 AuditRows(const QList<TableCheck>& checks) {
    qint64 rows = 0;
    for (const TableCheck& c : checks)
        if (c.table.startsWith(QLatin1String("LogSys_"), Qt::CaseInsensitive) && c.table.compare("LogSys_Tipos", Qt::CaseInsensitive))
            rows += c.rows;
    return rows;
}

class BackupCli : public ::testing::Test {
protected:
    void SetUp() override {
        folha::testing::PrepareInstallation(root.path());
        ASSERT_EQ(test::RunFolha(root.path(), {"init", "--demo"}).status, 0);
        ASSERT_EQ(test::RunFolha(root.path(), {"calc", "--company", "1", "--branch", "001"}).status, 0);
        copy = files.file("copia");
        const auto b = test::RunFolha(root.path(), {"backup", "--output", copy});
        ASSERT_EQ(b.status, 0) << b.err.toStdString();
        EXPECT_TRUE(b.out.startsWith(QStringLiteral("Cópia de segurança gravada em ") + copy)) << b.out.toStdString();
        copied = InstallationChecks(root.path());
        loseWork();
        lost = InstallationChecks(root.path());
        ASSERT_NE(WithoutAuditLogs(lost), WithoutAuditLogs(copied));
    }
    // A month's work lost after the copy: the events of company 1 and a user.
    void loseWork() {
        ASSERT_EQ(test::RunFolha(root.path(), {"sql", "--company", "1", "--update", "delete from OCORRENC"}).status, 0);
        ASSERT_EQ(test::RunFolha(root.path(), {"sql", "--company", "2", "--update", "update CADFUN set NOME = 'X'"}).status, 0);
    }
    // A restore refused: exit status 1, the reason told, nothing changed.
    void expectRefused(const QString& file, const char* message) {
        const auto r = test::RunFolha(root.path(), {"restore", file, "--yes"});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(message))) << r.err.toStdString();
        EXPECT_EQ(WithoutAuditLogs(InstallationChecks(root.path())), WithoutAuditLogs(lost));
    }
    QString work() const { return root.path() + QStringLiteral("/programa/trabalho"); }
    TempDir root, files;
    QString copy;
    QList<TableCheck> copied, lost;
};

TEST_F(BackupCli, RestoreGivesBackEveryRowOfEveryDatabase) {
    ASSERT_GT(copied.size(), 40);
    const auto r = test::RunFolha(root.path(), {"restore", copy, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(WithoutAuditLogs(InstallationChecks(root.path())), WithoutAuditLogs(copied));
    EXPECT_TRUE(EntriesBelow(work()).isEmpty()) << EntriesBelow(work()).join(' ').toStdString();
}

// Entries written since the copy stay, and the restore adds its own.
TEST_F(BackupCli, TheAuditLogKeepsWhatWasDoneSinceTheCopy) {
    const qint64 before = AuditRows(InstallationChecks(root.path()));
    ASSERT_GT(before, AuditRows(copied));
    ASSERT_EQ(test::RunFolha(root.path(), {"restore", copy, "--yes"}).status, 0);
    EXPECT_EQ(AuditRows(InstallationChecks(root.path())), before + 1);
}

TEST_F(BackupCli, ADamagedOrForeignFileIsRefusedAndNothingChanges) {
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    QByteArray flipped = whole;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    // The first entry claims some thousand terabytes.
    QByteArray absurd = whole;
    const int sizeAt = int(absurd.indexOf('\t', absurd.indexOf('\t', absurd.indexOf('\t', 20) + 1) + 1)) + 1;
    absurd.insert(sizeAt, "999999999999999");
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"truncated", whole.left(whole.size() / 2), "cópia danificada"},
        {"flipped", flipped, "cópia danificada"},
        {"absurd-size", absurd, "cópia danificada"},
        {"bytes-after-the-end", whole + "mais", "cópia danificada"},
        {"no-end-mark", whole.chopped(4), "cópia danificada"},
        {"foreign", QByteArray("nada a ver\n"), "não é uma cópia de segurança do sistema"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile bad(files.file(c.name));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(c.bytes);
        bad.close();
        expectRefused(files.file(c.name), c.message);
        const auto r = test::RunFolha(root.path(), {"restore", files.file(c.name), "--yes"});
        EXPECT_TRUE(r.err.contains(files.file(c.name))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("bad_alloc")) << r.err.toStdString();
    }
}

// A copy names the folders its databases go to: only each company's own
// folder below the root, matched by its code in the copy's company list, is
// written; any other entry refuses the whole copy.
TEST_F(BackupCli, EntriesOutsideTheInstallationOrOfAnotherKindAreRefused) {
    if (folha::testing::OnServer()) GTEST_SKIP() << "the server's copy is one archive";
    const std::vector<CopyEntry> good = ReadCopy(copy);
    TempDir elsewhere;
    const QString outside = elsewhere.path() + QStringLiteral("/outra");
    // "c:\..\..\X" is X beside the root.
    const QString above = QStringLiteral("fora-") + QFileInfo(root.path()).fileName();
    auto company1 = [](std::vector<CopyEntry>& e) -> CopyEntry& { return EntryOf(e, "Empresa 1"); };
    auto list = [](std::vector<CopyEntry>& e) -> CopyEntry& { return EntryOf(e, "Empresas"); };
    auto moveCompany1 = [&](std::vector<CopyEntry>& e, const QString& diretorio, const QString& header) {
        list(e).bytes = Edited(list(e).bytes, {QStringLiteral("UPDATE EmpresaFOLHA SET Diretorio = '%1' WHERE Codigo = 1").arg(diretorio)});
        company1(e).header[2] = header;
    };
    const struct {
        const char* name;
        std::function<void(std::vector<CopyEntry>&)> tamper;
        const char* message;
    } cases[] = {
        {"absolute folder in the header", [&](auto& e) { company1(e).header[2] = outside; }, "recusada"},
        {"absolute folder in the list", [&](auto& e) { moveCompany1(e, outside, outside); }, "recusada"},
        {"folder above the root", [&](auto& e) { moveCompany1(e, "..\\..\\" + above + "\\", "c:\\..\\..\\" + above); }, "recusada"},
        {"company not in the list", [&](auto& e) { company1(e).header[1] = "Empresa 9"; }, "Empresa 9"},
        {"unknown database", [&](auto& e) { company1(e).header[1] = "Outra"; }, "recusada"},
        {"two companies in one folder",
         [&](auto& e) {
             list(e).bytes = Edited(list(e).bytes, {"UPDATE EmpresaFOLHA SET Diretorio = (SELECT Diretorio FROM EmpresaFOLHA "
                                                    "WHERE Codigo = 1) WHERE Codigo = 2"});
             EntryOf(e, "Empresa 2").header[2] = company1(e).header[2];
         },
         "recusada"},
        {"sign-in entry holding a company", [&](auto& e) { EntryOf(e, "Login").bytes = company1(e).bytes; }, "recusada"},
        {"company entry holding the sign-in", [&](auto& e) { company1(e).bytes = EntryOf(e, "Login").bytes; }, "recusada"},
        {"company entry holding the shared tables", [&](auto& e) { company1(e).bytes = EntryOf(e, "Zorvan").bytes; }, "recusada"},
        {"shared entry holding a company", [&](auto& e) { EntryOf(e, "Zorvan").bytes = company1(e).bytes; }, "recusada"},
        {"company list holding the sign-in", [&](auto& e) { list(e).bytes = EntryOf(e, "Login").bytes; }, "recusada"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CopyEntry> entries = good;
        c.tamper(entries);
        const QString file = files.file(QString::fromLatin1(c.name).replace(' ', '-'));
        WriteCopy(file, entries);
        expectRefused(file, c.message);
        EXPECT_FALSE(QFileInfo::exists(outside));
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(root.path()).dir().filePath(above)));
    }
}

// On the server the copy is pg_dump's archive: an object outside the
// installation's schemas, a company's folder outside the root or an object
// of another kind than tables refuses the whole copy.
TEST_F(BackupCli, AServerArchiveWithForeignPartsIsRefused) {
    if (!folha::testing::OnServer()) GTEST_SKIP() << "the copy of files is checked part by part above";
    const struct {
        const char* name;
        QStringList tamper;
        QStringList undo;
        const char* message;
    } cases[] = {
        {"schema of another installation", {"CREATE SCHEMA fora", "CREATE TABLE fora.usuarios (codigo int)"},
         {"DROP SCHEMA fora CASCADE"}, "\"fora\", que não é de nenhuma empresa"},
        {"company folder above the root", {"UPDATE EmpresaFOLHA SET Diretorio = '..\\..\\fora\\' WHERE Codigo = 1"},
         {"UPDATE EmpresaFOLHA SET Diretorio = 'folha\\emp1\\' WHERE Codigo = 1"}, "não fica dentro da instalação"},
        {"a function", {"CREATE FUNCTION folha_empresas.f() RETURNS int LANGUAGE sql AS 'SELECT 1'"},
         {"DROP FUNCTION folha_empresas.f()"}, "não é de uma instalação do sistema"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = files.file(QString::fromLatin1(c.name).replace(' ', '-'));
        {
            Session session{Installation(root.path())};
            for (const QString& statement : c.tamper) session.companyListDb().execDirect(statement);
        }
        ASSERT_EQ(test::RunFolha(root.path(), {"backup", "--output", file}).status, 0);
        {
            Session session{Installation(root.path())};
            for (const QString& statement : c.undo) session.companyListDb().execDirect(statement);
        }
        lost = InstallationChecks(root.path());
        expectRefused(file, c.message);
    }
}

// A failure in the last database, or a calculation running, changes
// nothing at all.
TEST_F(BackupCli, ARestoreThatCannotFinishChangesNothing) {
    if (!folha::testing::OnServer()) {
        SCOPED_TRACE("duplicate key in the last database");
        std::vector<CopyEntry> entries = ReadCopy(copy);
        CopyEntry& last = entries.back();
        ASSERT_TRUE(last.header[1].startsWith("Empresa"));
        last.bytes = Edited(last.bytes, {"CREATE TABLE X AS SELECT * FROM CADFUN", "DROP TABLE CADFUN",
                                         "CREATE TABLE CADFUN AS SELECT * FROM X UNION ALL SELECT * FROM X", "DROP TABLE X"});
        WriteCopy(files.file("duplicada"), entries);
        expectRefused(files.file("duplicada"), "nada foi alterado");
    }
    SCOPED_TRACE("a calculation running in company 2");
    Session session{Installation(root.path())};
    auto row = Table(session.companyListDb(), "EmpresaFOLHA").find({2});
    ASSERT_TRUE(row.has_value());
    auto company = session.openCompanyDirectory(session.companyDirectory(row->text("Diretorio")));
    JobLock calculation(*company, "calculo", "um cálculo");
    expectRefused(copy, "cálculo em andamento");
}

// Killed at any moment, a restore leaves the installation as it was or as
// the copy, whole, once the program starts again; no work file stays.
TEST_F(BackupCli, ARestoreKilledAtAnyMomentLeavesOneInstallationWhole) {
    if (folha::testing::OnServer()) GTEST_SKIP() << "pg_restore runs in one transaction";
    const struct {
        const char* moment;
        bool restored;
    } moments[] = {{"verificada", false}, {"construida", false}, {"preparada", false},
                   {"confirmada", true},  {"trocando", true},    {"trocada", true}};
    for (const auto& m : moments) {
        SCOPED_TRACE(m.moment);
        ASSERT_TRUE(KillAt(root.path(), {"restore", copy, "--yes"}, m.moment));
        ASSERT_EQ(test::RunFolha(root.path(), {"companies"}).status, 0);
        EXPECT_EQ(WithoutAuditLogs(InstallationChecks(root.path())), WithoutAuditLogs(m.restored ? copied : lost));
        EXPECT_TRUE(EntriesBelow(work()).isEmpty()) << EntriesBelow(work()).join(' ').toStdString();
        QDirIterator fresh(root.path(), {"*.novo"}, QDir::Files, QDirIterator::Subdirectories);
        EXPECT_FALSE(fresh.hasNext());
        if (m.restored) loseWork();
    }
}

// The payroll's copies never go to the system's temporary folder: a killed
// backup leaves its work files below the root, for its owner only, and the
// next start removes them.
TEST_F(BackupCli, AKilledBackupLeavesNoCopyBehind) {
    TempDir tmp;
    ASSERT_TRUE(KillAt(root.path(), {"backup", "--output", files.file("morta")}, "gravando",
                       {QStringLiteral("TMPDIR=") + tmp.path()}));
    EXPECT_TRUE(EntriesBelow(tmp.path()).isEmpty()) << EntriesBelow(tmp.path()).join(' ').toStdString();
    const QStringList left = QDir(work()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(left.size(), 1);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString& dir : {work(), work() + '/' + left.first()}) {
        EXPECT_EQ(QFileInfo(dir).permissions() & others, QFileDevice::Permissions()) << dir.toStdString();
        EXPECT_TRUE(QFileInfo(dir).permissions() & QFileDevice::ReadOwner);
    }
    ASSERT_EQ(test::RunFolha(root.path(), {"companies"}).status, 0);
    EXPECT_TRUE(EntriesBelow(work()).isEmpty()) << EntriesBelow(work()).join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(files.file("morta")));
}

} // namespace
