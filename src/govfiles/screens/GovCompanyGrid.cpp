#include "GovCompanyGrid.h"
#include "JobScreen.h"
#include "RegisterModel.h"
#include "SelecaoMultipla.h"
#include "Table.h"

#include "SignIn.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QToolButton>
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

const QString ResponsibleField::LookupQuery =
    QStringLiteral(" SELECT COD_RES as Codigo, NOME as Descricao FROM RESPONSA ");

namespace {
const QString ResponsibleKey = QStringLiteral("Responsavel");
} // namespace

ResponsibleField::ResponsibleField(Session& session, UserInterface& ui, const QString& screen, const QString& name,
                                   QWidget* parent)
    : QWidget(parent), session_(session), ui_(ui), screen_(screen) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    box_ = new QLineEdit(this);
    box_->setObjectName(name);
    box_->setMaxLength(3);
    box_->setMaximumWidth(60);
    box_->setToolTip(QStringLiteral("F2: pesquisar responsável"));
    button_ = new QToolButton(this);
    button_->setText(QStringLiteral("..."));
    button_->setToolTip(QStringLiteral("Pesquisar responsável (F2)"));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setObjectName(name + QStringLiteral("Lookup"));
    row->addWidget(box_);
    row->addWidget(button_);
    row->addStretch();
    setFocusProxy(box_);
    box_->installEventFilter(this);
    connect(button_, &QToolButton::clicked, this, &ResponsibleField::pick);
    connect(box_, &QLineEdit::editingFinished, this, [this] {
        const QString done = CompletedCode(box_->text().trimmed(), 3);
        if (done != box_->text()) box_->setText(done);
    });

    QString code = ui::RestoreCompanyField(session_, screen_, ResponsibleKey);
    if (code.isEmpty()) {
        try {
            Table parties(session_.folha(), QStringLiteral("RESPONSA"));
            const std::vector<Record> first = parties.page({}, {}, {}, 2);
            if (first.size() == 1) code = first.front().text("COD_RES").trimmed();
        } catch (const std::exception&) {
            // No table to read: the code is typed, and the run says what is missing.
        }
    }
    box_->setText(code);
}

bool ResponsibleField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        pick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ResponsibleField::pick() {
    QLineEdit answer;
    bool confirmed = false;
    ui::SelectMultiple(session_, ui_, QStringLiteral("Folha"), LookupQuery, {}, {}, QStringLiteral("COD_RES"),
                       QStringLiteral("NOME"), registers::CodeColumn, QStringLiteral("'"), &answer, 1, window(),
                       &confirmed);
    if (!confirmed) return;
    // The dialog answers with the code in quotes.
    const QString code = answer.text().remove(QLatin1Char('\'')).trimmed();
    if (!code.isEmpty()) box_->setText(CompletedCode(code, 3));
}

void ResponsibleField::remember() const { ui::RememberCompanyField(session_, screen_, ResponsibleKey, box_->text()); }

void AnnounceGovFile(UserInterface& ui, const gov::GovFileResult& result) {
    int records = 0;
    for (const auto& [type, count] : result.records) records += count;
    ui.message(MessageKind::Information, QStringLiteral("Arquivo gerado com sucesso: %1\n%2 registro(s), %3 empresa(s)")
                                             .arg(QDir::toNativeSeparators(result.path))
                                             .arg(records)
                                             .arg(result.companiesWritten));
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
