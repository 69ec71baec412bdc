// The folha command line, run as a user runs it.
#include "DemoInstallationCli.h"
#include "FixedRecords.h"
#include "TempDir.h"

#include "JobLock.h"
#include "Table.h"
#include "XlsxExport.h"
#include "Installation.h"
#include "Session.h"
#include "TestBackend.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QDirIterator>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
    bool crashed = false; // ended by a signal
};

// Runs folha with the environment changed: a null value removes a variable.
CliRun runFolha(const QStringList& args, const QMap<QString, QString>& environment = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ZORVAN_ROOT");
    env.remove("FOLHA_USER");
    env.remove("FOLHA_PASSWORD");
    for (auto it = environment.begin(); it != environment.end(); ++it)
        if (it.value().isNull())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FOLHA_BIN_DIR "/folha"), args);
    p.closeWriteChannel();
    p.waitForFinished(300000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
            p.exitStatus() != QProcess::NormalExit};
}

// One demo installation is made for the suite; each test works on a copy of
// its own, so what one test changes (a damaged file, a calculation) never
// reaches the next.
class CliTest : public folha::test::DemoInstallationCli {
protected:
    // Signed in as the demo's supervisor, unless the arguments name a user
    // (then `password` is that user's).
    CliRun run(QStringList args, const QString& password = {}) {
        QMap<QString, QString> env;
        if (args.contains("--user")) {
            if (!password.isNull()) env.insert("FOLHA_PASSWORD", password);
        } else {
            env.insert("FOLHA_USER", "000001");
            env.insert("FOLHA_PASSWORD", "zorvan");
        }
        return runFolha(QStringList{"--root", root.path()} + args, env);
    }
    // A database of the installation, opened the way the program opens it.
    std::unique_ptr<folha::Database> openInstalled(const QString& directory) {
        folha::Session session{folha::Installation(root.path())};
        return session.openCompanyDirectory(directory, false);
    }
    // This month's audit entries of the shared database that match `where`.
    std::vector<folha::Record> auditEntries(const QString& where, const QVariantList& values) {
        auto zorvan = openInstalled("c:\\arquivos de programas\\zorvan\\Zorvan\\");
        const QDate today = QDate::currentDate();
        return folha::Table(*zorvan, folha::Registry::instance().auditLogTable(today.month(), today.year())).select(where, values);
    }
    // Nobody signed in.
    CliRun runAnonymous(const QStringList& args) { return runFolha(QStringList{"--root", root.path()} + args); }
};

} // namespace

TEST_F(CliTest, InitRefusesAnExistingInstallation) {
    CliRun r = run({"init", "--demo"});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("Já existe uma instalação")) << r.err.toStdString();
}

TEST_F(CliTest, SqlPrintsCsvWithAHeader) {
    CliRun r = run({"sql", "--company", "1", "select count(*) as N from CADFUN"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QStringList lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("N"));
    EXPECT_GE(lines[1].toInt(), 20);
    // The legacy spelling of a table reaches the same table.
    CliRun legacy = run({"sql", "--company", "1", "select count(*) as N from \"CADFUN.DB\" CADFUN"});
    EXPECT_EQ(legacy.out, r.out);
    CliRun filial = run({"sql", "--company", "2", "select CODIGO, TIPO_FOL, DATA_FOLHA from Filial order by CODIGO"});
    EXPECT_EQ(filial.out, QStringLiteral("CODIGO,TIPO_FOL,DATA_FOLHA\n001,F,2013-04-30\n002,D,2013-12-31\n"));
}

TEST_F(CliTest, BadSqlGivesTheEnginesErrorAndAFailureStatus) {
    CliRun r = run({"sql", "--company", "1", "selec * from CADFUN"});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Erro de sintaxe no comando SQL, perto de \"selec\""))) << r.err.toStdString();
    CliRun noTable = run({"sql", "--company", "1", "select * from NAOEXISTE"});
    EXPECT_EQ(noTable.status, 1);
    // (The server names the table in its own lower case.)
    EXPECT_TRUE(noTable.err.startsWith(QStringLiteral("Erro: Script não executado: Tabela não encontrada: NAOEXISTE"),
                                       Qt::CaseInsensitive))
        << noTable.err.toStdString();
    CliRun unknown = run({"sql", "--company", "9", "select 1"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("Empresa não cadastrada: 9"));
}

// A statement that changes data runs only with --update, and then leaves
// its audit entry; without it the database refuses the write.
TEST_F(CliTest, SqlChangesDataOnlyWithUpdate) {
    const QStringList names = {"sql", "--company", "2", "select CODFUN, NOME from CADFUN where CODFUN in ('000001', '000002') order by 1"};
    const QString before = run(names).out;
    ASSERT_TRUE(before.startsWith("CODFUN,NOME\n000001,")) << before.toStdString();
    const QString statement = "update CADFUN set NOME = 'NOME PELO CONSOLE' where CODFUN = '000002'";
    struct Case {
        QStringList args;
        int status;
        const char* message;
    };
    const Case refused[] = {
        {{"sql", "--company", "2", statement}, 1, "Marque \"UPDATE\""},
        {{"sql", "--company", "2", "drop table CADFUN"}, 1, "Marque \"UPDATE\""},
        {{"sql", "--company", "2", "--update", "delete from CADFUN; select 1"}, 1, "execute um comando de cada vez"},
        {{"sql", "--company", "2", "--update", "  "}, 1, "Digite o comando SQL"},
        {{"sql", "--company", "2", "--update"}, 2, "Informe o comando SQL"},
        {{"sql", "--company", "2", "--update=S", statement}, 2, "A opção --update não recebe valor"},
    };
    for (const Case& c : refused) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_EQ(r.out, QString()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(run(names).out, before);

    const CliRun changed = run({"sql", "--company", "2", "--update", statement});
    ASSERT_EQ(changed.status, 0) << changed.err.toStdString();
    EXPECT_EQ(changed.out, QStringLiteral("1 registro(s) afetado(s)\n"));
    QString expected = before;
    expected.replace(QRegularExpression("000002,[^\n]*"), "000002,NOME PELO CONSOLE");
    EXPECT_EQ(run(names).out, expected);
    const auto rows = auditEntries("Janela = ? and Log like ?", {"folha sql", "%PELO CONSOLE%"});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text("Usuario"), QStringLiteral("000001"));
    EXPECT_EQ(rows[0].text("Acao"), QStringLiteral("E"));
    EXPECT_EQ(rows[0].integer("Filial"), 1);
    EXPECT_EQ(rows[0].text("Log"), "Console SQL, 1 registro(s): " + statement);
    // The name as it was, for the other cases.
    const QString name = before.section('\n', 2, 2).section(',', 1);
    ASSERT_EQ(run({"sql", "--company", "2", "--update",
                   QStringLiteral("update CADFUN set NOME = '%1' where CODFUN = '000002'").arg(name)})
                  .status,
              0);
    EXPECT_EQ(run(names).out, before);
}

