#include "views/pane/DocPane.h"

#include "core/AppModel.h"
#include "views/pane/ActionBar.h"
#include "views/pane/EditorArea.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/NoticeBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"

#include <QVBoxLayout>

DocPane::DocPane(AppModel& model, EditorCache& editors, const AnchorSink& reportAnchor, QWidget* parent)
    : QWidget(parent), model_(model)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    header_ = new PaneHeader(model_, reportAnchor, this);
    notice_ = new NoticeBar(model_, editors, this);
    actions_ = new ActionBar(editors, this);
    find_ = new FindBar(model_, editors, this);
    goTo_ = new GoToLineBar(editors, this);
    area_ = new EditorArea(model_, editors, this);
    status_ = new PaneStatusBar(model_, editors, reportAnchor, this);
    column->addWidget(header_);
    column->addWidget(notice_);
    column->addWidget(actions_);
    column->addWidget(find_);
    column->addWidget(goTo_);
    column->addWidget(area_, 1);
    column->addWidget(status_);

    connect(&model_, &AppModel::changed, this, [this](AppModel::Field f) {
        using F = AppModel::Field;
        switch (f) {
        case F::tags:
        case F::isFullScreen:
        case F::popup:
        case F::findVisible:
        case F::settings:
            header_->refresh();
            status_->refresh();
            break;
        case F::multiCaretCount:
            header_->refresh();
            area_->refresh();
            status_->refresh();
            break;
        case F::caretInfo: status_->refresh(); break;
        default: break;
        }
    });
}

void DocPane::setDoc(const DocPtr& doc)
{
    if (doc == doc_)
        return;
    disconnect(link_);
    doc_ = doc;
    if (doc_)
        link_ = connect(doc_.get(), &Doc::changed, this, &DocPane::docChanged);
    header_->setDoc(doc_);
    actions_->setDoc(doc_);
    find_->setDoc(doc_);
    goTo_->setDoc(doc_);
    area_->setDoc(doc_);
    // After the editor area, which makes the editor that may show long lines cut.
    notice_->setDoc(doc_);
    status_->setDoc(doc_);
}

void DocPane::docChanged(Doc::Field f)
{
    using F = Doc::Field;
    switch (f) {
    case F::text:
        header_->refresh();
        notice_->refresh();
        break;
    case F::savedText:
    case F::metaDirty: header_->refresh(); break;
    case F::notice: notice_->refresh(); break;
    case F::mode:
        header_->refresh();
        area_->refresh();
        notice_->refresh();
        break;
    case F::diagnostics:
        area_->refresh();
        status_->refresh();
        break;
    case F::preview: break;
    default:
        // Name, path, tags, encoding and line ending: the header, the format actions and the status bar.
        header_->refresh();
        actions_->refresh();
        area_->refresh();
        status_->refresh();
        break;
    }
}
