#include "MenuTable.h"

#include "ScreenCatalog.h"

#include <QHash>
#include <functional>

namespace folha {

using Mode = MenuEntry::Mode;

QString MenuEntry::path() const { return (menus + QStringList{caption}).join(QStringLiteral(" > ")); }

const QList<MenuEntry>& MenuEntries() {
    static const QList<MenuEntry> entries{
        {{QStringLiteral("Cadastros")}, QStringLiteral("Afastamento de Funcionários"), QStringLiteral("TfoCadAfastFun"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Bancos"), QStringLiteral("TfoCadBancos"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Cargos"), QStringLiteral("TfoCadCargos"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Centro de Custos"), QStringLiteral("TfoCadCentroCusto"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Dependentes"), QStringLiteral("TfoCadDependentes"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Filial"), QStringLiteral("TfoCadFilial"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Funcionários"), QStringLiteral("TfoCadFuncionarios"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Funcionário Tomador"), QStringLiteral("TfoCadFuncTomador"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Históricos de Afastamento"), QStringLiteral("TfoCadHistAfastamento"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Históricos da Folha"), QStringLiteral("TfoCadHistFolhaPag"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Linhas"), QStringLiteral("TfoCadLinhas"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Movimento Plantões"), QStringLiteral("TfoCadMovPlant"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Ocorrências"), QStringLiteral("TfoCadOcorrenc"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Ocorrência Fixa"), QStringLiteral("TfoCadOcorrenFixa"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Plantões"), QStringLiteral("TfoCadPlantoes"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Responsável"), QStringLiteral("TfoCadResponsavel"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Sefip"), QStringLiteral("TfoCadSefip"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Sindicatos"), QStringLiteral("TfoCadSindicatos"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Tabelas"), QStringLiteral("TfoCadTabelas"), Mode::NonModal},
        // "Alíquotas" gives the entry a letter of its own ("q"): the other
        // twenty take every letter "Tabelas Legais" has.
        {{QStringLiteral("Cadastros")}, QStringLiteral("Tabelas Legais e Alíquotas"), QStringLiteral("TfoCadTabelasLegais"), Mode::NonModal},
        {{QStringLiteral("Cadastros")}, QStringLiteral("Tomador"), QStringLiteral("TfoCadTomador"), Mode::NonModal},
        {{QStringLiteral("Consultas")}, QStringLiteral("Consulta de Ocorrências"), QStringLiteral("TfoConsOcorrenc"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Cálculo Adiantamento"), QStringLiteral("TfoCalcAdiantamento"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Cálculo da Folha"), QStringLiteral("TfoCalculosFolha"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Descalcular"), QStringLiteral("TfoDescalcularFolha"), Mode::Modal},
        // The accounting entries and their accounts: Cadastros has no letter left.
        {{QStringLiteral("Folha")}, QStringLiteral("Contas Contábeis"), QStringLiteral("TfoCadContasContabeis"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Lançamentos Contábeis"), QStringLiteral("TfoLancContabeis"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Feriados da Filial"), QStringLiteral("TfoCadFeriados"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("13º Salário"), QStringLiteral("TfoCalc13Medias"), Mode::Modal},
        {{QStringLiteral("Folha")}, QStringLiteral("Férias"), QStringLiteral("TfoCalcFeriasMedias"), Mode::NonModal},
        {{QStringLiteral("Folha")}, QStringLiteral("Rescisão"), QStringLiteral("TfoCalcResciHorasExtras"), Mode::Modal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Acordo Horário Trabalho"), QStringLiteral("TfoRelAcordoHoraTrabalho"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Atestado de Saúde Ocupacional"), QStringLiteral("TfoRelAtestSaudeOcupacional"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Autorização de Desconto"), QStringLiteral("TfoRelAutorizaDesconto"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Aviso de Férias"), QStringLiteral("TfoRelAvisoFerias"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Demissão"), QStringLiteral("TfoRelDemissaoTrabalho"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Pedido de Demissão"), QStringLiteral("TfoRelPedDemissao"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Termo Salário Família"), QStringLiteral("TfoRelSalaFami"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Acordos e Termos")}, QStringLiteral("Termo Vale Transporte"), QStringLiteral("TfoRelTermoValeTransporte"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Bancos"), QStringLiteral("TfoRelBancos"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Cargos"), QStringLiteral("TfoCadRelCargos"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Centro de Custo"), QStringLiteral("TfoCadRelCentCust"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Dependentes"), QStringLiteral("TfoCadRelDepende"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Funcionários"), QStringLiteral("TfoRelCadFunc"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Funcionário - Data de Nascimento"), QStringLiteral("TfoRelFuncDataNasci"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Funcionário Tomador"), QStringLiteral("TfoCadRelFuntomad"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Histórico de Afastamento"), QStringLiteral("TfoCadRelHistAfas"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Históricos da Folha"), QStringLiteral("TfoRelCadHistfp"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Linhas"), QStringLiteral("TfoCadRelLinha"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Ocorrência Fixa"), QStringLiteral("TfoCadRelFixaocor"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Plantões"), QStringLiteral("TfoRelCadPlantoes"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Sindicatos"), QStringLiteral("TfoCadRelSindicatos"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Tabelas"), QStringLiteral("TfoCadRelTabelas"), Mode::NonModal},
        {{QStringLiteral("Relatórios"), QStringLiteral("Cadastro")}, QStringLiteral("Tomador"), QStringLiteral("TfoCadRelTomador"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Afastamento de Funcionários"), QStringLiteral("TfoCadRelAfastFun"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Comprovante de Recebimento de EPI"), QStringLiteral("TfoRelComproReciEPI"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Custo da Folha de Pagamentos"), QStringLiteral("TfoCadRelCustofp"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Declaração de Rendimentos PJ"), QStringLiteral("TfoRelDeclaraRendiPJ"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Emissão de Folha de Pagamento"), QStringLiteral("TfoEmiFolhadePagamento"), Mode::Modal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Férias"), QStringLiteral("TfoRelFerias"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Movimento de Plantões"), QStringLiteral("TfoRelCadMovplant"), Mode::NonModal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Registro de Funcionários"), QStringLiteral("TfoRelRegiFun"), Mode::Modal},
        {{QStringLiteral("Relatórios")}, QStringLiteral("Envelope"), QStringLiteral("TfoRelEnvelope"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Arquivo de Pagamento (Banco)"), QStringLiteral("TfoArquivoBanco"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Geração GRRF"), QStringLiteral("TfoGerarGRRF"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Geração SEFIP"), QStringLiteral("TfoGeraSefip"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("eSocial"), QStringLiteral("TfoEsocial"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Console SQL"), QStringLiteral("TFSCRIPT"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Importar Dados (Paradox)"), QStringLiteral("TfoImportaParadox"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Cópia de Segurança"), QStringLiteral("TfoCopiaSeguranca"), Mode::Modal},
        {{QStringLiteral("Utilitários")}, QStringLiteral("Configuração de E-mail"), QStringLiteral("TfoConfigEmail"), Mode::Modal},
        {{QStringLiteral("Zorvan")}, QStringLiteral("Sair do Sistema"), QString(), Mode::None},
    };
    return entries;
}

bool IsBuilt(const MenuEntry& entry) {
    return entry.screenClass.isEmpty() || ScreenCatalog::instance().contains(entry.screenClass);
}

namespace {
// The positions a caption's mnemonic may take, best first.
QList<int> MnemonicChoices(const QString& caption) {
    QList<int> first, other;
    QString seen;
    for (int i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i].toLower();
        if (c.unicode() >= 128 || !c.isLetterOrNumber() || seen.contains(c)) continue;
        seen += c;
        (i == 0 || caption[i - 1] == QLatin1Char(' ') ? first : other) << i;
    }
    return first + other;
}
} // namespace

QStringList WithMnemonics(const QStringList& captions) {
    QList<QList<int>> choices;
    for (const QString& c : captions) choices << MnemonicChoices(c);
    QHash<QChar, int> owner;              // letter -> caption
    QList<int> position(captions.size(), -1); // caption -> chosen position
    // Gives caption `i` a letter, moving the holder of a wanted letter on
    // when it has another free one (a matching by augmenting paths).
    std::function<bool(int, QList<bool>&)> place = [&](int i, QList<bool>& visited) {
        for (int at : choices[i]) {
            const QChar letter = captions[i][at].toLower();
            if (owner.value(letter, -1) >= 0) continue;
            owner[letter] = i;
            position[i] = at;
            return true;
        }
        for (int at : choices[i]) {
            const QChar letter = captions[i][at].toLower();
            const int holder = owner.value(letter);
            if (visited[holder]) continue;
            visited[holder] = true;
            const int holderAt = position[holder];
            owner[letter] = i;
            position[i] = at;
            position[holder] = -1;
            if (place(holder, visited)) return true;
            owner[letter] = holder;
            position[holder] = holderAt;
            position[i] = -1;
        }
        return false;
    };
    for (int i = 0; i < captions.size(); ++i) {
        QList<bool> visited(captions.size(), false);
        visited[i] = true;
        place(i, visited);
    }
    QStringList out;
    for (int i = 0; i < captions.size(); ++i)
        out << (position[i] < 0 ? captions[i] : QString(captions[i]).insert(position[i], QLatin1Char('&')));
    return out;
}

QStringList ScreenListing() {
    QStringList out;
    for (const auto& e : MenuEntries()) {
        const QString mode = e.mode == Mode::Modal ? QStringLiteral("modal")
                             : e.mode == Mode::NonModal ? QStringLiteral("não-modal")
                                                        : QStringLiteral("-");
        out << QStringList{e.path(), e.screenClass.isEmpty() ? QStringLiteral("-") : e.screenClass, mode,
                           IsBuilt(e) ? QStringLiteral("pronta") : QStringLiteral("a construir")}
                   .join('\t');
    }
    return out;
}

} // namespace folha
