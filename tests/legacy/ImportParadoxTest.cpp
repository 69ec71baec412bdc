// The demo installation written as Paradox files and imported into a fresh
// installation: every row of every table comes back equal. Malformed files,
// refused rows, dry runs, targets holding data and plain passwords.
#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "FolhaProcess.h"
#include "ImportFixture.h"
#include "ImportParadox.h"
#include "ParadoxExport.h"
#include "ParadoxFile.h"
#include "Passwords.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace folha;
using namespace folha::legacy;
using namespace folha::legacy::importtest;

namespace {

// The demo installation once for all the tests, with a few texts given
// accents and memos, and its tables written as Paradox files: the
// installation's in CP1252, company 1's in CP850.
class Demo {
public:
    static Demo& get() {
        static Demo demo;
        return demo;
    }
    TempDir dir;
    std::unique_ptr<Session> session;
    ScriptedUi ui;
    QString companyDir;  // company 1's data directory
    QString installationFiles;
    QString companyFiles;
    std::unique_ptr<Database> company;

    ImportTargets installationTargets() {
        ImportTargets t;
        t.signIn = &session->signInDb();
        t.companyList = &session->companyListDb();
        t.shared = &session->zorvan();
        return t;
    }

private:
    Demo() {
        session = std::make_unique<Session>(Installation(dir.file("demo")));
        BuildDemo(*session, ui);
        session->startUp(ui);
        auto row = Table(session->companyListDb(), "EmpresaFOLHA").find({1});
        companyDir = session->companyDirectory(row->text("Diretorio"));
        company = session->openCompanyDirectory(companyDir);
        // Accented texts in both code pages, and memos in the record and in
        // the memo file.
        Table cadfun(*company, "CADFUN");
        auto first = cadfun.select().front();
        first.set("NOME", QStringLiteral("JOSÉ DA CONCEIÇÃO ÂNGELO"));
        cadfun.update(first);
        Table params(session->zorvan(), "ParametrosEmpresa");
        Record p = params.newRecord();
        p.set("filial", 1).set("CodParametro", 99).set("NomeParametro", QStringLiteral("OBSERVAÇÃO"));
        p.set("DescParametro", QStringLiteral("Descrição acentuada"));
        p.set("ValorWide", QStringLiteral("Memo longo que não cabe no registro: São Paulo, Ceará, Paraná, Piauí."));
        p.set("ValorOleObject", QStringLiteral("curto"));
        p.set("ValorNumerico", QVariant::fromValue(*Fixed::parse("-1234.5678"))).set("ValorBoolean", true);
        params.insert(p);

        installationFiles = dir.file("paradox/instalacao");
        companyFiles = dir.file("paradox/empresa1");
        for (const TableDef* def : ImportableTables(ImportMode::Installation)) {
            Database* db = installationTargets().of(def->scope);
            if (db->hasTable(def->name)) WriteParadoxTable(*db, *def, installationFiles, 1252);
        }
        for (const TableDef* def : ImportableTables(ImportMode::Company))
            if (company->hasTable(def->name)) WriteParadoxTable(*company, *def, companyFiles, 850);
    }
};

// Every row of a table equal in both databases, in key order.
void expectSameRows(Database& from, Database& to, const TableDef& def) {
    SCOPED_TRACE(def.name.toStdString());
    if (!from.hasTable(def.name)) return;
    const auto want = Table(from, def).select({}, {}, def.primaryKey.join(", "));
    const auto got = Table(to, def).select({}, {}, def.primaryKey.join(", "));
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        for (int f = 0; f < int(def.fields.size()); ++f) {
            const QVariant a = want[i].rawValue(f), b = got[i].rawValue(f);
            if (a.typeId() == qMetaTypeId<Fixed>() || b.typeId() == qMetaTypeId<Fixed>())
                EXPECT_EQ(a.value<Fixed>().raw(), b.value<Fixed>().raw())
                    << want[i].keyText().toStdString() << " " << def.fields[size_t(f)].name.toStdString();
            else
                EXPECT_EQ(a, b) << want[i].keyText().toStdString() << " " << def.fields[size_t(f)].name.toStdString() << ": "
                                << a.toString().toStdString() << " / " << b.toString().toStdString();
        }
    }
}

} // namespace

