#include "Workspace.h"

#include <QFile>

using OpeningInBackground = WorkspaceTest;

namespace {

// Lines with CJK text and CRLF line ends, at least `bytes` long.
QByteArray largeText(qsizetype bytes)
{
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i)
        out += "第" + QByteArray::number(i) + "行 lorvane\r\n";
    return out;
}

}

// A large file is read on a worker thread: the call returns at once, and
// the files handed over together become documents in their order, the
// last one active, with the text, line ending and stamp of a plain open.
TEST_F(OpeningInBackground, ALargeFileBecomesADocumentWhenReadAndTheOrderHolds)
{
    const QByteArray bytes = largeText(AppModel::backgroundOpenBytes + 1000);
    const QString big = file(QStringLiteral("big.txt"), bytes);
    const QString small = file(QStringLiteral("small.txt"), "small\n");
    model->openFiles({big, small, big});
    // The small file waits for the large one before it.
    EXPECT_EQ(model->docs().size(), 0);
    EXPECT_EQ(model->filesLoading(), 2);
    ASSERT_TRUE(waitUntil([&] { return model->filesLoading() == 0; }, 10000));
    ASSERT_EQ(model->docs().size(), 2);
    const DocPtr b = model->docs().at(0);
    const DocPtr s = model->docs().at(1);
    EXPECT_EQ(b->url(), std::optional<QString>(big));
    EXPECT_EQ(s->url(), std::optional<QString>(small));
    EXPECT_EQ(model->activeID(), s->id);
    // Held as the file's UTF-8, which the editor's buffer takes as it is.
    const TextCopy held = b->textCopy();
    EXPECT_TRUE(held.isUtf8());
    EXPECT_EQ(b->text(), QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(held.utf8, b->text().toUtf8());
    EXPECT_EQ(b->eol(), LineEnding::crlf);
    EXPECT_FALSE(b->isDirty());
    ASSERT_TRUE(b->diskStamp());
    EXPECT_EQ(b->diskStamp()->size, bytes.size());

    // Open already: activated, not read again.
    model->openFiles({big});
    EXPECT_EQ(model->filesLoading(), 0);
    EXPECT_EQ(model->activeID(), b->id);
    EXPECT_EQ(model->docs().size(), 2);
}
