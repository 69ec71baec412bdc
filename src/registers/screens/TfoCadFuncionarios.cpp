#include "TfoCadFuncionarios.h"

#include "DbError.h"

#include <QTabWidget>

namespace folha {

namespace {

const registers::RegisterDef& employeeRegister() {
    const registers::RegisterDef* def = registers::FindRegister(QStringLiteral("TfoCadFuncionarios"));
    if (!def) throw UserError(QStringLiteral("Cadastro de funcionários não definido."));
    return *def;
}

} // namespace

const QStringList TfoCadFuncionarios::PickedFields = {"CARGO",  "COD_SIND", "COD_TOMAD", "HISTO1",
                                                      "HISTO2", "HISTO3",   "HISTO4",    "HISTO5"};

TfoCadFuncionarios::TfoCadFuncionarios(Session& session, UserInterface& ui, QWidget* parent)
    : TfoCadastro(session, ui, employeeRegister(), parent) {}

QWidget* TfoCadFuncionarios::createForGrab(Session& session, UserInterface& ui, QWidget* parent, int page) {
    auto* screen = new TfoCadFuncionarios(session, ui, parent);
    screen->setCurrentRow(0);
    screen->editRow();
    if (screen->pages() && page < screen->pages()->count()) screen->pages()->setCurrentIndex(page);
    // The picture is taken while editing: leave without asking.
    screen->mayClose_ = true;
    return screen;
}

} // namespace folha
