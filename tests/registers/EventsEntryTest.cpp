#include "TestBackend.h"
#include "EventsEntry.h"

#include "DemoBuilder.h"
#include "DemoCompany.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace folha;
using namespace folha::registers;

namespace {

// The demo installation with company 1 open, branch 001, supervisor signed in.
class EventsEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<Session>(Installation(d.path()));
        OpenDemoCompany(*session, ui);
        ui.entries.clear();
    }

    Database& db() { return session->folha(); }

    // A row written straight to the table, as a calculation would.
    void seed(const QString& fun, const QString& year, const QString& month, const QString& sheet, const QString& code,
              const QString& flag, const QString& centcusto = "ADM") {
        Table t(db(), "OCORRENC");
        Record r = t.newRecord();
        r.set("OCORRANO", year).set("OCORRMES", month).set("TIPOFOLHA", sheet).set("HCODIGO", code).set("CODFUN", fun);
        r.set("REFER", "1").set("VALOR", "10.00").set("FLAG", flag).set("CENTCUSTO", centcusto);
        t.insert(r);
    }

    // Rows of an employee's month and sheet, calculated ("*") or typed.
    qint64 rows(const QString& fun, const QString& year, const QString& month, const QString& sheet, bool calculated) {
        return Table(db(), "OCORRENC")
            .count(QStringLiteral("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND ") +
                       (calculated ? "FLAG = '*'" : "COALESCE(FLAG, '') <> '*'"),
                   {fun, year, month, sheet});
    }

    // The audit entries of the events screen this month: "action|user|branch|table|text".
    QStringList audit() {
        const QDate today = QDate::currentDate();
        const QString table = Registry::auditLogName(today.month(), today.year());
        QStringList out;
        if (!session->zorvan().hasTable(table)) return out;
        QSqlQuery q = session->zorvan().exec(
            "SELECT Acao, Usuario, Filial, Tabela, Log FROM " + table + " WHERE Janela = 'TfoCadOcorrenc'");
        while (q.next())
            out << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(), q.value(4).toString()}
                       .join('|');
        return out;
    }

    // The grid's key column texts "YYYY/MM/S/HHH/FFFFFF".
    QStringList grid(const EventsFilter& f, bool ordered = true) {
        const BoundQuery q = EventsGridQuery(f, ordered);
        QSqlQuery r = db().exec(q.statement, q.params);
        QStringList out;
        while (r.next())
            out << QStringList{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                               r.value(3).toString(), r.value(4).toString()}
                       .join('/');
        return out;
    }

    TempDir d;
    ScriptedUi ui;
    std::unique_ptr<Session> session;
};

EventsFilter march(const QString& employee = "000012") { return {"2013", "03", "F", employee, {}}; }

TEST_F(EventsEntryTest, SavingDeletesOnlyThatEmployeesCalculatedRowsOfTheMonthAndSheet) {
    // The demo holds 000012's calculated 002 of 03/2013 F and 000010's.
    seed("000012", "2013", "03", "F", "013", "*");
    seed("000012", "2013", "03", "F", "014", "*");
    seed("000012", "2013", "03", "F", "010", "");
    seed("000012", "2013", "03", "I", "002", "*");
    seed("000012", "2013", "04", "F", "003", "*");
    seed("000010", "2013", "03", "F", "013", "*");
    struct Group {
        QString fun, year, month, sheet;
        bool calculated;
        qint64 before, after;
    };
    const QList<Group> groups = {
        {"000012", "2013", "03", "F", true, 3, 0},  {"000012", "2013", "03", "F", false, 1, 2},
        {"000012", "2013", "03", "I", true, 1, 1},  {"000012", "2013", "04", "F", true, 1, 1},
        {"000012", "2013", "04", "F", false, 1, 1}, {"000010", "2013", "03", "F", true, 2, 2},
    };
    for (const Group& g : groups)
        EXPECT_EQ(rows(g.fun, g.year, g.month, g.sheet, g.calculated), g.before) << g.fun.toStdString() << g.month.toStdString() << g.sheet.toStdString() << g.calculated;

    EventsEntry entry(*session, ui);
    Record r = entry.newRow(march());
    EXPECT_EQ(r.text("CODFUN"), QStringLiteral("000012"));
    EXPECT_EQ(r.text("OCORRANO"), QStringLiteral("2013"));
    EXPECT_EQ(r.text("OCORRMES"), QStringLiteral("03"));
    EXPECT_EQ(r.text("TIPOFOLHA"), QStringLiteral("F"));
    r.set("HCODIGO", "004").set("REFER", "10").set("VALOR", "0");
    entry.save(r, true);

    for (const Group& g : groups)
        EXPECT_EQ(rows(g.fun, g.year, g.month, g.sheet, g.calculated), g.after) << g.fun.toStdString() << g.month.toStdString() << g.sheet.toStdString() << g.calculated;
    auto saved = Table(db(), "OCORRENC").find({"2013", "03", "F", "004", "000012"});
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->text("CENTCUSTO"), QStringLiteral("ADM")); // LAURA's cost centre
    EXPECT_EQ(saved->number("REFER"), Fixed::fromInt(10));
    EXPECT_EQ(audit(), QStringList{"I|000001|1|OCORRENC|Inclusão de cadastro de "});
    EXPECT_TRUE(ui.texts("error").isEmpty());
}

