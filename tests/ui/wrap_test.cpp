#include "WaitUntil.h"
#include "WindowFixture.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"

#include <QTest>

namespace {

// Display lines of `line` as the wrapping pass left them.
int heightOf(const CodeTextView& view, int line)
{
    return int(view.SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line + 1)
               - view.SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line));
}

}

TEST(WrapHeights, EveryLineTakesTheDisplayLinesItsLayoutDraws)
{
    const struct {
        const char* name;
        QString unit;
    } kinds[] = {
        {"ascii", QStringLiteral("a")},
        {"chinese", QStringLiteral("中")},
        {"mixed", QStringLiteral("字 value_")},
        {"tab", QStringLiteral("\tx")},
        {"control", QStringLiteral("\u0001b")},
        {"wide symbol", QStringLiteral("\uFDFD")},
        // A C1 control is drawn as its name in a box, much wider than a cell.
        {"represented", QStringLiteral("\u0090b")},
        // Three bytes, drawn as "LS" in a box.
        {"line separator", QStringLiteral("\u2028中")},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Lines of every length from short to several times the width.
        QStringList lines;
        for (int n = 1; n <= 60; ++n)
            lines << kind.unit.repeated(n);
        CodeTextView view;
        view.setEditorFont(AppFonts::mono(14), 0);
        view.setWrapping(true);
        view.setPlainText(lines.join(QLatin1Char('\n')));
        view.show();
        int wrapped = 0;
        for (int width = 180; width <= 600; width += 11) {
            view.resize(width, 3000);
            view.viewport()->repaint();
            nextTurn(2);
            // Wrapping goes on while the loop is idle.
            const auto agree = [&]() -> ::testing::AssertionResult {
                for (int line = 0; line < lines.size(); ++line) {
                    const int drawn = int(view.SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, line));
                    if (heightOf(view, line) != drawn)
                        return ::testing::AssertionFailure()
                            << "width " << width << ", line " << line + 1 << ": " << heightOf(view, line)
                            << " display lines, drawn in " << drawn;
                }
                return ::testing::AssertionSuccess();
            };
            ASSERT_TRUE(waitUntil(agree, 2000));
            for (int line = 0; line < lines.size(); ++line)
                wrapped += heightOf(view, line) > 1;
        }
        // Some lines wrapped at each width: both kinds of line were seen.
        EXPECT_GT(wrapped, 100);
    }
}

namespace {

struct WrapPerFormat : WindowFixture {
    void SetUp() override
    {
        WindowFixture::SetUp();
        model->setEditorLink(editors.get());
    }
    DocPtr open(const QString& name, const QByteArray& bytes)
    {
        DocPtr d = model->open(write(name, bytes));
        EXPECT_TRUE(d);
        EXPECT_TRUE(waitUntil([&] { return focused() == view(d); }));
        return d;
    }
    bool wrapping(const DocPtr& d) const
    {
        CodeTextView* v = editors->controller(d).textView();
        return editors->controller(d).wrapping()
            && v->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE) == QsciScintillaBase::SC_WRAP_WORD;
    }
};

}

TEST_F(WrapPerFormat, TheMenuKeyWrapsTheDocumentInFrontAndLeavesTheRest)
{
    const QByteArray line = QByteArray("在这个快速发展的时代，我们需要不断学习新的知识。").repeated(8) + "\n";
    const DocPtr notes = open(QStringLiteral("笔记.md"), line);
    const DocPtr data = open(QStringLiteral("data.json"), "{\"a\": \"" + line.trimmed() + "\"}\n");
    EXPECT_TRUE(wrapping(notes));
    EXPECT_FALSE(wrapping(data));

    key(Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return wrapping(data); }));
    EXPECT_TRUE(wrapping(notes));
    EXPECT_EQ(model->settings(), Settings());

    model->setActiveID(notes->id);
    EXPECT_TRUE(waitUntil([&] { return focused() == editors->controller(notes).textView(); }));
    key(Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return !wrapping(notes); }));
    EXPECT_TRUE(wrapping(data));
}

TEST(WrapPunctuation, NoLineStartsWithAClosingMarkOrEndsWithAnOpeningOne)
{
    const QString closing = QStringLiteral("。，、；：？！）》」』】…”’");
    const QString opening = QStringLiteral("（《「『【“‘");
    const QString text = QStringLiteral("在这个快速发展的时代，我们需要不断学习新的知识。他说：“你好！”（这是括号）"
                                        "《书名》、「引号」与『书名号』……然后【注释】继续；对吗？好！")
                             .repeated(3);
    CodeTextView view;
    view.setEditorFont(AppFonts::mono(16), 0);
    view.setWrapping(true);
    view.setPlainText(text);
    view.show();
    const auto y = [&](int pos) {
        return view.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, view.toByte(pos));
    };
    int wraps = 0;
    for (int width = 160; width <= 520; width += 3) {
        view.resize(width, 900);
        nextTurn();
        for (int i = 1; i < text.size(); ++i) {
            if (y(i) <= y(i - 1))
                continue;
            ++wraps;
            SCOPED_TRACE(QStringLiteral("width %1, line starts %2").arg(width).arg(text.mid(i, 6)).toStdString());
            EXPECT_FALSE(closing.contains(text[i]));
            EXPECT_FALSE(opening.contains(text[i - 1]));
        }
    }
    // Many widths, many wrapped lines: the rule had chances to be broken.
    EXPECT_GT(wraps, 500);
}
