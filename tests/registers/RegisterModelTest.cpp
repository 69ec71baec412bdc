// The register grid's model: pages read as the view asks, filter and search
// in SQL with the typed text bound, and cells shown as the forms show them.
#include "DemoBuilder.h"
#include "RegisterModel.h"
#include "RegistersFixture.h"

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include "TestBackend.h"

using namespace folha;
using namespace folha::registers;

namespace {

class RegisterModelTest : public folha::testing::RegistersFixture {
protected:
    void SetUp() override {
        RegistersFixture::SetUp();
        // 450 more employees, 100000 to 100449, after the fixture's seven.
        Table cadfun(*db, "CADFUN");
        Transaction tx(*db);
        for (int i = 0; i < 450; ++i) {
            Record r = cadfun.newRecord();
            r.set("CODFUN", QString::number(100000 + i)).set("NOME", QStringLiteral("SINTETICO %1").arg(i, 4, 10, QChar('0')));
            cadfun.insert(r);
        }
        tx.commit();
    }
    const TableDef& cadfunDef() { return Registry::instance().require("CADFUN"); }
    QStringList codesShown(RegisterModel& m) {
        QStringList out;
        for (int i = 0; i < m.rowCount(); ++i) out << m.record(i).text("CODFUN");
        return out;
    }
};

TEST_F(RegisterModelTest, PassesTheItemModelTester) {
    RegisterModel model(*db, cadfunDef());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setFilter("NOME", "JU");
    model.clearFilter();
    EXPECT_EQ(model.rowCount(), 457);
}

// The grid knows its rows from one count and reads only the pages looked at.
TEST_F(RegisterModelTest, CountsTheRowsAndReadsOnlyThePagesLookedAt) {
    RegisterModel model(*db, cadfunDef());
    EXPECT_EQ(model.rowCount(), 457);
    EXPECT_EQ(model.pagesHeld(), 0);
    EXPECT_EQ(model.columnCount(), int(cadfunDef().fields.size()));
    EXPECT_EQ(model.record(456).text("CODFUN"), "100449");
    EXPECT_EQ(model.pagesHeld(), 1); // the last page alone
    EXPECT_EQ(model.record(0).text("CODFUN"), "000001");
    EXPECT_EQ(model.record(7).text("CODFUN"), "100000");
    EXPECT_EQ(model.record(200).text("CODFUN"), "100193");
    EXPECT_EQ(model.pagesHeld(), 3);
    EXPECT_THROW(model.record(457), DbError);
    model.reload();
    EXPECT_EQ(model.pagesHeld(), 0);
    EXPECT_EQ(model.rowCount(), 457);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Nome");
    EXPECT_EQ(model.fieldAt(1), "NOME");
    EXPECT_EQ(model.columnOf("VLR_SALAR"), 10);
}

TEST_F(RegisterModelTest, FiltersByTheTypedBeginningWithQuotesAndWildcardsAsTyped) {
    RegisterModel model(*db, cadfunDef());
    model.setFilter("NOME", "JOSE O'");
    EXPECT_EQ(codesShown(model), QStringList{"000045"});
    model.setFilter("NOME", "CARL");
    EXPECT_EQ(codesShown(model), (QStringList{"000123", "000124"}));
    model.setFilter("NOME", "CARLOS 100%");
    EXPECT_EQ(codesShown(model), QStringList{"000123"});
    model.setFilter("NOME", "CARL_");
    EXPECT_EQ(codesShown(model), QStringList{});
    model.setFilter("NOME", "CARLA_");
    EXPECT_EQ(codesShown(model), QStringList{"000124"});
    model.setFilter("CODFUN", "0001");
    EXPECT_EQ(codesShown(model), (QStringList{"000123", "000124"}));
    model.setFilter("CODFUN", "0012");
    EXPECT_EQ(codesShown(model), QStringList{"001200"});
    model.setFilter("NOME", "SINTETICO");
    EXPECT_EQ(model.rowCount(), 450);
    EXPECT_EQ(model.pagesHeld(), 0); // counted, not read
    model.clearFilter();
    EXPECT_EQ(model.filterText(), "");
    EXPECT_EQ(model.record(0).text("CODFUN"), "000001");
}

TEST_F(RegisterModelTest, FiltersNumbersAndDatesAsTyped) {
    Table cadfun(*db, "CADFUN");
    Record r = *cadfun.find({"000005"});
    r.set("VLR_SALAR", "1500.50").set("DT_ADMIS", QDate(2013, 4, 2)).set("TIPO_PAG", 5);
    cadfun.update(r);
    RegisterModel model(*db, cadfunDef());
    model.setFilter("VLR_SALAR", "1500,5");
    EXPECT_EQ(codesShown(model), QStringList{"000005"});
    model.setFilter("TIPO_PAG", "5");
    EXPECT_EQ(codesShown(model), QStringList{"000005"});
    model.setFilter("DT_ADMIS", "02/04/2013");
    EXPECT_EQ(codesShown(model), QStringList{"000005"});
    // A date half typed filters nothing yet.
    model.setFilter("DT_ADMIS", "02/04");
    EXPECT_EQ(model.rowCount(), 457);
}

TEST_F(RegisterModelTest, AStoredValueTheFieldCannotHoldShowsEmptyWithItsReason) {
    folha::testing::StoreBehindTheRegister(*db, "UPDATE CADFUN SET VLR_SALAR = 'abc' WHERE CODFUN = '000012'");
    RegisterModel model(*db, cadfunDef());
    const QModelIndex cell = model.index(2, model.columnOf("VLR_SALAR"));
    EXPECT_EQ(model.data(cell).toString(), "");
    EXPECT_FALSE(model.data(cell, Qt::ToolTipRole).toString().isEmpty());
    EXPECT_EQ(model.data(model.index(2, model.columnOf("NOME"))).toString(), "MARIANA DIAS");
}

TEST_F(RegisterModelTest, FindsTheFirstMatchByCountingWithoutReadingThePagesBefore) {
    RegisterModel model(*db, cadfunDef());
    EXPECT_EQ(model.findFirst("NOME", "JULIANA"), 6);
    EXPECT_EQ(model.findFirst("NOME", "JOSE O'B"), 3);
    // The employee 100400 lies on the third page: found without reading a page.
    EXPECT_EQ(model.findFirst("CODFUN", "1004"), 407);
    EXPECT_EQ(model.pagesHeld(), 0);
    EXPECT_EQ(model.record(407).text("CODFUN"), "100400");
    EXPECT_EQ(model.pagesHeld(), 1);
    EXPECT_EQ(model.findFirst("NOME", "NINGUEM"), -1);

    RegisterModel fresh(*db, cadfunDef());
    EXPECT_EQ(fresh.rowOfKey({"100250"}), 257);
    EXPECT_EQ(fresh.record(257).text("CODFUN"), "100250");
    EXPECT_EQ(fresh.rowOfKey({"999999"}), -1);

    // Within a filter, the row counts among the filtered rows.
    RegisterModel filtered(*db, cadfunDef());
    filtered.setFilter("NOME", "J");
    EXPECT_EQ(filtered.findFirst("NOME", "JUL"), 1);
    EXPECT_EQ(filtered.rowOfKey({"000001"}), -1);
}

TEST_F(RegisterModelTest, CellsShowCodeEntriesDatesAmountsAndMasks) {
    const TableDef& def = cadfunDef();
    Record r(def);
    r.set("CODFUN", "000777")
        .set("TIPO_PAG", 1)
        .set("CAUS_RESC", "I1")
        .set("DT_ADMIS", QDate(2013, 4, 2))
        .set("VLR_SALAR", "1500.50")
        .set("NR_CPF", "01234567890")
        .set("NR_PIS", "12345678900")
        .set("CEP", "01310100")
        .set("SEXO", "F");
    struct Case {
        const char* field;
        const char* shown;
    };
    const Case cases[] = {
        {"TIPO_PAG", "1 - Mensalista"},
        {"CAUS_RESC", "I1- Rescisao sem justa causa por iniciativa do empregador."},
        {"SEXO", "Feminino"},
        {"DT_ADMIS", "02/04/2013"},
        {"VLR_SALAR", "1.500,50"},
        {"NR_CPF", "012.345.678-90"},
        {"NR_PIS", "123.45678.90-0"},
        {"CEP", "01310-100"},
        {"CODFUN", "000777"},
        {"DT_NASC", ""},
        {"COBERTURA", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RegisterModel::displayText(r, *def.field(c.field)), c.shown) << c.field;
    // A code missing from the list shows as stored.
    r.set("TIPO_PAG", 3);
    EXPECT_EQ(RegisterModel::displayText(r, *def.field("TIPO_PAG")), "3");
}

TEST_F(RegisterModelTest, EditsThroughTheFieldChecks) {
    RegisterModel model(*db, cadfunDef());
    const int salary = model.columnOf("VLR_SALAR");
    EXPECT_TRUE(model.setData(model.index(0, salary), "2000,25"));
    EXPECT_EQ(model.record(0).number("VLR_SALAR"), Fixed::parse("2000.25").value());
    EXPECT_EQ(model.data(model.index(0, salary)).toString(), "2.000,25");
    EXPECT_EQ(model.data(model.index(0, salary), Qt::EditRole).toString(), "2000,25");
    EXPECT_FALSE(model.setData(model.index(0, salary), "abc"));
    EXPECT_FALSE(model.lastError().isEmpty());
    const int cpf = model.columnOf("NR_CPF");
    EXPECT_TRUE(model.setData(model.index(0, cpf), "012.345.678-90"));
    EXPECT_EQ(model.data(model.index(0, cpf)).toString(), "012.345.678-90");
    EXPECT_FALSE(model.setData(model.index(0, cpf), "012.345.678-91")); // check digits
    const int admitted = model.columnOf("DT_ADMIS");
    EXPECT_TRUE(model.setData(model.index(0, admitted), "15/03/2012"));
    EXPECT_EQ(model.record(0).date("DT_ADMIS"), QDate(2012, 3, 15));
    EXPECT_TRUE(model.setData(model.index(0, admitted), "  /  /    "));
    EXPECT_TRUE(model.record(0).isNull("DT_ADMIS"));
    EXPECT_FALSE(model.setData(model.index(0, admitted), "31/02/2012"));
    EXPECT_FALSE(model.setData(model.index(0, model.columnOf("NOME")), QString(41, 'X'))); // wider than the field
}

} // namespace

namespace {

// A synthetic company of the demo: employees with documents, dates and
// salaries, and a dozen events each under a five-field key.
class RegisterModelDemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = folha::testing::OpenTestDatabase(d.path() + "/empresa");
        demo::DemoBuilder::buildSyntheticCompany(*db, 450);
    }
    TempDir d;
    std::unique_ptr<Database> db;
};

