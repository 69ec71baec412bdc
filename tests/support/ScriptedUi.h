#pragma once
// The user interface of the tests: answers questions from a script, records
// everything it is told (progress included) and can ask to cancel a run
// after a given number of progress steps.

#include "UserInterface.h"

#include <QList>
#include <QStringList>
#include <algorithm>

namespace folha {

class ScriptedUi : public UserInterface {
public:
    struct Entry {
        QString kind; // "message", "error", "warning", "question", "log", "progress", "run"
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

    // Progress as "start CAPTION/STEPS", "step N" and "end".
    void progressStart(const QString& caption, int steps) override {
        entries << Entry{QStringLiteral("progress"), QStringLiteral("start %1/%2").arg(caption).arg(steps)};
    }
    void progressStep(int done) override {
        stepsSeen = std::max(stepsSeen, done);
        entries << Entry{QStringLiteral("progress"), QStringLiteral("step %1").arg(done)};
    }
    void progressEnd() override { entries << Entry{QStringLiteral("progress"), QStringLiteral("end")}; }
    // With cancelAfterSteps >= 0, cancel is asked once the progress reached
    // that step.
    bool cancelRequested() override { return cancelAfterSteps >= 0 && stepsSeen >= cancelAfterSteps; }
    void runStart(const QString& caption) override { entries << Entry{QStringLiteral("run"), QStringLiteral("start ") + caption}; }
    void runEnd() override { entries << Entry{QStringLiteral("run"), QStringLiteral("end")}; }

    QStringList texts(const QString& kind = {}) const {
        QStringList out;
        for (const auto& e : entries)
            if (kind.isEmpty() || e.kind == kind) out << e.text;
        return out;
    }

    QList<Entry> entries;
    int cancelAfterSteps = -1;
    int stepsSeen = 0;

private:
    QList<bool> answers_;
    bool defaultAnswer_;
};

} // namespace folha
