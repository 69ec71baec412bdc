// `folha legal-tables` and `folha explain`, run as a user runs them on a
// demo installation: the tables listed with their source, written and read
// back, a refused file leaving the stored tables as they were, and the
// formula of a calculated row.
#include "DemoInstallationCli.h"
#include "TempDir.h"

#include "Installation.h"
#include "Session.h"
#include "Table.h"
#include "TestBackend.h"

#include <QDate>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using folha::test::FolhaRun;

// One demo installation for the suite; each test works on a copy.
class LegalTablesCli : public folha::test::DemoInstallationCli {
protected:
    // Signed in as the demo's supervisor, or as `user` with `password`.
    FolhaRun run(const QStringList& args, const QString& user = "000001", const QString& password = "zorvan") {
        return folha::test::RunFolha(root.path(), args, {"FOLHA_USER=" + user, "FOLHA_PASSWORD=" + password});
    }
    // The stored tables as `legal-tables export` writes them.
    QByteArray exported(const TempDir& dir, const QString& name) {
        const QString file = dir.file(name);
        const FolhaRun r = run({"legal-tables", "export", file});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    // The audit entries of this month on `table`: "screen|action|user|text".
    QStringList auditEntries(const QString& table) {
        folha::Session session{folha::Installation(root.path())};
        const QDate today = QDate::currentDate();
        const folha::TableDef log = folha::Registry::instance().auditLogTable(today.month(), today.year());
        folha::Database& db = session.zorvan();
        db.ensureTable(log);
        QStringList entries;
        for (const folha::Record& r : folha::Table(db, log).select(QStringLiteral("Tabela = ?"), {table}))
            entries << QStringList{r.text("Janela").trimmed(), r.text("Acao"), r.text("Usuario"), r.text("Log")}.join('|');
        return entries;
    }
    static void write(const QString& file, const QByteArray& text) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
};

TEST_F(LegalTablesCli, ListShowsTheTablesInForceWithTheirSource) {
    struct Case {
        QStringList args;
        int status;
        QStringList shown;    // lines of the standard output, each whole
        QString absent;       // a text the output must not hold
        QString error;        // a text of the standard error
    } cases[] = {
        {{"--kind", "INSS", "--competence", "03/2026"},
         0,
         {"INSS — INSS do empregado (faixas progressivas)",
          "  a partir de 01/2026 — Portaria Interministerial MPS/MF nº 13, de 09/01/2026",
          "    faixa 1: até 1.621,00; 7,5 %", "    faixa 4: até 8.475,55; 14 %"},
         "2025",
         {}},
        {{"--kind", "inss"},
         0,
         {"  01/2025 a 12/2025 — Portaria Interministerial MPS/MF nº 6, de 10/01/2025",
          "  a partir de 01/2026 — Portaria Interministerial MPS/MF nº 13, de 09/01/2026"},
         "SALMIN",
         {}},
        {{"--competence", "01/2019"}, 1, {}, "faixa", "Nenhuma tabela legal em vigor em 01/2019"},
        {{"--kind", "INPC"}, 2, {}, "faixa", "Tipo de tabela desconhecido: INPC"},
        {{"--competence", "13/2026"}, 2, {}, "faixa", "Competência inválida: 13/2026 (use MM/AAAA)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const FolhaRun r = run(QStringList{"legal-tables", "list"} + c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        const QStringList lines = r.out.split('\n');
        for (const QString& line : c.shown) EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(c.absent)) << r.out.toStdString();
        if (!c.error.isEmpty()) {
            EXPECT_TRUE(r.err.contains(c.error)) << r.err.toStdString();
        }
    }
}

TEST_F(LegalTablesCli, ExportThenImportReplacesEveryTableWithTheSameRows) {
    TempDir dir;
    const QByteArray before = exported(dir, "antes.csv");
    ASSERT_TRUE(before.startsWith("tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte\n"));
    EXPECT_TRUE(before.contains("INSS;01/2026;;1;1621;7,5;;;Portaria Interministerial MPS/MF nº 13, de 09/01/2026\n"));
    // Every row of the file is a stored row: the tables are its distinct
    // kinds and first competences.
    QSet<QString> tables;
    const QList<QByteArray> lines = before.trimmed().split('\n').mid(1);
    for (const QByteArray& line : lines) tables.insert(QString::fromUtf8(line.split(';').mid(0, 2).join(';')));

    const FolhaRun r = run({"legal-tables", "import", dir.file("antes.csv")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Tabelas legais importadas: 0 tabela(s) nova(s) (0 linha(s)), %1 tabela(s) substituída(s) (%2 linha(s))\n")
                         .arg(tables.size())
                         .arg(lines.size()));
    EXPECT_EQ(exported(dir, "depois.csv"), before);
    // The import left its entry in the audit log.
    EXPECT_EQ(auditEntries("TabelasLegais"),
              QStringList{QStringLiteral("folha legal-tables|E|000001|Tabelas legais importadas de %1: 0 tabela(s) nova(s) "
                                         "(0 linha(s)), %2 tabela(s) substituída(s) (%3 linha(s))")
                              .arg(dir.file("antes.csv"))
                              .arg(tables.size())
                              .arg(lines.size())});

    // Never over a file of the installation.
    const FolhaRun over = run({"legal-tables", "export", root.path() + "/programa/tabelas.csv"});
    EXPECT_EQ(over.status, 1);
    EXPECT_TRUE(over.err.contains("O arquivo de saída é uma base de dados do sistema")) << over.err.toStdString();
    EXPECT_FALSE(QFile::exists(root.path() + "/programa/tabelas.csv"));
}

TEST_F(LegalTablesCli, RefusedImportListsEveryFaultAndStoresNothing) {
    struct Case {
        const char* name;
        QByteArray csv;
        QString user, password;
        int status;
        QStringList faults;
    } cases[] = {
        {"validade sobreposta",
         "SALMIN;01/2025;12/2026;1;;;;1518,00;Decreto 12.342, de 30/12/2024\n",
         "000001", "zorvan", 1,
         {"  Tabela SALMIN de 01/2026: a vigência se sobrepõe à da tabela de 01/2025."}},
        {"faixa faltando e validade sobreposta",
         "INSS;01/2027;;1;1700,00;7,5;;;Tabela de teste\n"
         "INSS;01/2027;;2;3000,00;9;;;Tabela de teste\n"
         "INSS;01/2027;;4;9000,00;14;;;Tabela de teste\n"
         "SALMIN;01/2025;;1;;;;1518,00;Decreto 12.342, de 30/12/2024\n",
         "000001", "zorvan", 1,
         {"  Tabela INSS de 01/2027: faixas incompletas (falta a faixa 3).",
          "  Tabela SALMIN de 01/2026: a vigência se sobrepõe à da tabela de 01/2025."}},
        {"linha malformada",
         "tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte\nSALMIN;01/2027;;1;;;;1.700,00\n",
         "000001", "zorvan", 1,
         {"  Linha 2: são 9 colunas separadas por \";\" (tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte)."}},
        {"usuário que não é supervisor",
         "SALMIN;01/2027;;1;;;;1700,00;Tabela de teste\n",
         "000002", "operador", 3,
         {"Erro: Importar tabelas legais é liberado somente para usuários de nível SUP"}},
    };
    TempDir dir;
    const QByteArray before = exported(dir, "antes.csv");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(dir.file("tabelas.csv"), c.csv);
        const FolhaRun r = run({"legal-tables", "import", dir.file("tabelas.csv")}, c.user, c.password);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
        const QStringList lines = r.err.split('\n');
        for (const QString& fault : c.faults)
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(fault); }))
                << fault.toStdString() << "\n" << r.err.toStdString();
        if (c.status == 1) {
            EXPECT_TRUE(r.err.contains("não importadas; nada foi gravado")) << r.err.toStdString();
        }
        EXPECT_EQ(exported(dir, "depois.csv"), before);
    }
    EXPECT_EQ(auditEntries("TabelasLegais"), QStringList());
}

