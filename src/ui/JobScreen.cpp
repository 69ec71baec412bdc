#include "JobScreen.h"

#include "EmployeeChoice.h"
#include "IniFile.h"
#include "RegisterModel.h"
#include "SelecaoMultipla.h"
#include "SelectionQuery.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QTextEdit>
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

namespace {
QString companySection(const Session& session) {
    return QStringLiteral("Empresa") + QString::number(session.signIn.CurrentCompanyCode);
}
} // namespace

QString RestoreCompanyField(Session& session, const QString& screen, const QString& field) {
    if (session.values.IniDir.isEmpty()) return {};
    return ReadIniValue(settingsFile(session, screen), companySection(session), field);
}

void RememberCompanyField(Session& session, const QString& screen, const QString& field, const QString& value) {
    if (session.values.IniDir.isEmpty()) return;
    WriteIniFileValue(settingsFile(session, screen), companySection(session), field, value);
}

QDate BranchSheetDate(Session& session) {
    try {
        if (auto branch = Table(session.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session)}))
            return branch->date("DATA_FOLHA");
    } catch (const std::exception&) {
        // No branch to read: no date.
    }
    return {};
}

// ------------------------------------------------------------ Enter moves on

namespace {
class EnterMovesOn : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !takesEnterAsNext(widget)) return false;
        // Tab's own way through the focus chain.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &tab);
        return true;
    }
    static bool takesEnterAsNext(QWidget* w) {
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
            qobject_cast<QAbstractItemView*>(w))
            return false;
        if (auto* box = qobject_cast<QComboBox*>(w); box && box->view() && box->view()->isVisible()) return false;
        return w->focusPolicy() & Qt::TabFocus;
    }
};
} // namespace

void MoveOnWithEnter(QWidget* screen) {
    const QString name = QStringLiteral("EnterMovesOn");
    QObject* filter = screen->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
    if (!filter) {
        filter = new EnterMovesOn(screen);
        filter->setObjectName(name);
    }
    for (QWidget* w : screen->findChildren<QWidget*>()) {
        // Installing twice would move twice.
        w->removeEventFilter(filter);
        w->installEventFilter(filter);
    }
}

void AnnounceJob(UserInterface& ui, int count, const QString& what, const QStringList& more) {
    QStringList lines{QStringLiteral("%1 %2").arg(count).arg(what)};
    lines += more;
    ui.message(count > 0 ? MessageKind::Information : MessageKind::Warning, lines.join(QLatin1Char('\n')));
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
        button->setToolTip(QStringLiteral("Pesquisar funcionário (F2)"));
        // Enter and Tab go from field to field; the lookup is F2 or a click.
        button->setFocusPolicy(Qt::NoFocus);
        box->installEventFilter(this);
        button->setObjectName(QString::fromLatin1(name) + QStringLiteral("Lookup"));
        grid->addWidget(label, r, 0);
        grid->addWidget(box, r, 1);
        grid->addWidget(button, r, 2);
    };
    row(0, firstCaption, first_, firstButton_, "eFtCodInicial");
    row(1, lastCaption, last_, lastButton_, "eFtCodFinal");
    grid->setColumnStretch(3, 1);
    // A code typed short is shown as it will be used once the field is left.
    connect(first_, &QLineEdit::editingFinished, this, [this] { complete(first_); });
    connect(last_, &QLineEdit::editingFinished, this, [this] { complete(last_); });
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

bool EmployeeRange::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        if (watched == first_) pickFirst();
        else if (watched == last_) pickLast();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void EmployeeRange::complete(QLineEdit* box) {
    const QString done = CompletedCode(box->text().trimmed(), 6);
    if (done != box->text()) box->setText(done);
}

// The range of earlier versions, kept in "Campos" without the company, is
// not read: it could be another company's.
void EmployeeRange::restore(const QString& screen) {
    first_->setText(RestoreCompanyField(session_, screen, QStringLiteral("FuncionarioInicial")));
    last_->setText(RestoreCompanyField(session_, screen, QStringLiteral("FuncionarioFinal")));
}

void EmployeeRange::remember(const QString& screen) const {
    RememberCompanyField(session_, screen, QStringLiteral("FuncionarioInicial"), first_->text());
    RememberCompanyField(session_, screen, QStringLiteral("FuncionarioFinal"), last_->text());
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

// ---------------------------------------------------------------- JobScreen

JobScreen::JobScreen(Session& session, UserInterface& ui, const QString& screenName, QWidget* parent)
    : QWidget(parent), session_(session), ui_(ui), screenName_(screenName) {
    setObjectName(screenName);
}

EmployeeRange* JobScreen::makeRange(const QString& firstCaption, const QString& lastCaption) {
    range_ = new EmployeeRange(session_, ui_, firstCaption, lastCaption, EmployeeRange::CodeStyle::Padded, this);
    range_->restore(screenName_);
    return range_;
}

bool JobScreen::runJob(const QList<QWidget*>& buttons, QPlainTextEdit* logBox, QProgressBar* steps, QProgressBar* rows,
                       const std::function<Outcome(JobUi&, const Range&)>& job) {
    const UiOwner owner(ui_, this);
    Range range;
    try {
        range = {range_->firstCode(), range_->lastCode()};
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    rememberFields();
    for (QWidget* b : buttons) b->setEnabled(false);
    struct Release {
        const QList<QWidget*>& buttons;
        ~Release() {
            for (QWidget* b : buttons) b->setEnabled(true);
        }
    } release{buttons};
    if (logBox) logBox->clear();
    if (steps) steps->setValue(0);
    if (rows) rows->setValue(0);
    JobUi jobUi(ui_, logBox, steps, rows);
    Outcome outcome;
    try {
        outcome = job(jobUi, range);
    } catch (const UserError& e) {
        // A table the run could not read or write, or a calculation running
        // elsewhere: what was written whole stays, and the message says why.
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    if (!outcome.started) return false;
    if (outcome.audit)
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), screenName_, *outcome.audit,
                        session_.signIn.CurrentUserCode, ui_);
    if (!outcome.cancelled) AnnounceJob(ui_, outcome.count, outcome.what, outcome.more);
    return true;
}

void JobScreen::rememberFields() {
    if (range_) range_->remember(screenName_);
}

void JobScreen::closeEvent(QCloseEvent* event) {
    rememberFields();
    QWidget::closeEvent(event);
}

void JobScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (enterWired_) return;
    enterWired_ = true;
    MoveOnWithEnter(this);
}

} // namespace folha::ui
