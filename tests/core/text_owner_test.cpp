#include "WaitUntil.h"
#include "core/AnalysisJob.h"
#include "core/Doc.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
DocPtr plainDoc(const QString& text)
{
    return makeDoc(QUuid::createUuid(), QStringLiteral("a.txt"), text, std::nullopt, TextEncoding(), LineEnding(), {});
}
}

TEST(TextOwner, AFinishedAnalysisKeepsNoCopyOfTheText)
{
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("a.json"), QString(), std::nullopt, TextEncoding(),
                       LineEnding(), {});
    d->setText(QStringLiteral("some text\n").repeated(1000));
    ASSERT_TRUE(waitUntil([&] { return d->analysis()->state() == AnalysisJob::State::finished; }));
    QCoreApplication::processEvents();
    // The Doc's last job is kept, but only the Doc holds the text.
    EXPECT_FALSE(d->text().data_ptr().isShared());
}

TEST(TextOwner, PlainTextIsNeitherCopiedNorQueuedForAnalysis)
{
    for (const char* name : {"a.txt", "server.log", "README"}) {
        SCOPED_TRACE(name);
        DocPtr d = makeDoc(QUuid::createUuid(), QString::fromUtf8(name), QString(), std::nullopt, TextEncoding(),
                           LineEnding(), {});
        d->setText(QStringLiteral("some text\n").repeated(1000));
        EXPECT_EQ(d->analysis(), nullptr);
        EXPECT_FALSE(d->text().data_ptr().isShared());
    }
}

TEST(TextOwner, AResultOfAnEarlierRevisionIsDroppedEvenWhenTheTextCameBack)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = plainDoc(QStringLiteral("bad"));
    const quint64 analysed = d->revision();
    d->setText(QStringLiteral("good"));
    d->setText(QStringLiteral("bad"));
    EXPECT_EQ(d->revision(), analysed + 2);
    d->setText(QStringLiteral("bad"));  // no change, no new revision
    EXPECT_EQ(d->revision(), analysed + 2);
    const AnalysisJob::Outcome outcome{{Diagnostic{1, QStringLiteral("旧的结果")}}, PreviewState::none()};
    AnalysisJob::apply(d, analysed, ~0ull, false, outcome);
    EXPECT_TRUE(d->diagnostics().isEmpty());
    AnalysisJob::apply(d, d->revision(), ~0ull, false, outcome);
    EXPECT_EQ(d->diagnostics().size(), 1);
    Doc::setAnalysisEnabled(true);
}

// When its editor goes, the document keeps the editor's bytes: never the
// UTF-16 text, which is made only for whoever asks for it.
TEST(TextOwner, ALeavingEditorHandsOverItsBytesWithoutAConversion)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = plainDoc(QString());
    QByteArray buffer = QStringLiteral("编辑器里的\uFEFF文字\n").toUtf8();
    int pulls = 0;
    Doc::LiveText live;
    live.pull = [&] {
        ++pulls;
        return TextCopy::decode(buffer);
    };
    live.length = [&] { return TextCopy::decode(buffer).size(); };
    live.utf8 = [&] { return buffer; };
    live.byteLength = [&] { return buffer.size(); };
    d->attachLiveText(live);
    buffer += "新的一行\n";
    d->liveTextChanged();
    d->detachLiveText();
    EXPECT_EQ(pulls, 0);
    const TextCopy copy = d->textCopy();
    EXPECT_TRUE(copy.isUtf8());
    EXPECT_EQ(copy.utf8, buffer);
    buffer = "the editor is gone";
    EXPECT_EQ(d->text(), QStringLiteral("编辑器里的\uFEFF文字\n新的一行\n"));
    EXPECT_EQ(pulls, 0);
    Doc::setAnalysisEnabled(true);
}
