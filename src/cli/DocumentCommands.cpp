// The labour documents from the command line: one page per employee to a
// text, HTML or PDF file; each copy is its own job.
#include "Cli.h"
#include "ReportOutput.h"

#include "Documents.h"
#include "ReportFile.h"
#include "ReportJob.h"
#include "SystemFiles.h"

#include <QFile>
#include <QFileInfo>

namespace folha::cli {

namespace {

QDate DateOption(Context& c, const QString& option, const QDate& fallback) {
    if (!c.args.has(option)) return fallback;
    const QString text = c.args.value(option).trimmed();
    QDate date = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    if (!date.isValid()) date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid()) throw CliError{QStringLiteral("Data inválida em %1: %2 (use dd/mm/aaaa)").arg(option, text)};
    return date;
}

int CodeOption(Context& c, const QString& option, int fallback) {
    if (!c.args.has(option)) return fallback;
    bool ok = false;
    const int code = c.args.value(option).toInt(&ok);
    if (!ok || code < 0 || code > 999999)
        throw CliError{QStringLiteral("Código inválido em %1: %2").arg(option, c.args.value(option))};
    return code;
}

int cmdDocument(Context& c) {
    const QString name = c.args.positional.value(0);
    const DocumentDef* def = FindDocument(name);
    if (!def) {
        QStringList known;
        for (const DocumentDef& d : Documents()) known << d.screen;
        throw CliError{QStringLiteral("Documento desconhecido: %1 (documentos: %2)").arg(name, known.join(QStringLiteral(", ")))};
    }
    const bool byName = OrderByName(c);
    const ReportOutput out = ReadReportOutput(c, {"txt", "pdf", "html"}, false);
    const QString& format = out.format;
    const QString& output = out.output;

    DocumentOptions options;
    options.byName = byName;
    options.fromCode = CodeOption(c, "--first", 0);
    options.toCode = CodeOption(c, "--last", 999999);
    if (c.args.has("--employee")) options.fromCode = options.toCode = CodeOption(c, "--employee", 0);
    const QDate today = QDate::currentDate();
    options.dates.insert(QStringLiteral("DATA_INICIAL"), DateOption(c, "--from", today));
    options.dates.insert(QStringLiteral("DATA_FINAL"), DateOption(c, "--to", today));
    options.dates.insert(QStringLiteral("DATA_RECEBIMENTO"), DateOption(c, "--receipt", today));
    options.dates.insert(QStringLiteral("DATA_EMISSAO"), DateOption(c, "--date", today));
    // The typed values of the documents that have them.
    static const QMap<QString, QString> typedOptions{{"ANO_CALENDARIO", "--year"},
                                                     {"CODIGO_RETENCAO", "--retention-code"},
                                                     {"NATUREZA", "--nature"},
                                                     {"RENDIMENTO", "--income"},
                                                     {"IMPOSTO_RETIDO", "--tax"},
                                                     {"HORARIO_SEGUNDA", "--monday"},
                                                     {"HORARIO_TERCA", "--tuesday"},
                                                     {"HORARIO_QUARTA", "--wednesday"},
                                                     {"HORARIO_QUINTA", "--thursday"},
                                                     {"HORARIO_SEXTA", "--friday"},
                                                     {"HORARIO_SABADO", "--saturday"},
                                                     {"VALOR_ACORDO", "--amount"}};
    for (auto it = typedOptions.begin(); it != typedOptions.end(); ++it)
        if (c.args.has(it.value())) options.extras.insert(it.key(), c.args.value(it.value()));
    // The typed list of equipment, separated by ";".
    if (c.args.has("--equipment")) {
        QStringList items;
        for (const QString& item : c.args.value("--equipment").split(QLatin1Char(';')))
            if (!item.trimmed().isEmpty()) items << item.trimmed();
        options.lists.insert(QStringLiteral("EQUIPAMENTOS"), items);
    }
    for (const QString& list : def->lists)
        if (options.lists.value(list).isEmpty())
            throw CliError{QStringLiteral("Informe os equipamentos em --equipment (separados por ;)")};
    if (c.args.has("--copies")) {
        bool ok = false;
        options.copies = c.args.value("--copies").toInt(&ok);
        if (!ok || options.copies < 0 || options.copies > 99)
            throw CliError{QStringLiteral("Nº de Copias inválido: %1 (de 0 a 99)").arg(c.args.value("--copies"))};
    }
    try {
        CheckDocumentOptions(*def, options);
    } catch (const UserError& e) {
        throw CliError{e.message()};
    }

    OpenReportCompany(c);

    PrintSettings settings;
    settings.density = DensityNormal;
    settings.orientation = QStringLiteral("R");
    if (format == QLatin1String("pdf")) {
        settings.mode = PrintMode::Graphic;
        settings.destination = PrintDestination::Pdf;
    } else {
        settings.mode = PrintMode::Text;
        settings.destination = format == QLatin1String("html") ? PrintDestination::Browser : PrintDestination::Preview;
    }
    settings.linesPerPage = ProposedLinesPerPage(settings.mode, settings.condensed(), settings.portrait());
    settings = ConfirmPrintSettings(settings);

    if (!ConfirmEmission(c, QStringLiteral("Documento não emitido."))) return 1;

    // The first copy goes to the output; each further copy to its own file
    // ("aviso.pdf", "aviso-2.pdf"), except text, where the copies follow one
    // another in the one file.
    QFile::remove(output);
    int job = 0;
    int totalPages = 0;
    QStringList written;
    const QFileInfo info(output);
    auto jobPath = [&](int n) {
        if (n == 1 || format == QLatin1String("txt")) return info.absoluteFilePath();
        return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-%1.").arg(n) + info.suffix();
    };
    const int pages = RunDocumentCopies(c.session(), c.ui(), *def, options, [&](const auto& compose) {
        ++job;
        ReportRequest request;
        request.info = {def->caption, def->screen};
        request.width = def->width;
        request.pdfPath = jobPath(job);
        RefuseSystemOutput(request.pdfPath);
        const ReportResult result = RunReportJob(c.session(), c.ui(), settings, request, compose);
        totalPages += result.pages;
        if (format == QLatin1String("txt")) {
            QFile in(result.reportFile);
            QFile out(request.pdfPath);
            if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::Append))
                throw UserError(QStringLiteral("Não foi possível gravar %1").arg(output));
            out.write(in.readAll());
        } else if (format == QLatin1String("html")) {
            QFile::remove(request.pdfPath);
            if (!QFile::copy(result.htmlFile, request.pdfPath))
                throw UserError(QStringLiteral("Não foi possível gravar %1").arg(request.pdfPath));
            QFile::remove(result.htmlFile);
        }
        if (!result.reportFile.isEmpty()) QFile::remove(result.reportFile);
        if (!written.contains(request.pdfPath)) written << request.pdfPath;
    });
    // No file stands for documents nobody receives.
    if (job > 0 && totalPages == 0) return NothingSelected(c, written, QStringLiteral("Nenhum documento emitido."));
    c.out << QStringLiteral("%1: %2 página(s) por cópia, %3 cópia(s), %4 página(s) em %5")
                 .arg(def->caption)
                 .arg(pages)
                 .arg(job)
                 .arg(totalPages)
                 .arg(written.join(QStringLiteral(", ")))
          << Qt::endl;
    return 0;
}

} // namespace

QList<Command> documentCommands() {
    return {
        {"document",
         "document \"TELA\" --company C [--branch B] [--first COD --last COD | --employee COD] [--order codigo|nome] "
         "[--from DATA --to DATA] [--receipt DATA] [--date DATA] [--equipment LISTA] [--year ANO --retention-code COD --nature TEXTO --income VALOR --tax VALOR] [--monday HORARIO --tuesday HORARIO --wednesday HORARIO --thursday HORARIO --friday HORARIO --saturday HORARIO --amount VALOR] [--copies N] --format txt|pdf|html --output ARQUIVO "
         "[--yes]",
         cmdDocument},
    };
}

} // namespace folha::cli
