#pragma once

#include "core/Doc.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QWidget>

class AppModel;
class EditorCache;
class PreviewView;


class QHBoxLayout;
class QVBoxLayout;


// The active document: header, notice, plugin actions, find bar, editor
// and preview, diagnostics and the status bar.
class DocPane : public QWidget {
    Q_OBJECT
public:
    DocPane(AppModel& model, EditorCache& editors, QWidget* parent = nullptr);
    ~DocPane() override;
    void setDoc(const DocPtr& doc);
    const DocPtr& doc() const { return doc_; }
    // Called with (anchor name, control) for every popup-opening control.
    std::function<void(const QString&, QWidget*)> reportAnchor;

    QLabel* nameLabel() const { return name_; }
    QWidget* statusBar() const { return status_; }
    QLabel* stripLabel() const { return strip_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void rebuild();
    void refreshTexts();
    void layoutContent();
    QWidget* buildHeader();
    QWidget* buildStatus();
    QWidget* buildFindBar();

    AppModel& model_;
    EditorCache& editors_;
    DocPtr doc_;
    QVBoxLayout* column_;
    QPointer<QWidget> header_, notice_, actions_, find_, status_, stripBox_;
    QPointer<QLabel> name_, dirty_, folder_, caret_, valid_, strip_, stripCount_, badge_;
    QPointer<QWidget> encodingButton_, eolButton_, formatButton_, featureButton_;
    QPointer<QSplitter> split_;
    // Belongs to its controller; taken out before the layout is torn down.
    QPointer<QWidget> editorWidget_;
    QPointer<PreviewView> preview_;
    QPointer<QLineEdit> findField_, replaceField_;
    QPointer<QLabel> findStatus_;
    QList<QMetaObject::Connection> links_;
};
