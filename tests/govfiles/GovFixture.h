#pragma once
// A small hand-made company for the government files: one branch, the
// responsible party, the fixed occurrences and a few workers whose month
// rows are typed here, and the formatters the expected records are
// written with.
#include "CheckDigits.h"
#include "FixedRecords.h"
#include "ScriptedUi.h"
#include "Grrf.h"
#include "Sefip.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include "TestBackend.h"

namespace folha::gov::testing {

using Values = QList<QPair<QString, QVariant>>;

using namespace folha::test::records;

class GovFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.file("empresa1"));
        db->ensureSchema(Scope::Company);
        company(*db, "12345678909", "EMPRESA TESTE");
        put(*db, "RESPONSA", {{"COD_RES", "001"}, {"TIPO", "1"}, {"CGC", "44555666000181"}, {"NOME", "CONTABIL"},
                              {"CONTATO", "MARIA"}, {"ENDERECO", "RUA B"}, {"BAIRRO", "SE"}, {"CEP", "01002000"},
                              {"CIDADE", "SAO PAULO"}, {"UF", "SP"}, {"DDDFONE", "11"}, {"FONE", "32221000"},
                              {"E_MAIL", "a@b.c"}});
    }

    // Branch, roles, events and the job of a company database.
    void company(Database& target, const char* cgc, const char* name) {
        put(target, "Filial", {{"CODIGO", "001"}, {"NOME", name}, {"CGC", cgc}, {"FIL_ENDERE", "RUA A"},
                               {"FIL_BAIRRO", "CENTRO"}, {"FIL_CEP", "01001000"}, {"FIL_CIDADE", "SAO PAULO"},
                               {"FIL_ESTADO", "SP"}, {"FIL_FONE", "1132220000"}, {"COD_CNAE", "2599399"},
                               {"FIL_ALTEND", "N"}, {"FIL_ALTCNA", "N"}, {"PER_GRPS17", "2"}, {"SIMPLES", "1"},
                               {"COD_FPAS", "507"}, {"COD_GRPS18", "0115"}, {"COD_PAGA", "2100"},
                               {"DATA_FOLHA", QDate(2013, 4, 30)}, {"TIPO_FOL", "F"}, {"COD_RFGTS", "115"},
                               {"MODALIDADE", ""}, {"HISTSALMAT", "042"}});
        const char* roles[][2] = {{"011", "040"}, {"012", "110"}, {"013", "111"}, {"014", "112"}, {"015", "113"},
                                  {"031", "130"}, {"017", "121"}, {"019", "124"}, {"021", "127"}, {"100", "150"},
                                  {"101", "151"}, {"059", "134"}};
        for (auto& r : roles) put(target, "FIXAOCOR", {{"FCODIGO", r[0]}, {"FHISTORICO", r[1]}});
        for (const char* h : {"001", "040", "042", "110", "111", "112", "113", "130", "081"})
            put(target, "HISTFP", {{"HCODIGO", h}, {"HNOME", QStringLiteral("EVENTO %1").arg(h)},
                                   {"HACUMNOR", QString(h) == "081" ? 1 : 0}, {"HACUM13", QString(h) == "081" ? 1 : 0}});
        put(target, "HISTFP", {{"HCODIGO", "044"}, {"HNOME", "PENSAO"}, {"HPERC", "30"}});
        put(target, "Cargos", {{"COD_CARGOS", "001"}, {"NOME_CARGO", "AUXILIAR"}});
    }

    void put(Database& target, const QString& tableName, const Values& values) {
        Table t(target, tableName);
        Record r = t.newRecord();
        for (const auto& [k, v] : values) r.set(k, v);
        t.save(r);
    }
    void worker(Database& target, int n, const char* name, Values extra = {}) {
        const QString code = QStringLiteral("%1").arg(n, 6, 10, QChar('0'));
        Values v = {{"CODFUN", code}, {"NOME", name}, {"NR_PIS", PisWithCheckDigit(QString::number(12000000000LL + n * 1111LL).left(10))},
                    {"VINCULO", 1}, {"DT_ADMIS", QDate(2010, 3, 1)}, {"DT_OPCAO", QDate(2010, 3, 1)},
                    {"DT_NASC", QDate(1980, 1, 1)}, {"NR_CART", QString::number(1000 + n)}, {"SERIE", "123"},
                    {"CBO", "411005"}, {"CARGO", 1}, {"ENDERECO", "RUA X"}, {"BAIRRO", "BAIRRO Y"}, {"CEP", "01010000"},
                    {"CIDADE", "SAO PAULO"}, {"UF", "SP"}, {"SEXO", "M"}, {"INSTRUCAO", 7}, {"HR_SEMAN", 44},
                    {"NR_CPF", CpfWithCheckDigits(QString::number(100000000 + n))}, {"FLAG_13I", "N"}, {"FLAG_AVISO", "N"}};
        for (const auto& [k, val] : extra) {
            auto it = std::find_if(v.begin(), v.end(), [&](const auto& p) { return p.first == k; });
            if (it != v.end()) it->second = val;
            else v << qMakePair(k, val);
        }
        put(target, "CADFUN", v);
    }
    void row(Database& target, int n, const char* event, const char* valor, const char* sheet = "F",
             const char* year = "2013", const char* month = "04") {
        put(target, "OCORRENC", {{"OCORRANO", year}, {"OCORRMES", month}, {"TIPOFOLHA", sheet}, {"HCODIGO", event},
                                 {"CODFUN", QStringLiteral("%1").arg(n, 6, 10, QChar('0'))}, {"VALOR", valor},
                                 {"FLAG", "*"}});
    }
    void branch(const Values& values) {
        Table t(*db, "Filial");
        Record r = *t.find({"001"});
        for (const auto& [k, v] : values) r.set(k, v);
        t.save(r);
    }

    SefipOptions sefipOptions(const QString& code = QStringLiteral("115")) {
        SefipOptions o;
        o.branchCode = "001";
        o.collectionCode = code;
        o.modality = "";
        o.responsible = "1";
        o.outputPath = d.file("c/CAIXA/SEFIP/SEFIP.TXT");
        SefipCompany c;
        c.code = 1;
        c.name = "EMPRESA TESTE";
        c.db = db.get();
        o.companies.push_back(c);
        return o;
    }
    GrrfOptions grrfOptions() {
        GrrfOptions o;
        o.branchCode = "001";
        o.responsible = "1";
        o.withdrawalCode = "01";
        o.collectionDate = QDate(2013, 5, 10);
        o.noticeDate = QDate(2013, 3, 21);
        o.outputPath = d.file("c/CAIXA/GRRF/GRRF.TXT");
        o.companionPath = d.file("c/CAIXA/GRRF/GRRF.RE");
        o.companies.push_back(GovCompany{1, "EMPRESA TESTE", db.get()});
        return o;
    }

    // The file's records, without their CR LF; fails when a line is not a
    // 360-character record ending in "*" followed by CR LF.
    QStringList records(const QString& path) {
        const QStringList lines = CrlfRecords(path, 360);
        for (const QString& l : lines) EXPECT_TRUE(l.endsWith('*')) << l.toStdString();
        return lines;
    }

    TempDir d;
    std::unique_ptr<Database> db;
    ScriptedUi ui{{}, true};
};

} // namespace folha::gov::testing
