#include "views/window/MainWindow.h"

#include "views/controls/ControlColors.h"
#include "core/AppModel.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "editor/Palette.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/PopupContent.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/DocPane.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sidebar/Sidebar.h"
#include "views/window/Appearance.h"
#include "views/window/QtFileChooser.h"
#include "views/window/QtTranslations.h"
#include "views/controls/Fade.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPropertyAnimation>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Veil with the new-file sheet centred near the top.
class SheetLayer : public QWidget {
public:
    SheetLayer(QWidget* parent, NewFileSheet*& sheet, AppModel& model) : QWidget(parent)
    {
        sheet = new NewFileSheet(model, this);
        sheet_ = sheet;
        hide();
    }
    void place() { sheet_->move((width() - sheet_->width()) / 2, 60); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0, 0, 0, 71)); }
    void resizeEvent(QResizeEvent*) override
    {
        sheet_->adjustSize();
        place();
    }
    void mousePressEvent(QMouseEvent*) override {}

private:
    NewFileSheet* sheet_;
};

}

MainWindow::MainWindow(AppModel& model, EditorCache& editors)
    : model_(model), editors_(editors), chooser_(std::make_unique<QtFileChooser>(this))
{
    setWindowTitle(QStringLiteral("Lorvane"));
    setMinimumSize(760, 480);
    setAcceptDrops(true);
    model_.setWindow(this);
    model_.setFileChooser(chooser_.get());
    model_.setEditorLink(&editors_);

    QtTranslations::install();
    appearance_ = new Appearance(this);
    model_.setApplySettingsHook([this](const Settings& s) {
        appearance_->apply(s.appearance);
        editors_.applyStyle();
    });
    model_.applySettings();

    content_ = new QWidget(this);
    content_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(content_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    popups_ = new PopupLayer(model_, [this](const Popup& p) { return PopupContent::build(model_, p); }, content_);
    sidebar_ = new Sidebar(model_, [this](const QString& anchor, QWidget* w) { popups_->setAnchor(anchor, w); }, content_);
    sidebar_->setFixedWidth(Sidebar::fixedWidth);
    row->addWidget(sidebar_);

    stack_ = new QStackedWidget(content_);
    empty_ = new QLabel(stack_);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setFont(AppFonts::sans(14));
    pane_ = new DocPane(model_, editors_, [this](const QString& anchor, QWidget* w) { popups_->setAnchor(anchor, w); }, stack_);
    stack_->addWidget(empty_);
    stack_->addWidget(pane_);
    row->addWidget(stack_, 1);
    setCentralWidget(content_);

    dialogs_ = new DialogLayer(model_, content_);
    sheetLayer_ = new SheetLayer(content_, sheet_, model_);
    toast_ = new QLabel(content_);
    toast_->setFont(AppFonts::sans(13));
    toast_->hide();
    toast_->setAttribute(Qt::WA_TransparentForMouseEvents);
    restyle();
    connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this, &MainWindow::restyle);

    connect(&model_, &AppModel::changed, this, [this](AppModel::Field f) {
        using F = AppModel::Field;
        if (f == F::activeID || f == F::docs)
            syncActive();
        else if (f == F::toast)
            syncToast();
        else if (f == F::showNewFile)
            syncSheet();
        else if (f == F::isFullScreen)
            sidebar_->setVisible(!model_.isFullScreen());
        else if (f == F::popup && model_.popup() && !focusBeforePopup_)
            focusBeforePopup_ = QApplication::focusWidget();
        else if (f == F::popup && !model_.popup())
            // A popup that took the keyboard (the tag field) gives it back where it was.
            QTimer::singleShot(0, this, [this] {
                QPointer<QWidget> before = focusBeforePopup_;
                focusBeforePopup_ = nullptr;
                QWidget* w = QApplication::focusWidget();
                if (model_.popup() || model_.dialog() || model_.showNewFile() || (w && w == before))
                    return;
                if (before && before->isVisible())
                    before->setFocus(Qt::PopupFocusReason);
                else if (DocPtr d = model_.active())
                    if (auto* c = editors_.existing(d->id))
                        c->focus();
            });
    });
    EditorCache::escapeHandler() = [this] { model_.escape(); };
    qApp->installEventFilter(this);
    buildMenus();
    restoreFrame();
    syncActive();
}

