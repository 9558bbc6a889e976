#include "views/pane/NoticeBar.h"

#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"
#include "views/state/WindowModel.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>

NoticeBar::NoticeBar(WindowModel& model, EditorCache& editors, QWidget* parent)
    : PaneBar(34, parent), model_(model), editors_(editors)
{
    setFill(Palette::selection());
    auto* sign = new IconButton(QStringLiteral("exclamationmark.triangle"), QString(), {}, this);
    sign->setAttribute(Qt::WA_TransparentForMouseEvents);
    sign->setOn(true);
    row()->addWidget(sign);
    message_ = new ColorLabel(QString(), Palette::fg(), 12.5, false, this);
    row()->addWidget(message_);
    row()->addStretch(1);
    disk_ = new TextButton(
        QStringLiteral("使用磁盘版本"), QString(),
        [this] {
            if (doc_)
                model_.loadDiskVersion(doc_);
        },
        this);
    // Keeping the typed text and acknowledging both only close the notice.
    const auto dismiss = [this] {
        if (doc_)
            doc_->setNotice(std::nullopt);
    };
    keep_ = new TextButton(QStringLiteral("保留暂留内容"), QString(), dismiss, this);
    ok_ = new TextButton(
        QStringLiteral("知道了"), QString(),
        [this, dismiss] {
            if (!doc_ || doc_->notice()) {
                dismiss();
                return;
            }
            if (EditorController* c = editors_.existing(doc_->id))
                c->dismissSafeNotice();
            refresh();
        },
        this);
    for (auto* b : {disk_, keep_, ok_})
        row()->addWidget(b);
    hide();
}

void NoticeBar::setDoc(const DocPtr& doc)
{
    doc_ = doc;
    refresh();
}

void NoticeBar::refresh()
{
    // Long lines can turn up with any edit: the editor says when.
    EditorController* shown = doc_ ? editors_.existing(doc_->id) : nullptr;
    if (shown != followed_) {
        disconnect(safeDisplay_);
        followed_ = shown;
        if (shown)
            safeDisplay_ = connect(shown, &EditorController::safeDisplayEntered, this, &NoticeBar::refresh);
    }
    // The unsaved text has no copy on disk: that comes first, and goes
    // once a snapshot is written.
    if (const auto failure = doc_ ? doc_->snapshotFailure() : std::nullopt) {
        setVisible(true);
        message_->setText(QStringLiteral("无法暂留未保存的内容：") + *failure);
        for (auto* b : {disk_, keep_, ok_})
            b->hide();
        return;
    }
    const auto notice = doc_ ? doc_->notice() : std::nullopt;
    const EditorController* editor = doc_ && !notice ? editors_.existing(doc_->id) : nullptr;
    const bool cut = editor && editor->safeNoticePending();
    setVisible(notice.has_value() || cut);
    if (!notice) {
        if (cut) {
            message_->setText(EditorController::safeNoticeText());
            disk_->hide();
            keep_->hide();
            ok_->show();
        }
        return;
    }
    const bool changed = *notice != DocNotice::missing;
    if (*notice == DocNotice::diskChanged)
        message_->setText(QStringLiteral("暂留期间磁盘上的文件已被修改，当前显示的是暂留内容。"));
    else if (*notice == DocNotice::changedOutside)
        message_->setText(QStringLiteral("磁盘上的文件刚被其他程序修改，当前显示的是你未保存的编辑。"));
    else if (doc_->url() && !QFileInfo(*doc_->url()).absoluteDir().exists())
        // Saving cannot recreate the file where its folder is gone.
        message_->setText(QStringLiteral("原文件已被移动或删除，所在的文件夹也已不存在，请用“另存为…”保存到别处。"));
    else
        message_->setText(QStringLiteral("原文件已被移动或删除，保存时将在原位置重新创建。"));
    keep_->setText(*notice == DocNotice::changedOutside ? QStringLiteral("保留我的编辑")
                                                        : QStringLiteral("保留暂留内容"));
    disk_->setVisible(changed);
    keep_->setVisible(changed);
    ok_->setVisible(!changed);
}
