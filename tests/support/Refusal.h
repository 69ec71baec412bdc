#pragma once
// The message of the UserError a call throws; "(aceito)" when it throws none:
// a table of typed inputs compares refusals and acceptances alike.
#include "DbError.h"

#include <QString>

namespace folha::testing {

template <typename Read>
QString Refusal(Read read) {
    try {
        read();
    } catch (const UserError& e) {
        return e.message();
    }
    return QStringLiteral("(aceito)");
}

} // namespace folha::testing
