#include "QtUserInterface.h"

#include <QApplication>
#include <QProgressDialog>
#include <QWidget>

namespace folha {

namespace {
// At most this many lines in the box itself; the whole list goes to the
// details.
constexpr int ShownLines = 20;
} // namespace

QtUserInterface::~QtUserInterface() { delete progress_.data(); }

QWidget* QtUserInterface::ownerWidget() const {
    if (auto* w = qobject_cast<QWidget*>(owner())) return w;
    return QApplication::activeWindow();
}

QString QtUserInterface::titleOr(const QString& title) const {
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

QMessageBox::StandardButton QtUserInterface::showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                                     QMessageBox::StandardButtons buttons, const QString& details) {
    QMessageBox box(icon, title, text, buttons, ownerWidget());
    if (!details.isEmpty()) box.setDetailedText(details);
    if (defaultButton_ != QMessageBox::NoButton) box.setDefaultButton(defaultButton_);
    return QMessageBox::StandardButton(box.exec());
}

void QtUserInterface::message(MessageKind kind, const QString& text, const QString& title) {
    if (runDepth_ > 0 && kind != MessageKind::Information) {
        runProblems_ << text;
        runHadError_ = runHadError_ || kind == MessageKind::Error;
        return;
    }
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    showBox(icon, titleOr(title), text, QMessageBox::Ok);
}

bool QtUserInterface::question(const QString& text, QuestionKind kind, const QString& title) {
    const auto buttons = kind == QuestionKind::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Yes | QMessageBox::No;
    defaultButton_ = kind == QuestionKind::YesNoDefaultNo ? QMessageBox::No : QMessageBox::NoButton;
    const auto answer = showBox(QMessageBox::Question, titleOr(title), text, buttons);
    defaultButton_ = QMessageBox::NoButton;
    return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

void QtUserInterface::log(const QString& line) {
    logLines_ << line;
    if (runDepth_ > 0)
        runProblems_ << line;
    else
        showBox(QMessageBox::Information, titleOr({}), line, QMessageBox::Ok);
}

void QtUserInterface::progressStart(const QString& caption, int steps) {
    delete progress_.data();
    progress_ = new QProgressDialog(caption, QStringLiteral("Cancelar"), 0, steps, ownerWidget());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0);
}

void QtUserInterface::progressStep(int done) {
    if (!progress_) return;
    progress_->setValue(done);
    QApplication::processEvents();
}

void QtUserInterface::progressEnd() {
    delete progress_.data();
    progress_ = nullptr;
}

bool QtUserInterface::cancelRequested() {
    if (!progress_) return false;
    QApplication::processEvents();
    return progress_->wasCanceled();
}

void QtUserInterface::runStart(const QString& caption) {
    if (runDepth_++ == 0) {
        runCaption_ = caption;
        runProblems_.clear();
        runHadError_ = false;
    }
}

void QtUserInterface::runEnd() {
    if (runDepth_ == 0 || --runDepth_ > 0) return;
    if (runProblems_.isEmpty()) return;
    const QStringList problems = std::exchange(runProblems_, {});
    const QString text = problems.mid(0, ShownLines).join('\n') +
                         (problems.size() > ShownLines ? QStringLiteral("\n... (%1 mensagens)").arg(problems.size())
                                                       : QString());
    showBox(runHadError_ ? QMessageBox::Critical : QMessageBox::Warning, titleOr(runCaption_), text, QMessageBox::Ok,
            problems.size() > ShownLines ? problems.join('\n') : QString());
}

} // namespace folha
