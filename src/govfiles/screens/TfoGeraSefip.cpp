#include "TfoGeraSefip.h"

#include "AuditLog.h"
#include "GovCompanyGrid.h"
#include "GovOutput.h"
#include "JobScreen.h"
#include "Sefip.h"
#include "Session.h"
#include "Table.h"
#include "TfoGeraSefipValores.h"
#include "TypedInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoGeraSefip::Caption = QStringLiteral("Zorvan - Geração da SEFIP:");
const QString TfoGeraSefip::ScreenName = QStringLiteral("TfoGeraSefip");

namespace {
const QStringList SheetItems = {QStringLiteral("F - Folha"),           QStringLiteral("I - Férias"),
                                QStringLiteral("D - 13º Salário"),     QStringLiteral("A - Adiantamento"),
                                QStringLiteral("P - Provisão Férias"), QStringLiteral("Q - Provisão 13º Salário")};
} // namespace

QLineEdit* TfoGeraSefip::edit(const QString& name, const QString& text, int width) {
    auto* box = new QLineEdit(text, this);
    box->setObjectName(name);
    box->setMaximumWidth(width);
    return box;
}

TfoGeraSefip::TfoGeraSefip(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    // The month, the sheet, the employees and the PIS range.
    auto* left = new QGridLayout;
    top->addLayout(left);
    int row = 0;
    auto add = [&](QGridLayout* grid, int& r, const QString& caption, QWidget* w) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(w);
        grid->addWidget(label, r, 0);
        grid->addWidget(w, r, 1);
        ++r;
    };
    competence_ = edit(QStringLiteral("eMCompetencia"), {}, 80);
    competence_->setInputMask(QStringLiteral("99/9999"));
    add(left, row, QStringLiteral("Competência"), competence_);
    sheet_ = new QComboBox(this);
    sheet_->setObjectName(QStringLiteral("eCbxTipoFolha"));
    sheet_->addItems(SheetItems);
    sheet_->setEnabled(false);
    add(left, row, QStringLiteral("Tipo Folha"), sheet_);
    employees_ = new ui::EmployeeRange(session_, ui_, QStringLiteral("Funcionário Inicial"),
                                       QStringLiteral("Funcionário Final"), ui::EmployeeRange::CodeStyle::Digits, this);
    // Either lookup puts the chosen code into both fields.
    disconnect(employees_->lastButton(), nullptr, employees_, nullptr);
    connect(employees_->lastButton(), &QToolButton::clicked, employees_, &ui::EmployeeRange::pickFirst);
    left->addWidget(employees_, row++, 0, 1, 2);
    pisFrom_ = edit(QStringLiteral("ePisInicial"), QStringLiteral("00000000000"), 110);
    pisTo_ = edit(QStringLiteral("ePisFinal"), QStringLiteral("99999999999"), 110);
    pisFrom_->setMaxLength(11);
    pisTo_->setMaxLength(11);
    add(left, row, QStringLiteral("Pis Inicial"), pisFrom_);
    add(left, row, QStringLiteral("Pis Final"), pisTo_);
    individual_ = new QCheckBox(QStringLiteral("Recol. Individual."), this);
    individual_->setObjectName(QStringLiteral("chkwRecIndiv"));
    oldCbo_ = new QCheckBox(QStringLiteral("CBO Antigo"), this);
    oldCbo_->setObjectName(QStringLiteral("chkwCBOAntigo"));
    left->addWidget(individual_, row++, 0, 1, 2);
    left->addWidget(oldCbo_, row++, 0, 1, 2);
    left->setRowStretch(row, 1);

    // The collection and the responsible party.
    auto* right = new QGridLayout;
    top->addLayout(right);
    int rrow = 0;
    // The usual values of the layout: code 115 (the monthly collection),
    // remittance 1 (the SEFIP file), both collections on time (1); the
    // branch's code and modality replace the first two below.
    collection_ = edit(QStringLiteral("evCod_Recol"), QStringLiteral("115"), 60);
    modality_ = edit(QStringLiteral("evModalidade"), QString(), 60);
    modality_->setMaxLength(1);
    modality_->setToolTip(QStringLiteral("Branco = recolhimento ao FGTS e declaração à Previdência, "
                                         "1 = declaração ao FGTS e à Previdência, 9 = confirmação de informações anteriores"));
    remittance_ = edit(QStringLiteral("evTipo_Remes"), QStringLiteral("1"), 40);
    remittance_->setMaxLength(1);
    fgtsIndicator_ = edit(QStringLiteral("evInd_FGTS"), QStringLiteral("1"), 40);
    fgtsIndicator_->setMaxLength(1);
    fgtsIndicator_->setToolTip(QStringLiteral("1 = no prazo, 2 = em atraso (informe a data)"));
    fgtsDate_ = GovDateBox(QStringLiteral("evDtaPagFGTS"), this);
    inssIndicator_ = edit(QStringLiteral("evInd_INSS"), QStringLiteral("1"), 40);
    inssIndicator_->setMaxLength(1);
    inssIndicator_->setToolTip(QStringLiteral("1 = no prazo, 2 = em atraso (informe a data), 3 = não gera GPS"));
    inssDate_ = GovDateBox(QStringLiteral("evDtaPagINSS"), this);
    collection_->setMaxLength(3);
    add(right, rrow, QStringLiteral("Cod. Recolhimento"), collection_);
    add(right, rrow, QStringLiteral("Modal"), modality_);
    add(right, rrow, QStringLiteral("Tipo Remessa"), remittance_);
    add(right, rrow, QStringLiteral("Ind. Recolhimento FGTS"), fgtsIndicator_);
    add(right, rrow, QStringLiteral("Data Recolhimento FGTS"), fgtsDate_);
    add(right, rrow, QStringLiteral("Ind. Recol. INSS"), inssIndicator_);
    add(right, rrow, QStringLiteral("Data Recol. INSS"), inssDate_);
    auto* responsibleGroup = new QGroupBox(QStringLiteral("Responsável"), this);
    auto* responsibleGrid = new QGridLayout(responsibleGroup);
    responsible_ = new ResponsibleField(session_, ui_, ScreenName, QStringLiteral("evCod_Res"), responsibleGroup);
    int grow = 0;
    add(responsibleGrid, grow, QStringLiteral("Codigo"), responsible_);
    right->addWidget(responsibleGroup, rrow++, 0, 1, 2);
    right->setRowStretch(rrow, 1);

    const GovScreenFoot foot = AddGovScreenFoot(session_, this, layout, [this] { generate(); });
    several_ = foot.severalCompanies;
    companies_ = foot.companies;

    // The month, the sheet, and the collection code and modality of the
    // branch open: a company whose branch differs from them is left out of
    // the file.
    try {
        if (auto branch = Table(session_.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session_)})) {
            const QDate d = branch->date("DATA_FOLHA");
            if (d.isValid()) competence_->setText(d.toString(QStringLiteral("MM/yyyy")));
            const QString sheet = branch->text("TIPO_FOL").trimmed();
            sheet_->setCurrentIndex(-1);
            for (int i = 0; i < SheetItems.size(); ++i)
                if (!sheet.isEmpty() && SheetItems[i].startsWith(sheet)) sheet_->setCurrentIndex(i);
            const QString code = branch->text("COD_RFGTS").trimmed();
            if (!code.isEmpty()) collection_->setText(code);
            // A blank modality is one of the file's modalities.
            modality_->setText(branch->text("MODALIDADE").trimmed());
        }
    } catch (const std::exception&) {
        // A branch that cannot be read leaves the defaults; the run says why.
    }
    employees_->restore(ScreenName);
    ui::MoveOnWithEnter(this);
}

