#pragma once
// The desktop's answer to UserInterface: message boxes owned by the screen
// in front, a window-modal progress dialog with a cancel button, and the
// warnings and errors of a run gathered into one box at its end.

#include "UserInterface.h"

#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QStringList>


class QWidget;

namespace folha {

class QtUserInterface : public UserInterface {
public:
    QtUserInterface() = default;
    ~QtUserInterface() override;

    void message(MessageKind kind, const QString& text, const QString& title = {}) override;
    bool question(const QString& text, QuestionKind kind = QuestionKind::YesNo, const QString& title = {}) override;
    void log(const QString& line) override;
    void progressStart(const QString& caption, int steps) override;
    void progressStep(int done) override;
    void progressEnd() override;
    bool cancelRequested() override;
    void runStart(const QString& caption) override;
    void runEnd() override;

    // Every log line told so far.
    const QStringList& logLines() const { return logLines_; }
    // The progress dialog while one is shown.
    QProgressDialog* progressDialog() const { return progress_; }

protected:
    // Shows one box and returns the button pressed; the tests answer here.
    virtual QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                const QString& details = {});
    QWidget* ownerWidget() const;
    // The button Enter presses in the box being shown; none: Qt's choice.
    QMessageBox::StandardButton defaultButton_ = QMessageBox::NoButton;

private:
    QString titleOr(const QString& title) const;
    QStringList logLines_;
    QPointer<QProgressDialog> progress_;
    int runDepth_ = 0;
    QString runCaption_;
    QStringList runProblems_;
    bool runHadError_ = false;
};

} // namespace folha
