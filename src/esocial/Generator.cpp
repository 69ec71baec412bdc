#include "Generator.h"
#include "TextRoutines.h"

#include "DbError.h"
#include "IniFile.h"
#include "PeriodicEvents.h"
#include "Schemas.h"
#include "Signer.h"
#include "SystemFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlQuery>
#include <QThread>
#include <QXmlStreamWriter>

#include <exception>
#include <thread>

#include <set>

namespace folha::esocial {


Settings ReadSettings(const QString& cfg) {
    Settings s;
    s.certificate = ReadIniValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Certificado")).trimmed();
    s.environment = ReadIniValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Ambiente")).trimmed() == QLatin1String("1") ? 1 : 2;
    s.transmitter = OnlyDigits(ReadIniValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Transmissor")));
    s.paymentOnBranchDate =
        ReadIniValue(cfg, QStringLiteral("eSocial"), QStringLiteral("PagamentoNaDataDaFolha")).trimmed().toUpper() == QLatin1String("S");
    return s;
}

void WriteSettings(const QString& cfg, const Settings& s) {
    bool ok = WriteIniFileValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Certificado"), s.certificate) &&
              WriteIniFileValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Ambiente"), QString::number(s.environment)) &&
              WriteIniFileValue(cfg, QStringLiteral("eSocial"), QStringLiteral("Transmissor"), s.transmitter) &&
              WriteIniFileValue(cfg, QStringLiteral("eSocial"), QStringLiteral("PagamentoNaDataDaFolha"),
                                s.paymentOnBranchDate ? QStringLiteral("S") : QStringLiteral("N"));
    if (!ok) throw UserError(QStringLiteral("Não foi possível gravar as configurações do eSocial em %1.").arg(cfg));
}

Employer EmployerOf(Database& db, int companyCode, const QString& companyName) {
    Employer e;
    e.companyCode = companyCode;
    e.name = companyName;
    auto q = db.exec(QStringLiteral("SELECT CODIGO, CGC FROM Filial ORDER BY CODIGO"));
    QString first, head;
    while (q.next()) {
        QString d = OnlyDigits(q.value(1).toString());
        if (d.size() == 14 && head.isEmpty() && d.mid(8, 4) == QLatin1String("0001")) head = d;
        if ((d.size() == 14 || d.size() == 11) && first.isEmpty()) first = d;
    }
    QString insc = head.isEmpty() ? first : head;
    if (insc.isEmpty())
        throw UserError(QStringLiteral("A empresa %1 não tem filial com CNPJ ou CPF: o eSocial identifica o empregador por ele.")
                            .arg(companyCode));
    e.fullInsc = insc;
    e.tpInsc = insc.size() == 14 ? QStringLiteral("1") : QStringLiteral("2");
    e.nrInsc = insc.size() == 14 ? insc.left(8) : insc;
    return e;
}

// The CPF of the worker an event reports, read from its XML (the S-1210
// names him the beneficiary).
static QString workerCpf(const QByteArray& xml) {
    const QString cpf = ElementText(xml, QStringLiteral("cpfTrab"));
    return cpf.isEmpty() ? ElementText(xml, QStringLiteral("cpfBenef")) : cpf;
}

// S-3000 removing an accepted monthly event the competence no longer has.
static QByteArray removal(const Employer& employer, const StoredEvent& accepted, int environment) {
    EventWriter w(QStringLiteral("S-3000"));
    w.start(QStringLiteral("ideEvento"));
    w.text(QStringLiteral("tpAmb"), QString::number(environment));
    w.text(QStringLiteral("procEmi"), QStringLiteral("1"));
    w.text(QStringLiteral("verProc"), QStringLiteral("FolhaZorvan 1.0"));
    w.end();
    w.ideEmpregador(employer);
    w.start(QStringLiteral("infoExclusao"));
    w.text(QStringLiteral("tpEvento"), accepted.type);
    w.text(QStringLiteral("nrRecEvt"), accepted.receipt);
    w.start(QStringLiteral("ideTrabalhador"));
    w.text(QStringLiteral("cpfTrab"), workerCpf(accepted.xml));
    w.end();
    w.start(QStringLiteral("ideFolhaPagto"));
    if (accepted.type == QLatin1String("S-1200")) w.optional(QStringLiteral("indApuracao"), ElementText(accepted.xml, QStringLiteral("indApuracao")));
    w.text(QStringLiteral("perApur"), ElementText(accepted.xml, QStringLiteral("perApur")));
    w.end();
    w.end();
    return w.finish();
}

GenerateResult Generate(Database& db, const Employer& employer, const GenerateRequest& request, UserInterface& ui) {
    if (request.month < 1 || request.month > 12 || request.year < 1900)
        throw UserError(QStringLiteral("Competência inválida para o eSocial."));
    EventRegister reg(db);
    Context ctx(db, employer, request.year, request.month, request.branch, reg, request.environment);
    GenerateResult result;

    std::vector<Builder> builders = request.builders;
    if (builders.empty()) {
        PeriodicOptions periodic;
        if (request.paymentOnBranchDate) periodic.paymentDate = PaymentDateRule::BranchPayrollDate;
        builders = {BuildTableEvents, BuildWorkerEvents, PeriodicBuilder(periodic)};
    }

    const QDateTime now = request.now.isValid() ? request.now : QDateTime::currentDateTime();
    // The number of events is known only when the builders are done: the
    // progress counts what was stored.
    ui.progressStart(QStringLiteral("Gerando os eventos do eSocial de %1").arg(ctx.competence()), 0);
    Transaction tx(db);
    // The drafts go in slices: what needs the register (the comparison with
    // the latest version, the id, the header) one by one; the signature and
    // the schema, which need nothing but the event, side by side on every
    // core; then the versions stored, in order. A builder of many events
    // hands its drafts over as it goes (Context::flush); everything stays in
    // the one transaction, so a failure or a cancel keeps nothing.
    struct Pending {
        StoredEvent e;
        QStringList errors;
        bool isSigned = false;
        std::exception_ptr failure;
    };
    const size_t slice = 256;
    const int threads = std::max(1, QThread::idealThreadCount());
    int done = 0;
    std::set<QString> subjects; // of every draft built, for the removals below
    // Stores the drafts' whole slices (every draft with `all`), takes them
    // out and says how many went.
    auto store = [&](std::vector<Draft>& drafts, bool all) -> int {
        const size_t upTo = all ? drafts.size() : drafts.size() - drafts.size() % slice;
        if (upTo == 0) return 0;
        for (size_t i = 0; i < upTo; ++i) subjects.insert(drafts[i].subject);
        for (size_t first = 0; first < upTo; first += slice) {
            if (ui.cancelRequested())
                throw UserError(QStringLiteral("Geração dos eventos do eSocial cancelada: nada foi gravado."));
            std::vector<Pending> pending;
            for (size_t i = first; i < std::min(upTo, first + slice); ++i) {
                const Draft& d = drafts[i];
                const QString fp = Fingerprint(d.xml);
                auto latest = reg.latest(d.subject);
                if (latest && latest->fingerprint == fp && latest->type == d.type && latest->status != status::Rejected) {
                    if (latest->changed)
                        db.execWrite(QStringLiteral("UPDATE ESOCIAL SET ALTERADO = 'N' WHERE ASSUNTO = ?"), {d.subject});
                    ++result.unchanged;
                    continue;
                }
                Pending p;
                StoredEvent& e = p.e;
                e.id = reg.newId(employer.tpInsc, employer.fullInsc, now);
                e.type = d.type;
                e.subject = d.subject;
                e.version = latest ? latest->version + 1 : 1;
                e.worker = d.worker;
                e.competence = d.competence;
                e.fingerprint = fp;
                e.created = now;
                if (d.type != QLatin1String("S-3000")) {
                    // A subject with no version yet is an original: the register
                    // has nothing more to say about it.
                    const Header h = latest ? ctx.headerFor(d.subject) : ctx.originalHeader();
                    e.indRetif = h.indRetif;
                    e.rectifies = h.nrRecibo;
                } else {
                    e.rectifies = ElementText(d.xml, QStringLiteral("nrRecEvt"));
                }
                e.xml = d.xml;
                e.xml.replace(kIdPlaceholder, e.id.toLatin1());
                pending.push_back(std::move(p));
            }
            // Signed first and validated once, signature included; an invalid
            // event is kept as built, unsigned, with its errors.
            auto work = [&](size_t from, size_t to) {
                for (size_t k = from; k < to; ++k) {
                    Pending& p = pending[k];
                    try {
                        if (request.certificate) {
                            const QByteArray signedXml = request.certificate->sign(p.e.xml);
                            p.errors = ValidateEvent(signedXml, p.e.type, Signature::Required);
                            if (p.errors.isEmpty()) {
                                p.e.xml = signedXml;
                                p.isSigned = true;
                            }
                        } else {
                            p.errors = ValidateEvent(p.e.xml, p.e.type, Signature::Optional);
                        }
                    } catch (...) {
                        p.failure = std::current_exception();
                    }
                }
            };
            const size_t n = pending.size();
            const size_t parts = std::min<size_t>(size_t(threads), n);
            std::vector<std::thread> workers;
            for (size_t t = 1; t < parts; ++t) workers.emplace_back(work, n * t / parts, n * (t + 1) / parts);
            if (parts > 0) work(0, n / parts);
            for (std::thread& w : workers) w.join();

            for (Pending& p : pending) {
                if (p.failure) std::rethrow_exception(p.failure);
                StoredEvent& e = p.e;
                if (!p.errors.isEmpty()) {
                    e.status = status::Generated;
                    e.messages = p.errors.join('\n');
                    ++result.invalid;
                    result.problems << QStringLiteral("%1 %2%3: %4")
                                           .arg(e.type, e.id,
                                                e.worker.isEmpty() ? QString() : QStringLiteral(" (funcionário %1)").arg(e.worker),
                                                p.errors.first());
                } else {
                    e.status = request.certificate ? status::Signed : status::Validated;
                    if (p.isSigned) ++result.signedCount;
                }
                reg.insert(e);
                result.ids << e.id;
                ++result.stored;
            }
            done += int(std::min(upTo, first + slice) - first);
            ui.progressStep(done);
        }
        drafts.erase(drafts.begin(), drafts.begin() + std::ptrdiff_t(upTo));
        return int(upTo);
    };

    try {
        std::vector<Draft> drafts;
        ctx.setDrain([&](std::vector<Draft>& built) { result.built += store(built, false); });
        for (const Builder& b : builders) b(ctx, drafts);
        ctx.setDrain({});
        result.built += store(drafts, true);

        // Accepted monthly events of the competence that no draft reports any
        // more (the month was undone for that worker) are removed by an S-3000.
        // With one branch asked for, the other branches' events are not looked at.
        if (request.branch.isEmpty()) {
            // The latest accepted version of each subject: when that is already
            // an S-3000, the government has nothing left to remove.
            EventFilter month;
            month.competence = ctx.competence();
            month.status = status::Accepted;
            for (const StoredEvent& e : reg.list(month)) {
                if ((e.type != QLatin1String("S-1200") && e.type != QLatin1String("S-1210")) || subjects.count(e.subject))
                    continue;
                if (e.receipt.isEmpty()) continue;
                Draft d;
                d.type = QStringLiteral("S-3000");
                d.subject = e.subject;
                d.worker = e.worker;
                d.competence = e.competence;
                d.xml = removal(employer, e, request.environment);
                drafts.push_back(std::move(d));
                ++result.removals;
            }
            store(drafts, true); // counted apart, as removals
        }
        tx.commit();
    } catch (...) {
        ui.progressEnd();
        throw;
    }
    ui.progressEnd();
    return result;
}

std::vector<Batch> MakeBatches(const Employer& employer, const QString& transmitterInsc,
                               const std::vector<StoredEvent>& events) {
    std::vector<Batch> batches;
    QString transmitter = OnlyDigits(transmitterInsc);
    if (transmitter.isEmpty()) transmitter = employer.fullInsc;
    for (int group = 1; group <= 3; ++group) {
        std::vector<const StoredEvent*> of;
        for (const StoredEvent& e : events) {
            const EventKind* k = KindOf(e.type);
            if (k && k->group == group) of.push_back(&e);
        }
        for (size_t start = 0; start < of.size(); start += 50) {
            Batch b;
            b.group = group;
            QByteArray body;
            QXmlStreamWriter w(&body);
            w.writeStartDocument(QStringLiteral("1.0"));
            w.writeStartElement(QStringLiteral("eSocial"));
            w.writeDefaultNamespace(QLatin1String(kBatchNamespace));
            w.writeStartElement(QStringLiteral("envioLoteEventos"));
            w.writeAttribute(QStringLiteral("grupo"), QString::number(group));
            w.writeStartElement(QStringLiteral("ideEmpregador"));
            w.writeTextElement(QStringLiteral("tpInsc"), employer.tpInsc);
            w.writeTextElement(QStringLiteral("nrInsc"), employer.nrInsc);
            w.writeEndElement();
            w.writeStartElement(QStringLiteral("ideTransmissor"));
            w.writeTextElement(QStringLiteral("tpInsc"), transmitter.size() == 14 ? QStringLiteral("1") : QStringLiteral("2"));
            w.writeTextElement(QStringLiteral("nrInsc"), transmitter);
            w.writeEndElement();
            w.writeStartElement(QStringLiteral("eventos"));
            // Each event goes in as signed, byte for byte (without its XML
            // declaration): re-serialising would break its signature.
            for (size_t i = start; i < std::min(of.size(), start + 50); ++i) {
                const StoredEvent& e = *of[i];
                w.writeStartElement(QStringLiteral("evento"));
                w.writeAttribute(QStringLiteral("Id"), e.id);
                w.writeCharacters(QStringLiteral("@EVENTO%1@").arg(i));
                w.writeEndElement();
                b.ids << e.id;
            }
            w.writeEndDocument();
            for (size_t i = start; i < std::min(of.size(), start + 50); ++i) {
                QByteArray xml = of[i]->xml;
                if (xml.startsWith("<?xml")) xml = xml.mid(xml.indexOf("?>") + 2);
                body.replace(QStringLiteral("@EVENTO%1@").arg(i).toLatin1(), xml.trimmed());
            }
            b.xml = body;
            batches.push_back(std::move(b));
        }
    }
    return batches;
}

static void writeFile(const QString& path, const QByteArray& bytes) {
    RefuseSystemOutput(path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw UserError(QStringLiteral("Não foi possível gravar %1: %2").arg(path, f.errorString()));
}

ExportResult ExportEvents(Database& db, const Employer& employer, const Settings& settings, const EventFilter& filter,
                          const QString& dir, UserInterface& ui) {
    RefuseSystemOutput(dir);
    if (!QDir().mkpath(dir)) throw UserError(QStringLiteral("Não foi possível criar a pasta %1.").arg(dir));
    EventRegister reg(db);
    EventFilter f = filter;
    f.allVersions = false;
    std::vector<StoredEvent> ready;
    int notSigned = 0;
    for (StoredEvent& e : reg.list(f)) {
        if (e.status == status::Signed) ready.push_back(std::move(e));
        else if (e.status == status::Generated || e.status == status::Validated) ++notSigned;
    }
    ExportResult r;
    if (ready.empty()) {
        throw UserError(notSigned ? QStringLiteral("Nenhum evento assinado para exportar (%1 sem assinatura: "
                                                   "escolha o certificado e gere de novo).").arg(notSigned)
                                  : QStringLiteral("Nenhum evento assinado para exportar."));
    }
    std::vector<Batch> batches = MakeBatches(employer, settings.transmitter, ready);
    for (const Batch& b : batches) {
        QStringList errors = ValidateBatch(b.xml);
        if (!errors.isEmpty())
            throw UserError(QStringLiteral("O lote do grupo %1 não confere com o esquema de envio:\n%2").arg(b.group).arg(errors.join('\n')));
    }
    Transaction tx(db);
    for (const StoredEvent& e : ready) {
        QString path = QDir(dir).filePath(e.id + QStringLiteral(".xml"));
        writeFile(path, e.xml);
        r.files << path;
        ++r.events;
    }
    for (const Batch& b : batches) {
        int number = reg.nextBatch();
        QString path = QDir(dir).filePath(QStringLiteral("lote-%1-%2.xml").arg(number, 6, 10, QChar('0')).arg(b.group));
        writeFile(path, b.xml);
        for (const QString& id : b.ids) reg.setBatch(id, number);
        r.files << path;
        ++r.batches;
    }
    tx.commit();
    if (notSigned)
        ui.message(MessageKind::Warning,
                   QStringLiteral("%1 evento(s) sem assinatura ficaram fora da exportação.").arg(notSigned));
    return r;
}

} // namespace folha::esocial
