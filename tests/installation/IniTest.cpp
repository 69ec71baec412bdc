#include "IniFile.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace folha;

static void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

TEST(Ini, ReadsLikeWindows) {
    TempDir d;
    const QString file = d.file("CfgFolha.ini");
    writeFile(file, "; comentario\r\n[DirLogin]\r\nDir = c:\\arquivos de programas\\zorvan\\LoginFolha\\ \r\n"
                    "[Outra]\r\nDir=\"entre aspas\"\r\nVazio=\r\n[Acentos]\r\nNome=Jo\xe3o\r\n");
    EXPECT_EQ(ReadIniValue(file, "dirlogin", "DIR"), QStringLiteral("c:\\arquivos de programas\\zorvan\\LoginFolha\\"));
    EXPECT_EQ(ReadIniValue(file, "Outra", "Dir"), QStringLiteral("entre aspas"));
    EXPECT_EQ(ReadIniValue(file, "Outra", "Vazio"), QString());
    EXPECT_EQ(ReadIniValue(file, "Outra", "Falta"), QString());
    EXPECT_EQ(ReadIniValue(file, "Nenhuma", "Dir"), QString());
    EXPECT_EQ(ReadIniValue(d.file("naoexiste.ini"), "DirLogin", "Dir"), QString());
    EXPECT_EQ(ReadIniValue(file, "Acentos", "Nome"), QStringLiteral("João")); // ANSI file
}

TEST(Ini, WritesKeepingTheRestOfTheFile) {
    TempDir d;
    const QString file = d.file("LoginFolha.ini");
    writeFile(file, "[BaseDadosUltLogin]\r\nBase=1\r\n; nota\r\n[UsuarioUltLogin]\r\nUsuario=000001\r\n");
    ASSERT_TRUE(WriteIniValue("2", "basedadosultlogin", "BASE", "LoginFolha.ini", d.path()));
    ASSERT_TRUE(WriteIniValue("002", "BaseDadosUltLogin", "CodFilial", "LoginFolha.ini", d.path()));
    ASSERT_TRUE(WriteIniValue("c:\\x\\y\\", "Nova", "Dir", "LoginFolha.ini", d.path()));
    EXPECT_EQ(ReadIniValue(file, "BaseDadosUltLogin", "Base"), QStringLiteral("2"));
    EXPECT_EQ(ReadIniValue(file, "BaseDadosUltLogin", "CodFilial"), QStringLiteral("002"));
    EXPECT_EQ(ReadIniValue(file, "UsuarioUltLogin", "Usuario"), QStringLiteral("000001"));
    EXPECT_EQ(ReadIniValue(file, "Nova", "Dir"), QStringLiteral("c:\\x\\y\\"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("; nota"));
    EXPECT_EQ(text.count("[BaseDadosUltLogin]"), 1);
    EXPECT_TRUE(WriteIniValue("v", "S", "K", "novo.ini", d.path() + "/sub/pasta"));
    EXPECT_EQ(ReadIniValue(d.path() + "/sub/pasta/novo.ini", "S", "K"), QStringLiteral("v"));
}
