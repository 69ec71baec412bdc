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

// The eSocial incidence codes of an event (S-1010), with the descriptions
// of the enumerations of evtTabRubrica.xsd, layout S-1.3.
const QList<CodeEntry>& incidenceCpCodes() {
    static const QList<CodeEntry> codes = {
        {"00", "00 - Não é base de cálculo"},
        {"01", "01 - Não é base de cálculo (acordos internacionais de previdência social)"},
        {"11", "11 - Base de cálculo - Salário de contribuição mensal"},
        {"12", "12 - Base de cálculo - 13º salário"},
        {"13", "13 - Exclusiva do empregador - Mensal"},
        {"14", "14 - Exclusiva do empregador - 13º salário"},
        {"15", "15 - Exclusiva do segurado - Mensal"},
        {"16", "16 - Exclusiva do segurado - 13º salário"},
        {"21", "21 - Salário-maternidade mensal, pago pelo empregador"},
        {"22", "22 - Salário-maternidade 13º salário, pago pelo empregador"},
        {"25", "25 - Salário-maternidade mensal, pago pelo INSS"},
        {"26", "26 - Salário-maternidade 13º salário, pago pelo INSS"},
        {"31", "31 - Contribuição descontada do segurado - Mensal"},
        {"32", "32 - Contribuição descontada do segurado - 13º salário"},
        {"34", "34 - Contribuição descontada do segurado - SEST"},
        {"35", "35 - Contribuição descontada do segurado - SENAT"},
        {"51", "51 - Outros: salário-família"},
        {"91", "91 - Suspensão judicial - Mensal"},
        {"92", "92 - Suspensão judicial - 13º salário"},
        {"93", "93 - Suspensão judicial - Salário-maternidade"},
        {"94", "94 - Suspensão judicial - Salário-maternidade 13º salário"},
        {"95", "95 - Suspensão judicial - Exclusiva do empregador - Mensal"},
        {"96", "96 - Suspensão judicial - Exclusiva do empregador - 13º salário"},
        {"97", "97 - Suspensão judicial - Exclusiva do empregador - Salário-maternidade"},
        {"98", "98 - Suspensão judicial - Exclusiva do empregador - Salário-maternidade 13º"},
    };
    return codes;
}

const QList<CodeEntry>& incidenceFgtsCodes() {
    static const QList<CodeEntry> codes = {
        {"00", "00 - Não é base de cálculo do FGTS"},
        {"11", "11 - Base de cálculo do FGTS mensal"},
        {"12", "12 - Base de cálculo do FGTS 13º salário"},
        {"21", "21 - Base de cálculo do FGTS aviso prévio indenizado"},
        {"31", "31 - Desconto eConsignado"},
        {"91", "91 - Incidência suspensa (decisão judicial) - FGTS mensal"},
        {"92", "92 - Incidência suspensa (decisão judicial) - FGTS 13º salário"},
        {"93", "93 - Incidência suspensa (decisão judicial) - FGTS aviso prévio indenizado"},
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
                    .codes("ESINCCP", incidenceCpCodes())
                    .codes("ESINCFGTS", incidenceFgtsCodes())
                    .page({"HCODIGO", "HNOME", "HPRODESC", "HPARAMETRO", "HPERC", "HFLAGINPS", "HFLAGIRRF", "HFLAGFGTS",
                           "HFLAGINS13", "HFLAGINSF", "HFLAGINSN", "HFLAGREAD", "HFLAGRE100", "HFLAGRE70", "HFLAGRE60",
                           "HFLAGRE50", "HFLAGFEN", "HFLAGFEV", "HFLAGFEP", "HFLAG13N", "HFLAG13I", "HFLAGINS", "HFLAGMED",
                           "HACUMNOR", "HACUM13", "HACUMFEV", "HACUMBSIR", "HACUMIRRF", "HFLAGPER"},
                          "Principal")
                    .page({"ESNATRUB", "ESTPRUB", "ESINCCP", "ESINCIRRF", "ESINCFGTS"}, "eSocial")
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
                    // Every reading goes by employee, sheet and event: the key
                    // is in that order and is the table's only index (a
                    // company made before keeps its own key and index,
                    // which serve the same readings).
                    .key({"CODFUN", "OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO"})
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
                    .index("id_esocial_func", {"CODFUN", "TIPO"})
                    .build());

    // The batches sent to the eSocial: the protocol the government gave each,
    // its status and the events it carried (one Id a line).
    t.push_back(TableBuilder("ESOCLOTE", "ESOCLOTE.db", Scope::Company, "Lotes do eSocial")
                    .noun("Lote do eSocial")
                    .longInt("NUMERO", "Lote")
                    .shortInt("GRUPO", "Grupo")
                    .text("COMPETENC", 7, "Competência")
                    .text("PROTOCOLO", 30, "Protocolo")
                    .text("SITUACAO", 20, "Situação")
                    .longInt("CODIGO", "Código de resposta")
                    .text("ENVIADO", 19, "Enviado em")
                    .text("CONSULTADO", 19, "Consultado em")
                    .memo("EVENTOS", "Eventos")
                    .memo("MENSAGENS", "Mensagens")
                    .key({"NUMERO"})
                    .build());

    // The totals the government computes from the events it accepted
    // (S-5001, S-5002, S-5003, S-5011, S-5013), as it returned them.
    t.push_back(TableBuilder("ESOCTOT", "ESOCTOT.db", Scope::Company, "Totalizadores do eSocial")
                    .noun("Totalizador do eSocial")
                    .text("ID", 36, "Identificador")
                    .text("TIPO", 6, "Evento")
                    .text("COMPETENC", 7, "Competência")
                    .text("CPF", 11, "CPF")
                    .text("RECIBO", 40, "Recibo de origem")
                    .text("ORIGEM", 120, "Origem")
                    .text("RECEBIDO", 19, "Recebido em")
                    .memo("XML", "XML")
                    .key({"ID"})
                    .index("id_esoctot_comp", {"COMPETENC", "TIPO", "CPF"})
                    .build());

    return t;
}

} // namespace folha
