// Switching documents never leaves the other document's preview on screen.
#include "PageScript.h"
#include "core/Doc.h"
#include "core/PreviewPage.h"
#include "views/preview/PreviewView.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A Markdown document whose text is one word; its own analysis renders that word again.
DocPtr previewed(const std::optional<QString>& path, const QString& word, bool rendered = true)
{
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("p.md"), word, path, TextEncoding::utf8, LineEnding::lf, {});
    d->setPreview(rendered ? PreviewState::html(QStringLiteral("<p>") + word + QStringLiteral("</p>"))
                           : PreviewState::none());
    return d;
}

QString content(PreviewView& view)
{
    return evaluate(view, QStringLiteral("document.getElementById('c').textContent")).toString();
}

bool waitFor(PreviewView& view, const QString& text)
{
    QString last;
    for (int i = 0; i < 400; ++i) {
        if (view.isReady() && (last = content(view)).contains(text))
            return true;
        QTest::qWait(50);
    }
    ADD_FAILURE() << "ready " << view.isReady() << ", showing " << last.toStdString() << " url "
                  << view.url().toString().toStdString() << " body "
                  << evaluate(view,
                              QStringLiteral(
                                  "(document.getElementById('c')||{}).outerHTML+' / '+document.body.innerHTML.length"))
                         .toString()
                         .toStdString();
    return false;
}

}

TEST(PreviewSwitch, TheNextDocumentsResultOrRenderingNeverThePrevious)
{
    QTemporaryDir one, two;
    ASSERT_TRUE(QDir(one.path()).mkpath(QStringLiteral(".")));
    PreviewView view;
    view.resize(400, 300);
    view.show();
    const DocPtr a = previewed(one.filePath(QStringLiteral("a.md")), QStringLiteral("AAAA"));
    const DocPtr b = previewed(one.filePath(QStringLiteral("b.md")), QStringLiteral("BBBB"));
    const DocPtr far = previewed(two.filePath(QStringLiteral("c.md")), QStringLiteral("CCCC"));
    const DocPtr fresh = previewed(std::nullopt, QStringLiteral("DDDD"), false);
    view.setDoc(a);
    ASSERT_TRUE(waitFor(view, QStringLiteral("AAAA")));

    // Same folder: the other result at once.
    view.setDoc(b);
    EXPECT_TRUE(content(view).contains(QStringLiteral("BBBB")));
    // Another folder reloads the page: until then it says it is rendering.
    view.setDoc(far);
    const QString during = content(view);
    EXPECT_FALSE(during.contains(QStringLiteral("BBBB"))) << during.toStdString();
    ASSERT_TRUE(waitFor(view, QStringLiteral("CCCC")));
    // A document without a result yet (and without a folder): rendering, then its own.
    view.setDoc(fresh);
    const QString waiting = content(view);
    EXPECT_FALSE(waiting.contains(QStringLiteral("CCCC"))) << waiting.toStdString();
    ASSERT_TRUE(waitFor(view, QStringLiteral("DDDD")));
}
