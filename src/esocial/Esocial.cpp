#include "Esocial.h"

#include "DbError.h"
#include "EventRegister.h"
#include "LegalTables.h"
#include "TypedInput.h"

#include <QRegularExpression>

namespace folha::esocial {

const std::vector<EventKind>& EventKinds() {
    static const std::vector<EventKind> kinds = {
        {"S-1000", "evtInfoEmpregador", "evtInfoEmpregador.xsd", 1},
        {"S-1005", "evtTabEstab", "evtTabEstab.xsd", 1},
        {"S-1010", "evtTabRubrica", "evtTabRubrica.xsd", 1},
        {"S-1020", "evtTabLotacao", "evtTabLotacao.xsd", 1},
        {"S-2200", "evtAdmissao", "evtAdmissao.xsd", 2},
        {"S-2205", "evtAltCadastral", "evtAltCadastral.xsd", 2},
        {"S-2206", "evtAltContratual", "evtAltContratual.xsd", 2},
        {"S-2230", "evtAfastTemp", "evtAfastTemp.xsd", 2},
        {"S-2299", "evtDeslig", "evtDeslig.xsd", 2},
        {"S-3000", "evtExclusao", "evtExclusao.xsd", 2},
        {"S-1200", "evtRemun", "evtRemun.xsd", 3},
        {"S-1210", "evtPgtos", "evtPgtos.xsd", 3},
        {"S-1299", "evtFechaEvPer", "evtFechaEvPer.xsd", 3},
    };
    return kinds;
}

const EventKind* KindOf(const QString& type) {
    for (const auto& k : EventKinds())
        if (type == QLatin1String(k.type)) return &k;
    return nullptr;
}

QString NamespaceOf(const EventKind& kind) {
    return QStringLiteral("http://www.esocial.gov.br/schema/evt/%1/%2").arg(QLatin1String(kind.root), QLatin1String(kLayout));
}

QString MonthText(int year, int month) {
    return QStringLiteral("%1-%2").arg(year, 4, 10, QChar('0')).arg(month, 2, 10, QChar('0'));
}

QString CompetenceKey(const QString& typed) {
    const TypedPeriod p = TypedCompetence(typed);
    return p.year + QLatin1Char('-') + p.month;
}

QString ElementText(const QByteArray& xml, const QString& tag) {
    const QRegularExpression re(QStringLiteral("<%1>([^<]*)</%1>").arg(tag));
    const auto m = re.match(QString::fromUtf8(xml));
    return m.hasMatch() ? m.captured(1) : QString();
}

Context::Context(Database& db, Employer employer, int year, int month, QString branch, EventRegister& reg, int tpAmb)
    : db_(db), employer_(std::move(employer)), year_(year), month_(month), branch_(std::move(branch)), reg_(reg),
      tpAmb_(tpAmb) {}

QString Context::competence() const { return MonthText(year_, month_); }

Header Context::originalHeader() const {
    Header h;
    h.tpAmb = tpAmb_;
    h.verProc = QStringLiteral("FolhaZorvan 1.0");
    return h;
}

Header Context::headerFor(const QString& subject) const {
    Header h = originalHeader();
    auto accepted = reg_.lastAccepted(subject);
    // After an accepted removal (S-3000) the subject starts over.
    if (accepted && accepted->type == QLatin1String("S-3000")) return h;
    if (accepted) {
        h.indRetif = 2;
        h.nrRecibo = accepted->receipt;
        h.alteration = true;
    } else if (wasSent(subject)) {
        h.alteration = true;
    }
    return h;
}

bool Context::wasSent(const QString& subject) const {
    return reg_.wasSent(subject);
}

EventWriter::EventWriter(const QString& type) : w_(&buffer_) {
    const EventKind* kind = KindOf(type);
    if (!kind) throw UserError(QStringLiteral("Evento do eSocial desconhecido: %1").arg(type));
    w_.setAutoFormatting(false);
    w_.writeStartDocument(QStringLiteral("1.0"));
    w_.writeStartElement(QStringLiteral("eSocial"));
    w_.writeDefaultNamespace(NamespaceOf(*kind));
    w_.writeStartElement(QLatin1String(kind->root));
    w_.writeAttribute(QStringLiteral("Id"), QLatin1String(kIdPlaceholder));
    open_ = 2;
}

void EventWriter::text(const QString& name, const QString& value) { w_.writeTextElement(name, value); }

void EventWriter::optional(const QString& name, const QString& value) {
    if (!value.isEmpty()) w_.writeTextElement(name, value);
}

void EventWriter::money(const QString& name, Fixed value) { w_.writeTextElement(name, RoundValue(2, value).toString(2)); }

void EventWriter::optionalMoney(const QString& name, Fixed value) {
    if (!value.isZero()) money(name, value);
}

void EventWriter::date(const QString& name, const QDate& d) {
    if (d.isValid()) w_.writeTextElement(name, d.toString(QStringLiteral("yyyy-MM-dd")));
}

void EventWriter::start(const QString& name) {
    w_.writeStartElement(name);
    ++open_;
}

void EventWriter::end() {
    if (open_ <= 2) throw DbError(QStringLiteral("EventWriter: nada a fechar"));
    w_.writeEndElement();
    --open_;
}

void EventWriter::ideEmpregador(const Employer& e) {
    start(QStringLiteral("ideEmpregador"));
    text(QStringLiteral("tpInsc"), e.tpInsc);
    text(QStringLiteral("nrInsc"), e.nrInsc);
    end();
}

QByteArray EventWriter::finish() {
    while (open_-- > 0) w_.writeEndElement();
    w_.writeEndDocument();
    return buffer_;
}

} // namespace folha::esocial
