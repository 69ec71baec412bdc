// esocial: the company's eSocial events generated for a competence, listed,
// shown and exported, and the office's certificate chosen.
#include "Cli.h"
#include "DbError.h"
#include "Generator.h"
#include "TextRoutines.h"
#include "ReportOutput.h"
#include "Rubricas.h"
#include "Signer.h"
#include "Reconciliation.h"
#include "ReportJob.h"
#include "Transmission.h"

#include "IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace folha::cli {

namespace {

using namespace folha::esocial;

// "MM/AAAA" as the register keeps competences: "AAAA-MM".
QString competenceOption(Context& c, bool required) {
    if (!c.args.has("--competence")) {
        if (required) throw CliError{QStringLiteral("Informe a competência: --competence MM/AAAA"), 2, true};
        return {};
    }
    return Typed([&] { return CompetenceKey(c.args.value("--competence")); });
}

// The certificate of the settings as the client certificate of the
// connection, its validity checked; the password asked once.
std::unique_ptr<ClientIdentity> openIdentity(const Settings& s) {
    if (s.certificate.isEmpty())
        throw CliError{QStringLiteral("Nenhum certificado escolhido: folha esocial certificate --file ARQUIVO.pfx"), 1};
    QString password = ReadSecret("FOLHA_CERT_PASSWORD", QStringLiteral("Senha do certificado %1").arg(s.certificate));
    QByteArray bytes = password.toUtf8();
    password.fill('\0');
    Certificate::load(s.certificate, bytes)->requireInForce(QDateTime::currentDateTimeUtc());
    auto id = ClientIdentity::load(s.certificate, bytes);
    bytes.fill('\0');
    return id;
}

// The addresses of the settings; --endpoint (for tests and for a
// government's change of host) puts another scheme, host and port in front
// of the services' paths.
TransmitSettings transmitSettings(Context& c, const Settings& s) {
    TransmitSettings t = ReadTransmitSettings(c.session().installation().settingsFile(), s.environment);
    if (c.args.has("--endpoint")) Typed([&] { UseServer(t, c.args.value("--endpoint")); });
    return t;
}

QString competenceText(const QString& key) { return key.isEmpty() ? QString() : key.mid(5) + '/' + key.left(4); }

void printOutcome(Context& c, const SendOutcome& o) {
    c.out << QStringLiteral("%1 lote(s) enviado(s) com %2 evento(s); %3 aceito(s) (%4 com advertência), %5 rejeitado(s), "
                            "%6 em processamento; %7 totalizador(es) recebido(s)")
                 .arg(o.batchesSent)
                 .arg(o.eventsSent)
                 .arg(o.accepted)
                 .arg(o.warnings)
                 .arg(o.rejected)
                 .arg(o.processing)
                 .arg(o.totals)
          << Qt::endl;
    for (const QString& m : o.messages) c.out << QStringLiteral("  ") << m << Qt::endl;
}

void printBatches(Context& c, const QString& competence) {
    auto batches = ListBatches(c.session().folha(), competence);
    if (batches.empty()) {
        c.out << QStringLiteral("Nenhum lote enviado%1.").arg(competence.isEmpty() ? QString() : QStringLiteral(" em ") + competenceText(competence))
              << Qt::endl;
        return;
    }
    EventRegister reg(c.session().folha());
    c.out << "Lote;Grupo;Competência;Protocolo;Situação;Código;Enviado;Consultado;Eventos" << Qt::endl;
    for (const SentBatch& b : batches) {
        c.out << QStringList{QString::number(b.number), QString::number(b.group), b.competence, b.protocol, b.status,
                             QString::number(b.code), b.sent, b.queried, QString::number(b.ids.size())}
                     .join(';')
              << Qt::endl;
        for (const QString& id : b.ids) {
            auto e = reg.byId(id);
            if (!e) continue;
            c.out << QStringLiteral("  %1;%2;%3;%4;%5").arg(e->id, e->type, e->worker, e->status, e->receipt) << Qt::endl;
            if (e->status == status::Rejected || e->status == status::Accepted)
                for (const QString& m : e->messages.split('\n', Qt::SkipEmptyParts)) c.out << QStringLiteral("    ") << m << Qt::endl;
        }
    }
}

Employer employerOf(Context& c);

int send(Context& c) {
    const QString competence = competenceOption(c, true);
    Employer employer = employerOf(c);
    Settings settings = ReadSettings(c.session().installation().settingsFile());
    TransmitSettings t = transmitSettings(c, settings);
    std::unique_ptr<ClientIdentity> identity = openIdentity(settings);
    SoapClient client(*identity, t);
    c.out << QStringLiteral("eSocial %1 (%2): %3").arg(competenceText(competence),
                                                      settings.environment == 1 ? QStringLiteral("produção") : QStringLiteral("produção restrita"),
                                                      t.endpoints.send)
          << Qt::endl;
    SendOutcome o = SendPending(c.session().folha(), employer, settings.transmitter, client, competence, QDateTime::currentDateTime(), c.ui());
    printOutcome(c, o);
    c.audit({QStringLiteral("E"), QStringLiteral("ESOCIAL"),
             QStringLiteral("Eventos do eSocial enviados (%1): %2 lote(s), %3 evento(s), %4 aceito(s), %5 rejeitado(s)")
                 .arg(competence)
                 .arg(o.batchesSent)
                 .arg(o.eventsSent)
                 .arg(o.accepted)
                 .arg(o.rejected)});
    if (o.batchesSent == 0 && o.accepted == 0 && o.rejected == 0 && o.processing == 0)
        c.ui().message(MessageKind::Warning, QStringLiteral("Nenhum evento assinado a enviar em %1.").arg(competenceText(competence)));
    return o.rejected ? 1 : 0;
}

int statusCommand(Context& c) {
    c.openCompany();
    const QString competence = competenceOption(c, false);
    bool waiting = false;
    for (const SentBatch& b : ListBatches(c.session().folha()))
        if (b.status == batchStatus::Processing) waiting = true;
    if (waiting) {
        Settings settings = ReadSettings(c.session().installation().settingsFile());
        TransmitSettings t = transmitSettings(c, settings);
        std::unique_ptr<ClientIdentity> identity = openIdentity(settings);
        SoapClient client(*identity, t);
        printOutcome(c, QueryPending(c.session().folha(), client, QDateTime::currentDateTime(), c.ui()));
    }
    printBatches(c, competence);
    return 0;
}

int resend(Context& c) {
    c.openCompany();
    const QString id = c.args.positional.value(1).trimmed();
    if (id.isEmpty()) throw CliError{QStringLiteral("Informe o identificador do evento rejeitado"), 2, true};
    Typed([&] { MarkForResend(c.session().folha(), id); });
    c.out << QStringLiteral("O evento %1 volta a ser enviado no próximo envio da competência.").arg(id) << Qt::endl;
    c.audit({QStringLiteral("E"), QStringLiteral("ESOCIAL"), QStringLiteral("Evento do eSocial %1 marcado para reenvio").arg(id)});
    return 0;
}

int importTotals(Context& c) {
    c.openCompany();
    const QString dir = c.args.positional.value(1).trimmed();
    if (dir.isEmpty()) throw CliError{QStringLiteral("Informe a pasta dos totalizadores"), 2, true};
    const TotalsImport r = Typed([&] { return ImportTotals(c.session().folha(), dir); });
    for (const QString& p : r.problems) c.ui().message(MessageKind::Error, p);
    const int stored = r.stored, known = r.known, damaged = int(r.problems.size());
    c.out << QStringLiteral("%1 totalizador(es) gravado(s), %2 já importado(s), %3 com problema").arg(stored).arg(known).arg(damaged)
          << Qt::endl;
    if (stored)
        c.audit({QStringLiteral("E"), QStringLiteral("ESOCTOT"),
                 QStringLiteral("Totalizadores do eSocial importados de %1: %2").arg(dir).arg(stored)});
    return damaged ? 1 : 0;
}

// The government's totals against the payroll: the report to a file
// (--format txt|pdf|html|xlsx --output FILE), or its lines on the screen.
int reconcile(Context& c) {
    const QString competence = competenceOption(c, true);
    const bool toFile = c.args.has("--output") || c.args.has("--format");
    ReportOutput out;
    if (toFile) out = ReadReportOutput(c, {"txt", "pdf", "html", "xlsx"});
    OpenReportCompany(c);
    const ReconciliationResult r = Reconcile(c.session().folha(), competence.left(4).toInt(), competence.mid(5).toInt());
    if (toFile) {
        const PrintSettings settings = ReportPrintSettings(c, out);
        ReportRequest request;
        request.info = {QStringLiteral("Conferência dos Totalizadores do eSocial"), QStringLiteral("TfoEsocialConferencia")};
        request.width = kReconciliationWidth;
        request.pdfPath = QFileInfo(out.output).absoluteFilePath();
        const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
            ComposeReconciliation(report, r);
            return true;
        });
        DeliverReport(c, out, result, request.info.reportName,
                      QStringLiteral("Func.;Nome;Item;Folha;eSocial;Diferença"));
    }
    c.out << QStringLiteral("Conferência dos totalizadores do eSocial de %1: %2 funcionário(s)").arg(competenceText(competence)).arg(r.workers)
          << Qt::endl;
    if (!r.missing.isEmpty())
        c.out << QStringLiteral("Não importados (não conferidos): %1").arg(r.missing.join(QStringLiteral(", "))) << Qt::endl;
    if (r.divergences.empty()) {
        c.out << QStringLiteral("Sem divergências") << Qt::endl;
        return 0;
    }
    c.out << "Funcionário;Nome;Item;Folha;eSocial;Rubricas" << Qt::endl;
    for (const Divergence& d : r.divergences)
        c.out << QStringList{d.worker, d.name, d.item, d.payroll.toString(2), d.government.toString(2), d.rubricas}.join(';') << Qt::endl;
    return 1;
}

