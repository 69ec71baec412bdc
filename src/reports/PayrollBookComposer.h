#pragma once
// The composer of the payroll book, shared by the files that make it up:
// reading the branch, roles and registers (PayrollBookInputs.cpp), an
// employee's block (PayrollBookEmployee.cpp), the summaries
// (PayrollBookSummary.cpp) and the pages and listings (PayrollBook.cpp).

#include "PayrollBook.h"
#include "PayrollBookLayout.h"

#include "DbError.h"
#include "Listings.h"
#include "Table.h"

#include <map>
#include <optional>
#include <QHash>
#include <QSet>
#include <vector>

namespace folha::bookdetail {


// The summary keeps this many distinct events per column; later ones are
// left out of it (their rows are still printed and still counted in the
// totals).
inline constexpr int SummaryCapacity = 500;
// The last line of a page: the next line starts a new page.
inline constexpr int LastLineOfPage = 59;

// An amount as printed in a field: thousands and two decimals, right-aligned
// in the field's room.
inline QString Money(Fixed value, const LayoutField& field) {
    return FormatListValue(QVariant::fromValue(value), QStringLiteral("%%1.2n").arg(field.width));
}

struct SummaryEntry {
    QString name; // first 20 characters of the event's name
    Fixed reference;
    Fixed value;
};

// One column of the event summary, in event-code order.
class SummaryColumn {
public:
    void add(const QString& code, const QString& name, Fixed reference, Fixed value) {
        auto it = entries_.find(code);
        if (it == entries_.end()) {
            if (int(entries_.size()) >= SummaryCapacity) return;
            it = entries_.emplace(code, SummaryEntry{name.left(20), Fixed(), Fixed()}).first;
        }
        it->second.reference += reference;
        it->second.value += value;
    }
    const std::map<QString, SummaryEntry>& entries() const { return entries_; }

private:
    std::map<QString, SummaryEntry> entries_;
};

// What a group (or the whole book) gathers while its employees are listed.
struct Gathered {
    SummaryColumn earningsSummary, deductionsSummary, basesSummary;
    Fixed earnings, deductions;
    int printed = 0;
    int insuredCount = 0; // employees of categories 1, 3 and 4
    Fixed insured;        // INSS withheld
    Fixed contribution;   // employer contribution, row by row
    Fixed inssBase;       // INSS bases of the rows that took the contribution
    Fixed inssDeductions; // family allowance, maternity pay, birth aid
    Fixed fgtsAmount;     // FGTS amount rows
    Fixed fgtsBase;       // FGTS base rows
    Fixed partnersBase;   // contribution-individual events of partners
};

struct EventInfo {
    QString name;
    int kind = -1; // HPRODESC: 1 earning, 0 deduction, 2 base
};

struct JobInfo {
    QString name;
    int retirement = 0; // PERC_APOSE
};

class BookComposer {
public:
    BookComposer(Database& db, UserInterface& ui, const PayrollBookOptions& o, TextReport& report)
        : db_(db), ui_(ui), o_(o), report_(report) {}

    PayrollBookResult run();

private:
    void readBranch();
    void readRoles();
    void readRegisters();
    // The employees of one listing (a category when split, else all).
    bool listGroup(std::optional<int> category);
    bool passes(const Record& e, std::optional<int> category) const;
    // The range ends at the first key above "Final" (for names, at the
    // first name whose beginning is above it); an empty "Final" sets no end.
    bool pastFinal(const Record& e) const;
    void printEmployee(const Record& e, const std::vector<Record>& rows);
    void gather(const Record& e, const QString& code, Fixed value);
    BookInssFigures figures(const Gathered& g, bool typedItems, bool interest) const;
    void printGroupSummary();
    void printGeneralSummary();
    void printSummaryTables(const Gathered& g);
    void printAmountLine(const QString& label, const QString& value);
    void printAmountLine(const QString& label, Fixed value);
    // A text cut to a field's room, at the field's column.
    void put(int line, const LayoutField& field, const QString& text);

    // Pages: the listing's pages have the column titles under the header,
    // the summaries' pages only the header.
    void newPage();
    int nextLine();

    Database& db_;
    UserInterface& ui_;
    const PayrollBookOptions& o_;
    TextReport& report_;
    PayrollBookResult result_;

    QString year_, month_, sheet_, subtitle_;
    Fixed employerRate_, entitiesRate_;
    QString simples_, maternityEvent_, birthAidEvent_;
    QHash<QString, QString> roleEvent_; // role -> event code
    QSet<QString> totalEvents_;         // events printed as the totals line
    QHash<QString, EventInfo> events_;
    QHash<int, JobInfo> jobs_;
    QHash<QString, QString> costCentres_;
    QSet<QString> unknownEvents_;

    Gathered group_, general_;
    std::optional<int> category_; // of the group being listed
    QString pageTitle_;
    bool columnTitles_ = false;
    bool pageOpen_ = false;
    int line_ = 0;
    int lastLine_ = LastLineOfPage;
    int progress_ = 0;
};

} // namespace folha::bookdetail
