#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "core/Doc.h"

class WindowModel;
class Appearance;
class QMimeData;
class EditorCache;
class DocPane;
class DocSwitcher;
class DocSwitchList;
class DialogLayer;
class PopupLayer;
class NewFileSheet;
class QLabel;
class QStackedWidget;
class QtFileChooser;
class Sidebar;

// The single window: sidebar, main pane and the layers above them.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int defaultWidth = 1180;
    static constexpr int defaultHeight = 760;

    MainWindow(WindowModel& model, EditorCache& editors);
    ~MainWindow() override;

    // Restores the session, then opens the files handed over on the command line.
    void start(const QStringList& files);
    void openFiles(const QStringList& files);
    // Quits after asking about unsaved documents; nothing while a dialog is up.
    void requestQuit();
    // The keyboard rules while a dialog or the new-file sheet is shown; true when consumed.
    bool filterKey(QKeyEvent* e);

    DocPane* docPane() const { return pane_; }
    Sidebar* sidebar() const { return sidebar_; }
    DialogLayer* dialogLayer() const { return dialogs_; }
    PopupLayer* popupLayer() const { return popups_; }
    QLabel* toastLabel() const { return toast_; }
    QLabel* emptyState() const { return empty_; }
    Appearance* appearance() const { return appearance_; }
    DocSwitcher* switcher() const { return switcher_; }
    DocSwitchList* switchList() const { return switchList_; }
    // One step of the editor's and the preview's zoom (0: back to 100 %), with a toast.
    void zoom(int by);
    // The local files among dropped URLs.
    static QStringList localFiles(const QMimeData* mime);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMenus();
    // The line, selection and Markdown commands in the 编辑 menu.
    void addEditCommands(QMenu* edit);
    void syncActive();
    void syncTitle();
    void restyle();
    void syncToast();
    void syncSheet();
    void restoreFrame();
    void showSettings();
    // Ctrl+Tab and Ctrl+Shift+Tab walk the documents; releasing Ctrl opens the one
    // highlighted, Escape ends the walk without switching.
    bool switchKey(QEvent* e);
    // Pictures dropped on a Markdown document's text are linked there instead
    // of opened; false when the drop is not that.
    bool dropPictures(QWidget* target, const QPoint& at, const QStringList& files);

    WindowModel& model_;
    EditorCache& editors_;
    std::unique_ptr<QtFileChooser> chooser_;
    QWidget* content_ = nullptr;
    Sidebar* sidebar_ = nullptr;
    Appearance* appearance_ = nullptr;
    DocSwitcher* switcher_ = nullptr;
    DocSwitchList* switchList_ = nullptr;
    DocPtr titled_;
    QMetaObject::Connection titleLink_;
    QPointer<QWidget> focusBeforePopup_;
    QStackedWidget* stack_ = nullptr;
    QLabel* empty_ = nullptr;
    DocPane* pane_ = nullptr;
    PopupLayer* popups_ = nullptr;
    DialogLayer* dialogs_ = nullptr;
    QWidget* sheetLayer_ = nullptr;
    NewFileSheet* sheet_ = nullptr;
    QLabel* toast_ = nullptr;
    bool quitConfirmed_ = false;
};
