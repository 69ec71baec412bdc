#include "TypedBoxes.h"

#include "TextRoutines.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace folha::ui {

void CompleteCodeOnLeave(QLineEdit* box, int width) {
    QObject::connect(box, &QLineEdit::editingFinished, box, [box, width] {
        const QString typed = box->text().trimmed();
        const QString completed = CompletedCode(typed, width);
        if (completed != box->text()) box->setText(completed);
    });
}

namespace {

class DateTyping : public QObject {
public:
    explicit DateTyping(QLineEdit* box) : QObject(box), box_(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_) return false;
        if (event->type() == QEvent::FocusIn) fresh_ = true;
        if (event->type() == QEvent::KeyPress && !box_->isReadOnly()) {
            auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (text.size() == 1 && (text[0].isDigit() || text[0] == QLatin1Char('/'))) {
                if (fresh_ || box_->hasSelectedText()) box_->clear();
                fresh_ = false;
                // The next digit goes to the first blank, wherever the cursor was.
                const QString shown = box_->displayText();
                int at = int(shown.size());
                for (int i = 0; i < int(shown.size()); ++i)
                    if (!shown[i].isDigit() && shown[i] != QLatin1Char('/')) {
                        at = i;
                        break;
                    }
                if (text[0].isDigit() && box_->cursorPosition() != at) box_->setCursorPosition(at);
            } else if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
                fresh_ = false;
            }
        }
        return false;
    }

private:
    QLineEdit* box_;
    bool fresh_ = true;
};

} // namespace

void TypeDatesWhole(QLineEdit* box) { new DateTyping(box); }

} // namespace folha::ui
