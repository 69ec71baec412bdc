#include "PayrollScreens.h"

namespace folha {

void RegisterPayrollScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    (void)add;
}

} // namespace folha
