#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <functional>

class WindowModel;
class IconButton;
class QHBoxLayout;

// Name, edited state, folder, tag chips, mode buttons, full screen and the feature button.
class PaneHeader : public PaneBar {
    Q_OBJECT
public:
    using AnchorSink = std::function<void(const QString&, QWidget*)>;
    PaneHeader(WindowModel& model, const AnchorSink& reportAnchor, QWidget* parent);
    void setDoc(const DocPtr& doc);
    // Reads everything again from the model and the document.
    void refresh();

    QLabel* nameLabel() const { return name_; }
    QLabel* dirtyLabel() const { return dirty_; }
    QList<IconButton*> modeButtons() const { return modeButtons_; }
    IconButton* fullScreenButton() const { return full_; }
    IconButton* featureButton() const { return feature_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void refreshChips();
    void refreshModes();

    WindowModel& model_;
    DocPtr doc_;
    ColorLabel* name_;
    ColorLabel* dirty_;
    ColorLabel* folder_;
    QHBoxLayout* chips_;
    QStringList shownTags_;
    QHBoxLayout* modes_;
    QList<IconButton*> modeButtons_;
    IconButton* full_;
    IconButton* feature_;
};
