#include "ScreenCatalog.h"

#include "EscolheFunc.h"
#include "GovScreens.h"
#include "LeaveScreens.h"
#include "PayrollScreens.h"
#include "RegisterScreens.h"
#include "TfoArquivoBanco.h"
#include "SelecaoMultipla.h"
#include "TfoLogin.h"
#include "TfoExportarRelExcel.h"
#include "TfoMenuFolha.h"
#include "TfoEmiFolhadePagamento.h"
#include "TfoRelEnvelope.h"
#include "TfoConfigEmail.h"
#include "TfoLancContabeis.h"
#include "TfoRelListagem.h"
#include "TfoRelRegiFun.h"
#include "TfoRelDocumento.h"
#include "TfoTipoImpr.h"
#include "TFSCRIPT.h"
#include "TfoImportaParadox.h"
#include "TfoCopiaSeguranca.h"
#include "TfoEsocial.h"

namespace folha {

ScreenCatalog& ScreenCatalog::instance() {
    static ScreenCatalog catalog;
    return catalog;
}

// Every screen of the program, by class name. A new screen adds its line.
ScreenCatalog::ScreenCatalog() {
    add(QStringLiteral("TfoLogin"),
        [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* { return new TfoLogin(s, ui, parent); });
    add(QStringLiteral("TfoMenuFolha"),
        [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* { return new TfoMenuFolha(s, ui, parent); });
    // The dialogs other screens borrow open on the demo's values.
    add(QStringLiteral("TFoSelecaoMultipla"), &ui::TFoSelecaoMultipla::createForGrab);
    add(QStringLiteral("TfoEscolheFunc"), &ui::TfoEscolheFunc::createForGrab);
    // Printing: the set-up every report shows, the spreadsheet export on the
    // demo's positions listing, and every register listing.
    add(QStringLiteral("TfoTipoImpr"), &TfoTipoImpr::createForGrab);
    add(QStringLiteral("TfoExportarRelExcel"), &TfoExportarRelExcel::createForGrab);
    // The SQL console, for a supervisor only.
    add(QStringLiteral("TFSCRIPT"), &TFSCRIPT::createForGrab);
    add(QStringLiteral("TfoImportaParadox"), &TfoImportaParadox::create);
    add(QStringLiteral("TfoCopiaSeguranca"), &TfoCopiaSeguranca::create);
    add(QStringLiteral("TfoEsocial"), &TfoEsocial::createForGrab);
    add(QStringLiteral("TfoEmiFolhadePagamento"), &TfoEmiFolhadePagamento::create);
    add(QStringLiteral("TfoRelEnvelope"), &TfoRelEnvelope::createForGrab);
    add(QStringLiteral("TfoConfigEmail"), &TfoConfigEmail::create);
    add(QStringLiteral("TfoLancContabeis"), &TfoLancContabeis::createForGrab);
    add(QStringLiteral("TfoRelRegiFun"), &TfoRelRegiFun::create);
    TfoRelListagem::registerScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    TfoRelDocumento::registerScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    // The registers, the employee register and the events screens.
    RegisterRegisterScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    // The jobs: the payroll, the advance and its undo; vacation, 13th salary
    // and termination; the government files.
    RegisterPayrollScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    RegisterLeaveScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    RegisterGovScreens([this](const QString& name, ScreenFactory f) { add(name, std::move(f)); });
    // The salary-payment file for the bank and the bank's return.
    add(QStringLiteral("TfoArquivoBanco"), &TfoArquivoBanco::createForGrab);
}

void ScreenCatalog::add(const QString& className, ScreenFactory factory) { factories_[className] = std::move(factory); }

QWidget* ScreenCatalog::create(const QString& className, Session& session, UserInterface& ui, QWidget* parent) const {
    auto it = factories_.find(className);
    return it == factories_.end() ? nullptr : (*it)(session, ui, parent);
}

} // namespace folha