// The FGTS Digital and DCTFWeb figures from the payroll: the report to a
// file, or its totals on the screen.
int guides(Context& c) {
    const QString competence = competenceOption(c, true);
    const bool toFile = c.args.has("--output") || c.args.has("--format");
    ReportOutput out;
    if (toFile) out = ReadReportOutput(c, {"txt", "pdf", "html", "xlsx"});
    OpenReportCompany(c);
    const GuideSummary s = SummarizeGuides(c.session().folha(), competence.left(4).toInt(), competence.mid(5).toInt());
    if (toFile) {
        const PrintSettings settings = ReportPrintSettings(c, out);
        ReportRequest request;
        request.info = {QStringLiteral("Resumo para o FGTS Digital e a DCTFWeb"), QStringLiteral("TfoEsocialGuias")};
        request.width = kGuideSummaryWidth;
        request.pdfPath = QFileInfo(out.output).absoluteFilePath();
        const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, [&](TextReport& report) {
            ComposeGuideSummary(report, s);
            return true;
        });
        DeliverReport(c, out, result, request.info.reportName, QStringLiteral("Func.;Nome;Base INSS;INSS;Base FGTS;FGTS"));
    }
    c.out << QStringLiteral("Competência %1: %2 funcionário(s)").arg(competenceText(competence)).arg(s.workers.size()) << Qt::endl
          << QStringLiteral("FGTS Digital: base %1, FGTS %2").arg(s.fgtsBase.toString(2), s.fgts.toString(2)) << Qt::endl
          << QStringLiteral("DCTFWeb: base %1; segurados %2; patronal %3; RAT/FAP %4; terceiros %5")
                 .arg(s.inssBase.toString(2), s.employee.toString(2), s.employer.toString(2), s.ratFap.toString(2),
                      s.thirdParties.toString(2))
          << Qt::endl;
    return s.workers.empty() ? 1 : 0;
}

