// Printing and PDF export: Qt's dialogs in Chinese, what goes to paper, progress and cancelling.
#include "WaitUntil.h"
#include "WindowFixture.h"
#include "core/FileChooser.h"
#include "views/webengine/PDFExport.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

struct PrintTest : WindowFixture {
    template <class Dialog> static Dialog* modal() { return qobject_cast<Dialog*>(QApplication::activeModalWidget()); }

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
        EXPECT_EQ(model->toast(), QStringLiteral("已打印到文件：") + QFileInfo(pdf).fileName());
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

namespace {
// A page as grey levels, 0 black to 255 white.
struct Sheet {
    int width = 0, height = 0;
    QByteArray grey;
    int at(int x, int y) const { return uchar(grey[qsizetype(y) * width + x]); }

    // Dark marks outside the margins (in fractions of the sheet) and the
    // count of tinted (neither white nor ink) pixels.
    std::pair<int, int> outsideAndTinted(const QMarginsF& margins) const
    {
        int outside = 0, tinted = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int v = at(x, y);
                const bool margin = x < margins.left() * width || x >= width - margins.right() * width
                    || y < margins.top() * height;
                outside += margin && v < 200;
                tinted += v >= 236 && v <= 251;  // the window's tint; white comes out 254 or 255
            }
        return {outside, tinted};
    }
    int inked() const
    {
        return int(std::count_if(grey.begin(), grey.end(), [](char v) { return uchar(v) < 128; }));
    }
    // The space left and right of the ink, in fractions of the width.
    std::pair<double, double> sideGaps() const
    {
        int left = width, right = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {double(left) / width, double(width - 1 - right) / width};
    }
};

// The first page of a PDF; none without poppler's pdftoppm.
std::optional<Sheet> firstPage(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool,
            {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-f"),
             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QByteArray out = p.readAllStandardOutput();
    const QList<QByteArray> header = out.left(32).split('\n');
    Sheet s;
    if (header.size() < 4 || header[0] != "P5")
        return s;
    const QList<QByteArray> size = header[1].split(' ');
    s.width = size.value(0).toInt();
    s.height = size.value(1).toInt();
    s.grey = out.mid(header[0].size() + header[1].size() + header[2].size() + 3);
    if (s.grey.size() != qsizetype(s.width) * s.height)
        s.width = s.height = 0;
    return s;
}

// The first page as the preview shows it: the white sheet on the grey desk.
Sheet shownPage(QPrintPreviewWidget* preview)
{
    preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    preview->fitInView();
    const QImage shot = preview->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    QRect paper;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) == Qt::white)
                paper |= QRect(x, y, 1, 1);
    Sheet s;
    s.width = paper.width();
    s.height = paper.height();
    for (int y = paper.top(); y <= paper.bottom(); ++y)
        s.grey += QByteArray(reinterpret_cast<const char*>(shot.constScanLine(y)) + paper.left(), paper.width());
    return s;
}
}

// 打印预览… shows every page in Qt's Chinese preview dialog, text and preview
// alike, inside the margins; printed from there (its print button) the page
// goes to paper the same way: on white, none of it cut off at the sheet's edge.
TEST_F(PrintTest, PreviewedAndPrintedPagesAreAllThereInsideTheirMargins)
{
    QByteArray lines, md = "# 边距\n\n";
    for (int i = 0; i < 30; ++i)
        md += "很长的一段文字，一行接一行地排满整个页面的宽度，看看右边是不是被裁掉了。";
    md += "\n\n";
    for (int i = 1; i <= 150; ++i) {
        lines += "第 " + QByteArray::number(i) + " 行\n";
        md += "第 " + QByteArray::number(i) + " 段\n\n";
    }
    window->openFiles({write(QStringLiteral("长.txt"), lines)});
    QAction* a = menuAction(QStringLiteral("打印预览…"));
    ASSERT_TRUE(a);
    a->trigger();
    ASSERT_TRUE(waitUntil([&] { return modal<QPrintPreviewDialog>() != nullptr; }));
    QPointer<QPrintPreviewDialog> dialog = modal<QPrintPreviewDialog>();
    EXPECT_TRUE(dialog->windowTitle().startsWith(QStringLiteral("打印预览"))) << dialog->windowTitle().toStdString();
    auto* preview = dialog->findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(waitUntil([&] { return preview->pageCount() >= 3 && preview->pageCount() <= 4; }, 60000))
        << preview->pageCount();
    dialog->reject();
    ASSERT_TRUE(waitUntil([&] { return dialog.isNull(); }));

    window->openFiles({write(QStringLiteral("边距.md"), md)});
    a->trigger();
    ASSERT_TRUE(waitUntil([&] { return modal<QPrintPreviewDialog>() != nullptr; }));
    dialog = modal<QPrintPreviewDialog>();
    preview = dialog->findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(waitUntil([&] { return preview->pageCount() >= 5 && preview->pageCount() <= 12; }, 60000))
        << preview->pageCount();
    QPrinter* printer = dialog->printer();
    const QMarginsF mm = printer->pageLayout().margins(QPageLayout::Millimeter);
    const QSizeF paper = printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    // A little less than the margins: the page's edges are drawn smoothed.
    const QMarginsF margins((mm.left() - 2) / paper.width(), (mm.top() - 2) / paper.height(),
                            (mm.right() - 2) / paper.width(), 0);
    {
        SCOPED_TRACE("shown");
        const Sheet shown = shownPage(preview);
        ASSERT_GT(shown.width, 100);
        EXPECT_GT(shown.inked(), 100);
        const auto [outside, tinted] = shown.outsideAndTinted(margins);
        EXPECT_EQ(outside, 0) << "marks in the margins";
        EXPECT_LT(tinted, shown.width * shown.height / 10) << "a tinted page";
        // Lines that fill the width sit in the middle, not pushed aside by a margin counted twice.
        const auto [left, right] = shown.sideGaps();
        EXPECT_NEAR(left, right, 0.03);
    }
    // As if 打印到文件 (PDF) was chosen in the dialog the print button opens.
    printer->setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("边距.pdf"));
    printer->setOutputFileName(pdf);
    preview->print();
    EXPECT_FALSE(model->dialog());
    dialog->reject();
    ASSERT_TRUE(waitUntil([&] { return dialog.isNull() && QFileInfo(pdf).size() > 0; }));
    const std::optional<Sheet> printed = firstPage(pdf);
    if (!printed)
        GTEST_SKIP() << "pdftoppm (poppler-utils) not installed";
    SCOPED_TRACE("printed");
    ASSERT_GT(printed->width, 0);
    EXPECT_GT(printed->inked(), 100);
    const auto [outside, tinted] = printed->outsideAndTinted(margins);
    EXPECT_EQ(outside, 0) << "marks in the margins";
    EXPECT_LT(tinted, printed->width * printed->height / 10) << "a tinted page";
    const auto [left, right] = printed->sideGaps();
    EXPECT_NEAR(left, right, 0.03);
}

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
    ASSERT_TRUE(waitUntil([&] { return model->toast().has_value() || model->dialog().has_value(); }, 60000));
    EXPECT_EQ(model->toast(), QStringLiteral("已导出 PDF：out.pdf"));
    QFile pdf(chooser.target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));

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
    nextTurn();  // the exporter is gone: nothing is left that could write the file
    EXPECT_FALSE(QFile::exists(chooser.target));
    EXPECT_FALSE(model->dialog());
    model->setFileChooser(nullptr);
}
