// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "model/controls.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ScrollBar, ValueStaysBetweenTheEndsAndEveryChangeFires) {
    ScrollBar bar("vsb", 20, 240, 60);
    std::vector<int> seen;
    bar.onChange = [&] { seen.push_back(bar.value()); };

    bar.setValue(60);  // no change, no event
    bar.stepUp();
    bar.stepDown();
    bar.setValue(1000);
    bar.setValue(-5);
    EXPECT_EQ(seen, (std::vector<int>{61, 60, 240, 20}));

    // Moving an end past the value drags the value along, with its event.
    bar.setValue(100);
    seen.clear();
    bar.setMaximum(90);
    bar.setMinimum(95);
    EXPECT_EQ(seen, (std::vector<int>{90, 95}));
    EXPECT_EQ(bar.maximum(), 95);
    bar.setMaximum(200);
    EXPECT_EQ(seen.size(), 2u) << "an end moved away from the value leaves it alone";
}

TEST(ListControl, SelectingFromCodeFiresClickLikeTheUser) {
    ListControl list("lst");
    int clicks = 0;
    int viewUpdates = 0;
    list.onClick = [&] { ++clicks; };
    list.setViewObserver([&](const ControlChange&) { ++viewUpdates; });
    list.setItems({"a", "b"});
    list.setListIndex(1);
    list.setListIndex(1);
    list.setListIndex(7);  // no such item
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.text(), "b");
    EXPECT_EQ(viewUpdates, 2);
}

TEST(Label, CaptionChangeFiresOnlyOnARealChange) {
    Label label("lbl");
    std::vector<std::string> seen;
    label.onChange = [&] { seen.push_back(label.caption()); };
    label.setCaption("C4");
    label.setCaption("C4");
    label.setCaption("");
    EXPECT_EQ(seen, (std::vector<std::string>{"C4", ""}));
}

}  // namespace
}  // namespace velmora
