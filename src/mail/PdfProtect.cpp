#include "PdfProtect.h"

#include "DbError.h"

#include <QRandomGenerator>

// Only std::shared_ptr in qpdf's interface (no PointerHolder).
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>

namespace folha {

QByteArray ProtectPdf(const QByteArray& pdf, const QString& userPassword, const QString& ownerPassword) {
    if (userPassword.isEmpty()) throw UserError(QStringLiteral("O PDF não pode ser protegido por uma senha vazia."));
    QString owner = ownerPassword;
    if (owner.isEmpty()) {
        quint32 words[8];
        QRandomGenerator::system()->fillRange(words);
        for (quint32 w : words) owner += QString::number(w, 16).rightJustified(8, QLatin1Char('0'));
    }
    const QByteArray user = userPassword.toUtf8();
    const QByteArray ownerBytes = owner.toUtf8();
    try {
        QPDF in;
        in.setSuppressWarnings(true);
        in.processMemoryFile("demonstrativo", pdf.constData(), size_t(pdf.size()));
        QPDFWriter out(in);
        out.setOutputMemory();
        // Fixed identifiers would repeat the same key material; qpdf draws
        // them at random unless told otherwise.
        out.setR6EncryptionParameters(user.constData(), ownerBytes.constData(), true, false, false, false, false,
                                      false, qpdf_r3p_full, true);
        out.write();
        std::unique_ptr<Buffer> buffer(out.getBuffer());
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception& e) {
        throw UserError(QStringLiteral("Não foi possível proteger o PDF: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace folha
