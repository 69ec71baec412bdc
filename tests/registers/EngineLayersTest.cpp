// The engine libraries link no widget code: no source below them names the
// widget or printing modules.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(EngineLayers, NoWidgetCodeInTheEngineFolders) {
    const QRegularExpression widgetCode(QStringLiteral("#\\s*include\\s*[<\"](QtWidgets|QtPrintSupport|QWidget|QDialog|"
                                                       "QPrinter|QApplication|QMessageBox)"));
    QStringList offenders;
    int files = 0;
    for (const char* folder : {"data", "installation", "session", "console", "routines", "law", "payroll", "leave", "govfiles", "registers", "reports", "demo", "cli", "legacy"}) {
        QDirIterator it(QStringLiteral(FOLHA_SOURCE_DIR "/src/") + QLatin1String(folder), {"*.h", "*.cpp"},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains(QLatin1String("/screens/"))) continue; // the widgets of an area
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
            ++files;
            if (widgetCode.match(QString::fromUtf8(f.readAll())).hasMatch()) offenders << f.fileName();
        }
    }
    EXPECT_GT(files, 50);
    EXPECT_TRUE(offenders.isEmpty()) << offenders.join('\n').toStdString();
}
