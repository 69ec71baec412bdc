#pragma once
// The employee register: the register screen over CADFUN, its editing
// panel spread over the registry's pages, and the codes of position,
// union, taker and the five event codes picked from their registers, each
// shown with its description.

#include "TfoCadastro.h"

namespace folha {

class TfoCadFuncionarios : public TfoCadastro {
    Q_OBJECT
public:
    TfoCadFuncionarios(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    // The code fields with a pick button and a description.
    static const QStringList PickedFields;

    // The screen editing the first employee on a page of its panel (the
    // pictures of the register).
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent, int page);
};

} // namespace folha
