// Sign-in database, company list and audit log tables.
#include "../Registry.h"

namespace folha {

std::vector<TableDef> signInTables() {
    std::vector<TableDef> t;
    // The password field holds a salted hash (about 100 characters), never the
    // password; a legacy plain-text value of up to 8 characters is replaced by
    // its hash at the first successful sign-in.
    t.push_back(TableBuilder("Usuarios", "Usuarios.DB", Scope::SignIn, "Usuários")
                    .text("Codigo", 6, "Código")
                    .text("Nome", 35, "Nome")
                    .text("Senha", 128, "Senha")
                    .text("Nivel", 3, "Nivel")
                    .shortInt("Loja", "Loja")
                    .text("AssinaturaEmail", 20, "Assinatura Email")
                    .text("Ativo", 1, "Ativo")
                    .key({"Codigo"})
                    .index("Nome", {"Nome"})
                    .build());
    t.push_back(TableBuilder("UsuariosPorEmpresa", "UsuariosPorEmpresa.DB", Scope::SignIn, "Usuários por Empresa")
                    .text("Usuario", 6, "Usuario")
                    .longInt("Empresa", "Empresa")
                    .key({"Usuario", "Empresa"})
                    .build());
    // Facts about the installation's sign-in that outlive the user rows
    // ("TeveUsuarios": the installation has had users, so it never again
    // runs without a sign-in).
    t.push_back(TableBuilder("ControleAcesso", "ControleAcesso.DB", Scope::SignIn, "Controle de Acesso")
                    .text("Chave", 30, "Chave")
                    .text("Valor", 60, "Valor")
                    .key({"Chave"})
                    .build());
    // Each refused sign-in: the code typed, the workstation, when and why.
    t.push_back(TableBuilder("AcessosNegados", "AcessosNegados.DB", Scope::SignIn, "Acessos Negados")
                    .autoInc("Sequencia", "Sequência")
                    .text("Usuario", 20, "Usuário")
                    .text("Estacao", 60, "Estação")
                    .text("UsuarioSistema", 21, "Usuário do Sistema")
                    .text("Momento", 19, "Data e Hora")
                    .text("Motivo", 60, "Motivo")
                    .key({"Sequencia"})
                    .build());
    // The failures in a row of each user code since its last sign-in, and
    // the lock they brought (times in UTC, "yyyy-MM-ddTHH:mm:ss").
    t.push_back(TableBuilder("SituacaoAcesso", "SituacaoAcesso.DB", Scope::SignIn, "Situação de Acesso")
                    .text("Usuario", 20, "Usuário")
                    .longInt("Falhas", "Falhas")
                    .text("UltimaFalha", 19, "Última Falha")
                    .text("BloqueadoAte", 19, "Bloqueado Até")
                    .key({"Usuario"})
                    .build());
    t.push_back(TableBuilder("EmpresaFOLHA", "EmpresaFOLHA.DB", Scope::CompanyList, "Empresas")
                    .longInt("Codigo", "Código")
                    .text("Nome", 60, "Nome")
                    .text("Diretorio", 120, "Diretorio")
                    .key({"Codigo"})
                    .build());
    return t;
}

const QList<CodeEntry>& auditActionCodes() {
    static const QList<CodeEntry> codes = {
        {"L", "Login"},  {"A", "Acesso"},          {"C", "Consulta"},  {"E", "Editar"},
        {"X", "Excluir"}, {"I", "Inserir"}, {"S", "Autentica Senha"}, {"R", "Relatorio"},
    };
    return codes;
}

std::vector<TableDef> auditTables() {
    std::vector<TableDef> t;
    // Template of the monthly log "LogSys_MM_YYYY" (Registry::auditLogTable).
    t.push_back(TableBuilder("LogSys", "LogSys.db", Scope::Shared, "Log do Sistema")
                    .longInt("Filial", "Filial")
                    .date("Data", "Data")
                    .time("Hora", "Hora")
                    .text("Janela", 60, "Janela")
                    .text("Acao", 1, "Ação")
                    .text("Usuario", 6, "Usuario")
                    .autoInc("AutoInc", "AutoInc")
                    .text("Tabela", 30, "Tabela")
                    .text("Log", 250, "Log")
                    .codes("Acao", auditActionCodes())
                    .required({"Filial", "Data", "Hora", "Janela", "Acao", "Usuario"})
                    .key({"AutoInc"})
                    .index("idx", {"Filial", "Data", "Hora", "Janela", "Acao", "Usuario", "AutoInc"})
                    .build());
    t.push_back(TableBuilder("LogSys_Tipos", "LogSys_Tipos.db", Scope::Shared, "Tipos do Log")
                    .text("Tipo", 1, "Tipo")
                    .text("Campo", 60, "Campo")
                    .key({"Tipo", "Campo"})
                    .build());
    return t;
}

std::vector<TableDef> internalTables() {
    std::vector<TableDef> t;
    // A row held in edit mode by a workstation: the table, the row's key
    // values joined by "|", who holds it and since when.
    t.push_back(TableBuilder("TRAVAS", "TRAVAS.db", Scope::Company, "Registros em edição")
                    .text("TABELA", 30, "Tabela")
                    .text("CHAVE", 120, "Chave")
                    .text("ESTACAO", 60, "Estação")
                    .longInt("PROCESSO", "Processo")
                    .text("USUARIO", 6, "Usuário")
                    .text("INICIO", 19, "Início")
                    .key({"TABELA", "CHAVE"})
                    .build());
    return t;
}

} // namespace folha
