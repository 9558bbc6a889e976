// Wrapped Chinese text follows the line-breaking rules: no visual line
// starts with a closing mark or ends with an opening one, at any width.
#include "WaitUntil.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"

#include <QTest>

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
