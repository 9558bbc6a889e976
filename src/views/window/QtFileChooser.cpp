#include "views/window/QtFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

void QtFileChooser::chooseFilesToOpen(std::function<void(QStringList)> done)
{
    const QStringList paths = QFileDialog::getOpenFileNames(window_, QStringLiteral("打开"));
    done(paths);
}

void QtFileChooser::chooseSaveLocation(const QString& suggestedName, const QString& directory,
                                       std::function<void(std::optional<QString>)> done)
{
    const QString dir = directory.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : directory;
    const QString path = QFileDialog::getSaveFileName(window_, QStringLiteral("保存"), QDir(dir).filePath(suggestedName));
    if (path.isEmpty())
        done(std::nullopt);
    else
        done(path);
}
