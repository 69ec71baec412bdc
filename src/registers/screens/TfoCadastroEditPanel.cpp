#include "TfoCadastro.h"

#include "DbError.h"
#include "EmployeeLookups.h"
#include "References.h"
#include "SelecaoMultipla.h"
#include "Session.h"
#include "TextRoutines.h"
#include "TypedBoxes.h"
#include "TypedInput.h"
#include "UserInterface.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace folha {

namespace {

// The text of a masked box as stored: the digits of a CPF, CNPJ, PIS or
// CEP; a date box as typed, empty when nothing was typed.
QString boxValue(const QLineEdit* line, const FieldDef& f) {
    const QString text = line->text();
    if (line->inputMask().isEmpty()) return text;
    if (OnlyDigits(text).isEmpty()) return {};
    if (f.type == FieldType::Date) return text;
    return OnlyDigits(text);
}

// A number field typed as an amount ("3.100,50", "3100,50", "3100.50"):
// the same reading everywhere an amount is typed; a rate or an hour count
// keeps its four places.
bool typedAsAmount(const FieldDef& f) { return f.type == FieldType::Number && f.mask == InputMask::None && f.codes.isEmpty(); }

Fixed typedAmount(const QString& text, const FieldDef& f) {
    const QString t = text.trimmed();
    const bool negative = t.startsWith(QLatin1Char('-'));
    const Fixed v = TypedMoney(negative ? t.mid(1) : t, f.caption, f.money ? 2 : 4);
    return negative ? Fixed() - v : v;
}

QString amountText(Fixed v, const FieldDef& f) {
    return f.money ? MoneyText(v) : v.toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

QWidget* TfoCadastro::buildEditor(const PanelField& pf, QWidget* parent) {
    FieldEditor e;
    e.def = table_.field(pf.field);
    if (!e.def) return nullptr;
    const FieldDef& f = *e.def;
    QWidget* box = nullptr;
    if (f.lookup) {
        auto* row = new QWidget(parent);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        e.line = new QLineEdit(row);
        e.line->setObjectName(QStringLiteral("ed") + f.name);
        e.line->setReadOnly(f.pickerOnly);
        e.line->setMaximumWidth(e.line->fontMetrics().averageCharWidth() * 8 + 12);
        e.pick = new QToolButton(row);
        e.pick->setObjectName(QStringLiteral("bt") + f.name);
        e.pick->setText(QStringLiteral("..."));
        e.pick->setToolTip(f.lookup->descriptionCaption);
        e.description = new QLabel(row);
        e.description->setObjectName(QStringLiteral("lb") + f.name);
        e.description->setToolTip(f.lookup->descriptionCaption);
        e.description->setFrameShape(QFrame::StyledPanel);
        e.description->setMinimumWidth(240);
        h->addWidget(e.line);
        h->addWidget(e.pick);
        h->addWidget(e.description, 1);
        const QString name = f.name;
        connect(e.pick, &QToolButton::clicked, this, [this, name] { pickCode(name); });
        if (const int width = registers::CompletedCodeWidth(table_, f)) ui::CompleteCodeOnLeave(e.line, width);
        // A code typed by hand is described as soon as the box is left.
        QLabel* description = e.description;
        QLineEdit* line = e.line;
        const LookupDef lookup = *f.lookup;
        connect(e.line, &QLineEdit::editingFinished, this, [this, description, line, lookup] {
            try {
                description->setText(registers::LookupDescription(session_.folha(), lookup, line->text()));
            } catch (const UserError&) {
                description->clear();
            }
        });
        box = row;
    } else if (!f.codes.isEmpty()) {
        e.combo = new QComboBox(parent);
        e.combo->setObjectName(QStringLiteral("cb") + f.name);
        e.combo->addItem(QString(), QString());
        for (const CodeEntry& c : f.codes) e.combo->addItem(c.text, c.value);
        // A list of long entries keeps the panel's width; the open list shows them whole.
        e.combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        e.combo->setMinimumContentsLength(30);
        e.combo->view()->setMinimumWidth(e.combo->view()->sizeHintForColumn(0) + 24);
        box = e.combo;
    } else {
        e.line = new QLineEdit(parent);
        e.line->setObjectName(QStringLiteral("ed") + f.name);
        QString mask = InputMaskPattern(f.mask);
        if (mask.isEmpty() && f.type == FieldType::Date) mask = InputMaskPattern(InputMask::Date);
        if (!mask.isEmpty()) e.line->setInputMask(mask);
        if (f.type == FieldType::Text && f.size > 0 && mask.isEmpty()) e.line->setMaxLength(f.size);
        const int chars = f.type == FieldType::Memo ? 60 : std::min(std::max(f.displayWidth(), 4), 60);
        e.line->setFixedWidth(e.line->fontMetrics().averageCharWidth() * (chars + 2) + 12);
        if (const int width = registers::CompletedCodeWidth(table_, f)) ui::CompleteCodeOnLeave(e.line, width);
        if (f.type == FieldType::Date) ui::TypeDatesWhole(e.line);
        if (typedAsAmount(f)) {
            e.line->setAlignment(Qt::AlignRight);
            // Shown the Brazilian way once typed.
            QLineEdit* line = e.line;
            const FieldDef* def = e.def;
            connect(e.line, &QLineEdit::editingFinished, this, [line, def] {
                try {
                    if (!line->text().trimmed().isEmpty()) line->setText(amountText(typedAmount(line->text(), *def), *def));
                } catch (const UserError&) {
                    // Kept as typed: saving names the refused value.
                }
            });
        }
        box = e.line;
    }
    editors_ << e;
    return box;
}

void TfoCadastro::buildEditPanel(const QList<PanelField>& fields) {
    editPanel_ = new QWidget(this);
    editPanel_->setObjectName(QStringLiteral("pnEdicao"));
    auto* v = new QVBoxLayout(editPanel_);
    v->setContentsMargins(0, 0, 0, 0);

    // One form per page (or one form when the table has no pages).
    QStringList pageNames;
    for (const PanelField& pf : fields) {
        const FieldDef* f = table_.field(pf.field);
        if (f && !f->page.isEmpty() && !pageNames.contains(f->page)) pageNames << f->page;
    }
    const QStringList ordered = table_.pages();
    if (!ordered.isEmpty()) {
        QStringList sorted;
        for (const QString& p : ordered)
            if (pageNames.contains(p)) sorted << p;
        pageNames = sorted;
    }
    QMap<QString, QFormLayout*> forms;
    auto newForm = [this](QWidget* host) {
        auto* scroll = new QScrollArea(host);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* inner = new QWidget(scroll);
        auto* form = new QFormLayout(inner);
        form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
        scroll->setWidget(inner);
        return std::make_pair(scroll, form);
    };
    QFormLayout* single = nullptr;
    if (pageNames.isEmpty()) {
        auto [scroll, form] = newForm(editPanel_);
        v->addWidget(scroll, 1);
        single = form;
    } else {
        pages_ = new QTabWidget(editPanel_);
        pages_->setObjectName(QStringLiteral("pgPaginas"));
        for (const QString& p : pageNames) {
            auto [scroll, form] = newForm(pages_);
            pages_->addTab(scroll, p);
            forms.insert(p, form);
        }
        v->addWidget(pages_, 1);
    }
    for (const PanelField& pf : fields) {
        const FieldDef* f = table_.field(pf.field);
        if (!f) continue;
        QFormLayout* form = single ? single : forms.value(f->page, forms.value(pageNames.first()));
        QWidget* box = buildEditor(pf, form->parentWidget());
        if (!box) continue;
        // A field the save cannot go without shows so: its caption in bold
        // with an asterisk.
        const QString caption = pf.caption.isEmpty() ? f->caption : pf.caption;
        if (f->required || f->mandatory) {
            auto* label = new QLabel(QStringLiteral("<b>%1 *</b>").arg(caption.toHtmlEscaped()), form->parentWidget());
            label->setToolTip(QStringLiteral("Preenchimento obrigatório"));
            label->setBuddy(box);
            form->addRow(label, box);
        } else {
            form->addRow(caption, box);
        }
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    saveButton_ = new QPushButton(QStringLiteral("Gravar"), editPanel_);
    saveButton_->setObjectName(QStringLiteral("btGravar"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancelar"), editPanel_);
    cancelButton_->setObjectName(QStringLiteral("btCancelar"));
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton_);
    v->addLayout(buttons);
    connect(saveButton_, &QPushButton::clicked, this, [this] { saveRow(); });
    connect(cancelButton_, &QPushButton::clicked, this, &TfoCadastro::cancelRow);
}

// --- The editing panel ----------------------------------------------------

QWidget* TfoCadastro::fieldBox(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0)
            return e.line ? static_cast<QWidget*>(e.line) : static_cast<QWidget*>(e.combo);
    return nullptr;
}

QLabel* TfoCadastro::descriptionLabel(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) return e.description;
    return nullptr;
}

QToolButton* TfoCadastro::pickButton(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) return e.pick;
    return nullptr;
}

QString TfoCadastro::fieldText(const QString& field) const {
    for (const FieldEditor& e : editors_) {
        if (e.def->name.compare(field, Qt::CaseInsensitive) != 0) continue;
        if (e.combo) return e.combo->currentData().toString();
        return boxValue(e.line, *e.def);
    }
    return {};
}

void TfoCadastro::setFieldText(const QString& field, const QString& text) {
    for (FieldEditor& e : editors_) {
        if (e.def->name.compare(field, Qt::CaseInsensitive) != 0) continue;
        if (e.combo) {
            const int at = e.combo->findData(text.trimmed());
            e.combo->setCurrentIndex(at < 0 ? 0 : at);
        } else {
            e.line->setText(text);
        }
    }
}

QStringList TfoCadastro::panelTexts() const {
    QStringList texts;
    for (const FieldEditor& e : editors_) texts << fieldText(e.def->name);
    return texts;
}

void TfoCadastro::loadPanel(const Record& row) {
    for (const FieldEditor& e : editors_) {
        QString text;
        try {
            if (typedAsAmount(*e.def) && !row.isNull(e.def->name)) text = amountText(row.number(e.def->name), *e.def);
            else text = row.text(e.def->name);
        } catch (const DbError&) {
            text.clear();
        }
        setFieldText(e.def->name, text);
    }
}

void TfoCadastro::storePanel(Record& row) const {
    for (const FieldEditor& e : editors_) {
        const QString text = fieldText(e.def->name);
        if (typedAsAmount(*e.def) && !text.trimmed().isEmpty()) row.setNumber(e.def->name, typedAmount(text, *e.def));
        else row.set(e.def->name, text);
    }
}

void TfoCadastro::setKeyBoxesEnabled(bool enabled) {
    for (const FieldEditor& e : editors_) {
        if (!table_.primaryKey.contains(e.def->name, Qt::CaseInsensitive)) continue;
        if (e.line) e.line->setEnabled(enabled);
        if (e.combo) e.combo->setEnabled(enabled);
        if (e.pick) e.pick->setEnabled(enabled);
    }
}

void TfoCadastro::focusFirstEnabled() {
    for (const FieldEditor& e : editors_) {
        QWidget* box = e.line ? static_cast<QWidget*>(e.line) : static_cast<QWidget*>(e.combo);
        if (box && box->isEnabled()) {
            if (pages_) {
                for (int p = 0; p < pages_->count(); ++p)
                    if (pages_->widget(p)->isAncestorOf(box)) {
                        pages_->setCurrentIndex(p);
                        break;
                    }
            }
            box->setFocus();
            return;
        }
    }
}

void TfoCadastro::fillDescriptions() {
    for (const FieldEditor& e : editors_)
        if (e.description && e.def->lookup)
            e.description->setText(registers::LookupDescription(session_.folha(), *e.def->lookup, e.line->text()));
}

void TfoCadastro::clearDescriptions() {
    for (const FieldEditor& e : editors_)
        if (e.description) e.description->clear();
}

void TfoCadastro::pickCode(const QString& field, const std::function<bool(QLineEdit*)>& chosen) {
    const FieldEditor* editor = nullptr;
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) editor = &e;
    if (!editor || !editor->def->lookup || !editor->line) return;
    const LookupDef& lookup = *editor->def->lookup;
    try {
        if (chosen) {
            chosen(editor->line);
        } else {
            ui::SelectMultiple(session_, ui_, QStringLiteral("Folha"), lookup.listQuery, {}, {}, lookup.keyField,
                               lookup.descriptionField, registers::CodeColumn, QStringLiteral("'"), editor->line, 1,
                               this);
        }
        // Confirmed or not, the box keeps digits only and its description
        // is looked up again.
        // A text code keeps its zeros ("070").
        const QString picked = registers::PickedCode(editor->line->text());
        const int width = registers::CompletedCodeWidth(table_, *editor->def);
        editor->line->setText(width ? CompletedCode(picked, width) : picked);
        editor->description->setText(registers::LookupDescription(session_.folha(), lookup, editor->line->text()));
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

} // namespace folha
