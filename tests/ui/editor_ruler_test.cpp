#include "EditorFixture.h"

#include "editor/AppFonts.h"

#include <QScrollBar>

namespace {
struct Ruler : EditorFixture {
    QList<int> numbers(EditorController& e)
    {
        QList<int> out;
        for (const auto& l : e.ruler()->visibleLabels())
            out << l.line;
        return out;
    }
};
}

TEST_F(Ruler, NumbersIncludeTheEmptyLastLine)
{
    DocPtr d = newDoc(QString());
    EditorController& e = editorFor(d);
    e.widget()->show();
    EXPECT_EQ(numbers(e), QList<int>({1}));
    d->setText(QStringLiteral("a\n"));
    EXPECT_EQ(numbers(e), QList<int>({1, 2}));
    EXPECT_EQ(e.ruler()->width(), LineNumberRuler::thickness);
    d->setText(QString(200000, QLatin1Char('\n')));
    e.textView()->verticalScrollBar()->setValue(e.textView()->verticalScrollBar()->maximum());
    const QList<int> n = numbers(e);
    ASSERT_FALSE(n.isEmpty());
    EXPECT_EQ(n.last(), 200001);
    // Six digits widen the gutter so that neither number nor dot is cut.
    const QFontMetricsF fm(AppFonts::mono(e.textView()->font().pixelSize()));
    const double left = e.ruler()->width() - LineNumberRuler::rightMargin
        - fm.horizontalAdvance(QStringLiteral("200001"));
    EXPECT_GE(left - 9, 0);
    EXPECT_GT(e.ruler()->width(), LineNumberRuler::thickness);
    EXPECT_EQ(e.textView()->viewport()->geometry().left(), e.ruler()->width());
    d->setText(QStringLiteral("a"));
    EXPECT_EQ(e.ruler()->width(), LineNumberRuler::thickness);
}

TEST_F(Ruler, AWrappedLineIsNumberedOnceOnItsFirstVisualLine)
{
    DocPtr d = newDoc(QString());
    EditorController& e = editorFor(d);
    Settings s = model->settings();
    s.wraps.insert(d->plugin().id, true);
    model->setSettings(s);
    e.widget()->resize(300, 200);
    e.widget()->show();
    QString text;
    for (int i = 1; i <= 30; ++i)
        text += (i == 10 ? QString(300, QLatin1Char('w')) : QStringLiteral("line %1").arg(i)) + QLatin1Char('\n');
    d->setText(text);
    QApplication::processEvents();
    CodeTextView* v = e.textView();
    v->grab();  // lays out and wraps the visible lines
    ASSERT_GE(v->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 9), 3);
    const auto numbers = [&] {
        QList<int> out;
        for (const auto& l : e.ruler()->visibleLabels())
            out << l.line;
        return out;
    };
    // All of the long line on screen: one number for its visual lines.
    v->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                     v->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, 9));
    QApplication::processEvents();
    EXPECT_EQ(numbers().value(0), 10);
    EXPECT_EQ(numbers().count(10), 1);

    // Scroll so that only the long line's last visual line is on screen.
    v->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                     v->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, 9)
                         + v->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 9) - 1);
    QApplication::processEvents();
    const auto labels = e.ruler()->visibleLabels();
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[0].line, 10);
    EXPECT_LT(labels[0].y, 0);  // drawn at its first visual line, off the top
    EXPECT_EQ(labels[1].line, 11);
    EXPECT_GT(labels[1].y, 0);
    EXPECT_EQ(numbers().count(10), 1);
}

TEST_F(Ruler, ErrorLinesFollowTheDiagnostics)
{
    DocPtr d = newDoc(QStringLiteral("a\nb\nc\nd"));
    EditorController& e = editorFor(d);
    e.widget()->show();
    d->setDiagnostics({{3, QStringLiteral("bad")}});
    const auto labels = e.ruler()->visibleLabels();
    ASSERT_EQ(labels.size(), 4);
    EXPECT_TRUE(labels[2].error);
    EXPECT_FALSE(labels[1].error);
    d->setDiagnostics({});
    EXPECT_FALSE(e.ruler()->visibleLabels()[2].error);
}
