#include "ValorPorExtensoLabel.h"

#include <QLabel>
#include <QPointer>

namespace folha {

namespace {

// Kept as a child of the component: the association lives and dies with it.
class LabelLink : public QObject {
public:
    explicit LabelLink(TValorPorExtenso& component) : QObject(&component) { setObjectName(kName); }
    static constexpr const char* kName = "LabelAssociado";
    QPointer<QLabel> label;
    QMetaObject::Connection connection;
};

LabelLink* FindLink(const TValorPorExtenso& component) {
    return static_cast<LabelLink*>(
        component.findChild<QObject*>(QString::fromLatin1(LabelLink::kName), Qt::FindDirectChildrenOnly));
}

} // namespace

void AssociateLabel(TValorPorExtenso& component, QLabel* label) {
    LabelLink* link = FindLink(component);
    if (link && link->label == label) return;
    if (!link) link = new LabelLink(component);
    QObject::disconnect(link->connection);
    link->label = label;
    if (!label) return;
    label->setText(component.Texto());
    // The label as context: the connection ends when the label is destroyed.
    link->connection = QObject::connect(&component, &TValorPorExtenso::textoChanged, label, &QLabel::setText);
}

QLabel* AssociatedLabel(const TValorPorExtenso& component) {
    const LabelLink* link = FindLink(component);
    return link ? link->label.data() : nullptr;
}

} // namespace folha
