#include "TextPage.h"

namespace folha {

QString TextPage::visibleText(int index) const {
    QString text;
    for (const QString& cell : lines[index])
        if (!IsControlCell(cell)) text += cell;
    return text;
}

} // namespace folha
