#include "WaitUntil.h"
#include "core/Doc.h"
#include "core/PieceCopy.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr qsizetype none = std::numeric_limits<qsizetype>::max();

// A buffer standing in for an editor's: edits remember their first byte.
struct Buffer {
    QByteArray bytes;
    qsizetype editedFrom = none;

    void insert(qsizetype at, const QByteArray& text)
    {
        bytes.insert(at, text);
        editedFrom = std::min(editedFrom, at);
    }
    void remove(qsizetype at, qsizetype n)
    {
        bytes.remove(at, n);
        editedFrom = std::min(editedFrom, at);
    }
    PieceCopy::Source source()
    {
        return {
            [this] { return bytes.size(); },
            [this](qsizetype from, qsizetype n, char* out) { std::memcpy(out, bytes.constData() + from, size_t(n)); },
            [this] { return std::exchange(editedFrom, none); }};
    }
    // `pause` slows each copied piece down, so that a copy takes turns.
    Doc::LiveText live(unsigned long pause = 0)
    {
        Doc::LiveText l;
        l.pull = [this] { return QString::fromUtf8(bytes); };
        l.length = [this] { return QString::fromUtf8(bytes).size(); };
        l.utf8 = [this] { return bytes; };
        l.byteLength = [this] { return bytes.size(); };
        const PieceCopy::Source s = source();
        l.copyBytes = [s, pause](qsizetype from, qsizetype n, char* out) {
            QThread::usleep(pause);
            s.copy(from, n, out);
        };
        l.takeEditedFrom = s.takeEditedFrom;
        return l;
    }
};

QByteArray numbered(qsizetype lines)
{
    QByteArray out;
    for (qsizetype i = 0; i < lines; ++i)
        out += "第 " + QByteArray::number(i) + " 行\n";
    return out;
}

DocPtr plainDoc()
{
    return makeDoc(QUuid::createUuid(), QStringLiteral("a.txt"), QString(), std::nullopt, TextEncoding(), LineEnding(),
                   {});
}

}

// Edits before, inside and after the part already copied, growing and
// shrinking the buffer: the copy ends as the buffer's last state.
TEST(PieceCopy, EditsBetweenPiecesNeverLeaveAMix)
{
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QRandomGenerator random(seed);
        Buffer b{numbered(3000)};
        PieceCopy copy(b.source());
        int steps = 0;
        while (!copy.step(997)) {
            ++steps;
            const qsizetype at = random.bounded(b.bytes.size() + 1);
            if (random.bounded(2))
                b.insert(at, QByteArray::number(steps) + "插入");
            else
                b.remove(at, std::min<qsizetype>(random.bounded(64), b.bytes.size() - at));
        }
        ASSERT_EQ(copy.take(), b.bytes) << "seed " << seed;
    }
}

TEST(PieceCopy, KeepsWhatLiesBeforeAnEditAndCopiesTheRestAgain)
{
    Buffer b{QByteArray(10000, 'a')};
    PieceCopy copy(b.source());
    EXPECT_FALSE(copy.step(6000));
    b.insert(4000, "b");
    EXPECT_FALSE(copy.step(1000));
    EXPECT_EQ(copy.copied(), 5000);  // 4000 kept, 1000 copied again
    b.insert(9000, "c");             // beyond the copied part: nothing lost
    EXPECT_FALSE(copy.step(1000));
    EXPECT_EQ(copy.copied(), 6000);
    EXPECT_TRUE(copy.step(1 << 20));
    EXPECT_EQ(copy.take(), b.bytes);
}

TEST(PieceCopy, FollowsABufferEmptiedMeanwhile)
{
    Buffer b{numbered(100)};
    PieceCopy copy(b.source());
    EXPECT_FALSE(copy.step(10));
    b.remove(0, b.bytes.size());
    EXPECT_TRUE(copy.step(10));
    EXPECT_TRUE(copy.take().isEmpty());
}

// A long live buffer reaches the waiting readers over several turns, as it
// is after edits made between them; a short one at once.
TEST(PieceCopy, ADocumentHandsOverItsLongBufferAfterTheTurnsItTook)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = plainDoc();
    Buffer b{numbered(Doc::pieceCopyFrom / 8)};
    ASSERT_GE(b.bytes.size(), Doc::pieceCopyFrom);
    d->attachLiveText(b.live(3000));
    std::optional<TextCopy> first, second;
    d->withTextCopy([&](TextCopy c) { first = std::move(c); });
    EXPECT_FALSE(first) << "copied within the caller's turn";
    QCoreApplication::processEvents();
    b.insert(10, "早先的修改");
    d->liveTextChanged();
    d->withTextCopy([&](TextCopy c) { second = std::move(c); });
    ASSERT_TRUE(waitUntil([&] { return first && second; }, 10000));
    EXPECT_EQ(first->utf8, b.bytes);
    // One copy for both readers.
    EXPECT_EQ(first->utf8.constData(), second->utf8.constData());

    b.remove(0, b.bytes.size() - 100);
    d->liveTextChanged();
    std::optional<TextCopy> shortCopy;
    d->withTextCopy([&](TextCopy c) { shortCopy = std::move(c); });
    ASSERT_TRUE(shortCopy);
    EXPECT_EQ(shortCopy->utf8, b.bytes);
    d->detachLiveText();
    Doc::setAnalysisEnabled(true);
}

TEST(PieceCopy, AnEditorLeavingMidCopyHandsOverItsLastText)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = plainDoc();
    Buffer b{numbered(Doc::pieceCopyFrom / 8)};
    d->attachLiveText(b.live());
    std::optional<TextCopy> got;
    d->withTextCopy([&](TextCopy c) { got = std::move(c); });
    b.insert(b.bytes.size(), "最后一行\n");
    d->liveTextChanged();
    d->detachLiveText();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->utf8, b.bytes);
    Doc::setAnalysisEnabled(true);
}

// A long text of its baseline's length is not read on the main thread to
// decide whether it is dirty: a worker confirms it.
TEST(PieceCopy, ALongTextOfTheBaselinesLengthWaitsForAWorkerToCallItClean)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = plainDoc();
    Buffer b{numbered(Doc::pieceCopyFrom / 8)};
    d->setBaseline(TextBaseline::ofUtf8(b.bytes));
    int reads = 0;
    Doc::LiveText live = b.live();
    live.utf8 = [&] {
        ++reads;
        return b.bytes;
    };
    d->attachLiveText(live);
    reads = 0;
    d->liveTextChanged();
    EXPECT_TRUE(d->isDirty());
    EXPECT_EQ(reads, 0);
    d->confirmClean(d->revision(), d->baseline());
    EXPECT_FALSE(d->isDirty());
    d->detachLiveText();
    Doc::setAnalysisEnabled(true);
}
