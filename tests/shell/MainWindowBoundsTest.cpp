// The main window's stored bounds at start: a window stored beyond the screen comes back onto it.
#include "shell/MainTestSupport.h"

#include "shell/Main.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

class MainWindowBounds : public ShellTest {};

struct StoredBoundsCase
{
    const char *Name;
    QRect Stored;
    bool SizeKept;
};

} // namespace

TEST_F(MainWindowBounds, StoredBoundsBeyondTheScreenComeBackOntoIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const StoredBoundsCase cases[] = {
        {"on the screen", {area.left() + 10, area.top() + 20, 300, 200}, true},
        {"beyond the right and bottom", {area.right() + 2000, area.bottom() + 1500, 300, 200}, true},
        {"left of and above", {area.left() - 5000, area.top() - 900, 300, 200}, true},
        {"larger than the screen", {area.left() + 50, area.top() + 50, area.width() + 900, area.height() + 400},
         false},
    };
    for (const StoredBoundsCase &c : cases) {
        SCOPED_TRACE(c.Name);
        WithSettings([&](TRegistry &reg) {
            reg.WriteInteger("MWinTop", c.Stored.top());
            reg.WriteInteger("MWinLeft", c.Stored.left());
            reg.WriteInteger("MWinHeight", c.Stored.height());
            reg.WriteInteger("MWinWidth", c.Stored.width());
        });
        Start();
        const QRect bounds(Form->pos(), Form->size());
        EXPECT_TRUE(area.contains(bounds)) << bounds.x() << "," << bounds.y() << " " << bounds.width() << "x"
                                           << bounds.height();
        EXPECT_EQ(Form->size(), c.SizeKept ? c.Stored.size() : area.size());
        if (area.contains(c.Stored)) {
            EXPECT_EQ(bounds, c.Stored);
        }
        Close();
    }
}
