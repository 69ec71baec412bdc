#pragma once
// The event chart's register (HISTFP): the register screen with its page
// "eSocial", where "Propor eSocial" (F11 or the button) fills the empty
// part of the row's mapping from the flags on the panel and the roles the
// event plays.

#include "TfoCadastro.h"

namespace folha {

class TfoCadHistoricos : public TfoCadastro {
    Q_OBJECT
public:
    TfoCadHistoricos(Session& session, UserInterface& ui, const registers::RegisterDef& def, QWidget* parent = nullptr);

    // Fills the empty boxes of the page "eSocial" of the row being edited;
    // the boxes the office filled stay. False when no row is being edited.
    bool proposeMapping();
    QPushButton* proposeButton() const { return propose_; }
    // The screen editing the first event on its page "eSocial", the mapping
    // proposed (the picture of the register).
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* propose_ = nullptr;
};

} // namespace folha
