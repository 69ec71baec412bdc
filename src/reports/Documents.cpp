#include "Documents.h"

#include "Database.h"
#include "Session.h"
#include "Table.h"
#include "UserInterface.h"

#include <QFile>
#include <QRegularExpression>

namespace folha {

namespace {

DocumentDef Def(const char* screen, const char* caption, QStringList dates,
                DocumentFilter filter = DocumentFilter::All, int width = 80, bool usesJob = false) {
    DocumentDef d;
    d.screen = QString::fromUtf8(screen);
    d.caption = QString::fromUtf8(caption);
    d.dates = std::move(dates);
    d.filter = filter;
    d.width = width;
    d.usesJob = usesJob;
    return d;
}

QString FieldText(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate) return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    return value.toString().trimmed();
}

QVariantMap RowOf(const Record& record) {
    QVariantMap row;
    for (const FieldDef& f : record.def().fields) {
        try {
            row.insert(f.name, record.value(f.name));
        } catch (const DbError&) {
        }
    }
    return row;
}

// Replaces each {NAME} or {NAME:extenso} by its value; an unknown name stays
// as written, so a typing slip in an office template shows on the page.
QString Fill(const QString& text, const QVariantMap& values) {
    static const QRegularExpression placeholder(QStringLiteral("\\{([A-Za-z0-9_]+)(:extenso)?\\}"));
    QString out;
    qsizetype at = 0;
    auto it = placeholder.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const auto found = values.constFind(m.captured(1).toUpper());
        if (found == values.constEnd()) {
            out += m.captured(0);
            continue;
        }
        if (!m.captured(2).isEmpty() && found->typeId() == QMetaType::QDate)
            out += DateInWords(found->toDate());
        else
            out += FieldText(*found);
    }
    out += text.mid(at);
    return out;
}

} // namespace

const QList<DocumentDef>& Documents() {
    static const QList<DocumentDef> docs{
        Def("TfoRelAvisoFerias", "Aviso de Férias",
            {"DATA_INICIAL", "DATA_FINAL", "DATA_RECEBIMENTO", "DATA_EMISSAO"}, DocumentFilter::VacationNotice, 132),
        Def("TfoRelPedDemissao", "Pedido de demissão", {"DATA_EMISSAO"}, DocumentFilter::All, 80, true),
    };
    return docs;
}