TEST_F(EventsEntryTest, EditingMayChangeTheEventCode) {
    seed("000012", "2013", "03", "F", "010", "");
    EventsEntry entry(*session, ui);
    auto r = entry.find({"2013", "03", "F", "010", "000012"});
    ASSERT_TRUE(r.has_value());
    auto hold = entry.beginEdit(*r);
    ASSERT_TRUE(hold.has_value());
    r->set("VALOR", "250.00");
    entry.save(*r, false, {"2013", "03", "F", "010", "000012"});
    EXPECT_EQ(Table(db(), "OCORRENC").find({"2013", "03", "F", "010", "000012"})->number("VALOR"), Fixed::fromInt(250));
    EXPECT_EQ(rows("000012", "2013", "03", "F", true), 0); // the demo's calculated 002 went with the first save

    r->set("HCODIGO", "013");
    entry.save(*r, false, {"2013", "03", "F", "010", "000012"});
    EXPECT_FALSE(Table(db(), "OCORRENC").find({"2013", "03", "F", "010", "000012"}).has_value());
    EXPECT_EQ(Table(db(), "OCORRENC").find({"2013", "03", "F", "013", "000012"})->number("VALOR"), Fixed::fromInt(250));
    EXPECT_EQ(audit(), (QStringList{"E|000001|1|OCORRENC|Edição de cadastro de ", "E|000001|1|OCORRENC|Edição de cadastro de "}));

    // Moving onto a key that exists is refused and leaves both rows.
    seed("000012", "2013", "03", "F", "014", "");
    r->set("HCODIGO", "014");
    EXPECT_THROW(entry.save(*r, false, {"2013", "03", "F", "013", "000012"}), UserError);
    EXPECT_TRUE(Table(db(), "OCORRENC").find({"2013", "03", "F", "013", "000012"}).has_value());
    EXPECT_EQ(audit().size(), 2);
}

TEST_F(EventsEntryTest, EditingHoldsTheRowUntilDone) {
    EventsEntry entry(*session, ui);
    const QVariantList key{"2013", "04", "F", "001", "000012"};
    auto r = entry.find(key);
    ASSERT_TRUE(r.has_value());
    {
        auto hold = entry.beginEdit(*r);
        ASSERT_TRUE(hold.has_value());
        EXPECT_EQ(RowHolder(db(), r->def(), key), StationId());
    }
    EXPECT_EQ(RowHolder(db(), r->def(), key), QString());
}

// A row is for a registered employee and a registered event: nothing the
// grid, the calculation and the reports would never show. A code typed
// short is the code with its zeros.
TEST_F(EventsEntryTest, ARowNamesARegisteredEmployeeAndEvent) {
    EventsEntry entry(*session, ui);
    const EventsFilter april{"2013", "04", "F", "", {}};
    const QStringList before = grid(april);
    const struct {
        const char* employee;
        const char* event;
        const char* refusal;
    } cases[] = {
        {"", "004", "Informe o funcionário da ocorrência!"},
        {"999999", "004", "Funcionário 999999 não cadastrado"},
        {"000012", "999", "Histórico 999 não cadastrado"},
        {"12", "998", "Histórico 998 não cadastrado"},
    };
    for (const auto& c : cases) {
        Record r = entry.newRow(april);
        r.set("CODFUN", c.employee).set("HCODIGO", c.event).set("REFER", "2");
        try {
            entry.save(r, true);
            ADD_FAILURE() << c.employee << "/" << c.event << " was posted";
        } catch (const UserError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.refusal));
        }
    }
    EXPECT_EQ(grid(april), before);
    EXPECT_TRUE(audit().isEmpty());
    Record typedShort = entry.newRow(april);
    typedShort.set("CODFUN", "12").set("HCODIGO", "4").set("REFER", "2");
    entry.save(typedShort, true);
    EXPECT_TRUE(Table(db(), "OCORRENC").find({"2013", "04", "F", "004", "000012"}).has_value());
}

