#include "IniFile.h"
#include "ScriptedUi.h"
#include "Installation.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace folha;

TEST(Installation, MapsTheSystemsWindowsPathsBelowTheRoot) {
    TempDir d;
    Installation inst(d.path());
    const QString r = inst.root();
    struct {
        const char* windows;
        QString local;
    } cases[] = {
        {"c:\\arquivos de programas\\zorvan\\CfgFolha.ini", r + "/programa/CfgFolha.ini"},
        {"C:\\Arquivos de programas\\ZORVAN\\ConfigZorvan.ini", r + "/programa/ConfigZorvan.ini"},
        {"c:\\arquivos de programas\\zorvan\\ini\\", r + "/programa/ini/"},
        {"c:\\arquivos de programas\\zorvanx\\a", r + "/c/arquivos de programas/zorvanx/a"},
        {"c:\\CAIXA\\SEFIP\\SEFIP.TXT", r + "/c/CAIXA/SEFIP/SEFIP.TXT"},
        {"E:\\folha\\emp1\\", r + "/e/folha/emp1/"},
        {"\\\\servidor\\dados\\folha", r + "/unc/servidor/dados/folha"},
        {"/srv/folha/emp1/", "/srv/folha/emp1/"},
        {"TmpDb\\x.db", r + "/programa/TmpDb/x.db"},
    };
    for (const auto& c : cases) EXPECT_EQ(inst.localPath(QString::fromLatin1(c.windows)), c.local) << c.windows;
}

TEST(Installation, FindsExistingNamesWhateverTheirCase) {
    TempDir d;
    Installation inst(d.path());
    QDir().mkpath(inst.root() + "/c/Caixa/Sefip");
    EXPECT_EQ(inst.localPath("c:\\CAIXA\\SEFIP\\SEFIP.TXT"), inst.root() + "/c/Caixa/Sefip/SEFIP.TXT");
}

TEST(Installation, RootComesFromTheOptionThenTheEnvironment) {
    qputenv("ZORVAN_ROOT", "/tmp/raiz-ambiente");
    EXPECT_EQ(Installation::choose("/tmp/raiz-opcao").root(), QStringLiteral("/tmp/raiz-opcao"));
    EXPECT_EQ(Installation::choose("").root(), QStringLiteral("/tmp/raiz-ambiente"));
    qunsetenv("ZORVAN_ROOT");
    EXPECT_TRUE(Installation::choose("").root().endsWith("FolhaZorvan"));
}

class StartUpTest : public ::testing::Test {
protected:
    TempDir d;
    Installation inst{d.path()};
    ScriptedUi ui;
};

TEST_F(StartUpTest, CreatesTheWorkingFoldersAndFallsBackToTheDefaultLoginDir) {
    Session s(inst);
    s.startUp(ui);
    for (const QString& dir : {s.values.IniDir, s.values.TmpDbDir, s.values.RelCfgDir, s.values.ExpCfgDir, s.values.ExpExcelCfgDir})
        EXPECT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();
    EXPECT_EQ(s.values.IniDir, inst.root() + "/programa/ini/");
    EXPECT_EQ(s.values.LoginDir, inst.root() + "/programa/LoginFolha/");
    EXPECT_EQ(s.values.SystemVersion, QStringLiteral("1.0"));
    EXPECT_EQ(s.values.ApplicationTitle, QStringLiteral("Zorvan - Folha de Pagamento"));
    EXPECT_EQ(s.values.TextViewerPath, QStringLiteral("C:\\Arquivos de programas\\Windows NT\\Acessórios\\wordpad.exe"));
    // Nothing is said at start, even on a machine without printers: the
    // print set-up screen tells it.
    EXPECT_TRUE(ui.entries.isEmpty()) << ui.texts().join('|').toStdString();
}

TEST_F(StartUpTest, NewloginWinsOverAnEmptyCfgFolhaKey) {
    WriteIniFileValue(inst.programFile("CfgFolha.ini"), "DirLogin", "Dir", "");
    WriteIniFileValue(inst.programFile("newlogin.ini"), "BaseLogin", "Base", "d:\\login\\");
    WriteIniFileValue(inst.programFile("versao.ini"), "Folha", "Versao", "2.7");
    Session s(inst);
    s.startUp(ui);
    EXPECT_EQ(s.values.LoginDir, inst.root() + "/d/login/");
    EXPECT_EQ(s.values.SystemVersion, QStringLiteral("2.7"));
    EXPECT_TRUE(ui.entries.isEmpty());
}

