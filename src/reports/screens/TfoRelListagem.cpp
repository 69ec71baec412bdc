#include "TfoRelListagem.h"

#include "DesktopReport.h"
#include "Session.h"
#include "UserInterface.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folha {

TfoRelListagem::TfoRelListagem(Session& session, UserInterface& ui, const ListingDef& def, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui), def_(def) {
    setObjectName(def.screen);
    setWindowTitle(def.caption);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(def.caption, this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title->setFont(f);
    layout->addWidget(title);

    if (!def.rangeField.isEmpty()) {
        auto* form = new QFormLayout;
        first_ = new QLineEdit(this);
        first_->setObjectName(QStringLiteral("edCodigoInicial"));
        last_ = new QLineEdit(this);
        last_->setObjectName(QStringLiteral("edCodigoFinal"));
        form->addRow(QStringLiteral("Código Inicial"), first_);
        form->addRow(QStringLiteral("Código Final"), last_);
        layout->addLayout(form);
    }

    auto* orderGroup = new QGroupBox(QStringLiteral("Ordem"), this);
    auto* orderLayout = new QVBoxLayout(orderGroup);
    byCode_ = new QRadioButton(QStringLiteral("Código"), orderGroup);
    byName_ = new QRadioButton(QStringLiteral("Nome"), orderGroup);
    orderLayout->addWidget(byCode_);
    orderLayout->addWidget(byName_);
    byCode_->setChecked(true);
    byName_->setEnabled(!def.nameIndex.isEmpty());
    layout->addWidget(orderGroup);

    AddPrintButtons(this, layout, [this] { print(); });
    setMinimumWidth(360);
}

ListingOrder TfoRelListagem::order() const { return byName_->isChecked() ? ListingOrder::Name : ListingOrder::Code; }

void TfoRelListagem::setOrder(ListingOrder order) {
    if (order == ListingOrder::Name && byName_->isEnabled())
        byName_->setChecked(true);
    else
        byCode_->setChecked(true);
}

ListingRange TfoRelListagem::range() const {
    if (!first_) return {};
    return {first_->text(), last_->text()};
}

void TfoRelListagem::setRange(const ListingRange& range) {
    if (!first_) return;
    first_->setText(range.first);
    last_->setText(range.last);
}

bool TfoRelListagem::nameOrderOffered() const { return byName_->isEnabled(); }

bool TfoRelListagem::print(bool askSetup) {
    // Boxes and the progress belong to this screen while it prints.
    const UiOwner owner(ui_, this);
    DesktopReportRequest request;
    request.info = {def_.caption, def_.screen};
    request.width = def_.width;
    request.titlesLine = ListingTitlesLine(def_);
    request.layout = ListingReportLayout(def_);
    const ListingOrder chosen = order();
    const ListingRange codes = range();
    return RunDesktopReport(this, session_, ui_, request, [&](TextReport& report) {
        return !ComposeListing(session_, ui_, def_, chosen, report, codes).cancelled;
    }, askSetup);
}

void TfoRelListagem::registerScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    for (const ListingDef& def : Listings()) {
        const ListingDef* d = &def;
        add(def.screen, [d](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
            return new TfoRelListagem(s, ui, *d, parent);
        });
    }
}

} // namespace folha
