#include "SefipAdditional.h"

#include "GovRecord.h"
#include "TextRoutines.h"
#include "TypedInput.h"

namespace folha::gov {

namespace {

using Kind = SefipAdditionalField::Kind;

SefipAdditionalField field(const char* control, const char* caption, Kind kind, int width = 0, const char* what = nullptr,
                           bool paired = false) {
    const QString c = QString::fromUtf8(caption);
    const bool numeric = kind == Kind::Money || kind == Kind::Digits || kind == Kind::Taker;
    return {QString::fromLatin1(control), c,          what ? QString::fromUtf8(what) : c, kind, width, paired,
            numeric ? QStringLiteral("0") : QString()};
}

SefipAdditionalField revenueTypeField() {
    SefipAdditionalField f = field("ewTipo", "", Kind::Type, 1);
    f.caption = f.what = RevenueTypeCaption;
    return f;
}

QString digitsOf(const QString& typed, int width, const QString& what) {
    const QString t = typed.trimmed();
    if (t.size() > width || OnlyDigits(t) != t)
        throw UserError(QStringLiteral("Valor inválido em %1: %2 (até %3 dígitos)").arg(what, t).arg(width));
    return t;
}

QString periodOf(const QString& typed, const QString& what) {
    const QString t = typed.trimmed();
    if (t.isEmpty() || t == QLatin1String("/")) return {};
    PeriodOfMonthText(t, what); // refuses text of another shape
    return t;
}

} // namespace

const QList<SefipAdditionalField>& SefipAdditionalFields() {
    static const QList<SefipAdditionalField> fields = {
        field("ewLicMat", "Deducao 13 Salario Licenca Maternidade", Kind::Money),
        field("ewReceita", "Receita Evento Desportivo/Patrocinio", Kind::Money),
        revenueTypeField(),
        field("ewRurFis", "Comercial. Producao Rural - Pessoa Fisica", Kind::Money),
        field("ewRurJur", "Comercial. Producao Rural - Pessoa Juridica", Kind::Money),
        field("ewProces", "Processo", Kind::Digits, 11, "Processo (número)"),
        field("ewProces1", "Processo", Kind::Digits, 4, "Processo (ano)", true),
        field("ewVara", "Vara/JCJ", Kind::Digits, 5),
        field("ewIniPerPle", "Periodo Pleito Reclamatoria Trabalhista", Kind::Period, 0,
              "Periodo Pleito Reclamatoria Trabalhista (início)"),
        field("ewFimPerPle", "Periodo Pleito Reclamatoria Trabalhista", Kind::Period, 0,
              "Periodo Pleito Reclamatoria Trabalhista (fim)", true),
        field("ewCompens", "Compensacao", Kind::Money),
        field("ewTomadComp", "Tom", Kind::Taker, 3, nullptr, true),
        field("ewInipercom", "Periodo Compensacao", Kind::Period, 0, "Periodo Compensacao (início)"),
        field("ewFimPerCom", "Periodo Compensacao", Kind::Period, 0, "Periodo Compensacao (fim)", true),
        field("ewAntINSS", "Recol. Compet.Anterior - Vlr.INSS Folha", Kind::Money),
        field("ewAntOutFol", "Recol. Compet.Anterior - Outras Entid. Folha", Kind::Money),
        field("ewAntINSSRu", "Recol. Compet.Anterior - Vlr.INSS Prod.Rural", Kind::Money),
        field("ewAntOutRur", "Recol. Compet.Anterior - Outras Ent.Pr.Rural", Kind::Money),
        field("ewAntReceit", "Recol. Compet.Anterior - Receitas Desp/Patro", Kind::Money),
        field("ewParcFgts1", "Parcelamento FGTS - Categorias 01,02,03 e 05", Kind::Money),
        field("ewParcFgts2", "Parcelamento FGTS - Categoria  04", Kind::Money),
        field("ewParcFgtsT", "Parcelamento FGTS - (Deposito + JAM + Multa)", Kind::Money),
        field("ewVlrCoop", "Vlr. Pago a Cooperativas de Trabalho", Kind::Money),
    };
    return fields;
}

SefipAdditionalValues ReadSefipAdditional(const QHash<QString, QString>& typed) {
    QHash<QString, Fixed> money;
    QHash<QString, QString> text;
    for (const SefipAdditionalField& f : SefipAdditionalFields()) {
        const QString t = typed.value(f.control, f.initial);
        switch (f.kind) {
        case Kind::Money:
            money.insert(f.control, TypedMoney(t, f.what));
            break;
        case Kind::Type: {
            const QString type = t.trimmed().toUpper();
            if (type.isEmpty()) throw UserError(QStringLiteral("Informe o %1").arg(RevenueTypeCaption));
            if (type != QLatin1String("E") && type != QLatin1String("P") && type != QLatin1String("A"))
                throw UserError(QStringLiteral("%1 inválido: %2").arg(RevenueTypeCaption, t.trimmed()));
            text.insert(f.control, type);
            break;
        }
        case Kind::Digits:
        case Kind::Taker:
            text.insert(f.control, digitsOf(t, f.width, f.what));
            break;
        case Kind::Period:
            text.insert(f.control, periodOf(t, f.what));
            break;
        }
    }
    auto m = [&](const char* control) { return money.value(QString::fromLatin1(control)); };
    auto s = [&](const char* control) { return text.value(QString::fromLatin1(control)); };
    SefipAdditionalValues v;
    v.maternity13Deduction = m("ewLicMat");
    v.sportsRevenue = m("ewReceita");
    v.revenueType = s("ewTipo");
    v.ruralNaturalPerson = m("ewRurFis");
    v.ruralLegalPerson = m("ewRurJur");
    v.processNumber = s("ewProces");
    v.processYear = s("ewProces1");
    v.court = s("ewVara");
    v.claimStart = s("ewIniPerPle");
    v.claimEnd = s("ewFimPerPle");
    v.compensation = m("ewCompens");
    v.compensationTaker = s("ewTomadComp");
    v.compensationStart = s("ewInipercom");
    v.compensationEnd = s("ewFimPerCom");
    v.previousInss = m("ewAntINSS");
    v.previousOtherEntities = m("ewAntOutFol");
    v.previousInssRural = m("ewAntINSSRu");
    v.previousOtherRural = m("ewAntOutRur");
    v.previousRevenue = m("ewAntReceit");
    v.fgtsInstalments = m("ewParcFgts1");
    v.fgtsInstalmentsCat4 = m("ewParcFgts2");
    v.fgtsInstalmentsTotal = m("ewParcFgtsT");
    v.cooperatives = m("ewVlrCoop");
    return v;
}

} // namespace folha::gov
