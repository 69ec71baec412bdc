#pragma once
// How engine work talks to the person in front of it: the screens answer
// with modal message boxes, the command line with text, the tests with
// scripted answers.

#include <QString>
#include <QStringList>

class QObject;

namespace folha {

enum class MessageKind { Information, Warning, Error };
// YesNoDefaultNo: a question whose careless Enter must not do it (a deletion).
enum class QuestionKind { YesNo, OkCancel, YesNoDefaultNo };

class UserInterface {
public:
    virtual ~UserInterface() = default;
    virtual void message(MessageKind kind, const QString& text, const QString& title = {}) = 0;
    // True for Yes (or OK).
    virtual bool question(const QString& text, QuestionKind kind = QuestionKind::YesNo, const QString& title = {}) = 0;
    // A line of a run's log (missing events and the like).
    virtual void log(const QString& line) { message(MessageKind::Information, line); }
    // Progress of long work: start with the number of steps, step, finish.
    virtual void progressStart(const QString& caption, int steps) {
        (void)caption;
        (void)steps;
    }
    virtual void progressStep(int done) { (void)done; }
    virtual void progressEnd() {}
    // Progress inside one step (the event rows of the employee being
    // calculated); shown where a screen has room for it.
    virtual void subProgress(int done, int steps) {
        (void)done;
        (void)steps;
    }
    // Whether the person asked to stop the work in progress (the cancel
    // button of the progress). A run asks between employees and stops there,
    // leaving whole employees only.
    virtual bool cancelRequested() { return false; }

    // A run (a calculation, a file) begins and ends. Between the two, the
    // desktop collects the warnings and errors about single employees and
    // shows them once, together, when the run ends; the command line prints
    // them as they come.
    virtual void runStart(const QString& caption) { (void)caption; }
    virtual void runEnd() {}

    // The window that dialogs belong to (a screen of the desktop); none on
    // the command line.
    void setOwner(QObject* owner) { owner_ = owner; }
    QObject* owner() const { return owner_; }

private:
    QObject* owner_ = nullptr;
};

// Marks a run on a user interface: runStart on creation, runEnd when it goes
// out of scope, whatever way the run ends.
class UiRun {
public:
    UiRun(UserInterface& ui, const QString& caption) : ui_(ui) { ui_.runStart(caption); }
    ~UiRun() { ui_.runEnd(); }
    UiRun(const UiRun&) = delete;
    UiRun& operator=(const UiRun&) = delete;

private:
    UserInterface& ui_;
};

// The window dialogs belong to while a screen works (its boxes and its
// progress over it); the owner before comes back when the work ends.
class UiOwner {
public:
    UiOwner(UserInterface& ui, QObject* owner) : ui_(ui), previous_(ui.owner()) { ui_.setOwner(owner); }
    ~UiOwner() { ui_.setOwner(previous_); }
    UiOwner(const UiOwner&) = delete;
    UiOwner& operator=(const UiOwner&) = delete;

private:
    UserInterface& ui_;
    QObject* previous_;
};

} // namespace folha
