#include "RegisterScreens.h"

#include "EventsScreens.h"
#include "TfoCadFuncionarios.h"
#include "TfoCadHistoricos.h"
#include "TfoCadTabelasLegais.h"
#include "TfoCadastro.h"

namespace folha {

void RegisterRegisterScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    for (const registers::RegisterDef& def : registers::RegisterDefs()) {
        const registers::RegisterDef* d = &def;
        if (def.screen == QLatin1String("TfoCadFuncionarios")) {
            add(def.screen, [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
                return new TfoCadFuncionarios(s, ui, parent);
            });
            continue;
        }
        if (def.screen == QLatin1String("TfoCadHistFolhaPag")) {
            add(def.screen, [d](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
                return new TfoCadHistoricos(s, ui, *d, parent);
            });
            continue;
        }
        add(def.screen, [d](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
            return new TfoCadastro(s, ui, *d, parent);
        });
    }
    for (int page : {1, 2})
        add(QStringLiteral("TfoCadFuncionarios-%1").arg(page), [page](Session& s, UserInterface& ui, QWidget* parent) {
            return TfoCadFuncionarios::createForGrab(s, ui, parent, page - 1);
        });
    add(QStringLiteral("TfoCadHistFolhaPag-esocial"), &TfoCadHistoricos::createForGrab);
    add(QStringLiteral("TfoCadOcorrenc"), [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
        return new TfoCadOcorrenc(s, ui, parent);
    });
    // The picture opens on the branch's competence without the chooser.
    add(QStringLiteral("TfoCadOcorrenc-grab"), &TfoCadOcorrenc::createForGrab);
    add(TfoCadTabelasLegais::ScreenName, [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
        return new TfoCadTabelasLegais(s, ui, parent);
    });
    add(QStringLiteral("TfoConsOcorrenc"), [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
        return new TfoConsOcorrenc(s, ui, parent);
    });
    add(QStringLiteral("TfoConsOcorrenc-memoria"), &TfoConsOcorrenc::createForGrabWithTrail);
}

} // namespace folha
