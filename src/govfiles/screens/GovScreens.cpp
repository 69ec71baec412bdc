#include "GovScreens.h"

namespace folha {

void RegisterGovScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    (void)add;
}

} // namespace folha
