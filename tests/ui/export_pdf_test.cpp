// 文件 → 导出 PDF…: the chosen file gets the preview printed as PDF.
#include "core/FileChooser.h"

#include "views/webengine/PDFExport.h"

#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>

#include "WaitUntil.h"
#include "WindowFixture.h"

namespace {

struct PDFTo : FileChooser {
    QString target;
    QString suggested;
    QString folder;
    void chooseFilesToOpen(std::function<void(QStringList)> done) override { done({}); }
    void chooseSaveLocation(const QString& name, const QString& dir,
                            std::function<void(std::optional<QString>)> done) override
    {
        suggested = name;
        folder = dir;
        done(target.isEmpty() ? std::nullopt : std::optional<QString>(target));
    }
};

QAction* exportAction(QMainWindow& w)
{
    for (QAction* menu : w.menuBar()->actions())
        if (menu->menu() && menu->text().remove(QLatin1Char('&')).startsWith(QStringLiteral("文件")))
            for (QAction* a : menu->menu()->actions())
                if (a->text().remove(QLatin1Char('&')).startsWith(QStringLiteral("导出 PDF…")))
                    return a;
    return nullptr;
}

using ExportPDFTest = WindowFixture;

}

TEST_F(ExportPDFTest, MenuWritesThePDFWhereTheChooserSaysAndRefusesWhatHasNoPreview)
{
    PDFTo chooser;
    model->setFileChooser(&chooser);
    window->openFiles({write(QStringLiteral("笔记.md"), "# 标题\n\n正文\n")});
    QAction* a = exportAction(*window);
    ASSERT_TRUE(a);

    // Cancelled: nothing written, nothing said.
    a->trigger();
    EXPECT_EQ(chooser.suggested, QStringLiteral("笔记.pdf"));
    EXPECT_EQ(chooser.folder, dir.path());
    EXPECT_FALSE(model->dialog());

    chooser.target = dir.filePath(QStringLiteral("out.pdf"));
    a->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->toast().has_value() || model->dialog().has_value(); }, 60000));
    EXPECT_EQ(model->toast(), QStringLiteral("已导出 PDF：out.pdf"));
    QFile pdf(chooser.target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/Title <FEFF7B14"));  // 笔 is U+7B14

    // Plain text has no preview: an alert, and no file.
    window->openFiles({write(QStringLiteral("plain.txt"), "x\n")});
    chooser.target = dir.filePath(QStringLiteral("plain.pdf"));
    a->trigger();
    ASSERT_TRUE(model->dialog());
    EXPECT_TRUE(model->dialog()->message.contains(QStringLiteral("没有预览")))
        << model->dialog()->message.toStdString();
    EXPECT_FALSE(QFile::exists(chooser.target));
    model->setFileChooser(nullptr);
}

// A page that takes a while shows a busy bar with 取消, beside the window
// rather than over it; cancelling ends the export there and writes nothing.
TEST_F(ExportPDFTest, ALongExportShowsItsProgressAndCanBeCancelled)
{
    QByteArray md;
    for (int s = 0; s < 300; ++s) {
        md += "## 第" + QByteArray::number(s) + "节\n\n"
            + QByteArray("这是一段相当长的中文正文，用来测试导出的速度。").repeated(8) + "\n\n```python\n";
        for (int i = 0; i < 10; ++i)
            md += "def f" + QByteArray::number(i) + "(x):\n    return x  # 注释\n";
        md += "```\n\n";
    }
    PDFTo chooser;
    chooser.target = dir.filePath(QStringLiteral("长.pdf"));
    model->setFileChooser(&chooser);
    window->openFiles({write(QStringLiteral("长.md"), md)});
    QAction* a = exportAction(*window);
    ASSERT_TRUE(a);
    a->trigger();
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        progress = window->findChild<QProgressDialog*>();
        return progress && progress->isVisible();
    }));
    EXPECT_TRUE(progress->labelText().contains(QStringLiteral("长.md"))) << progress->labelText().toStdString();
    EXPECT_EQ(progress->windowModality(), Qt::NonModal);
    QPushButton* cancel = nullptr;
    for (QPushButton* b : progress->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("取消"))
            cancel = b;
    ASSERT_TRUE(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(model->toast(), QStringLiteral("已取消导出 PDF"));
    EXPECT_TRUE(waitUntil([&] { return window->findChild<QProgressDialog*>() == nullptr; }));
    EXPECT_TRUE(window->findChildren<PDFExport*>().isEmpty());
    QTest::qWait(2000);
    EXPECT_FALSE(QFile::exists(chooser.target));
    EXPECT_FALSE(model->dialog());
    model->setFileChooser(nullptr);
}
