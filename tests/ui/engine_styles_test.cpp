// The engine's run-at-once style writing: what is read back, and the range
// it reports as changed, are those of writing byte by byte.
#include <QRandomGenerator>
#include <Qsci/qsciscintillabase.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using B = QsciScintillaBase;

struct Changed {
    long from = -1, length = 0;
};

}

TEST(EngineStyles, RunsWrittenAtOnceReadBackByteForByteAndReportWhatChanged)
{
    QsciScintillaBase view;
    view.SendScintilla(B::SCI_SETLEXER, B::SCLEX_CONTAINER);
    view.SendScintilla(B::SCI_SETMODEVENTMASK, B::SC_MOD_CHANGESTYLE);
    Changed changed;
    QObject::connect(&view, &QsciScintillaBase::SCN_MODIFIED, &view,
                     [&](int position, int type, const char*, int length, int, int, int, int, int, int) {
                         if (type & B::SC_MOD_CHANGESTYLE)
                             changed = {position, length};
                     });
    const long n = 50000;
    const QByteArray text(n, 'a');
    view.SendScintilla(B::SCI_SETTEXT, text.constData());
    // An edit leaves the gap inside the range written below.
    view.SendScintilla(B::SCI_INSERTTEXT, 20000, "b");
    view.SendScintilla(B::SCI_DELETERANGE, 20000, 1);

    std::vector<char> styles(n, 1);
    const auto write = [&](long from) {
        changed = {};
        view.SendScintilla(B::SCI_STARTSTYLING, static_cast<unsigned long>(from), 0L);
        view.SendScintilla(B::SCI_SETSTYLINGEX, n - from, styles.data() + from);
    };
    const auto readsBack = [&] {
        for (long i = 0; i < n; ++i)
            if (view.SendScintilla(B::SCI_GETSTYLEAT, static_cast<unsigned long>(i)) != styles[size_t(i)])
                return ::testing::AssertionFailure() << "style at " << i;
        return ::testing::AssertionSuccess();
    };
    write(0);
    ASSERT_TRUE(readsBack());
    EXPECT_EQ(changed.from, 0);
    EXPECT_EQ(changed.length, n);

    // Changes inside blocks of equal bytes, near both ends and around the gap.
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        const long first = 100 + long(random.bounded(int(n / 2)));
        const long last = first + long(random.bounded(int(n - first - 50)));
        styles[size_t(first)] = char(2 + round % 5);
        styles[size_t(last)] = char(3 + round % 4);
        if (styles[size_t(first)] == styles[size_t(last)])
            ++styles[size_t(last)];
        write(50);
        ASSERT_TRUE(readsBack()) << "round " << round;
        // Earlier rounds' changes stay; this one's are the ends of the reported range.
        EXPECT_EQ(changed.from, first) << "round " << round;
        EXPECT_EQ(changed.from + changed.length - 1, last) << "round " << round;
    }
    // Writing the same styles again changes nothing and reports nothing.
    write(0);
    EXPECT_EQ(changed.from, -1);
    EXPECT_EQ(view.SendScintilla(B::SCI_GETENDSTYLED), n);
}
