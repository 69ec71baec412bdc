// The files no job may write over: an installation's databases and settings
// and everything in their folders, by any name, and any database at all.
#include "SystemFiles.h"

#include "DbError.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace folha;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray Database = QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\0');

TEST(SystemFiles, TheInstallationsFilesAndFoldersAreNoOutput) {
    TempDir d;
    const QString r = d.path();
    // An installation as it lies on the disk: the program folder with its
    // settings and company list, a company's folder, the print folder "c:\".
    Write(r + "/programa/dados.sqlite", Database);
    Write(r + "/programa/Aliases.ini", "[Folha]\n");
    Write(r + "/programa/ini/TfoCalculosFolha.ini", "[x]\n");
    Write(r + "/c/folha/emp1/dados.sqlite", Database);
    Write(r + "/c/TMP20261207161530.IMP", " 000123 ANALISTA\r\n");
    Write(r + "/outros/copia.db", Database);
    QDir().mkpath(r + "/fora");
    QFile::link(r + "/c/folha/emp1/dados.sqlite", r + "/fora/relatorio.pdf");
    QFile::link(r + "/c/folha/emp1", r + "/fora/pasta");
    QFile::link(r + "/c/folha/emp1/novo.pdf", r + "/fora/pendente.pdf"); // a link to a file not yet there

    const struct {
        QString path;
        bool refused;
    } cases[] = {
        {r + "/programa/dados.sqlite", true},
        {r + "/programa/Aliases.ini", true},
        {r + "/programa/ini/TfoCalculosFolha.ini", true},
        {r + "/programa/ini/novo.pdf", true},
        {r + "/programa/RelCfg/sub/novo.pdf", true}, // below, in folders not made yet
        {r + "/c/folha/emp1/dados.sqlite", true},
        {r + "/c/folha/emp1/relatorio.pdf", true},
        {r + "/C/FOLHA/EMP1/DADOS.SQLITE", true},
        {r + "/c/folha/emp1/../emp1/dados.sqlite", true},
        {r + "/outros/copia.db", true},              // a database wherever it lies
        {r + "/fora/relatorio.pdf", true},           // a link to one
        {r + "/fora/pasta/relatorio.pdf", true},     // through a linked folder
        {r + "/fora/pendente.pdf", true},            // a dangling link into a data folder
        {r + "/c/folha", false},                     // above the companies' folders
        {r + "/c/relatorio.pdf", false},             // the print folder
        {r + "/c/TMP20261207161530.IMP", false},
        {r + "/fora/novo.xlsx", false},
        {r + "/fora/nova/pasta/x.pdf", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(!SystemFileProblem(c.path).isEmpty(), c.refused) << SystemFileProblem(c.path).toStdString();
        if (c.refused) {
            EXPECT_THROW(RefuseSystemOutput(c.path), UserError);
        }
    }
    // Read back as a report: text only.
    Write(r + "/fora/planilha.bin", QByteArray("PK\3\4\0\0", 6));
    EXPECT_NO_THROW(RefuseNonReportInput(r + "/c/TMP20261207161530.IMP"));
    for (const QString& notAReport : {r + "/c/folha/emp1/dados.sqlite", r + "/outros/copia.db", r + "/fora/planilha.bin",
                                      r + "/fora/relatorio.pdf", r + "/fora/nenhum.IMP"})
        EXPECT_THROW(RefuseNonReportInput(notAReport), UserError) << notAReport.toStdString();
}

} // namespace
