// Employees, dependants, leave records and leave reasons.
#include "../Registry.h"

#include <QHash>

namespace folha {

namespace {


const QList<CodeEntry>& instrucaoCodes() {
    static const QList<CodeEntry> codes = {
        {"1", "01 - Analfabeto"},
        {"2", "02 - Ate 4a Serie incompleta do 1a Grau"},
        {"3", "03 - 4a Serie Completa do 1a Grau"},
        {"4", "04 - da 5a a 8a Serie Incompleta do 1a Grau"},
        {"5", "05 - 1a Grau Completo"},
        {"6", "06 - 2a Grau Incompleto"},
        {"7", "07 - 2a Grau Completo"},
        {"8", "08 - Superior Incompleto"},
        {"9", "09 - Superior Completo"},
        // The degrees above, as the eSocial's grauInstr (10 to 12) has them.
        {"10", "10 - Pos-Graduacao Completa"},
        {"11", "11 - Mestrado Completo"},
        {"12", "12 - Doutorado Completo"},
    };
    return codes;
}

const QList<CodeEntry>& admissaoCodes() {
    static const QList<CodeEntry> codes = {
        {"10", "10 - Primeiro Emprego"},
        {"20", "20 - Reemprego"},
        {"25", "25 - Contr. Prazo Determinado"},
        {"35", "35 - Reintegracao"},
        {"70", "70 - Transferencia de entrada com onus para o cedente"},
        {"71", "71 - Transferencia de entrada Sem onus para o cedente "},
    };
    return codes;
}

const QList<CodeEntry>& vinculoCodes() {
    static const QList<CodeEntry> codes = {
        {"", ""},
        {"1", "01-Empregado"},
        {"2", "02-Trabalhador avulso"},
        {"3", "03-Trabalhador nao vinculado ao RGPS mas com direito ao FGTS."},
        {"4", "04-Empregado sob contrato de trabalho por prazo determinado (Lei Nro 9.601/98."},
        {"5", "05-Contrib. Individual-Diretor nao empregado com FGTS(Lei 8.036/90)"},
        {"6", "06-Empregado Domestico"},
        {"7", "07-Menor Aprendiz (Lei 10.097/2000)"},
        {"11", "11-Contrib. Individual-Diretor Nao empregado e demais empresarios sem FGTS."},
        {"12", "12-Agente Publico."},
        {"13", "13-Contrib. Individual-Trabalhador Autonomo ou a este equiparado, inclusive o operador de maquina com contrib. sobre remuneracao."},
        {"14", "14-Contrib. Individual-Trabalhador Autonomo ou a este equiparado, inclusive o operador de maquina com contrib. sobre salario-base."},
        {"15", "15-Contrib. Individual-Transportador com contrib. sobre remuneracao"},
        {"16", "16-Contrib. Individual-Transportador com contrib. sobre salario-bas"},
        {"17", "17-Contrib. Individual-Cooperado que presta servico a empresas contratantes de cooperativa de trabalho por prazo determinado.  (lei Nro  9.601/98"},
        {"18", "18-Contrib. Individual-Transportador cooperado que presta servicos a empresas contratantes de cooperativas de trabalho."},
        {"19", "19-Agente politico."},
        {"20", "20-Servidor Publico ocupante, exclusivamente, de cargo em comissao; Servidor Publico ocupante de cargo temporario."},
        {"21", "21-Servidor Publico de cargo efetivo, magistrado, menbro do Ministerio Publico e do Tribunal e Conselho de Contas."},
    };
    return codes;
}

// The dependant's relation as the eSocial's Tabela 07 (Tipos de Dependente)
// numbers it: "Leiautes do eSocial versão S-1.3 — Tabelas", gov.br/esocial.
const QList<CodeEntry>& dependantTypeCodes() {
    static const QList<CodeEntry> codes = {
        {"", ""},
        {"01", "01 - Conjuge"},
        {"02", "02 - Companheiro(a) com filho ou com uniao ha mais de 5 anos"},
        {"03", "03 - Filho(a) ou enteado(a)"},
        {"04", "04 - Filho(a) ou enteado(a) universitario(a) ou em escola tecnica, ate 24 anos"},
        {"06", "06 - Irmao(a), neto(a) ou bisneto(a) sob guarda judicial"},
        {"07", "07 - Irmao(a), neto(a) ou bisneto(a) universitario(a) ou em escola tecnica, sob guarda judicial"},
        {"09", "09 - Pais, avos e bisavos"},
        {"10", "10 - Menor pobre sob guarda judicial"},
        {"11", "11 - Pessoa absolutamente incapaz, da qual seja tutor ou curador"},
        {"12", "12 - Ex-conjuge"},
        {"99", "99 - Agregado/Outros"},
    };
    return codes;
}

// The reasons of a temporary leave of the eSocial's Tabela 18 (Motivos de
// Afastamento) the office's leave reasons use: "Leiautes do eSocial versão
// S-1.3 — Tabelas", gov.br/esocial (01 and 03 are the two the layout's rules
// for infoMesmoMtv and tpAcidTransito name; 15 the one it names for vacation).
// A disciplinary suspension is not a leave the S-2230 reports in S-1.x.
const QList<CodeEntry>& leaveReasonCodes() {
    static const QList<CodeEntry> codes = {
        {"", ""},
        {"01", "01 - Acidente/Doenca do trabalho"},
        {"03", "03 - Acidente/Doenca nao relacionada ao trabalho"},
        {"06", "06 - Aposentadoria por invalidez"},
        {"11", "11 - Carcere"},
        {"15", "15 - Gozo de ferias ou recesso"},
        {"16", "16 - Licenca remunerada"},
        {"17", "17 - Licenca maternidade (120 dias e prorrogacoes)"},
        {"18", "18 - Licenca maternidade - Empresa Cidada (Lei 11.770/2008)"},
        {"19", "19 - Licenca maternidade - aborto nao criminoso"},
        {"20", "20 - Licenca maternidade - adocao ou guarda judicial"},
        {"21", "21 - Licenca nao remunerada ou sem vencimento"},
        {"24", "24 - Mandato sindical"},
        {"29", "29 - Servico militar obrigatorio"},
    };
    return codes;
}

const QList<CodeEntry>& yesNoCodes() {
    static const QList<CodeEntry> codes = {{"", ""}, {"S", "S - Sim"}, {"N", "N - Nao"}};
    return codes;
}

// The event code of one of the employee's five standing events.
LookupDef eventLookup(int n) {
    return {"HISTFP", "HCODIGO", "HNOME", QStringLiteral("Descrição do Histórico %1").arg(n),
            " SELECT HCODIGO as Codigo, HNOME as Descricao FROM HISTFP.db "};
}

} // namespace

const QList<CodeEntry>& movementCodes() {
    static const QList<CodeEntry> codes = {
        {"H ", "H - Rescisao com justa causa por iniciativa do empregador."},
        {"I1", "I1- Rescisao sem justa causa por iniciativa do empregador."},
        {"I2", "I2- Rescisao por culpa reciproca ou forca maior."},
        {"I3", "I3- Rescisao por finalizacao do contrato a termo."},
        {"I4", "I4- Rescisao,sem justa causa, do contarato de trabalho do empregado domestico, por iniciativa do empregador."},
        {"J ", "J - Rescisao do contrato de trabalho por iniciativa do empregado."},
        {"K ", "K - Rescisao a pedido do empregado ou por iniciativa do empregador, com justa causa,no caso de trabalhador nao optante, com menos de um ano de servico."},
        {"L ", "L - Outros motivos de rescisao de contrato de trabalho."},
        {"M ", "M - Mudanca para o regime estatutario."},
        {"N1", "N1- Transferencia do empregado para outro estabel. da mesma empresa"},
        {"N2", "N2- Transferencia do empregado para outra empresa que tenha assumido os encargos trabalhistas,sem que tenha havido rescisao do contrato trabalho"},
        {"N3", "N3- Empregado proveniente de transferencia de outro estabelecimento da mesma empresa ou de outra empresa, sem rescisao de contrato."},
        {"O1", "O1- Afastamento temporario  por motivo do acidente de trabalho, por periodo superior a 15 dias."},
        {"O2", "O2- Novo Afastamento temporario  em decorrencia do mesmo acidente do Trabalho."},
        {"P1", "P1- Afastamento temporario por motivo de doenca por periodo superior a 15 dias."},
        {"P2", "P2- Novo afastamento temporario em decorrencia da mesma doenca,dentro de 60 dias contados da cessacao de afastamento anterior"},
        {"Q1", "Q1- Afastamento temporario por motivo de licensa-matermidade"},
        {"Q2", "Q2- Prorrogacao de afast. temporario por motivo licensa-matermidade"},
        {"Q3", "Q3- Afastamento temporario por motivo de aborto nao criminoso"},
        {"R ", "R - Afastamento Temporario para prestar servico militar."},
        {"S ", "S - Falecimento."},
        {"U1", "U1- Aposentadoria por tempo de servico ou idade sem continuidade de Vinculo empregaticio."},
        {"U2", "U2- Aposentadoria por tempo de servico ou idade com continuidade de Vinculo empregaticio."},
        {"U3", "U3- Aposentadoria por Invalidez."},
        {"V3", "V3- Remuneracao de comissao ou % devidas apos rescisao de contrato"},
        {"W ", "W - Afastamento temporario para exercicio de mandato sindical."},
        {"X ", "X - Licensa sem vencimento."},
        {"Y ", "Y - Outros motivos de afastamento temporario."},
        {"Z1", "Z1- Retorno de Afast. temporario por motivo de licenca-maternidade."},
        {"Z2", "Z2- Retorno de Afast. temporario por motivo de acidente trabalho."},
        {"Z3", "Z3- Retorno de Afast. temporario em decorrencia do mesmo acidente de trabalho."},
        {"Z4", "Z4- Retorno de Afast. temporario por Motivo de prestacao servico militar."},
        {"Z5", "Z5- Outros retornos de afast. temporario e/ou licensa."},
    };
    return codes;
}


QString esocialTerminationReason(const QString& cause) {
    // Tabela 19 (Motivos de Desligamento) of the "Leiautes do eSocial versão
    // S-1.3 — Tabelas", gov.br/esocial: 01 com justa causa, por iniciativa do
    // empregador; 02 sem justa causa, por iniciativa do empregador; 05 culpa
    // recíproca; 06 término do contrato a termo; 07 iniciativa do empregado;
    // 10 falecimento do empregado. The other movement codes are leaves,
    // returns, transfers or retirements the office decides case by case.
    static const QHash<QString, QString> reasons = {
        {"H ", "01"}, {"I1", "02"}, {"I2", "05"}, {"I3", "06"}, {"I4", "02"}, {"J ", "07"}, {"S ", "10"},
    };
    QString key = cause.left(2);
    if (key.size() == 1) key += ' ';
    return reasons.value(key);
}

std::vector<TableDef> employeeTables() {
    std::vector<TableDef> t;
    t.push_back(TableBuilder("CADFUN", "CADFUN.db", Scope::Company, "Funcionários")
                    .noun("Funcionário")
                    .text("CODFUN", 6, "Código")
                    .text("NOME", 40, "Nome")
                    .text("ENDERECO", 40, "Endereço")
                    .text("CIDADE", 20, "Cidade")
                    .text("BAIRRO", 25, "Bairro")
                    .text("UF", 2, "Uf")
                    .text("CEP", 8, "Cep")
                    .number("CART_PONT", "Cartão Ponto")
                    .number("NR_PIS", "PIS")
                    .number("NR_CPF", "CPF")
                    .number("VLR_SALAR", "Valor Salário")
                    .money({"VLR_SALAR"})
                    .number("COBERTURA", "Cobertura")
                    .number("ARREDOND", "Arredondamento")
                    .number("DIAS_FER", "Dias Férias")
                    .shortInt("SAL_FAM", "Salário Família")
                    .shortInt("INSALUBRE", "Insalubre")
                    .shortInt("PERICULOS", "Periculosidade")
                    .number("COD_BANCO", "Cod. Banco")
                    .shortInt("TIPO_CONTA", "Tipo Conta")
                    .number("NR_CONTA", "Nro Conta")
                    .number("BCO_FGTS", "Bco FGTS")
                    .date("DT_NASC", "Data Nasc.")
                    .date("DT_ADMIS", "Data Admissão")
                    .date("DT_AFAST", "Data Afastamento")
                    .date("DT_OPCAO", "Data Opção")
                    .shortInt("ANO_CHEG", "Ano Chegada")
                    .shortInt("NACIONAL", "Nacionalidade", {{"10", "10 - Brasileiro"}, {"99", "99 - Estrangeiro"}})
                    .number("NR_CART", "Número")
                    .number("SERIE", "Série")
                    .text("SIGLA", 2, "Sigla")
                    .shortInt("INSTRUCAO", "Instrução")
                    .shortInt("HR_SEMAN", "Hr Semana")
                    .shortInt("TIPO_PAG", "Tipo Pag", {{"1", "1 - Mensalista"}, {"5", "5 - Horista"}})
                    .shortInt("CONDICAO", "Condição", {{"0", "0 - Demitido"}, {"1", "1 - Ativo"}})
                    .shortInt("CALCULO", "Calculo", {{"1", "1 - Calcula na Folha"}, {"4", "4 - Afastado temporariamente"}})
                    .text("CAUS_RESC", 2, "Causa Rescisão")
                    .shortInt("CALC_FLAG", "Calc Flag", {{"0", "0 - Descalculado"}, {"1", "1 - Calculado"}})
                    .number("PERC_ADI", "% Adicional")
                    .shortInt("AD_QUINZ", "Ad Quinz", {{"1", "1 - Calcula Adiantamento quinzenal"}, {"0", "0 - Nao calcula Adiantamento quinzenal"}})
                    .shortInt("CHEQUE", "Cheque", {{"1", "1 - Emite Cheque salario"}, {"0", "0 - Nao emite cheque salario"}})
                    .shortInt("MAO_OBRA", "Mão de Obra", {{"1", "1 - Direta"}, {"2", "2 - Indireta"}, {"3", "3 - Administrativa"}})
                    .shortInt("DEPENDEN", "Dependente")
                    .shortInt("APOSENT", "Aposentado", {{"0", "0 - Calcula INSS"}, {"1", "1 - Nao Calcula INSS"}})
                    .shortInt("VINCULO", "Vínculo")
                    .number("CBO", "Cbo")
                    .text("CENTCUSTO", 10, "Centro de Custo")
                    .shortInt("QTD_QUIN", "Qtd Quinzena")
                    .date("DT_INIFERI", "Data Início Férias")
                    .date("DT_FINFERI", "Data Fim Férias")
                    .date("DT_IGOZFER", "Data Início Gozo Férias")
                    .date("DT_FGOZFER", "Data Fim Gozo Férias")
                    .text("COD_ADMISS", 2, "Código Admissão")
                    .text("SEXO", 1, "Sexo", {{"M", "Masculino"}, {"F", "Feminino"}})
                    .text("RG", 10, "Rg")
                    .text("FLAG_13I", 1, "13o Indenizado", {{"S", "S - Calcula Automatico"}, {"N", "N - Nao Calcula"}})
                    .text("FLAG_13", 1, "Flag 13º", {{"S", "S - Calcula Automatico"}, {"N", "N - Nao Calcula"}})
                    .text("FLAG_AVISO", 1, "Aviso Prévio", {{"S", "S - Calcula Automatico"}, {"N", "N - Nao Calcula"}, {"A", "A - Ausencia/Dispensa "}})
                    .text("FLAG_FERVC", 1, "Flag Férias Vencidas", {{"S", "S - Calcula Automatico"}, {"N", "N - Nao Calcula"}})
                    .text("FLAG_FERPR", 1, "Flag Ferias Prorrog", {{"S", "S - Calcula Automatico"}, {"N", "N - Nao Calcula"}})
                    .number("VLR_FGTSBA", "Valor FGTS Base")
                    .money({"VLR_FGTSBA"})
                    .text("EST_CIVIL", 1, "Estado Civíl", {{"C", "C - Casado(a)"}, {"S", "S - Solteiro(a)"}, {"D", "D - Divorciado(a)"}, {"V", "V - Viuvo(a)"}, {"E", "E - Separado(a)"}})
                    .text("FONE", 15, "Fone")
                    .text("NOMEPAI", 35, "Nome Pai")
                    .text("NOMEMAE", 35, "Nome Mãe")
                    .text("CIDADE_NAS", 20, "Cidade Nascimento")
                    .text("TIT_ELEI", 12, "Número")
                    .text("SECAO_ELEI", 3, "Seção")
                    .text("ZONA_ELEI", 4, "Zona")
                    .text("CART_RESER", 12, "Número Carteira")
                    .text("SERI_RESER", 5, "Série")
                    .text("CATE_RESER", 6, "Categoria")
                    .text("CART_MENOR", 12, "Cart. Menor")
                    .text("NR_IDENTID", 10, "Nro Identidade")
                    .text("UF_NASC", 2, "Uf Nascimento")
                    .date("DT_FIMFERI", "Data Fim Férias")
                    .number("CTA_FGTS", "Cta FGTS")
                    .shortInt("COND_ANT", "Condição Anterior")
                    .date("DT_IABOFER", "Data Início Abono Férias")
                    .date("DT_FABOFER", "Data Fim Abono Férias")
                    .text("CONTABIL", 2, "Resumo Contabil")
                    .shortInt("COD_DISSID", "Código Dissídio")
                    .date("DT_QUIN", "Data Quinzena")
                    .text("NR_INSS", 11, "Nro INSS")
                    .text("CLAS_INSS", 2, "Classe INSS")
                    .number("VLRCONTINS", "Valor Contins")
                    .money({"VLRCONTINS"})
                    .number("TEMP", "Valor Temporário")
                    .text("MEIO_DIA", 1, "Meio Dia")
                    .date("DT_RETORNO", "Data Retorno")
                    .text("COD_LINHA1", 3, "Código Linha 1")
                    .text("COD_LINHA2", 3, "Código Linha 2")
                    .shortInt("QTD_LINHA1", "Qtd Linha 1")
                    .shortInt("QTD_LINHA2", "Qtd Linha 2")
                    .text("FLAG_SALDO", 1, "Flag Saldo")
                    .text("TIPO_ENIO", 1, "Tipo ENIO", {{"A", "A - Anuenio"}, {"T", "T - Trienio"}, {"Q", "Q - Quinquenio "}})
                    .text("RACACOR", 1, "Raça / Cor", {{"0", "0 - Indigena"}, {"2", "2 - Branca"}, {"4", "4 - Preta"}, {"6", "6 - Amarela"}, {"8", "8 - Parda"}})
                    .shortInt("QTD_PLANTA", "Qtd Plant")
                    .text("BASE_ENIO", 1, "Base ENIO", {{"I", "I - INSS"}, {"S", "S - Salario"}})
                    .text("COD_PLANTA", 3, "Cod Planta")
                    .text("ALT_CADAST", 3, "Alt Cadastro")
                    .text("CAUS_RETOR", 2, "Causa Retorno")
                    .text("DEFICIENTE", 1, "Deficiente", {{"1", "1 - Sim"}, {"2", "2 - Nao"}})
                    .text("INFSEFIPAN", 1, "Inf Sefip An")
                    .text("CTABCOPAG", 10, "Conta Pag. Banco")
                    .shortInt("HISTO1", "Histórico 001")
                    .shortInt("HISTO2", "Histórico 002")
                    .shortInt("HISTO3", "Histórico 003")
                    .shortInt("HISTO4", "Histórico 004")
                    .shortInt("HISTO5", "Histórico 005")
                    .text("DVSERIECAR", 1, "Dígito Ver.")
                    .text("CART_MOTOR", 11, "Número")
                    .text("CATE_MOTOR", 2, "Categoria")
                    .date("VALI_MOTOR", "Data Validade")
                    .date("CP_EMISSAO", "Data de Emissão")
                    .date("CI_EMISSAO", "Data de Emissão")
                    .text("CI_ORGAO", 6, "Orgão")
                    .text("CI_ESTADO", 2, "Estado")
                    .shortInt("CARGO", "Código Cargo")
                    .shortInt("COD_SIND", "Código Sindicato")
                    .shortInt("COD_TOMAD", "Código Tomador")
                    // What the eSocial's events ask beyond the rest of the register.
                    .text("FILIAL", 3, "Filial")
                    .text("NR_ENDER", 10, "Número do Endereço")
                    .text("COMPL_END", 30, "Complemento")
                    .text("COD_MUNIC", 7, "Município (IBGE)")
                    .text("PAIS_NASC", 3, "País de Nascimento")
                    .text("PAIS_NAC", 3, "País de Nacionalidade")
                    .text("NOME_SOC", 70, "Nome Social")
                    .text("EMAIL", 60, "E-mail")
                    .date("DT_FIMCONT", "Término do Contrato")
                    // The salary account's agency and check digits, as the
                    // bank's salary-payment file (CNAB 240) writes them.
                    .text("AG_FUNC", 5, "Agência")
                    .text("AG_DV", 1, "Dígito da Agência")
                    .text("CTA_DV", 1, "Dígito da Conta")
                    .text("CNPJ_QUALI", 14, "CNPJ Entidade Qualificadora")
                    .check("CNPJ_QUALI", FieldCheck::Cnpj)
                    .mask("CNPJ_QUALI", InputMask::Cnpj)
                    .codes("INSTRUCAO", instrucaoCodes())
                    .codes("COD_ADMISS", admissaoCodes())
                    .codes("VINCULO", vinculoCodes())
                    .codes("CAUS_RESC", movementCodes())
                    .codes("CAUS_RETOR", movementCodes())
                    .check("NR_PIS", FieldCheck::Pis)
                    .check("NR_CPF", FieldCheck::Cpf)
                    .minimum("VLR_SALAR", Fixed())
                    .mask("CEP", InputMask::Cep)
                    .mask("NR_PIS", InputMask::Pis)
                    .mask("NR_CPF", InputMask::Cpf)
                    .page({"CODFUN", "NOME", "ENDERECO", "BAIRRO", "CIDADE", "UF", "CEP", "FONE", "DT_NASC", "SEXO",
                           "EST_CIVIL", "DT_ADMIS", "VLR_SALAR", "CARGO", "COD_SIND", "COD_TOMAD", "CENTCUSTO",
                           "TIPO_PAG", "HR_SEMAN", "CONDICAO", "CART_PONT"},
                          "Principal")
                    .page({"INSTRUCAO", "NACIONAL", "ANO_CHEG", "RACACOR", "DEFICIENTE", "VINCULO", "COD_ADMISS", "CBO",
                           "MAO_OBRA", "DT_OPCAO", "DT_AFAST", "CAUS_RESC", "DT_RETORNO", "CAUS_RETOR", "NOMEPAI",
                           "NOMEMAE", "CIDADE_NAS", "UF_NASC", "CONTABIL", "NR_INSS", "CLAS_INSS"},
                          "Classificações")
                    .page({"NR_PIS", "NR_CPF", "NR_CART", "SERIE", "DVSERIECAR", "SIGLA", "CP_EMISSAO", "RG",
                           "NR_IDENTID", "CI_EMISSAO", "CI_ORGAO", "CI_ESTADO", "TIT_ELEI", "SECAO_ELEI", "ZONA_ELEI",
                           "CART_RESER", "SERI_RESER", "CATE_RESER", "CART_MENOR", "CART_MOTOR", "CATE_MOTOR",
                           "VALI_MOTOR"},
                          "Documentação")
                    .page({"DIAS_FER", "DT_INIFERI", "DT_FINFERI", "DT_FIMFERI", "DT_IGOZFER", "DT_FGOZFER",
                           "DT_IABOFER", "DT_FABOFER", "FLAG_FERVC", "FLAG_FERPR", "FLAG_13", "FLAG_13I", "FLAG_AVISO"},
                          "13º e Férias")
                    .page({"COD_BANCO", "AG_FUNC", "AG_DV", "TIPO_CONTA", "NR_CONTA", "CTA_DV", "CTABCOPAG", "CHEQUE",
                           "BCO_FGTS", "CTA_FGTS"},
                          "Banco")
                    .page({"CALCULO", "CALC_FLAG", "COBERTURA", "ARREDOND", "SAL_FAM", "DEPENDEN", "INSALUBRE",
                           "PERICULOS", "APOSENT", "PERC_ADI", "AD_QUINZ", "QTD_QUIN", "DT_QUIN", "VLR_FGTSBA",
                           "VLRCONTINS", "TIPO_ENIO", "BASE_ENIO", "MEIO_DIA", "FLAG_SALDO", "COD_DISSID"},
                          "Calculo")
                    .page({"COD_LINHA1", "QTD_LINHA1", "COD_LINHA2", "QTD_LINHA2", "COD_PLANTA", "QTD_PLANTA",
                           "COND_ANT", "ALT_CADAST", "INFSEFIPAN", "TEMP"},
                          "Outros")
                    .page({"HISTO1", "HISTO2", "HISTO3", "HISTO4", "HISTO5"}, "Históricos")
                    .page({"FILIAL", "NR_ENDER", "COMPL_END", "COD_MUNIC", "PAIS_NASC", "PAIS_NAC", "NOME_SOC", "EMAIL",
                           "DT_FIMCONT", "CNPJ_QUALI"},
                          "eSocial")
                    .lookup("CARGO",
                            {"Cargos", "COD_CARGOS", "NOME_CARGO", "Descrição do Cargo",
                             " SELECT COD_CARGOS as Codigo, NOME_CARGO as Descricao FROM Cargos.db "},
                            true)
                    .lookup("COD_SIND",
                            {"SINDICAT", "COD_SIND", "NOME_SIND", "Descrição do Sindicato",
                             " SELECT COD_SIND as Codigo, NOME_SIND as Descricao FROM SINDICAT.db "},
                            true)
                    .lookup("COD_TOMAD",
                            {"Tomador", "COD_TOMAD", "NOME", "Descrição do Tomador",
                             " SELECT COD_TOMAD as Codigo, NOME as Descricao FROM Tomador.db "},
                            true)
                    .lookup("HISTO1", eventLookup(1), true)
                    .lookup("HISTO2", eventLookup(2), true)
                    .lookup("HISTO3", eventLookup(3), true)
                    .lookup("HISTO4", eventLookup(4), true)
                    .lookup("HISTO5", eventLookup(5), true)
                    .refers("CENTCUSTO", "centcust", "COD_CCUSTO")
                    .refers("FILIAL", "Filial", "CODIGO")
                    .refers("COD_LINHA1", "Linha", "CODIGO")
                    .refers("COD_LINHA2", "Linha", "CODIGO")
                    .refers("COD_PLANTA", "PLANTOES", "COD_PLANTA")
                    .mandatory({"NOME", "DT_ADMIS", "VLR_SALAR", "TIPO_PAG", "CONDICAO", "VINCULO", "CALCULO", "HR_SEMAN"})
                    .key({"CODFUN"})
                    .index("NOMEFUNCIONARIO", {"NOME"})
                    .index("Pis_DataAdmis", {"NR_PIS", "DT_ADMIS"})
                    .index("Pis_DataAdmiss", {"NR_PIS", "DT_ADMIS"})
                    .build());

    t.push_back(TableBuilder("DEPENDE", "DEPENDE.db", Scope::Company, "Dependentes")
                    .text("CODFUN", 6, "Funcionário")
                    .text("NUMERO", 2, "Número")
                    .text("NOME_DEPEN", 40, "Nome Dependente")
                    .date("DT_NASC", "Data Nasc.")
                    .shortInt("ANOS_IRPF", "Anos IRPF")
                    .text("TIPO_DEP", 2, "Tipo de Dependente")
                    .text("CPF_DEPEN", 11, "CPF")
                    .text("SEXO", 1, "Sexo", {{"", ""}, {"M", "Masculino"}, {"F", "Feminino"}})
                    .text("DEP_IRRF", 1, "Dependente IRRF")
                    .text("DEP_SF", 1, "Dependente Salário-Família")
                    .text("INC_TRAB", 1, "Incapaz para o Trabalho")
                    .codes("TIPO_DEP", dependantTypeCodes())
                    .codes("DEP_IRRF", yesNoCodes())
                    .codes("DEP_SF", yesNoCodes())
                    .codes("INC_TRAB", yesNoCodes())
                    .check("CPF_DEPEN", FieldCheck::Cpf)
                    .mask("CPF_DEPEN", InputMask::Cpf)
                    .refers("CODFUN", "CADFUN", "CODFUN")
                    .mandatory({"NOME_DEPEN"})
                    .key({"CODFUN", "NUMERO"})
                    .index("CODFUN", {"CODFUN"})
                    .build());

    t.push_back(TableBuilder("AFASTFUN", "AFASTFUN.db", Scope::Company, "Afastamentos")
                    .text("CODFUN", 6, "Código")
                    .text("HCODIGO", 3, "Histórico")
                    .date("DATA", "Data")
                    .text("CAUS_RESC", 2, "Causa Rescisão")
                    .codes("CAUS_RESC", movementCodes())
                    .refers("CODFUN", "CADFUN", "CODFUN")
                    .refers("HCODIGO", "HISTAFAS", "HCODIGO")
                    .key({"CODFUN", "DATA", "HCODIGO"})
                    .build());

    t.push_back(TableBuilder("HISTAFAS", "HISTAFAS.db", Scope::Company, "Históricos de Afastamento")
                    .noun("Histórico de afastamento")
                    .text("HCODIGO", 3, "Código")
                    .text("HNOME", 30, "Nome")
                    .text("CALC13", 1, "Calcula 13º")
                    .text("CALCFERIAS", 1, "Calcula Ferias")
                    .text("CALCNORMAL", 1, "Calc. Normal")
                    .text("CODIGORAIS", 2, "Código RAIS")
                    .text("TIPO", 1, "Tipo")
                    .text("ESMOTAFAS", 2, "Motivo eSocial")
                    .codes("ESMOTAFAS", leaveReasonCodes())
                    .mandatory({"HNOME"})
                    .key({"HCODIGO"})
                    .build());

    return t;
}

} // namespace folha
