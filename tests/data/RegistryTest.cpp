#include "Registry.h"
#include "CheckDigits.h"
#include "Database.h"
#include "Table.h"
#include "TempDir.h"

#include <QSet>
#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

TEST(Registry, FindsTablesByAnySpelling) {
    const Registry& r = Registry::instance();
    ASSERT_NE(r.table("CADFUN"), nullptr);
    EXPECT_EQ(r.table("cadfun.db"), r.table("CADFUN"));
    EXPECT_EQ(r.table("\"CADFUN.DB\""), nullptr); // quotes are the SQL layer's business
    EXPECT_EQ(r.table("c:\\dados\\emp1\\Ocorrenc.DB"), r.table("OCORRENC"));
    EXPECT_EQ(r.table("empresaFOLHA.DB")->name, QStringLiteral("EmpresaFOLHA"));
    EXPECT_EQ(r.table("NAOEXISTE"), nullptr);
    EXPECT_THROW(r.require("NAOEXISTE"), DbError);
}

TEST(Registry, EveryTableHasUniqueFieldsAKeyAndValidWidths) {
    for (const auto& t : Registry::instance().all()) {
        QSet<QString> names;
        for (const auto& f : t.fields) {
            EXPECT_FALSE(names.contains(f.name.toUpper())) << t.name.toStdString() << "." << f.name.toStdString();
            names.insert(f.name.toUpper());
            if (f.type == FieldType::Text) {
                EXPECT_GT(f.size, 0) << t.name.toStdString() << "." << f.name.toStdString();
            }
            EXPECT_FALSE(f.caption.isEmpty());
        }
        EXPECT_FALSE(t.primaryKey.isEmpty()) << t.name.toStdString();
    }
}

TEST(Registry, EventTablesCarryTheNamedIndexes) {
    const TableDef& oc = Registry::instance().require("OCORRENC");
    EXPECT_EQ(oc.primaryKey, (QStringList{"OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO", "CODFUN"}));
    ASSERT_NE(oc.index("id_ocor_func"), nullptr);
    EXPECT_EQ(oc.index("id_ocor_func")->fields.mid(0, 4), (QStringList{"OCORRANO", "OCORRMES", "TIPOFOLHA", "CODFUN"}));
    ASSERT_NE(oc.index("id_ocor_hcod"), nullptr);
    ASSERT_NE(oc.index("id_ocor_func2"), nullptr);
    EXPECT_NE(Registry::instance().require("CADFUN").index("Pis_DataAdmis"), nullptr);
    EXPECT_NE(Registry::instance().require("CADFUN").index("NOMEFUNCIONARIO"), nullptr);
}

TEST(Registry, CodeListsKeepTheirStoredValues) {
    const TableDef& cad = Registry::instance().require("CADFUN");
    const FieldDef* vinculo = cad.field("VINCULO");
    ASSERT_NE(vinculo, nullptr);
    ASSERT_FALSE(vinculo->codes.isEmpty());
    EXPECT_EQ(vinculo->codes.first().value, QString()); // the empty entry: no category
    EXPECT_EQ(vinculo->codeText("7"), QStringLiteral("07-Menor Aprendiz (Lei 10.097/2000)"));
    EXPECT_EQ(vinculo->codeText("11").left(3), QStringLiteral("11-"));
    const FieldDef* causa = cad.field("CAUS_RESC");
    ASSERT_NE(causa, nullptr);
    EXPECT_EQ(causa->codes.size(), 33);
    for (const auto& c : causa->codes) EXPECT_EQ(c.value.size(), 2) << c.value.toStdString();
    EXPECT_FALSE(causa->codeText("J ").isEmpty());
    EXPECT_TRUE(causa->codeText("J").isEmpty());
}

TEST(Registry, AuditLogTableIsNamedByMonth) {
    EXPECT_EQ(Registry::auditLogName(3, 2013), QStringLiteral("LogSys_03_2013"));
    TableDef t = Registry::instance().auditLogTable(12, 2012);
    EXPECT_EQ(t.name, QStringLiteral("LogSys_12_2012"));
    EXPECT_NE(t.field("AutoInc"), nullptr);
}

// A value of each field's type at the edge of what the field holds; a
// registration number with its check digits where the field checks them.
static QVariant sampleValue(const FieldDef& f, int seed) {
    switch (f.check) {
    case FieldCheck::Pis: return PisWithCheckDigit(QString::number(1200000000 + seed));
    case FieldCheck::Cpf: return CpfWithCheckDigits(QString::number(123456700 + seed));
    case FieldCheck::Cnpj:
    case FieldCheck::CnpjCpf: return CnpjWithCheckDigits(QString::number(112223330000LL + seed));
    case FieldCheck::None: break;
    }
    switch (f.type) {
    case FieldType::Text:
        return QString(f.size, QChar(u'Ç')).replace(0, std::min<int>(f.size, 1), QString::number(seed % 10));
    case FieldType::Memo:
        return QStringLiteral("texto livre ação %1").arg(seed);
    case FieldType::Number:
        // A field with a minimum (the salary) takes no negative sample.
        return QVariant::fromValue(Fixed::fromRaw(seed % 2 ? 999999999999999LL : f.minimum ? 12345678 : -12345678));
    case FieldType::ShortInt:
        return seed % 2 ? 32767 : -32768;
    case FieldType::LongInt:
        return seed % 2 ? 2147483647 : -2147483647;
    case FieldType::AutoInc:
        return 1000 + seed;
    case FieldType::Date:
        return QDate(2012, 2, 29).addDays(seed);
    case FieldType::Time:
        return QTime(23, 59, 58);
    case FieldType::Logical:
        return seed % 2 == 0;
    }
    return {};
}

TEST(Registry, EveryFieldOfEveryTableRoundTripsThroughTheDatabase) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path());
    int tables = 0;
    for (const auto& def : Registry::instance().all()) {
        db->ensureTable(def);
        Table t(*db, def);
        for (int seed : {1, 2}) {
            Record r = t.newRecord();
            for (size_t i = 0; i < def.fields.size(); ++i) r.set(def.fields[i].name, sampleValue(def.fields[i], seed + int(i)));
            t.insert(r);
            auto back = t.find(r.keyValues());
            ASSERT_TRUE(back.has_value()) << def.name.toStdString();
            for (const auto& f : def.fields)
                EXPECT_EQ(back->text(f.name), r.text(f.name)) << def.name.toStdString() << "." << f.name.toStdString();
            EXPECT_TRUE(*back == r) << def.name.toStdString();
        }
        ++tables;
    }
    EXPECT_GE(tables, 25);
}
