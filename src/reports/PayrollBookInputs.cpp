#include "PayrollBookComposer.h"

#include "LawRules.h"
#include "TextRoutines.h"
#include "TypedInput.h"
#include "UserInterface.h"

namespace folha {

namespace {

Fixed TypedAmount(const QString& typed, const QString& what) {
    QString t = typed.trimmed();
    if (t.isEmpty()) return Fixed();
    if (t.contains(QLatin1Char(','))) t.remove(QLatin1Char('.')); // "1.234,56"
    std::optional<Fixed> value;
    try {
        value = Fixed::parse(t);
    } catch (const FixedRangeError&) {
    }
    if (!value) throw UserError(QStringLiteral("Valor inválido em \"%1\": %2").arg(what, typed.trimmed()));
    return *value;
}

int TypedWhole(const QString& typed, int low, int high, const QString& message) {
    const QString t = typed.trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < low || v > high) throw UserError(message.arg(t));
    return v;
}

const char* const MonthNames[] = {"JANEIRO", "FEVEREIRO", "MARÇO",    "ABRIL",   "MAIO",     "JUNHO",
                                  "JULHO",   "AGOSTO",    "SETEMBRO", "OUTUBRO", "NOVEMBRO", "DEZEMBRO"};

} // namespace

namespace bookdetail {

void BookComposer::readBranch() {
    auto branch = Table(db_, QStringLiteral("Filial")).find({o_.branchCode});
    if (!branch || !branch->date(QStringLiteral("DATA_FOLHA")).isValid())
        throw UserError(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o_.branchCode));
    const QDate date = o_.competence.isValid() ? o_.competence : branch->date(QStringLiteral("DATA_FOLHA"));
    const QString competence = CompetenceOfDate(date);
    year_ = competence.left(4);
    month_ = competence.mid(4, 2);
    sheet_ = o_.sheet.isEmpty() ? branch->text(QStringLiteral("TIPO_FOL")).trimmed() : o_.sheet;
    subtitle_ = BookSubtitle(date);
    // The employer rate, its RAT adjusted by the accident-prevention factor.
    employerRate_ =
        law::EmployerRateOf(branch->number(QStringLiteral("PER_GRPS17")), branch->number(QStringLiteral("INDICE_FAP"))).adjusted();
    entitiesRate_ = branch->number(QStringLiteral("PER_GRPS18"));
    simples_ = branch->text(QStringLiteral("SIMPLES")).trimmed();
    maternityEvent_ = branch->text(QStringLiteral("HISTSALMAT")).trimmed();
    birthAidEvent_ = branch->text(QStringLiteral("HISTAUXNAT")).trimmed();
}

void BookComposer::readRoles() {
    static const QList<QPair<QString, QString>> roles = {
        {QStringLiteral("013"), QStringLiteral("Ocorrencia fixa 013 (Base INSS Normal) nao existe")},
        {QStringLiteral("015"), QStringLiteral("Ocorrencia fixa 015 (Base INSS 13) nao existe")},
        {QStringLiteral("012"), QStringLiteral("Ocorrencia fixa 012 (Valor INSS Normal) nao existe")},
        {QStringLiteral("032"), QStringLiteral("Ocorrencia fixa 032 (Valor FGTS) nao existe")},
        {QStringLiteral("031"), QStringLiteral("Ocorrencia fixa 031 (Base FGTS) nao existe")},
        {QStringLiteral("014"), QStringLiteral("Ocorrencia fixa 014 (Valor INSS 13) nao existe")},
        {QStringLiteral("011"), QStringLiteral("Ocorrencia fixa 011 (Salario Familia) nao existe")},
    };
    Table fixa(db_, QStringLiteral("FIXAOCOR"));
    for (const auto& [role, message] : roles) {
        const auto row = fixa.find({role});
        const QString event = row ? row->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
        if (event.isEmpty())
            ui_.message(MessageKind::Warning, message);
        else
            roleEvent_.insert(role, event);
    }
    // The employee's totals: the statement's total earnings (role 026),
    // total deductions (027) and net pay (028), and the events 911, 912 and
    // 913 that hold the same totals. They make the totals line, not event
    // lines.
    totalEvents_ = {QStringLiteral("911"), QStringLiteral("912"), QStringLiteral("913")};
    // The termination's net (role 055) was paid in the termination: the
    // month's totals hold it as a deduction, and so does the book.
    for (const QString& role : {QStringLiteral("026"), QStringLiteral("027"), QStringLiteral("028"),
                                QStringLiteral("055")}) {
        const auto row = fixa.find({role});
        const QString event = row ? row->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
        if (event.isEmpty()) continue;
        roleEvent_.insert(role, event);
        if (role != QLatin1String("055")) totalEvents_.insert(event);
    }
}

void BookComposer::readRegisters() {
    Table(db_, QStringLiteral("HISTFP")).forEach({}, {}, [&](const Record& r) {
        EventInfo info;
        info.name = r.text(QStringLiteral("HNOME")).trimmed();
        info.kind = r.isNull(QStringLiteral("HPRODESC")) ? -1 : r.integer(QStringLiteral("HPRODESC"));
        events_.insert(r.text(QStringLiteral("HCODIGO")).trimmed(), info);
        return true;
    });
    Table(db_, QStringLiteral("Cargos")).forEach({}, {}, [&](const Record& r) {
        bool ok = false;
        const int code = r.text(QStringLiteral("COD_CARGOS")).trimmed().toInt(&ok);
        if (ok)
            jobs_.insert(code, {r.text(QStringLiteral("NOME_CARGO")).trimmed(),
                                r.integer(QStringLiteral("PERC_APOSE"))});
        return true;
    });
    Table(db_, QStringLiteral("centcust")).forEach({}, {}, [&](const Record& r) {
        costCentres_.insert(r.text(QStringLiteral("COD_CCUSTO")).trimmed(),
                            r.text(QStringLiteral("DESC_CUSTO")).trimmed());
        return true;
    });
}

} // namespace bookdetail

