// Event codes, fixed roles and the monthly events.
#include "../Registry.h"

namespace folha {

const QList<CodeEntry>& sheetTypeCodes() {
    static const QList<CodeEntry> codes = {
        {"F", "F - Folha"},          {"I", "I - Férias"},          {"D", "D - 13º Salário"},
        {"A", "A - Adiantamento"},   {"P", "P - Provisão Férias"}, {"Q", "Q - Provisão 13º Salário"},
    };
    return codes;
}

std::vector<TableDef> eventTables() {
    std::vector<TableDef> t;
    t.push_back(TableBuilder("HISTFP", "HISTFP.db", Scope::Company, "Históricos")
                    .noun("Histórico")
                    .text("HCODIGO", 3, "Código")
                    .text("HNOME", 30, "Descrição")
                    .shortInt("HFLAGINS13", "Flag 13º")
                    .shortInt("HFLAGINSF", "Flag Insalubr. Férias")
                    .shortInt("HFLAGINSN", "Flag Insalub. Normal", {{"0", "0 - Não Incide Insalubridade"}, {"1", "1 - Insalubridade Normal"}, {"2", "2 - Insalubridade 13º Salário"}, {"3", "3 - Insalubridade Férias"}, {"4", "4 - Insalubridade Férias Vencidas"}, {"5", "5 - Insalubridade Férias Proporcionais"}, {"6", "6 - Insalubridade Aviso Prévio"}})
                    .shortInt("HFLAGREAD", "Reflexo Ad")
                    .shortInt("HFLAGRE100", "Reflexo 100")
                    .shortInt("HFLAGRE70", "Reflexo 70")
                    .shortInt("HFLAGRE60", "Reflexo 60")
                    .shortInt("HFLAGRE50", "Reflexo 50")
                    .shortInt("HFLAGFEN", "Férias Normal")
                    .shortInt("HFLAGFEV", "Férias Vencidas")
                    .shortInt("HFLAGFEP", "Férias Proporcionais")
                    .shortInt("HFLAG13N", "Flag 13º Normal")
                    .shortInt("HFLAG13I", "13º Av. Prev")
                    .shortInt("HFLAGINPS", "Flag INPS", {{"0", "0 - Não Incide INSS"}, {"1", "1 - Inps Normal"}, {"2", "2 - Inps 13º Salário"}, {"3", "3 - Inps Férias"}, {"4", "4 - Inps Recisão"}})
                    .shortInt("HFLAGIRRF", "Flag IRPF", {{"0", "0 - Não Incide IRRF"}, {"1", "1 - IRRF Normal"}, {"2", "2 - IRRF 13º Salário"}, {"3", "3 - IRRF Férias"}, {"4", "4 - IRRF Recisão"}})
                    .shortInt("HFLAGFGTS", "Flag FGTS", {{"0", "0 - Não Incide"}, {"1", "1 - Normal"}})
                    .shortInt("HFLAGINS", "Flag INSS")
                    .shortInt("HFLAGMED", "Flag  Quinquênio", {{"0", "0 - Não Incide Quinquênio"}, {"1", "1 - Quinquênio Normal"}, {"2", "2 - Quinquênio 13º Salário"}, {"3", "3 - Quinquênio Férias"}, {"4", "4 - Quinquênio Férias Vencidas"}, {"5", "5 - Quinquênio Férias Proporcionais"}, {"6", "6 - Quinquênio Aviso Prévio Indenizado"}})
                    .number("HPERC", "Percentual")
                    .shortInt("HPRODESC", "Prov. Desc")
                    .shortInt("HPARAMETRO", "Parametro", {{"1", "1 - Referencia x Horas"}, {"3", "3 - Lança Valor na Ocorrência"}})
                    .shortInt("HACUMNOR", "Flag Acum Normal")
                    .shortInt("HACUM13", "Flag Acum 13º")
                    .shortInt("HACUMFEV", "Flag Acum Fev")
                    .shortInt("HACUMBSIR", "Flag Acum Bs Ir")
                    .shortInt("HACUMIRRF", "Flag Acumula IRPF")
                    .number("HFLAGPER", "Flag Periculosidade")
                    // The event as the eSocial's event chart (S-1010) reports it.
                    .text("ESNATRUB", 4, "Natureza eSocial")
                    .shortInt("ESTPRUB", "Tipo eSocial", {{"1", "1 - Vencimento"}, {"2", "2 - Desconto"}, {"3", "3 - Informativa"}, {"4", "4 - Informativa dedutora"}})
                    .text("ESINCCP", 2, "Incidência INSS eSocial")
                    .text("ESINCIRRF", 4, "Incidência IRRF eSocial")
                    .text("ESINCFGTS", 2, "Incidência FGTS eSocial")
                    .mandatory({"HNOME"})
                    .key({"HCODIGO"})
                    .index("NomeHistorico", {"HNOME"})
                    .build());

    t.push_back(TableBuilder("FIXAOCOR", "FIXAOCOR.db", Scope::Company, "Ocorrências Fixas")
                    .text("FCODIGO", 3, "Código")
                    .text("FDESCRICAO", 40, "Descrição")
                    .text("FHISTORICO", 3, "Histórico")
                    .number("FVALOR", "Valor")
                    .money({"FVALOR"})
                    .key({"FCODIGO"})
                    .build());

    t.push_back(TableBuilder("OCORRENC", "OCORRENC.db", Scope::Company, "Ocorrências")
                    .noun("Ocorrência")
                    .text("OCORRANO", 4, "Ano")
                    .text("OCORRMES", 2, "Mês")
                    .text("TIPOFOLHA", 1, "Tipo Folha")
                    .text("HCODIGO", 3, "Histórico")
                    .text("CODFUN", 6, "Funcionário")
                    .number("REFER", "Refer")
                    .number("VALOR", "Valor")
                    .money({"VALOR"})
                    .text("CENTCUSTO", 10, "Centro de Custo")
                    .text("FLAG", 1, "Flag")
                    .date("DT_INIFERI", "Início Aquisitivo")
                    .date("DT_FINFERI", "Fim Aquisitivo")
                    .date("DT_IGOZFER", "Início Gozo")
                    .date("DT_FGOZFER", "Fim Gozo")
                    .date("DT_IABOFER", "Início Abono")
                    .date("DT_FABOFER", "Fim Abono")
                    .codes("TIPOFOLHA", sheetTypeCodes())
                    .lookup("HCODIGO", {"HISTFP", "HCODIGO", "HNOME", "Descrição do Histórico",
                                        " SELECT HCODIGO as Codigo, HNOME as Descricao FROM HISTFP.db "})
                    .lookup("CODFUN", {"CADFUN", "CODFUN", "NOME", "Nome do Funcionário",
                                       " SELECT CODFUN as Codigo, NOME as Descricao FROM CADFUN.db "})
                    .key({"OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO", "CODFUN"})
                    .index("id_ocor_hcod", {"OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO", "CODFUN"})
                    .index("id_ocor_func", {"OCORRANO", "OCORRMES", "TIPOFOLHA", "CODFUN", "HCODIGO"})
                    .index("id_ocor_func2", {"CODFUN", "TIPOFOLHA", "HCODIGO", "OCORRANO", "OCORRMES"})
                    .build());
    // Why each calculated row is what it is: the rule, the table and its
    // validity, the inputs and the formula with its values. Same key as the
    // row; written and removed with it.
    t.push_back(TableBuilder("MEMOCALC", "MEMOCALC.db", Scope::Company, "Memória de Cálculo")
                    .text("OCORRANO", 4, "Ano")
                    .text("OCORRMES", 2, "Mês")
                    .text("TIPOFOLHA", 1, "Tipo Folha")
                    .text("HCODIGO", 3, "Histórico")
                    .text("CODFUN", 6, "Funcionário")
                    .text("REGRA", 60, "Regra")
                    .memo("TEXTO", "Memória")
                    .key({"OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO", "CODFUN"})
                    .index("id_memo_func", {"CODFUN", "OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO"})
                    .build());

    // The company's eSocial events: every version of every event, as built
    // and signed, with its status, the government's receipt and messages.
    t.push_back(TableBuilder("ESOCIAL", "ESOCIAL.db", Scope::Company, "Eventos do eSocial")
                    .noun("Evento do eSocial")
                    .text("ID", 36, "Identificador")
                    .text("TIPO", 6, "Evento")
                    .text("ASSUNTO", 60, "Assunto")
                    .longInt("VERSAO", "Versão")
                    .text("CODFUN", 6, "Funcionário")
                    .text("COMPETENC", 7, "Competência")
                    .text("SITUACAO", 12, "Situação")
                    .shortInt("INDRETIF", "Retificação")
                    .text("RECIBO", 40, "Recibo")
                    .text("RETIFICA", 40, "Recibo Retificado")
                    .memo("XML", "XML")
                    .memo("MENSAGENS", "Mensagens")
                    .text("CONTEUDO", 64, "Conteúdo")
                    .text("ALTERADO", 1, "Alterado")
                    .text("CRIADO", 19, "Gerado em")
                    .longInt("LOTE", "Lote")
                    .key({"ID"})
                    .index("id_esocial_assunto", {"ASSUNTO", "VERSAO"})
                    .index("id_esocial_comp", {"COMPETENC", "TIPO", "CODFUN"})
                    .build());

    return t;
}

} // namespace folha
