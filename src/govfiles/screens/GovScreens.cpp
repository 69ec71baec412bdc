#include "GovScreens.h"

#include "TfoGeraSefip.h"
#include "TfoGeraSefipValores.h"
#include "TfoGerarGRRF.h"

namespace folha {

void RegisterGovScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    add(QStringLiteral("TfoGeraSefip"), &TfoGeraSefip::createForGrab);
    // The additional values of a company, as the SEFIP run asks them.
    add(QStringLiteral("TfoGeraSefip_RecebeValoresEmpresa"), &TfoGeraSefip_RecebeValoresEmpresa::createForGrab);
    add(QStringLiteral("TfoGerarGRRF"), &TfoGerarGRRF::createForGrab);
}

} // namespace folha
