// Contribution tables and the other registers.
#include "../Registry.h"

namespace folha {

std::vector<TableDef> otherRegisterTables() {
    std::vector<TableDef> t;
    t.push_back(TableBuilder("Tabelas", "Tabelas.db", Scope::Company, "Tabelas")
                    .text("COD_TABELA", 3, "Código")
                    .text("NOME", 30, "Nome")
                    .number("COL1_TAB", "Coluna 1")
                    .number("COL2_TAB", "Coluna 2")
                    .number("COL3_TAB", "Coluna 3")
                    .number("COL4_TAB", "Coluna 4")
                    .mandatory({"NOME"})
                    .key({"COD_TABELA"})
                    .build());

    t.push_back(TableBuilder("Cargos", "Cargos.db", Scope::Company, "Cargos")
                    .noun("Cargo")
                    .text("COD_CARGOS", 3, "Código")
                    .text("NOME_CARGO", 40, "Nome")
                    .shortInt("PERC_APOSE", "% Aposentadoria")
                    .text("COD_OCORRE", 2, "Ocorrencia")
                    .text("CBO", 6, "CBO")
                    .mandatory({"NOME_CARGO"})
                    .key({"COD_CARGOS"})
                    .index("NOMECARGOS", {"NOME_CARGO"})
                    .build());

    t.push_back(TableBuilder("SINDICAT", "SINDICAT.db", Scope::Company, "Sindicatos")
                    .noun("Sindicato")
                    .text("COD_SIND", 3, "Código")
                    .text("NOME_SIND", 60, "Nome")
                    .text("CNPJ", 14, "Cnpj")
                    .check("CNPJ", FieldCheck::Cnpj)
                    .mask("CNPJ", InputMask::Cnpj)
                    .mandatory({"NOME_SIND"})
                    .key({"COD_SIND"})
                    .index("NOMEDOSINDICATO", {"NOME_SIND"})
                    .build());

    t.push_back(TableBuilder("centcust", "centcust.db", Scope::Company, "Centros de Custo")
                    .noun("Centro de custo")
                    .text("COD_CCUSTO", 10, "Código")
                    .text("DESC_CUSTO", 35, "Descrição")
                    .mandatory({"DESC_CUSTO"})
                    .key({"COD_CCUSTO"})
                    .index("DESCRICAODOCENTRODECUSTO", {"DESC_CUSTO"})
                    .build());

    t.push_back(TableBuilder("BANCO", "BANCO.db", Scope::Company, "Bancos")
                    .noun("Banco")
                    .text("COD_BANCO", 8, "Cod Banco")
                    .text("NUMERO", 3, "Número")
                    .text("AGENCIA", 5, "Agência")
                    .text("NOME", 35, "Nome")
                    .text("NOMEAGENCI", 35, "Nome Agência")
                    .text("ENDERECO", 40, "Endereço")
                    .text("CIDADE", 20, "Cidade")
                    .text("ESTADO", 2, "Estado")
                    .text("CEP", 8, "Cep")
                    .text("ABREV", 12, "Abrev")
                    .text("BCO_CONTA", 6, "Conta")
                    .shortInt("DIA_ACREC", "Dias Acresc.")
                    .text("INIARQREM", 3, "Ini Arq Rem")
                    .text("TDOC_COD", 6, "Tipo Doc")
                    .number("NSA", "Nsa")
                    .mask("CEP", InputMask::Cep)
                    .mandatory({"NOME"})
                    .key({"COD_BANCO"})
                    .index("Nome do Banco", {"NOME"})
                    .build());

    t.push_back(TableBuilder("Linha", "Linha.db", Scope::Company, "Linhas de Transporte")
                    .noun("Linha de transporte")
                    .text("CODIGO", 3, "Código")
                    .text("NOME", 30, "Nome")
                    .number("VALOR", "Valor")
                    .money({"VALOR"})
                    .mandatory({"NOME"})
                    .key({"CODIGO"})
                    .index("NOMEDELINHA", {"NOME"})
                    .build());

    t.push_back(TableBuilder("PLANTOES", "PLANTOES.db", Scope::Company, "Plantões")
                    .noun("Plantão")
                    .text("COD_PLANTA", 3, "Código")
                    .text("NOME", 30, "Nome")
                    .number("HRS_NORMA", "Horas Normais")
                    .number("ADIC_NOT", "Adic. Noturno 40%")
                    .number("EXTRA_50", "Nro Hrs Extras 50%")
                    .number("EXTRA_100", "Nro Hrs Extras 100%")
                    .number("N40_EXT50", "Hrs 40% Not 50%")
                    .number("N40_EXT100", "Hrs 40% Not 100%")
                    .number("HRS_REDUC", "Nro Horas Redução Not")
                    .number("HRS_PLANTA", "Total Hrs Plantão")
                    .number("CALC_LEI", "Calc Lei 3999")
                    .mandatory({"NOME"})
                    .key({"COD_PLANTA"})
                    .index("NomePlantao", {"NOME"})
                    .build());

    t.push_back(TableBuilder("MovPlant", "MovPlant.db", Scope::Company, "Movimento de Plantões")
                    .text("PLANT_ANO", 4, "Ano")
                    .text("PLANT_MES", 2, "Mês")
                    .text("TIPOFOLHA", 1, "Tipo Folha")
                    .text("CODFUN", 6, "Código Funcionário")
                    .text("COD_PLANTA", 3, "Código Plantão")
                    .number("QUANTIDADE", "Quantidade")
                    .text("FLAG", 1, "Flag")
                    .refers("CODFUN", "CADFUN", "CODFUN")
                    .refers("COD_PLANTA", "PLANTOES", "COD_PLANTA")
                    .key({"PLANT_ANO", "PLANT_MES", "TIPOFOLHA", "CODFUN", "COD_PLANTA"})
                    .build());

    t.push_back(TableBuilder("Tomador", "Tomador.db", Scope::Company, "Tomadores de Serviço")
                    .noun("Tomador")
                    .text("COD_TOMAD", 3, "Código")
                    .text("NOME", 40, "Nome")
                    .text("ENDERECO", 50, "Endereço")
                    .text("CIDADE", 20, "Cidade")
                    .text("BAIRRO", 20, "Bairro")
                    .text("UF", 2, "Uf")
                    .text("CEP", 8, "Cep")
                    .text("TIPO", 1, "Tipo")
                    .text("CGC", 14, "Cnpj")
                    .text("OBSERVACAO", 70, "Observação")
                    .number("RETENCAO", "Retenção")
                    .number("FATURAS", "Faturas")
                    .check("CGC", FieldCheck::CnpjCpf)
                    .mask("CEP", InputMask::Cep)
                    .mandatory({"NOME"})
                    .key({"COD_TOMAD"})
                    .index("Tipo_cgc", {"TIPO", "CGC"})
                    .index("NOMETOMADOR", {"NOME"})
                    .build());

    t.push_back(TableBuilder("FUNTOMAD", "FUNTOMAD.db", Scope::Company, "Valores por Tomador")
                    .text("ANOMES", 6, "Ano / Mês")
                    .text("CODFUN", 6, "Código Funcionário")
                    .text("TOMADOR", 3, "Tomador")
                    .number("VALOR", "Valor")
                    .money({"VALOR"})
                    .number("VALOR13", "Valor 13º")
                    .money({"VALOR13"})
                    .text("PIS", 11, "Pis")
                    .number("VALORAFAST", "Valor Afast.")
                    .money({"VALORAFAST"})
                    .check("PIS", FieldCheck::Pis)
                    .refers("CODFUN", "CADFUN", "CODFUN")
                    .refers("TOMADOR", "Tomador", "COD_TOMAD")
                    .mask("PIS", InputMask::Pis)
                    .key({"ANOMES", "CODFUN", "TOMADOR"})
                    .index("AnoMes_Tomad_Pis", {"ANOMES", "TOMADOR", "PIS"})
                    .build());

    t.push_back(TableBuilder("RESPONSA", "RESPONSA.db", Scope::Company, "Responsável")
                    .text("COD_RES", 3, "Código")
                    .text("NOME", 30, "Nome")
                    .text("ENDERECO", 50, "Endereço")
                    .number("NUMERO", "Número")
                    .text("COMPLEMENT", 20, "Complemento")
                    .text("CIDADE", 20, "Cidade")
                    .text("BAIRRO", 20, "Bairro")
                    .text("UF", 2, "Uf")
                    .text("CEP", 8, "Cep")
                    .text("DDDFONE", 4, "DDD Fone")
                    .text("FONE", 8, "Fone")
                    .text("TIPO", 1, "Tipo")
                    .text("CGC", 14, "Cnpj")
                    .text("CONTATO", 20, "Contato")
                    .text("E_MAIL", 60, "Email")
                    .text("COD_CIDADE", 8, "Cidade")
                    .text("DDDFAX", 4, "DDD Fax")
                    .text("FAX", 8, "Fax")
                    .check("CGC", FieldCheck::CnpjCpf)
                    .mask("CEP", InputMask::Cep)
                    .mandatory({"NOME"})
                    .key({"COD_RES"})
                    .build());

    t.push_back(TableBuilder("Sefip", "Sefip.db", Scope::Company, "Sefip")
                    .text("CGC", 14, "Cnpj")
                    .text("NOME", 40, "Nome")
                    .text("TIPO", 1, "Tipo")
                    .key({"CGC"})
                    .build());

    t.push_back(TableBuilder("grrf", "grrf.db", Scope::Company, "Grrf")
                    .text("CGC", 14, "Cnpj")
                    .text("NOME", 40, "Nome")
                    .text("TIPO", 1, "Tipo")
                    .key({"CGC"})
                    .build());

    // Read only by its report; kept per competence, cost centre and event.
    t.push_back(TableBuilder("CUSTOFP", "CUSTOFP.db", Scope::Company, "Custo da Folha")
                    .text("ANOMES", 6, "Ano / Mês")
                    .text("CENTCUSTO", 10, "Centro de Custo")
                    .text("HCODIGO", 3, "Histórico")
                    .number("VALOR", "Valor")
                    .money({"VALOR"})
                    .key({"ANOMES", "CENTCUSTO", "HCODIGO"})
                    .build());
    {
        TableBuilder b("TMPVALORES", "TMPVALORES.DB", Scope::Company, "Valores Temporários");
        b.longInt("Seq", "Seq");
        for (int i = 1; i <= 11; ++i) b.number(QStringLiteral("Valor%1").arg(i), QStringLiteral("Valor %1").arg(i));
        b.key({"Seq"});
        t.push_back(b.build());
    }

    // Pay statements sent by e-mail: the latest attempt for each employee of
    // a competence and sheet, with the server's answer. Sending again skips
    // the rows marked sent.
    t.push_back(TableBuilder("ENVIOMAIL", "ENVIOMAIL.db", Scope::Company, "Envio de Demonstrativos por E-mail")
                    .text("COMPET", 6, "Competência")
                    .text("TIPOFOLHA", 1, "Folha")
                    .text("CODFUN", 6, "Funcionário")
                    .text("EMAIL", 60, "E-mail")
                    .text("MOMENTO", 19, "Data e Hora")
                    .text("RESULTADO", 1, "Resultado")
                    .shortInt("TENTATIVAS", "Tentativas")
                    .text("RESPOSTA", 250, "Resposta do Servidor")
                    .codes("RESULTADO", {{"E", "E - Enviado"}, {"F", "F - Falhou"}})
                    .key({"COMPET", "TIPOFOLHA", "CODFUN"})
                    .build());

    // The accounts of the payroll's entries: an event (or a charge: EMP the
    // employer's INSS with the RAT, TER third parties, FGT the FGTS), for a
    // cost centre or, "*", for every centre without a row of its own.
    t.push_back(TableBuilder("CONTAFP", "CONTAFP.db", Scope::Company, "Contas Contábeis da Folha")
                    .noun("Conta contábil")
                    .text("ITEM", 3, "Histórico / Encargo")
                    .text("CENTCUSTO", 10, "Centro de Custo")
                    .text("CONTA_DEB", 20, "Conta Débito")
                    .text("CONTA_CRE", 20, "Conta Crédito")
                    .text("HISTORICO", 40, "Histórico Contábil")
                    .mandatory({"CONTA_DEB", "CONTA_CRE"})
                    .key({"ITEM", "CENTCUSTO"})
                    .build());
    return t;
}

} // namespace folha
