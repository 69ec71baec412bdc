#pragma once
// The employee register sheet: one page per employee with the registration
// data, the job, cost centre, union and bank names and the dependants.

#include "Listings.h"

namespace folha {

struct EmployeeRegisterOptions {
    QString first;  // first employee code ("" from the first)
    QString last;   // last employee code ("" to the last)
    ListingOrder order = ListingOrder::Code;
};

inline const QString EmployeeRegisterScreen = QStringLiteral("TfoRelRegiFun");
inline const QString EmployeeRegisterCaption = QStringLiteral("Registro do Funcionário");
constexpr int EmployeeRegisterWidth = 80;

// Composes the sheets into the report; progress by employees with cancel at
// an employee boundary. `rows` counts the employees printed.
ListingResult ComposeEmployeeRegister(Session& session, UserInterface& ui, const EmployeeRegisterOptions& options,
                                      TextReport& report);

} // namespace folha