// The certificate of the settings opened with its password, or none.
std::unique_ptr<Certificate> openCertificate(const Settings& s) {
    if (s.certificate.isEmpty()) return nullptr;
    QString password = ReadSecret("FOLHA_CERT_PASSWORD", QStringLiteral("Senha do certificado %1").arg(s.certificate));
    QByteArray bytes = password.toUtf8();
    password.fill('\0');
    auto cert = Certificate::load(s.certificate, bytes);
    bytes.fill('\0');
    cert->requireInForce(QDateTime::currentDateTimeUtc());
    return cert;
}

Employer employerOf(Context& c) {
    CompanyRow company = c.openCompany();
    return Typed([&] { return EmployerOf(c.session().folha(), company.code, company.name); });
}

QString branchOption(Context& c) {
    if (!c.args.has("--branch")) return {};
    return c.branchCode();
}

int generate(Context& c) {
    const QString competence = competenceOption(c, true);
    Employer employer = employerOf(c);
    const QString branch = branchOption(c);
    Settings settings = ReadSettings(c.session().installation().settingsFile());
    std::unique_ptr<Certificate> cert = openCertificate(settings);
    GenerateRequest r;
    r.year = competence.left(4).toInt();
    r.month = competence.mid(5).toInt();
    r.branch = branch;
    r.certificate = cert.get();
    r.environment = settings.environment;
    r.paymentOnBranchDate = settings.paymentOnBranchDate;
    GenerateResult g = Generate(c.session().folha(), employer, r, c.ui());
    if (g.built == 0 && g.removals == 0) {
        c.ui().message(MessageKind::Warning, QStringLiteral("Nenhum evento do eSocial a gerar para %1: nada foi gravado.")
                                                 .arg(competence.mid(5) + '/' + competence.left(4)));
        return 1;
    }
    c.out << QStringLiteral("eSocial %1 (%2): %3 evento(s) montado(s), %4 novo(s) ou alterado(s), %5 sem mudança, "
                            "%6 assinado(s), %7 inválido(s)")
                 .arg(competence.mid(5) + '/' + competence.left(4), settings.environment == 1 ? QStringLiteral("produção")
                                                                                               : QStringLiteral("produção restrita"))
                 .arg(g.built)
                 .arg(g.stored)
                 .arg(g.unchanged)
                 .arg(g.signedCount)
                 .arg(g.invalid)
          << Qt::endl;
    if (g.removals) c.out << QStringLiteral("%1 exclusão(ões) (S-3000) de eventos aceitos que a competência não tem mais").arg(g.removals) << Qt::endl;
    if (!cert && g.stored > g.invalid)
        c.ui().message(MessageKind::Warning,
                       QStringLiteral("Nenhum certificado escolhido: os eventos foram validados, não assinados "
                                      "(folha esocial certificate --file ARQUIVO.pfx)."));
    c.audit({QStringLiteral("E"), QStringLiteral("ESOCIAL"),
             QStringLiteral("Eventos do eSocial gerados para %1: %2 novo(s), %3 inválido(s)")
                 .arg(competence)
                 .arg(g.stored)
                 .arg(g.invalid)});
    for (const QString& p : g.problems) c.ui().message(MessageKind::Error, p);
    return g.invalid ? 1 : 0;
}

