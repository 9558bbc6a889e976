#include "views/pane/DocPane.h"

#include "views/pane/ActionBar.h"
#include "views/pane/EditorArea.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/NoticeBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/state/WindowModel.h"

#include <QVBoxLayout>

DocPane::DocPane(WindowModel& model, EditorCache& editors, const AnchorSink& reportAnchor, QWidget* parent)
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

    const auto chrome = [this] {
        header_->refresh();
        status_->refresh();
    };
    connect(&model_.tagStore(), &TagStore::tagsChanged, this, chrome);
    for (const auto signal : {&ViewState::fullScreenChanged, &ViewState::popupChanged})
        connect(&model_.view(), signal, this, chrome);
    connect(&model_.session(), &SessionStore::settingsChanged, this, chrome);
    connect(&model_.find(), &FindState::visibleChanged, this, chrome);
    connect(&model_.view(), &ViewState::multiCaretCountChanged, this, [this] {
        header_->refresh();
        area_->refresh();
        status_->refresh();
    });
}

void DocPane::setDoc(const DocPtr& doc)
{
    if (doc == doc_)
        return;
    for (const auto& c : links_)
        disconnect(c);
    links_.clear();
    doc_ = doc;
    if (doc_)
        follow(doc_.get());
    header_->setDoc(doc_);
    actions_->setDoc(doc_);
    find_->setDoc(doc_);
    goTo_->setDoc(doc_);
    area_->setDoc(doc_);
    // After the editor area, which makes the editor that may show long lines cut.
    notice_->setDoc(doc_);
    status_->setDoc(doc_);
}

void DocPane::follow(Doc* d)
{
    // A keystroke changes none of these: what shows the unsaved mark follows
    // modifiedChanged, the editor shows the text itself.
    links_ << connect(d, &Doc::modifiedChanged, header_, &PaneHeader::refresh);
    links_ << connect(d, &Doc::noticeChanged, notice_, &NoticeBar::refresh);
    // A mode with an editor may make that editor now: the bars follow it.
    links_ << connect(d, &Doc::modeChanged, this, [this] {
        header_->refresh();
        area_->refresh();
        notice_->refresh();
        status_->refresh();
    });
    links_ << connect(d, &Doc::diagnosticsChanged, this, [this] {
        area_->refresh();
        status_->refresh();
    });
    // Name, path, tags, encoding, line ending and wrap: the header, the format
    // actions and the status bar.
    const auto described = [this] {
        header_->refresh();
        actions_->refresh();
        area_->refresh();
        status_->refresh();
    };
    for (const auto signal : {&Doc::nameChanged, &Doc::urlChanged, &Doc::tagsChanged, &Doc::encodingChanged,
                              &Doc::eolChanged, &Doc::originalNameChanged, &Doc::wrapChanged})
        links_ << connect(d, signal, this, described);
}
