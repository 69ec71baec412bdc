#include "Listings.h"

#include "DbError.h"
#include "Fixed.h"
#include "Session.h"
#include "Table.h"
#include "TextRoutines.h"
#include "UserInterface.h"

#include <QLocale>
#include <algorithm>

namespace folha {

QString BrazilianNumber(Fixed value, int places) {
    const bool negative = value.isNegative();
    const quint64 raw = negative ? 0 - quint64(value.raw()) : quint64(value.raw());
    quint64 units = 0;
    quint64 fraction = 0;  // the decimals as a number
    int fractionDigits = 0; // of them, the digits that come from the value
    if (places <= 4) {
        quint64 step = 1;
        for (int i = places; i < 4; ++i) step *= 10;
        const quint64 rounded = (raw + step / 2) / step; // in 10^-places
        quint64 scale = 1;
        for (int i = 0; i < places; ++i) scale *= 10;
        units = rounded / scale;
        fraction = rounded % scale;
        fractionDigits = std::max(places, 0);
    } else {
        units = raw / Fixed::Scale;
        fraction = raw % Fixed::Scale;
        fractionDigits = 4;
    }
    QString text;
    if (negative && (units != 0 || fraction != 0)) text += QLatin1Char('-');
    AppendAmount(text, units, fraction, fractionDigits);
    for (int i = fractionDigits; i < places; ++i) text += QLatin1Char('0');
    return text;
}

namespace {

std::optional<Fixed> NumberOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<Fixed>()) return value.value<Fixed>();
    if (value.metaType().id() == QMetaType::QString) {
        QString t = value.toString().trimmed();
        if (t.isEmpty()) return Fixed();
        return Fixed::parse(t);
    }
    return Fixed::fromVariant(value);
}

QString PlainText(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDate) return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    if (value.metaType().id() == QMetaType::QTime) return value.toTime().toString(QStringLiteral("hh:mm"));
    if (value.metaType().id() == QMetaType::Bool) return value.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    if (value.metaType() == QMetaType::fromType<Fixed>()) {
        QString t = value.value<Fixed>().toString();
        return t.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    QString t = value.toString();
    while (t.endsWith(QLatin1Char(' '))) t.chop(1);
    return t;
}

ListColumn Col(const QString& title, const QString& field, int column, const QString& format = {}, int line = 1,
               const QString& whenEmpty = {}) {
    ListColumn c;
    c.title = title;
    c.field = field;
    c.column = column;
    c.format = format;
    c.line = line;
    c.whenEmpty = whenEmpty;
    return c;
}

ListingDef Def(const QString& screen, const QString& alias, const QString& caption, const QString& table,
               const QString& nameIndex, int width, QList<ListColumn> columns) {
    ListingDef d;
    d.screen = screen;
    d.alias = alias;
    d.caption = caption;
    d.table = table;
    d.nameIndex = nameIndex;
    d.width = width;
    d.columns = std::move(columns);
    return d;
}

