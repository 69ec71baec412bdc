#pragma once
// The boxes of "Informe os valores:" (the additional values of a company in
// the SEFIP file) and the reading of what was typed in them, shared by the
// dialog and the command line.

#include "Sefip.h"

#include <QHash>
#include <QList>

namespace folha::gov {

struct SefipAdditionalField {
    enum class Kind {
        Money,   // "1.234,56"
        Type,    // E, P or A; must be filled
        Digits,  // up to `width` digits, written completed with "0"
        Period,  // MM/YYYY
        Taker,   // a service-taker code, up to 3 digits
    };
    QString control;  // the box's name ("ewLicMat")
    QString caption;  // its caption; a second box of a pair repeats the first's
    QString what;     // how a refusal names it
    Kind kind;
    int width = 0;
    bool pairedWithPrevious = false; // shown beside the previous box, under its caption
    QString initial;  // what the box starts with: "0" for amounts and numbers
};

// The caption of the origin of the sports-event revenue (record 12): the
// events, the sponsorship, or both.
inline const QString RevenueTypeCaption = QStringLiteral("Tipo (E=Evento, P=Patrocínio, A=Ambos)");

// Every box, in the dialog's order.
const QList<SefipAdditionalField>& SefipAdditionalFields();

// The values typed, by box name; a box not given holds what it starts with.
// Refuses (UserError naming the box) an empty revenue type, an amount,
// number or period that is not one.
SefipAdditionalValues ReadSefipAdditional(const QHash<QString, QString>& typed);

} // namespace folha::gov
