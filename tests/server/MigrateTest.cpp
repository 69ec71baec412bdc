// `folha migrate --to-server`: an installation kept in SQLite files moves to
// the server with every table equal to the row, then works there; a server
// that holds an installation is not written over unless told.
#include "FolhaProcess.h"
#include "InstallationChecks.h"
#include "TempDir.h"
#include "TestBackend.h"
#include "Table.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace folha;

namespace {

using folha::testing::InstallationChecks;
using folha::testing::WithoutAuditLogs;

} // namespace

TEST(Migrate, EveryTableArrivesEqualAndTheInstallationWorksOnTheServer) {
    TempDir root;
    ASSERT_EQ(test::RunFolha(root.path(), {"init", "--demo"}).status, 0);
    ASSERT_EQ(test::RunFolha(root.path(), {"calc", "--company", "1", "--branch", "001"}).status, 0);
    const QList<TableCheck> onFiles = InstallationChecks(root.path());
    ASSERT_GT(onFiles.size(), 40);
    {
        Session s{Installation(root.path())};
        ASSERT_FALSE(s.onServer());
    }
    const QString database = folha::testing::NewServerDatabase();
    const QString connection = folha::testing::ServerConnectionText(database);
    const auto m = test::RunFolha(root.path(), {"migrate", "--to-server", connection});
    ASSERT_EQ(m.status, 0) << m.err.toStdString();
    EXPECT_TRUE(m.out.contains(QStringLiteral("todos conferidos"))) << m.out.toStdString();
    {
        Session s{Installation(root.path())};
        EXPECT_TRUE(s.onServer());
        EXPECT_EQ(s.openCompanyDirectory("c:\\folha\\emp1\\")->backend(), Backend::PostgreSQL);
    }
    // The same rows, read back from the server (the audit log gains the
    // migration's entry).
    EXPECT_EQ(WithoutAuditLogs(InstallationChecks(root.path())), WithoutAuditLogs(onFiles));
    // And it works there: a calculation (its audit entry numbered after the
    // copied ones) and the company list.
    const QDate today = QDate::currentDate();
    const TableDef log = Registry::instance().auditLogTable(today.month(), today.year());
    auto entries = [&] {
        Session s{Installation(root.path())};
        return Table(s.zorvan(), log).count();
    };
    const qint64 logged = entries();
    EXPECT_GT(logged, 0);
    const auto calc = test::RunFolha(root.path(), {"calc", "--company", "2", "--branch", "001"});
    EXPECT_EQ(calc.status, 0) << calc.err.toStdString();
    EXPECT_TRUE(calc.err.isEmpty()) << calc.err.toStdString();
    EXPECT_EQ(entries(), logged + 1);
    EXPECT_TRUE(test::RunFolha(root.path(), {"companies"}).out.contains("001 002"));

    // A second installation of files is refused on the occupied server...
    TempDir other;
    ASSERT_EQ(test::RunFolha(other.path(), {"init", "--demo"}).status, 0);
    const auto refused = test::RunFolha(other.path(), {"migrate", "--to-server", connection});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("--replace")) << refused.err.toStdString();
    {
        Session s{Installation(other.path())};
        EXPECT_FALSE(s.onServer());
    }
    // ...and taken with --replace.
    const QList<TableCheck> second = InstallationChecks(other.path());
    const auto replaced = test::RunFolha(other.path(), {"migrate", "--to-server", connection, "--replace"});
    ASSERT_EQ(replaced.status, 0) << replaced.err.toStdString();
    EXPECT_EQ(WithoutAuditLogs(InstallationChecks(other.path())), WithoutAuditLogs(second));
}
