#include "LeaveScreens.h"

#include "LeaveScreen.h"

namespace folha {

void RegisterLeaveScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    add(QStringLiteral("TfoCalcFeriasMedias"), &TfoCalcFeriasMedias::createForGrab);
    add(QStringLiteral("TfoCalc13Medias"), &TfoCalc13Medias::createForGrab);
    add(QStringLiteral("TfoCalcResciHorasExtras"), &TfoCalcResciHorasExtras::createForGrab);
}

} // namespace folha
