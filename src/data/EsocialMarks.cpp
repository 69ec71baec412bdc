#include "EsocialMarks.h"

#include <algorithm>
#include <utility>

namespace folha {

QStringList PayrollEventSubjects(const QString& worker, const QString& year, const QString& month, const QString& sheet) {
    const QString code = worker.trimmed();
    const QString y = year.trimmed();
    const QString m = month.trimmed().rightJustified(2, QChar('0'));
    // The 13th salary is reported once a year (indApuracao 2, perApur AAAA);
    // its payment goes in the S-1210 of the month it is paid in.
    const QString remuneration = sheet.trimmed().startsWith(QLatin1Char('D'))
                                     ? QStringLiteral("S-1200|%1|%2").arg(code, y)
                                     : QStringLiteral("S-1200|%1|%2-%3").arg(code, y, m);
    return {remuneration, QStringLiteral("S-1210|%1|%2-%3").arg(code, y, m)};
}

const QStringList& WorkerEventTypes() {
    static const QStringList types{QStringLiteral("S-2200"), QStringLiteral("S-2205"), QStringLiteral("S-2206"),
                                   QStringLiteral("S-2230"), QStringLiteral("S-2299")};
    return types;
}

bool EsocialMarks::hasTable() {
    if (!hasTable_) hasTable_ = db_.hasTable(QStringLiteral("ESOCIAL"));
    return *hasTable_;
}

int EsocialMarks::markWorker(const QString& worker) {
    if (!hasTable()) return 0;
    // Through the worker's index: the register holds every event of every
    // worker, each with its XML.
    QString sql = QStringLiteral("UPDATE ESOCIAL SET ALTERADO = 'S' WHERE CODFUN = ? AND TIPO IN (?");
    QVariantList params{worker.trimmed(), WorkerEventTypes().front()};
    for (qsizetype i = 1; i < WorkerEventTypes().size(); ++i) {
        sql += QStringLiteral(", ?");
        params << WorkerEventTypes()[i];
    }
    return db_.execWrite(sql + QLatin1Char(')'), params);
}

int EsocialMarks::markSubjects(const QStringList& subjects) {
    if (subjects.isEmpty() || !hasTable()) return 0;
    constexpr int perStatement = 500;
    int marked = 0;
    for (int start = 0; start < subjects.size(); start += perStatement) {
        const int n = std::min<int>(perStatement, int(subjects.size()) - start);
        QString sql = QStringLiteral("UPDATE ESOCIAL SET ALTERADO = 'S' WHERE ASSUNTO IN (?");
        QVariantList params{subjects[start]};
        for (int i = 1; i < n; ++i) {
            sql += QStringLiteral(", ?");
            params << subjects[start + i];
        }
        marked += db_.execWrite(sql + QLatin1Char(')'), params);
    }
    return marked;
}

int EsocialMarks::markSheet(const QString& worker, const QString& year, const QString& month, const QString& sheet) {
    const QStringList subjects = PayrollEventSubjects(worker, year, month, sheet);
    if (!deferred_) return markSubjects(subjects);
    pending_ += subjects;
    return 0;
}

void EsocialMarks::setDeferred(bool deferred) {
    deferred_ = deferred;
    pending_.clear();
}

void EsocialMarks::dropPending(int count) {
    if (count >= 0 && count < pending_.size()) pending_.resize(count);
}

int EsocialMarks::flush() {
    // A sheet written by a calculation and then valued is marked twice.
    QStringList subjects = std::exchange(pending_, {});
    subjects.removeDuplicates();
    return markSubjects(subjects);
}

} // namespace folha
