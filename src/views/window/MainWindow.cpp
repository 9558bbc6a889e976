#include "views/window/MainWindow.h"

#include "core/FileIO.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "editor/Palette.h"
#include "render/PreviewPage.h"
#include "views/controls/ControlColors.h"
#include "views/controls/Fade.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/PopupContent.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/DocPane.h"
#include "views/preview/PreviewEngine.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/ShortcutSheet.h"
#include "views/sidebar/Sidebar.h"
#include "views/state/WindowModel.h"
#include "views/window/Appearance.h"
#include "views/window/DocSwitchList.h"
#include "views/window/DocSwitcher.h"
#include "views/window/QtFileChooser.h"
#include "views/window/QtTranslations.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPropertyAnimation>
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
    SheetLayer(QWidget* parent, NewFileSheet*& sheet, WindowModel& model) : QWidget(parent)
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

MainWindow::MainWindow(WindowModel& model, EditorCache& editors)
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
        // The pages' choice is the whole program's: the preview and every export.
        PreviewPage::setRemoteImages(s.remoteImages);
        appearance_->apply(s.appearance);
        editors_.applyStyle();
    });
    model_.applySettings();

    content_ = new QWidget(this);
    content_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(content_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    popups_ = new PopupLayer(
        model_,
        [this](const Popup& p) -> QWidget* {
            if (p.kind() == Popup::Kind::shortcuts)
                return new ShortcutSheet(menuBar(), actions());
            return PopupContent::build(model_, p);
        },
        content_);
    sidebar_ = new Sidebar(
        model_, [this](const QString& anchor, QWidget* w) { popups_->setAnchor(anchor, w); }, content_);
    sidebar_->setFixedWidth(Sidebar::fixedWidth);
    popups_->setAnchorFinder(
        [this](const QString& anchor, const QWidget* in) { return sidebar_->anchorRect(anchor, in); });
    row->addWidget(sidebar_);

    stack_ = new QStackedWidget(content_);
    empty_ = new QLabel(stack_);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setFont(AppFonts::sans(14));
    pane_ = new DocPane(
        model_, editors_, [this](const QString& anchor, QWidget* w) { popups_->setAnchor(anchor, w); }, stack_);
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
    // Drawn diagrams (or a new theme for them) reach the previews that hold diagrams.
    connect(&PreviewEvents::shared(), &PreviewEvents::diagramsChanged, this, [this] {
        for (const DocPtr& doc : model_.docs())
            if (doc->preview().kind == PreviewState::Kind::html
                && doc->preview().text.contains(QLatin1String("<div class=\"mermaid\"")))
                doc->scheduleAnalysis(0);
    });

    connect(&model_.documents(), &DocumentModel::activeChanged, this, &MainWindow::syncActive);
    connect(&model_.documents(), &DocumentModel::listChanged, this, &MainWindow::syncActive);
    connect(&model_.view(), &ViewState::toastChanged, this, &MainWindow::syncToast);
    connect(&model_.view(), &ViewState::showNewFileChanged, this, &MainWindow::syncSheet);
    connect(&model_.view(), &ViewState::fullScreenChanged, this,
            [this] { sidebar_->setVisible(!model_.isFullScreen()); });
    connect(&model_.view(), &ViewState::popupChanged, this, [this] {
        if (model_.popup() && !focusBeforePopup_)
            focusBeforePopup_ = QApplication::focusWidget();
        else if (!model_.popup())
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
    switcher_ = new DocSwitcher(model_, this);
    switchList_ = new DocSwitchList(model_, *switcher_, content_);
    switcher_->onWalkChange = [this] { switchList_->sync(); };
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
    QStringList paths;
    for (const QString& f : files)
        paths << QFileInfo(f).absoluteFilePath();
    model_.openFiles(paths);
    if (!files.isEmpty()) {
        raise();
        activateWindow();
    }
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
            titleLink_ = connect(d.get(), &Doc::nameChanged, this, &MainWindow::syncTitle);
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
    empty_->setText(
        QStringLiteral(
            "<span style='color:%1'>没有打开的文件</span><br><span style='font-family:\"IBM Plex Mono\",monospace;"
            "font-size:12px;color:%2'>Ctrl+N 新建 · Ctrl+O 打开</span>")
            .arg(Palette::fg2().resolve().name(), Palette::fg3().resolve().name()));
    toast_->setStyleSheet(
        QStringLiteral("background:%1;color:%2;border:1px solid %3;border-radius:10px;padding:8px 16px;")
            .arg(cssColor(Palette::window().resolve()), cssColor(Palette::fg().resolve()),
                 cssColor(Palette::line().resolve())));
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
    if (model_.dialog())
        return dialogs_->handleKey(e);
    const bool escape = e->key() == Qt::Key_Escape;
    if (model_.showNewFile()) {
        if (escape) {
            model_.setShowNewFile(false);
            return true;
        }
        // Keys pressed while the keyboard is still behind the veil go to the form.
        if (!sheet_->isAncestorOf(QApplication::focusWidget())) {
            sheet_->nameField()->setFocus(Qt::OtherFocusReason);
            QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), ushort(e->count()));
            QCoreApplication::sendEvent(sheet_->nameField(), &copy);
            return true;
        }
        return false;
    }
    // Wherever the keyboard is, Escape closes an open popup first; the popup owns the arrows.
    if (model_.popup()) {
        if (escape) {
            model_.setPopup(std::nullopt);
            return true;
        }
        return popups_->handleKey(e);
    }
    return false;
}

