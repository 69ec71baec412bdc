#pragma once
// How engine work talks to the person in front of it: the screens answer
// with modal message boxes, the command line with text, the tests with
// scripted answers.

#include <QString>
#include <QStringList>

namespace folha {

enum class MessageKind { Information, Warning, Error };
enum class QuestionKind { YesNo, OkCancel };

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
};

// Answers questions from a script and records everything it is told.
class ScriptedUi : public UserInterface {
public:
    struct Entry {
        QString kind; // "message", "error", "warning", "question", "log"
        QString text;
    };
    explicit ScriptedUi(QList<bool> answers = {}, bool defaultAnswer = false)
        : answers_(std::move(answers)), defaultAnswer_(defaultAnswer) {}

    void message(MessageKind kind, const QString& text, const QString& = {}) override {
        entries << Entry{kind == MessageKind::Error     ? QStringLiteral("error")
                         : kind == MessageKind::Warning ? QStringLiteral("warning")
                                                        : QStringLiteral("message"),
                         text};
    }
    bool question(const QString& text, QuestionKind = QuestionKind::YesNo, const QString& = {}) override {
        entries << Entry{QStringLiteral("question"), text};
        if (answers_.isEmpty()) return defaultAnswer_;
        return answers_.takeFirst();
    }
    void log(const QString& line) override { entries << Entry{QStringLiteral("log"), line}; }

    QStringList texts(const QString& kind = {}) const {
        QStringList out;
        for (const auto& e : entries)
            if (kind.isEmpty() || e.kind == kind) out << e.text;
        return out;
    }

    QList<Entry> entries;

private:
    QList<bool> answers_;
    bool defaultAnswer_;
};

} // namespace folha
