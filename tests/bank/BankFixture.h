#pragma once
// A small company for the salary-payment files: one branch paying through
// Itaú (its own layout; setBank moves it to a FEBRABAN bank), the role of
// the net, and employees with and without usable bank
// accounts whose nets of January 2026 are typed here; the pieces the
// expected records are written with.
#include "BankFile.h"
#include "BankReturn.h"
#include "CheckDigits.h"
#include "FixedRecords.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QFile>
#include <gtest/gtest.h>

namespace folha::bank::testing {

using Values = QList<QPair<QString, QVariant>>;

using namespace folha::test::records;

inline QString Cpf(int n) { return CpfWithCheckDigits(QString::number(200000000 + n)); }

class BankFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.file("empresa1"));
        db->ensureSchema(Scope::Company);
        put("Filial", {{"CODIGO", "001"}, {"NOME", "EMPRESA TESTE LTDA"}, {"CGC", "11222333000181"},
                       {"FIL_ENDERE", "RUA A"}, {"FIL_NUMERO", 100}, {"FIL_CIDADE", "SÃO PAULO"},
                       {"FIL_CEP", "01001000"}, {"FIL_ESTADO", "SP"}, {"DATA_FOLHA", QDate(2026, 1, 31)},
                       {"TIPO_FOL", "F"}, {"BCO_PAGTO", "341"}, {"CONVENIO", "123456"}, {"AG_PAGTO", "1234"},
                       {"AG_PAGDV", ""}, {"CTA_PAGTO", "56789"}, {"CTA_PAGDV", "0"}, {"NSA_PAGTO", 4}});
        put("FIXAOCOR", {{"FCODIGO", "028"}, {"FHISTORICO", "300"}});
        employee(1, "JOSÉ DA SILVA", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 11111}, {"CTA_DV", "5"}});
        employee(2, "MARIA CONCEIÇÃO", {{"COD_BANCO", 1}, {"AG_FUNC", "2345"}, {"AG_DV", "6"}, {"NR_CONTA", 22222},
                                       {"CTA_DV", "x"}, {"NR_ENDER", "12"}});
        employee(3, "PEDRO SEM CONTA", {});
        employee(4, "ANA SEM DIGITO", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 44444}});
        employee(5, "CARLOS SEM LIQUIDO", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 55555}, {"CTA_DV", "2"}});
        employee(6, "RITA ITAU", {{"COD_BANCO", 341}, {"AG_FUNC", "321"}, {"NR_CONTA", 66666}, {"CTA_DV", "1"}});
        employee(7, "TIAGO CHEQUE", {{"COD_BANCO", 341}, {"AG_FUNC", "1234"}, {"NR_CONTA", 77777}, {"CTA_DV", "7"},
                                    {"CHEQUE", 1}});
        net(1, "1500.00");
        net(2, "2345.67");
        net(3, "1000.00");
        net(4, "800.00");
        net(5, "0");
        net(6, "999.99");
        net(7, "1200.00");
        // Another sheet and another month are not paid by this file.
        net(1, "600.00", "A");
        net(2, "700.00", "F", "12");
    }

    void put(const QString& table, const Values& values) {
        Table t(*db, table);
        Record r = t.newRecord();
        for (const auto& [k, v] : values) r.set(k, v);
        t.save(r);
    }
    // The branch's paying bank (page Banco).
    void setBank(const QString& code) {
        Table t(*db, QStringLiteral("Filial"));
        Record r = *t.find({"001"});
        r.set("BCO_PAGTO", code);
        t.update(r);
    }
    // The layout versions set on the branch's page Banco.
    void setVersions(const QString& file, const QString& batch) {
        Table t(*db, QStringLiteral("Filial"));
        Record r = *t.find({"001"});
        r.set("VER_ARQ", file);
        r.set("VER_LOTE", batch);
        t.update(r);
    }
    void employee(int n, const char* name, const Values& extra) {
        Values v = {{"CODFUN", QStringLiteral("%1").arg(n, 6, 10, QChar('0'))}, {"NOME", name}, {"NR_CPF", Cpf(n)},
                    {"ENDERECO", "RUA X"}, {"BAIRRO", "BAIRRO Y"}, {"CIDADE", "SAO PAULO"}, {"UF", "SP"},
                    {"CEP", "01010000"}, {"CONDICAO", 1}};
        v += extra;
        put("CADFUN", v);
    }
    void net(int n, const char* value, const char* sheet = "F", const char* month = "01") {
        put("OCORRENC", {{"OCORRANO", month == QLatin1String("12") ? "2025" : "2026"}, {"OCORRMES", month},
                         {"TIPOFOLHA", sheet}, {"HCODIGO", "300"},
                         {"CODFUN", QStringLiteral("%1").arg(n, 6, 10, QChar('0'))}, {"VALOR", value}, {"FLAG", "*"}});
    }

    BankFileOptions options() {
        BankFileOptions o;
        o.branchCode = "001";
        o.sheet = "F";
        o.paymentDate = QDate(2026, 2, 5);
        o.outputPath = d.file("saida/PAG341.REM");
        o.generatedAt = QDateTime(QDate(2026, 2, 3), QTime(10, 20, 30));
        return o;
    }

    // The file's records without their CR LF; fails when a record is not
    // 240 characters followed by CR LF.
    QStringList records(const QString& path) { return CrlfRecords(path, 240); }

    TempDir d;
    std::unique_ptr<Database> db;
    ScriptedUi ui;
};

} // namespace folha::bank::testing
