// 文件 → 打印… (Ctrl+P) and 打印预览…: Qt's dialogs in Chinese, a Markdown
// document printed as its preview, plain text as numbered source lines.
#include "WaitUntil.h"
#include "WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

struct PrintTest : WindowFixture {
    template <class Dialog> static Dialog* modal() { return qobject_cast<Dialog*>(QApplication::activeModalWidget()); }

    QAction* fileAction(const QString& title) const
    {
        for (QAction* menu : window->menuBar()->actions())
            if (menu->menu() && menu->text().startsWith(QStringLiteral("文件")))
                for (QAction* a : menu->menu()->actions())
                    if (a->text() == title)
                        return a;
        return nullptr;
    }
    // The text of the PDF, page by page; none without poppler's pdftotext.
    static std::optional<QStringList> pages(const QString& pdf)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (tool.isEmpty())
            return std::nullopt;
        QProcess p;
        p.start(tool,
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(30000));
        QStringList out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!out.isEmpty() && out.last().trimmed().isEmpty())
            out.removeLast();
        return out;
    }
};

}

// Ctrl+P asks with Qt's print dialog in Chinese, and what goes to paper is what
// the user reads: the preview of a format that has one, the numbered source
// of one that has not. Printed to a PDF file the text stays text.
TEST_F(PrintTest, CtrlPPrintsThePreviewOrTheNumberedSource)
{
    struct Case {
        const char* name;
        QByteArray text;
        QStringList printed;   // patterns on paper
        QStringList notThere;  // source the preview turns into something else
    };
    const Case cases[] = {
        {"笔记.md",
         "# 第一章 总则\n\n正文 **加粗** 的段落。\n",
         {QStringLiteral("第一章 总则"), QStringLiteral("正文\\s*加粗\\s*的段落。")},
         {QStringLiteral("# 第一章"), QStringLiteral("**"), QStringLiteral("1  ")}},
        {"库存.csv",
         "名称,数量\n苹果,3\n",
         {QStringLiteral("名称\\s+数量"), QStringLiteral("苹果\\s+3")},
         {QStringLiteral("名称,数量")}},
        {"清单.txt",
         "苹果\n葡萄\t紫\n樱桃\n",
         {QStringLiteral("^\\s*1\\s+苹果"), QStringLiteral("\\n\\s*2\\s+葡萄\\s+紫"),
          QStringLiteral("\\n\\s*3\\s+樱桃")},
         {QStringLiteral("4")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->openFiles({write(QString::fromUtf8(c.name), c.text)});
        key(Qt::Key_P, Qt::ControlModifier);
        ASSERT_TRUE(waitUntil([&] { return modal<QPrintDialog>() != nullptr; }));
        QPrintDialog* dialog = modal<QPrintDialog>();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打印"));
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        // The user picks 打印到文件 (PDF) and names the file.
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        ASSERT_TRUE(printers && file);
        printers->setCurrentIndex(printers->findText(QStringLiteral("打印到文件(PDF)")));
        const QString pdf = dir.filePath(QString::fromUtf8(c.name) + QStringLiteral(".pdf"));
        file->setText(pdf);
        dialog->accept();
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(pdf).size() > 0; }, 60000));
        EXPECT_FALSE(model->dialog()) << model->dialog()->message.toStdString();
        const std::optional<QStringList> text = pages(pdf);
        if (!text)
            GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
        EXPECT_EQ(text->size(), 1);
        const QString all = text->join(QLatin1Char('\n'));
        for (const QString& s : c.printed)
            EXPECT_TRUE(all.contains(QRegularExpression(s))) << s.toStdString() << " missing from:\n"
                                                             << all.toStdString();
        for (const QString& s : c.notThere)
            EXPECT_FALSE(all.contains(s)) << s.toStdString() << " in:\n" << all.toStdString();
    }
}

// 打印预览… shows the pages in Qt's Chinese preview dialog: text and preview
// alike run over as many pages as they fill.
TEST_F(PrintTest, PrintPreviewShowsEveryPage)
{
    QByteArray lines, paragraphs;
    for (int i = 1; i <= 150; ++i) {
        lines += "第 " + QByteArray::number(i) + " 行\n";
        paragraphs += "第 " + QByteArray::number(i) + " 段\n\n";
    }
    struct Case {
        QString name;
        QByteArray text;
        int fewestPages, mostPages;
    };
    const Case cases[] = {
        {QStringLiteral("长.txt"), lines, 3, 4},
        {QStringLiteral("短.md"), "# 标题\n\n段落\n", 1, 1},
        {QStringLiteral("长.md"), paragraphs, 5, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        window->openFiles({write(c.name, c.text)});
        QAction* a = fileAction(QStringLiteral("打印预览…"));
        ASSERT_TRUE(a);
        a->trigger();
        ASSERT_TRUE(waitUntil([&] { return modal<QPrintPreviewDialog>() != nullptr; }));
        QPointer<QPrintPreviewDialog> dialog = modal<QPrintPreviewDialog>();
        EXPECT_TRUE(dialog->windowTitle().startsWith(QStringLiteral("打印预览")))
            << dialog->windowTitle().toStdString();
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        ASSERT_TRUE(preview);
        EXPECT_TRUE(waitUntil(
            [&] { return preview->pageCount() >= c.fewestPages && preview->pageCount() <= c.mostPages; }, 60000))
            << preview->pageCount();
        EXPECT_FALSE(model->dialog());
        dialog->reject();
        EXPECT_TRUE(waitUntil([&] { return dialog.isNull(); }));
    }
}
