#include "GovOutput.h"

#include "FileErrors.h"

#include <QDir>
#include <QFileInfo>

namespace folha::gov {

bool ConfirmOverwrite(const QString& systemPath, const QString& localPath, UserInterface& ui) {
    if (!QFileInfo::exists(localPath)) return true;
    return ui.question(QStringLiteral("ARQUIVO ") + systemPath + QStringLiteral(" Ja existe. Regravar ? "));
}

namespace {

void makeFolder(const QString& localPath) {
    const QString dir = QFileInfo(localPath).absolutePath();
    if (!QDir().mkpath(dir)) throw GovFileStop(QStringLiteral("Não foi possível criar a pasta %1: existe um arquivo com esse nome ou falta permissão.").arg(dir));
}

} // namespace

GovOutput::GovOutput(const QString& localPath) : path_(localPath) {
    makeFolder(localPath);
    file_ = std::make_unique<QSaveFile>(localPath);
    file_->setDirectWriteFallback(false);
    if (!file_->open(QIODevice::WriteOnly))
        throw GovFileStop(FileErrorText(*file_, localPath));
}

GovOutput::~GovOutput() {
    if (file_ && file_->isOpen()) file_->cancelWriting();
}

void GovOutput::write(const GovRecord& record) {
    const QByteArray bytes = (record.finish() + QStringLiteral("\r\n")).toLatin1();
    if (file_->write(bytes) != bytes.size())
        throw GovFileStop(FileErrorText(*file_, path_));
    ++counts_[record.type()];
}

void GovOutput::commit() {
    if (!file_->commit())
        throw GovFileStop(FileErrorText(*file_, path_));
}

bool NothingSelected(int companiesWritten, const GovOutput& out, const char* workerType, const QString& systemPath,
                     UserInterface& ui) {
    QString what;
    if (companiesWritten == 0)
        what = QStringLiteral("Nenhuma empresa selecionada");
    else if (out.counts().count(QString::fromLatin1(workerType)) == 0)
        what = QStringLiteral("Nenhum funcionário selecionado");
    else
        return false;
    QString text = what + QStringLiteral(": o arquivo ") + systemPath + QStringLiteral(" não foi gravado.");
    if (QFileInfo::exists(out.path())) text += QStringLiteral(" O arquivo existente foi mantido.");
    ui.message(MessageKind::Warning, text);
    return true;
}

void StopIfCancelled(UserInterface& ui) {
    if (ui.cancelRequested())
        throw GovFileStop(QStringLiteral("Geração do arquivo interrompida pelo usuário: nenhum arquivo foi gravado."));
}

void WriteEmptyFile(const QString& localPath) {
    makeFolder(localPath);
    QSaveFile f(localPath);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly) || !f.commit())
        throw GovFileStop(FileErrorText(f, localPath));
}

AuditEntry SefipAudit(const QString& collectionCode, const GovFileResult& r) {
    return {QStringLiteral("R"), QStringLiteral("Sefip"),
            QStringLiteral("SEFIP gerada, recolhimento %1: %2").arg(collectionCode, CountsText(r.records))};
}

AuditEntry GrrfAudit(const GovFileResult& r) {
    return {QStringLiteral("R"), QStringLiteral("grrf"), QStringLiteral("GRRF gerada: %1").arg(CountsText(r.records))};
}

QString CountsText(const std::map<QString, int>& counts) {
    QStringList parts;
    for (const auto& [type, n] : counts) parts << QStringLiteral("%1: %2").arg(type).arg(n);
    return parts.join(QStringLiteral(", "));
}

} // namespace folha::gov
