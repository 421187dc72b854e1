// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/window_placement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <tuple>

namespace velmora {

namespace {

std::int64_t Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : std::int64_t{rect.width()} * rect.height();
}

std::int64_t Overlap(const QRect& a, const QRect& b) {
    return Area(a.intersected(b));
}

// `size` at `at`, pushed wholly onto `screen` (its top left kept on it when too large).
QRect Within(const QRect& screen, QPoint at, QSize size) {
    const int x = std::max(screen.left(), std::min(at.x(), screen.right() + 1 - size.width()));
    const int y = std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

}  // namespace

QRect PlaceBeside(const PlacementAround& around) {
    const QRect& screen = around.screen;
    const QRect& trainer = around.trainer;
    const QRect& keep = around.keepClear;
    const QSize wanted = around.wanted.boundedTo(screen.size());
    const QSize least = around.least.boundedTo(wanted);
    const QSize enough = around.enough.boundedTo(wanted).expandedTo(least);
    auto width = [&](int room) { return std::clamp(room, least.width(), wanted.width()); };
    auto height = [&](int room) { return std::clamp(room, least.height(), wanted.height()); };

    // Sizes from the wanted one down to the least, fitting the room on each
    // side of the trainer and of its answer buttons.
    const std::array widths{wanted.width(),
                            width(screen.right() - trainer.right()),
                            width(trainer.left() - screen.left()),
                            width(screen.right() - keep.right()),
                            width(keep.left() - screen.left()),
                            enough.width(),
                            least.width()};
    const std::array heights{wanted.height(),
                             height(keep.top() - screen.top()),
                             height(screen.bottom() - keep.bottom()),
                             height(trainer.top() - screen.top()),
                             height(screen.bottom() - trainer.bottom()),
                             enough.height(),
                             least.height()};

    // The better place: clear of the answer buttons, then wide enough (the
    // figures scroll down, not across), then tall enough, then clear of the
    // trainer, then larger, then hiding less of it; the first found among equals.
    using Rank = std::tuple<bool, bool, bool, bool, std::int64_t, std::int64_t>;
    QRect best;
    Rank bestRank{true, true, true, true, 0, 0};
    bool found = false;
    for (int w : widths) {
        for (int h : heights) {
            const QSize size(w, h);

            // Right of the trainer first, then left; then along every edge.
            const std::array xs{trainer.right() + 1,    trainer.left() - w, screen.left(),
                                screen.right() + 1 - w, trainer.left(),     trainer.right() + 1 - w,
                                keep.right() + 1,       keep.left() - w};
            const std::array ys{trainer.top(),    screen.top(),      screen.bottom() + 1 - h,
                                keep.top() - h,   keep.bottom() + 1, trainer.bottom() + 1,
                                trainer.top() - h};
            for (int x : xs) {
                for (int y : ys) {
                    const QRect place = Within(screen, QPoint(x, y), size);
                    const std::int64_t hidden = Overlap(place, trainer);
                    const Rank rank{Overlap(place, keep) > 0, w < enough.width(),
                                    h<enough.height(), hidden> 0, -Area(place), hidden};
                    if (!found || rank < bestRank) {
                        best = place;
                        bestRank = rank;
                        found = true;
                    }
                }
            }
        }
    }
    return best;
}

std::optional<QRect> OntoScreens(const QRect& remembered, const std::vector<QRect>& screens) {
    if (remembered.isEmpty()) return std::nullopt;
    const QRect* most = nullptr;
    for (const QRect& screen : screens) {
        if (!most || Overlap(remembered, screen) > Overlap(remembered, *most)) most = &screen;
    }
    if (!most || 2 * Overlap(remembered, *most) < Area(remembered)) return std::nullopt;
    return Within(*most, remembered.topLeft(), remembered.size().boundedTo(most->size()));
}

}  // namespace velmora
