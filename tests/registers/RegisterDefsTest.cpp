// The registers' particulars and the form particulars of the registry: the
// audit texts of every register on a filled row, the pages of the employee
// and branch forms, the code lookups, masks and column widths.
#include "RegisterDefs.h"

#include "DbError.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace folha;
using namespace folha::registers;

namespace {

struct AuditCase {
    const char* screen;
    QList<QPair<QString, QVariant>> values;
    QString insert;
    QString edit;
    QString remove;
};

const QList<AuditCase>& auditCases() {
    static const QList<AuditCase> cases = {
        {"TfoCadBancos",
         {{"COD_BANCO", "001"}, {"NOME", "BANCO DO BRASIL"}, {"AGENCIA", "1234"}},
         "Inclusão de cadastro de banco |Codigo: 001 |Nome): BANCO DO BRASIL |Ag: 1234",
         "Edição de cadastro de banco |Codigo: 001 |Nome): BANCO DO BRASIL |Ag: 1234",
         "Exclusão de cadastro de banco |Codigo: 001 |Nome): BANCO DO BRASIL |Ag: 1234"},
        {"TfoCadCargos",
         {{"COD_CARGOS", "007"}, {"NOME_CARGO", "AUXILIAR"}, {"COD_OCORRE", "12"}, {"PERC_APOSE", 25}},
         "Inclusão de cadastro de cargos |Codigo: 007|Nome: AUXILIAR|Ocorrencia: 12|Perc Aposent: 25",
         "Edição de cadastro de cargos |Codigo: 007|Nome: AUXILIAR|Ocorrencia: 12|Perc Aposent: 25",
         "Exclusão de cadastro de cargos |Codigo: 007|Nome: AUXILIAR|Ocorrencia: 12|Perc Aposent: 25"},
        {"TfoCadCentroCusto",
         {{"COD_CCUSTO", "ADM"}, {"DESC_CUSTO", "ADMINISTRACAO"}},
         "Inclusão de Centro de Custo |Codigo: ADM|Descr.: ADMINISTRACAO",
         "Edição de Centro de Custo |Codigo: ADM|Descr.: ADMINISTRACAO",
         "Exclusão de cadastro de Centro de Custo |Codigo: ADM|Descr.: ADMINISTRACAO"},
        {"TfoCadDependentes",
         {{"CODFUN", "000012"}, {"NUMERO", "01"}, {"NOME_DEPEN", "PEDRO DIAS"}, {"DT_NASC", QDate(2005, 3, 9)},
          {"ANOS_IRPF", 21}},
         "Inclusão de cadastro de dependente |Func: 000012|Num: 01|Nome Dependente: PEDRO DIAS|Dt Nasc: 09/03/2005|Anos IRPF: 21",
         "Edição de cadastro de dependente |Func: 000012|Num: 01|Nome Dependente: PEDRO DIAS|Dt Nasc: 09/03/2005|Anos IRPF: 21",
         "Exclusão de cadastro de dependente |Func: 000012|Num: 01|Nome Dependente: PEDRO DIAS|Dt Nasc: 09/03/2005|Anos IRPF: 21"},
        {"TfoCadFuncionarios",
         {{"CODFUN", "000045"}, {"NOME", "JOSE O'BRIEN"}, {"VLR_SALAR", "1500.50"}},
         "Inclusão de cadastro de funcionários |Codigo: 000045|Nome: JOSE O'BRIEN|Salário: 1500,5",
         "Edição de de cadastro de funcionários |Codigo: 000045|Nome: JOSE O'BRIEN|Salário: 1500,5",
         "Exclusão de cadastro de funcionários |Codigo: 000045|Nome: JOSE O'BRIEN|Salário: 1500,5"},
        {"TfoCadHistAfastamento",
         {{"HCODIGO", "010"}, {"HNOME", "DOENCA"}, {"CALC13", "S"}, {"CALCFERIAS", "N"}, {"CALCNORMAL", "S"},
          {"CODIGORAIS", "40"}},
         "Inclusão de cadastro de historico de afastamento |Codigo: 010|Descr.: DOENCA|13º: S|Ferias: N|Normal: S|Rais: 40",
         "Edição de cadastro de historico de afastamento |Codigo: 010|Descr.: DOENCA|13º: S|Ferias: N|Normal: S|Rais: 40",
         "Exclusão de cadastro de historico de afastamento |Codigo: 010|Descr.: DOENCA|13º: S|Ferias: N|Normal: S|Rais: 40"},
        {"TfoCadHistFolhaPag",
         {{"HCODIGO", "001"}, {"HNOME", "SALARIO"}, {"HPARAMETRO", 3}},
         "Inclusão de cadastro de historicos da folha 001 Nome: SALARIO |Parametro: 3",
         "Edição de cadastro de historicos da folha 001 Nome: SALARIO |Parametro: 3",
         "Exclusão de cadastro de historicos da folha 001 Nome: SALARIO |Parametro: 3"},
        {"TfoCadLinhas",
         {{"CODIGO", "L01"}, {"NOME", "CENTRO"}, {"VALOR", "4.40"}},
         "Inclusão de cadastro de linhas |Codigo: L01|Nome: CENTRO|Valor: 4,4",
         "Edição de cadastro de linhas |Codigo: L01|Nome: CENTRO|Valor: 4,4",
         "Exclusão de cadastro de linhas |Codigo: L01|Nome: CENTRO|Valor: 4,4"},
        {"TfoCadOcorrenFixa",
         {{"FCODIGO", "F01"}, {"FDESCRICAO", "VALE"}, {"FHISTORICO", "050"}, {"FVALOR", "120"}},
         "Inclusão de cadastro de ocorrencia fixa |Codigo: F01|Descr.: VALE|Histo.: 050|Valor: 120",
         "Edição de cadastro de ocorrencia fixa |Codigo: F01|Descr.: VALE|Histo.: 050|Valor: 120",
         "Exclusão de cadastro de ocorrencia fixa |Codigo: F01|Descr.: VALE|Histo.: 050|Valor: 120"},
        {"TfoCadPlantoes",
         {{"COD_PLANTA", "P12"}, {"NOME", "NOTURNO"}},
         "Inclusão de cadastro de plantões |Codigo: P12|Nome: NOTURNO",
         "Edição de cadastro de plantões |Codigo: P12|Nome: NOTURNO",
         "Exclusão de plantões |Codigo: P12|Nome: NOTURNO"},
        {"TfoCadResponsavel",
         {{"COD_RES", "001"}, {"NOME", "MARIA CONTADORA"}},
         "Inclusão de cadastro de responsaveis |Codigo: 001 |Nome: MARIA CONTADORA",
         "Edição de cadastro de responsaveis |Codigo: 001 |Nome: MARIA CONTADORA",
         "Exclusão de cadastro de responsaveis |Codigo: 001 |Nome: MARIA CONTADORA"},
        {"TfoCadSindicatos",
         {{"COD_SIND", "003"}, {"NOME_SIND", "SIND COMERCIO"}, {"CNPJ", "11222333000181"}},
         "Inclusão de cadastro de sindicatos |Codigo: 003|Nome: SIND COMERCIO |Cnpj: 11222333000181",
         "Edição de cadastro de sindicatos |Codigo: 003|Nome: SIND COMERCIO |Cnpj: 11222333000181",
         "Exclusão de cadastro de sindicatos |Codigo: 003|Nome: SIND COMERCIO |Cnpj: 11222333000181"},
        {"TfoCadTomador",
         {{"COD_TOMAD", "002"}, {"NOME", "OBRA NORTE"}},
         "Inclusão de cadastro de tomador |Codigo: 002 |Nome: OBRA NORTE",
         "Edição de cadastro de tomador |Codigo: 002 |Nome: OBRA NORTE",
         "Exclusão de cadastro de tomador |Codigo: 002 |Nome: OBRA NORTE"},
        {"TfoCadAfastFun",
         {{"CODFUN", "000005"}, {"HCODIGO", "010"}, {"CAUS_RESC", "P1"}, {"DATA", QDate(2013, 4, 2)}},
         "Inclusão de cadastro de afastamento de funcionarios |Cod Fun: 000005|Histo Afast: 010|Causa: P1|Data: 02/04/2013",
         "Edição de cadastro de afastamento de funcionarios |Cod Fun: 000005|Histo Afast: 010|Causa: P1|Data: 02/04/2013",
         "Exclusão de afastamento de funcionarios |Cod Fun: 000005|Histo Afast: 010|Causa: P1|Data: 02/04/2013"},
        {"TfoCadFeriados",
         {{"FILIAL", "001"}, {"DATA", QDate(2013, 1, 25)}, {"DESCRICAO", "ANIVERSARIO DA CIDADE"}},
         "Inclusão de cadastro de feriados |Filial: 001|Data: 25/01/2013|Descr.: ANIVERSARIO DA CIDADE",
         "Edição de cadastro de feriados |Filial: 001|Data: 25/01/2013|Descr.: ANIVERSARIO DA CIDADE",
         "Exclusão de cadastro de feriados |Filial: 001|Data: 25/01/2013|Descr.: ANIVERSARIO DA CIDADE"},
        {"TfoCadTabelas",
         {{"COD_TABELA", "INS"}, {"COL1_TAB", "1751.81"}, {"COL2_TAB", "8"}, {"COL3_TAB", "0"}, {"COL4_TAB", "0.75"}},
         "Inclusão de cadastro de tabelas |Codigo: INS|Col1: 1751,81|Col2: 8|Col3: 0|Col4: 0,75",
         "Edição de cadastro de tabelas |Codigo: INS|Col1: 1751,81|Col2: 8|Col3: 0|Col4: 0,75",
         "Exclusão de cadastro de tabelas |Codigo: INS|Col1: 1751,81|Col2: 8|Col3: 0|Col4: 0,75"},
        {"TfoCadFuncTomador",
         {{"ANOMES", "201304"}, {"CODFUN", "000001"}, {"TOMADOR", "002"}, {"VALOR", "800"}, {"VALOR13", "66.67"},
          {"VALORAFAST", "0"}, {"PIS", "12345678900"}},
         "Inclusão de cadastro de funcionario tomador |AnoMes: 201304|CodFun: 000001|Valor: 800|Valor13: 66,67|Valor Afast: 0|Pìs: 12345678900",
         "Edição de cadastro de funcionario tomador |AnoMes: 201304|CodFun: 000001|Valor: 800|Valor13: 66,67|Valor Afast: 0|Pìs: 12345678900",
         "Exclusão de cadastro de funcionario tomador |AnoMes: 201304|CodFun: 000001|Valor: 800|Valor13: 66,67|Valor Afast: 0|Pìs: 12345678900"},
        {"TfoCadMovPlant",
         {{"PLANT_ANO", "2013"}, {"PLANT_MES", "04"}, {"TIPOFOLHA", "F"}, {"CODFUN", "000012"}, {"COD_PLANTA", "P12"},
          {"QUANTIDADE", "3"}},
         "Inclusão de cadastro de movimento de plantões |Ano: 2013|Mes: 04|Cod Fun: 000012|Cod Plant: P12|Tipo Folha: F|Quant.: 3|Flag: ",
         "Edição de cadastro de movimento de plantões |Ano: 2013|Mes: 04|Cod Fun: 000012|Cod Plant: P12|Tipo Folha: F|Quant.: 3|Flag: ",
         "Exclusão de cadastro de movimento de plantões |Ano: 2013|Mes: 04|Cod Fun: 000012|Cod Plant: P12|Tipo Folha: F|Quant.: 3|Flag: "},
        {"TfoCadSefip",
         {{"CGC", "11222333000181"}, {"NOME", "EMPRESA X"}, {"TIPO", "1"}},
         "Inclusão de cadastro de sefip |Cnpj: 11222333000181|Nome: EMPRESA X|Tipo: 1",
         "Edição de cadastro de cadastro de sefip |Cnpj: 11222333000181|Nome: EMPRESA X|Tipo: 1",
         "Exclusão de cadastro de sefip |Cnpj: 11222333000181|Nome: EMPRESA X|Tipo: 1"},
        {"TfoCadFilial",
         {{"CODIGO", "001"}, {"NOME", "MATRIZ"}},
         "Inclusão de cadastro de ",
         "Edição de cadastro de ",
         "Exclusão de cadastro de "},
        {"TfoCadOcorrenc",
         {{"OCORRANO", "2013"}, {"OCORRMES", "04"}, {"TIPOFOLHA", "F"}, {"HCODIGO", "001"}, {"CODFUN", "000001"}},
         "Inclusão de cadastro de ",
         "Edição de cadastro de ",
         "Exclusão de cadastro de "},
    };
    return cases;
}

TEST(RegisterDefs, AuditTextsOfEveryRegisterOnAFilledRow) {
    for (const auto& c : auditCases()) {
        SCOPED_TRACE(c.screen);
        const RegisterDef* def = FindRegister(c.screen);
        ASSERT_NE(def, nullptr);
        Record row(Registry::instance().require(def->table));
        for (const auto& [field, value] : c.values) row.set(field, value);
        EXPECT_EQ(RegisterAuditText(*def, "I", row), c.insert);
        EXPECT_EQ(RegisterAuditText(*def, "E", row), c.edit);
        EXPECT_EQ(RegisterAuditText(*def, "X", row), c.remove);
    }
}

TEST(RegisterDefs, TwentyRegistersAndTheEventsScreensNameRegistryTablesAndFields) {
    const QStringList screens = {"TfoCadBancos", "TfoCadCargos", "TfoCadCentroCusto", "TfoCadDependentes",
                                 "TfoCadFuncionarios", "TfoCadHistAfastamento", "TfoCadHistFolhaPag", "TfoCadLinhas",
                                 "TfoCadOcorrenFixa", "TfoCadPlantoes", "TfoCadResponsavel", "TfoCadSindicatos",
                                 "TfoCadTomador", "TfoCadAfastFun", "TfoCadFeriados", "TfoCadTabelas", "TfoCadFuncTomador",
                                 "TfoCadMovPlant", "TfoCadSefip", "TfoCadFilial", "TfoCadOcorrenc", "TfoConsOcorrenc",
                                 "TfoCadContasContabeis"};
    QStringList got;
    for (const auto& d : RegisterDefs()) got << d.screen;
    EXPECT_EQ(got, screens);
    for (const auto& d : RegisterDefs()) {
        SCOPED_TRACE(d.screen.toStdString());
        const TableDef* t = Registry::instance().table(d.table);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->name, d.table); // the stored name, as spelled
        if (!d.searchField.isEmpty()) {
            EXPECT_NE(t->field(d.searchField), nullptr);
        }
        for (const auto& a : d.auditFields) EXPECT_NE(t->field(a.field), nullptr) << a.field.toStdString();
        EXPECT_TRUE(d.listTitle.startsWith("Relatório de "));
        EXPECT_EQ(d.keyEditable, d.screen == "TfoCadFuncTomador" || d.screen == "TfoCadFeriados" || d.screen == "TfoCadMovPlant" || d.screen == "TfoCadOcorrenc" || d.screen == "TfoCadContasContabeis");
    }
    EXPECT_EQ(FindRegister("TfoCadNada"), nullptr);
}

