// The display lines the wrapping pass gives each line are the lines its
// layout is drawn in, at every width: a line taken as fitting without being
// laid out must fit, and one that does not fit must still wrap.
#include "WaitUntil.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"

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