// An employee's cargo name, from the cargo register by the employee's
// cargo code.
void AddCargoName(Database& db, QVariantMap& row) {
    const int code = row.value(QStringLiteral("CARGO")).toInt();
    QString name;
    if (code > 0) {
        Table cargos(db, QStringLiteral("Cargos"));
        auto found = cargos.find({QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'))});
        if (!found) found = cargos.find({QString::number(code)});
        if (found) name = found->text(QStringLiteral("NOME_CARGO")).trimmed();
    }
    row.insert(QStringLiteral("NOME_CARGOS"), name);
}

QList<ListingDef> BuildListings() {
    QList<ListingDef> l;
    const QString n62 = QStringLiteral("%6.2n");
    const QString d3 = QStringLiteral("%3.3d");
    const QString d6 = QStringLiteral("%6.6d");
    const QString d1 = QStringLiteral("%1.1d");

    l << Def("TfoCadRelAfastFun", "afastfun", "Relatório De Afastamento De Funcionário", "AFASTFUN", {}, 80,
             {Col("Funcion.", "CODFUN", 6, d6), Col("Hist.", "HCODIGO", 20), Col("Data", "DATA", 29),
              Col("Causa", "CAUS_RESC", 41)});
    l << Def("TfoCadRelCargos", "cargos", "Relatório de Cargos", "Cargos", "NOMECARGOS", 80,
             {Col("Cód.", "COD_CARGOS", 6, d3), Col("Nome do Cargo", "NOME_CARGO", 15),
              Col("% Apos.", "PERC_APOSE", 57, n62), Col("Ocor.", "COD_OCORRE", 65, {}, 1, "-")});
    l << Def("TfoCadRelCentCust", "centcust", "Relatório De Centro De Custo", "centcust", "DESCRICAODOCENTRODECUSTO", 80,
             {Col("Código", "COD_CCUSTO", 6), Col("Descrição", "DESC_CUSTO", 22)});
    l << Def("TfoCadRelCustofp", "custofp", "Relatório de Custo Da Folha de Pagamentos", "CUSTOFP", {}, 80,
             {Col("Ano/Mês", "ANOMES", 6), Col("C. Custo", "CENTCUSTO", 15), Col("Hist.", "HCODIGO", 28, d3),
              Col("Valor", "VALOR", 35, "%12.2n")});
    l << Def("TfoCadRelDepende", "depende", "Relatório de Dependente", "DEPENDE", {}, 132,
             {Col("Funcion.", "CODFUN", 6, d6), Col("Núm.", "NUMERO", 20), Col("Nome do Dependente", "NOME_DEPEN", 29),
              Col("Nascimento", "DT_NASC", 71), Col("Anos IRPF", "ANOS_IRPF", 83)});
    l << Def("TfoCadRelFixaocor", "fixaocor", "Ocorrência Fixa", "FIXAOCOR", {}, 80,
             {Col("Cód.", "FCODIGO", 4, d3), Col("Descrição", "FDESCRICAO", 12), Col("Hist.", "FHISTORICO", 55),
              Col("Valor", "FVALOR", 68, "%12.2n")});
    l << Def("TfoCadRelFuntomad", "funtomad", "Funcionário Tomador", "FUNTOMAD", {}, 132,
             {Col("Ano/Mês", "ANOMES", 4), Col("Funcion.", "CODFUN", 14), Col("Tomador", "TOMADOR", 29),
              Col("Valor", "VALOR", 39, "%9.2n"), Col("Valor 13º", "VALOR13", 49, "%9.2n"), Col("PIS", "PIS", 60),
              Col("Valor Afast.", "VALORAFAST", 74, "%12.2n")});
    l << Def("TfoCadRelLinha", "linha", "Relatório De Linhas", "Linha", "NOMEDELINHA", 80,
             {Col("Cód.", "CODIGO", 6, d3), Col("Nome da Linha", "NOME", 16), Col("Valor", "VALOR", 48, n62)});
    l << Def("TfoCadRelSindicatos", "sindicatos", "Relatório De Sindicatos", "SINDICAT", "NOMEDOSINDICATO", 80,
             {Col("Cód.", "COD_SIND", 6, d3), Col("Nome do Sindicato", "NOME_SIND", 15)});
    l << Def("TfoCadRelTabelas", "tabelas", "Relatórios de Tabelas", "Tabelas", {}, 80,
             {Col("Cód.", "COD_TABELA", 6, d3), Col("Coluna 1", "COL1_TAB", 10, "%14.2n"),
              Col("Coluna 2", "COL2_TAB", 26, "%14.2n"), Col("Coluna 3", "COL3_TAB", 42, "%9.4n"),
              Col("Coluna 4", "COL4_TAB", 53, "%14.2n")});
    l << Def("TfoCadRelTomador", "tomador", "Relatório De Tomador", "Tomador", "NOMETOMADOR", 132,
             {Col("Cód.", "COD_TOMAD", 4, d3), Col("Nome", "NOME", 10), Col("Endereço", "ENDERECO", 52),
              Col("Cidade", "CIDADE", 104), Col("Bairro", "BAIRRO", 10, {}, 2), Col("UF", "UF", 32, {}, 2),
              Col("CEP", "CEP", 37, {}, 2), Col("Tipo", "TIPO", 47, {}, 2), Col("CNPJ/CPF", "CGC", 53, {}, 2)});
    l << Def("TfoRelBancos", "bancos", "Relatório de bancos", "BANCO", "Nome do Banco", 132,
             {Col("Código", "COD_BANCO", 6, "%8.8d"), Col("Nome do Banco", "NOME", 16), Col("Ag.", "AGENCIA", 53),
              Col("Nome da Agência", "NOMEAGENCI", 60), Col("Cidade", "CIDADE", 97), Col("Conta", "BCO_CONTA", 119)});
    l << Def("TfoRelCadHistfp", "histfp", "Relatório de Históricoda Folha de Pagamentos", "HISTFP", "NomeHistorico", 132,
             {Col("Cód.", "HCODIGO", 2, d3), Col("Descrição", "HNOME", 10), Col("Ins.13", "HFLAGINS13", 43, d1),
              Col("Ins.Fér.", "HFLAGINSF", 56, d1), Col("Ins.Nor.", "HFLAGINSN", 68, d1),
              Col("Ref.Ad", "HFLAGREAD", 80, d1), Col("Ref.100", "HFLAGRE100", 91, d1),
              Col("Ref.70", "HFLAGRE70", 105, d1), Col("Ref.60", "HFLAGRE60", 118, d1),
              Col("Ref.50", "HFLAGRE50", 2, d1, 2), Col("Fér.N", "HFLAGFEN", 14, d1, 2),
              Col("Fér.V", "HFLAGFEV", 25, d1, 2), Col("Fér.P", "HFLAGFEP", 35, d1, 2),
              Col("13 N", "HFLAG13N", 45, d1, 2), Col("13 AP", "HFLAG13I", 55, d1, 2),
              Col("INSS", "HFLAGINPS", 65, d1, 2), Col("IRRF", "HFLAGIRRF", 76, d1, 2),
              Col("FGTS", "HFLAGFGTS", 87, d1, 2), Col("Ins.", "HFLAGINS", 98, d1, 2),
              Col("Quinq.", "HFLAGMED", 108, d1, 2), Col("Perc.", "HPERC", 118, n62, 2),
              Col("P/D", "HPRODESC", 2, d1, 3), Col("Parâm.", "HPARAMETRO", 12, "%2.2d", 3),
              Col("Ac.Nor.", "HACUMNOR", 24, d3, 3), Col("Ac.13", "HACUM13", 34, d3, 3),
              Col("Ac.Fér.", "HACUMFEV", 43, d3, 3), Col("Ac.BsIR", "HACUMBSIR", 53, d3, 3),
              Col("Ac.IRRF", "HACUMIRRF", 64, d3, 3), Col("Periculos.", "HFLAGPER", 75, "%5.5n", 3)});
    l << Def("TfoRelCadPlantoes", "plantoes", "Relatório de Plantões", "PLANTOES", "NomePlantao", 132,
             {Col("Cód.", "COD_PLANTA", 3, d3), Col("Nome do Plantão", "NOME", 12), Col("Hrs Norm.", "HRS_NORMA", 49, n62),
              Col("Ad.Not.", "ADIC_NOT", 61, n62), Col("Ext.50%", "EXTRA_50", 71, n62),
              Col("Ext.100%", "EXTRA_100", 83, n62), Col("N40 E50%", "N40_EXT50", 97, n62),
              Col("N40 E100%", "N40_EXT100", 113, n62), Col("Red.", "HRS_REDUC", 126, n62),
              Col("Total Hrs", "HRS_PLANTA", 3, n62, 2), Col("Lei 3999", "CALC_LEI", 17, n62, 2)});
    l << Def("TfoRelCadMovplant", "movplant", "Relatório De Movimento De Plantões", "MovPlant", {}, 80,
             {Col("Ano", "PLANT_ANO", 6), Col("Mês", "PLANT_MES", 21), Col("Folha", "TIPOFOLHA", 33),
              Col("Funcion.", "CODFUN", 44), Col("Plant.", "COD_PLANTA", 53), Col("Quantidade", "QUANTIDADE", 60, "%10.2n"),
              Col("Flag", "FLAG", 72)});
    {
        ListingDef d = Def("TfoRelFuncDataNasci", "nascimento", "Relatório de Funcionários Data de Nascimento", "CADFUN",
                           "NOMEFUNCIONARIO", 132,
                           {Col("Código", "CODFUN", 2), Col("Nome", "NOME", 10), Col("Cargo", "NOME_CARGOS", 52),
                            Col("Admissão", "DT_ADMIS", 104), Col("Nascimento", "DT_NASC", 116)});
        d.enrich = AddCargoName;
        d.detail = [](Database& db, const QVariantMap& row) {
            QList<QPair<int, QString>> lines;
            Table depende(db, QStringLiteral("DEPENDE"));
            depende.forEach(
                QStringLiteral("CODFUN = ?"), {row.value(QStringLiteral("CODFUN"))},
                [&](const Record& r) {
                    lines << qMakePair(10, r.text(QStringLiteral("NOME_DEPEN")).trimmed());
                    return true;
                },
                QStringLiteral("NUMERO"));
            return lines;
        };
        l << d;
    }
    {
        ListingDef d = Def("TfoRelCadFunc", "funcionarios", "Relatório de Funcionários", "CADFUN", "NOMEFUNCIONARIO", 132,
                           {Col("Código", "CODFUN", 2), Col("Nome", "NOME", 10), Col("Cargo", "NOME_CARGOS", 52),
                            Col("Admissão", "DT_ADMIS", 94), Col("Salário", "VLR_SALAR", 106, "%14.2n")});
        d.enrich = AddCargoName;
        l << d;
    }
    {
        // The vacation listing: the acquisition, enjoyment and cash-allowance
        // periods of each employee, each as "início a fim" (a period only
        // when both its dates are filled).
        ListingDef d = Def("TfoRelFerias", "ferias", "Relatório de Férias", "CADFUN", "NOMEFUNCIONARIO", 132,
                           {Col("Código", "CODFUN", 2), Col("Nome", "NOME", 10), Col("Período Aquisitivo", "PER_AQUISITIVO", 52),
                            Col("Período de Gozo", "PER_GOZO", 78), Col("Abono Pecuniário", "PER_ABONO", 104)});
        d.enrich = [](Database&, QVariantMap& row) {
            const auto period = [&row](const char* first, const char* last) {
                const QString from = PlainText(row.value(QLatin1String(first)));
                const QString to = PlainText(row.value(QLatin1String(last)));
                // A period missing either end prints nothing rather than a
                // dangling "a".
                if (from.isEmpty() || to.isEmpty()) return QString();
                return from + QStringLiteral(" a ") + to;
            };
            row.insert(QStringLiteral("PER_AQUISITIVO"), period("DT_INIFERI", "DT_FINFERI"));
            row.insert(QStringLiteral("PER_GOZO"), period("DT_IGOZFER", "DT_FGOZFER"));
            row.insert(QStringLiteral("PER_ABONO"), period("DT_IABOFER", "DT_FABOFER"));
        };
        d.rangeField = QStringLiteral("CODFUN");
        l << d;
    }
    l << Def("TfoCadRelHistAfas", "histafas", "Relatório de Históricos de Afastamento", "HISTAFAS", {}, 80,
             {Col("Cód.", "HCODIGO", 4, d3), Col("Nome", "HNOME", 10), Col("13º", "CALC13", 42),
              Col("Férias", "CALCFERIAS", 48), Col("Normal", "CALCNORMAL", 56), Col("RAIS", "CODIGORAIS", 64),
              Col("Tipo", "TIPO", 70)});
    return l;
}

struct FormatSpec {
    int width = 0;
    int places = 0;
    QChar kind;
};

// "%<width>.<places>d" or "%<width>.<places>n"; anything else is no format.
// Read by hand: the payroll book formats every amount through here.
std::optional<FormatSpec> ParseFormat(QStringView format) {
    if (format.size() < 5 || format.front() != u'%') return std::nullopt;
    const QChar kind = format.back();
    if (kind != u'd' && kind != u'n') return std::nullopt;
    const qsizetype dot = format.indexOf(u'.');
    if (dot < 2) return std::nullopt;
    auto number = [](QStringView digits) -> std::optional<int> {
        if (digits.isEmpty() || digits.size() > 9) return std::nullopt;
        int n = 0;
        for (QChar c : digits) {
            if (c < u'0' || c > u'9') return std::nullopt;
            n = n * 10 + (c.unicode() - u'0');
        }
        return n;
    };
    const auto width = number(format.sliced(1, dot - 1));
    const auto places = number(format.sliced(dot + 1, format.size() - dot - 2));
    if (!width || !places) return std::nullopt;
    return FormatSpec{*width, *places, kind};
}

} // namespace

QString FormatListValue(const QVariant& value, const QString& format) {
    const auto spec = ParseFormat(format);
    if (!spec) return PlainText(value);
    if (value.isNull() && value.metaType().id() != QMetaType::QString) {
        if (spec->kind == QLatin1Char('n')) return BrazilianNumber(Fixed(), spec->places).rightJustified(spec->width);
        return QString(spec->places, QLatin1Char('0')).rightJustified(spec->width);
    }
    if (spec->kind == QLatin1Char('d')) {
        bool ok = false;
        const QString text = PlainText(value).trimmed();
        qint64 number = text.isEmpty() ? 0 : text.toLongLong(&ok);
        if (!ok && !text.isEmpty()) {
            const auto fixed = NumberOf(value);
            if (!fixed) return text.rightJustified(spec->width);
            number = fixed->truncated();
        }
        const QString digits = QString::number(number < 0 ? -number : number).rightJustified(spec->places, QLatin1Char('0'));
        return ((number < 0 ? QStringLiteral("-") : QString()) + digits).rightJustified(spec->width);
    }
    const auto fixed = NumberOf(value);
    if (!fixed) return PlainText(value).rightJustified(spec->width);
    return BrazilianNumber(*fixed, spec->places).rightJustified(spec->width);
}

const QList<ListingDef>& Listings() {
    static const QList<ListingDef> listings = BuildListings();
    return listings;
}

const ListingDef* FindListing(const QString& nameOrAlias) {
    for (const ListingDef& d : Listings())
        if (d.screen.compare(nameOrAlias, Qt::CaseInsensitive) == 0 || d.alias.compare(nameOrAlias, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

int ListColumnWidth(const ListingDef& def, const ListColumn& column) {
    if (const auto spec = ParseFormat(column.format)) return spec->width;
    const TableDef* table = Registry::instance().table(def.table);
    const FieldDef* field = table ? table->field(column.field) : nullptr;
    if (!field) {
        if (column.field == QLatin1String("NOME_CARGOS")) return 40;
        if (column.field.startsWith(QLatin1String("PER_"))) return 23; // "dd/mm/aaaa a dd/mm/aaaa"
        return int(column.title.size());
    }
    switch (field->type) {
    case FieldType::Text: return field->size;
    case FieldType::Date: return 10;
    case FieldType::Time: return 5;
    case FieldType::Logical: return 1;
    case FieldType::Number: return 14;
    default: return 6;
    }
}

QString ColumnTitlesLine(QList<ListColumn> columns, int lastWidth) {
    QList<ListColumn> first;
    for (const ListColumn& c : columns)
        if (c.line == 1) first << c;
    std::sort(first.begin(), first.end(), [](const ListColumn& a, const ListColumn& b) { return a.column < b.column; });
    if (first.isEmpty()) return {};
    // Each title sits where its column's values start (0-based column - 1),
    // right after the "@" that closes the previous column.
    QString line;
    for (int i = 0; i < first.size(); ++i) {
        const int start = first[i].column - 1;
        const int end = i + 1 < first.size() ? first[i + 1].column - 2 : start + std::max(lastWidth, int(first[i].title.size()));
        const int at = std::max(0, start - 1);
        line = line.leftJustified(at, QLatin1Char(' '));
        line += QLatin1Char('@');
        const int room = std::max(1, end - int(line.size()));
        line += first[i].title.left(room).leftJustified(room, QLatin1Char(' '));
    }
    line += QLatin1Char('@');
    return line;
}

ReportLayout ListingReportLayout(const ListingDef& def) {
    ReportLayout layout;
    if (def.detail) return layout;
    int lines = 1;
    for (const ListColumn& c : def.columns)
        lines = std::max(lines, c.line);
    for (int line = 1; line <= lines; ++line) {
        QList<ListColumn> columns;
        for (const ListColumn& c : def.columns)
            if (c.line == line) columns << c;
        std::sort(columns.begin(), columns.end(),
                  [](const ListColumn& a, const ListColumn& b) { return a.column < b.column; });
        LineLayout l;
        l.name = QStringLiteral("linha %1").arg(line);
        l.titled = true;
        for (const ListColumn& c : columns)
            l.fields << LayoutField{c.title, c.column, ListColumnWidth(def, c), c.format.endsWith(QLatin1String(".2n"))};
        layout.lines << l;
    }
    layout.blockLines = lines;
    layout.titleLines = lines; // one line of column titles per line of a row
    return layout;
}

QString ListingTitlesLine(const ListingDef& def) {
    QList<ListColumn> first;
    for (const ListColumn& c : def.columns)
        if (c.line == 1) first << c;
    if (first.isEmpty()) return {};
    const auto last = std::max_element(first.begin(), first.end(),
                                       [](const ListColumn& a, const ListColumn& b) { return a.column < b.column; });
    return ColumnTitlesLine(first, ListColumnWidth(def, *last));
}

ListComposer::ListComposer(TextReport& report, QString title, QList<ListColumn> columns,
                           std::function<int(const ListColumn&)> columnWidth, Options options)
    : report_(report), title_(std::move(title)), columns_(std::move(columns)), columnWidth_(std::move(columnWidth)),
      options_(options) {
    for (const ListColumn& c : columns_) blockLines_ = std::max(blockLines_, c.line);
    if (!columnWidth_)
        columnWidth_ = [](const ListColumn& c) { return FormatListValue(QVariant(0), c.format).size(); };
}

void ListComposer::startPage() {
    line_ = report_.pageHeader(title_);
    // The column titles, one line per line of a row's block.
    for (int b = 1; b <= blockLines_; ++b) {
        QList<ListColumn> cols;
        for (const ListColumn& c : columns_)
            if (c.line == b) cols << c;
        std::sort(cols.begin(), cols.end(), [](const ListColumn& a, const ListColumn& z) { return a.column < z.column; });
        for (int i = 0; i < cols.size(); ++i) {
            const int room = i + 1 < cols.size() ? cols[i + 1].column - cols[i].column - 1 : report_.width() - cols[i].column + 1;
            QString title = cols[i].title.left(std::max(1, room));
            if (options_.capitalTitles) title = title.toUpper();
            // Amounts are right-aligned: so is their title.
            if (cols[i].format.endsWith(QLatin1Char('n')))
                title = title.rightJustified(std::min(room, columnWidth_(cols[i])));
            report_.putText(line_ + b, cols[i].column, title);
        }
    }
    line_ += blockLines_ + options_.blankLinesAfterTitles;
    report_.requireLines(line_ + blockLines_ + options_.bottomMargin);
    rowsOnPage_ = false;
    started_ = true;
}

void ListComposer::addRow(const QVariantMap& row, const QList<QPair<int, QString>>& details) {
    if (!started_) startPage();
    const int needed = blockLines_ + int(details.size());
    if (rowsOnPage_ && line_ + needed > report_.linesPerPage() - options_.bottomMargin) {
        report_.flushPage(line_);
        startPage();
    }
    for (const ListColumn& c : columns_) {
        QString key = c.field;
        if (!row.contains(key)) {
            for (auto it = row.constBegin(); it != row.constEnd(); ++it)
                if (it.key().compare(c.field, Qt::CaseInsensitive) == 0) key = it.key();
        }
        QString text = FormatListValue(row.value(key), c.format);
        if (text.trimmed().isEmpty() && !c.whenEmpty.isEmpty()) text = c.whenEmpty;
        report_.putText(line_ + c.line, c.column, text);
    }
    line_ += blockLines_;
    for (const auto& d : details) report_.putText(++line_, d.first, d.second);
    rowsOnPage_ = true;
    ++rows_;
}

void ListComposer::finish() {
    if (!started_) startPage();
    report_.flushPage(line_);
}

ListingResult ComposeListing(Session& session, UserInterface& ui, const ListingDef& def, ListingOrder order,
                             TextReport& report, const ListingRange& range) {
    ListingResult result;
    Database& db = session.folha();
    Table table(db, def.table);
    if (order == ListingOrder::Name && !def.nameIndex.isEmpty()) table.setIndex(def.nameIndex);
    ListComposer list(report, def.caption, def.columns, [&def](const ListColumn& c) { return ListColumnWidth(def, c); });

    QStringList where;
    QVariantList params;
    if (!def.rangeField.isEmpty()) {
        const TableDef* tableDef = Registry::instance().table(def.table);
        const FieldDef* field = tableDef ? tableDef->field(def.rangeField) : nullptr;
        const int size = field && field->type == FieldType::Text ? field->size : 0;
        const auto code = [size](const QString& typed) {
            const QString t = typed.trimmed();
            bool digits = !t.isEmpty();
            for (QChar ch : t) digits = digits && ch.isDigit();
            return digits && size > 0 ? t.rightJustified(size, QLatin1Char('0')) : t;
        };
        if (!range.first.trimmed().isEmpty()) {
            where << def.rangeField + QStringLiteral(" >= ?");
            params << code(range.first);
        }
        if (!range.last.trimmed().isEmpty()) {
            where << def.rangeField + QStringLiteral(" <= ?");
            params << code(range.last);
        }
    }
    const QString condition = where.join(QStringLiteral(" AND "));
    const qint64 total = table.count(condition, params);
    ui.progressStart(def.caption, int(std::min<qint64>(total, INT_MAX)));
    table.forEach(condition, params, [&](const Record& record) {
        if (ui.cancelRequested()) {
            result.cancelled = true;
            return false;
        }
        QVariantMap row;
        for (const FieldDef& f : record.def().fields) {
            try {
                row.insert(f.name, record.value(f.name));
            } catch (const DbError&) {
                row.insert(f.name, QStringLiteral("?"));
            }
        }
        if (def.enrich) def.enrich(db, row);
        list.addRow(row, def.detail ? def.detail(db, row) : QList<QPair<int, QString>>());
        ++result.rows;
        ui.progressStep(result.rows);
        return true;
    });
    list.finish();
    ui.progressEnd();
    return result;
}

} // namespace folha