TEST_F(CliTest, UsersSignInAndSeeOnlyTheirCompanies) {
    CliRun wrong = run({"--user", "000001", "companies"}, "errada");
    EXPECT_NE(wrong.status, 0);
    EXPECT_TRUE(wrong.err.contains("Senha digitada não confere..."));
    CliRun sup = run({"--user", "000001", "companies"}, "zorvan");
    ASSERT_EQ(sup.status, 0) << sup.err.toStdString();
    EXPECT_EQ(sup.out.trimmed().split('\n').size(), 4);
    CliRun usu = run({"--user", "000002", "companies"}, "operador");
    ASSERT_EQ(usu.status, 0);
    QStringList lines = usu.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith("2,"));
    EXPECT_TRUE(lines[1].endsWith(",001 002"));
    CliRun refused = run({"--user", "000002", "events", "--company", "1"}, "operador");
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("não liberada")) << refused.err.toStdString();
}

TEST_F(CliTest, SetPeriodChangesTheBranchAndWritesTheAuditLog) {
    CliRun bad = run({"set-period", "--company", "2", "--branch", "002", "--date", "31/02/2013", "--sheet", "F"});
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(bad.err.contains("Data inválida"));
    CliRun badSheet = run({"set-period", "--company", "2", "--branch", "002", "--date", "31/05/2013", "--sheet", "X"});
    EXPECT_NE(badSheet.status, 0);
    CliRun ok = run({"--user", "000001", "set-period", "--company", "2", "--branch", "002", "--date", "31/05/2013", "--sheet", "D"},
                 "zorvan");
    ASSERT_EQ(ok.status, 0) << ok.err.toStdString();
    CliRun check = run({"sql", "--company", "2", "select CODIGO, TIPO_FOL, DATA_FOLHA from Filial order by CODIGO"});
    EXPECT_EQ(check.out, QStringLiteral("CODIGO,TIPO_FOL,DATA_FOLHA\n001,F,2013-04-30\n002,D,2013-05-31\n"));
    // The entry went to this month's log of the shared database, under the user.
    const auto rows = auditEntries("Tabela = ?", {"Filial"});
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().text("Usuario"), QStringLiteral("000001"));
    EXPECT_EQ(rows.back().text("Acao"), QStringLiteral("E"));
    EXPECT_EQ(rows.back().integer("Filial"), 2);
    EXPECT_TRUE(rows.back().text("Log").contains("31/05/2013 D"));
    run({"set-period", "--company", "2", "--branch", "002", "--date", "31/12/2013", "--sheet", "D"});
}