TEST_F(EventsEntryTest, ARowDeletedMeanwhileIsNotFound) {
    seed("000012", "2013", "03", "F", "010", "");
    EventsEntry entry(*session, ui);
    const QVariantList key{"2013", "03", "F", "010", "000012"};
    auto r = entry.find(key);
    ASSERT_TRUE(r.has_value());
    Table(db(), "OCORRENC").remove(key); // another screen

    EXPECT_FALSE(entry.find(key).has_value());
    EXPECT_EQ(ui.texts("error"), QStringList{"Registro não encontrado!"});
    try {
        entry.save(*r, false, key);
        ADD_FAILURE() << "saved a row that is gone";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Registro não encontrado!"));
    }
    EXPECT_FALSE(Table(db(), "OCORRENC").find(key).has_value());
    EXPECT_EQ(rows("000012", "2013", "03", "F", true), 1);

    ui.entries.clear();
    EXPECT_FALSE(entry.remove(key));
    EXPECT_EQ(ui.texts(), QStringList{"Registro não encontrado!"}); // no question asked
    EXPECT_TRUE(audit().isEmpty());
}

TEST_F(EventsEntryTest, ARefusedPostWritesNothing) {
    // 000012 has a typed 001 in 04/2013 F; a calculated row waits beside it.
    seed("000012", "2013", "04", "F", "003", "*");
    EventsEntry entry(*session, ui);
    const EventsFilter april{"2013", "04", "F", "000012", {}};
    Record dup = entry.newRow(april);
    dup.set("HCODIGO", "001").set("REFER", "200");
    try {
        entry.save(dup, true);
        ADD_FAILURE() << "saved a second row of one key";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Já existe ocorrência do histórico 001 para o funcionário 000012 em 04/2013, tipo de folha F!"));
    }
    Record none = entry.newRow(april);
    none.set("REFER", "5");
    try {
        entry.save(none, true);
        ADD_FAILURE() << "saved a row without an event code";
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Informe o código do histórico da ocorrência!"));
    }
    EXPECT_EQ(rows("000012", "2013", "04", "F", true), 1);
    EXPECT_EQ(Table(db(), "OCORRENC").find({"2013", "04", "F", "001", "000012"})->number("REFER"), Fixed::fromInt(220));
    EXPECT_TRUE(audit().isEmpty());
}

TEST_F(EventsEntryTest, DeletingAsksFirst) {
    seed("000012", "2013", "03", "F", "010", "");
    const QVariantList key{"2013", "03", "F", "010", "000012"};
    ScriptedUi no({false});
    EXPECT_FALSE(EventsEntry(*session, no).remove(key));
    EXPECT_EQ(no.texts("question").size(), 1);
    EXPECT_TRUE(no.texts("question").value(0).startsWith("Confirma exclusão do registro selecionado?"));
    EXPECT_TRUE(Table(db(), "OCORRENC").find(key).has_value());
    EXPECT_TRUE(audit().isEmpty());

    ScriptedUi yes({true});
    EXPECT_TRUE(EventsEntry(*session, yes).remove(key));
    EXPECT_FALSE(Table(db(), "OCORRENC").find(key).has_value());
    EXPECT_EQ(audit(), QStringList{"X|000001|1|OCORRENC|Exclusão de cadastro de "});
    // Deleting leaves the calculated rows alone.
    EXPECT_EQ(rows("000012", "2013", "03", "F", true), 1);
}