EventFilter filterOf(Context& c) {
    EventFilter f;
    f.competence = competenceOption(c, false);
    f.status = c.args.value("--status").trimmed().toLower();
    if (!f.status.isEmpty() && !Statuses().contains(f.status))
        throw CliError{QStringLiteral("Situação desconhecida: %1 (use %2)").arg(f.status, Statuses().join(QStringLiteral(", ")))};
    f.type = c.args.value("--type").trimmed().toUpper();
    if (!f.type.isEmpty() && !f.type.startsWith(QLatin1String("S-"))) f.type.prepend(QStringLiteral("S-"));
    if (!f.type.isEmpty() && !KindOf(f.type)) throw CliError{QStringLiteral("Evento desconhecido: %1").arg(f.type)};
    QString worker = c.args.value("--employee").trimmed();
    if (!worker.isEmpty()) f.worker = worker.rightJustified(6, '0');
    f.allVersions = c.args.has("--all-versions");
    return f;
}

int list(Context& c) {
    c.openCompany();
    EventFilter f = filterOf(c);
    EventRegister reg(c.session().folha());
    auto events = reg.list(f);
    if (events.empty()) {
        c.ui().message(MessageKind::Warning, QStringLiteral("Nenhum evento do eSocial com esses filtros."));
        return 1;
    }
    c.out << "ID;Evento;Competência;Funcionário;Versão;Situação;Retificação;Recibo;Lote;Alterado" << Qt::endl;
    for (const StoredEvent& e : events) {
        c.out << QStringList{e.id, e.type, e.competence, e.worker, QString::number(e.version), e.status,
                             e.indRetif == 2 ? QStringLiteral("retifica ") + e.rectifies : QString(), e.receipt,
                             e.batch ? QString::number(e.batch) : QString(), e.changed ? QStringLiteral("S") : QString()}
                     .join(';')
              << Qt::endl;
    }
    return 0;
}

