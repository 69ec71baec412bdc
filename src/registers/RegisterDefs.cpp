#include "RegisterDefs.h"

namespace folha::registers {

QString RegisterDef::header() const {
    if (!fixedHeader.isEmpty()) return fixedHeader;
    return QStringLiteral("                  Cadastro e Consulta de ") + title + QLatin1Char(':');
}

namespace {

// One register: the edit and delete prefixes are the insert prefix with
// "Inclusão de" read as "Edição de" and "Exclusão de" unless given.
RegisterDef reg(const QString& screen, const QString& table, const QString& title, const QString& searchField,
                const QString& insertPrefix, QList<AuditField> fields, const QString& listText,
                const QString& editPrefix = {}, const QString& deletePrefix = {}) {
    RegisterDef d;
    d.screen = screen;
    d.table = table;
    d.title = title;
    d.searchField = searchField;
    d.insertPrefix = insertPrefix;
    QString edit = insertPrefix;
    QString del = insertPrefix;
    edit.replace(QStringLiteral("Inclusão de"), QStringLiteral("Edição de"));
    del.replace(QStringLiteral("Inclusão de"), QStringLiteral("Exclusão de"));
    d.editPrefix = editPrefix.isEmpty() ? edit : editPrefix;
    d.deletePrefix = deletePrefix.isEmpty() ? del : deletePrefix;
    d.auditFields = std::move(fields);
    d.listTitle = QStringLiteral("Relatório de ") + listText;
    return d;
}

QList<RegisterDef> buildDefs() {
    QList<RegisterDef> defs;
    defs << reg("TfoCadBancos", "BANCO", "Bancos", "COD_BANCO", "Inclusão de cadastro de banco |Codigo: ",
                {{"", "COD_BANCO"}, {" |Nome): ", "NOME"}, {" |Ag: ", "AGENCIA"}}, "Bancos");
    defs << reg("TfoCadCargos", "Cargos", "Cargos", "COD_CARGOS", "Inclusão de cadastro de cargos |Codigo: ",
                {{"", "COD_CARGOS"}, {"|Nome: ", "NOME_CARGO"}, {"|Ocorrencia: ", "COD_OCORRE"},
                 {"|Perc Aposent: ", "PERC_APOSE"}},
                "Cargos:");
    defs << reg("TfoCadCentroCusto", "centcust", "Centro de Custo", "COD_CCUSTO",
                "Inclusão de Centro de Custo |Codigo: ", {{"", "COD_CCUSTO"}, {"|Descr.: ", "DESC_CUSTO"}},
                "Centro de Custo:", {}, "Exclusão de cadastro de Centro de Custo |Codigo: ");
    defs << reg("TfoCadDependentes", "DEPENDE", "Dependentes", "CODFUN", "Inclusão de cadastro de dependente |Func: ",
                {{"", "CODFUN"}, {"|Num: ", "NUMERO"}, {"|Nome Dependente: ", "NOME_DEPEN"}, {"|Dt Nasc: ", "DT_NASC"},
                 {"|Anos IRPF: ", "ANOS_IRPF"}},
                "DEPENDE:");
    {
        RegisterDef d = reg("TfoCadFuncionarios", "CADFUN", "Funcionários", "CODFUN",
                            "Inclusão de cadastro de funcionários |Codigo: ",
                            {{"", "CODFUN"}, {"|Nome: ", "NOME"}, {"|Salário: ", "VLR_SALAR"}}, "Funcionários:",
                            "Edição de de cadastro de funcionários |Codigo: ");
        d.fixedHeader = QStringLiteral("                  Cadastro e Consulta de Funcionários:");
        defs << d;
    }
    defs << reg("TfoCadHistAfastamento", "HISTAFAS", "Historicos de Afastamento", "HCODIGO",
                "Inclusão de cadastro de historico de afastamento |Codigo: ",
                {{"", "HCODIGO"}, {"|Descr.: ", "HNOME"}, {"|13º: ", "CALC13"}, {"|Ferias: ", "CALCFERIAS"},
                 {"|Normal: ", "CALCNORMAL"}, {"|Rais: ", "CODIGORAIS"}},
                "Historicos de Afastamento:");
    defs << reg("TfoCadHistFolhaPag", "HISTFP", "Hist. Folha", "HCODIGO", "Inclusão de cadastro de historicos da folha ",
                {{"", "HCODIGO"}, {" Nome: ", "HNOME"}, {" |Parametro: ", "HPARAMETRO"}}, "HISTFP:");
    defs << reg("TfoCadLinhas", "Linha", "Linhas", "CODIGO", "Inclusão de cadastro de linhas |Codigo: ",
                {{"", "CODIGO"}, {"|Nome: ", "NOME"}, {"|Valor: ", "VALOR"}}, "Linhas:");
    defs << reg("TfoCadOcorrenFixa", "FIXAOCOR", "Ocorrência Fixa", "FCODIGO",
                "Inclusão de cadastro de ocorrencia fixa |Codigo: ",
                {{"", "FCODIGO"}, {"|Descr.: ", "FDESCRICAO"}, {"|Histo.: ", "FHISTORICO"}, {"|Valor: ", "FVALOR"}},
                "Ocorrência Fixa:");
    defs << reg("TfoCadPlantoes", "PLANTOES", "Plantões", "COD_PLANTA", "Inclusão de cadastro de plantões |Codigo: ",
                {{"", "COD_PLANTA"}, {"|Nome: ", "NOME"}}, "Plantões:", {}, "Exclusão de plantões |Codigo: ");
    defs << reg("TfoCadResponsavel", "RESPONSA", "Responsável", "COD_RES",
                "Inclusão de cadastro de responsaveis |Codigo: ", {{"", "COD_RES"}, {" |Nome: ", "NOME"}},
                "Responsável:");
    defs << reg("TfoCadSindicatos", "SINDICAT", "Sindicatos", "COD_SIND", "Inclusão de cadastro de sindicatos |Codigo: ",
                {{"", "COD_SIND"}, {"|Nome: ", "NOME_SIND"}, {" |Cnpj: ", "CNPJ"}}, "Sindicatos:");
    defs << reg("TfoCadTomador", "Tomador", "Tomador", "COD_TOMAD", "Inclusão de cadastro de tomador |Codigo: ",
                {{"", "COD_TOMAD"}, {" |Nome: ", "NOME"}}, "Tomador:");
    defs << reg("TfoCadAfastFun", "AFASTFUN", "Afastamento de Funcionários", "CODFUN",
                "Inclusão de cadastro de afastamento de funcionarios |Cod Fun: ",
                {{"", "CODFUN"}, {"|Histo Afast: ", "HCODIGO"}, {"|Causa: ", "CAUS_RESC"}, {"|Data: ", "DATA"}},
                "Afastamento de Funcionários:", {}, "Exclusão de afastamento de funcionarios |Cod Fun: ");
    {
        // The branch's own holidays; the national ones the payroll knows by law.
        RegisterDef d = reg("TfoCadFeriados", "FERIADOS", "Feriados da Filial", "DATA",
                            "Inclusão de cadastro de feriados |Filial: ",
                            {{"", "FILIAL"}, {"|Data: ", "DATA"}, {"|Descr.: ", "DESCRICAO"}}, "Feriados:");
        d.keyEditable = true;
        defs << d;
    }
    defs << reg("TfoCadTabelas", "Tabelas", "Tabelas", "COD_TABELA", "Inclusão de cadastro de tabelas |Codigo: ",
                {{"", "COD_TABELA"}, {"|Col1: ", "COL1_TAB"}, {"|Col2: ", "COL2_TAB"}, {"|Col3: ", "COL3_TAB"},
                 {"|Col4: ", "COL4_TAB"}},
                "Tabelas:");
    {
        RegisterDef d = reg("TfoCadFuncTomador", "FUNTOMAD", "Func.Tomador", {},
                            "Inclusão de cadastro de funcionario tomador |AnoMes: ",
                            {{"", "ANOMES"}, {"|CodFun: ", "CODFUN"}, {"|Valor: ", "VALOR"}, {"|Valor13: ", "VALOR13"},
                             {"|Valor Afast: ", "VALORAFAST"}, {"|Pìs: ", "PIS"}},
                            "Func. Tomador:");
        d.keyEditable = true;
        defs << d;
    }
    {
        // The shift code follows the employee's, so two shifts of one
        // employee in a month are told apart in the log.
        RegisterDef d = reg("TfoCadMovPlant", "MovPlant", "Mov. Plantões", {},
                            "Inclusão de cadastro de movimento de plantões |Ano: ",
                            {{"", "PLANT_ANO"}, {"|Mes: ", "PLANT_MES"}, {"|Cod Fun: ", "CODFUN"},
                             {"|Cod Plant: ", "COD_PLANTA"}, {"|Tipo Folha: ", "TIPOFOLHA"},
                             {"|Quant.: ", "QUANTIDADE"}, {"|Flag: ", "FLAG"}},
                            "Mov. Plantões:");
        d.keyEditable = true;
        defs << d;
    }
    defs << reg("TfoCadSefip", "Sefip", "Sefip", "CGC", "Inclusão de cadastro de sefip |Cnpj: ",
                {{"", "CGC"}, {"|Nome: ", "NOME"}, {"|Tipo: ", "TIPO"}}, "Sefip:",
                "Edição de cadastro de cadastro de sefip |Cnpj: ");
    defs << reg("TfoCadFilial", "Filial", "Filial", "CODIGO", "Inclusão de cadastro de ", {}, "Filial:");
    // The events screens keep the register's audit texts without fields;
    // the entry lets the event code of a row change on Edit.
    for (const char* screen : {"TfoCadOcorrenc", "TfoConsOcorrenc"}) {
        RegisterDef d = reg(screen, "OCORRENC", "Ocorrências", {}, "Inclusão de cadastro de ", {}, "Ocorrências:");
        d.keyEditable = QLatin1String(screen) == QLatin1String("TfoCadOcorrenc");
        defs << d;
    }
    {
        // The accounts of the payroll's entries: the item and the cost
        // centre ("*" for every centre) are typed.
        RegisterDef d = reg("TfoCadContasContabeis", "CONTAFP", "Contas Contábeis da Folha", "ITEM",
                            "Inclusão de conta contábil da folha |Item: ",
                            {{"", "ITEM"}, {"|C.Custo: ", "CENTCUSTO"}, {"|Débito: ", "CONTA_DEB"},
                             {"|Crédito: ", "CONTA_CRE"}},
                            "Contas Contábeis da Folha:");
        d.keyEditable = true;
        defs << d;
    }
    return defs;
}

// A value as the register's form shows it: dates dd/MM/yyyy, amounts with a
// decimal comma and no trailing zeros, codes as stored.
QString auditValue(const Record& row, const QString& field) {
    const FieldDef* f = row.def().field(field);
    if (!f || row.isNull(field)) return {};
    switch (f->type) {
    case FieldType::Date: return row.date(field).toString(QStringLiteral("dd/MM/yyyy"));
    case FieldType::Time: return row.time(field).toString(QStringLiteral("HH:mm:ss"));
    case FieldType::Number: return row.number(field).toString().replace(QLatin1Char('.'), QLatin1Char(','));
    case FieldType::ShortInt:
    case FieldType::LongInt:
    case FieldType::AutoInc: return QString::number(row.integer(field));
    case FieldType::Logical: return row.logical(field) ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Text:
    case FieldType::Memo: break;
    }
    return row.text(field);
}

} // namespace

const QList<RegisterDef>& RegisterDefs() {
    static const QList<RegisterDef> defs = buildDefs();
    return defs;
}

const RegisterDef* FindRegister(const QString& screen) {
    for (const auto& d : RegisterDefs())
        if (d.screen.compare(screen, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

QString RegisterAuditText(const RegisterDef& def, const QString& action, const Record& row) {
    QString text = action == QLatin1String("E")   ? def.editPrefix
                   : action == QLatin1String("X") ? def.deletePrefix
                                                  : def.insertPrefix;
    for (const auto& a : def.auditFields) text += a.label + auditValue(row, a.field);
    return text;
}

} // namespace folha::registers