TEST(RegisterDefs, TitlesHeadersAndListTitles) {
    const RegisterDef* bancos = FindRegister("TfoCadBancos");
    EXPECT_EQ(bancos->title, "Bancos");
    EXPECT_EQ(bancos->searchField, "COD_BANCO");
    EXPECT_EQ(bancos->header(), "                  Cadastro e Consulta de Bancos:");
    EXPECT_EQ(bancos->listTitle, "Relatório de Bancos");
    EXPECT_EQ(FindRegister("TfoCadFuncionarios")->header(), "                  Cadastro e Consulta de Funcionários:");
    EXPECT_EQ(FindRegister("TfoCadFuncTomador")->listTitle, "Relatório de Func. Tomador:");
    EXPECT_EQ(FindRegister("TfoCadFuncTomador")->searchField, "");
    EXPECT_EQ(FindRegister("TfoCadMovPlant")->searchField, "");
    EXPECT_EQ(FindRegister("TfoCadSefip")->table, "Sefip");
    EXPECT_EQ(FindRegister("TfoConsOcorrenc")->title, "Ocorrências");
    EXPECT_EQ(FindRegister("TfoConsOcorrenc")->listTitle, "Relatório de Ocorrências:");
    EXPECT_EQ(FindRegister("TfoCadHistFolhaPag")->header(), "                  Cadastro e Consulta de Hist. Folha:");
}

