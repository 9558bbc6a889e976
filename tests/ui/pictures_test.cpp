// Pictures and the text: a pasted picture is stored beside a Markdown
// document and linked, a dropped picture file is linked rather than opened,
// and a picture (or a pipe) dropped anywhere else is never opened as text.
#include "PageScript.h"
#include "WindowFixture.h"
#include "views/pane/EditorArea.h"

#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <sys/stat.h>

namespace {

struct Pictures : WindowFixture {
    // Into the text at its end, as the user clicks and presses Ctrl+End.
    void caretToEnd(const DocPtr& d)
    {
        QTest::mouseClick(view(d)->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
        key(Qt::Key_End, Qt::ControlModifier);
    }
    static QImage picture(int w, int h)
    {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(QColor(30, 120, 200));
        return img;
    }
    static QStringList stored(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    }
};

const QRegularExpression pastedName(QStringLiteral("^图片-\\d{8}-\\d{6}(-\\d+)?\\.png$"));

}

TEST_F(Pictures, CtrlVStoresThePictureBesideTheDocumentLinksItAndThePreviewShowsIt)
{
    const DocPtr doc = open(QStringLiteral("我的 笔记.md"), "# 标题\n\n");
    caretToEnd(doc);
    QApplication::clipboard()->setImage(picture(37, 23));
    key(Qt::Key_V, Qt::ControlModifier);

    const QString folder = dir.filePath(QStringLiteral("我的 笔记.assets"));
    QStringList files = stored(folder);
    ASSERT_EQ(files.size(), 1) << folder.toStdString();
    EXPECT_TRUE(pastedName.match(files[0]).hasMatch()) << files[0].toStdString();
    QImageReader reader(folder + QLatin1Char('/') + files[0]);
    EXPECT_EQ(reader.format(), QByteArray("png"));
    EXPECT_EQ(reader.read().size(), QSize(37, 23));
    const QString first = QStringLiteral("![](我的%20笔记.assets/") + files[0] + u')';
    EXPECT_EQ(doc->text(), QStringLiteral("# 标题\n\n") + first);

    // A second paste in the same second gets a name of its own; one undo takes it out whole.
    key(Qt::Key_Return);
    QApplication::clipboard()->setImage(picture(12, 40));
    key(Qt::Key_V, Qt::ControlModifier);
    QStringList now = stored(folder);
    ASSERT_EQ(now.size(), 2);
    now.removeAll(files[0]);
    ASSERT_EQ(now.size(), 1);
    EXPECT_TRUE(pastedName.match(now[0]).hasMatch()) << now[0].toStdString();
    EXPECT_EQ(doc->text(),
              QStringLiteral("# 标题\n\n") + first + QStringLiteral("\n![](我的%20笔记.assets/") + now[0] + u')');
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("# 标题\n\n") + first + u'\n');

    // The preview draws the stored picture at its size.
    key(Qt::Key_2, Qt::ControlModifier);
    EditorArea* area = window->docPane()->area();
    ASSERT_TRUE(waitUntil([&] { return area->preview() != nullptr; }, 10000));
    auto* preview = dynamic_cast<PreviewView*>(area->preview());
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(waitUntil([&] { return preview->isReady(); }, 20000));
    EXPECT_TRUE(waitForScript(*preview,
                              QStringLiteral("document.images.length===1&&document.images[0].complete"
                                             "&&document.images[0].naturalWidth===37")))
        << evaluate(*preview, QStringLiteral("document.body.innerHTML")).toString().toStdString();
}

TEST_F(Pictures, APictureGoesOnlyIntoMarkdownAndANewDocumentIsSavedFirst)
{
    QApplication::clipboard()->setImage(picture(8, 8));
    const DocPtr plain = open(QStringLiteral("plain.txt"), "text");
    caretToEnd(plain);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(plain->text(), QStringLiteral("text"));
    EXPECT_EQ(model->toast(), QStringLiteral("只有 Markdown 文档可以粘贴图片"));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("plain.assets"))).exists());

    // Never saved: the save panel comes first; declined, nothing happens.
    ChooseFile chooser;
    model->setFileChooser(&chooser);
    key(Qt::Key_N, Qt::ControlModifier);
    type(QStringLiteral("draft.md"));
    key(Qt::Key_Return);
    const DocPtr draft = model->active();
    ASSERT_TRUE(draft && !draft->url());
    const QString before = draft->text();
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(draft->text(), before);
    EXPECT_FALSE(draft->url());
    // Saved where the panel says, the picture follows it there.
    chooser.target = dir.filePath(QStringLiteral("草稿.md"));
    key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(draft->url(), chooser.target);
    const QStringList files = stored(dir.filePath(QStringLiteral("草稿.assets")));
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(draft->text().contains(QStringLiteral("![](草稿.assets/") + files[0] + u')'))
        << draft->text().toStdString();
    model->setFileChooser(nullptr);
}

TEST_F(Pictures, ADroppedPictureIsLinkedInMarkdownAndRefusedAsTextElsewhere)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("图 库")));
    ASSERT_TRUE(picture(5, 5).save(dir.filePath(QStringLiteral("图 库/猫.png")), "PNG"));
    const QString png = dir.filePath(QStringLiteral("图 库/猫.png"));
    const DocPtr md = open(QStringLiteral("notes.md"), "");
    drop(view(md)->viewport(), {png});
    EXPECT_EQ(md->text(), QStringLiteral("![](图%20库/猫.png)"));
    EXPECT_EQ(model->docs().size(), 1);

    // Anywhere else a picture is not opened as text, and says so.
    const DocPtr txt = open(QStringLiteral("other.txt"), "x");
    drop(view(txt)->viewport(), {png});
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->message, QStringLiteral("无法以文本打开：这是图片"));
    EXPECT_EQ(model->docs().size(), 2);
    EXPECT_EQ(txt->text(), QStringLiteral("x"));
    key(Qt::Key_Return);  // 好
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(model->docs().size(), 2);

    // A pipe is never read: the window keeps answering and says why.
    const QString fifo = dir.filePath(QStringLiteral("pipe.md"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    drop(view(txt)->viewport(), {fifo});
    ASSERT_TRUE(waitUntil([&] { return model->dialog().has_value(); }));
    EXPECT_TRUE(model->dialog()->message.contains(QStringLiteral("这不是普通文件")))
        << model->dialog()->message.toStdString();
    EXPECT_EQ(model->docs().size(), 2);
}