TEST_F(LegalTablesCli, NextYearsMinimumWageIsInForceFromItsFirstCompetence) {
    TempDir dir;
    // A made-up figure: the test needs a table newer than any shipped. The
    // file is saved as spreadsheets save it, with the UTF-8 mark and a header.
    write(dir.file("salmin.csv"), "\xEF\xBB\xBFtipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte\r\n"
                                  "SALMIN;01/2027;;1;;;;1.700,00;Tabela de teste\r\n");
    const FolhaRun r = run({"legal-tables", "import", dir.file("salmin.csv")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Tabelas legais importadas: 1 tabela(s) nova(s) (1 linha(s)), 0 tabela(s) substituída(s) (0 linha(s))\n"
                     "Tabela SALMIN de 01/2026 encerrada em 12/2026\n");
    const struct {
        const char* competence;
        QString listed;
    } cases[] = {
        {"01/2027", "SALMIN — Salário mínimo\n  a partir de 01/2027 — Tabela de teste\n    faixa 1: valor 1.700,00\n"},
        {"12/2026", "SALMIN — Salário mínimo\n  01/2026 a 12/2026 — Decreto 12.797, de 23/12/2025\n    faixa 1: valor 1.621,00\n"},
    };
    for (const auto& c : cases) {
        const FolhaRun list = run({"legal-tables", "list", "--kind", "SALMIN", "--competence", c.competence});
        EXPECT_EQ(list.status, 0) << list.err.toStdString();
        EXPECT_EQ(list.out, c.listed) << c.competence;
    }
}

TEST_F(LegalTablesCli, ExplainShowsTheInssFormulaOfACalculatedEmployee) {
    const QStringList sheet{"--company", "1", "--branch", "001"};
    ASSERT_EQ(run(QStringList{"set-period"} + sheet + QStringList{"--date", "31/01/2026", "--sheet", "F"}).status, 0);
    const FolhaRun none = run(QStringList{"explain"} + sheet + QStringList{"--employee", "25"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains("Nenhum registro calculado para 000025 YARA TETO INSS, 01/2026, folha F")) << none.err.toStdString();

    // A salary of 5.200,00 for 220 hours typed for 01/2026.
    ASSERT_EQ(run(QStringList{"sql", "--company", "1", "--update",
                              "INSERT INTO OCORRENC (OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REFER, VALOR, CENTCUSTO, FLAG) "
                              "VALUES ('2026', '01', 'F', '001', '000025', 220, 5200, 'ADM', '')"})
                  .status,
              0);
    ASSERT_EQ(run(QStringList{"calc"} + sheet + QStringList{"--from", "25", "--to", "25"}).status, 0);
    const FolhaRun r = run(QStringList{"explain"} + sheet + QStringList{"--employee", "25"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "000025 YARA TETO INSS, 01/2026, folha F");
    // 1.621,00 × 7,5 % = 121,575, cut to 121,57; 1.281,84 × 9 % = 115,3656;
    // 1.451,43 × 12 % = 174,1716; 845,73 × 14 % = 118,4022: 529,50.
    const QStringList expected[] = {
        {"001 SALARIO  referência 220.00  valor 5200.00  (informada)", "    regra: Valorização da ocorrência (regra 1)",
         "    1,00 × 220,00 × 5.200,00 ÷ 220,00 horas = 5.200,00"},
        {"110 INSS  referência 0.00  valor 529.50", "    regra: INSS",
         "    INSS 01/2026: 1.621,00 × 7,5 % = 121,57 + (2.902,84 - 1.621,00) × 9 % = 115,36 + (4.354,27 - 2.902,84) × 12 % "
         "= 174,17 + (5.200,00 - 4.354,27) × 14 % = 118,40 => 529,50 [Portaria Interministerial MPS/MF nº 13, de 09/01/2026, "
         "vigência a partir de 01/2026]"},
    };
    for (const QStringList& row : expected) {
        const qsizetype at = lines.indexOf(row.first());
        ASSERT_GE(at, 0) << row.first().toStdString() << "\n" << r.out.toStdString();
        EXPECT_EQ(lines.mid(at, row.size()), row) << r.out.toStdString();
    }
}

} // namespace
