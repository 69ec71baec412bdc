// What only the office server has: holds that end with the workstation's
// connection, and the same jobs giving the same files and rows as SQLite.
#include "ScriptedUi.h"
#include "ServerSettings.h"
#include "TableRoutines.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace folha;

// On the server a hold lasts as long as the connection of the workstation
// that took it: while it lives the row is refused to the others; when the
// connection is gone (the workstation died) the row is free at once.
TEST(ServerHolds, AHoldEndsWithTheHoldingConnection) {
    TempDir d;
    ScriptedUi ui;
    auto db = folha::testing::OpenTestDatabase(d.path());
    db->ensureSchema(Scope::Company);
    const TableDef& cad = Registry::instance().require("CADFUN");
    auto other = Database::open(db->location(), false); // the other workstation
    auto held = TryEdit(*other, cad, {"000002"}, "000002", ui);
    ASSERT_TRUE(held.has_value());
    EXPECT_EQ(RowHolder(*db, cad, {"000002"}), StationId());
    ScriptedUi answers({true, false}); // OK once, then Cancel
    EXPECT_FALSE(TryEdit(*db, cad, {"000002"}, "000001", answers).has_value());
    EXPECT_EQ(answers.texts("question").size(), 2);
    // Another row is free meanwhile.
    EXPECT_TRUE(TryEdit(*db, cad, {"000004"}, "000001", ui).has_value());

    // The other workstation's connection ends without releasing anything.
    auto pid = other->exec("SELECT pg_backend_pid()");
    ASSERT_TRUE(pid.next());
    db->exec("SELECT pg_terminate_backend(?)", {pid.value(0).toInt()});
    for (int i = 0; i < 100 && !RowHolder(*db, cad, {"000002"}).isEmpty(); ++i) usleep(20000);
    EXPECT_EQ(RowHolder(*db, cad, {"000002"}), QString());
    ScriptedUi none;
    auto taken = TryEdit(*db, cad, {"000002"}, "000001", none);
    EXPECT_TRUE(taken.has_value());
    EXPECT_TRUE(none.texts("question").isEmpty());
    Table travas(*db, "TRAVAS");
    ASSERT_TRUE(travas.find({"CADFUN", "000002"}).has_value());
    EXPECT_EQ(travas.find({"CADFUN", "000002"})->text("USUARIO"), QStringLiteral("000001"));
}


// `init --server` keeps the password in the password file only, readable by
// its owner alone, and the settings file without it.
TEST(ServerSettingsFiles, ThePasswordGoesToItsOwnFileOnly) {
    TempDir root;
    const QString database = folha::testing::NewServerDatabase();
    const ServerSettings s = ConfigureServer(Installation(root.path()),
                                             folha::testing::ServerConnectionText(database) + " password='se:cr\\\\et'");
    const QString ini = root.file("programa/Servidor.ini"), pass = root.file("programa/Servidor.pgpass");
    QFile i(ini), p(pass);
    ASSERT_TRUE(i.open(QIODevice::ReadOnly));
    ASSERT_TRUE(p.open(QIODevice::ReadOnly));
    const QByteArray settings = i.readAll(), secret = p.readAll();
    EXPECT_FALSE(settings.contains("se:cr")) << settings.toStdString();
    EXPECT_TRUE(settings.contains("DATABASE=" + database.toUtf8()));
    EXPECT_EQ(secret, "*:*:" + database.toUtf8() + ":folha:se\\:cr\\\\et\n");
    EXPECT_EQ(QFileInfo(pass).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                                              QFileDevice::WriteOther),
              QFileDevice::Permissions());
    EXPECT_EQ(s.passwordFile, pass);
    EXPECT_TRUE(ReadServerSettings(Installation(root.path())).connectOptions().contains("passfile=" + pass));
}
