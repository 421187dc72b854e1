// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/midi_input_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <utility>
#include <vector>

#include "ui/qt_app.h"

namespace velmora {
namespace {

// An item's text, and whether it is checked.
using Entry = std::pair<QString, bool>;

// The items that choose an input.
std::vector<Entry> Entries(const QMenu& menu) {
    std::vector<Entry> entries;
    for (const QAction* action : menu.actions()) {
        if (action->isCheckable()) entries.push_back({action->text(), action->isChecked()});
    }
    return entries;
}

// Every item, as shown: "---" for a separator, a disabled one in brackets.
std::vector<QString> Shown(const QMenu& menu) {
    std::vector<QString> shown;
    for (const QAction* action : menu.actions()) {
        const QString text = action->isSeparator() ? "---" : action->text();
        shown.push_back(action->isEnabled() ? text : "[" + text + "]");
    }
    return shown;
}

TEST(MidiInputMenu, ListsNoneAndEveryPortWithTheOneInUseChecked) {
    EnsureQtApplication();
    QMenu shown;
    KeyboardInput input([] {});
    MidiInputMenu menu(shown, input);
    EXPECT_EQ(Entries(*menu.menu()), (std::vector<Entry>{{"None", true}}));

    const MidiInputPort keys{false, "Keys & Pads:Keys & Pads MIDI 1 24:0"};
    const MidiInputPort through{false, "Midi Through:Midi Through Port-0 14:0"};
    menu.update({.status = "", .newProblems = {}, .ports = {through, keys}, .connected = {}});
    EXPECT_EQ(Entries(*menu.menu()),
              (std::vector<Entry>{{"None", true},
                                  {"Midi Through:Midi Through Port-0 14:0", false},
                                  {"Keys && Pads:Keys && Pads MIDI 1 24:0", false}}))
        << "an ampersand is shown, not taken for a mnemonic";

    menu.update({.status = "MIDI input: Keys",
                 .newProblems = {},
                 .ports = {through, keys},
                 .connected = keys});
    EXPECT_EQ(Entries(*menu.menu())[0], (Entry{"None", false}));
    EXPECT_TRUE(Entries(*menu.menu())[2].second);

    // Chosen but gone: neither None nor any port is the one in use.
    menu.update({.status = "MIDI input 'Keys' has gone",
                 .newProblems = {},
                 .ports = {through},
                 .connected = {}});
    for (const Entry& entry : Entries(*menu.menu()))
        EXPECT_FALSE(entry.second) << entry.first.toStdString();
}

// With no port there is still None to choose, and a line that says why
// nothing else is there; Look again lists the ports afresh, at the end.
TEST(MidiInputMenu, SaysWhenNoInputIsFoundAndLooksAgainWhenAsked) {
    EnsureQtApplication();
    QMenu shown;
    KeyboardInput input([] {});
    MidiInputMenu menu(shown, input);
    int listings = 0;
    menu.listAfresh = [&listings] { ++listings; };
    menu.update({.status = "", .newProblems = {}, .ports = {}, .connected = {}});
    EXPECT_EQ(Shown(shown), (std::vector<QString>{"None", "---", "[No MIDI inputs found]", "---",
                                                  "&Look again"}));

    QAction* lookAgain = shown.actions().back();
    lookAgain->trigger();
    EXPECT_EQ(listings, 1);
    // The fresh list comes back from the keyboard's watcher.
    const MidiInputPort keys{false, "Keys:Keys MIDI 1 24:0"};
    menu.update({.status = "", .newProblems = {}, .ports = {keys}, .connected = {}});
    EXPECT_EQ(Shown(shown),
              (std::vector<QString>{"None", "---", "Keys:Keys MIDI 1 24:0", "---", "&Look again"}));
    emit shown.aboutToShow();
    EXPECT_EQ(listings, 2) << "opening the menu lists them afresh too";
}

}  // namespace
}  // namespace velmora