TEST_F(StartUpTest, CfgFolhaWinsWhenSet) {
    WriteIniFileValue(inst.programFile("CfgFolha.ini"), "DirLogin", "Dir", "c:\\meulogin");
    WriteIniFileValue(inst.programFile("newlogin.ini"), "BaseLogin", "Base", "d:\\login\\");
    Session s(inst);
    s.startUp(ui);
    EXPECT_EQ(s.values.LoginDir, inst.root() + "/c/meulogin/");
}

TEST_F(StartUpTest, SetaDiretorioKeepsOnlyTheDriveOfTheAliasPath) {
    // PATH is not the first parameter line: it is found by its name.
    WriteIniFileValue(inst.programFile("Aliases.ini"), "Folha", "TYPE", "SQLITE");
    WriteIniFileValue(inst.programFile("Aliases.ini"), "Folha", "PATH", "E:\\antiga\\pasta\\");
    Session s(inst);
    s.startUp(ui);
    EXPECT_EQ(s.SetaDiretorio("folha\\emp1\\"), QStringLiteral("E:\\folha\\emp1\\"));
    EXPECT_EQ(s.values.DataDir, QStringLiteral("E:\\folha\\emp1\\"));
    EXPECT_EQ(Session::paramValue(s.aliasParams("FOLHA"), "path"), QStringLiteral("E:\\folha\\emp1\\"));
    EXPECT_EQ(Session::paramValue(s.aliasParams("folha"), "TYPE"), QStringLiteral("SQLITE"));
    // The drive survives a second pick as well.
    EXPECT_EQ(s.SetaDiretorio("\\folha\\emp2\\"), QStringLiteral("E:\\folha\\emp2\\"));
}

namespace {

// Companies emp1 and emp2, each with branch 001 named after it.
void twoCompanies(Session& s) {
    for (const char* company : {"emp1", "emp2"}) {
        auto db = s.openCompanyDirectory(s.companyDirectory(QStringLiteral("folha\\%1\\").arg(company)), true);
        db->ensureSchema(Scope::Company);
        Table filial(*db, "Filial");
        Record r = filial.newRecord();
        r.set("CODIGO", "001").set("NOME", QStringLiteral("FILIAL DA %1").arg(company));
        filial.insert(r);
    }
}

} // namespace

TEST_F(StartUpTest, ASecondCompanyPickReadsTheSecondCompanysTables) {
    Session s(inst);
    s.startUp(ui);
    twoCompanies(s);
    s.SetaDiretorio("folha\\emp1\\");
    EXPECT_EQ(Table(s.folha(), "Filial").find({"001"})->text("NOME"), QStringLiteral("FILIAL DA emp1"));
    s.SetaDiretorio("folha\\emp2\\");
    EXPECT_EQ(Table(s.folha(), "filial.db").find({"001"})->text("NOME"), QStringLiteral("FILIAL DA emp2"));
    EXPECT_TRUE(QFileInfo::exists(inst.root() + "/c/folha/emp2/dados.sqlite"));
}

TEST_F(StartUpTest, ATableOutlivesTheRepointingOfItsAlias) {
    Session s(inst);
    s.startUp(ui);
    twoCompanies(s);
    s.SetaDiretorio("folha\\emp1\\");
    Table first(s.folha(), "Filial");
    Database* firstDb = &s.folha();
    // Signing in re-points the alias while the table is in use (the command
    // line opens the company, then confirms the branch).
    s.SetaDiretorio("folha\\emp2\\");
    EXPECT_EQ(Table(s.folha(), "Filial").find({"001"})->text("NOME"), QStringLiteral("FILIAL DA emp2"));
    EXPECT_EQ(first.find({"001"})->text("NOME"), QStringLiteral("FILIAL DA emp1"));
    EXPECT_EQ(first.count(), 1);
    // Picking the first company again reuses its open database.
    s.SetaDiretorio("folha\\emp1\\");
    EXPECT_EQ(&s.folha(), firstDb);
    const int open = s.openDatabases();
    s.SetaDiretorio("folha\\emp2\\");
    s.folha();
    EXPECT_EQ(s.openDatabases(), open);
}

TEST_F(StartUpTest, AMissingCompanyDirectoryIsAnErrorNotANewEmptyCompany) {
    Session s(inst);
    s.startUp(ui);
    s.SetaDiretorio("folha\\naoexiste\\");
    EXPECT_THROW(s.folha(), DbError);
    EXPECT_FALSE(QFileInfo::exists(inst.root() + "/c/folha/naoexiste"));
}
