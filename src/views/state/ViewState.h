#pragma once

#include "core/Dialog.h"
#include "core/Prompter.h"
#include "editor/EditorHost.h"
#include "views/state/Popup.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class AppModel;
class QTimer;

// What the window shows around the documents and forgets on exit: the
// question on screen and those waiting behind it, the toast, the open popup,
// full screen, the new-file sheet, the zoom and the multi-caret count. It is
// where the workspace's flows ask and tell, and what the editors draw in.
// Main thread only; setting an equal value emits nothing.
class ViewState : public EditorHost, public Prompter {
    Q_OBJECT
public:
    static constexpr int toastMSecs = 1800;
    static constexpr int featureCloseMSecs = 250;

    // The find bar's state is the window's too; the editors reach it here.
    ViewState(AppModel& model, FindState& find, QObject* parent = nullptr);

    bool isFullScreen() const { return isFullScreen_; }
    bool showNewFile() const { return showNewFile_; }
    const std::optional<Dialog>& dialog() const { return dialog_; }
    const QString& dialogInput() const { return dialogInput_; }
    const std::optional<Popup>& popup() const { return popup_; }
    const std::optional<QString>& toast() const { return toast_; }
    const std::optional<int>& multiCaretCount() const { return multiCaretCount_; }
    // Not stored.
    int zoom() const override { return zoom_; }
    const QList<Dialog>& dialogQueue() const { return dialogQueue_; }

    void setIsFullScreen(bool v);
    // Showing the new-file sheet closes any popup and releases keyboard
    // focus; hiding it gives focus back to the active editor.
    void setShowNewFile(bool v);
    void setDialog(std::optional<Dialog> v);
    void setDialogInput(const QString& v);
    void setPopup(std::optional<Popup> v);
    void setToast(std::optional<QString> v);
    void setMultiCaretCount(std::optional<int> v) override;
    void setZoom(int percent);
    void toggleFullScreen() { setIsFullScreen(!isFullScreen_); }
    FindState& find() override { return find_; }

    // Prompter: a question shows now, or queues behind the one on screen.
    void present(Dialog dialog) override;
    void flash(const QString& text) override;
    QString input() const override { return dialogInput_; }

    // Takes the dialog off the screen, runs the chosen button's action, then
    // shows the next queued dialog or gives focus back to the editor.
    void dismissDialog(std::function<void()> action);
    // Answers the dialog on screen with its button of that title (or role),
    // as the dialog layer and the key monitor do. False when there is none.
    bool chooseButton(const QString& title);
    bool chooseRole(Dialog::Role role);

    // Opens the popup, or closes it when it is the one open.
    void toggle(const Popup& p);
    // The pointer entered or left the feature button or panel.
    void hoverFeature(std::optional<bool> button, std::optional<bool> panel);
    // A click on the feature button: keeps a menu that hovering opened (it
    // then stays when the pointer leaves), otherwise opens or closes it.
    void clickFeature();
    // The open feature menu came from the pointer resting on its button.
    bool featureByHover() const { return featureByHover_; }

signals:
    void fullScreenChanged();
    void showNewFileChanged();
    void dialogChanged();
    void dialogInputChanged();
    void popupChanged();
    void toastChanged();
    void multiCaretCountChanged();

private:
    // Puts the dialog on screen, its field holding the dialog's text.
    void show(Dialog dialog);

    // Its active document and its editors.
    AppModel& model_;
    FindState& find_;
    bool isFullScreen_ = false;
    bool showNewFile_ = false;
    std::optional<Dialog> dialog_;
    QString dialogInput_;
    std::optional<Popup> popup_;
    QList<Dialog> dialogQueue_;
    std::optional<QString> toast_;
    std::optional<int> multiCaretCount_;
    int zoom_ = 100;
    QTimer* toastWork_ = nullptr;
    bool overFeatureButton_ = false;
    bool overFeaturePanel_ = false;
    bool featureByHover_ = false;  // the open feature menu closes when the pointer leaves
};
