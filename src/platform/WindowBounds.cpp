#include "platform/WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

QRect StoredBounds(int left, int top, int width, int height)
{
    constexpr int Limit = 1000000;
    return {std::clamp(left, -Limit, Limit), std::clamp(top, -Limit, Limit), std::clamp(width, 0, Limit),
            std::clamp(height, 0, Limit)};
}

QRect BoundsWithinArea(const QRect &bounds, const QRect &area)
{
    const int width = std::min(bounds.width(), area.width());
    const int height = std::min(bounds.height(), area.height());
    const int left = std::clamp(bounds.left(), area.left(), area.left() + area.width() - width);
    const int top = std::clamp(bounds.top(), area.top(), area.top() + area.height() - height);
    return {left, top, width, height};
}

int AreaHoldingMost(const QRect &bounds, const std::vector<QRect> &areas, int fallback)
{
    int best = fallback;
    long long bestShare = 0;
    for (size_t i = 0; i < areas.size(); ++i) {
        const QRect common = bounds.intersected(areas[i]);
        const long long share = common.isEmpty() ? 0 : (long long)common.width() * common.height();
        if (share > bestShare) {
            bestShare = share;
            best = int(i);
        }
    }
    return best;
}

QRect BoundsOnScreen(const QRect &bounds)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return bounds;
    std::vector<QRect> areas;
    for (const QScreen *screen : screens) areas.push_back(screen->availableGeometry());
    const int primary = std::max(0, int(screens.indexOf(QGuiApplication::primaryScreen())));
    return BoundsWithinArea(bounds, areas[size_t(AreaHoldingMost(bounds, areas, primary))]);
}
