#include "Documents.h"

#include "Database.h"
#include "IniFile.h"
#include "TextRoutines.h"
#include "AmountInWords.h"
#include "Listings.h"
#include "TypedInput.h"
#include "Session.h"
#include "Table.h"
#include "UserInterface.h"

#include <QFile>
#include <algorithm>
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
            if (f.type == FieldType::Number && !record.isNull(f.name))
                row.insert(f.name, record.number(f.name).toString());
            else
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
        // An amount's wording is kept under its own "NAME:extenso".
        const auto words = values.constFind(m.captured(1).toUpper() + m.captured(2));
        if (!m.captured(2).isEmpty() && words != values.constEnd()) {
            out += words->toString();
            continue;
        }
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

// A text cut into rows of at most `room` characters at word boundaries; a
// word longer than the room is split. Continuation rows lose the spaces
// they start with. Never loses a visible character.
QStringList WrapWords(const QString& text, int room) {
    room = std::max(room, 1);
    QStringList rows;
    QString rest = text;
    while (rest.size() > room) {
        int cut = int(rest.lastIndexOf(QLatin1Char(' '), room));
        // A space at the very start would make no progress.
        if (cut <= 0 || rest.left(cut).trimmed().isEmpty()) cut = room;
        rows << rest.left(cut);
        rest = rest.mid(cut);
        while (rest.startsWith(QLatin1Char(' '))) rest.remove(0, 1);
    }
    if (!rest.isEmpty() || rows.isEmpty()) rows << rest;
    return rows;
}

// The identification numbers as a labour document prints them: the CNPJ
// "12.345.678/0001-95" (a CPF as "123.456.789-09"; another inscription as
// typed), the worker's CPF and PIS "123.45678.90-1"; empty when not filled.
QString DocumentInscription(const QString& typed) {
    const QString digits = OnlyDigits(typed);
    if (digits.size() == 14 || digits.size() == 11) return FormatCnpjCpf(digits);
    return typed.trimmed();
}
QString DocumentNumber(const QVariant& value, int width) {
    const QString digits = OnlyDigits(value.toString().section(QLatin1Char('.'), 0, 0));
    if (digits.isEmpty() || digits.count(QLatin1Char('0')) == digits.size()) return {};
    return PadLeft(digits, width, QLatin1Char('0'));
}
QString DocumentCpf(const QVariant& value) {
    const QString d = DocumentNumber(value, 11);
    return d.isEmpty() ? d : FormatCnpjCpf(d);
}
QString DocumentPis(const QVariant& value) {
    const QString d = DocumentNumber(value, 11);
    if (d.size() != 11) return d;
    return d.left(3) + QLatin1Char('.') + d.mid(3, 5) + QLatin1Char('.') + d.mid(8, 2) + QLatin1Char('-') + d.right(1);
}

} // namespace