TEST_F(EventsEntryTest, GridNarrowedByEachBox) {
    // A year of its own, so only these rows answer.
    seed("000012", "2099", "01", "F", "002", "*");
    seed("000012", "2099", "01", "F", "004", "");
    seed("000012", "2099", "01", "I", "002", "*");
    seed("000010", "2099", "01", "F", "002", "");
    seed("000010", "2099", "02", "F", "002", "", "NENHUM"); // no such cost centre: still listed
    seed("000999", "2099", "01", "F", "002", "");           // no such employee: listed, marked
    seed("000010", "2099", "01", "F", "997", "");           // no such event code: listed, marked
    ASSERT_FALSE(Table(db(), "HISTFP").find({"997"}).has_value());
    struct Case {
        EventsFilter filter;
        QStringList keys;
    };
    const QList<Case> cases = {
        {{"2099", "", "", "", ""},
         {"2099/01/F/002/000010", "2099/01/F/002/000012", "2099/01/F/002/000999", "2099/01/F/004/000012",
          "2099/01/F/997/000010", "2099/01/I/002/000012", "2099/02/F/002/000010"}},
        {{"2099", "02", "", "", ""}, {"2099/02/F/002/000010"}},
        {{"2099", "", "I", "", ""}, {"2099/01/I/002/000012"}},
        {{"2099", "", "I - Férias", "", ""}, {"2099/01/I/002/000012"}},
        {{"2099", "", "", "000012", ""}, {"2099/01/F/002/000012", "2099/01/F/004/000012", "2099/01/I/002/000012"}},
        {{"2099", "", "", "12", ""}, {"2099/01/F/002/000012", "2099/01/F/004/000012", "2099/01/I/002/000012"}},
        {{"2099", "", "", "", "4"}, {"2099/01/F/004/000012"}},
        {{"2099", "01", "F", "000012", ""}, {"2099/01/F/002/000012", "2099/01/F/004/000012"}},
        {{"2099", "", "", "", "004"}, {"2099/01/F/004/000012"}},
        {{"2099", "01", "F", "", "002"}, {"2099/01/F/002/000010", "2099/01/F/002/000012", "2099/01/F/002/000999"}},
        {{"", "", "", "000999", ""}, {"2099/01/F/002/000999"}},
        {{"2099", "'01'", "", "", ""}, {}},
        {{"2099' or '1'='1", "", "", "", ""}, {}},
        {{"2099", "", "", "", "0' or HCODIGO <> '"}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grid(c.filter).join(' ').toStdString(), c.keys.join(' ').toStdString()) << c.filter.year.toStdString() << "|" << c.filter.month.toStdString() << "|"
                                          << c.filter.sheet.toStdString() << "|" << c.filter.employee.toStdString()
                                          << "|" << c.filter.eventCode.toStdString();
        QStringList unordered = grid(c.filter, false);
        unordered.sort();
        EXPECT_EQ(unordered.join(' ').toStdString(), c.keys.join(' ').toStdString());
    }
    // What names nothing is marked in place of its name.
    const BoundQuery marked = EventsGridQuery({"2099", "01", "F", "", ""});
    QSqlQuery rows = db().exec(marked.statement, marked.params);
    QStringList names;
    while (rows.next())
        if (rows.value(4).toString() == "000999" || rows.value(3).toString() == "997")
            names << rows.value(15).toString() + "|" + rows.value(16).toString();
    ASSERT_EQ(names.size(), 2);
    EXPECT_TRUE(names[0].endsWith("|** FUNCIONÁRIO NÃO CADASTRADO **") && !names[0].startsWith("**")) << names[0].toStdString();
    EXPECT_TRUE(names[1].startsWith("** HISTÓRICO NÃO CADASTRADO **|") && !names[1].endsWith("**")) << names[1].toStdString();
    // Typed values never reach the statement's text.
    const BoundQuery q = EventsGridQuery({"2099' or '1'='1", "03", "F", "000012", "002"});
    EXPECT_FALSE(q.statement.contains("2099"));
    EXPECT_EQ(q.params, (QVariantList{"000012", "2099' or '1'='1", "03", "F", "002"}));
    EXPECT_TRUE(q.statement.endsWith(
        " order by Ocorrenc.OCORRANO, Ocorrenc.OCORRMES, Ocorrenc.TIPOFOLHA, Ocorrenc.HCODIGO, Ocorrenc.CODFUN"));
    EXPECT_FALSE(EventsGridQuery({}, false).statement.contains("order by"));

    // The names beside the codes.
    const BoundQuery one = EventsGridQuery({"2099", "02", "F", "000010", ""});
    QSqlQuery r = db().exec(one.statement, one.params);
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.value(7).toString(), QStringLiteral("NENHUM"));
    EXPECT_EQ(r.value(15).toString(), QStringLiteral("HORAS EXTRAS 50%"));
    EXPECT_EQ(r.value(16).toString(), QStringLiteral("JULIA FERREIRA EXTRAS"));
    EXPECT_TRUE(r.value(17).isNull());
    const BoundQuery two = EventsGridQuery({"2099", "01", "I", "000012", ""});
    r = db().exec(two.statement, two.params);
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.value(16).toString(), QStringLiteral("LAURA MENDES FERIAS"));
    EXPECT_EQ(r.value(17).toString(), QStringLiteral("ADMINISTRACAO"));
}

