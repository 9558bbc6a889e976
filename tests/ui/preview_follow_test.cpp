// The preview following the editor: the application's own script scrolls the
// page to source lines and reports clicked blocks, while the document's
// content still runs nothing.
#include "PageScript.h"
#include "WaitUntil.h"
#include "WindowFixture.h"
#include "core/Doc.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "views/pane/DocPane.h"
#include "views/pane/EditorArea.h"
#include "views/webengine/PreviewView.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineScript>
#include <gtest/gtest.h>

namespace {

QString topOf(int line)
{
    return QStringLiteral("document.querySelector('[data-line=\"%1\"]').getBoundingClientRect().top").arg(line);
}

// The line of the last block whose top is at or above the page's top edge.
const char blockAtTop[] = "(function(){var best=-1;for(const e of document.querySelectorAll('#c [data-line]'))"
                          "if(e.getBoundingClientRect().top<=2)best=+e.getAttribute('data-line');return best;})()";

// A click where the block of this line is, through the view's input widget like a user's.
void clickBlock(PreviewView& view, int line)
{
    const QVariantList r =
        evaluate(
            view,
            QStringLiteral("(function(){var b=document.querySelector('[data-line=\"%1\"]').getBoundingClientRect();"
                           "return [b.left+8,b.top+b.height/2];})()")
                .arg(line))
            .toList();
    ASSERT_EQ(r.size(), 2);
    QWidget* input = view.focusProxy() ? view.focusProxy() : &view;
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(int(r[0].toDouble()), int(r[1].toDouble())));
}

}

TEST(PreviewFollow, TheApplicationScriptScrollsAndReportsClicksWhileTheDocumentRunsNothing)
{
    // Plain text: no background rendering replaces the content set here.
    PreviewView view;
    view.resize(420, 300);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isReady(); }, 20000));
    QString html = QStringLiteral(
        "<img src=\"nothing-here.png\" onerror=\"document.title='pwned'\"><script>document.title='pwned'</script>");
    for (int k = 0; k < 60; ++k)
        html +=
            QStringLiteral("<p data-line=\"%1\" onclick=\"document.title='pwned'\">Paragraph %2</p>").arg(k * 2).arg(k);
    html += QStringLiteral("<p data-line=\"130\"><a href=\"other.md\">a link to another file</a></p>");
    DocPtr doc = makeDoc(QUuid::createUuid(), QStringLiteral("f.txt"), QString(), std::nullopt, TextEncoding::utf8,
                         LineEnding::lf, {});
    doc->setPreview(PreviewState::html(html));
    view.setDoc(doc);
    ASSERT_TRUE(waitForScript(view, QStringLiteral("document.querySelectorAll('[data-line]').length===61")));

    // Past the last block; then many lines in a burst: the last one wins.
    view.followLine(500);
    ASSERT_TRUE(waitForScript(view, QStringLiteral("window.scrollY>200")));
    for (int k = 0; k <= 40; ++k)
        view.followLine(k);
    ASSERT_TRUE(waitForScript(view, QStringLiteral("Math.abs(") + topOf(40) + QStringLiteral(")<=1")));

    // New content keeps the followed line in view.
    QString longer = QStringLiteral("<h1 data-line=\"0\">Top</h1>") + html;
    doc->setPreview(PreviewState::html(longer));
    ASSERT_TRUE(waitForScript(view, QStringLiteral("document.querySelector('h1')!==null")));
    ASSERT_TRUE(waitForScript(view, QStringLiteral("Math.abs(") + topOf(40) + QStringLiteral(")<=1")));

    // A click on a block reports its line; the block's own handler never runs.
    QSignalSpy clicked(&view, &PreviewView::lineClicked);
    clickBlock(view, 44);
    ASSERT_TRUE(clicked.wait(3000) || !clicked.isEmpty());
    EXPECT_EQ(clicked.first().first().toInt(), 44);
    // A link keeps behaving as a link: no caret move, and a local target is not opened.
    clicked.clear();
    view.followLine(130);
    // The last block cannot reach the top: the page ends first, with the link in view.
    ASSERT_TRUE(
        waitForScript(view,
                      QStringLiteral("(function(){var b=document.querySelector('a').getBoundingClientRect();return "
                                     "b.top>=0&&b.bottom<=innerHeight;})()")));
    const QVariantList a = evaluate(view,
                                    QStringLiteral(
                                        "(function(){var b=document.querySelector('a').getBoundingClientRect();return "
                                        "[b.left+4,b.top+b.height/2];})()"))
                               .toList();
    ASSERT_EQ(a.size(), 2);
    evaluate(view, QStringLiteral("document.addEventListener('click',function(){window.clicks=1},true);1"));
    QTest::mouseClick(view.focusProxy() ? view.focusProxy() : &view, Qt::LeftButton, {},
                      QPoint(int(a[0].toDouble()), int(a[1].toDouble())));
    // The page has handled the click before it answers the next script.
    ASSERT_TRUE(waitForScript(view, QStringLiteral("window.clicks===1")));
    nextTurn();
    EXPECT_TRUE(clicked.isEmpty());
    EXPECT_EQ(evaluate(view, QStringLiteral("document.querySelectorAll('[data-line]').length")).toInt(), 62);
    EXPECT_EQ(view.url(), view.baseUrl());
    // Were the page taken elsewhere all the same, the shell and the content come back.
    evaluate(view, QStringLiteral("location.href='about:blank#elsewhere';1"));
    ASSERT_TRUE(waitUntil([&] { return same(view.url(), view.baseUrl()) && view.isReady(); }));
    ASSERT_TRUE(waitForScript(view, QStringLiteral("document.querySelectorAll('[data-line]').length===62")));

    // Script in the document's own world does not run at all.
    // The answer comes back once the page has handled the script, run or not.
    evaluate(view, QStringLiteral("document.title='main world';1"), QWebEngineScript::MainWorld);
    const QString title = evaluate(view, QStringLiteral("document.title")).toString();
    EXPECT_NE(title, QStringLiteral("pwned"));
    EXPECT_NE(title, QStringLiteral("main world"));
    // The follow functions exist in the application's world only.
    EXPECT_EQ(evaluate(view, QStringLiteral("typeof window.lorvaneFollow")).toString(), QStringLiteral("function"));
    EXPECT_NE(evaluate(view, QStringLiteral("typeof window.lorvaneFollow"), QWebEngineScript::MainWorld).toString(),
              QStringLiteral("function"));
}

