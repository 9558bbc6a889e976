#include "views/icons/Icons.h"
#include "views/pane/ViewModeLabels.h"

#include <QSet>
#include <gtest/gtest.h>

// The menu and the pane's mode buttons tell the modes apart by these alone:
// each mode needs a title of its own and an icon the program can draw.
TEST(ViewModeLabels, EveryModeHasItsOwnTitleAndADrawnIcon)
{
    QSet<QString> titles;
    QSet<QString> icons;
    for (const ViewMode m : ViewMode::allCases()) {
        SCOPED_TRACE(m.rawValue().toStdString());
        const QString title = ViewModeLabels::title(m);
        const QString icon = ViewModeLabels::icon(m);
        EXPECT_FALSE(title.trimmed().isEmpty());
        EXPECT_FALSE(Icons::icon(icon).isNull()) << icon.toStdString();
        titles << title;
        icons << icon;
    }
    EXPECT_EQ(titles.size(), ViewMode::allCases().size());
    EXPECT_EQ(icons.size(), ViewMode::allCases().size());
}