TEST_F(CliTest, CalcTwiceLeavesTheEventsAsAfterTheFirstRun) {
    const QStringList dump = {"sql", "--company", "1",
                              "select * from OCORRENC order by OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN"};
    CliRun first = run({"calc", "--company", "1", "--branch", "001", "--family-allowance"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    // The whole demo month: no role message, no missing event.
    EXPECT_EQ(first.out, QStringLiteral("Procedimento concluído!\n24 funcionário(s) calculado(s)\n"));
    EXPECT_EQ(first.err, QString());
    const CliRun once = run(dump);
    const CliRun listed = run({"events", "--company", "1", "--branch", "001"});
    CliRun second = run({"calc", "--company", "1", "--branch", "001", "--family-allowance"});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(run(dump).out, once.out);
    EXPECT_EQ(run({"events", "--company", "1", "--branch", "001"}).out, listed.out);

    // The listing: a header, names of employee and event, calculated rows marked.
    const QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.first(), QStringLiteral("Ano,Mes,Folha,Funcionario,Nome,Evento,Descricao,Referencia,Valor,CentroCusto,Calculado"));
    EXPECT_TRUE(lines.contains("2013,04,F,000025,YARA TETO INSS,114,BASE INSS ACIMA DO TETO,0.00,4159.00,,*"));
    EXPECT_TRUE(lines.contains("2013,04,F,000025,YARA TETO INSS,001,SALARIO,220.00,5200.00,ADM,"));
    EXPECT_TRUE(lines.contains("2013,04,F,000006,FATIMA REGINA FILHOS,040,SALARIO FAMILIA,2.00,46.72,,*"));
}

TEST_F(CliTest, UndoRemovesTheCalculatedRowsOfOneEmployee) {
    ASSERT_EQ(run({"calc", "--company", "1", "--branch", "001", "--from", "24", "--to", "25"}).status, 0);
    const QString before = run({"events", "--company", "1", "--branch", "001", "--employee", "24"}).out;
    const QString vacationSheet = run({"events", "--company", "1", "--branch", "001", "--employee", "12", "--sheet", "I"}).out;
    const int calculated = run({"events", "--company", "1", "--branch", "001", "--employee", "25"}).out.count(",*\n");
    CliRun refused = run({"undo", "--company", "1", "--branch", "001", "--employee", "25"}); // nobody says yes
    EXPECT_NE(refused.status, 0);
    CliRun undone = run({"undo", "--company", "1", "--branch", "001", "--employee", "25", "--yes"});
    ASSERT_EQ(undone.status, 0) << undone.err.toStdString();
    EXPECT_GT(calculated, 10);
    EXPECT_TRUE(undone.out.contains(QStringLiteral("%1 registro(s) calculado(s) excluído(s) de 000025").arg(calculated)))
        << undone.out.toStdString();
    EXPECT_EQ(run({"events", "--company", "1", "--branch", "001", "--employee", "25"}).out,
              QStringLiteral("Ano,Mes,Folha,Funcionario,Nome,Evento,Descricao,Referencia,Valor,CentroCusto,Calculado\n"
                             "2013,04,F,000025,YARA TETO INSS,001,SALARIO,220.00,5200.00,ADM,\n"));
    EXPECT_EQ(run({"events", "--company", "1", "--branch", "001", "--employee", "24"}).out, before);
    // The other sheets of the month are untouched.
    ASSERT_EQ(run({"undo", "--company", "1", "--branch", "001", "--employee", "12", "--yes"}).status, 0);
    EXPECT_GT(vacationSheet.count(",*\n"), 5);
    EXPECT_EQ(run({"events", "--company", "1", "--branch", "001", "--employee", "12", "--sheet", "I"}).out, vacationSheet);
    CliRun bad = run({"undo", "--company", "1", "--branch", "001", "--employee", "25'--", "--yes"});
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(bad.err.contains("Código de funcionário inválido")) << bad.err.toStdString();
}

TEST_F(CliTest, AdvanceWritesTheAdvanceSheetRoundedUpToTheBranchStep) {
    CliRun bad = run({"advance", "--company", "2", "--branch", "001", "--base-month", "201303"});
    EXPECT_NE(bad.status, 0);
    // A base event or month that does not exist writes nothing.
    const QString none = run({"events", "--company", "2", "--branch", "001", "--sheet", "A"}).out;
    const struct {
        const char* event;
        const char* month;
        const char* message;
    } refused[] = {
        {"999", "201303", "Aviso: Ocorrência na base não cadastrada: 999\n"},
        {"001", "201399", "Aviso: Ano e mês da base inválido: 201399 (use AAAAMM, com o mês de 01 a 12)\n"},
    };
    for (const auto& c : refused) {
        CliRun no = run({"advance", "--company", "2", "--branch", "001", "--base-event", c.event, "--base-month", c.month});
        EXPECT_EQ(no.status, 2) << c.event << " " << c.month;
        EXPECT_EQ(no.out, QString()) << no.out.toStdString();
        EXPECT_TRUE(no.err.contains(QString::fromUtf8(c.message))) << no.err.toStdString();
        EXPECT_EQ(run({"events", "--company", "2", "--branch", "001", "--sheet", "A"}).out, none);
    }
    CliRun r = run({"advance", "--company", "2", "--branch", "001", "--write-net"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Procedimento concluído!\n5 adiantamento(s) calculado(s)\n"));
    // 1800.00 × 40 % = 720.00, up to the next 1.00.
    const QString rows = run({"events", "--company", "2", "--branch", "001", "--employee", "1", "--sheet", "A"}).out;
    EXPECT_TRUE(rows.contains("2013,04,A,000001,ANTONIO CARLOS VENDEDOR,096,ADIANTAMENTO SALARIAL,0.00,721.00,,*\n"))
        << rows.toStdString();
    EXPECT_TRUE(rows.contains(",142,LIQUIDO A RECEBER,0.00,721.00,,*\n"));
    // The month's payroll deducts it.
    ASSERT_EQ(run({"calc", "--company", "2", "--branch", "001"}).status, 0);
    EXPECT_TRUE(run({"events", "--company", "2", "--branch", "001", "--employee", "1"})
                    .out.contains(",097,ADIANTAMENTO JA PAGO,0.00,721.00,,*\n"));
}

namespace {

// The lines of a government file; every one a 360-character record ending
// in "*" and followed by CR LF.
QStringList govRecords(const QString& path) {
    const QStringList lines = folha::test::records::CrlfRecords(path, 360);
    for (const QString& l : lines) EXPECT_TRUE(l.endsWith('*')) << l.toStdString();
    return lines;
}

} // namespace

TEST_F(CliTest, SefipOfTheDemoMonth) {
    ASSERT_EQ(run({"calc", "--company", "1", "--branch", "001", "--family-allowance"}).status, 0);
    // Both demo companies collect FGTS under code 115: one record 10 each.
    CliRun r = run({"sefip", "--company", "1", "--branch", "001", "--companies", "1,2", "--responsible", "1",
                    "--fgts-collected", "S", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString path = root.path() + "/c/CAIXA/SEFIP/SEFIP.TXT";
    EXPECT_TRUE(r.out.contains(path + "\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Registro 00: 1\nRegistro 10: 2\n")) << r.out.toStdString();
    const QStringList lines = govRecords(path);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines.first().startsWith("00"));
    EXPECT_TRUE(lines.last().startsWith("90" + QString(51, '9')));
    int workers = 0;
    for (const QString& l : lines) workers += l.startsWith("30");
    EXPECT_GE(workers, 20);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Registro 30: %1\n").arg(workers)));
    // Without anyone to answer, the existing file is kept.
    CliRun kept = run({"sefip", "--company", "1", "--branch", "001", "--responsible", "1", "--fgts-collected", "S"});
    EXPECT_NE(kept.status, 0);
    EXPECT_TRUE(kept.err.contains("Ja existe. Regravar ?")) << kept.err.toStdString();
    EXPECT_EQ(govRecords(path), lines);
    CliRun bad = run({"sefip", "--company", "1", "--branch", "001", "--fgts-collected", "X"});
    EXPECT_NE(bad.status, 0);
}

// The company's additional values on the command line write record 12 of
// every company in the file; any of them without --tipo is refused.
TEST_F(CliTest, SefipAdditionalValuesWriteRecord12) {
    const QStringList base = {"sefip", "--company", "1", "--branch", "001", "--companies", "1,2", "--responsible", "1",
                              "--fgts-collected", "S", "--yes"};
    CliRun r = run(base + QStringList{"--tipo", "e", "--lic-mat", "1.234,56", "--receita", "7", "--rur-fis", "0,01",
                                      "--rur-jur", "10.000,5", "--processo", "98765432109", "--processo-ano", "2011",
                                      "--vara", "12345", "--pleito-inicio", "2/2011", "--pleito-fim", "12/2011",
                                      "--compensacao", "50", "--comp-inicio", "01/2013", "--comp-fim", "03/2013",
                                      "--ant-inss", "1", "--ant-outras", "2", "--ant-inss-rural", "3",
                                      "--ant-outras-rural", "4", "--ant-receitas", "5", "--parc-fgts1", "6",
                                      "--parc-fgts2", "7", "--parc-fgts-total", "8", "--cooperativas", "9,99"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Registro 12: 2\n")) << r.out.toStdString();
    const QString path = root.path() + "/c/CAIXA/SEFIP/SEFIP.TXT";
    const QStringList lines = govRecords(path);
    QStringList twelves;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith("12")) {
            twelves << lines[i];
            // Right after its company's record 10, with the same inscription.
            ASSERT_GT(i, 0);
            EXPECT_TRUE(lines[i - 1].startsWith("10"));
            EXPECT_EQ(lines[i].mid(2, 15), lines[i - 1].mid(2, 15));
        }
    ASSERT_EQ(twelves.size(), 2);
    auto money = [](qint64 cents) { return QStringLiteral("%1").arg(cents, 15, 10, QChar('0')); };
    const QString expected = QString(36, '0') + money(123456) + money(700) + "E" + money(1) + money(1000050) +
                             "98765432109" + "2011" + "12345" + "201102" + "201112" + money(5000) + "201301" +
                             "201303" + money(100) + money(200) + money(300) + money(400) + money(500) + money(600) +
                             money(700) + money(800) + money(999) + QString(45, '0') + QString(6, ' ') + "*";
    for (const QString& l : twelves) EXPECT_EQ(l.mid(17), expected);

    CliRun withoutType = run(base + QStringList{"--lic-mat", "10", "--vara", "1"});
    EXPECT_EQ(withoutType.status, 2);
    EXPECT_TRUE(withoutType.err.contains("Os valores adicionais da empresa (--lic-mat, --vara) pedem --tipo E|P|A"))
        << withoutType.err.toStdString();
    CliRun badAmount = run(base + QStringList{"--tipo", "P", "--compensacao", "12,345"});
    EXPECT_EQ(badAmount.status, 2);
    EXPECT_TRUE(badAmount.err.contains("Valor inválido em Compensacao: 12,345 (use 1.234,56)")) << badAmount.err.toStdString();
    CliRun badType = run(base + QStringList{"--tipo", "Z"});
    EXPECT_EQ(badType.status, 2);
    // The refused runs left the file as it was.
    EXPECT_EQ(govRecords(path), lines);
}

TEST_F(CliTest, GrrfOfTheDemoMonth) {
    CliRun r = run({"grrf", "--company", "1", "--branch", "001", "--responsible", "1", "--withdrawal", "01",
                    "--collection-date", "10/05/2013", "--previous-month", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString path = root.path() + "/c/CAIXA/GRRF/GRRF.TXT";
    EXPECT_TRUE(r.out.contains(path + "\n")) << r.out.toStdString();
    const QStringList lines = govRecords(path);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.first().startsWith("00"));
    EXPECT_TRUE(lines.last().startsWith("90"));
    EXPECT_TRUE(QFileInfo::exists(root.path() + "/c/CAIXA/GRRF/GRRF.RE"));
    // The demo's worker dismissed in April (cause I1) is the one record 40.
    QStringList workers;
    for (const QString& l : lines)
        if (l.startsWith("40")) workers << l.mid(53, 70).trimmed();
    EXPECT_EQ(workers, QStringList{"MARCOS VIEIRA DEMITIDO"});
    CliRun badDate = run({"grrf", "--company", "1", "--branch", "001", "--collection-date", "31/02/2013"});
    EXPECT_NE(badDate.status, 0);
    EXPECT_TRUE(badDate.err.contains("Data inválida")) << badDate.err.toStdString();
}

// The vacation, 13th salary and termination of the demo month: each refuses
// a branch on another sheet, and a second run leaves the rows as they were.
TEST_F(CliTest, VacationThirteenthAndTerminationOnTheDemo) {
    auto rowsOf = [this](const char* company) {
        return run({"sql", "--company", company, "select * from OCORRENC order by OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN"}).out;
    };
    const QString company1 = rowsOf("1"), company2 = rowsOf("2");

    CliRun refused = run({"vacation", "--company", "1", "--branch", "001"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("exige o Tipo Folha \"I\"")) << refused.err.toStdString();
    ASSERT_EQ(run({"set-period", "--company", "1", "--branch", "001", "--date", "30/04/2013", "--sheet", "I"}).status, 0);
    CliRun noMonths = run({"vacation", "--company", "1", "--branch", "001", "--months", ""});
    EXPECT_EQ(noMonths.status, 2);
    EXPECT_TRUE(noMonths.err.contains("Informar o campo Meses para média de comissões!")) << noMonths.err.toStdString();
    CliRun vacation = run({"vacation", "--company", "1", "--branch", "001"});
    EXPECT_EQ(vacation.status, 0) << vacation.err.toStdString();
    EXPECT_EQ(vacation.out, QStringLiteral("Procedimento concluído!\n1 funcionário(s) calculado(s)\n"));
    EXPECT_EQ(vacation.err, QString());
    const QString laura = run({"events", "--company", "1", "--branch", "001", "--employee", "12"}).out;
    EXPECT_TRUE(laura.contains("050,FERIAS NORMAIS,146.67,1333.36,ADM,*")) << laura.toStdString();
    EXPECT_TRUE(laura.contains("200,MEDIA HE 50% FERIAS,1.50,20.45,ADM,*")) << laura.toStdString();
    EXPECT_TRUE(laura.contains("142,LIQUIDO A RECEBER")) << laura.toStdString();

    EXPECT_EQ(run({"termination", "--company", "1", "--branch", "001"}).status, 2);
    ASSERT_EQ(run({"set-period", "--company", "1", "--branch", "001", "--date", "30/04/2013", "--sheet", "F"}).status, 0);
    CliRun termination = run({"termination", "--company", "1", "--branch", "001", "--from", "13", "--to", "13"});
    EXPECT_EQ(termination.status, 0) << termination.err.toStdString();
    EXPECT_EQ(termination.out, QStringLiteral("Procedimento concluído!\n1 funcionário(s) calculado(s)\n"));
    const QString marcos = run({"events", "--company", "1", "--branch", "001", "--employee", "13"}).out;
    for (const char* line : {"080,SALDO DE SALARIO,146.67,1066.69,PROD,*", "081,AVISO PREVIO INDENIZADO,220.00,1600.00,PROD,*",
                             "057,FERIAS PROPORCIONAIS,165.00,1200.00,PROD,*", "087,LIQUIDO RESCISAO,", "133,MULTA FGTS 40%,"})
        EXPECT_TRUE(marcos.contains(QLatin1String(line))) << line << "\n" << marcos.toStdString();
    EXPECT_EQ(rowsOf("1"), company1);

    CliRun thirteenth = run({"thirteenth", "--company", "2", "--branch", "002"});
    EXPECT_EQ(thirteenth.status, 0) << thirteenth.err.toStdString();
    EXPECT_EQ(thirteenth.out, QStringLiteral("Procedimento concluído!\n5 funcionário(s) calculado(s)\n"));
    const QString antonio = run({"events", "--company", "2", "--branch", "002", "--employee", "1"}).out;
    EXPECT_TRUE(antonio.contains("070,13 SALARIO,220.00,1800.00,VENDAS,*")) << antonio.toStdString();
    EXPECT_TRUE(antonio.contains("077,DESCONTO 1A PARCELA 13,0.00,900.00,VENDAS,*")) << antonio.toStdString();
    EXPECT_TRUE(antonio.contains("210,MEDIA HE 50% 13 SAL.,4.182,")) << antonio.toStdString(); // 46 hours ÷ 11
    EXPECT_EQ(rowsOf("2"), company2);
    EXPECT_NE(run({"thirteenth", "--company", "2", "--branch", "002", "--months", "0"}).status, 0);
}

// Every command signed in as each demo user ends normally: done, or refused
// with a Portuguese message. The operator reaches company 2 only, and the SQL
// console is the supervisor's.
TEST_F(CliTest, EveryCommandSignedInAsEitherDemoUser) {
    struct User {
        const char* code;
        const char* password;
        const char* company;
    };
    const User users[] = {{"000001", "zorvan", "1"}, {"000002", "operador", "2"}};
    struct Case {
        QStringList args; // "C" stands for the user's company
        int supervisor;   // exit status for 000001
        int operatorStatus;
        const char* refusal; // text of a refusal, when either status is not 0
    };
    const Case cases[] = {
        {{"companies"}, 0, 0, ""},
        {{"sql", "--company", "C", "select count(*) from CADFUN"}, 0, 3, "liberado somente para usuários de nível SUP"},
        {{"set-period", "--company", "C", "--branch", "001", "--date", "30/04/2013", "--sheet", "F"}, 0, 0, ""},
        {{"events", "--company", "C", "--branch", "001", "--employee", "1"}, 0, 0, ""},
        {{"calc", "--company", "C", "--branch", "001"}, 0, 0, ""},
        {{"advance", "--company", "C", "--branch", "001"}, 0, 0, ""},
        {{"vacation", "--company", "C", "--branch", "001"}, 2, 2, "exige o Tipo Folha"},
        {{"thirteenth", "--company", "2", "--branch", "002"}, 0, 0, ""},
        {{"termination", "--company", "C", "--branch", "001"}, 0, 0, ""},
        {{"sefip", "--company", "C", "--branch", "001", "--responsible", "1", "--fgts-collected", "S", "--yes"}, 0, 0, ""},
        {{"grrf", "--company", "C", "--branch", "001", "--responsible", "1", "--withdrawal", "01", "--collection-date",
          "10/05/2013", "--previous-month", "--yes"},
         0, 1, "Empresa sem funcionarios com movimento"},
        {{"undo", "--company", "C", "--branch", "001", "--employee", "1", "--yes"}, 0, 0, ""},
    };
    for (const User& u : users) {
        for (const Case& c : cases) {
            QStringList args{"--user", u.code};
            for (const QString& a : c.args) args << (a == "C" ? QString::fromLatin1(u.company) : a);
            const CliRun r = run(args, QString::fromLatin1(u.password));
            const int expected = QLatin1String(u.code) == QLatin1String("000001") ? c.supervisor : c.operatorStatus;
            const std::string what = (u.code + (" " + args.join(' ').toStdString())) + "\n" + r.err.toStdString();
            EXPECT_FALSE(r.crashed) << what;
            EXPECT_EQ(r.status, expected) << what;
            if (expected != 0) {
                EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.refusal))) << what;
            }
            EXPECT_FALSE(r.err.contains("not an error")) << what;
        }
    }
}

TEST_F(CliTest, AnInstallationWithUsersNeedsASignedInUser) {
    for (const QStringList& args : {QStringList{"companies"}, QStringList{"sql", "--company", "1", "select 1"},
                                    QStringList{"calc", "--company", "1", "--branch", "001"}}) {
        const CliRun r = runAnonymous(args);
        EXPECT_EQ(r.status, 3) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Informe o usuário")) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
    }
    // FOLHA_USER signs in as well as --user.
    const CliRun env = runFolha({"--root", root.path(), "companies"}, {{"FOLHA_USER", "000002"}, {"FOLHA_PASSWORD", "operador"}});
    ASSERT_EQ(env.status, 0) << env.err.toStdString();
    EXPECT_EQ(env.out.trimmed().split('\n').size(), 2);
    // The operator reaches only company 2, whatever the command.
    for (const QStringList& args :
         {QStringList{"events", "--company", "1", "--branch", "001"}, QStringList{"calc", "--company", "1", "--branch", "001"},
          QStringList{"sefip", "--company", "2", "--branch", "001", "--companies", "1,2", "--responsible", "1", "--yes"}}) {
        QStringList signedIn{"--user", "000002"};
        signedIn += args;
        const CliRun r = run(signedIn, "operador");
        EXPECT_NE(r.status, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("não liberada") || r.err.contains("não cadastrada")) << r.err.toStdString();
    }
    // Nothing of company 1 was calculated by the refused run.
    EXPECT_EQ(run({"sql", "--company", "1", "select count(*) as N from OCORRENC where FLAG = '*' and TIPOFOLHA = 'F' and HCODIGO = '142'"})
                  .out,
              QStringLiteral("N\n0\n"));
}

TEST_F(CliTest, ACommandLineIsReadStrictly) {
    struct Case {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{"calc", "--form", "5", "--to", "6"}, "Opção desconhecida: --form"},
        {{"calc", "--company"}, "Falta o valor da opção --company"},
        {{"calc", "--company", "1", "--from", "--to", "6"}, "Falta o valor da opção --from"},
        {{"calc", "--company", "1", "--company", "2"}, "Opção repetida: --company"},
        {{"undo", "--company", "1", "--employee", "1", "--yes=S"}, "A opção --yes não recebe valor"},
        {{"sql", "--company", "1", "select 1", "select 2"}, "Argumento inesperado: select 2"},
        {{"events", "--company", "1", "extra"}, "Argumento inesperado: extra"},
        {{"init", "--demo", "--force"}, "Opção desconhecida: --force"},
    };
    const QStringList countNets = {"sql", "--company", "1", "select count(*) from OCORRENC where HCODIGO = '142'"};
    const QString nets = run(countNets).out;
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Uso: folha")) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
    }
    const CliRun unknown = run({"calcular"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("Comando desconhecido: calcular"));
    // Nothing was calculated by the refused lines.
    EXPECT_EQ(run(countNets).out, nets);
    EXPECT_EQ(run({"calc", "--company", "1", "--branch", "001"}).status, 0);
    EXPECT_NE(run(countNets).out, nets);

    // Help goes to standard output.
    for (const QStringList& args : {QStringList{"-h"}, QStringList{"--help"}, QStringList{"help"}}) {
        const CliRun r = runFolha(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.startsWith("Uso: folha")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("folha calc --company C")) << r.out.toStdString();
        EXPECT_EQ(r.err, QString());
    }
    const CliRun calcHelp = runFolha({"calc", "--help"});
    EXPECT_EQ(calcHelp.status, 0);
    EXPECT_EQ(calcHelp.out, QStringLiteral("Uso: folha [--root DIR] [--user CODIGO] calc --company C --branch B [--from CODIGO] "
                                           "[--to CODIGO] [--family-allowance] [--auto]\n"));
    const CliRun version = runFolha({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("folha (FolhaZorvan) ")) << version.out.toStdString();
    const CliRun nothing = runFolha({});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_TRUE(nothing.err.startsWith("Uso: folha"));
}

TEST_F(CliTest, AWrongRootIsRefusedAndNothingIsCreated) {
    const QString missing = root.path() + "/nao/existe";
    const CliRun r = runFolha({"--root", missing, "companies"}, {{"FOLHA_USER", "000001"}, {"FOLHA_PASSWORD", "zorvan"}});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Nenhuma instalação encontrada em %1").arg(missing))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(root.path() + "/nao"));
    // A folder that exists but holds no installation is refused the same way
    // and left as it was.
    QDir().mkpath(root.path() + "/vazia");
    EXPECT_EQ(runFolha({"--root", root.path() + "/vazia", "calc", "--company", "1"}).status, 2);
    EXPECT_TRUE(QDir(root.path() + "/vazia").isEmpty());
}

// A second calculation of the same company is told at once that one is
// running, and calculates nothing; once the first ends, it runs.
TEST_F(CliTest, ASecondCalculationOfTheCompanyIsRefusedAtOnce) {
    const QString countCalculated =
        "select count(*) from OCORRENC where FLAG = '*' and TIPOFOLHA = 'F' and OCORRMES = '04' and HCODIGO = '142'";
    const QString before = run({"sql", "--company", "1", countCalculated}).out;
    {
        auto db = openInstalled("c:\\folha\\emp1\\");
        folha::JobLock held(*db, "calculo", "um cálculo");
        for (const QStringList& args :
             {QStringList{"calc", "--company", "1", "--branch", "001"}, QStringList{"advance", "--company", "1", "--branch", "001"},
              QStringList{"undo", "--company", "1", "--branch", "001", "--employee", "1", "--yes"},
              QStringList{"termination", "--company", "1", "--branch", "001"}}) {
            QElapsedTimer clock;
            clock.start();
            const CliRun r = run(args);
            EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("Já existe um cálculo em andamento nesta empresa")) << r.err.toStdString();
            EXPECT_LT(clock.elapsed(), 4000) << "the refusal waited for the database";
        }
        EXPECT_EQ(run({"sql", "--company", "1", countCalculated}).out, before);
        // Another company is not held.
        EXPECT_EQ(run({"calc", "--company", "2", "--branch", "001"}).status, 0);
    }
    const CliRun after = run({"calc", "--company", "1", "--branch", "001"});
    EXPECT_EQ(after.status, 0) << after.err.toStdString();
    EXPECT_NE(run({"sql", "--company", "1", countCalculated}).out, before);
}

// Failures of the database reach the user in Portuguese.
TEST_F(CliTest, DatabaseFailuresArePortuguese) {
    // Another workstation holds a write on the company's data.
    auto db = openInstalled("c:\\folha\\emp1\\");
    db->begin();
    db->exec("UPDATE CADFUN SET NOME = NOME WHERE CODFUN = '000002'");
    const CliRun busy = run({"sql", "--company", "1", "--update", "update CADFUN set NOME = 'X' where CODFUN = '000002'"});
    EXPECT_EQ(busy.status, 1);
    EXPECT_TRUE(busy.err.contains(QStringLiteral("A base de dados está em uso por outra estação"))) << busy.err.toStdString();
    EXPECT_FALSE(busy.err.contains("locked")) << busy.err.toStdString();
    db->rollback();
    db.reset();
    if (!pristineDb.isEmpty()) {
        // The office server out of reach.
        const QString ini = root.path() + "/programa/Servidor.ini";
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        f.close();
        text.replace(QRegularExpression("PORT=\\d+"), "PORT=1");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
        f.close();
        const CliRun down = run({"events", "--company", "1", "--branch", "001"});
        EXPECT_EQ(down.status, 1);
        EXPECT_TRUE(down.err.contains(QStringLiteral("Não foi possível conectar ao servidor de dados"))) << down.err.toStdString();
        return;
    }
    // A damaged company file.
    const QString file = root.path() + "/c/folha/emp1/dados.sqlite";
    for (const char* suffix : {"-wal", "-shm"}) QFile::remove(file + suffix);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(8192, 'x'));
    f.close();
    const CliRun damaged = run({"events", "--company", "1", "--branch", "001"});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.contains(QStringLiteral("danificada"))) << damaged.err.toStdString();
    EXPECT_FALSE(damaged.err.contains("not a database")) << damaged.err.toStdString();
}

// Values stored behind the register's back (the SQL console, an old import)
// that the register refuses: each employee holding one is reported and not
// calculated; the others are.
TEST_F(CliTest, StoredValuesTheRegisterRefusesStopOnlyTheirEmployee) {
    {
        auto db = openInstalled("c:\\folha\\emp1\\");
        for (const char* statement : {"update CADFUN set VLR_SALAR = 'abc' where CODFUN = '000002'",
                                      "update CADFUN set VLR_SALAR = -100 where CODFUN = '000003'",
                                      "update OCORRENC set VALOR = 1e16 where CODFUN = '000004' and TIPOFOLHA = 'F' and HCODIGO = '001'"})
            folha::testing::StoreBehindTheRegister(*db, statement);
    }
    const CliRun r = run({"calc", "--company", "1", "--branch", "001"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("Procedimento concluído!\n21 funcionário(s) calculado(s)\n3 funcionário(s) não calculado(s)\n"));
    const QStringList errors = r.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 3) << r.err.toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("CADFUN, campo VLR_SALAR (\"Valor Salário\"), registro CODFUN 000002: \"abc\" não é um número")));
    EXPECT_TRUE(errors[1].contains(QStringLiteral("registro CODFUN 000003: -100 é menor que o mínimo 0")));
    EXPECT_TRUE(errors[2].contains(QStringLiteral("OCORRENC, campo VALOR")) && errors[2].contains("CODFUN 000004") &&
                errors[2].contains(QStringLiteral("está fora da faixa")))
        << errors[2].toStdString();
    for (const char* code : {"000002", "000003", "000004"})
        EXPECT_EQ(run({"sql", "--company", "1",
                       QStringLiteral("select count(*) as N from OCORRENC where CODFUN = '%1' and FLAG = '*' and TIPOFOLHA = 'F'").arg(code)})
                      .out,
                  QStringLiteral("N\n0\n"))
            << code;
}

