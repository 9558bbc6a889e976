#include "Workspace.h"

#include <QFile>
#include <unistd.h>

using OpeningOneFile = WorkspaceTest;

// A file is one document whatever name it is opened by.
TEST_F(OpeningOneFile, ALinkOrHardLinkToAnOpenFileActivatesItsDocument)
{
    const QString real = file(QStringLiteral("real.txt"), "one file\n");
    const QString other = file(QStringLiteral("other.txt"), "one file\n");
    DocPtr d = model->open(real);
    ASSERT_TRUE(d);
    DocPtr o = model->open(other);
    ASSERT_TRUE(o);
    EXPECT_NE(o, d);  // same content, different file: two documents
    EXPECT_EQ(model->activeID(), o->id);

    const QString symlink = real + QStringLiteral(".link");
    ASSERT_TRUE(QFile::link(real, symlink));
    EXPECT_EQ(model->open(symlink), d);
    EXPECT_EQ(model->activeID(), d->id);
    EXPECT_EQ(model->docs().size(), 2);

    model->activate(o);
    const QString hard = real + QStringLiteral(".hard");
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hard).constData()), 0);
    EXPECT_EQ(model->open(hard), d);
    EXPECT_EQ(model->activeID(), d->id);
    EXPECT_EQ(model->docs().size(), 2);
    // The document keeps the name it was opened by first.
    EXPECT_EQ(d->url(), std::optional<QString>(real));
}
