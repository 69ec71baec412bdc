#include "RegistersFixture.h"
#include "SelectionQuery.h"

using namespace folha;
using namespace folha::registers;
using folha::testing::RegistersFixture;

namespace {
const SelectionSource Employees{QStringLiteral(" SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN "),
                                {}, {}, QStringLiteral("CODFUN"), QStringLiteral("NOME")};
} // namespace

class SelectionQueryTest : public RegistersFixture {};

TEST(SelectionQueryText, ContainsOnDescriptionBindsThePatternInCapitals) {
    const BoundQuery q = QuerySelectionList(Employees).query({DescriptionColumn, "ana", SearchMode::Contains, false, {}});
    EXPECT_EQ(q.statement, Employees.baseQuery + " Where UPPER(NOME) like (?)");
    ASSERT_EQ(q.params.size(), 1);
    EXPECT_EQ(q.params[0].toString(), QStringLiteral("%ANA%"));
}

TEST(SelectionQueryText, ClauseJoinsTheConditionAndThenTheOrdering) {
    SelectionSource s = Employees;
    s.condition = " WHERE CODFUN <> '000001'";
    s.ordering = "Order by NOME";
    const BoundQuery q = QuerySelectionList(s).query({CodeColumn, "00", SearchMode::StartsWith, false, {}});
    EXPECT_EQ(q.statement, s.baseQuery + s.condition + " and UPPER(CODFUN) like (?) Order by NOME");
    EXPECT_EQ(q.params, QVariantList{QStringLiteral("00%")});
}

TEST(SelectionQueryText, IntegerFieldComparesTheValueUnchanged) {
    SelectionSource s{"SELECT CODIGO as Codigo, NOME as Descricao FROM Filial", {}, {}, "CODIGO", "NOME"};
    const BoundQuery q = QuerySelectionList(s).query({CodeColumn, "42", SearchMode::Contains, true, {}});
    EXPECT_EQ(q.statement, s.baseQuery + " Where CODIGO = ?");
    EXPECT_EQ(q.params, QVariantList{QVariant(qlonglong(42))});
}

TEST(SelectionQueryText, NoValueOrNoColumnListsEverythingInTheCallersOrder) {
    SelectionSource s = Employees;
    s.ordering = "Order by CODFUN";
    EXPECT_EQ(QuerySelectionList(s).query({DescriptionColumn, "", SearchMode::Contains, false, {}}).statement,
              s.baseQuery + " Order by CODFUN");
    EXPECT_EQ(QuerySelectionList(s).query({"", "ANA", SearchMode::Contains, false, {}}).statement,
              s.baseQuery + " Order by CODFUN");
    // A click on a column title orders by that column's field instead.
    EXPECT_EQ(QuerySelectionList(s).query({"", "", SearchMode::Contains, false, "Order by NOME"}).statement,
              s.baseQuery + " Order by NOME");
}

TEST_F(SelectionQueryTest, ContainsAndStartsWithFindTheRows) {
    QuerySelectionList list(Employees);
    BoundQuery q = list.query({DescriptionColumn, "ana", SearchMode::Contains, false, "Order by CODFUN"});
    EXPECT_EQ(codes(q.statement, q.params), (QStringList{"000001", "000012", "001200"}));
    q = list.query({DescriptionColumn, "ana", SearchMode::StartsWith, false, "Order by CODFUN"});
    EXPECT_EQ(codes(q.statement, q.params), (QStringList{"000001"}));
    q = list.query({CodeColumn, "12", SearchMode::Contains, false, "Order by CODFUN"});
    EXPECT_EQ(codes(q.statement, q.params), (QStringList{"000012", "000123", "000124", "001200"}));
}

TEST_F(SelectionQueryTest, AQuoteInTheTypedValueIsSearchedNotExecuted) {
    QuerySelectionList list(Employees);
    BoundQuery q = list.query({DescriptionColumn, "o'brien", SearchMode::Contains, false, {}});
    EXPECT_EQ(codes(q.statement, q.params), (QStringList{"000045"}));
    q = list.query({DescriptionColumn, "x') or 1=1 --", SearchMode::Contains, false, {}});
    EXPECT_TRUE(codes(q.statement, q.params).isEmpty());
}

TEST_F(SelectionQueryTest, LookupFindsTheListRowOfACode) {
    QuerySelectionList list(Employees);
    BoundQuery q = list.lookup("000045");
    QSqlQuery row = db->exec(q.statement, q.params);
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(1).toString(), QStringLiteral("JOSE O'BRIEN"));
    q = list.lookup("999999");
    EXPECT_TRUE(codes(q.statement, q.params).isEmpty());
}

TEST(Selection, AddsUpToTheMaximumOnceEach) {
    Selection s(2);
    EXPECT_EQ(s.add("001", "A"), Selection::AddResult::Added);
    EXPECT_EQ(s.add("001", "A"), Selection::AddResult::AlreadySelected);
    EXPECT_EQ(s.add("005", "B"), Selection::AddResult::Added);
    EXPECT_EQ(s.add("007", "C"), Selection::AddResult::AtMaximum);
    EXPECT_EQ(s.resultText(CodeColumn, "'"), QStringLiteral("'001','005'"));
    EXPECT_EQ(s.resultText(DescriptionColumn, ""), QStringLiteral("A,B"));
    s.removeAt(0);
    EXPECT_EQ(s.resultText(CodeColumn, "\""), QStringLiteral("\"005\""));
    EXPECT_FALSE(s.cleared());
    s.clear();
    EXPECT_TRUE(s.cleared());
    EXPECT_EQ(s.resultText(CodeColumn, "'"), QString());
}

TEST(Selection, CodesOfTheBoxDropQuotesAndBlanks) {
    EXPECT_EQ(CodesOfBoxText("'001','005'", "'"), (QStringList{"001", "005"}));
    EXPECT_EQ(CodesOfBoxText("001, 005,,", ""), (QStringList{"001", "005"}));
    EXPECT_TRUE(CodesOfBoxText("", "'").isEmpty());
}

TEST(Selection, SearchModeTexts) {
    EXPECT_EQ(SearchModeFromText("Iniciando"), SearchMode::StartsWith);
    EXPECT_EQ(SearchModeFromText("Contendo"), SearchMode::Contains);
    EXPECT_EQ(SearchModeText(SearchMode::StartsWith), QStringLiteral("Iniciando"));
    EXPECT_EQ(SearchModeText(SearchMode::Contains), QStringLiteral("Contendo"));
}