TEST(ImportParadox, DemoComesBackRowForRow) {
    Demo& demo = Demo::get();
    Fresh fresh;
    const ImportResult inst = ImportParadox(fresh.installation(), options(ImportMode::Installation, demo.installationFiles), fresh.ui);
    EXPECT_EQ(inst.totalRefused(), 0);
    EXPECT_EQ(inst.failedFiles(), 0);
    EXPECT_TRUE(inst.skipped.isEmpty()) << inst.skipped.join('\n').toStdString();
    for (const TableDef* def : ImportableTables(ImportMode::Installation))
        expectSameRows(*demo.installationTargets().of(def->scope), *fresh.installation().of(def->scope), *def);

    const ImportResult co = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles), fresh.ui);
    EXPECT_EQ(co.totalRefused(), 0);
    EXPECT_EQ(co.failedFiles(), 0);
    EXPECT_GT(co.totalImported(), 100);
    EXPECT_EQ(co.totalImported(), co.totalRead());
    int tables = 0;
    for (const TableDef* def : ImportableTables(ImportMode::Company)) {
        if (!demo.company->hasTable(def->name)) continue;
        ++tables;
        const TableImport* t = reportOf(co, def->name);
        ASSERT_NE(t, nullptr) << def->name.toStdString();
        EXPECT_EQ(t->imported, rowsOf(*demo.company, def->name)) << def->name.toStdString();
        expectSameRows(*demo.company, *fresh.company, *def);
    }
    EXPECT_EQ(co.tables.size(), tables);
    // The accents went through CP850 and back.
    EXPECT_EQ(Table(*fresh.company, "CADFUN").count("NOME = ?", {QStringLiteral("JOSÉ DA CONCEIÇÃO ÂNGELO")}), 1);
    // Progress covered every row read.
    EXPECT_TRUE(fresh.ui.texts("progress").contains(QStringLiteral("step %1").arg(co.totalRead())));
}

TEST(ImportParadox, DryRunWritesNothing) {
    Demo& demo = Demo::get();
    Fresh fresh;
    const ImportResult r = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles, true), fresh.ui);
    EXPECT_TRUE(r.dryRun);
    EXPECT_EQ(r.totalImported(), r.totalRead());
    EXPECT_EQ(reportOf(r, "CADFUN")->imported, rowsOf(*demo.company, "CADFUN"));
    for (const TableDef* def : ImportableTables(ImportMode::Company))
        EXPECT_EQ(rowsOf(*fresh.company, def->name), 0) << def->name.toStdString();
    EXPECT_TRUE(ImportSummaryText(r).startsWith(QStringLiteral("Simulação: nenhum dado foi gravado.")));
}

TEST(ImportParadox, TargetHoldingRowsNeedsReplace) {
    Demo& demo = Demo::get();
    Fresh fresh;
    ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles), fresh.ui);
    const qint64 events = rowsOf(*fresh.company, "OCORRENC");
    ASSERT_GT(events, 0);
    // An extra row that a replace must remove.
    Table cargos(*fresh.company, "Cargos");
    Record extra = cargos.newRecord();
    extra.set("COD_CARGOS", "999");
    cargos.insert(extra);
    const qint64 positions = rowsOf(*fresh.company, "Cargos");
    try {
        ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles), fresh.ui);
        ADD_FAILURE() << "imported over existing rows";
    } catch (const UserError& e) {
        EXPECT_TRUE(e.message().contains("--replace")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("OCORRENC (%1 linhas)").arg(events))) << e.message().toStdString();
    }
    EXPECT_EQ(rowsOf(*fresh.company, "Cargos"), positions);
    const ImportResult r = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles, false, true), fresh.ui);
    EXPECT_EQ(r.totalRefused(), 0);
    EXPECT_EQ(rowsOf(*fresh.company, "OCORRENC"), events);
    EXPECT_EQ(rowsOf(*fresh.company, "Cargos"), positions - 1);
}

