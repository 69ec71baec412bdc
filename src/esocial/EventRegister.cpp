#include "EventRegister.h"

#include "DbError.h"
#include "Esocial.h"
#include "Registry.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace folha::esocial {

static const QString Table = QStringLiteral("ESOCIAL");
static const QString Columns = QStringLiteral(
    "ID, TIPO, ASSUNTO, VERSAO, CODFUN, COMPETENC, SITUACAO, INDRETIF, RECIBO, RETIFICA, XML, MENSAGENS, "
    "CONTEUDO, ALTERADO, CRIADO, LOTE");

const QStringList& Statuses() {
    static const QStringList s = {status::Generated, status::Validated, status::Signed, status::Sent,
                                  status::Accepted,  status::Rejected,  status::Removed};
    return s;
}

static QString text(const QSqlQuery& q, int i) { return q.value(i).toString().trimmed(); }

static StoredEvent fromQuery(const QSqlQuery& q) {
    StoredEvent e;
    e.id = text(q, 0);
    e.type = text(q, 1);
    e.subject = text(q, 2);
    e.version = q.value(3).toInt();
    e.worker = text(q, 4);
    e.competence = text(q, 5);
    e.status = text(q, 6);
    e.indRetif = q.value(7).isNull() ? 1 : q.value(7).toInt();
    e.receipt = text(q, 8);
    e.rectifies = text(q, 9);
    e.xml = q.value(10).toString().toUtf8();
    e.messages = q.value(11).toString();
    e.fingerprint = text(q, 12);
    e.changed = text(q, 13) == QLatin1String("S");
    e.created = QDateTime::fromString(text(q, 14), Qt::ISODate);
    e.batch = q.value(15).toInt();
    return e;
}

EventRegister::EventRegister(Database& db) : db_(db) { db_.ensureTable(Registry::instance().require(Table)); }

std::optional<StoredEvent> EventRegister::latest(const QString& subject) {
    auto q = db_.exec(QStringLiteral("SELECT %1 FROM ESOCIAL WHERE ASSUNTO = ? ORDER BY VERSAO DESC").arg(Columns),
                      {subject});
    if (q.next()) return fromQuery(q);
    return std::nullopt;
}

std::optional<StoredEvent> EventRegister::lastAccepted(const QString& subject) {
    auto q = db_.exec(
        QStringLiteral("SELECT %1 FROM ESOCIAL WHERE ASSUNTO = ? AND SITUACAO = ? ORDER BY VERSAO DESC").arg(Columns),
        {subject, status::Accepted});
    if (q.next()) return fromQuery(q);
    return std::nullopt;
}

bool EventRegister::wasSent(const QString& subject) {
    auto q = db_.exec(QStringLiteral("SELECT COUNT(*) FROM ESOCIAL WHERE ASSUNTO = ? AND SITUACAO IN (?, ?)"),
                      {subject, status::Sent, status::Accepted});
    return q.next() && q.value(0).toInt() > 0;
}

std::optional<StoredEvent> EventRegister::byId(const QString& id) {
    auto q = db_.exec(QStringLiteral("SELECT %1 FROM ESOCIAL WHERE ID = ?").arg(Columns), {id.trimmed()});
    if (q.next()) return fromQuery(q);
    return std::nullopt;
}

// Tables, then the worker's events, then the month's: the batch order.
static int groupOf(const QString& type) {
    const EventKind* k = KindOf(type);
    return k ? k->group : 2;
}