const DocumentDef* FindDocument(const QString& screen) {
    for (const DocumentDef& d : Documents())
        if (d.screen.compare(screen, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

QString DateInWords(const QDate& date) {
    static const char* const months[] = {"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                                         "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
    if (!date.isValid()) return {};
    return QStringLiteral("%1 de %2 de %3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromUtf8(months[date.month() - 1]))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QList<DocumentLine> ParseDocumentTemplate(const QString& text) {
    static const QRegularExpression placed(QStringLiteral("^(\\d+) (\\d+) (.*)$"));
    QList<DocumentLine> lines;
    int next = 1;
    QStringList rows = text.split(QLatin1Char('\n'));
    if (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();
    for (QString row : rows) {
        if (row.endsWith(QLatin1Char('\r'))) row.chop(1);
        if (row.startsWith(QLatin1Char('#'))) continue;
        const auto m = placed.match(row);
        if (m.hasMatch()) {
            const int line = m.captured(1).toInt();
            lines.push_back({line, std::max(1, m.captured(2).toInt()), m.captured(3)});
            next = line + 1;
        } else {
            if (!row.isEmpty()) lines.push_back({next, 1, row});
            ++next;
        }
    }
    return lines;
}

QString DocumentTemplate(const QString& programDir, const QString& screen) {
    const QString name = screen + QStringLiteral(".txt");
    for (const QString& path : {programDir + QStringLiteral("Documentos/") + name, QStringLiteral(":/documentos/") + name}) {
        QFile file(path);
        if (file.exists() && file.open(QIODevice::ReadOnly)) return QString::fromUtf8(file.readAll());
    }
    return {};
}

int ComposeDocument(Session& session, UserInterface& ui, const DocumentDef& def, const DocumentOptions& options,
                    TextReport& report) {
    const QList<DocumentLine> lines =
        ParseDocumentTemplate(DocumentTemplate(session.installation().programDir(), def.screen));
    Database& db = session.folha();

    QVariantMap common;
    const QString branchCode = session.signIn.CurrentBranchCodeText.isEmpty()
                                   ? QStringLiteral("%1").arg(session.signIn.CurrentBranchCode, 3, 10, QLatin1Char('0'))
                                   : session.signIn.CurrentBranchCodeText;
    if (auto branch = Table(db, QStringLiteral("Filial")).find({branchCode})) {
        common = RowOf(*branch);
        common.insert(QStringLiteral("EMPRESA"), branch->text(QStringLiteral("NOME")));
        common.remove(QStringLiteral("NOME"));
        common.remove(QStringLiteral("CODIGO"));
    }
    for (auto it = options.dates.begin(); it != options.dates.end(); ++it) common.insert(it.key(), it.value());
    for (auto it = options.extras.begin(); it != options.extras.end(); ++it) common.insert(it.key(), it.value());

    Table employees(db, QStringLiteral("CADFUN"));
    const QString where = QStringLiteral("CODFUN >= ? AND CODFUN <= ?");
    const QVariantList params{QStringLiteral("%1").arg(options.fromCode, 6, 10, QLatin1Char('0')),
                              QStringLiteral("%1").arg(options.toCode, 6, 10, QLatin1Char('0'))};
    if (employees.count(where, params) == 0) {
        ui.message(MessageKind::Warning, QStringLiteral("Funcionario Nao Cadastrado"));
        return 0;
    }
    // The vacation notice goes to active employees, not of category 99,
    // whose enjoyment starts within the interval.
    auto wanted = [&](const Record& r) {
        if (def.filter != DocumentFilter::VacationNotice) return true;
        if (r.isNull(QStringLiteral("CONDICAO")) || r.integer(QStringLiteral("CONDICAO")) != 1) return false;
        if (!r.isNull(QStringLiteral("VINCULO")) && r.integer(QStringLiteral("VINCULO")) == 99) return false;
        if (r.isNull(QStringLiteral("DT_IGOZFER"))) return false;
        const QDate start = r.date(QStringLiteral("DT_IGOZFER"));
        return start.isValid() && start >= options.dates.value(QStringLiteral("DATA_INICIAL")) &&
               start <= options.dates.value(QStringLiteral("DATA_FINAL"));
    };
    if (options.byName) employees.setIndex(QStringLiteral("NOMEFUNCIONARIO"));
    Table cargos(db, QStringLiteral("Cargos"));

    int pages = 0;
    employees.forEach(where, params, [&](const Record& record) {
        if (ui.cancelRequested()) return false;
        if (!wanted(record)) return true;
        QVariantMap values = common;
        const QVariantMap row = RowOf(record);
        for (auto it = row.begin(); it != row.end(); ++it) values.insert(it.key(), it.value());
        values.insert(QStringLiteral("NOME_CARGO"), QString());
        if (def.usesJob && !record.isNull(QStringLiteral("CARGO"))) {
            const QString job = QStringLiteral("%1").arg(record.integer(QStringLiteral("CARGO")), 3, 10, QLatin1Char('0'));
            if (auto cargo = cargos.find({job}))
                values.insert(QStringLiteral("NOME_CARGO"), cargo->text(QStringLiteral("NOME_CARGO")));
            else
                ui.message(MessageKind::Warning, QStringLiteral("Cargo Nao Cadastrado"));
        }
        report.clear();
        for (const DocumentLine& l : lines) report.putText(l.line, l.column, Fill(l.text, values));
        report.flushPage();
        ++pages;
        return true;
    });
    return pages;
}

int RunDocumentCopies(Session& session, UserInterface& ui, const DocumentDef& def, const DocumentOptions& options,
                      const std::function<void(const std::function<bool(TextReport&)>&)>& runJob) {
    int pages = 0;
    for (int copy = 0; copy < options.copies; ++copy) {
        runJob([&](TextReport& report) {
            pages = ComposeDocument(session, ui, def, options, report);
            return !ui.cancelRequested();
        });
    }
    return pages;
}

} // namespace folha
