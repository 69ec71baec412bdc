#include "AuditLog.h"

#include "Table.h"

namespace folha {

QString AuditActionName(const QString& code) {
    for (const auto& c : auditActionCodes())
        if (c.value == code) return c.text;
    return {};
}

bool WriteAuditLog(Database& zorvan, int branchCode, const QString& screen, const QString& action,
                   const QString& userCode, const QString& table, const QString& logText, UserInterface& ui,
                   const QDateTime& whenIn) {
    const QDateTime when = whenIn.isValid() ? whenIn : QDateTime::currentDateTime();
    const QString user = userCode.isEmpty() ? QStringLiteral("Nenhum") : userCode;
    const QString actionName = AuditActionName(action);
    try {
        const Registry& reg = Registry::instance();
        const TableDef& tipos = reg.require(QStringLiteral("LogSys_Tipos"));
        const TableDef monthly = reg.auditLogTable(when.date().month(), when.date().year());
        Transaction t(zorvan);
        zorvan.ensureTable(tipos);
        zorvan.ensureTable(monthly);
        Table log(zorvan, monthly);
        Record r = log.newRecord();
        r.set("Filial", branchCode).set("Data", when.date()).set("Hora", when.time()).set("Janela", screen);
        r.set("Acao", action).set("Usuario", user).set("Tabela", table).set("Log", logText);
        log.insert(r);
        Table cat(zorvan, tipos);
        const struct {
            const char* tipo;
            QString campo;
        } entries[] = {{"J", screen}, {"A", actionName}, {"T", table}};
        for (const auto& e : entries) {
            if (e.campo.isEmpty()) continue;
            if (cat.count(QStringLiteral("Campo = ?"), {e.campo}) > 0) continue;
            Record c = cat.newRecord();
            c.set("Tipo", QString::fromLatin1(e.tipo)).set("Campo", e.campo);
            cat.insert(c);
        }
        t.commit();
        return true;
    } catch (const std::exception& e) {
        QString err = dynamic_cast<const DbError*>(&e) ? static_cast<const DbError&>(e).message() : QString::fromUtf8(e.what());
        ui.message(MessageKind::Error, QStringLiteral("Erro ao gravar log de sistema : \r\n") + err + QStringLiteral("\r\n") + logText);
        return false;
    }
}

} // namespace folha