TEST(ImportParadox, BadFilesAndRowsAreReportedAndTheRestImported) {
    Demo& demo = Demo::get();
    TempDir files;
    const QDir from(demo.companyFiles);
    for (const char* name : {"CADFUN.db", "OCORRENC.db", "Cargos.db", "HISTFP.db"})
        ASSERT_TRUE(QFile::copy(from.filePath(QLatin1String(name)), files.file(QLatin1String(name)))) << name;
    // A truncated file and a file that is not Paradox.
    {
        QFile f(files.file("OCORRENC.db"));
        ASSERT_TRUE(f.resize(f.size() / 2));
        QFile t(files.file("Cargos.db"));
        ASSERT_TRUE(t.open(QIODevice::WriteOnly | QIODevice::Truncate));
        t.write(QByteArray("COD_CARGOS;NOME_CARGO\n001;GERENTE\n").repeated(100));
    }
    // A table the system does not know.
    {
        ParadoxWriter w(files.file("ESTOQUE.DB"), {{"ITEM", ParadoxType::Alpha, 10, 0}});
        w.append({QStringLiteral("PARAFUSO")});
    }
    // Banks: a name too long for the register, a duplicate key, a good row.
    {
        ParadoxWriter w(files.file("BANCO.DB"),
                        {{"COD_BANCO", ParadoxType::Alpha, 8, 0}, {"NOME", ParadoxType::Alpha, 200, 0}});
        w.append({QStringLiteral("001"), QStringLiteral("BANCO DO BRASIL")});
        w.append({QStringLiteral("237"), QString(120, QChar('X'))});
        w.append({QStringLiteral("001"), QStringLiteral("OUTRO COM O MESMO CÓDIGO")});
        w.append({QStringLiteral("341"), QStringLiteral("ITAÚ")});
    }
    Fresh fresh;
    const ImportResult r = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, files.path()), fresh.ui);

    const struct {
        const char* table;
        qint64 imported;
        qint64 refused;
        const char* error; // start of the file's message; empty: read whole
    } expected[] = {
        {"CADFUN", rowsOf(*demo.company, "CADFUN"), 0, ""},
        {"HISTFP", rowsOf(*demo.company, "HISTFP"), 0, ""},
        {"OCORRENC", 0, 0, "O arquivo OCORRENC.db está danificado: arquivo truncado"},
        {"Cargos", 0, 0, "O arquivo Cargos.db está danificado: não é uma tabela Paradox"},
        {"BANCO", 2, 2, ""},
    };
    ASSERT_EQ(r.tables.size(), std::size(expected));
    for (const auto& e : expected) {
        const TableImport* t = reportOf(r, e.table);
        ASSERT_NE(t, nullptr) << e.table;
        EXPECT_EQ(t->imported, e.imported) << e.table;
        EXPECT_EQ(t->refused, e.refused) << e.table;
        if (*e.error)
            EXPECT_TRUE(t->error.startsWith(QString::fromUtf8(e.error))) << e.table << ": " << t->error.toStdString();
        else
            EXPECT_TRUE(t->error.isEmpty()) << e.table << ": " << t->error.toStdString();
        EXPECT_EQ(rowsOf(*fresh.company, e.table), e.imported) << e.table;
    }
    ASSERT_EQ(r.refusals.size(), 2);
    EXPECT_EQ(r.refusals[0].table, "BANCO");
    EXPECT_EQ(r.refusals[0].row, 2);
    EXPECT_EQ(r.refusals[0].field, "NOME");
    EXPECT_TRUE(r.refusals[0].reason.contains(QStringLiteral("no máximo"))) << r.refusals[0].reason.toStdString();
    EXPECT_EQ(r.refusals[1].row, 3);
    EXPECT_EQ(r.refusals[1].field, "COD_BANCO");
    EXPECT_TRUE(r.refusals[1].reason.startsWith(QStringLiteral("chave duplicada (COD_BANCO 001): já importada da linha 1")))
        << r.refusals[1].reason.toStdString();
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_EQ(r.skipped[0], QStringLiteral("ESTOQUE.DB: tabela desconhecida, não importada"));
    EXPECT_EQ(Table(*fresh.company, "BANCO").find({QStringLiteral("341")})->text("NOME"), QStringLiteral("ITAÚ"));
    // Each refusal reaches the log with its table, row and field.
    EXPECT_TRUE(fresh.ui.texts("log").contains(QStringLiteral("BANCO, linha 3, campo COD_BANCO: %1").arg(r.refusals[1].reason)));
    const QString summary = ImportSummaryText(r);
    EXPECT_TRUE(summary.contains(QRegularExpression(QStringLiteral("BANCO\\s+4\\s+2\\s+2")))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("ESTOQUE.DB: tabela desconhecida"))) << summary.toStdString();
}

