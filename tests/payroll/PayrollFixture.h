#pragma once
// A small company for payroll tests: the 2013 tables, a few events, the
// fixed roles, one branch, and helpers to add employees and entered rows.
#include "PayrollRun.h"
#include "ScriptedUi.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace folha::payroll::testing {


using Values = QList<QPair<QString, QVariant>>;

class PayrollFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.path());
        db->ensureSchema(Scope::Company);
        // Tables of April 2013.
        table("001", "0", "1710.79", "0", "0");
        table("002", "1710.79", "2563.92", "0.075", "128.31");
        table("003", "2563.92", "3418.60", "0.15", "320.60");
        table("004", "3418.60", "4271.60", "0.225", "577.00");
        table("005", "4271.60", "99999999.99", "0.275", "790.58");
        table("010", "0", "1247.70", "8", "0");
        table("011", "1247.71", "2079.50", "9", "0");
        table("012", "2079.51", "4159.00", "11", "0");
        table("013", "4159.01", "4159.00", "11", "0");
        table("020", "646.55", "971.78", "33.16", "23.36");
        table("021", "171.97", "0", "0", "0");
        // Entered events: prodesc, rule, multiplier, INSS, IRRF, FGTS.
        event("001", 1, 1, "1", 1, 1, 1);   // hours worked
        event("002", 1, 1, "1.5", 1, 1, 1); // overtime 50 %
        event("003", 1, 3, "0", 1, 1, 1);   // typed bonus
        event("004", 1, 2, "1.5", 1, 1, 1); // overtime on the rounded hourly rate
        event("090", 0, 1, "1", 1, 1, 1);   // absence hours
        event("098", 0, 3, "0", 0, 0, 0);   // pharmacy, typed
        // Results.
        event("040", 1, 3, "0", 0, 0, 0); // family allowance
        event("110", 0, 3, "0", 0, 0, 0); // INSS
        event("120", 0, 3, "0", 0, 0, 0); // IRRF
        event("087", 2, 3, "0", 0, 0, 0); // termination net
        event("103", 1, 3, "0", 0, 0, 0); // rounding of the net
        for (const char* base : {"144", "111", "114", "121", "122", "130", "131", "132", "140", "141", "142", "143"})
            event(base, 2, 3, "0", 0, 0, 0);
        event("133", 1, 3, "0", 0, 0, 0); // the fine is paid with the termination
        const char* roles[][2] = {{"011", "040"}, {"012", "110"}, {"013", "111"}, {"030", "114"}, {"016", "120"},
                                  {"017", "121"}, {"034", "122"}, {"031", "130"}, {"032", "131"}, {"067", "132"},
                                  {"050", "133"}, {"026", "140"}, {"027", "141"}, {"028", "142"}, {"055", "087"},
                                  {"058", "144"}, {"025", "103"}};
        for (auto& r : roles) role(r[0], r[1]);
        put("Filial", {{"CODIGO", "001"}, {"NOME", "MATRIZ"}, {"DATA_FOLHA", QDate(2013, 4, 30)}, {"TIPO_FOL", "F"},
                       {"FVALOR", "0"}, {"TETO_INSS", "4159.00"}});
    }

    void put(const QString& tableName, const Values& values) {
        Table t(*db, tableName);
        Record r = t.newRecord();
        for (const auto& [k, v] : values) r.set(k, v);
        t.insert(r);
    }
    void table(const char* code, const char* c1, const char* c2, const char* c3, const char* c4) {
        put("Tabelas", {{"COD_TABELA", code}, {"COL1_TAB", c1}, {"COL2_TAB", c2}, {"COL3_TAB", c3}, {"COL4_TAB", c4}});
    }
    void event(const char* code, int prodesc, int rule, const char* perc, int inps, int irrf, int fgts) {
        put("HISTFP", {{"HCODIGO", code}, {"HNOME", QStringLiteral("EVENTO %1").arg(code)}, {"HPRODESC", prodesc},
                       {"HPARAMETRO", rule}, {"HPERC", perc}, {"HFLAGINPS", inps}, {"HFLAGIRRF", irrf}, {"HFLAGFGTS", fgts},
                       {"HFLAGRE50", QString(code) == "002" ? 1 : 0}});
    }
    void role(const char* role, const char* code) {
        Table t(*db, "FIXAOCOR");
        Record r = t.newRecord();
        r.set("FCODIGO", role).set("FHISTORICO", code).set("FDESCRICAO", QStringLiteral("FUNCAO %1").arg(role));
        t.save(r);
    }
    // A monthly employee, 44 weekly hours (220 in the month), active and not calculated.
    void employee(const char* code, const char* salary, Values extra = {}) {
        Values v = {{"CODFUN", code}, {"NOME", QStringLiteral("FUNCIONARIO %1").arg(code)}, {"VLR_SALAR", salary},
                    {"TIPO_PAG", 1}, {"HR_SEMAN", 44}, {"VINCULO", 1}, {"APOSENT", 0}, {"DEPENDEN", 0},
                    {"CONDICAO", 1}, {"CALCULO", 1}, {"CALC_FLAG", 0}, {"CENTCUSTO", "PROD"},
                    {"DT_ADMIS", QDate(2010, 3, 1)}};
        for (const auto& [k, val] : extra) {
            auto it = std::find_if(v.begin(), v.end(), [&](const auto& p) { return p.first == k; });
            if (it != v.end()) it->second = val;
            else v << qMakePair(k, val);
        }
        put("CADFUN", v);
    }
    void entered(const char* fun, const char* code, const char* refer, const char* valor = "0",
                 const char* sheet = "F", const char* flag = "") {
        put("OCORRENC", {{"OCORRANO", "2013"}, {"OCORRMES", "04"}, {"TIPOFOLHA", sheet}, {"HCODIGO", code},
                         {"CODFUN", fun}, {"REFER", refer}, {"VALOR", valor}, {"FLAG", flag}});
    }

    RunSummary calc(RunOptions o = {}) {
        o.branchCode = "001";
        return PayrollRun(*db, ui).run(o);
    }

    // The employee's rows of April 2013, sheet F: code -> "REFER VALOR FLAG".
    // Every amount read is checked to be whole centavos.
    std::map<QString, QString> rows(const char* fun, const char* sheet = "F") {
        std::map<QString, QString> out;
        Table t(*db, "OCORRENC");
        for (const Record& r : t.select("CODFUN = ? AND OCORRANO = '2013' AND OCORRMES = '04' AND TIPOFOLHA = ?",
                                        {fun, sheet})) {
            EXPECT_EQ(r.number("VALOR").raw() % 100, 0)
                << "fraction of a centavo: " << fun << ' ' << r.text("HCODIGO").toStdString() << ' '
                << r.number("VALOR").toString().toStdString();
            out[r.text("HCODIGO")] = r.number("REFER").toString(2) + ' ' + r.number("VALOR").toString(2) + ' ' +
                                     r.text("FLAG");
        }
        return out;
    }
    // Rows of any employee, period and sheet whose VALOR is not whole centavos.
    QStringList fractionalCentavos() {
        QStringList out;
        Table t(*db, "OCORRENC");
        for (const Record& r : t.select())
            if (r.number("VALOR").raw() % 100 != 0)
                out << r.keyText() + QStringLiteral(": ") + r.number("VALOR").toString();
        return out;
    }
    QString dump() {
        QStringList lines;
        Table t(*db, "OCORRENC");
        for (const Record& r : t.select())
            for (const QString& f : r.def().fieldNames()) lines << f + '=' + r.value(f).toString();
        return lines.join('\n');
    }

    TempDir d;
    std::unique_ptr<Database> db;
    ScriptedUi ui;
};

using Rows = std::map<QString, QString>;

} // namespace folha::payroll::testing
