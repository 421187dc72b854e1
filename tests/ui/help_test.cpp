// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/help.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTextDocument>

#include <map>

#include "ui/practice_menu.h"
#include "ui/qt_app.h"

namespace velmora {
namespace {

// A menu item as the guide writes it: without its mnemonic or the dots of a
// dialog.
QString Plain(QString text) {
    text.remove(QLatin1Char('&'));
    text.remove(QChar(0x2026));
    return text.trimmed();
}

// The guide is checked against the menus the window really builds, so an item
// or an exercise added to them without a word in the guide is caught.
class GuideTest : public MainWindowFixture {
protected:
    PracticeMenu practice{*window->practiceMenu(), trainer};

    static QString GuideText() {
        QTextDocument document;
        document.setHtml(GuideHtml());
        return document.toPlainText().simplified();
    }
};

TEST_F(GuideTest, NamesEachExerciseSeriesWithItsLengthAndFirstPitchClasses) {
    const QString guide = GuideText();
    EXPECT_TRUE(guide.contains(Plain(window->exerciseMenu()->title())));

    struct Series {
        int count = 0;
        QString firstPitchClasses;  // "F# and Eb"
    };
    std::map<QString, Series> series;
    for (QAction* item : window->exerciseMenu()->actions()) {
        const QString text = Plain(item->text());  // "Diminished Exercise 1 (F#, Eb)"
        const qsizetype word = text.indexOf(QStringLiteral(" Exercise "));
        ASSERT_GT(word, 0) << text.toStdString();
        Series& one = series[text.left(word)];
        if (one.count++ == 0) {
            const qsizetype open = text.indexOf(QLatin1Char('('));
            one.firstPitchClasses = text.mid(open + 1, text.size() - open - 2)
                                        .replace(QStringLiteral(", "), QStringLiteral(" and "));
        }
    }
    ASSERT_EQ(series.size(), 2u);
    for (const auto& [name, one] : series) {
        EXPECT_TRUE(guide.contains(QStringLiteral("%1 Exercise 1 to %2").arg(name).arg(one.count)))
            << name.toStdString();
        EXPECT_TRUE(guide.contains("starts with " + one.firstPitchClasses))
            << name.toStdString() << " starts with " << one.firstPitchClasses.toStdString();
    }
}

TEST_F(GuideTest, NamesEveryPracticeMenuItemWithItsShortcut) {
    const QString guide = GuideText();
    EXPECT_TRUE(guide.contains("The " + Plain(window->practiceMenu()->title()) + " menu"));
    int items = 0;
    for (QAction* item : window->practiceMenu()->actions()) {
        if (item->isSeparator()) continue;
        ++items;
        QString named = Plain(item->text());
        if (!item->shortcut().isEmpty()) {
            named += " (" + item->shortcut().toString(QKeySequence::NativeText) + ")";
        }
        EXPECT_TRUE(guide.contains(named, Qt::CaseInsensitive)) << named.toStdString();
    }
    EXPECT_GE(items, 4);
}

}  // namespace
}  // namespace velmora
