#include "JobScreen.h"

#include "EmployeeChoice.h"
#include "IniFile.h"
#include "RegisterModel.h"
#include "SelecaoMultipla.h"
#include "SelectionQuery.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>

namespace folha::ui {

const QString EmployeeLookupQuery = QStringLiteral(" SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN ");

namespace {
QString settingsFile(Session& session, const QString& screen) { return session.values.IniDir + screen + QStringLiteral(".ini"); }
const QString FieldsSection = QStringLiteral("Campos");

// An amount as the office reads it: "4.159,00".
QString moneyText(Fixed v) {
    const QString plain = v.toString(2);
    const bool negative = plain.startsWith(QLatin1Char('-'));
    const QString digits = plain.mid(negative ? 1 : 0);
    const int point = digits.indexOf(QLatin1Char('.'));
    QString whole = digits.left(point);
    for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') + digits.mid(point + 1);
}
} // namespace

QString RestoreScreenField(Session& session, const QString& screen, const QString& field) {
    if (session.values.IniDir.isEmpty()) return {};
    return ReadIniValue(settingsFile(session, screen), FieldsSection, field);
}

void RememberScreenField(Session& session, const QString& screen, const QString& field, const QString& value) {
    if (session.values.IniDir.isEmpty()) return;
    // A settings file that cannot be written loses only the remembered value.
    WriteIniFileValue(settingsFile(session, screen), FieldsSection, field, value);
}

// ------------------------------------------------------------ EmployeeRange

EmployeeRange::EmployeeRange(Session& session, UserInterface& ui, const QString& firstCaption,
                             const QString& lastCaption, CodeStyle style, QWidget* parent)
    : QWidget(parent), session_(session), ui_(ui), style_(style) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    auto row = [&](int r, const QString& caption, QLineEdit*& box, QToolButton*& button, const char* name) {
        auto* label = new QLabel(caption, this);
        box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaxLength(6);
        box->setMaximumWidth(90);
        label->setBuddy(box);
        button = new QToolButton(this);
        button->setText(QStringLiteral("..."));
        button->setToolTip(QStringLiteral("Pesquisar funcionário"));
        button->setObjectName(QString::fromLatin1(name) + QStringLiteral("Lookup"));
        grid->addWidget(label, r, 0);
        grid->addWidget(box, r, 1);
        grid->addWidget(button, r, 2);
    };
    row(0, firstCaption, first_, firstButton_, "eFtCodInicial");
    row(1, lastCaption, last_, lastButton_, "eFtCodFinal");
    grid->setColumnStretch(3, 1);
    connect(firstButton_, &QToolButton::clicked, this, &EmployeeRange::pickFirst);
    connect(lastButton_, &QToolButton::clicked, this, &EmployeeRange::pickLast);
}

bool EmployeeRange::pick(QLineEdit* box) {
    // The dialog answers with the code in quotes, longer than the field
    // holds: it writes into a box of its own. It opens with nothing
    // selected, so that one double click picks another code.
    QLineEdit answer;
    bool confirmed = false;
    SelectMultiple(session_, ui_, QStringLiteral("Folha"), EmployeeLookupQuery, {}, {}, QStringLiteral("CODFUN"),
                   QStringLiteral("NOME"), registers::CodeColumn, QStringLiteral("'"), &answer, 1, window(), &confirmed);
    if (!confirmed) return false;
    const QString digits = OnlyDigits(answer.text());
    box->setText(style_ == CodeStyle::Padded && !digits.isEmpty() ? PadLeft(digits, 6, QChar('0')) : digits);
    return true;
}

void EmployeeRange::pickFirst() {
    if (pick(first_)) last_->setText(first_->text());
}

void EmployeeRange::pickLast() { pick(last_); }

void EmployeeRange::restore(const QString& screen) {
    first_->setText(RestoreScreenField(session_, screen, QStringLiteral("FuncionarioInicial")));
    last_->setText(RestoreScreenField(session_, screen, QStringLiteral("FuncionarioFinal")));
}

void EmployeeRange::remember(const QString& screen) const {
    RememberScreenField(session_, screen, QStringLiteral("FuncionarioInicial"), first_->text());
    RememberScreenField(session_, screen, QStringLiteral("FuncionarioFinal"), last_->text());
}