bool MainWindow::eventFilter(QObject* o, QEvent* e)
{
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) && o->isWidgetType()
        && static_cast<QWidget*>(o)->window() == this) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool blocking = model_.dialog()
            || (model_.showNewFile() && !sheet_->isAncestorOf(static_cast<QWidget*>(o)))
            || ((model_.showNewFile() || model_.popup()) && k->key() == Qt::Key_Escape)
            || (model_.popup() && PopupLayer::isPopupKey(k));
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
    if (o->isWidgetType() && static_cast<QWidget*>(o)->window() == this && switchKey(e))
        return true;
    // Files dropped anywhere in the window, the text included, are opened rather than inserted.
    if ((e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop)
        && o->isWidgetType() && static_cast<QWidget*>(o)->window() == this) {
        auto* d = static_cast<QDropEvent*>(e);
        const QStringList files = localFiles(d->mimeData());
        if (!files.isEmpty()) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
            if (e->type() == QEvent::Drop && !dropPictures(static_cast<QWidget*>(o), d->position().toPoint(), files))
                openFiles(files);
            return true;
        }
    }
    return QMainWindow::eventFilter(o, e);
}

bool MainWindow::dropPictures(QWidget* target, const QPoint& at, const QStringList& files)
{
    const DocPtr d = model_.active();
    EditorController* c = d && d->plugin().id == QLatin1String("markdown") ? editors_.existing(d->id) : nullptr;
    if (!c || (target != c->widget() && !c->widget()->isAncestorOf(target)))
        return false;
    for (const QString& f : files)
        if (FileIO::contentKind(f) != ContentKind::image)
            return false;
    QWidget* viewport = c->textView()->viewport();
    c->dropImages(files, viewport->mapFromGlobal(target->mapToGlobal(at)));
    return true;
}

bool MainWindow::switchKey(QEvent* e)
{
    const auto type = e->type();
    if (type == QEvent::WindowDeactivate) {
        switcher_->cancel();
        return false;
    }
    if (type == QEvent::KeyRelease && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Control) {
        switcher_->commit();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Escape && switcher_->walking()) {
        if (type == QEvent::KeyPress)
            switcher_->cancel();
        e->accept();
        return true;
    }
    const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
    if (!tab || !(k->modifiers() & Qt::ControlModifier) || model_.dialog() || model_.showNewFile())
        return false;
    if (type == QEvent::KeyPress)
        switcher_->walk(k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier) ? -1 : 1);
    e->accept();
    return true;
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