MainWindow::~MainWindow()
{
    model_.setApplySettingsHook(nullptr);
    qApp->removeEventFilter(this);
    EditorCache::escapeHandler() = nullptr;
    QSettings().setValue(QStringLiteral("LorvaneMain"), saveGeometry());
    model_.setFileChooser(nullptr);
    model_.setWindow(nullptr);
}

void MainWindow::restoreFrame()
{
    const QByteArray saved = QSettings().value(QStringLiteral("LorvaneMain")).toByteArray();
    if (!saved.isEmpty() && restoreGeometry(saved)) {
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(frameGeometry()))
                return;
    }
    resize(defaultWidth, defaultHeight);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void MainWindow::start(const QStringList& files)
{
    model_.restore();
    openFiles(files);
    syncActive();
}

void MainWindow::openFiles(const QStringList& files)
{
    for (const QString& f : files)
        model_.open(QFileInfo(f).absoluteFilePath());
    if (!files.isEmpty()) {
        raise();
        activateWindow();
    }
}

void MainWindow::buildMenus()
{
    const auto active = [this] { return model_.active(); };
    const auto add = [this](QMenu* m, const QString& title, const QKeySequence& key, std::function<void()> run) {
        QAction* a = m->addAction(title);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [run] { run(); });
        return a;
    };
    QMenu* app = menuBar()->addMenu(QStringLiteral("Lorvane"));
    add(app, QStringLiteral("关于 Lorvane"), {}, [this] {
        model_.alert(QStringLiteral("Lorvane " LORVANE_VERSION),
                     QStringLiteral("纯文本与结构化文本编辑器。\n\n"
                                    "编辑引擎 QScintilla（GPL-3）· 字体 IBM Plex（SIL OFL 1.1）· 图标 Lucide（ISC）\n"
                                    "界面 Qt 6 · 编码 ICU\n"
                                    "以 GPL-3.0-or-later 许可发布"));
    });
    app->addSeparator();
    add(app, QStringLiteral("设置…"), QKeySequence(QStringLiteral("Ctrl+,")), [this] { showSettings(); });
    app->addSeparator();
    add(app, QStringLiteral("退出 Lorvane"), QKeySequence(QStringLiteral("Ctrl+Q")), [this] { requestQuit(); });

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    add(file, QStringLiteral("新建…"), QKeySequence(QStringLiteral("Ctrl+N")), [this] { model_.setShowNewFile(true); });
    add(file, QStringLiteral("打开…"), QKeySequence(QStringLiteral("Ctrl+O")), [this] { model_.openPanel(); });
    file->addSeparator();
    QList<QAction*> needDoc;
    needDoc << add(file, QStringLiteral("保存"), QKeySequence(QStringLiteral("Ctrl+S")), [this, active] {
        if (auto d = active())
            model_.save(d, false);
    });
    needDoc << add(file, QStringLiteral("另存为…"), QKeySequence(QStringLiteral("Ctrl+Shift+S")), [this, active] {
        if (auto d = active())
            model_.save(d, true);
    });
    file->addSeparator();
    needDoc << add(file, QStringLiteral("重命名…"), {}, [this, active] {
        if (auto d = active())
            model_.askRename(d);
    });
    file->addSeparator();
    needDoc << add(file, QStringLiteral("关闭文件"), QKeySequence(QStringLiteral("Ctrl+W")), [this, active] {
        if (auto d = active())
            model_.close(d);
    });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑"));
    const auto forward = [this](const char* slot) {
        return [slot] {
            if (QWidget* w = QApplication::focusWidget())
                QMetaObject::invokeMethod(w, slot);
        };
    };
    add(edit, QStringLiteral("撤销"), QKeySequence::Undo, forward("undo"));
    add(edit, QStringLiteral("重做"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")), forward("redo"));
    edit->addSeparator();
    add(edit, QStringLiteral("剪切"), QKeySequence::Cut, forward("cut"));
    add(edit, QStringLiteral("拷贝"), QKeySequence::Copy, forward("copy"));
    add(edit, QStringLiteral("粘贴"), QKeySequence::Paste, forward("paste"));
    add(edit, QStringLiteral("全选"), QKeySequence::SelectAll, forward("selectAll"));
    for (QAction* a : edit->actions())
        a->setShortcutContext(Qt::WidgetShortcut);  // the focused widget handles these keys itself
    edit->addSeparator();
    needDoc << add(edit, QStringLiteral("搜索"), QKeySequence(QStringLiteral("Ctrl+F")), [this] { model_.openFind(false); });
    needDoc << add(edit, QStringLiteral("搜索并替换"), QKeySequence(QStringLiteral("Ctrl+Shift+F")), [this] { model_.openFind(true); });
    const auto stepFind = [this, active](int by) {
        return [this, active, by] {
            auto d = active();
            if (!d)
                return;
            if (!model_.findVisible())
                model_.openFind(false);
            else if (auto* c = editors_.existing(d->id))
                c->step(by);
        };
    };
    needDoc << add(edit, QStringLiteral("查找下一个"), QKeySequence(QStringLiteral("Ctrl+G")), stepFind(1));
    needDoc << add(edit, QStringLiteral("查找上一个"), QKeySequence(QStringLiteral("Ctrl+Shift+G")), stepFind(-1));
    edit->addSeparator();
    needDoc << add(edit, QStringLiteral("拆分为行"), QKeySequence(QStringLiteral("Ctrl+Shift+L")), [this, active] {
        if (auto d = active())
            editors_.toggleMultiCaret(d);
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("显示"));
    QList<std::pair<QAction*, ViewMode>> modeItems;
    for (int i = 0; i < ViewMode::allCases().size(); ++i) {
        const ViewMode m = ViewMode::allCases()[i];
        QAction* a = add(view, m.title(), QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)), [active, m] {
            if (auto d = active(); d && d->plugin().offers(m))
                d->setMode(m);
        });
        a->setCheckable(true);
        modeItems << std::pair{a, m};
    }
    view->addSeparator();
    QAction* full = add(view, QStringLiteral("正文全屏"), QKeySequence(QStringLiteral("F11")), [this] { model_.toggleFullScreen(); });
    full->setCheckable(true);
    QAction* wrap = add(view, QStringLiteral("自动换行"), QKeySequence(QStringLiteral("Ctrl+Alt+W")), [this] {
        Settings s = model_.settings();
        s.wordWrap = !s.wordWrap;
        model_.setSettings(s);
    });
    wrap->setCheckable(true);

    QMenu* window = menuBar()->addMenu(QStringLiteral("窗口"));
    add(window, QStringLiteral("最小化"), QKeySequence(QStringLiteral("Ctrl+M")), [this] { showMinimized(); });
    add(window, QStringLiteral("缩放"), {}, [this] { isMaximized() ? showNormal() : showMaximized(); });

    // Validation whenever a menu opens, and before shortcuts run.
    const auto validate = [this, needDoc, modeItems, full, wrap] {
        const DocPtr d = model_.active();
        for (QAction* a : needDoc)
            a->setEnabled(bool(d));
        for (const auto& [a, m] : modeItems) {
            a->setEnabled(d && d->plugin().offers(m));
            a->setChecked(d && d->mode() == m);
        }
        full->setChecked(model_.isFullScreen());
        wrap->setChecked(model_.settings().wordWrap);
    };
    for (QMenu* m : {file, edit, view})
        connect(m, &QMenu::aboutToShow, this, validate);
    connect(&model_, &AppModel::changed, this, validate);
    validate();
}

