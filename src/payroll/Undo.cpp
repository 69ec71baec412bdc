// Undoing a calculation of one employee, period and sheet type.
#include "Undo.h"
#include "CalculationLock.h"
#include "CalculationTrail.h"
#include "EsocialMarks.h"

namespace folha::payroll {

AuditEntry PayrollUndo::audit(const UndoRequest& r) const {
    return {QStringLiteral("E"), QStringLiteral("OCORRENC"),
            QStringLiteral("Descalcular %1 %2/%3 folha %4: %5 registro(s)").arg(r.employee, r.month, r.year, r.sheet).arg(removed_)};
}

bool PayrollUndo::run(const UndoRequest& request) {
    const JobLock calculating(db_, CalculationJob, CalculationCaption);
    removed_ = 0;
    const struct {
        const QString& value;
        const char* message;
    } required[] = {
        {request.year, "Preencher o ano!"},
        {request.month, "Preencher o mês!"},
        {request.sheet, "Preencher o tipo da folha!"},
        {request.employee, "Preencher o código do funcionário!"},
    };
    for (const auto& r : required) {
        if (r.value.trimmed().isEmpty()) {
            ui_.message(MessageKind::Error, QString::fromUtf8(r.message));
            return false;
        }
    }
    if (!ui_.question(QStringLiteral("Tem certeza que deseja descalcular a folha?"))) return false;
    // Only the calculated rows go; what the user typed stays. Every value is
    // bound, whatever the fields hold.
    Transaction t(db_);
    removed_ = db_.execWrite(QStringLiteral("DELETE FROM OCORRENC WHERE CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? "
                                            "AND TIPOFOLHA = ? AND FLAG = ?"),
                             {request.employee, request.year, request.month, request.sheet.trimmed().left(1),
                              QStringLiteral("*")});
    // The trail of the rows goes with them.
    law::RemoveTrails(db_, {request.employee, request.year, request.month, request.sheet.trimmed().left(1)});
    // The month's eSocial events of the employee no longer stand as built.
    if (removed_ > 0)
        EsocialMarks(db_).markSheet(request.employee, request.year, request.month, request.sheet.trimmed().left(1));
    t.commit();
    // Said with what went: an undo that found nothing calculated says so.
    if (removed_ > 0)
        ui_.message(MessageKind::Information,
                    QStringLiteral("Ok, procedimento concluído! %1 linha(s) calculada(s) removida(s).").arg(removed_));
    else
        ui_.message(MessageKind::Warning,
                    QStringLiteral("Nenhuma linha calculada do funcionário %1 em %2/%3: nada foi descalculado.")
                        .arg(request.employee.trimmed(), request.month.trimmed(), request.year.trimmed()));
    return true;
}

} // namespace folha::payroll
