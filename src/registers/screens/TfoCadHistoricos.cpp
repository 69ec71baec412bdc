#include "TfoCadHistoricos.h"

#include "Rubricas.h"
#include "Session.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace folha {

TfoCadHistoricos::TfoCadHistoricos(Session& session, UserInterface& ui, const registers::RegisterDef& def, QWidget* parent)
    : TfoCadastro(session, ui, def, parent, DeferBuild{}) {
    QList<PanelField> fields;
    for (const FieldDef& f : table_.fields) fields << PanelField{f.name, {}};
    build(fields, def_.screen + QStringLiteral("_Grid"));
    // Beside "Gravar" and "Cancelar".
    propose_ = new QPushButton(QStringLiteral("F11 - Propor eSocial"), editPanel());
    propose_->setObjectName(QStringLiteral("btProporESocial"));
    propose_->setToolTip(QStringLiteral("Preenche a natureza, o tipo e as incidências do eSocial que estão vazios, "
                                        "a partir das incidências do histórico e dos papéis que ele tem na folha"));
    if (auto* v = qobject_cast<QVBoxLayout*>(editPanel()->layout())) {
        if (auto* row = qobject_cast<QHBoxLayout*>(v->itemAt(v->count() - 1)->layout())) row->insertWidget(1, propose_);
    }
    connect(propose_, &QPushButton::clicked, this, [this] { proposeMapping(); });
}

bool TfoCadHistoricos::proposeMapping() {
    if (!editing()) return false;
    esocial::RubricaFacts facts;
    facts.code = fieldText(QStringLiteral("HCODIGO")).trimmed();
    facts.name = fieldText(QStringLiteral("HNOME")).trimmed();
    const QString prodesc = fieldText(QStringLiteral("HPRODESC")).trimmed();
    facts.prodesc = prodesc.isEmpty() ? 2 : prodesc.toInt();
    facts.inps = fieldText(QStringLiteral("HFLAGINPS")).toInt();
    facts.irrf = fieldText(QStringLiteral("HFLAGIRRF")).toInt();
    facts.fgts = fieldText(QStringLiteral("HFLAGFGTS")).toInt();
    if (!facts.code.isEmpty()) facts.roles = esocial::RolesOf(session_.folha(), facts.code);
    const esocial::Rubrica r = esocial::ProposeRubrica(facts);
    auto fill = [this](const char* field, const QString& value) {
        const QString f = QLatin1String(field);
        const QString now = fieldText(f).trimmed();
        if (now.isEmpty() || now == QLatin1String("0")) setFieldText(f, value);
    };
    fill("ESNATRUB", r.nature);
    fill("ESTPRUB", QString::number(r.type));
    fill("ESINCCP", r.incCP);
    fill("ESINCIRRF", r.incIRRF);
    fill("ESINCFGTS", r.incFGTS);
    if (pages()) pages()->setCurrentIndex(pages()->count() - 1);
    return true;
}

QWidget* TfoCadHistoricos::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    const registers::RegisterDef* def = registers::FindRegister(QStringLiteral("TfoCadHistFolhaPag"));
    auto* screen = new TfoCadHistoricos(session, ui, *def, parent);
    screen->setCurrentRow(0);
    screen->editRow();
    screen->proposeMapping();
    // The picture is taken while editing: leave without asking.
    screen->mayClose_ = true;
    return screen;
}

bool TfoCadHistoricos::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F11 && key->modifiers() == Qt::NoModifier && editing()) {
            proposeMapping();
            return true;
        }
    }
    return TfoCadastro::eventFilter(watched, event);
}

} // namespace folha
