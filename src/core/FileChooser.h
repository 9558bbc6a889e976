#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The file panels. The product shows the platform's dialogs (window-modal on
// the main window); tests answer with a scripted chooser.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // Several files, no directories. `done` receives the chosen absolute
    // paths in the panel's order; cancelling gives an empty list.
    virtual void chooseFilesToOpen(std::function<void(QStringList)> done) = 0;
    // One target file for saving, proposed as `suggestedName` inside
    // `directory` (empty: the panel's default). Cancelling gives nullopt.
    virtual void chooseSaveLocation(const QString& suggestedName, const QString& directory,
                                    std::function<void(std::optional<QString>)> done) = 0;
};
