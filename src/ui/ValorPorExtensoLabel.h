#pragma once
// The label that shows an amount-in-words component's text on a screen.

#include "TValorPorExtenso.h"

class QLabel;

namespace folha {

// The label gets the component's text at once and again on every refresh. A
// later call replaces the association (nullptr clears it); when the label is
// destroyed the association is cleared.
void AssociateLabel(TValorPorExtenso& component, QLabel* label);
// The label currently associated, or nullptr.
QLabel* AssociatedLabel(const TValorPorExtenso& component);

} // namespace folha