TEST(ImportParadox, PlainPasswordsAreStoredHashed) {
    TempDir files;
    {
        const TableDef& def = Registry::instance().require("Usuarios");
        ParadoxWriter w(files.file("USUARIOS.DB"), ParadoxFieldsFor(def));
        QVariantList row;
        for (const FieldDef& f : def.fields) {
            if (f.name == "Codigo") row << QStringLiteral("000007");
            else if (f.name == "Nome") row << QStringLiteral("CONCEIÇÃO");
            else if (f.name == "Senha") row << QStringLiteral("segredo");
            else if (f.name == "Nivel") row << QStringLiteral("SUP");
            else row << QVariant();
        }
        w.append(row);
    }
    Fresh fresh;
    const ImportResult r = ImportParadox(fresh.installation(), options(ImportMode::Installation, files.path()), fresh.ui);
    EXPECT_EQ(r.totalImported(), 1);
    const auto user = Table(fresh.session.signInDb(), "Usuarios").find({QStringLiteral("000007")});
    ASSERT_TRUE(user.has_value());
    const QString stored = user->text("Senha");
    EXPECT_TRUE(IsPasswordHash(stored)) << stored.toStdString();
    bool legacy = true;
    EXPECT_TRUE(CheckPassword(QStringLiteral("segredo"), stored, &legacy));
    EXPECT_FALSE(legacy);
    EXPECT_FALSE(CheckPassword(QStringLiteral("SEGREDO"), stored));
}

TEST(ImportParadox, CancelLeavesTheTableInProgressUntouched) {
    Demo& demo = Demo::get();
    Fresh fresh;
    fresh.ui.cancelAfterSteps = 1;
    const ImportResult r = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, demo.companyFiles), fresh.ui);
    EXPECT_TRUE(r.cancelled);
    ASSERT_FALSE(r.tables.isEmpty());
    EXPECT_EQ(r.tables.last().imported, 0);
    EXPECT_EQ(rowsOf(*fresh.company, r.tables.last().table), 0);
    EXPECT_TRUE(ImportSummaryText(r).contains(QStringLiteral("Importação interrompida pelo usuário.")));
}

TEST(ImportParadox, FolderWithoutTablesIsRefused) {
    TempDir empty;
    Fresh fresh;
    const struct {
        QString dir;
        QString message;
    } cases[] = {
        {empty.path(), QStringLiteral("Nenhuma tabela Paradox da empresa encontrada em %1").arg(empty.path())},
        {empty.file("nao-existe"), QStringLiteral("Pasta não encontrada: %1").arg(empty.file("nao-existe"))},
    };
    for (const auto& c : cases) {
        try {
            ImportParadox(fresh.companyTargets(), options(ImportMode::Company, c.dir), fresh.ui);
            ADD_FAILURE() << c.dir.toStdString();
        } catch (const UserError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

// The command line: a new installation from the files, then company 1 into
// it, with the summary's counts.
TEST(ImportParadoxCli, NewInstallationAndCompanyWithSummary) {
    Demo& demo = Demo::get();
    TempDir root;
    folha::testing::PrepareInstallation(root.path());
    const auto inst = test::RunFolha(root.path(), {"import-paradox", "--installation", demo.installationFiles});
    ASSERT_EQ(inst.status, 0) << inst.err.toStdString() << inst.out.toStdString();
    EXPECT_TRUE(inst.out.contains(QRegularExpression(QStringLiteral("Usuarios\\s+2\\s+2\\s+0")))) << inst.out.toStdString();

    const auto dry = test::RunFolha(root.path(), {"import-paradox", "--company", "1", "--dry-run", demo.companyFiles});
    ASSERT_EQ(dry.status, 0) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.startsWith(QStringLiteral("Simulação"))) << dry.out.toStdString();

    const auto co = test::RunFolha(root.path(), {"import-paradox", "--company", "1", demo.companyFiles});
    ASSERT_EQ(co.status, 0) << co.err.toStdString() << co.out.toStdString();
    const qint64 employees = rowsOf(*demo.company, "CADFUN"), events = rowsOf(*demo.company, "OCORRENC");
    EXPECT_TRUE(co.out.contains(QRegularExpression(QStringLiteral("CADFUN\\s+%1\\s+%1\\s+0").arg(employees)))) << co.out.toStdString();
    EXPECT_TRUE(co.out.contains(QRegularExpression(QStringLiteral("OCORRENC\\s+%1\\s+%1\\s+0").arg(events)))) << co.out.toStdString();

    // Again without --replace: refused, nothing changed.
    const auto again = test::RunFolha(root.path(), {"import-paradox", "--company", "1", demo.companyFiles});
    EXPECT_EQ(again.status, 2);
    EXPECT_TRUE(again.err.contains("--replace")) << again.err.toStdString();

    // The imported installation signs in with the demo's supervisor and
    // reads the company's employees.
    const auto sql = test::RunFolha(root.path(), {"sql", "--company", "1", "SELECT COUNT(*) FROM CADFUN"});
    ASSERT_EQ(sql.status, 0) << sql.err.toStdString();
    EXPECT_TRUE(sql.out.contains(QStringLiteral("\n%1").arg(employees))) << sql.out.toStdString();
}
