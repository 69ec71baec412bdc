#pragma once
// The eSocial events of a company: what a builder writes, the header the
// event register decides for it, and the XML writer every builder uses.
//
// A builder reads the registers and the calculated rows of one company and
// appends one Draft per event it would send now. The generator then asks the
// event register whether each draft is new or changed, validates it against
// the government's schema, signs it with the office's certificate and keeps
// every version in the register (table ESOCIAL of the company's database).

#include "Database.h"
#include "Fixed.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace folha::esocial {

class EventRegister;

// Layout of the events and of the batch envelope.
inline constexpr const char* kLayout = "v_S_01_03_00";
inline constexpr const char* kBatchNamespace = "http://www.esocial.gov.br/schema/lote/eventos/envio/v1_1_1";
// The placeholder of the Id attribute in a draft; the register writes the
// real identifier when it stores a version.
inline constexpr const char* kIdPlaceholder = "ID0000000000000000000000000000000000";

// One kind of event: its code, the root element, the schema that validates
// it and the batch group it travels in (1 tables, 2 non-periodic, 3 periodic).
struct EventKind {
    const char* type;   // "S-1200"
    const char* root;   // "evtRemun"
    const char* schema; // "evtRemun.xsd"
    int group;
};
const std::vector<EventKind>& EventKinds();
const EventKind* KindOf(const QString& type); // nullptr when unknown
// The namespace of an event's document: http://www.esocial.gov.br/schema/evt/<root>/v_S_01_03_00
QString NamespaceOf(const EventKind& kind);

// The employer as the events identify it: a company with a CNPJ reports
// type 1 and the 8-digit root of the CNPJ; a person (CPF) type 2 and the 11 digits.
struct Employer {
    int companyCode = 0;
    QString name;
    QString tpInsc;   // "1" CNPJ, "2" CPF
    QString nrInsc;   // 8 digits (CNPJ root) or 11 (CPF)
    QString fullInsc; // the 14-digit CNPJ of the head office, or the CPF
};

// How a draft's ideEvento is written, decided by the event register from the
// versions already kept for the same subject.
struct Header {
    int indRetif = 1;      // 2: rectifies the accepted version whose receipt follows
    QString nrRecibo;      // the receipt of the version being rectified
    bool alteration = false; // table events: <alteracao> instead of <inclusao>
    int tpAmb = 2;         // 1 production, 2 restricted production
    QString verProc;       // "FolhaZorvan 0.1"
};

// One event a builder would send now.
struct Draft {
    QString type;       // "S-1200"
    QString subject;    // what it is about, stable between runs: "S-1200|000012|2026-01"
    QString worker;     // CODFUN; empty for the employer's events
    QString competence; // "AAAA-MM": the month it belongs to
    QByteArray xml;     // unsigned; Id="ID000…" (kIdPlaceholder)
};

// What every builder is given: the company's database, the employer, the
// competence asked for, an optional branch, and the register to decide headers.
class Context {
public:
    Context(Database& db, Employer employer, int year, int month, QString branch, EventRegister& reg, int tpAmb);

    Database& db() { return db_; }
    const Employer& employer() const { return employer_; }
    int year() const { return year_; }
    int month() const { return month_; }
    QString competence() const; // "AAAA-MM"
    QDate firstDay() const { return QDate(year_, month_, 1); }
    QDate lastDay() const { return firstDay().addMonths(1).addDays(-1); }
    const QString& branch() const { return branch_; } // "" for all branches
    EventRegister& eventRegister() { return reg_; }

    // The header of the next version of an event about this subject.
    Header headerFor(const QString& subject) const;
    // The header of a subject the register has no version of: an original.
    Header originalHeader() const;
    // True when a version of this subject was sent or accepted (a table
    // event is then written as an alteration).
    bool wasSent(const QString& subject) const;

    // A builder of many events hands over what it has built so far (between
    // workers): the generation signs and stores whole slices of it and takes
    // them out of `drafts`, so a company of 100 000 workers does not hold
    // 100 000 unsigned events at once. Without a generation behind the
    // context it does nothing.
    void flush(std::vector<Draft>& drafts) {
        if (drain_) drain_(drafts);
    }
    void setDrain(std::function<void(std::vector<Draft>&)> drain) { drain_ = std::move(drain); }
    const std::function<void(std::vector<Draft>&)>& drain() const { return drain_; }

private:
    Database& db_;
    Employer employer_;
    int year_;
    int month_;
    QString branch_;
    EventRegister& reg_;
    int tpAmb_;
    std::function<void(std::vector<Draft>&)> drain_;
};

// A builder appends the drafts of its events. Data a builder cannot do
// without (an event code without its eSocial mapping, a branch without
// CNPJ) throws UserError naming it: the generation stops and keeps nothing.
using Builder = std::function<void(Context&, std::vector<Draft>&)>;

// Writes one event: <eSocial xmlns="…/evt/<root>/v_S_01_03_00"><root Id="…"> … </root></eSocial>.
class EventWriter {
public:
    explicit EventWriter(const QString& type); // throws on an unknown type
    // <name>value</name>, always written (an empty value writes an empty element)
    void text(const QString& name, const QString& value);
    // written only when the value is not empty
    void optional(const QString& name, const QString& value);
    // amounts with two decimals and a point: 1234.50 (negative amounts keep the sign)
    void money(const QString& name, Fixed value);
    void optionalMoney(const QString& name, Fixed value); // skipped when zero
    void date(const QString& name, const QDate& d);     // AAAA-MM-DD; skipped when invalid
    void start(const QString& name);
    void end();
    // ideEmpregador with tpInsc and nrInsc
    void ideEmpregador(const Employer& e);
    QByteArray finish(); // closes every open element
    QXmlStreamWriter& raw() { return w_; }

private:
    QByteArray buffer_;
    QXmlStreamWriter w_;
    int open_ = 0;
};

// Competence and value formats the events use.
QString MonthText(int year, int month); // "2026-01"
// A competence typed "MM/AAAA" (TypedCompetence) as the register keeps it
// ("AAAA-MM").
QString CompetenceKey(const QString& typed);
// The text of the first <tag> of an event; empty when it has none.
QString ElementText(const QByteArray& xml, const QString& tag);
} // namespace folha::esocial
