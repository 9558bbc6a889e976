#pragma once

#include "core/Doc.h"
#include "views/pane/PaneParts.h"

#include <QPointer>

class WindowModel;
class EditorCache;
class EditorController;
class TextButton;

// That the document's snapshot cannot be written; else the notice of a
// document restored from its snapshot: changed on disk, or moved away; else
// that its editor shows long lines cut.
class NoticeBar : public PaneBar {
    Q_OBJECT
public:
    NoticeBar(WindowModel& model, EditorCache& editors, QWidget* parent);
    void setDoc(const DocPtr& doc);
    void refresh();
    QLabel* message() const { return message_; }

private:
    WindowModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    QPointer<EditorController> followed_;
    QMetaObject::Connection safeDisplay_;
    ColorLabel* message_;
    TextButton* disk_;
    TextButton* keep_;
    TextButton* ok_;
};
