#include "TfoRelDocumento.h"

#include "DesktopReport.h"
#include "JobScreen.h"
#include "Session.h"
#include "DbError.h"
#include "UserInterface.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace folha {

namespace {

// What a date starts with: the interval is the open competence's month, the
// dates of issue and receipt are the branch's payroll date; today only when
// the branch has no payroll date.
QDate StartDate(const QString& name, const QDate& sheetDate) {
    const QDate d = sheetDate.isValid() ? sheetDate : QDate::currentDate();
    if (name == QLatin1String("DATA_INICIAL")) return QDate(d.year(), d.month(), 1);
    if (name == QLatin1String("DATA_FINAL")) return QDate(d.year(), d.month(), d.daysInMonth());
    return d;
}

QString DateCaption(const QString& name) {
    if (name == QLatin1String("DATA_INICIAL")) return QStringLiteral("Data Inicial");
    if (name == QLatin1String("DATA_FINAL")) return QStringLiteral("Data Final");
    if (name == QLatin1String("DATA_RECEBIMENTO")) return QStringLiteral("Data Recebimento");
    return QStringLiteral("Data Emissão");
}

} // namespace

TfoRelDocumento::TfoRelDocumento(Session& session, UserInterface& ui, const DocumentDef& def, QWidget* parent)
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

    range_ = new ui::EmployeeRange(session, ui, QStringLiteral("Código Inicial"), QStringLiteral("Código Final"),
                                   ui::EmployeeRange::CodeStyle::Padded, this);
    layout->addWidget(range_);

    auto* form = new QFormLayout;
    const QDate sheetDate = ui::BranchSheetDate(session);
    for (const QString& name : def.dates) {
        auto* edit = new QDateEdit(StartDate(name, sheetDate), this);
        edit->setObjectName(name);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        dates_.insert(name, edit);
        form->addRow(DateCaption(name), edit);
    }
    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("edCopias"));
    copies_->setRange(0, 99);
    copies_->setValue(1);
    form->addRow(QStringLiteral("Nº de Copias"), copies_);
    for (const auto& typed : def.texts + def.amounts) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(typed.first);
        typed_.insert(typed.first, edit);
        form->addRow(typed.second, edit);
    }
    if (!def.lists.isEmpty()) {
        list_ = new QPlainTextEdit(this);
        list_->setObjectName(QStringLiteral("edEquipamentos"));
        list_->setPlaceholderText(QStringLiteral("Um equipamento por linha"));
        form->addRow(QStringLiteral("Equipamentos"), list_);
    }
    layout->addLayout(form);

    auto* orderGroup = new QGroupBox(QStringLiteral("Ordem"), this);
    auto* orderLayout = new QHBoxLayout(orderGroup);
    byCode_ = new QRadioButton(QStringLiteral("Codigo"), orderGroup);
    byName_ = new QRadioButton(QStringLiteral("Nome"), orderGroup);
    orderLayout->addWidget(byCode_);
    orderLayout->addWidget(byName_);
    byCode_->setChecked(true);
    layout->addWidget(orderGroup);

    AddPrintButtons(this, layout, [this] { print(); });
    setMinimumWidth(420);
    ui::MoveOnWithEnter(this);
}

void TfoRelDocumento::setOrderByName(bool byName) { (byName ? byName_ : byCode_)->setChecked(true); }

DocumentOptions TfoRelDocumento::options() const {
    DocumentOptions o;
    const QString first = range_->firstCode();
    const QString last = range_->lastCode();
    o.fromCode = first.isEmpty() ? 0 : first.toInt();
    o.toCode = last.isEmpty() ? 999999 : last.toInt();
    o.byName = byName_->isChecked();
    for (auto it = dates_.begin(); it != dates_.end(); ++it) o.dates.insert(it.key(), it.value()->date());
    o.copies = copies_->value();
    for (auto it = typed_.begin(); it != typed_.end(); ++it) o.extras.insert(it.key(), it.value()->text());
    if (list_) {
        QStringList items;
        for (const QString& line : list_->toPlainText().split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty()) items << line.trimmed();
        o.lists.insert(def_.lists.value(0), items);
    }
    CheckDocumentOptions(def_, o); // a value that is not an amount, a reversed range... is told here
    return o;
}

bool TfoRelDocumento::print(bool askSetup) {
    const UiOwner owner(ui_, this);
    DocumentOptions o;
    try {
        o = options();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Warning, e.message());
        return false;
    }
    if (list_ && o.lists.value(def_.lists.value(0)).isEmpty()) {
        ui_.message(MessageKind::Warning, QStringLiteral("Informe os equipamentos entregues."));
        return false;
    }
    if (o.copies == 0) return true;
    // The set-up and the confirmation once; each copy a job of its own.
    bool done = true;
    int copy = 0;
    RunDocumentCopies(session_, ui_, def_, o, [&](const auto& compose) {
        if (!done) return;
        DesktopReportRequest request;
        request.info = {def_.caption, def_.screen};
        request.width = def_.width;
        request.confirm = copy == 0;
        const bool ask = askSetup && copy == 0;
        ++copy;
        done = RunDesktopReport(this, session_, ui_, request, compose, ask);
    });
    return done;
}

void TfoRelDocumento::registerScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    for (const DocumentDef& def : Documents()) {
        const DocumentDef* d = &def;
        add(def.screen, [d](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* {
            return new TfoRelDocumento(s, ui, *d, parent);
        });
    }
}

} // namespace folha
