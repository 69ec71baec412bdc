#pragma once
// A company database with a handful of employees (O'BRIEN among them) and
// branch 001 at 30/04/2013, sheet F.
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

namespace folha::testing {

class RegistersFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.path() + "/empresa");
        db->ensureSchema(Scope::Company);
        Table cadfun(*db, "CADFUN");
        const QList<QPair<QString, QString>> employees = {
            {"000001", "ANA MARIA SOUZA"},  {"000005", "BRUNO COSTA"},      {"000012", "MARIANA DIAS"},
            {"000045", "JOSE O'BRIEN"},     {"000123", "CARLOS 100% LIMA"}, {"000124", "CARLA_BENTO"},
            {"001200", "JULIANA SANTANA"},
        };
        for (const auto& [code, name] : employees) {
            Record r = cadfun.newRecord();
            r.set("CODFUN", code).set("NOME", name);
            cadfun.insert(r);
        }
        Table filial(*db, "Filial");
        Record b = filial.newRecord();
        b.set("CODIGO", "001").set("DATA_FOLHA", QDate(2013, 4, 30)).set("TIPO_FOL", "F");
        filial.insert(b);
    }
    // Codes of a statement's rows (first column).
    QStringList codes(const QString& statement, const QVariantList& params) {
        QSqlQuery q = db->exec(statement, params);
        QStringList out;
        while (q.next()) out << q.value(0).toString();
        return out;
    }
    TempDir d;
    std::unique_ptr<Database> db;
};

} // namespace folha::testing
