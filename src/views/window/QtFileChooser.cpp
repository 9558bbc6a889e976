#include "views/window/QtFileChooser.h"

#include "plugins/PluginRegistry.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

QString QtFileChooser::filters()
{
    // Every file first: names without an extension are common (README, Makefile).
    QStringList out{QStringLiteral("所有文件 (*)")};
    QStringList known;
    for (const FormatPlugin& p : PluginRegistry::all()) {
        if (p.extensions.isEmpty())
            continue;
        QStringList globs;
        for (const QString& e : p.extensions)
            globs << QStringLiteral("*.") + e;
        known << globs;
        out << p.displayName + QStringLiteral(" (") + globs.join(u' ') + u')';
    }
    out.insert(1, QStringLiteral("支持的格式 (") + known.join(u' ') + u')');
    return out.join(QStringLiteral(";;"));
}

// Without a window manager handing it back, the window stayed inactive after the
// panel closed: typing still landed but no menu key worked.
void QtFileChooser::giveBackKeyboard()
{
    if (window_)
        window_->activateWindow();
}

void QtFileChooser::chooseFilesToOpen(std::function<void(QStringList)> done)
{
    const QStringList paths = QFileDialog::getOpenFileNames(window_, QStringLiteral("打开"), QString(), filters());
    giveBackKeyboard();
    done(paths);
}

void QtFileChooser::chooseSaveLocation(const QString& suggestedName, const QString& directory,
                                       std::function<void(std::optional<QString>)> done)
{
    const QString dir = directory.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                            : directory;
    const QString path = QFileDialog::getSaveFileName(window_, QStringLiteral("保存"),
                                                      QDir(dir).filePath(suggestedName), filters());
    giveBackKeyboard();
    if (path.isEmpty())
        done(std::nullopt);
    else
        done(path);
}