const QList<DocumentDef>& Documents() {
    static const QList<DocumentDef> docs{
        Def("TfoRelAvisoFerias", "Aviso de Férias",
            {"DATA_INICIAL", "DATA_FINAL", "DATA_RECEBIMENTO", "DATA_EMISSAO"}, DocumentFilter::VacationNotice, 132),
        Def("TfoRelPedDemissao", "Pedido de demissão", {"DATA_EMISSAO"}, DocumentFilter::All, 80, true),
        Def("TfoRelDemissaoTrabalho", "Pedido de Demissão Trabalho", {"DATA_EMISSAO"}),
        Def("TfoRelAutorizaDesconto", "Autorização de Desconto", {"DATA_EMISSAO"}),
        [] {
            DocumentDef d = Def("TfoRelTermoValeTransporte", "Termo Vale-Transporte", {"DATA_EMISSAO"});
            d.usesCostCentre = true;
            return d;
        }(),
        Def("TfoRelSalaFami", "Termo Salário Família", {"DATA_EMISSAO"}),
        Def("TfoRelAtestSaudeOcupacional", "Relatório Emissão Atestado  Saúde Ocupacional", {"DATA_EMISSAO"},
            DocumentFilter::All, 80, true),
        [] {
            DocumentDef d = Def("TfoRelDeclaraRendiPJ", "Declaração de Rendimentos-PJ", {"DATA_EMISSAO"});
            d.texts = {{QStringLiteral("ANO_CALENDARIO"), QStringLiteral("Ano-Calendário")},
                       {QStringLiteral("CODIGO_RETENCAO"), QStringLiteral("Código de Retenção")},
                       {QStringLiteral("NATUREZA"), QStringLiteral("Natureza do Rendimento")}};
            d.amounts = {{QStringLiteral("RENDIMENTO"), QStringLiteral("Rendimento Bruto")},
                         {QStringLiteral("IMPOSTO_RETIDO"), QStringLiteral("Imposto Retido")}};
            d.oneEmployee = true;
            return d;
        }(),
        [] {
            DocumentDef d = Def("TfoRelAcordoHoraTrabalho", "Acordo Horario de Trabalho", {"DATA_EMISSAO"});
            d.texts = {{QStringLiteral("HORARIO_SEGUNDA"), QStringLiteral("Segunda-feira")},
                       {QStringLiteral("HORARIO_TERCA"), QStringLiteral("Terça-feira")},
                       {QStringLiteral("HORARIO_QUARTA"), QStringLiteral("Quarta-feira")},
                       {QStringLiteral("HORARIO_QUINTA"), QStringLiteral("Quinta-feira")},
                       {QStringLiteral("HORARIO_SEXTA"), QStringLiteral("Sexta-feira")},
                       {QStringLiteral("HORARIO_SABADO"), QStringLiteral("Sábado")}};
            d.amounts = {{QStringLiteral("VALOR_ACORDO"), QStringLiteral("Valor Acordado")}};
            d.textsAreTimetables = true;
            return d;
        }(),
        [] {
            DocumentDef d = Def("TfoRelComproReciEPI", "Comprovante de Recebimento de EPI", {"DATA_EMISSAO"});
            d.lists = {QStringLiteral("EQUIPAMENTOS")};
            return d;
        }(),
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
    static const QRegularExpression loopMark(QStringLiteral("^@([A-Za-z0-9_]+)\\s*$"));
    QString loop;
    for (QString row : rows) {
        if (row.endsWith(QLatin1Char('\r'))) row.chop(1);
        if (row.startsWith(QLatin1Char('#'))) continue;
        if (const auto mark = loopMark.match(row); mark.hasMatch()) {
            const QString name = mark.captured(1).toUpper();
            loop = name == QLatin1String("FIM") ? QString() : name;
            continue;
        }
        const auto m = placed.match(row);
        if (m.hasMatch()) {
            const int line = m.captured(1).toInt();
            lines.push_back({line, std::max(1, m.captured(2).toInt()), m.captured(3), loop});
            next = line + 1;
        } else {
            if (!row.isEmpty()) lines.push_back({next, 1, row, loop});
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

TEscritaMil OfficeThousandWording(const QString& programDir) {
    const QString value =
        ReadIniValue(programDir + QStringLiteral("CfgFolha.ini"), QStringLiteral("Extenso"), QStringLiteral("UmMil"));
    return value.trimmed().compare(QStringLiteral("S"), Qt::CaseInsensitive) == 0 ? TEscritaMil::emUmMil
                                                                                   : TEscritaMil::emMil;
}

QMap<QString, QString> DocumentExtras(const DocumentDef& def, const QMap<QString, QString>& typed, TEscritaMil mil) {
    QMap<QString, QString> out = typed;
    // A text left untyped prints blank (a day off of the timetable).
    for (const auto& [name, caption] : def.texts)
        if (!out.contains(name)) out.insert(name, QString());
    for (const auto& [name, caption] : def.amounts) {
        const Fixed value = TypedMoney(typed.value(name), caption);
        out.insert(name, FormatListValue(QVariant::fromValue(value), QStringLiteral("%1.2n")).trimmed());
        // "{NOME:extenso}": the amount in words, in capitals.
        out.insert(name + QStringLiteral(":extenso"), AmountInWords(value, QStringLiteral("REAL"), QStringLiteral("REAIS"), TTipoTexto::ttMaiuscula, mil));
    }
    return out;
}

namespace {

// Every time of day in the text is a real one (24:00 closes a day) and no
// other number is left: "08:00-12:00 13:00-17:00", "08:00 às 12:00", or a
// word for a day off.
bool ValidTimetable(const QString& text) {
    static const QRegularExpression time(QStringLiteral("(\\d+):(\\d+)"));
    QString rest = text;
    for (auto it = time.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const int hour = m.captured(1).toInt();
        const int minute = m.captured(2).toInt();
        if (m.captured(1).size() > 2 || m.captured(2).size() != 2 || minute > 59 || hour > 24 ||
            (hour == 24 && minute > 0))
            return false;
        rest.replace(m.captured(0), QStringLiteral(" "));
    }
    for (const QChar c : rest)
        if (c.isDigit()) return false;
    return true;
}

} // namespace

void CheckDocumentOptions(const DocumentDef& def, const DocumentOptions& options) {
    DocumentExtras(def, options.extras);
    if (def.textsAreTimetables)
        for (const auto& [name, caption] : def.texts)
            if (!ValidTimetable(options.extras.value(name)))
                throw UserError(QStringLiteral("Horário inválido em %1: %2 (use hh:mm-hh:mm, de 00:00 a 23:59)")
                                    .arg(caption, options.extras.value(name)));
    if (options.fromCode > options.toCode) throw UserError(QStringLiteral("Código inicial maior que o código final"));
    const QDate first = options.dates.value(QStringLiteral("DATA_INICIAL"));
    const QDate last = options.dates.value(QStringLiteral("DATA_FINAL"));
    if (def.dates.contains(QStringLiteral("DATA_INICIAL")) && def.dates.contains(QStringLiteral("DATA_FINAL")) &&
        first.isValid() && last.isValid() && first > last)
        throw UserError(QStringLiteral("Data inicial maior que a data final"));
}

int ComposeDocument(Session& session, UserInterface& ui, const DocumentDef& def, const DocumentOptions& options,
                    TextReport& report) {
    const QList<DocumentLine> lines =
        ParseDocumentTemplate(DocumentTemplate(session.installation().programDir(), def.screen));
    Database& db = session.folha();

    QVariantMap common;
    const QString branchCode = CurrentBranchKey(session);
    if (auto branch = Table(db, QStringLiteral("Filial")).find({branchCode})) {
        common = RowOf(*branch);
        common.insert(QStringLiteral("CGC"), DocumentInscription(branch->text(QStringLiteral("CGC"))));
        common.insert(QStringLiteral("EMPRESA"), branch->text(QStringLiteral("NOME")));
        common.remove(QStringLiteral("NOME"));
        common.remove(QStringLiteral("CODIGO"));
    }
    for (auto it = options.dates.begin(); it != options.dates.end(); ++it) common.insert(it.key(), it.value());
    const QMap<QString, QString> extras =
        DocumentExtras(def, options.extras, OfficeThousandWording(session.installation().programDir()));
    for (auto it = extras.begin(); it != extras.end(); ++it) common.insert(it.key(), it.value());

    if (def.oneEmployee && options.fromCode != options.toCode) {
        ui.message(MessageKind::Warning, QStringLiteral("Selecione o funcionário;"));
        return 0;
    }
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
    Table centres(db, QStringLiteral("centcust"));

    int pages = 0;
    employees.forEach(where, params, [&](const Record& record) {
        if (ui.cancelRequested()) return false;
        if (!wanted(record)) return true;
        QVariantMap values = common;
        const QVariantMap row = RowOf(record);
        for (auto it = row.begin(); it != row.end(); ++it) values.insert(it.key(), it.value());
        values.insert(QStringLiteral("CPF"), DocumentCpf(row.value(QStringLiteral("NR_CPF"))));
        values.insert(QStringLiteral("PIS"), DocumentPis(row.value(QStringLiteral("NR_PIS"))));
        values.insert(QStringLiteral("NOME_CARGO"), QString());
        if (!record.isNull(QStringLiteral("DT_NASC"))) {
            const QDate born = record.date(QStringLiteral("DT_NASC"));
            const QDate on = options.dates.value(QStringLiteral("DATA_EMISSAO"), QDate::currentDate());
            int age = on.year() - born.year();
            if (on.month() < born.month() || (on.month() == born.month() && on.day() < born.day())) --age;
            values.insert(QStringLiteral("IDADE"), QString::number(age));
        }
        if (def.usesJob && !record.isNull(QStringLiteral("CARGO"))) {
            const QString job = QStringLiteral("%1").arg(record.integer(QStringLiteral("CARGO")), 3, 10, QLatin1Char('0'));
            if (auto cargo = cargos.find({job}))
                values.insert(QStringLiteral("NOME_CARGO"), cargo->text(QStringLiteral("NOME_CARGO")));
            else
                ui.message(MessageKind::Warning, QStringLiteral("Cargo Nao Cadastrado"));
        }
        if (def.usesCostCentre) {
            const QString centre = record.text(QStringLiteral("CENTCUSTO")).trimmed();
            values.insert(QStringLiteral("DESC_CUSTO"), QString());
            if (!centre.isEmpty()) {
                if (auto c = centres.find({centre}))
                    values.insert(QStringLiteral("DESC_CUSTO"), c->text(QStringLiteral("DESC_CUSTO")));
                else
                    ui.message(MessageKind::Warning, QStringLiteral("Centro de Custo Nao Cadastrado"));
            }
        }
        // The lists: the dependants from the register, the typed ones from
        // the screen.
        QMap<QString, QList<QVariantMap>> items;
        for (auto it = options.lists.begin(); it != options.lists.end(); ++it)
            for (const QString& item : it.value()) items[it.key()].push_back({{QStringLiteral("ITEM"), item}});
        for (const Record& d : Table(db, QStringLiteral("DEPENDE"))
                                   .select(QStringLiteral("CODFUN = ?"), {record.text(QStringLiteral("CODFUN"))},
                                           QStringLiteral("NUMERO")))
            items[QStringLiteral("DEPENDENTES")].push_back(RowOf(d));

        // The document's text, placed; then cut into pages.
        QList<DocumentLine> placed;
        // A loop's block repeats below itself; the lines after it move down
        // by the room the repeats took.
        QMap<QString, QPair<int, int>> blocks; // loop -> first and last line
        for (const DocumentLine& l : lines) {
            if (l.loop.isEmpty()) continue;
            auto& b = blocks[l.loop];
            if (b.first == 0 || l.line < b.first) b.first = l.line;
            b.second = std::max(b.second, l.line);
        }
        for (const DocumentLine& l : lines) {
            int shift = 0;
            for (auto b = blocks.begin(); b != blocks.end(); ++b)
                if (l.loop != b.key() && l.line > b.value().second)
                    shift += std::max<int>(0, int(items.value(b.key()).size()) - 1) * (b.value().second - b.value().first + 1);
            if (l.loop.isEmpty()) {
                placed.push_back({l.line + shift, l.column, Fill(l.text, values), {}});
                continue;
            }
            const auto& list = items.value(l.loop);
            const int height = blocks[l.loop].second - blocks[l.loop].first + 1;
            for (int i = 0; i < list.size(); ++i) {
                QVariantMap itemValues = values;
                for (auto f = list[i].begin(); f != list[i].end(); ++f) itemValues.insert(f.key(), f.value());
                itemValues.insert(QStringLiteral("SEQ"), QString::number(i + 1));
                placed.push_back({l.line + shift + i * height, l.column, Fill(l.text, itemValues), {}});
            }
        }
        // A filled-in line longer than its room (up to the next text on the
        // same line, or the page's edge) wraps at word boundaries; the rows
        // it takes push every later line down.
        std::stable_sort(placed.begin(), placed.end(), [](const DocumentLine& a, const DocumentLine& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        QList<DocumentLine> wrapped;
        int pushed = 0;
        for (qsizetype i = 0; i < placed.size();) {
            qsizetype end = i;
            while (end < placed.size() && placed[end].line == placed[i].line) ++end;
            int rowsTaken = 1;
            for (qsizetype k = i; k < end; ++k) {
                const int edge = k + 1 < end ? placed[k + 1].column - 1 : report.width();
                const QStringList rows = WrapWords(placed[k].text, edge - placed[k].column + 1);
                for (int r = 0; r < rows.size(); ++r)
                    wrapped.push_back({placed[k].line + pushed + r, placed[k].column, rows[r], {}});
                rowsTaken = std::max(rowsTaken, int(rows.size()));
            }
            pushed += rowsTaken - 1;
            i = end;
        }
        placed = wrapped;

        const int perPage = std::max(1, report.linesPerPage());
        int lastLine = 1;
        for (const DocumentLine& p : placed) lastLine = std::max(lastLine, p.line);
        for (int top = 0; top < lastLine; top += perPage) {
            report.clear();
            for (const DocumentLine& p : placed)
                if (p.line > top && p.line <= top + perPage) report.putText(p.line - top, p.column, p.text);
            report.flushPage();
            ++pages;
        }
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
