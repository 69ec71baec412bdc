// Branches and the shared per-branch parameters.
#include "../Registry.h"

namespace folha {

std::vector<TableDef> branchTables() {
    std::vector<TableDef> t;
    t.push_back(TableBuilder("Filial", "Filial.db", Scope::Company, "Filiais")
                    .text("CODIGO", 3, "Código")
                    .text("NOME", 40, "Nome")
                    .text("FIL_FONE", 11, "Fone")
                    .text("FIL_FAX", 11, "Fax")
                    .text("FIL_ENDERE", 40, "Endereço")
                    .number("FIL_NUMERO", "Número")
                    .text("FIL_CIDADE", 20, "Cidade")
                    .text("FIL_BAIRRO", 17, "Bairro")
                    .text("FIL_ESTADO", 2, "Uf")
                    .text("FIL_CEP", 8, "Cep")
                    .text("CGC", 14, "Cnpj")
                    .text("INSCEST", 16, "Insc. Estadual")
                    .number("HORAS_MES", "Horas Mês")
                    .number("HORAS_DESC", "Horas Desc.")
                    .number("TETO_INSS", "Teto Inss")
                    .money({"TETO_INSS"})
                    .number("V_ASSOCIAC", "V Associac")
                    .date("DATA_FOLHA", "Data da Folha")
                    .text("TIPO_FOL", 1, "Tipo Folha")
                    .number("VLR_MINIMO", "Valor Mínimo")
                    .money({"VLR_MINIMO"})
                    .number("FVALOR", "Arredonda")
                    .text("COMIS_PVE", 1, "Comissão PVE")
                    .text("MFOL", 10, "Modelo Folha")
                    .text("BCOAGFGTS", 8, "Banco Ag. Fgts")
                    .text("HISTAUXNAT", 3, "Hist Aux. Natal")
                    .text("HISTSALMAT", 3, "Hist. Sal. Maternidade")
                    .number("PER_GRPS17", "% Empresa GPS")
                    .number("PER_GRPS18", "% Terceiro GPS")
                    .text("COD_GRPS18", 4, "Cód. Outras Entidades")
                    .text("COD_SAT", 7, "Cod Sat")
                    .text("COD_FPAS", 3, "Cod FPAS")
                    .number("CODEMPFGTS", "Cod FGTS")
                    .shortInt("FATMODNF", "Fator Mod. NF")
                    .number("COD_CNAE", "Cnae")
                    .shortInt("TIPOQUI", "Tipo Quin")
                    .shortInt("TIPOASS", "Tipo Asso")
                    .shortInt("TIPODIS", "Tipo Diss")
                    .date("DATAPROCES", "Data Processamento")
                    .text("SIMPLES", 1, "Simples")
                    .text("DIRETORIO", 20, "Diretório")
                    .text("FIL_CONT", 1, "Contabilidade")
                    .text("COD_PAGA", 4, "Cod Paga Inss")
                    .shortInt("TIPO_COM", "Tipo Comissão")
                    .text("COD_CIDADE", 8, "Cod Cidade")
                    .number("PER_PROLAB", "% Prolab")
                    .text("FIL_ALTEND", 1, "Alteração Endereço")
                    .text("FIL_ALTCNA", 1, "Alteração Cnae")
                    .number("PER_FILANT", "% Filantropia")
                    .text("USA_PLANTO", 1, "Usa Plantões")
                    .text("COD_RFGTS", 3, "Cód. Recolhimento FGTS")
                    .date("BASE", "Data Base")
                    .text("MODALIDADE", 1, "Modalidade")
                    .number("INDICE_FAP", "Índice FAP")
                    // The employer and the branch as the eSocial's table events
                    // (S-1000, S-1005, S-1020) report them; the codes are those
                    // of evtInfoEmpregador.xsd and evtTabLotacao.xsd (S-1.3).
                    .text("ES_CLASSTR", 2, "Classificação Tributária (Tabela 08)")
                    .shortInt("ES_INDCOOP", "Cooperativa",
                              {{"0", "0 - Não é cooperativa"}, {"1", "1 - Cooperativa de trabalho"},
                               {"2", "2 - Cooperativa de produção"}, {"3", "3 - Outras cooperativas"}})
                    .shortInt("ES_INDCONS", "Construtora", {{"0", "0 - Não é construtora"}, {"1", "1 - Empresa construtora"}})
                    .shortInt("ES_DESFOLH", "Desoneração da Folha",
                              {{"0", "0 - Não aplicável"}, {"1", "1 - Empresa enquadrada nos critérios da legislação vigente"},
                               {"2", "2 - Município enquadrado nos critérios da legislação vigente"}})
                    .shortInt("ES_REGELET", "Registro Eletrônico de Empregados",
                              {{"0", "0 - Não optou pelo registro eletrônico"}, {"1", "1 - Optou pelo registro eletrônico"}})
                    .text("ES_TPLOTAC", 2, "Tipo de Lotação Tributária (Tabela 10)")
                    // The bank the branch pays salaries through (CNAB 240):
                    // its compensation code, the agreement code the bank
                    // gave, the company's account and the number of the
                    // last file sent.
                    .text("BCO_PAGTO", 3, "Banco Pagador")
                    .text("CONVENIO", 20, "Convênio de Pagamento")
                    .text("AG_PAGTO", 5, "Agência da Empresa")
                    .text("AG_PAGDV", 1, "Dígito da Agência")
                    .text("CTA_PAGTO", 12, "Conta da Empresa")
                    .text("CTA_PAGDV", 1, "Dígito da Conta")
                    .number("NSA_PAGTO", "Último Arquivo Enviado")
                    // Layout versions of the salary file when the bank asks
                    // for others than FEBRABAN's (empty: 103 and 046).
                    .text("VER_ARQ", 3, "Versão do Leiaute do Arquivo")
                    .text("VER_LOTE", 3, "Versão do Leiaute do Lote")
                    .codes("TIPO_FOL", sheetTypeCodes())
                    .check("CGC", FieldCheck::CnpjCpf)
                    .mask("FIL_CEP", InputMask::Cep)
                    .page({"CODIGO", "NOME", "CGC", "INSCEST", "FIL_ENDERE", "FIL_NUMERO", "FIL_BAIRRO", "FIL_CIDADE",
                           "FIL_ESTADO", "FIL_CEP", "COD_CIDADE", "FIL_FONE", "FIL_FAX", "FIL_ALTEND", "DIRETORIO"},
                          "Principal")
                    .page({"DATA_FOLHA", "TIPO_FOL", "DATAPROCES", "BASE", "HORAS_MES", "HORAS_DESC", "VLR_MINIMO",
                           "FVALOR", "V_ASSOCIAC", "TIPOQUI", "TIPOASS", "TIPODIS", "TIPO_COM", "COMIS_PVE", "MFOL",
                           "HISTAUXNAT", "HISTSALMAT", "USA_PLANTO", "FIL_CONT"},
                          "Folha")
                    .page({"TETO_INSS", "PER_GRPS17", "PER_GRPS18", "COD_GRPS18", "COD_PAGA", "COD_SAT", "COD_FPAS",
                           "COD_CNAE", "FIL_ALTCNA", "SIMPLES", "PER_PROLAB", "PER_FILANT", "INDICE_FAP", "MODALIDADE",
                           "BCOAGFGTS", "CODEMPFGTS", "COD_RFGTS", "FATMODNF"},
                          "Encargos")
                    .page({"ES_CLASSTR", "ES_INDCOOP", "ES_INDCONS", "ES_DESFOLH", "ES_REGELET", "ES_TPLOTAC"}, "eSocial")
                    .page({"BCO_PAGTO", "CONVENIO", "AG_PAGTO", "AG_PAGDV", "CTA_PAGTO", "CTA_PAGDV", "NSA_PAGTO", "VER_ARQ",
                           "VER_LOTE"},
                          "Banco")
                    .key({"CODIGO"})
                    .build());

    t.push_back(TableBuilder("ParametrosEmpresa", "ParametrosEmpresa.db", Scope::Shared, "Parâmetros da Empresa")
                    .longInt("filial", "Filial")
                    .longInt("CodParametro", "Código")
                    .text("DescParametro", 60, "Descrição")
                    .text("NomeParametro", 40, "Nome")
                    .text("ValorStr", 255, "Valor Texto")
                    .number("ValorNumerico", "Valor Numérico")
                    .memo("ValorWide", "Valor Wide")
                    .memo("ValorOleObject", "Valor Objeto")
                    .logical("ValorBoolean", "Valor Lógico")
                    .key({"filial", "NomeParametro"})
                    .build());
    // The legal tables of the payroll (INSS, IRRF, family allowance, minimum
    // wage, FGTS), one row per bracket, each table valid from INICIO to FIM
    // (competences AAAAMM; FIM empty while no newer table of the kind exists).
    t.push_back(TableBuilder("TabelasLegais", "TabelasLegais.db", Scope::Shared, "Tabelas Legais")
                    .text("TIPO", 12, "Tipo")
                    .text("INICIO", 6, "Início")
                    .text("FIM", 6, "Fim")
                    .shortInt("FAIXA", "Faixa")
                    .number("LIMITE", "Limite")
                    .number("ALIQUOTA", "Alíquota %")
                    .number("DEDUZIR", "Parcela a Deduzir")
                    .number("VALOR", "Valor")
                    .text("FONTE", 120, "Fonte")
                    .key({"TIPO", "INICIO", "FAIXA"})
                    .build());
    // The branch's own holidays (state and municipal, Good Friday where the
    // municipality keeps it); the national ones come from the law.
    t.push_back(TableBuilder("FERIADOS", "FERIADOS.db", Scope::Company, "Feriados")
                    .text("FILIAL", 3, "Filial")
                    .date("DATA", "Data")
                    .text("DESCRICAO", 40, "Descrição")
                    .refers("FILIAL", "Filial", "CODIGO")
                    .key({"FILIAL", "DATA"})
                    .build());
    return t;
}

} // namespace folha
