#include "FileErrors.h"

#include <QDir>
#include <QFileInfo>

namespace folha {

QString FileErrorText(const QFileDevice& file, const QString& path) {
    const QFileInfo info(path);
    QString why;
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        why = QStringLiteral("sem permissão de gravação");
        break;
    case QFileDevice::ResourceError:
        why = QStringLiteral("disco cheio ou sem recursos para gravar");
        break;
    case QFileDevice::OpenError:
        if (info.isDir())
            why = QStringLiteral("existe uma pasta com esse nome");
        else if (!info.absoluteDir().exists())
            why = QStringLiteral("a pasta não existe");
        else
            why = QStringLiteral("o arquivo não pôde ser aberto (sem permissão ou em uso)");
        break;
    case QFileDevice::WriteError:
        why = QStringLiteral("erro de gravação no disco");
        break;
    case QFileDevice::ReadError:
        why = QStringLiteral("erro de leitura no disco");
        break;
    case QFileDevice::RenameError:
    case QFileDevice::CopyError:
        why = QStringLiteral("o arquivo anterior não pôde ser substituído (sem permissão ou em uso)");
        break;
    default:
        why = QStringLiteral("erro do sistema de arquivos");
        break;
    }
    return QStringLiteral("Não foi possível gravar o arquivo %1: %2.").arg(path, why);
}

} // namespace folha