std::vector<StoredEvent> EventRegister::list(const EventFilter& f) {
    QString sql = QStringLiteral("SELECT %1 FROM ESOCIAL WHERE 1 = 1").arg(Columns);
    QVariantList params;
    auto add = [&](const char* column, const QString& value) {
        if (value.isEmpty()) return;
        sql += QStringLiteral(" AND %1 = ?").arg(QLatin1String(column));
        params << value;
    };
    add("COMPETENC", f.competence);
    add("SITUACAO", f.status);
    add("TIPO", f.type);
    add("CODFUN", f.worker);
    sql += QStringLiteral(" ORDER BY ASSUNTO, VERSAO");
    auto q = db_.exec(sql, params);
    std::vector<StoredEvent> all;
    while (q.next()) all.push_back(fromQuery(q));
    std::vector<StoredEvent> out;
    if (f.allVersions) {
        out = std::move(all);
    } else {
        // The rows come by subject and version: keep each subject's last. The
        // filter on status applies to the versions, so a subject whose latest
        // version has another status shows its latest version of that status.
        for (size_t i = 0; i < all.size(); ++i)
            if (i + 1 == all.size() || all[i + 1].subject != all[i].subject) out.push_back(std::move(all[i]));
    }
    std::stable_sort(out.begin(), out.end(), [](const StoredEvent& a, const StoredEvent& b) {
        if (a.competence != b.competence) return a.competence < b.competence;
        int ga = groupOf(a.type), gb = groupOf(b.type);
        if (ga != gb) return ga < gb;
        if (a.type != b.type) return a.type < b.type;
        if (a.worker != b.worker) return a.worker < b.worker;
        if (a.subject != b.subject) return a.subject < b.subject;
        return a.version < b.version;
    });
    return out;
}

QString EventRegister::newId(const QString& tpInsc, const QString& fullInsc, const QDateTime& when) {
    QString digits;
    for (QChar c : fullInsc)
        if (c.isDigit()) digits += c;
    // A CNPJ identifies the employer by its root, padded with zeros to 14.
    QString number = tpInsc == QLatin1String("1") ? digits.left(8).leftJustified(14, '0')
                                                  : digits.rightJustified(14, '0');
    // Numbered in the second asked, or in the later one where an earlier
    // call ran out of numbers.
    if (!second_.isValid() || when > second_) second_ = when;
    for (;;) {
        const QString stamp = second_.toString(QStringLiteral("yyyyMMddHHmmss"));
        const QString prefix = QStringLiteral("ID") + tpInsc + number + stamp;
        if (stamp != lastStamp_) {
            lastStamp_ = stamp;
            // Ids made earlier in the same second (by another run) keep theirs.
            auto q = db_.exec(QStringLiteral("SELECT MAX(ID) FROM ESOCIAL WHERE ID LIKE ?"), {prefix + '%'});
            sequence_ = q.next() && !q.value(0).isNull() ? q.value(0).toString().right(5).toInt() : 0;
        }
        if (sequence_ < 99999) return prefix + QString::number(++sequence_).rightJustified(5, '0');
        second_ = second_.addSecs(1);
    }
}

void EventRegister::insert(const StoredEvent& e) {
    db_.execWrite(QStringLiteral("INSERT INTO ESOCIAL (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(Columns),
                  {e.id, e.type, e.subject, e.version, e.worker, e.competence, e.status, e.indRetif, e.receipt,
                   e.rectifies, QString::fromUtf8(e.xml), e.messages, e.fingerprint,
                   e.changed ? QStringLiteral("S") : QStringLiteral("N"),
                   e.created.toString(Qt::ISODate), e.batch});
}

void EventRegister::setStatus(const QString& id, const QString& st, const QString& messages) {
    db_.execWrite(QStringLiteral("UPDATE ESOCIAL SET SITUACAO = ?, MENSAGENS = ? WHERE ID = ?"), {st, messages, id});
}

void EventRegister::setReceipt(const QString& id, const QString& receipt) {
    db_.execWrite(QStringLiteral("UPDATE ESOCIAL SET RECIBO = ? WHERE ID = ?"), {receipt, id});
}

void EventRegister::setBatch(const QString& id, int batch) {
    db_.execWrite(QStringLiteral("UPDATE ESOCIAL SET LOTE = ? WHERE ID = ?"), {batch, id});
}

int EventRegister::nextBatch() {
    auto q = db_.exec(QStringLiteral("SELECT MAX(LOTE) FROM ESOCIAL"));
    return (q.next() ? q.value(0).toInt() : 0) + 1;
}

QString Fingerprint(const QByteArray& xml) {
    QString s = QString::fromUtf8(xml);
    static const QRegularExpression id(QStringLiteral(" Id=\"[^\"]*\""));
    static const QRegularExpression ide(QStringLiteral("<(indRetif|nrRecibo|verProc)>[^<]*</\\1>"));
    static const QRegularExpression alt(QStringLiteral("<(/?)alteracao>"));
    s.remove(id);
    s.remove(ide);
    s.replace(alt, QStringLiteral("<\\1inclusao>"));
    return QString::fromLatin1(QCryptographicHash::hash(s.toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace folha::esocial