TEST_F(RegisterModelDemoTest, EveryEmployeeCellShowsAsTheFormsDo) {
    RegisterModel model(*db, Registry::instance().require("CADFUN"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 450);
    const QRegularExpression pis(QStringLiteral("^\\d{3}\\.\\d{5}\\.\\d{2}-\\d$"));
    const QRegularExpression date(QStringLiteral("^\\d{2}/\\d{2}/\\d{4}$"));
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int col = 0; col < model.columnCount(); ++col)
            ASSERT_FALSE(model.data(model.index(row, col), Qt::ToolTipRole).isValid()) << row << " " << col;
        const QString shownPis = model.data(model.index(row, model.columnOf("NR_PIS"))).toString();
        EXPECT_TRUE(pis.match(shownPis).hasMatch()) << shownPis.toStdString();
        EXPECT_TRUE(date.match(model.data(model.index(row, model.columnOf("DT_ADMIS"))).toString()).hasMatch());
    }
    // The second employee earns 937.01 and joined on 02/01/2010.
    EXPECT_EQ(model.data(model.index(1, model.columnOf("VLR_SALAR"))).toString(), "937,01");
    EXPECT_EQ(model.data(model.index(1, model.columnOf("DT_ADMIS"))).toString(), "02/01/2010");
    EXPECT_EQ(model.data(model.index(1, model.columnOf("TIPO_PAG"))).toString(), "1 - Mensalista");
}

TEST_F(RegisterModelDemoTest, EventsArePagedAlongTheirFiveFieldKey) {
    const TableDef& def = Registry::instance().require("OCORRENC");
    RegisterModel model(*db, def);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Table events(*db, def);
    ASSERT_EQ(model.rowCount(), int(events.count()));
    ASSERT_GT(model.rowCount(), 2 * RegisterModel::PageSize);
    // The pages meet without a gap or a repeat: the keys ascend throughout.
    const std::vector<Record> all = events.select({}, {}, def.primaryKey.join(", "));
    for (int i = 0; i < model.rowCount(); ++i) ASSERT_EQ(model.record(i).keyValues(), all[size_t(i)].keyValues()) << i;
    const int sheet = model.columnOf("TIPOFOLHA");
    EXPECT_EQ(model.data(model.index(0, sheet)).toString(), "F - Folha");

    RegisterModel fresh(*db, def);
    const int last = model.rowCount() - 1;
    EXPECT_EQ(fresh.rowOfKey(all.back().keyValues()), last);
    EXPECT_EQ(fresh.rowCount(), last + 1);
}

} // namespace