BookRangeFields RangeFieldsOf(BookOrder order) {
    switch (order) {
    case BookOrder::Name:
        return {QStringLiteral("Nome Inicial:"), QStringLiteral("Nome Final:"), QString(), QString()};
    case BookOrder::Cargo:
        return {QStringLiteral("Cargo Inicial:"), QStringLiteral("Cargo Final:"), QStringLiteral("000"),
                QStringLiteral("999")};
    case BookOrder::Code:
        break;
    }
    return {QStringLiteral("Codigo Inicial:"), QStringLiteral("Codigo Final:"), QStringLiteral("000001"),
            QStringLiteral("999999")};
}

BookOrder ReadBookOrder(const QString& typed) {
    const QString t = typed.trimmed().toLower();
    if (t == QLatin1String("codigo") || t == QStringLiteral("código") || t == QLatin1String("code"))
        return BookOrder::Code;
    if (t == QLatin1String("nome") || t == QLatin1String("name")) return BookOrder::Name;
    if (t == QLatin1String("cargo")) return BookOrder::Cargo;
    throw UserError(QStringLiteral("Ordem inválida: %1 (Codigo, Nome ou Cargo)").arg(typed.trimmed()));
}

PayrollBookOptions ReadPayrollBookInputs(const PayrollBookInputs& typed) {
    PayrollBookOptions o;
    o.order = ReadBookOrder(typed.order);
    const BookRangeFields range = RangeFieldsOf(o.order);
    auto bound = [&](const QString& text, const QString& fallback, const QString& caption) -> QString {
        const QString t = text.trimmed();
        if (t.isEmpty()) return fallback;
        switch (o.order) {
        case BookOrder::Code:
            return TypedEmployeeCode(t);
        case BookOrder::Cargo: {
            bool ok = false;
            const int v = t.toInt(&ok);
            if (!ok || v < 0 || v > 999)
                throw UserError(QStringLiteral("%1 inválido: %2").arg(caption.chopped(1), t));
            return QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0'));
        }
        case BookOrder::Name:
            return t.toUpper();
        }
        return t;
    };
    o.first = bound(typed.first, range.firstDefault, range.firstCaption);
    o.last = bound(typed.last, range.lastDefault, range.lastCaption);
    if (!o.last.isEmpty() && o.first > o.last)
        throw UserError(QStringLiteral("%1 maior que %2")
                            .arg(range.firstCaption.chopped(1), range.lastCaption.chopped(1)));

    if (typed.categories.size() > 5) throw UserError(QStringLiteral("No máximo 5 vínculos"));
    o.categories = {0, 0, 0, 0, 0};
    for (int i = 0; i < typed.categories.size(); ++i)
        o.categories[i] = TypedWhole(typed.categories[i], 0, 99, QStringLiteral("Vínculo inválido: %1"));
    o.retirementPercent =
        typed.retirementPercent.trimmed().isEmpty()
            ? 99
            : TypedWhole(typed.retirementPercent, 0, 99, QStringLiteral("% Aposent. Especial inválido: %1"));
    o.groupByCategory = typed.groupByCategory;

    QString status = typed.status.trimmed().toUpper();
    if (status.startsWith(QLatin1Char('['))) status = status.mid(1);
    if (status.startsWith(QLatin1Char('T')) || status.isEmpty())
        o.status = BookStatus::All;
    else if (status.startsWith(QLatin1Char('A')))
        o.status = BookStatus::Active;
    else if (status.startsWith(QLatin1Char('I')))
        o.status = BookStatus::Inactive;
    else
        throw UserError(
            QStringLiteral("Emitir Funcionários inválido: %1 (T, A ou I)").arg(typed.status.trimmed()));

    o.prolaborePercent = TypedAmount(typed.prolaborePercent, QStringLiteral("% Prolabore"));
    o.prolaboreValue = TypedAmount(typed.prolaboreValue, QStringLiteral("Valor Prolabore"));
    o.otherDescription = typed.otherDescription.trimmed();
    o.otherValue = TypedAmount(typed.otherValue, QStringLiteral("Valor Outro"));
    const QString op = typed.otherOperation.trimmed().toUpper();
    if (op == QLatin1String("S"))
        o.otherOperation = OtherOperation::Add;
    else if (op == QLatin1String("D"))
        o.otherOperation = OtherOperation::Subtract;
    else if (op == QLatin1String("N") || op.isEmpty())
        o.otherOperation = OtherOperation::Ignore;
    else
        throw UserError(
            QStringLiteral("Oper. Outro inválida: %1 (S, D ou N)").arg(typed.otherOperation.trimmed()));
    o.interest = TypedAmount(typed.interest, QStringLiteral("Valor Juros\\Mora"));

    QStringList observations = typed.observations;
    while (!observations.isEmpty() && observations.last().trimmed().isEmpty())
        observations.removeLast();
    if (observations.size() > 12)
        throw UserError(
            QStringLiteral("Observacoes: no máximo 12 linhas (foram digitadas %1)").arg(observations.size()));
    o.observations = observations;
    return o;
}

QString BookSubtitle(const QDate& payrollDate) {
    if (!payrollDate.isValid()) return {};
    return QString::fromUtf8(MonthNames[payrollDate.month() - 1]) + QLatin1Char('/') +
           QString::number(payrollDate.year());
}

} // namespace folha
