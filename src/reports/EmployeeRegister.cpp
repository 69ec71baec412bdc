#include "EmployeeRegister.h"

#include "Session.h"
#include "Table.h"
#include "UserInterface.h"

#include <climits>

namespace folha {

namespace {

// A register's name for a code, trying the code zero-filled to the key's
// width first, then as written; "" when the code is empty or unknown.
QString NameOf(Database& db, const QString& table, const QString& code, int width, const QString& nameField) {
    const QString plain = code.trimmed();
    if (plain.isEmpty() || plain == QLatin1String("0")) return {};
    Table t(db, table);
    auto found = t.find({plain.rightJustified(width, QLatin1Char('0'))});
    if (!found) found = t.find({plain});
    return found ? found->text(nameField).trimmed() : QString();
}

// The bank's name: by the bank register's key, or else by the bank number
// (the register holds one row per agency).
QString BankName(Database& db, const QString& code) {
    const QString name = NameOf(db, QStringLiteral("BANCO"), code, 8, QStringLiteral("NOME"));
    if (!name.isEmpty() || code.trimmed().isEmpty()) return name;
    Table t(db, QStringLiteral("BANCO"));
    const auto rows = t.select(QStringLiteral("NUMERO = ? OR NUMERO = ?"),
                               {code.trimmed().rightJustified(3, QLatin1Char('0')), code.trimmed()},
                               QStringLiteral("COD_BANCO"));
    return rows.empty() ? QString() : rows.front().text(QStringLiteral("NOME")).trimmed();
}

QString Text(const Record& r, const char* field) {
    try {
        return FormatListValue(r.value(QLatin1String(field)), {}).trimmed();
    } catch (const DbError&) {
        return QStringLiteral("?");
    }
}

// A whole number field as its digits ("" for zero or empty).
QString Number(const Record& r, const char* field) {
    try {
        const QString t = FormatListValue(r.value(QLatin1String(field)), QStringLiteral("%1.1d")).trimmed();
        return t == QLatin1String("0") ? QString() : t;
    } catch (const DbError&) {
        return QStringLiteral("?");
    }
}

QString CodeAndName(const QString& code, const QString& name) {
    if (code.isEmpty() || code == QLatin1String("0")) return {};
    return name.isEmpty() ? code : code + QStringLiteral(" - ") + name;
}

void PutSheet(Database& db, TextReport& report, const Record& r) {
    int line = report.pageHeader(EmployeeRegisterCaption) + 1;
    report.requireLines(line);
    auto put = [&](int column, const QString& label, const QString& value) {
        report.putText(line, column, label + value);
    };
    put(2, QStringLiteral("Código.........: "), Text(r, "CODFUN"));
    ++line;
    put(2, QStringLiteral("Nome...........: "), Text(r, "NOME"));
    ++line;
    put(2, QStringLiteral("Endereço.......: "), Text(r, "ENDERECO"));
    ++line;
    put(2, QStringLiteral("Bairro.........: "), Text(r, "BAIRRO"));
    put(46, QStringLiteral("CEP: "), Text(r, "CEP"));
    ++line;
    put(2, QStringLiteral("Cidade.........: "), Text(r, "CIDADE"));
    put(46, QStringLiteral("UF: "), Text(r, "UF"));
    put(56, QStringLiteral("Fone: "), Text(r, "FONE"));
    line += 2;
    put(2, QStringLiteral("CTPS...........: "), Number(r, "NR_CART"));
    put(46, QStringLiteral("Série: "), Number(r, "SERIE"));
    ++line;
    put(2, QStringLiteral("PIS............: "), Number(r, "NR_PIS"));
    put(46, QStringLiteral("CPF: "), Number(r, "NR_CPF"));
    ++line;
    put(2, QStringLiteral("RG.............: "), Text(r, "RG"));
    put(46, QStringLiteral("Título Eleitor: "), Text(r, "TIT_ELEI"));
    ++line;
    put(2, QStringLiteral("Nascimento.....: "), Text(r, "DT_NASC"));
    put(46, QStringLiteral("Sexo: "), Text(r, "SEXO"));
    put(56, QStringLiteral("Estado Civil: "), Text(r, "EST_CIVIL"));
    ++line;
    put(2, QStringLiteral("Pai............: "), Text(r, "NOMEPAI"));
    ++line;
    put(2, QStringLiteral("Mãe............: "), Text(r, "NOMEMAE"));
    line += 2;
    put(2, QStringLiteral("Admissão.......: "), Text(r, "DT_ADMIS"));
    QString salary;
    try {
        salary = FormatListValue(r.value(QStringLiteral("VLR_SALAR")), QStringLiteral("%14.2n")).trimmed();
    } catch (const DbError&) {
        salary = QStringLiteral("?");
    }
    put(46, QStringLiteral("Salário: "), salary);
    ++line;
    const QString cargo = Number(r, "CARGO");
    put(2, QStringLiteral("Cargo..........: "),
        CodeAndName(cargo, NameOf(db, QStringLiteral("Cargos"), cargo, 3, QStringLiteral("NOME_CARGO"))));
    ++line;
    const QString custo = Text(r, "CENTCUSTO");
    put(2, QStringLiteral("Centro de Custo: "),
        CodeAndName(custo, NameOf(db, QStringLiteral("centcust"), custo, 0, QStringLiteral("DESC_CUSTO"))));
    ++line;
    const QString sind = Number(r, "COD_SIND");
    put(2, QStringLiteral("Sindicato......: "),
        CodeAndName(sind, NameOf(db, QStringLiteral("SINDICAT"), sind, 3, QStringLiteral("NOME_SIND"))));
    ++line;
    const QString banco = Number(r, "COD_BANCO");
    put(2, QStringLiteral("Banco..........: "),
        CodeAndName(banco, BankName(db, banco)));
    put(56, QStringLiteral("Conta: "), Number(r, "NR_CONTA"));
    line += 2;

    report.putText(line, 2, QStringLiteral("Dependentes"));
    ++line;
    report.putText(line, 2, QStringLiteral("Núm."));
    report.putText(line, 8, QStringLiteral("Nome do Dependente"));
    report.putText(line, 52, QStringLiteral("Nascimento"));
    ++line;
    int count = 0;
    Table depende(db, QStringLiteral("DEPENDE"));
    depende.forEach(
        QStringLiteral("CODFUN = ?"), {r.value(QStringLiteral("CODFUN"))},
        [&](const Record& d) {
            report.putText(line, 2, Text(d, "NUMERO"));
            report.putText(line, 8, Text(d, "NOME_DEPEN"));
            report.putText(line, 52, Text(d, "DT_NASC"));
            ++line;
            ++count;
            return true;
        },
        QStringLiteral("NUMERO"));
    if (count == 0) report.putText(line++, 8, QStringLiteral("Nenhum dependente"));
    report.flushPage(line - 1);
}

} // namespace

ListingResult ComposeEmployeeRegister(Session& session, UserInterface& ui, const EmployeeRegisterOptions& options,
                                      TextReport& report) {
    ListingResult result;
    Database& db = session.folha();
    Table cadfun(db, QStringLiteral("CADFUN"));
    if (options.order == ListingOrder::Name) cadfun.setIndex(QStringLiteral("NOMEFUNCIONARIO"));
    // Codes typed as digits are taken zero-filled to the code's six places.
    const auto code = [](const QString& typed) {
        const QString t = typed.trimmed();
        bool digits = !t.isEmpty();
        for (QChar ch : t) digits = digits && ch.isDigit();
        return digits ? t.rightJustified(6, QLatin1Char('0')) : t;
    };
    QStringList where;
    QVariantList params;
    if (!options.first.trimmed().isEmpty()) {
        where << QStringLiteral("CODFUN >= ?");
        params << code(options.first);
    }
    if (!options.last.trimmed().isEmpty()) {
        where << QStringLiteral("CODFUN <= ?");
        params << code(options.last);
    }
    const QString condition = where.join(QStringLiteral(" AND "));
    const qint64 total = cadfun.count(condition, params);
    ui.progressStart(EmployeeRegisterCaption, int(std::min<qint64>(total, INT_MAX)));
    cadfun.forEach(condition, params, [&](const Record& r) {
        if (ui.cancelRequested()) {
            result.cancelled = true;
            return false;
        }
        PutSheet(db, report, r);
        ++result.rows;
        ui.progressStep(result.rows);
        return true;
    });
    ui.progressEnd();
    return result;
}

} // namespace folha
