#include "core/Zoom.h"

#include <gtest/gtest.h>

TEST(ZoomSteps, StepsClimbAndFallOneAtATimeAndStopAtTheEnds)
{
    const QList<int>& all = Zoom::steps();
    ASSERT_TRUE(all.contains(Zoom::normal));
    // From each step, one up and one down land on the neighbours.
    for (int i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i]);
        EXPECT_EQ(Zoom::step(all[i], 1), all[std::min(i + 1, int(all.size()) - 1)]);
        EXPECT_EQ(Zoom::step(all[i], -1), all[std::max(i - 1, 0)]);
        EXPECT_EQ(Zoom::step(all[i], 0), Zoom::normal);
    }
    // Up from the smallest reaches the largest in one step fewer than there are steps.
    int at = all.first(), count = 0;
    while (Zoom::step(at, 1) != at) {
        ASSERT_GT(Zoom::step(at, 1), at);
        at = Zoom::step(at, 1);
        ++count;
    }
    EXPECT_EQ(at, all.last());
    EXPECT_EQ(count, all.size() - 1);
    // A value between steps goes to the next step in that direction.
    struct Case {
        int from, by, to;
    };
    for (const Case& c : {Case{60, 1, 67}, Case{60, -1, 50}, Case{112, 1, 125}, Case{112, -1, 110}, Case{10, -1, 50},
                          Case{10, 1, 50}, Case{900, 1, 300}, Case{900, -1, 300}}) {
        SCOPED_TRACE(testing::Message() << c.from << " by " << c.by);
        EXPECT_EQ(Zoom::step(c.from, c.by), c.to);
    }
}