// --- Form particulars in the registry ---

TEST(RegistryForms, EveryEmployeeFieldIsOnOneOfTheNinePages) {
    const TableDef& cadfun = Registry::instance().require("CADFUN");
    const QStringList pages = {"Principal", "Classificações", "Documentação", "13º e Férias", "Banco",
                               "Calculo",   "Outros",         "Históricos",   "eSocial"};
    EXPECT_EQ(cadfun.pages(), pages);
    for (const auto& f : cadfun.fields) EXPECT_TRUE(pages.contains(f.page)) << f.name.toStdString();
    EXPECT_EQ(cadfun.field("CARGO")->page, "Principal");
    EXPECT_EQ(cadfun.field("VLR_SALAR")->page, "Principal");
    EXPECT_EQ(cadfun.field("NR_CPF")->page, "Documentação");
    EXPECT_EQ(cadfun.field("COD_MUNIC")->page, "eSocial");
    EXPECT_EQ(cadfun.field("CART_MOTOR")->page, "Documentação");
    EXPECT_EQ(cadfun.field("DT_IGOZFER")->page, "13º e Férias");
    EXPECT_EQ(cadfun.field("NR_CONTA")->page, "Banco");
    EXPECT_EQ(cadfun.field("AG_FUNC")->page, "Banco");
    EXPECT_EQ(cadfun.field("CTA_DV")->page, "Banco");
    EXPECT_EQ(cadfun.field("HISTO5")->page, "Históricos");

    const TableDef& filial = Registry::instance().require("Filial");
    EXPECT_EQ(filial.pages(), (QStringList{"Principal", "Folha", "Encargos", "eSocial", "Banco"}));
    EXPECT_EQ(filial.field("CONVENIO")->page, "Banco");
    EXPECT_EQ(filial.field("VER_ARQ")->page, "Banco");
    EXPECT_EQ(filial.field("VER_LOTE")->page, "Banco");
    EXPECT_EQ(filial.field("ES_CLASSTR")->page, "eSocial");
    const TableDef& histfp = Registry::instance().require("HISTFP");
    EXPECT_EQ(histfp.pages(), (QStringList{"Principal", "eSocial"}));
    for (const auto& f : histfp.fields) EXPECT_FALSE(f.page.isEmpty()) << f.name.toStdString();
    EXPECT_EQ(histfp.field("ESINCFGTS")->page, "eSocial");
    for (const auto& f : filial.fields) EXPECT_FALSE(f.page.isEmpty()) << f.name.toStdString();
    EXPECT_TRUE(Registry::instance().require("BANCO").pages().isEmpty());
}