void EmployeeRange::putLastChosen() {
    const QString code = registers::LastChosenEmployee();
    if (code.isEmpty()) return;
    first_->setText(code);
    last_->setText(code);
}

QString EmployeeRange::firstCode() const {
    return first_->text().trimmed().isEmpty() ? QString() : TypedEmployeeCode(first_->text());
}

QString EmployeeRange::lastCode() const {
    return last_->text().trimmed().isEmpty() ? QString() : TypedEmployeeCode(last_->text());
}

// ---------------------------------------------------------- BranchVariables

BranchVariables::BranchVariables(Session& session, QWidget* parent)
    : QGroupBox(QStringLiteral("Variáveis especiais:"), parent), session_(session) {
    auto* form = new QFormLayout(this);
    auto field = [&](const QString& caption, const char* name) {
        auto* box = new QLineEdit(this);
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaximumWidth(120);
        form->addRow(caption, box);
        return box;
    };
    ceiling_ = field(QStringLiteral("Teto Inss"), "TETO_INSS");
    sheet_ = field(QStringLiteral("Tipo Folha"), "TIPO_FOL");
    minimum_ = field(QStringLiteral("Valor do Mínimo"), "VLR_MINIMO");
    date_ = field(QStringLiteral("Data Folha"), "DATA_FOLHA");
    refresh();
}

void BranchVariables::refresh() {
    ceiling_->clear();
    sheet_->clear();
    minimum_->clear();
    date_->clear();
    try {
        auto branch = Table(session_.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session_)});
        if (!branch) return;
        // Shown as the branch register shows them.
        auto show = [&](QLineEdit* box, const char* field) {
            if (const FieldDef* f = branch->def().field(QString::fromLatin1(field)))
                box->setText(registers::RegisterModel::displayText(*branch, *f));
        };
        ceiling_->setText(moneyText(branch->number("TETO_INSS")));
        show(sheet_, "TIPO_FOL");
        minimum_->setText(moneyText(branch->number("VLR_MINIMO")));
        show(date_, "DATA_FOLHA");
    } catch (const std::exception&) {
        // A company that cannot be read shows the group empty; the run itself says why.
    }
}

QString BranchVariables::ceilingText() const { return ceiling_->text(); }
QString BranchVariables::sheetText() const { return sheet_->text(); }
QString BranchVariables::minimumText() const { return minimum_->text(); }
QString BranchVariables::dateText() const { return date_->text(); }

// -------------------------------------------------------------------- JobUi

JobUi::JobUi(UserInterface& base, QPlainTextEdit* logBox, QProgressBar* steps, QProgressBar* rows)
    : base_(base), logBox_(logBox), steps_(steps), rows_(rows) {
    setOwner(base.owner());
}

void JobUi::message(MessageKind kind, const QString& text, const QString& title) { base_.message(kind, text, title); }

bool JobUi::question(const QString& text, QuestionKind kind, const QString& title) {
    return base_.question(text, kind, title);
}

void JobUi::log(const QString& line) {
    if (logBox_) {
        logBox_->appendPlainText(line);
    } else {
        base_.log(line);
    }
}

void JobUi::progressStart(const QString& caption, int steps) {
    if (steps_) {
        steps_->setRange(0, std::max(steps, 1));
        steps_->setValue(0);
    }
    if (rows_) rows_->setValue(0);
    base_.progressStart(caption, steps);
}

void JobUi::progressStep(int done) {
    if (steps_) steps_->setValue(std::min(done, steps_->maximum()));
    base_.progressStep(done);
}

void JobUi::progressEnd() { base_.progressEnd(); }

void JobUi::subProgress(int done, int steps) {
    if (rows_) {
        rows_->setRange(0, std::max(steps, 1));
        rows_->setValue(std::min(done, rows_->maximum()));
    }
    base_.subProgress(done, steps);
}

bool JobUi::cancelRequested() { return base_.cancelRequested(); }

void JobUi::runStart(const QString& caption) { base_.runStart(caption); }

void JobUi::runEnd() { base_.runEnd(); }

} // namespace folha::ui