// The search bar narrows the grid in SQL: the beginning of a column, the
// typed wildcards taken as themselves, a date once fully typed; a column
// the grid does not have is refused.
TEST_F(EventsEntryTest, SearchBarNarrowsTheGridQuery) {
    seed("000012", "2099", "01", "F", "002", "*");
    seed("000012", "2099", "01", "F", "004", "");
    seed("000010", "2099", "01", "F", "002", "");
    struct Case {
        QString field, text;
        QStringList keys;
    };
    const QList<Case> cases = {
        {"NOME", "LAURA", {"2099/01/F/002/000012", "2099/01/F/004/000012"}},
        {"nome", "JULIA F", {"2099/01/F/002/000010"}},
        {"HNOME", "HORAS EXTRAS 5", {"2099/01/F/002/000010", "2099/01/F/002/000012"}},
        {"FLAG", "*", {"2099/01/F/002/000012"}},
        {"HCODIGO", "00", {"2099/01/F/002/000010", "2099/01/F/002/000012", "2099/01/F/004/000012"}},
        {"NOME", "%", {}},
        {"NOME", "L_URA", {}},
        {"DT_IGOZFER", "01/01", {"2099/01/F/002/000010", "2099/01/F/002/000012", "2099/01/F/004/000012"}},
    };
    for (const Case& c : cases) {
        EventsFilter f{"2099", "01", "F", "", "", c.field, c.text};
        EXPECT_EQ(grid(f), c.keys) << c.field.toStdString() << " " << c.text.toStdString();
    }
    const BoundQuery q = EventsGridQuery({"2099", "", "", "", "", "NOME", "X' or '1'='1"});
    EXPECT_FALSE(q.statement.contains("X'"));
    EXPECT_THROW(EventsGridQuery({"2099", "", "", "", "", "NOME) or (1=1", "X"}), DbError);
}

TEST_F(EventsEntryTest, OneEmployeesMonthIsSearchedByIndex) {
    const BoundQuery q = EventsGridQuery(march());
    const QStringList lines = folha::testing::QueryPlan(db(), q.statement, q.params);
    const QString detail = lines.join('\n');
    bool searched = false;
    for (const QString& line : lines) {
        EXPECT_FALSE(line.startsWith("SCAN")) << detail.toStdString();
        if (line.contains("Ocorrenc", Qt::CaseInsensitive) && line.startsWith("SEARCH") && line.contains("USING INDEX")) searched = true;
    }
    EXPECT_TRUE(searched) << detail.toStdString();
}

TEST_F(EventsEntryTest, BranchPeriodIsTheBranchsCompetenceAndSheet) {
    EventsEntry entry(*session, ui);
    EventsFilter p = entry.branchPeriod();
    EXPECT_EQ(p.year, QStringLiteral("2013"));
    EXPECT_EQ(p.month, QStringLiteral("04"));
    EXPECT_EQ(p.sheet, QStringLiteral("F"));
    EXPECT_EQ(p.employee, QString());

    Table filial(db(), "Filial");
    Record b = *filial.find({"001"});
    b.set("DATA_FOLHA", QDate(2013, 3, 15)).set("TIPO_FOL", "I");
    filial.update(b);
    p = entry.branchPeriod();
    EXPECT_EQ(p.year, QStringLiteral("2013"));
    EXPECT_EQ(p.month, QStringLiteral("03"));
    EXPECT_EQ(p.sheet, QStringLiteral("I"));
}

} // namespace