TEST(RegistryForms, AFormWithPagesRefusesAFieldWithoutOne) {
    TableBuilder b("T", "T.db", Scope::Company, "T");
    b.text("A", 3).text("B", 3).page({"A"}, "Principal").key({"A"});
    EXPECT_THROW(b.build(), DbError);
    TableBuilder unknown("T", "T.db", Scope::Company, "T");
    EXPECT_THROW(unknown.text("A", 3).page({"Z"}, "Principal"), DbError);
}

TEST(RegistryForms, LookupsOfTheFiveKinds) {
    const TableDef& cadfun = Registry::instance().require("CADFUN");
    struct Case {
        const char* field;
        const char* table;
        const char* key;
        const char* description;
        const char* caption;
        const char* query;
    };
    const Case cases[] = {
        {"CARGO", "Cargos", "COD_CARGOS", "NOME_CARGO", "Descrição do Cargo",
         " SELECT COD_CARGOS as Codigo, NOME_CARGO as Descricao FROM Cargos.db "},
        {"COD_SIND", "SINDICAT", "COD_SIND", "NOME_SIND", "Descrição do Sindicato",
         " SELECT COD_SIND as Codigo, NOME_SIND as Descricao FROM SINDICAT.db "},
        {"COD_TOMAD", "Tomador", "COD_TOMAD", "NOME", "Descrição do Tomador",
         " SELECT COD_TOMAD as Codigo, NOME as Descricao FROM Tomador.db "},
        {"HISTO1", "HISTFP", "HCODIGO", "HNOME", "Descrição do Histórico 1",
         " SELECT HCODIGO as Codigo, HNOME as Descricao FROM HISTFP.db "},
        {"HISTO5", "HISTFP", "HCODIGO", "HNOME", "Descrição do Histórico 5",
         " SELECT HCODIGO as Codigo, HNOME as Descricao FROM HISTFP.db "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const FieldDef* f = cadfun.field(c.field);
        ASSERT_TRUE(f->lookup.has_value());
        EXPECT_TRUE(f->pickerOnly);
        EXPECT_EQ(f->lookup->table, c.table);
        EXPECT_NE(Registry::instance().table(f->lookup->table), nullptr);
        EXPECT_EQ(f->lookup->keyField, c.key);
        EXPECT_EQ(f->lookup->descriptionField, c.description);
        EXPECT_EQ(f->lookup->descriptionCaption, c.caption);
        EXPECT_EQ(f->lookup->listQuery, c.query);
    }
    int described = 0;
    for (const auto& f : cadfun.fields) described += f.lookup.has_value();
    EXPECT_EQ(described, 8);

    const TableDef& ocorrenc = Registry::instance().require("OCORRENC");
    EXPECT_EQ(ocorrenc.field("HCODIGO")->lookup->descriptionCaption, "Descrição do Histórico");
    EXPECT_EQ(ocorrenc.field("HCODIGO")->lookup->descriptionField, "HNOME");
    EXPECT_FALSE(ocorrenc.field("HCODIGO")->pickerOnly);
    EXPECT_EQ(ocorrenc.field("CODFUN")->lookup->table, "CADFUN");
    EXPECT_EQ(ocorrenc.field("CODFUN")->lookup->descriptionCaption, "Nome do Funcionário");
    EXPECT_FALSE(ocorrenc.field("CODFUN")->pickerOnly);
}

TEST(RegistryForms, MasksOfRegistrationNumbersPostcodesAndDates) {
    EXPECT_EQ(InputMaskPattern(InputMask::Cpf), "999.999.999-99;_");
    EXPECT_EQ(InputMaskPattern(InputMask::Cnpj), "99.999.999/9999-99;_");
    EXPECT_EQ(InputMaskPattern(InputMask::Pis), "999.99999.99-9;_");
    EXPECT_EQ(InputMaskPattern(InputMask::Cep), "99999-999;_");
    EXPECT_EQ(InputMaskPattern(InputMask::Date), "99/99/9999;_");
    EXPECT_EQ(InputMaskPattern(InputMask::None), "");

    const Registry& r = Registry::instance();
    EXPECT_EQ(r.require("CADFUN").field("NR_CPF")->mask, InputMask::Cpf);
    EXPECT_EQ(r.require("CADFUN").field("NR_PIS")->mask, InputMask::Pis);
    EXPECT_EQ(r.require("CADFUN").field("CEP")->mask, InputMask::Cep);
    EXPECT_EQ(r.require("CADFUN").field("DT_ADMIS")->mask, InputMask::Date);
    EXPECT_EQ(r.require("CADFUN").field("NOME")->mask, InputMask::None);
    EXPECT_EQ(r.require("SINDICAT").field("CNPJ")->mask, InputMask::Cnpj);
    EXPECT_EQ(r.require("FUNTOMAD").field("PIS")->mask, InputMask::Pis);
    EXPECT_EQ(r.require("Filial").field("FIL_CEP")->mask, InputMask::Cep);
    for (const char* t : {"BANCO", "Tomador", "RESPONSA"}) EXPECT_EQ(r.require(t).field("CEP")->mask, InputMask::Cep) << t;
    // An employer's inscription may be a CNPJ or a CPF: no mask fits both.
    for (const char* t : {"Tomador", "RESPONSA", "Filial"}) EXPECT_EQ(r.require(t).field("CGC")->mask, InputMask::None) << t;
    // Every date of every table is typed as a date.
    for (const auto& t : r.all())
        for (const auto& f : t.fields)
            if (f.type == FieldType::Date) {
                EXPECT_EQ(f.mask, InputMask::Date) << t.name.toStdString();
            }
}

TEST(RegistryForms, ColumnWidthsByTypeSizeAndCaption) {
    const TableDef& cadfun = Registry::instance().require("CADFUN");
    struct Case {
        const char* field;
        int width;
    };
    const Case cases[] = {
        {"NOME", 40},       // text 40
        {"UF", 2},          // text 2, caption "Uf"
        {"CEP", 8},         // text 8 wider than "Cep"
        {"SEXO", 4},        // text 1, caption "Sexo"
        {"DT_NASC", 10},    // date; "Data Nasc." is 10 too
        {"DT_IGOZFER", 23}, // date under "Data Início Gozo Férias"
        {"VLR_SALAR", 21},  // the widest amount, "99.999.999.999.999,99"
        {"COBERTURA", 14},  // a number that is no amount
        {"SAL_FAM", 15},    // short integer under "Salário Família"
        {"HR_SEMAN", 9},    // short integer under "Hr Semana"
    };
    for (const auto& c : cases) EXPECT_EQ(cadfun.field(c.field)->displayWidth(), c.width) << c.field;
    EXPECT_EQ(Registry::instance().require("ParametrosEmpresa").field("ValorBoolean")->displayWidth(), 12);
    EXPECT_EQ(Registry::instance().require("ParametrosEmpresa").field("ValorStr")->displayWidth(), 40);
    FieldDef wide;
    wide.type = FieldType::Logical;
    wide.caption = QString(50, 'X');
    EXPECT_EQ(wide.displayWidth(), 40);
    wide.gridWidth = 7;
    EXPECT_EQ(wide.displayWidth(), 7);
}

// A form's label is a caption a clerk reads: never the column's raw name
// ("DT_FIMFERI", "TEMP") and the usual words with their accents.
TEST(RegistryForms, CaptionsAreWordsNotColumnNames) {
    const QRegularExpression raw(QStringLiteral("^[A-Z0-9_]{4,}$|_"));
    const QRegularExpression unaccented(QStringLiteral("\\b(Codigo|Numero|Historico|Funcionario|Inicio|Vinculo|Adimss)"));
    const QStringList acronyms = {"CNPJ", "CNAE", "FGTS", "INSS", "IRPF", "RAIS", "CAGED"};
    for (const TableDef& t : Registry::instance().all())
        for (const FieldDef& f : t.fields) {
            SCOPED_TRACE((t.name + "." + f.name).toStdString());
            EXPECT_FALSE(f.caption.isEmpty());
            if (!acronyms.contains(f.caption)) {
                EXPECT_FALSE(raw.match(f.caption).hasMatch()) << f.caption.toStdString();
            }
            EXPECT_FALSE(unaccented.match(f.caption).hasMatch()) << f.caption.toStdString();
        }
}

} // namespace
