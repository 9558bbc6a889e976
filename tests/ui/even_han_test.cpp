// 中英文等宽: with the option on a Han character is exactly two Latin cells
// wide, so a Markdown table's pipes line up in the source; off, the editor
// keeps its usual face.
#include "EditorFixture.h"
#include "editor/AppFonts.h"

namespace {

using EvenHan = EditorFixture;

// The x of every pipe of each line, measured by the engine.
QList<QList<long>> pipes(CodeTextView* v)
{
    QList<QList<long>> out;
    const QByteArray bytes = v->utf8();
    QList<long> line;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            out << line;
            line.clear();
        } else if (bytes[i] == '|') {
            line << v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, long(i));
        }
    }
    return out;
}

}

TEST_F(EvenHan, TablePipesLineUpAtEverySizeOnlyWithTheOptionOn)
{
    DocPtr d = newDoc(QStringLiteral("| 项目 | 负责人 |\n|------|--------|\n| 中文，标点 | a |\n|------------|---|"));
    EditorController& e = editorFor(d);
    e.widget()->show();
    CodeTextView* v = e.textView();
    for (int size = Settings::minFontSize; size <= Settings::maxFontSize; ++size)
        for (const bool even : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1 px, %2").arg(size).arg(even ? "on" : "off").toStdString());
            Settings s = model->settings();
            s.fontSize = size;
            s.hanDoubleWidth = even;
            model->setSettings(s);
            QApplication::processEvents();
            const QList<QList<long>> x = pipes(v);
            ASSERT_EQ(x.size(), 4);
            ASSERT_EQ(x[0].size(), 3);
            // The first pipe of each line stands at the same place either way;
            // the later ones only meet when a Han character takes two cells.
            EXPECT_EQ(x[0][0], x[1][0]);
            if (even) {
                EXPECT_EQ(x[0], x[1]);
                EXPECT_EQ(x[2], x[3]);
                EXPECT_EQ(v->font().family(), QStringLiteral("Noto Sans Mono CJK SC"));
            } else {
                EXPECT_NE(x[0][1], x[1][1]);
                EXPECT_EQ(v->font().family(), AppFonts::editor(s.fontFamily, size).family());
            }
        }
}
