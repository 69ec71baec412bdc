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

QString WorkerEventsPattern(const QString& worker) { return QStringLiteral("S-22__|%1%").arg(worker.trimmed()); }

bool EsocialMarks::hasTable() {
    if (!hasTable_) hasTable_ = db_.hasTable(QStringLiteral("ESOCIAL"));
    return *hasTable_;
}

int EsocialMarks::mark(const QStringList& patterns) {
    if (patterns.isEmpty() || !hasTable()) return 0;
    QString sql = QStringLiteral("UPDATE ESOCIAL SET ALTERADO = 'S' WHERE ASSUNTO LIKE ?");
    for (int i = 1; i < patterns.size(); ++i) sql += QStringLiteral(" OR ASSUNTO LIKE ?");
    QVariantList params;
    for (const QString& p : patterns) params << p;
    return db_.execWrite(sql, params);
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

int EsocialMarks::flush() {
    const QStringList subjects = std::exchange(pending_, {});
    return markSubjects(subjects);
}

} // namespace folha
