// The descriptions beside the employee register's code boxes.
#include "EmployeeLookups.h"
#include "RegistersFixture.h"

using namespace folha;
using namespace folha::registers;

namespace {

class EmployeeLookups : public folha::testing::RegistersFixture {
protected:
    void SetUp() override {
        RegistersFixture::SetUp();
        Table cargos(*db, "Cargos");
        for (const auto& [code, name] : QList<QPair<QString, QString>>{
                 {"007", "ANALISTA DE FOLHA"}, {"070", "AUXILIAR"}, {"12", "GERENTE"}, {"A1", "ESTAGIARIO"}}) {
            Record r = cargos.newRecord();
            r.set("COD_CARGOS", code).set("NOME_CARGO", name);
            cargos.insert(r);
        }
    }
    const LookupDef position{"Cargos", "COD_CARGOS", "NOME_CARGO", "Descrição do Cargo",
                             " SELECT COD_CARGOS as Codigo, NOME_CARGO as Descricao FROM Cargos.db "};
};

} // namespace

// The employee row stores 7; the register keeps "007": they are the same
// code. "70" is not "007", and a code with letters compares as text.
TEST_F(EmployeeLookups, CodesCompareAsNumbers) {
    struct Case {
        const char* code;
        const char* description;
    };
    const Case cases[] = {
        {"7", "ANALISTA DE FOLHA"}, {"007", "ANALISTA DE FOLHA"}, {" 7 ", "ANALISTA DE FOLHA"},
        {"70", "AUXILIAR"},         {"012", "GERENTE"},           {"12", "GERENTE"},
        {"A1", "ESTAGIARIO"},       {"a1", ""},                   {"8", ""},
        {"", ""},                   {"0", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupDescription(*db, position, c.code), QString(c.description)) << c.code;
}

// A union code that names no union (the union was deleted) leaves the
// description empty; so does an empty register.
TEST_F(EmployeeLookups, MissingCodeGivesAnEmptyDescription) {
    const LookupDef unions{"SINDICAT", "COD_SIND", "NOME_SIND", "Descrição do Sindicato", {}};
    EXPECT_EQ(LookupDescription(*db, unions, "3"), QString());
    Table sindicat(*db, "SINDICAT");
    Record r = sindicat.newRecord();
    r.set("COD_SIND", "003").set("NOME_SIND", "SIND. DOS COMERCIARIOS");
    sindicat.insert(r);
    EXPECT_EQ(LookupDescription(*db, unions, "3"), "SIND. DOS COMERCIARIOS");
    EXPECT_EQ(LookupDescription(*db, unions, "4"), QString());
}

// The selection dialog writes the code quoted; the box keeps the short
// integer the employee row stores.
TEST_F(EmployeeLookups, PickedCodeKeepsTheDigitsAsAWholeNumber) {
    EXPECT_EQ(PickedCode("'007'"), "7");
    EXPECT_EQ(PickedCode("'120'"), "120");
    EXPECT_EQ(PickedCode("'000'"), "0");
    EXPECT_EQ(PickedCode("''"), QString());
    EXPECT_EQ(PickedCode(""), QString());
}