void MainWindow::showSettings()
{
    model_.setIsFullScreen(false);
    QTimer::singleShot(0, this, [this] { model_.setPopup(Popup::settings()); });
}

void MainWindow::syncActive()
{
    const DocPtr d = model_.active();
    if (d != titled_) {
        disconnect(titleLink_);
        titled_ = d;
        if (d)
            titleLink_ = connect(d.get(), &Doc::changed, this, [this](Doc::Field f) {
                if (f == Doc::Field::name)
                    syncTitle();
            });
    }
    pane_->setDoc(d);
    stack_->setCurrentWidget(d ? static_cast<QWidget*>(pane_) : empty_);
    syncTitle();
}

void MainWindow::syncTitle()
{
    setWindowTitle(titled_ ? titled_->name() + QStringLiteral(" — Lorvane") : QStringLiteral("Lorvane"));
}

void MainWindow::restyle()
{
    empty_->setText(QStringLiteral("<span style='color:%1'>没有打开的文件</span><br><span style='font-family:\"IBM Plex Mono\",monospace;"
                                   "font-size:12px;color:%2'>Ctrl+N 新建 · Ctrl+O 打开</span>")
                        .arg(Palette::fg2().resolve().name(), Palette::fg3().resolve().name()));
    toast_->setStyleSheet(QStringLiteral("background:%1;color:%2;border:1px solid %3;border-radius:10px;padding:8px 16px;")
                              .arg(cssColor(Palette::window().resolve()), cssColor(Palette::fg().resolve()), cssColor(Palette::line().resolve())));
}