void TfoGeraSefip::done(int result) {
    employees_->remember(ScreenName);
    responsible_->remember();
    QDialog::done(result);
}

bool TfoGeraSefip::generate() {
    const UiOwner owner(ui_, this);
    employees_->remember(ScreenName);
    responsible_->remember();
    gov::GovFileResult result;
    gov::SefipOptions o;
    try {
        gov::TickedCompanies companies = companies_->open();
        o.branchCode = CurrentBranchKey(session_);
        const QString competence = competence_->text();
        o.competence = competence == QLatin1String("/") ? QString() : competence;
        o.sheet = sheet_->currentIndex() >= 0 ? sheet_->currentText().left(1) : QString();
        o.pisFrom = TypedPis(pisFrom_->text(), QStringLiteral("Pis Inicial"));
        o.pisTo = TypedPis(pisTo_->text(), QStringLiteral("Pis Final"));
        o.individual = individual_->isChecked();
        o.employeeListFolder = session_.installation().programDir();
        o.oldCbo = oldCbo_->isChecked();
        o.collectionCode = collection_->text();
        o.modality = modality_->text();
        o.remittanceType = remittance_->text();
        o.fgtsIndicator = fgtsIndicator_->text();
        o.fgtsDate = GovDateOf(fgtsDate_, QStringLiteral("Data Recolhimento FGTS"));
        o.inssIndicator = inssIndicator_->text();
        o.inssDate = GovDateOf(inssDate_, QStringLiteral("Data Recol. INSS"));
        o.responsible = responsible_->box()->text();
        o.closingNotice = false;
        for (const auto& g : companies.list) {
            gov::SefipCompany s;
            static_cast<gov::GovCompany&>(s) = g;
            o.companies.push_back(s);
        }
        o.askAdditional = [this](const gov::SefipCompany& company) {
            return TfoGeraSefip_RecebeValoresEmpresa::ask(ui_, company, this);
        };
        o.outputPath = session_.installation().localPath(gov::SefipRun::SystemPath);
        gov::SefipRun run(session_.folha(), ui_);
        result = run.run(o);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    if (!result.written) return false;
    WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName,
                    gov::SefipAudit(o.collectionCode, result), session_.signIn.CurrentUserCode, ui_);
    AnnounceGovFile(ui_, result);
    accept();
    return true;
}

QWidget* TfoGeraSefip::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoGeraSefip(session, ui, parent);
}

} // namespace folha
