#include "GovCompanyGrid.h"

#include "SignIn.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace folha {

GovCompanyGrid::GovCompanyGrid(Session& session, QCheckBox* severalCompanies, QWidget* parent)
    : QGroupBox(QStringLiteral("Empresas"), parent), session_(session), several_(severalCompanies) {
    model_ = new QStandardItemModel(0, 3, this);
    model_->setHorizontalHeaderLabels({QStringLiteral("Ok"), QStringLiteral("Codigo"), QStringLiteral("Nome")});
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("gridEmpresas"));
    view_->setModel(model_);
    view_->verticalHeader()->hide();
    view_->setWordWrap(false);
    view_->setMinimumWidth(420);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setColumnWidth(0, 36);
    view_->setColumnWidth(1, 60);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);

    SignIn signIn(session_);
    QList<CompanyRow> companies;
    try {
        const auto user = signIn.user(session_.signIn.CurrentUserCode);
        companies = user ? signIn.allowedCompanies(*user) : signIn.allCompanies();
    } catch (const std::exception&) {
        // Without the company list the grid stays empty; the run says why.
    }
    for (const CompanyRow& c : companies) {
        auto* tick = new QStandardItem;
        tick->setCheckable(true);
        tick->setCheckState(c.code == session_.signIn.CurrentCompanyCode ? Qt::Checked : Qt::Unchecked);
        auto* code = new QStandardItem(QString::number(c.code));
        code->setData(c.code, Qt::UserRole);
        code->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model_->appendRow({tick, code, new QStandardItem(c.name)});
    }
    if (several_) connect(several_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    updateEnabled();
}

void GovCompanyGrid::updateEnabled() {
    const bool several = !several_ || several_->isChecked();
    for (int r = 0; r < model_->rowCount(); ++r) {
        QStandardItem* tick = model_->item(r, 0);
        tick->setEnabled(several || codeAt(r) == session_.signIn.CurrentCompanyCode);
    }
}

int GovCompanyGrid::rowCount() const { return model_->rowCount(); }
int GovCompanyGrid::codeAt(int row) const { return model_->item(row, 1)->data(Qt::UserRole).toInt(); }
QString GovCompanyGrid::nameAt(int row) const { return model_->item(row, 2)->text(); }
bool GovCompanyGrid::isTicked(int row) const { return model_->item(row, 0)->checkState() == Qt::Checked; }

void GovCompanyGrid::setTicked(int code, bool ticked) {
    for (int r = 0; r < model_->rowCount(); ++r)
        if (codeAt(r) == code) model_->item(r, 0)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QList<int> GovCompanyGrid::tickedCodes() const {
    const bool several = !several_ || several_->isChecked();
    QList<int> codes;
    for (int r = 0; r < model_->rowCount(); ++r) {
        if (!isTicked(r)) continue;
        if (!several && codeAt(r) != session_.signIn.CurrentCompanyCode) continue;
        codes << codeAt(r);
    }
    return codes;
}

gov::TickedCompanies GovCompanyGrid::open() const {
    SignIn signIn(session_);
    const auto current = signIn.company(session_.signIn.CurrentCompanyCode);
    if (!current)
        throw UserError(QStringLiteral("Empresa %1 não cadastrada").arg(session_.signIn.CurrentCompanyCode));
    const auto user = signIn.user(session_.signIn.CurrentUserCode);
    return gov::OpenTickedCompanies(session_, user, *current, tickedCodes());
}

GovScreenFoot AddGovScreenFoot(Session& session, QDialog* screen, QVBoxLayout* layout,
                               const std::function<void()>& generate) {
    auto* several = new QCheckBox(QStringLiteral("Proc.Varias Empresas"), screen);
    several->setObjectName(QStringLiteral("chkwVariasEmp"));
    layout->addWidget(several);
    auto* companies = new GovCompanyGrid(session, several, screen);
    companies->setMinimumHeight(140);
    layout->addWidget(companies, 1);

    auto* buttons = new QHBoxLayout;
    auto* generateButton = new QPushButton(QStringLiteral("Gerar"), screen);
    generateButton->setObjectName(QStringLiteral("btnGerar"));
    auto* closeButton = new QPushButton(QStringLiteral("Fechar"), screen);
    closeButton->setObjectName(QStringLiteral("btnFechar"));
    generateButton->setAutoDefault(false);
    closeButton->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(generateButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    QObject::connect(generateButton, &QPushButton::clicked, screen, [generate] { generate(); });
    QObject::connect(closeButton, &QPushButton::clicked, screen, &QDialog::reject);
    return {several, companies};
}

QLineEdit* GovDateBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setInputMask(QStringLiteral("99/99/9999"));
    box->setMaximumWidth(100);
    return box;
}

QDate GovDateOf(const QLineEdit* box, const QString& caption) {
    if (OnlyDigits(box->text()).isEmpty()) return {};
    return TypedDate(box->text(), caption);
}

} // namespace folha
