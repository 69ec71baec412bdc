#include "TestBackend.h"
#include "EmployeeChoice.h"
#include "RegistersFixture.h"

using namespace folha;
using namespace folha::registers;
using folha::testing::RegistersFixture;

class EmployeeChoiceTest : public RegistersFixture {
protected:
    void TearDown() override { ForgetChosenEmployee(); }
    QStringList found(const QString& column, const QString& value, SearchMode mode, int page = 200) {
        QStringList out;
        for (const EmployeeHit& h : SearchEmployees(*db, {column, value, mode, false, {}}, page)) out << h.code;
        return out;
    }
};

TEST_F(EmployeeChoiceTest, SearchByCodeOrNameContainingOrStartingWith) {
    struct Case {
        QString column, value;
        SearchMode mode;
        QStringList codes;
    };
    const QList<Case> cases = {
        {CodeColumn, "12", SearchMode::StartsWith, {}},
        {CodeColumn, "0012", SearchMode::StartsWith, {"001200"}},
        {CodeColumn, "00012", SearchMode::StartsWith, {"000123", "000124"}},
        {CodeColumn, "000045", SearchMode::StartsWith, {"000045"}},
        {CodeColumn, "12", SearchMode::Contains, {"000012", "000123", "000124", "001200"}},
        // Names come in name order.
        {DescriptionColumn, "ana", SearchMode::Contains, {"000001", "001200", "000012"}},
        {DescriptionColumn, "car", SearchMode::StartsWith, {"000124", "000123"}},
        {DescriptionColumn, "o'brien", SearchMode::Contains, {"000045"}},
        {DescriptionColumn, "100%", SearchMode::Contains, {"000123"}},
        {DescriptionColumn, "A_B", SearchMode::Contains, {"000124"}},
        {DescriptionColumn, "%", SearchMode::StartsWith, {}},
        {DescriptionColumn, "", SearchMode::Contains, {"000001", "000005", "000124", "000123", "000045", "001200", "000012"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(found(c.column, c.value, c.mode), c.codes) << c.column.toStdString() << " " << c.value.toStdString();
}

TEST_F(EmployeeChoiceTest, ASearchReadsOnePage) {
    EXPECT_EQ(found(DescriptionColumn, "", SearchMode::Contains, 3), (QStringList{"000001", "000005", "000124"}));
    EXPECT_EQ(found(CodeColumn, "0", SearchMode::StartsWith, 2), (QStringList{"000001", "000005"}));
}

TEST_F(EmployeeChoiceTest, SearchesWalkTheEmployeeIndexes) {
    for (const auto& [column, mode, index] :
         {std::tuple{CodeColumn, SearchMode::StartsWith,
                     db->backend() == Backend::SQLite ? QStringLiteral("sqlite_autoindex_CADFUN") : QStringLiteral("cadfun_pkey")},
          std::tuple{DescriptionColumn, SearchMode::StartsWith, QStringLiteral("NOMEFUNCIONARIO")},
          std::tuple{DescriptionColumn, SearchMode::Contains, QStringLiteral("NOMEFUNCIONARIO")}}) {
        const BoundQuery q = EmployeeSelectionList().query({column, "AB", mode, false, {}});
        const QString detail = folha::testing::QueryPlan(*db, q.statement, q.params).join('\n');
        EXPECT_TRUE(detail.contains("INDEX")) << detail.toStdString();
        EXPECT_TRUE(detail.contains(index, Qt::CaseInsensitive)) << detail.toStdString();
        EXPECT_FALSE(detail.contains("TEMP B-TREE")) << detail.toStdString();
    }
}

TEST_F(EmployeeChoiceTest, StartsAtTheBranchCompetenceAndSheet) {
    ChooserStart s = ChooserStartValues(*db, "001", "");
    EXPECT_EQ(s.year, QStringLiteral("2013"));
    EXPECT_EQ(s.month, QStringLiteral("04"));
    EXPECT_EQ(s.sheetText, QStringLiteral("F - Folha"));
    EXPECT_EQ(s.employee, QString());

    Table filial(*db, "Filial");
    Record b = *filial.find({"001"});
    b.set("DATA_FOLHA", QDate(2013, 4, 15)).set("TIPO_FOL", "Q");
    filial.update(b);
    s = ChooserStartValues(*db, "001", "000005");
    EXPECT_EQ(s.month, QStringLiteral("04"));
    EXPECT_EQ(s.sheetText, QStringLiteral("Q - Provisão 13º Salário"));
    EXPECT_EQ(s.employee, QStringLiteral("000005"));
    EXPECT_THROW(ChooserStartValues(*db, "009", ""), DbError);
}

TEST_F(EmployeeChoiceTest, RemembersTheLastEmployeePicked) {
    EXPECT_EQ(ChooserStartValues(*db, "001", "").employee, QString());
    RememberChosenEmployee("'000045'");
    EXPECT_EQ(LastChosenEmployee(), QStringLiteral("000045"));
    EXPECT_EQ(ChooserStartValues(*db, "001", "").employee, QStringLiteral("000045"));
    // The caller's own code wins.
    EXPECT_EQ(ChooserStartValues(*db, "001", "000001").employee, QStringLiteral("000001"));
    RememberChosenEmployee("");
    EXPECT_EQ(ChooserStartValues(*db, "001", "").employee, QString());
}