TEST_F(WindowFixture, TheSplitPreviewFollowsTheEditorAndClicksMoveTheCaret)
{
    QByteArray md;
    for (int s = 0; s < 40; ++s) {
        md += "## Section " + QByteArray::number(s) + "\n\n";
        for (int p = 0; p < 3; ++p)
            md += "Text of section " + QByteArray::number(s) + ", paragraph " + QByteArray::number(p) + ".\n\n";
    }
    // Every section takes 8 lines: its heading is at line 8·s.
    window->openFiles({write(QStringLiteral("long.md"), md)});
    DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    doc->setMode(ViewMode::split);
    EditorArea* area = window->docPane()->area();
    ASSERT_TRUE(waitUntil([&] { return area->preview() != nullptr; }, 10000));
    auto* preview = dynamic_cast<PreviewView*>(area->preview());
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(waitUntil([&] { return preview->isReady(); }, 20000));
    ASSERT_TRUE(waitForScript(*preview, QStringLiteral("document.querySelectorAll('#c h2').length===40")));
    EditorController* c = editors->existing(doc->id);
    ASSERT_TRUE(c);
    CodeTextView* editor = c->textView();

    // Scrolling the editor down brings the section at its top line to the preview's top.
    editor->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 160);
    EXPECT_DOUBLE_EQ(EditorArea::topSourceLine(*editor), 160.0);
    ASSERT_TRUE(waitForScript(*preview, QString::fromLatin1(blockAtTop) + QStringLiteral("===160")))
        << evaluate(*preview, QString::fromLatin1(blockAtTop)).toInt();
    // Half way through section 30's first paragraph pair: between its blocks.
    editor->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 241);
    ASSERT_TRUE(waitForScript(*preview,
                              QStringLiteral("Math.abs(") + topOf(240) + QStringLiteral(")>1&&") + topOf(240)
                                  + QStringLiteral("<0&&") + topOf(242) + QStringLiteral(">0")));
    // And back up.
    editor->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 0);
    ASSERT_TRUE(waitForScript(*preview, QStringLiteral("window.scrollY===0")));
    // A caret moved far below scrolls the editor, and so the preview.
    editor->setCursorPosition(editor->lineStart(300));
    editor->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    ASSERT_TRUE(waitForScript(*preview, QString::fromLatin1(blockAtTop) + QStringLiteral(">200")));

    // A click on a heading in the preview puts the caret on its line, with the keyboard.
    preview->setFocus();
    const int target = evaluate(*preview, QString::fromLatin1(blockAtTop)).toInt() + 8;
    clickBlock(*preview, target);
    EXPECT_TRUE(waitUntil([&] { return same(editor->lineOf(editor->cursorPosition()), target); }));
    EXPECT_TRUE(editor->hasFocus());

    // Outside split mode the preview is left alone.
    doc->setMode(ViewMode::editor);
    EXPECT_FALSE(preview->followedLine());
}
