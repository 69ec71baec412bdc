// `folha backup` and `folha restore` on the installation's own backend: a
// copy put back gives every table of every database equal to the row, and a
// damaged or foreign file is refused before anything changes.
#include "FolhaProcess.h"
#include "InstallationChecks.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace folha;

namespace {

using folha::testing::InstallationChecks;
using folha::testing::WithoutAuditLogs;

class BackupCli : public ::testing::Test {
protected:
    void SetUp() override {
        folha::testing::PrepareInstallation(root.path());
        ASSERT_EQ(test::RunFolha(root.path(), {"init", "--demo"}).status, 0);
        ASSERT_EQ(test::RunFolha(root.path(), {"calc", "--company", "1", "--branch", "001"}).status, 0);
    }
    // A month's work lost after the copy: the events of company 1 and a user.
    void loseWork() {
        ASSERT_EQ(test::RunFolha(root.path(), {"sql", "--company", "1", "--update", "delete from OCORRENC"}).status, 0);
        ASSERT_EQ(test::RunFolha(root.path(), {"sql", "--company", "2", "--update", "update CADFUN set NOME = 'X'"}).status, 0);
    }
    TempDir root, files;
};

TEST_F(BackupCli, RestoreGivesBackEveryRowOfEveryDatabase) {
    const QList<TableCheck> before = InstallationChecks(root.path());
    ASSERT_GT(before.size(), 40);
    const QString copy = files.file("copia");
    const auto b = test::RunFolha(root.path(), {"backup", "--output", copy});
    ASSERT_EQ(b.status, 0) << b.err.toStdString();
    EXPECT_TRUE(b.out.startsWith(QStringLiteral("Cópia de segurança gravada em ") + copy)) << b.out.toStdString();
    loseWork();
    const QList<TableCheck> lost = InstallationChecks(root.path());
    EXPECT_NE(lost, before);
    const auto r = test::RunFolha(root.path(), {"restore", copy, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // The audit log of this month gains the restore's own entry; every
    // other table is as it was.
    EXPECT_EQ(WithoutAuditLogs(InstallationChecks(root.path())), WithoutAuditLogs(before));
}

TEST_F(BackupCli, ADamagedOrForeignFileIsRefusedAndNothingChanges) {
    const QString copy = files.file("copia");
    ASSERT_EQ(test::RunFolha(root.path(), {"backup", "--output", copy}).status, 0);
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    loseWork();
    const QList<TableCheck> lost = InstallationChecks(root.path());
    QByteArray flipped = whole;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"truncated", whole.left(whole.size() / 2), "danificada"},
        {"flipped", flipped, "danificada"},
        {"foreign", QByteArray("nada a ver\n"), "não é uma cópia de segurança do sistema"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile bad(files.file(c.name));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(c.bytes);
        bad.close();
        const auto r = test::RunFolha(root.path(), {"restore", files.file(c.name), "--yes"});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_EQ(InstallationChecks(root.path()), lost);
    }
}

} // namespace
