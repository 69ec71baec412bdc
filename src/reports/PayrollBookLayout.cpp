#include "PayrollBookLayout.h"

namespace folha {

const PayrollBookLayout& BookLayout() {
    static const PayrollBookLayout layout;
    return layout;
}

namespace {

QRegularExpression Pattern(const char* pattern) {
    return QRegularExpression(QString::fromUtf8(pattern));
}

ReportLayout BuildReportLayout() {
    const PayrollBookLayout& b = BookLayout();
    // The listing's pages have the title "FOLHA DE PAGAMENTO", the
    // summaries' "RESUMO ...".
    const QRegularExpression listing = Pattern("^FOLHA DE PAGAMENTO");
    const QRegularExpression summary = Pattern("^RESUMO");
    auto events = [](const BookEventColumn& c) {
        QList<LayoutField> f{c.code, c.name};
        if (c.reference.width > 0) f << c.reference;
        f << c.value;
        return f;
    };
    ReportLayout r;
    auto add = [&](const char* name, const QRegularExpression& page, const char* line, QList<LayoutField> fields,
                   bool skip = false, bool titled = false) {
        LineLayout l;
        l.name = QString::fromUtf8(name);
        l.page = page;
        l.line = Pattern(line);
        l.fields = std::move(fields);
        l.skip = skip;
        l.titled = titled;
        r.lines << l;
    };
    // The column titles under each page header and the dashes under them.
    add("titulos", listing, "^(CODIGO NOME|OCO DESCR\\. PROVENTOS)", {}, true);
    add("tracos", {}, "^-{10,}\\s*$", {}, true);
    add("funcionario", listing, "^\\d{6} ",
        {b.code, b.name, b.centre, b.centreName, b.salary, b.job, b.retirement}, false, true);
    add("inscricao", listing, "^Nr\\. Inscricao INSS:",
        {b.registrationLabel, b.registration, b.classLabel, b.insuranceClass, b.contributionLabel, b.contribution});
    LayoutField earningsTotal = b.earnings.value, deductionsTotal = b.deductions.value, net = b.bases.value;
    add("totais", listing, "^Total de Proventos\\.",
        {b.earningsTotalLabel, earningsTotal, b.deductionsTotalLabel, deductionsTotal, b.netLabel, net});
    add("eventos", listing, "", events(b.earnings) + events(b.deductions) + events(b.bases), false, true);
    add("observacao", summary, "^Obs\\. \\d+: ", {LayoutField{QStringLiteral("Observacao"), 1, 132}});
    add("resumo-titulos", summary, "^OCO ", {b.summaryCode, b.summaryName, b.summaryReference, b.summaryValue});
    add("resumo-evento", summary, "^\\d{3} ", {b.summaryCode, b.summaryName, b.summaryReference, b.summaryValue});
    add("resumo-valor", summary, "", {b.summaryLabel, b.summaryAmount});
    return r;
}

} // namespace

const ReportLayout& PayrollBookReportLayout() {
    static const ReportLayout layout = BuildReportLayout();
    return layout;
}

} // namespace folha