int show(Context& c) {
    c.openCompany();
    const QString id = c.args.positional.value(1).trimmed();
    if (id.isEmpty()) throw CliError{QStringLiteral("Informe o identificador do evento"), 2, true};
    EventRegister reg(c.session().folha());
    auto e = reg.byId(id);
    if (!e) throw CliError{QStringLiteral("Evento do eSocial não encontrado: %1").arg(id), 1};
    c.out << QStringLiteral("%1 %2 versão %3, %4").arg(e->type, e->id).arg(e->version).arg(e->status) << Qt::endl;
    if (!e->messages.isEmpty()) {
        c.out << QStringLiteral("Mensagens:") << Qt::endl;
        for (const QString& m : e->messages.split('\n')) c.out << QStringLiteral("  ") << m << Qt::endl;
    }
    c.out << QString::fromUtf8(e->xml) << Qt::endl;
    return 0;
}

int exportEvents(Context& c) {
    const QString dir = c.requireOption("--output");
    Employer employer = employerOf(c);
    EventFilter f = filterOf(c);
    ExportResult r = ExportEvents(c.session().folha(), employer, ReadSettings(c.session().installation().settingsFile()), f, dir, c.ui());
    c.out << QStringLiteral("%1 evento(s) e %2 lote(s) gravados em %3").arg(r.events).arg(r.batches).arg(dir) << Qt::endl;
    c.audit({QStringLiteral("E"), QStringLiteral("ESOCIAL"),
             QStringLiteral("Eventos do eSocial exportados para %1: %2 evento(s), %3 lote(s)").arg(dir).arg(r.events).arg(r.batches)});
    return 0;
}

int certificate(Context& c) {
    Settings s = ReadSettings(c.session().installation().settingsFile());
    bool changed = false;
    if (c.args.has("--file")) {
        c.requireSupervisor(QStringLiteral("Escolher o certificado do eSocial é"));
        QString file = QFileInfo(c.args.value("--file")).absoluteFilePath();
        if (!QFileInfo(file).isFile()) throw CliError{QStringLiteral("Arquivo não encontrado: %1").arg(file)};
        s.certificate = file;
        changed = true;
    }
    if (c.args.has("--environment")) {
        c.requireSupervisor(QStringLiteral("Mudar o ambiente do eSocial é"));
        QString env = c.args.value("--environment").trimmed();
        if (env != QLatin1String("1") && env != QLatin1String("2"))
            throw CliError{QStringLiteral("Ambiente inválido: %1 (1 produção, 2 produção restrita)").arg(env)};
        s.environment = env.toInt();
        changed = true;
    }
    if (c.args.has("--transmitter")) {
        c.requireSupervisor(QStringLiteral("Mudar o transmissor do eSocial é"));
        QString t = OnlyDigits(c.args.value("--transmitter"));
        if (!t.isEmpty() && t.size() != 14 && t.size() != 11)
            throw CliError{QStringLiteral("Transmissor inválido: %1 (CNPJ ou CPF)").arg(c.args.value("--transmitter"))};
        s.transmitter = t;
        changed = true;
    }
    if (c.args.has("--ca-bundle")) {
        c.requireSupervisor(QStringLiteral("Mudar as autoridades certificadoras do eSocial é"));
        QString file = c.args.value("--ca-bundle").trimmed();
        if (!file.isEmpty()) {
            file = QFileInfo(file).absoluteFilePath();
            if (!QFileInfo(file).isFile()) throw CliError{QStringLiteral("Arquivo não encontrado: %1").arg(file)};
        }
        if (!WriteIniFileValue(c.session().installation().settingsFile(), QStringLiteral("eSocial"), QStringLiteral("CertificadosAC"), file))
            throw CliError{QStringLiteral("Não foi possível gravar a configuração do eSocial em %1.").arg(c.session().installation().settingsFile()), 1};
        c.audit({QStringLiteral("E"), QStringLiteral("CfgFolha"),
                 QStringLiteral("Autoridades certificadoras do eSocial: %1").arg(file.isEmpty() ? QStringLiteral("as do sistema") : file)});
    }
    if (s.certificate.isEmpty()) {
        c.out << QStringLiteral("Nenhum certificado escolhido.") << Qt::endl;
    } else {
        // Opened with its password before it is kept: a wrong file or
        // password is said now, not at the first generation.
        auto cert = openCertificate(s);
        c.out << QStringLiteral("Certificado: %1").arg(s.certificate) << Qt::endl
              << QStringLiteral("Titular: %1").arg(cert->subject()) << Qt::endl
              << QStringLiteral("Válido de %1 até %2")
                     .arg(cert->notBefore().toLocalTime().toString(QStringLiteral("dd/MM/yyyy")),
                          cert->notAfter().toLocalTime().toString(QStringLiteral("dd/MM/yyyy")))
              << Qt::endl;
    }
    c.out << QStringLiteral("Ambiente: %1").arg(s.environment == 1 ? QStringLiteral("1 - produção") : QStringLiteral("2 - produção restrita"))
          << Qt::endl;
    if (!s.transmitter.isEmpty()) c.out << QStringLiteral("Transmissor: %1").arg(s.transmitter) << Qt::endl;
    if (changed) {
        WriteSettings(c.session().installation().settingsFile(), s);
        c.audit({QStringLiteral("E"), QStringLiteral("CfgFolha"),
                 QStringLiteral("Configuração do eSocial: certificado %1, ambiente %2").arg(s.certificate).arg(s.environment)});
        c.out << QStringLiteral("Configuração do eSocial gravada.") << Qt::endl;
    }
    return 0;
}

