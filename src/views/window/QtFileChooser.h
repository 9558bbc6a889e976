#pragma once

#include "core/FileChooser.h"

#include <QPointer>
#include <QWidget>

// The desktop's file dialogs, modal on the main window.
class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget* window) : window_(window) {}
    void chooseFilesToOpen(std::function<void(QStringList)> done) override;
    void chooseSaveLocation(const QString& suggestedName, const QString& directory,
                            std::function<void(std::optional<QString>)> done) override;
    // "所有文件" first, then the supported formats together and one by one.
    static QString filters();

private:
    void giveBackKeyboard();
    QPointer<QWidget> window_;
};