// Each job leaves its entry in this month's audit log, under the signed-in
// user, with the words the engine gives it.
TEST_F(CliTest, JobsLeaveTheirAuditEntries) {
    ASSERT_EQ(run({"calc", "--company", "1", "--branch", "001"}).status, 0);
    ASSERT_EQ(run({"--user", "000002", "thirteenth", "--company", "2", "--branch", "002"}, "operador").status, 0);
    ASSERT_EQ(run({"undo", "--company", "1", "--branch", "001", "--employee", "25", "--yes"}).status, 0);
    QStringList entries;
    for (const auto& r : auditEntries("Tabela = ?", {"OCORRENC"}))
        entries << r.text("Usuario") + " " + r.text("Acao") + " " + r.text("Log");
    EXPECT_EQ(entries,
              (QStringList{"000001 C Cálculo da folha, filial 001, funcionários (todos) a (todos): 24 calculado(s), " +
                               entries.value(0).section("calculado(s), ", 1),
                           "000002 C Cálculo do 13º salário, filial 002, funcionários (todos) a (todos): 5 calculado(s), " +
                               entries.value(1).section("calculado(s), ", 1),
                           "000001 E Descalcular 000025 04/2013 folha F: " + entries.value(2).section("folha F: ", 1)}));
    EXPECT_TRUE(entries.value(0).endsWith("registro(s) gravado(s)")) << entries.value(0).toStdString();
    EXPECT_TRUE(entries.value(2).endsWith(" registro(s)")) << entries.value(2).toStdString();
}