int propose(Context& c) {
    c.openCompany();
    c.requireSupervisor(QStringLiteral("Propor o mapeamento do eSocial é"));
    int filled = ProposeMissingRubricas(c.session().folha());
    c.out << QStringLiteral("%1 histórico(s) receberam o mapeamento do eSocial proposto.").arg(filled) << Qt::endl;
    if (filled)
        c.audit({QStringLiteral("E"), QStringLiteral("HISTFP"),
                 QStringLiteral("Mapeamento do eSocial proposto para %1 histórico(s)").arg(filled)});
    return 0;
}

int cmdEsocial(Context& c) {
    const QString action = c.args.positional.value(0);
    static const QStringList actions = {"generate", "list", "show", "export", "certificate", "propose",
                                        "send", "status", "resend", "import-totals", "reconcile", "guides"};
    if (!actions.contains(action))
        throw CliError{action.isEmpty() ? QStringLiteral("Informe a ação: %1").arg(actions.join(QStringLiteral(", ")))
                                        : QStringLiteral("Ação desconhecida: %1 (use %2)").arg(action, actions.join(QStringLiteral(", "))),
                       2, true};
    static const QStringList withArgument = {"show", "resend", "import-totals"};
    if (!withArgument.contains(action) && c.args.positional.size() > 1)
        throw CliError{QStringLiteral("Argumento inesperado: %1").arg(c.args.positional.at(1)), 2, true};
    if (action == QLatin1String("generate")) return generate(c);
    if (action == QLatin1String("list")) return list(c);
    if (action == QLatin1String("show")) return show(c);
    if (action == QLatin1String("export")) return exportEvents(c);
    if (action == QLatin1String("propose")) return propose(c);
    if (action == QLatin1String("send")) return send(c);
    if (action == QLatin1String("status")) return statusCommand(c);
    if (action == QLatin1String("resend")) return resend(c);
    if (action == QLatin1String("import-totals")) return importTotals(c);
    if (action == QLatin1String("reconcile")) return reconcile(c);
    if (action == QLatin1String("guides")) return guides(c);
    return certificate(c);
}

} // namespace

QList<Command> esocialCommands() {
    return {
        {"esocial",
         "esocial \"generate|list|show|export|certificate|propose|send|status|resend|import-totals|reconcile|guides\" [\"ID|PASTA\"] "
         "[--company C] [--branch B] "
         "[--competence MM/AAAA] [--status S] [--type T] [--employee CODIGO] [--all-versions] [--output PASTA] "
         "[--file ARQUIVO.pfx] [--environment N] [--transmitter CNPJ] [--ca-bundle ARQUIVO.pem] [--endpoint URL] [--format F] [--output ARQUIVO] [--lines N] [--normal] [--portrait]",
         cmdEsocial},
    };
}

} // namespace folha::cli
