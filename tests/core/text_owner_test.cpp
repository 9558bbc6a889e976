#include "core/AnalysisJob.h"
#include "core/Doc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
DocPtr plainDoc(const QString& text)
{
    return makeDoc(QUuid::createUuid(), QStringLiteral("a.txt"), text, std::nullopt, TextEncoding(), LineEnding(), {});
}
}

TEST(TextOwner, AFinishedAnalysisKeepsNoCopyOfTheText)
{
    DocPtr d = plainDoc(QString());
    d->setText(QStringLiteral("some text\n").repeated(1000));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000 && d->analysis()->state() != AnalysisJob::State::finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(d->analysis()->state(), AnalysisJob::State::finished);
    QCoreApplication::processEvents();
    // The Doc's last job is kept, but only the Doc holds the text.
    EXPECT_FALSE(d->text().data_ptr().isShared());
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