void MainWindow::syncToast()
{
    if (const auto& t = model_.toast()) {
        toast_->setText(*t);
        toast_->adjustSize();
        toast_->move((content_->width() - toast_->width()) / 2, content_->height() - toast_->height() - 48);
        const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(toast_->graphicsEffect());
        const bool appearing = !toast_->isVisible() || (effect && effect->opacity() < 1.0);
        toast_->show();
        toast_->raise();
        if (appearing)
            Fade::run(toast_, true);
    } else if (toast_->isVisible()) {
        Fade::run(toast_, false);
    }
}

void MainWindow::syncSheet()
{
    if (model_.showNewFile()) {
        sheet_->reset();
        sheetLayer_->setGeometry(content_->rect());
        sheetLayer_->show();
        sheetLayer_->raise();
        Fade::run(sheetLayer_, true);
        static_cast<SheetLayer*>(sheetLayer_)->place();
    } else {
        sheetLayer_->hide();
    }
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    if (sheetLayer_->isVisible())
        sheetLayer_->setGeometry(content_->rect());
    syncToast();
}

bool MainWindow::filterKey(QKeyEvent* e)
{
    const int key = e->key();
    const bool escape = key == Qt::Key_Escape;
    const bool confirm = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (const auto& d = model_.dialog()) {
        if (escape) {
            const Dialog::Button* chosen = nullptr;
            for (const auto& b : d->buttons)
                if (b.role == Dialog::Role::cancel && !chosen)
                    chosen = &b;
            if (!chosen && d->buttons.size() == 1)
                chosen = &d->buttons.front();
            if (chosen)
                model_.dismissDialog(chosen->action);
            return true;
        }
        if (confirm) {
            for (const auto& b : d->buttons)
                if (b.role == Dialog::Role::primary) {
                    model_.dismissDialog(b.action);
                    break;
                }
            return true;
        }
        if (e->modifiers() & Qt::ControlModifier)
            return false;
        return !d->input.has_value();
    }
    if (model_.showNewFile() && escape) {
        model_.setShowNewFile(false);
        return true;
    }
    // Wherever the keyboard is, Escape closes an open popup first.
    if (model_.popup() && escape) {
        model_.setPopup(std::nullopt);
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject* o, QEvent* e)
{
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) && o->isWidgetType()
        && static_cast<QWidget*>(o)->window() == this) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool blocking = model_.dialog() || ((model_.showNewFile() || model_.popup()) && k->key() == Qt::Key_Escape);
        if (blocking) {
            if (e->type() == QEvent::ShortcutOverride) {
                // Keys we consume must not trigger menu shortcuts either.
                if (!(k->modifiers() & Qt::ControlModifier)) {
                    e->accept();
                    return false;
                }
                return false;
            }
            return filterKey(k);
        }
    }
    // Files dropped anywhere in the window, the text included, are opened rather than inserted.
    if ((e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop) && o->isWidgetType()
        && static_cast<QWidget*>(o)->window() == this) {
        auto* d = static_cast<QDropEvent*>(e);
        const QStringList files = localFiles(d->mimeData());
        if (!files.isEmpty()) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
            if (e->type() == QEvent::Drop)
                openFiles(files);
            return true;
        }
    }
    return QMainWindow::eventFilter(o, e);
}

void MainWindow::requestQuit()
{
    if (model_.dialog())
        return;
    model_.confirmQuit([this](bool ok) {
        if (!ok)
            return;
        quitConfirmed_ = true;
        QTimer::singleShot(0, qApp, [] { QApplication::quit(); });
    });
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (quitConfirmed_) {
        e->accept();
        return;
    }
    e->ignore();
    requestQuit();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

QStringList MainWindow::localFiles(const QMimeData* mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl& u : mime->urls())
            if (u.isLocalFile())
                files << u.toLocalFile();
    return files;
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const QStringList files = localFiles(e->mimeData());
    if (!files.isEmpty()) {
        e->acceptProposedAction();
        openFiles(files);
    }
}
