#include "PayrollBookComposer.h"

#include "Session.h"
#include "UserInterface.h"

#include <climits>
#include <set>

namespace folha {

namespace bookdetail {

void BookComposer::newPage() {
    if (pageOpen_) report_.flushPage(line_);
    const QString filter = category_ ? QStringLiteral("Vinculo %1").arg(*category_) : QString();
    line_ = report_.pageHeader(pageTitle_, subtitle_, filter);
    pageOpen_ = true;
    if (!columnTitles_) {
        report_.requireLines(line_ + 1);
        return;
    }
    const int t1 = line_ + 1, t2 = line_ + 2;
    report_.putText(t1, 1, QStringLiteral("CODIGO"));
    report_.putText(t1, 8, QStringLiteral("NOME DO FUNCIONARIO"));
    report_.putText(t1, 51, QStringLiteral("CENTRO CUSTO"));
    report_.putText(t1, 66, QStringLiteral("DESCRICAO"));
    report_.putText(t1, 100, QStringLiteral("SALARIO"));
    report_.putText(t1, 109, QStringLiteral("FUNCAO"));
    report_.putText(t1, 127, QStringLiteral("% APOS"));
    report_.putText(t2, 1, QStringLiteral("OCO"));
    report_.putText(t2, 5, QStringLiteral("DESCR. PROVENTOS"));
    report_.putText(t2, 29, QStringLiteral("REFERENC"));
    report_.putText(t2, 42, QStringLiteral("VALOR"));
    report_.putText(t2, 48, QStringLiteral("OCO"));
    report_.putText(t2, 52, QStringLiteral("DESCR. DESCONTOS"));
    report_.putText(t2, 76, QStringLiteral("REFERENC"));
    report_.putText(t2, 89, QStringLiteral("VALOR"));
    report_.putText(t2, 95, QStringLiteral("OCO"));
    report_.putText(t2, 99, QStringLiteral("DESCR. BASES"));
    report_.putText(t2, 128, QStringLiteral("VALOR"));
    report_.putText(line_ + 3, 1, QString(PayrollBookWidth, QLatin1Char('-')));
    report_.requireLines(line_ + 4);
    line_ += 3;
}

int BookComposer::nextLine() {
    if (!pageOpen_ || line_ + 1 > lastLine_) newPage();
    return ++line_;
}

bool BookComposer::listGroup(std::optional<int> category) {
    group_ = Gathered();
    category_ = category;
    pageTitle_ = PayrollBookTitle;
    columnTitles_ = true;

    // From the first key not below "Inicial" (an empty one: from the first).
    QStringList conditions;
    QVariantList params;
    QString orderBy;
    const bool from = !o_.first.isEmpty();
    switch (o_.order) {
    case BookOrder::Code:
        if (from) {
            conditions << QStringLiteral("CODFUN >= ?");
            params << o_.first;
        }
        orderBy = QStringLiteral("CODFUN");
        break;
    case BookOrder::Name:
        if (from) {
            conditions << QStringLiteral("NOME >= ?");
            params << o_.first;
        }
        orderBy = QStringLiteral("NOME, CODFUN");
        break;
    case BookOrder::Cargo:
        if (from) {
            conditions << QStringLiteral("COALESCE(CARGO, 0) >= ?");
            params << o_.first.toInt();
        }
        orderBy = QStringLiteral("COALESCE(CARGO, 0), CODFUN");
        break;
    }
    if (category) {
        conditions << QStringLiteral("VINCULO = ?");
        params << *category;
    }
    const QString where = conditions.join(QStringLiteral(" AND "));

    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    const QString rowsOf = QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?");
    bool cancelled = false;
    Table(db_, QStringLiteral("CADFUN"))
        .forEach(
            where, params,
            [&](const Record& e) {
                if (ui_.cancelRequested()) {
                    cancelled = true;
                    return false;
                }
                ui_.progressStep(++progress_);
                if (pastFinal(e)) return false;
                if (!passes(e, category)) return true;
                const std::vector<Record> rows =
                    ocorrenc.select(rowsOf, {year_, month_, sheet_, e.text(QStringLiteral("CODFUN"))},
                                    QStringLiteral("HCODIGO"));
                if (rows.empty()) return true; // nothing in the month: not printed
                printEmployee(e, rows);
                return true;
            },
            orderBy);
    if (cancelled) return false;
    if (group_.printed > 0) {
        ++result_.groups;
        if (category) result_.groupCategories << *category;
        printGroupSummary();
    }
    return true;
}

PayrollBookResult BookComposer::run() {
    readBranch();
    readRoles();
    readRegisters();
    lastLine_ = std::min(LastLineOfPage, report_.linesPerPage());

    Table cadfun(db_, QStringLiteral("CADFUN"));
    QList<std::optional<int>> groups;
    if (o_.groupByCategory) {
        // The categories present among the employees the boxes let through.
        std::set<int> present;
        cadfun.forEach(
            {}, {},
            [&](const Record& e) {
                if (passes(e, std::nullopt)) present.insert(e.integer(QStringLiteral("VINCULO")));
                return true;
            },
            QStringLiteral("VINCULO"));
        for (int c : present)
            groups << c;
    } else {
        groups << std::nullopt;
    }
    const qint64 employees = cadfun.count();
    // Each employee is read once: by one listing, or by his category's.
    ui_.progressStart(QStringLiteral("Emissao da Folha de Pagamento"),
                      int(std::min<qint64>(employees, INT_MAX)));
    for (const auto& g : groups) {
        if (!listGroup(g)) {
            result_.cancelled = true;
            break;
        }
    }
    if (!result_.cancelled) printGeneralSummary();
    if (pageOpen_) report_.flushPage(line_);
    ui_.progressEnd();
    return result_;
}

} // namespace bookdetail

PayrollBookResult ComposePayrollBook(Database& db, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report) {
    return bookdetail::BookComposer(db, ui, options, report).run();
}

PayrollBookResult ComposePayrollBook(Session& session, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report) {
    return ComposePayrollBook(session.folha(), ui, options, report);
}

QString PayrollBookTitlesLine() {
    QList<ListColumn> columns;
    const QList<QPair<int, QString>> titles = {{1, "CODIGO"},        {8, "NOME DO FUNCIONARIO"},
                                               {51, "CENTRO CUSTO"}, {66, "DESCRICAO"},
                                               {98, "SALARIO"},      {109, "FUNCAO"},
                                               {131, "% APOS"}};
    for (const auto& [column, title] : titles) {
        ListColumn c;
        c.title = title;
        c.column = column;
        columns << c;
    }
    return ColumnTitlesLine(columns, 2);
}

} // namespace folha
