#include "DemoBuilder.h"

#include "Rubricas.h"

#include "PayrollRun.h"
#include "Termination.h"
#include "Thirteenth.h"
#include "Vacation.h"

#include "IniFile.h"
#include "Passwords.h"
#include "Table.h"

#include <QDir>
#include <QFileInfo>
#include <map>

namespace folha::demo {

namespace {

struct DemoCompany {
    int code;
    const char* name;
    const char* directory;
};

const DemoCompany companies[] = {
    {1, "ZORVAN DEMONSTRACAO INDUSTRIA LTDA", "folha\\emp1\\"},
    {2, "COMERCIAL MODELO DEMONSTRACAO LTDA", "folha\\emp2\\"},
    {3, "ZORVAN SERVICOS DEMONSTRACAO 2026 LTDA", "folha\\emp3\\"},
};

} // namespace

bool DemoBuilder::installationExists() const {
    return session_.installed();
}

void DemoBuilder::insertRows(Database& db, const QList<DemoRow>& rows) {
    std::map<QString, std::unique_ptr<Table>> tables;
    for (const auto& row : rows) {
        auto& t = tables[row.table.toLower()];
        if (!t) t = std::make_unique<Table>(db, row.table);
        Record r = t->newRecord();
        for (const auto& [field, value] : row.values) r.set(field, value);
        try {
            t->insert(r);
        } catch (const DbError& e) {
            QStringList key;
            for (const auto& k : r.def().primaryKey) key << r.text(k);
            throw DbError(QStringLiteral("%1 [%2]: %3").arg(row.table, key.join(','), e.message()));
        }
    }
}

namespace {

void setSheet(Database& db, const char* branchCode, const char* sheet) {
    Table filial(db, QStringLiteral("Filial"));
    Record branch = *filial.find({QLatin1String(branchCode)});
    branch.set("TIPO_FOL", QLatin1String(sheet));
    filial.update(branch);
}

void setPeriod(Database& db, const char* branchCode, const QDate& payrollDate, const char* sheet) {
    Table filial(db, QStringLiteral("Filial"));
    Record branch = *filial.find({QLatin1String(branchCode)});
    branch.set("DATA_FOLHA", payrollDate);
    branch.set("DATAPROCES", payrollDate);
    branch.set("TIPO_FOL", QLatin1String(sheet));
    filial.update(branch);
}

// Enters a dismissal: the employee's register fields and the leave row.
void enterDismissal(Database& db, const DemoDismissal& d) {
    Transaction t(db);
    Table cadfun(db, QStringLiteral("CADFUN"));
    Record employee = *cadfun.find({d.employee});
    for (const auto& [field, value] : d.fields) employee.set(field, value);
    cadfun.update(employee);
    DemoBuilder::insertRows(db, {d.leave});
    t.commit();
}

// The month's special calculations as the office leaves them: April's
// vacation (employee 12) and termination (employee 13) in the first company,
// December's 13th salary in the second company's second branch. The third
// company has December 2025's 13th salary, then in January 2026 a vacation,
// a termination and the monthly payroll with the family allowance.
void calculateDemoMonth(Database& db, int company, UserInterface& out) {
    // Only what goes wrong is told; the closing notices are not.
    struct Quiet : UserInterface {
        explicit Quiet(UserInterface& u) : ui(u) {}
        void message(MessageKind kind, const QString& text, const QString& title) override {
            if (kind != MessageKind::Information) ui.message(kind, text, title);
        }
        bool question(const QString& text, QuestionKind kind, const QString& title) override {
            return ui.question(text, kind, title);
        }
        void log(const QString& line) override { ui.log(line); }
        UserInterface& ui;
    } ui(out);
    leave::LeaveOptions o;
    if (company == 1) {
        o.branchCode = QStringLiteral("001");
        setSheet(db, "001", "I");
        leave::VacationCalc(db, ui).run(o);
        setSheet(db, "001", "F");
        leave::TerminationCalc(db, ui).run(o);
    } else if (company == 2) {
        o.branchCode = QStringLiteral("002");
        leave::ThirteenthCalc(db, ui).run(o);
    } else {
        o.branchCode = QStringLiteral("001");
        leave::ThirteenthCalc(db, ui).run(o); // 31/12/2025, sheet "D"
        enterDismissal(db, dismissalOfJanuary2026());
        setPeriod(db, "001", QDate(2026, 1, 31), "I");
        leave::VacationCalc(db, ui).run(o);
        setSheet(db, "001", "F");
        leave::TerminationCalc(db, ui).run(o);
        payroll::RunOptions monthly;
        monthly.branchCode = o.branchCode;
        monthly.familyAllowance = true;
        monthly.automaticMode = true;
        monthly.closingNotice = false;
        payroll::PayrollRun(db, ui).run(monthly);
    }
}

} // namespace

void DemoBuilder::writeConfiguration(UserInterface& ui) {
    const Installation& inst = session_.installation();
    session_.setCreateMissing(true);
    // Configuration files of the program folder.
    QDir().mkpath(inst.programDir());
    const QString aliases = inst.programFile(QStringLiteral("Aliases.ini"));
    WriteIniFileValue(aliases, QStringLiteral("Folha"), QStringLiteral("PATH"), QStringLiteral("c:\\folha\\"));
    const QString type = session_.onServer() ? QStringLiteral("POSTGRES") : QStringLiteral("SQLITE");
    WriteIniFileValue(aliases, QStringLiteral("Folha"), QStringLiteral("TYPE"), type);
    WriteIniFileValue(aliases, QStringLiteral("Zorvan"), QStringLiteral("PATH"),
                      Installation::ProgramFolder + QStringLiteral("\\Zorvan\\"));
    WriteIniFileValue(aliases, QStringLiteral("Zorvan"), QStringLiteral("TYPE"), type);
    WriteIniFileValue(inst.programFile(QStringLiteral("versao.ini")), QStringLiteral("Folha"), QStringLiteral("Versao"),
                      QStringLiteral("1.0"));
    session_.startUp(ui);
}

void DemoBuilder::buildEmpty(UserInterface& ui) {
    if (installationExists())
        throw DbError(QStringLiteral("Já existe uma instalação em %1").arg(session_.installation().root()));
    writeConfiguration(ui);
    session_.signInDb().ensureSchema(Scope::SignIn);
    session_.companyListDb().ensureSchema(Scope::CompanyList);
    session_.zorvan().ensureSchema(Scope::Shared);
    session_.loadLaw(); // the legal tables the program brings
}

void DemoBuilder::buildDemo(UserInterface& ui) {
    if (installationExists())
        throw DbError(QStringLiteral("Já existe uma instalação em %1").arg(session_.installation().root()));
    writeConfiguration(ui);

    const int steps = 4 + int(std::size(companies));
    int step = 0;
    ui.progressStart(QStringLiteral("Criando a instalação de demonstração"), steps);

    // Sign-in database.
    {
        Database& db = session_.signInDb();
        db.ensureSchema(Scope::SignIn);
        Transaction t(db);
        QList<DemoRow> rows;
        rows << DemoRow{"Usuarios",
                        {{"Codigo", QString::fromLatin1(SupervisorCode)},
                         {"Nome", QStringLiteral("ADMINISTRADOR")},
                         {"Senha", HashPassword(QString::fromLatin1(SupervisorPassword))},
                         {"Nivel", QStringLiteral("SUP")},
                         {"Ativo", QStringLiteral("S")}}};
        rows << DemoRow{"Usuarios",
                        {{"Codigo", QStringLiteral("000002")},
                         {"Nome", QStringLiteral("OPERADOR FILIAL")},
                         {"Senha", HashPassword(QStringLiteral("operador"))},
                         {"Nivel", QStringLiteral("USU")},
                         {"Ativo", QStringLiteral("S")}}};
        rows << DemoRow{"UsuariosPorEmpresa", {{"Usuario", QStringLiteral("000002")}, {"Empresa", 2}}};
        insertRows(db, rows);
        t.commit();
    }
    ui.progressStep(++step);

    // Company list.
    {
        Database& db = session_.companyListDb();
        db.ensureSchema(Scope::CompanyList);
        Transaction t(db);
        QList<DemoRow> rows;
        for (const auto& c : companies)
            rows << DemoRow{"EmpresaFOLHA",
                            {{"Codigo", c.code}, {"Nome", QString::fromLatin1(c.name)}, {"Diretorio", QString::fromLatin1(c.directory)}}};
        insertRows(db, rows);
        t.commit();
    }
    ui.progressStep(++step);

    // Shared database: branch parameters and the audit log catalogue.
    {
        Database& db = session_.zorvan();
        db.ensureSchema(Scope::Shared);
        Transaction t(db);
        QList<DemoRow> rows;
        for (int filial : {1, 2})
            rows << DemoRow{"ParametrosEmpresa",
                            {{"filial", filial},
                             {"CodParametro", 1},
                             {"DescParametro", QStringLiteral("Pasta de impressão temporária")},
                             {"NomeParametro", QStringLiteral("DirImpTmp")},
                             {"ValorStr", QString()}}};
        insertRows(db, rows);
        t.commit();
    }
    session_.loadLaw(); // the legal tables the program brings
    ui.progressStep(++step);

    // Company data directories.
    for (const auto& c : companies) {
        auto db = session_.openCompanyDirectory(session_.companyDirectory(QString::fromLatin1(c.directory)), true);
        db->ensureSchema(Scope::Company);
        Transaction t(*db);
        insertRows(*db, branchRows(c.code));
        insertRows(*db, commonCompanyRows());
        insertRows(*db, employeeRows(c.code));
        t.commit();
        // The event chart's eSocial mapping, proposed from its flags and roles.
        esocial::ProposeMissingRubricas(*db);
        calculateDemoMonth(*db, c.code, ui);
        ui.progressStep(++step);
    }
    ui.progressStep(++step);
    ui.progressEnd();
}

void DemoBuilder::buildSyntheticCompany(Database& db, int employees, UserInterface* ui) {
    db.ensureSchema(Scope::Company);
    {
        Transaction t(db);
        QList<DemoRow> branch = branchRows(1);
        insertRows(db, branch);
        insertRows(db, commonCompanyRows());
        t.commit();
    }
    if (ui) ui->progressStart(QStringLiteral("Criando funcionários"), employees);
    const int batch = 1000;
    for (int start = 0; start < employees; start += batch) {
        Transaction t(db);
        QList<DemoRow> rows;
        for (int i = start; i < std::min(employees, start + batch); ++i) {
            QString code = QStringLiteral("%1").arg(i + 1, 6, 10, QChar('0'));
            rows << syntheticEmployee(code, i);
            rows += syntheticEvents(code, i);
        }
        insertRows(db, rows);
        t.commit();
        if (ui) ui->progressStep(std::min(employees, start + batch));
    }
    if (ui) ui->progressEnd();
}

} // namespace folha::demo
