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
    // The titles over their fields: an amount's title right-aligned.
    const PayrollBookLayout& lay = BookLayout();
    const int t1 = line_ + 1, t2 = line_ + 2;
    auto title = [&](int line, const LayoutField& f) {
        if (f.title.isEmpty() || f.width == 0) return;
        const int at = f.amount ? f.end() - int(f.title.size()) + 1 : f.column;
        report_.putText(line, at, f.title);
    };
    for (const LayoutField* f : {&lay.code, &lay.name, &lay.centre, &lay.centreName, &lay.salary, &lay.job,
                                 &lay.retirement})
        title(t1, *f);
    for (const BookEventColumn* c : {&lay.earnings, &lay.deductions, &lay.bases})
        for (const LayoutField* f : {&c->code, &c->name, &c->reference, &c->value})
            title(t2, *f);
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
    const PayrollBookLayout& lay = BookLayout();
    QList<ListColumn> columns;
    for (const LayoutField* f : {&lay.code, &lay.name, &lay.centre, &lay.centreName, &lay.salary, &lay.job,
                                 &lay.retirement}) {
        ListColumn c;
        c.title = f->title;
        c.column = f->column;
        columns << c;
    }
    return ColumnTitlesLine(columns, lay.retirement.width);
}

} // namespace folha