namespace {

// The date and time of a report header, which the command line takes from the clock.
QByteArray MaskClock(QByteArray bytes) {
    static const QRegularExpression moment("(DATA\\.:\\d\\d/\\d\\d/\\d{4}|HORA\\.:  \\d\\d:\\d\\d:\\d\\d)");
    QString text = QString::fromLatin1(bytes);
    text.replace(moment, "<clock>");
    return text.toLatin1();
}

TEST_F(CliTest, ReportOfCargosAsTextIsTheGoldenListing) {
    TempDir out;
    const QString file = out.file("cargos.txt");
    CliRun r = run({"report", "cargos", "--company", "1", "--order", "nome", "--format", "txt", "--output", file, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Relatório de Cargos: 6 registro(s), 1 página(s)")) << r.out.toStdString();
    QFile written(file), golden(QStringLiteral(FOLHA_SOURCE_DIR "/tests/reports/golden/TfoCadRelCargos.txt"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(MaskClock(written.readAll()), MaskClock(golden.readAll()));
}

TEST_F(CliTest, ReportAsHtmlByScreenName) {
    TempDir out;
    const QString file = out.file("linhas.html");
    CliRun r = run({"report", "TfoCadRelLinha", "--company", "1", "--format", "html", "--output", file, "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(html.startsWith("<!DOCTYPE html>"));
    EXPECT_EQ(html.count("<pre class=\"page\">"), 1);
    EXPECT_TRUE(html.contains("Relatório De Linhas"));
    EXPECT_TRUE(html.contains("     003       INTERMUNICIPAL                    4,65\n")) << html.toStdString();
}

TEST_F(CliTest, ReportRefusesUnknownListingOrderAndFormatWritingNothing) {
    TempDir out;
    const QString file = out.file("x.txt");
    struct Case {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{"report", "nada", "--company", "1", "--format", "txt", "--output", file, "--yes"}, "Relatório desconhecido: nada"},
        {{"report", "cargos", "--company", "1", "--order", "data", "--format", "txt", "--output", file, "--yes"}, "Ordem inválida: data"},
        {{"report", "cargos", "--company", "1", "--format", "doc", "--output", file, "--yes"}, "Formato inválido: doc"},
        {{"report", "cargos", "--company", "1", "--from", "1", "--format", "txt", "--output", file, "--yes"},
         "Relatório de Cargos não tem faixa de códigos (--from/--to)"},
    };
    for (const Case& c : cases) {
        CliRun r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}

// The register sheets and the vacation listing of a code range: one sheet
// per employee; the listing's rows are the range's employees only.
TEST_F(CliTest, ReportOfACodeRange) {
    TempDir out;
    struct Case {
        const char* name;
        const char* summary;
        QStringList present;
        QStringList absent;
    };
    const Case cases[] = {
        {"registro", "Registro do Funcionário: 2 registro(s), 2 página(s)",
         {"Código.........: 000003", "Código.........: 000004"}, {"Código.........: 000005"}},
        {"ferias", "Relatório de Férias: 2 registro(s), 1 página(s)", {" 000003  ", " 000004  "}, {" 000005  "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = out.file(QString(c.name) + ".txt");
        CliRun r = run({"report", c.name, "--company", "1", "--from", "3", "--to", "000004", "--format", "txt",
                        "--output", file, "--yes"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.summary))) << r.out.toStdString();
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(written.readAll());
        for (const QString& p : c.present) EXPECT_TRUE(text.contains(p)) << p.toStdString();
        for (const QString& a : c.absent) EXPECT_FALSE(text.contains(a)) << a.toStdString();
    }
}

TEST_F(CliTest, ReportNotConfirmedWritesNothing) {
    TempDir out;
    const QString file = out.file("x.txt");
    CliRun r = run({"report", "cargos", "--company", "1", "--format", "txt", "--output", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("Relatório não emitido.")) << r.out.toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

} // namespace
TEST_F(CliTest, ExportXlsxCutsAReportFileAndRemembersTheTitles) {
    const QString report = root.file("TMP20261207161530.IMP");
    {
        QFile f(report);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x0f\x1b" "2DEMO LTDA:FOLHA DE PAGAMENTO                       DATA.:07/12/2026\r\n"
                "ZORVAN SISTEMAS                                     HORA.:  16:15:30\r\n"
                "Relat\xf3rio de Cargos                                 PAG..:0000000001\r\n"
                "--------------------------------------------------------------------\r\n"
                " Codigo Nome\r\n"
                "--------------------------------------------------------------------\r\n"
                " 000123 ANALISTA\r\n"
                "\r\n"
                " 000124 AUXILIAR DE ESCRIT\xd3RIO\r\n");
    }
    const QString xlsx = root.file("cargos.xlsx");
    const QString titles = QStringLiteral("@Codigo@Nome                   @");
    CliRun r = run({"export-xlsx", report, "--titles", titles, "--output", xlsx, "--report", "TfoCadRelCargos"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, xlsx + "\nLinhas: 2\n");
    auto sheetXml = [&] {
        QProcess p;
        p.start("unzip", {"-p", xlsx, "xl/worksheets/sheet1.xml"});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    // A text cell of the sheet, whatever its style.
    auto cell = [](const QString& ref, const QString& text) {
        return QRegularExpression(QStringLiteral("<c r=\"%1\" s=\"\\d+\" t=\"inlineStr\"><is><t>%2</t></is></c>").arg(ref, text));
    };
    QString sheet = sheetXml();
    EXPECT_TRUE(sheet.contains("<mergeCell ref=\"A1:P1\"/>"));
    EXPECT_TRUE(sheet.contains(cell("B6", QStringLiteral("AUXILIAR DE ESCRITÓRIO")))) << sheet.toStdString();
    EXPECT_EQ(folha::ReadRememberedTitles(folha::Installation(root.path()), "TfoCadRelCargos"), titles);

    // The next export of the report takes the remembered titles.
    QFile::remove(xlsx);
    CliRun again = run({"export-xlsx", report, "--output", xlsx, "--report", "TfoCadRelCargos", "--no-header"});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    sheet = sheetXml();
    EXPECT_TRUE(sheet.contains("<t>Codigo</t>")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(cell("A2", "000123"))) << sheet.toStdString();

    CliRun none = run({"export-xlsx", report, "--output", xlsx});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.err.contains(QStringLiteral("Informe os títulos das colunas (--titles) ou o relatório (--report)."))) << none.err.toStdString();
}

namespace {

// Every file of the installation with its contents, to see that a refused job
// changed none of them.
QMap<QString, QByteArray> InstallationFiles(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.fileName().endsWith(".lock") || !f.open(QIODevice::ReadOnly)) continue;
        files.insert(f.fileName(), f.readAll());
    }
    return files;
}

} // namespace

// No output goes over a database or settings file of the installation, nor
// into its data folders, through any name; export-xlsx reads report files
// only. Each refusal is a failed job (1) that changed nothing, and the users
// can still sign in.
TEST_F(CliTest, NoJobWritesOverTheInstallationOrReadsItsDatabases) {
    TempDir outside;
    const QString r = root.path();
    // The installation's files on this backend, and links to them from elsewhere.
    QStringList targets;
    for (const QString& f : {r + "/c/folha/emp1/dados.sqlite", r + "/programa/LoginFolha/dados.sqlite",
                             r + "/programa/dados.sqlite", r + "/programa/Aliases.ini", r + "/programa/Servidor.ini"})
        if (QFile::exists(f)) targets << f;
    ASSERT_GE(targets.size(), 1);
    targets << r + "/programa/ini/novo.pdf";
    if (QFileInfo(r + "/c/folha/emp1/dados.sqlite").isFile()) targets << r + "/c/folha/emp1/relatorio.pdf";
    ASSERT_TRUE(QFile::link(targets.first(), outside.file("link.pdf")));
    targets << outside.file("link.pdf");
    // Any database, wherever it lies, is not a report's output.
    const QString otherDb = outside.file("outra.db");
    {
        QFile f(otherDb);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'));
    }
    targets << otherDb;

    const QString report = outside.file("TMP20261207161530.IMP");
    {
        QFile f(report);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(" 000123 ANALISTA\r\n");
    }
    const QMap<QString, QByteArray> before = InstallationFiles(r);
    auto refused = [](const CliRun& run1, const QStringList& job) {
        EXPECT_EQ(run1.status, 1) << job.join(' ').toStdString();
        EXPECT_TRUE(run1.err.contains(QStringLiteral("O arquivo de saída é uma base de dados do sistema")))
            << run1.err.toStdString();
    };
    // Every job that writes a file, over a company's database...
    const QString target = targets.first();
    const QList<QStringList> jobs = {
        {"report", "cargos", "--company", "1", "--format", "pdf", "--output", target, "--yes"},
        {"report", "cargos", "--company", "1", "--format", "xlsx", "--output", target, "--yes"},
        {"payroll-book", "--company", "1", "--format", "pdf", "--output", target, "--yes"},
        {"payslips", "--company", "1", "--output", target},
        {"payslips", "--company", "1", "--split", QFileInfo(target).path()},
        {"document", "TfoRelComproReciEPI", "--company", "1", "--employee", "1", "--equipment", "LUVA", "--format",
         "html", "--output", target, "--yes"},
        {"export-xlsx", report, "--titles", "@Codigo@Nome@", "--output", target},
        {"backup", "--output", target},
    };
    for (const QStringList& job : jobs) refused(run(job), job);
    // ... and one job over every file and folder of the installation.
    for (const QString& other : targets) {
        const QStringList job{"report", "cargos", "--company", "1", "--format", "txt", "--output", other, "--yes"};
        refused(run(job), job);
    }
    // Nor is a database read as a report: the names, CNPJ and salaries stay in.
    for (const QString& source : {targets.first(), otherDb}) {
        const CliRun read = run({"export-xlsx", source, "--titles", "@Codigo@Nome@", "--output", outside.file("x.xlsx")});
        EXPECT_EQ(read.status, 1);
        EXPECT_TRUE(read.err.contains(QStringLiteral("não é um relatório"))) << read.err.toStdString();
        EXPECT_FALSE(QFile::exists(outside.file("x.xlsx")));
    }
    EXPECT_TRUE(InstallationFiles(r) == before);
    const CliRun companies = run({"companies"});
    EXPECT_EQ(companies.status, 0) << companies.err.toStdString();
}

// Outputs that could not come out whole are refused before anything is
// written: too few lines for the report's header, a folder that does not
// exist, reversed intervals, impossible hours.
TEST_F(CliTest, OutputsThatCannotComeOutWholeAreRefused) {
    TempDir out;
    const QString file = out.file("x.txt");
    const QString missing = out.file("nao-existe");
    struct Case {
        QStringList args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"report", "cargos", "--company", "1", "--format", "txt", "--lines", "5", "--output", file, "--yes"}, 1,
         "Linhas por página insuficientes: 5."},
        {{"report", "registro", "--company", "1", "--format", "txt", "--lines", "4", "--output", file, "--yes"}, 1,
         "Linhas por página insuficientes: 4."},
        {{"payroll-book", "--company", "1", "--format", "txt", "--lines", "8", "--output", file, "--yes"}, 1,
         "Linhas por página insuficientes: 8."},
        {{"report", "cargos", "--company", "1", "--format", "txt", "--output", missing + "/x.txt", "--yes"}, 1,
         "não existe"},
        {{"payslips", "--company", "1", "--split", missing}, 1, "não existe"},
        {{"document", "TfoRelAvisoFerias", "--company", "1", "--from", "31/12/2026", "--to", "01/12/2026", "--format",
          "txt", "--output", file, "--yes"},
         2, "Data inicial maior que a data final"},
        {{"document", "TfoRelAcordoHoraTrabalho", "--company", "1", "--employee", "1", "--monday", "25:00-99:99",
          "--amount", "100", "--format", "txt", "--output", file, "--yes"},
         2, "Horário inválido em Segunda-feira: 25:00-99:99"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_FALSE(QFile::exists(missing));
    }
}

// The console's rows go out as the engine reads them, up to a stated limit:
// a query without end stops at the limit, and with no limit the first rows
// are out while the query still runs.
TEST_F(CliTest, SqlStreamsItsRowsAndStopsAtItsLimit) {
    const QString endless = "with recursive c(x) as (select 1 union all select x + 1 from c) select x from c";
    for (const auto& [limit, rows] : {std::pair<QString, int>{"1000", 1000}, {QString(), 100000}}) {
        QStringList args = {"sql", "--company", "1", endless};
        if (!limit.isEmpty()) args = QStringList{"sql", "--company", "1", "--limit", limit, endless};
        const CliRun r = run(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), rows + 1);
        EXPECT_EQ(lines.first(), QStringLiteral("x"));
        EXPECT_EQ(lines.last(), QString::number(rows));
        EXPECT_TRUE(r.err.contains(QStringLiteral("limite de %1 linhas atingido").arg(rows))) << r.err.toStdString();
    }
    for (const char* wrong : {"x", "-1"}) {
        const CliRun r = run({"sql", "--company", "1", "--limit", wrong, "select 1"});
        EXPECT_EQ(r.status, 2) << wrong;
        EXPECT_TRUE(r.err.contains("Limite de linhas inválido")) << r.err.toStdString();
    }

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ZORVAN_ROOT");
    env.insert("FOLHA_USER", "000001");
    env.insert("FOLHA_PASSWORD", "zorvan");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FOLHA_BIN_DIR "/folha"), {"--root", root.path(), "sql", "--company", "1", "--limit", "0", endless});
    p.closeWriteChannel();
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.count('\n') < 50000 && t.elapsed() < 120000 && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        got += p.readAllStandardOutput();
    }
    EXPECT_GE(got.count('\n'), 50000) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.state(), QProcess::Running);
    p.kill();
    p.waitForFinished(10000);
}

// The sign-in rules of the command line: an installation that had users
// never runs without one, a user without a password is told how to get
// one, failures wait and lock, and a supervisor lifts the lock.
TEST_F(CliTest, SignInRulesOfTheCommandLine) {
    folha::Session session{folha::Installation(root.path())};
    folha::Database& signIn = session.signInDb();
    {
        // Failures in a row: the third asks for a wait that holds the right
        // password back.
        for (int i = 0; i < 3; ++i) {
            const CliRun r = run({"--user", "000002", "companies"}, "errada");
            EXPECT_EQ(r.status, 3);
            EXPECT_TRUE(r.err.contains("Senha digitada não confere...")) << r.err.toStdString();
        }
        const CliRun held = run({"--user", "000002", "companies"}, "operador");
        EXPECT_EQ(held.status, 3);
        EXPECT_TRUE(held.err.contains("aguarde")) << held.err.toStdString();
        const CliRun list = run({"failed-sign-ins"});
        ASSERT_EQ(list.status, 0) << list.err.toStdString();
        EXPECT_EQ(list.out.count("000002,"), 4) << list.out.toStdString();
    }
    {
        // A lock holds until a supervisor lifts it.
        signIn.exec("DELETE FROM SituacaoAcesso WHERE Usuario = '000002'");
        signIn.exec("INSERT INTO SituacaoAcesso (Usuario, Falhas, UltimaFalha, BloqueadoAte) "
                    "VALUES ('000002', 10, '2000-01-01T00:00:00', '2999-01-01T00:00:00')");
        const CliRun locked = run({"--user", "000002", "companies"}, "operador");
        EXPECT_EQ(locked.status, 3);
        EXPECT_TRUE(locked.err.contains("está bloqueado")) << locked.err.toStdString();
        const CliRun lifted = run({"unlock-user", "000002"});
        ASSERT_EQ(lifted.status, 0) << lifted.err.toStdString();
        EXPECT_EQ(run({"--user", "000002", "companies"}, "operador").status, 0);
        // Only a supervisor reads the list and lifts a lock.
        for (const QStringList& args : {QStringList{"failed-sign-ins"}, QStringList{"unlock-user", "000002"}}) {
            const CliRun r = run(QStringList{"--user", "000002"} + args, "operador");
            EXPECT_EQ(r.status, 3) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("somente para usuários de nível SUP")) << r.err.toStdString();
        }
    }
    {
        // An empty password is refused, with the way to choose one.
        signIn.exec("UPDATE Usuarios SET Senha = '' WHERE Codigo = '000002'");
        for (const QString& password : {QString(""), QString("operador")}) {
            const CliRun r = run({"--user", "000002", "companies"}, password);
            EXPECT_EQ(r.status, 3);
            EXPECT_EQ(r.out, QString());
            if (password.isEmpty()) {
                EXPECT_TRUE(r.err.contains("FolhaZorvan")) << r.err.toStdString();
            }
        }
    }
    {
        // The user table emptied: still no command without a user.
        signIn.exec("DELETE FROM Usuarios");
        for (const QStringList& args : {QStringList{"companies"}, QStringList{"sql", "--company", "1", "--update", "delete from CADFUN"}}) {
            const CliRun r = runAnonymous(args);
            EXPECT_EQ(r.status, 3) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains("já teve usuários")) << r.err.toStdString();
            EXPECT_EQ(r.out, QString());
        }
    }
}

// A listing or document that selects nobody writes no file and says so: the
// job failed.
TEST_F(CliTest, WhatSelectsNobodyWritesNoFile) {
    TempDir out;
    const QString file = out.file("nada.pdf");
    struct Case {
        QStringList args;
        QStringList said;
    };
    const Case cases[] = {
        {{"report", "registro", "--company", "1", "--from", "900000", "--to", "900001"}, {"Nenhum registro a imprimir."}},
        {{"document", "TfoRelPedDemissao", "--company", "1", "--first", "900000", "--last", "900001"},
         {"Funcionario Nao Cadastrado", "Nenhum documento emitido."}},
        {{"document", "TfoRelDeclaraRendiPJ", "--company", "1", "--first", "1", "--last", "5"},
         {"Selecione o funcionário;", "Nenhum documento emitido."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = run(c.args + QStringList{"--format", "pdf", "--output", file, "--yes"});
        EXPECT_EQ(r.status, 1);
        for (const QString& s : c.said) EXPECT_TRUE(r.err.contains(s)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}
