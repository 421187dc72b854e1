// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/sound_menu.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include <memory>

#include "app/trainer.h"
#include "ports/manual_scheduler.h"
#include "testing/temp_dir.h"
#include "ui/main_window.h"
#include "ui/qt_app.h"
#include "ui/remembered_choices.h"
#include "ui/sound_dialog.h"
#include "ui/status_line.h"
#include "ui/volume_slider.h"

namespace velmora {
namespace {

QString FileIn(const testing::TempDir& dir) {
    return QString::fromStdString((dir.path() / "velmora.conf").string());
}

TEST(RememberedChoicesTest, ChoicesAreWrittenReadBackAndForgotten) {
    testing::TempDir dir;
    {
        RememberedChoices choices(FileIn(dir));
        choices.rememberMidiOut("Piano MIDI 1");
        choices.rememberSoundFont("/fonts/grand piano.sf2");
        choices.rememberAudioDriver("alsa");
        choices.rememberMidiIn("Keys:Keys MIDI 1");
        choices.rememberZoomPercent(150);
        choices.rememberZoomPercent(5000);  // not a zoom there is
    }
    RememberedChoices again(FileIn(dir));
    EXPECT_EQ(again.sound().midiOut, "Piano MIDI 1");
    EXPECT_EQ(again.sound().soundFont, "/fonts/grand piano.sf2");
    EXPECT_EQ(again.sound().audioDriver, "alsa");
    EXPECT_EQ(again.midiIn(), "Keys:Keys MIDI 1");
    EXPECT_EQ(again.zoomPercent(), 150);

    again.rememberSoundFont(std::nullopt);  // the default again
    EXPECT_FALSE(RememberedChoices(FileIn(dir)).sound().soundFont);
    QSettings(FileIn(dir), QSettings::IniFormat).setValue("window/zoom", "huge");
    EXPECT_FALSE(RememberedChoices(FileIn(dir)).zoomPercent());
    EXPECT_EQ(again.takeProblem(), "");

    // A FIFO in the file's place would hold the start until someone writes it.
    const QString fifo = QString::fromStdString((dir.path() / "fifo.conf").string());
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    RememberedChoices onFifo(fifo);
    onFifo.rememberAudioDriver("alsa");
    EXPECT_FALSE(onFifo.sound().audioDriver);
    EXPECT_NE(onFifo.takeProblem().find("is not a file"), std::string::npos);
}

// The window with its Sound menu, playing through a port that is not there.
class SoundMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    SoundMenuTest() {
        SoundOptions options;
        options.midiOut = "no such port anywhere";
        sound = std::make_unique<SoundSetup>(options);
        trainer = std::make_unique<Trainer>(sound->device(), clock, sound->beeper());
        window = std::make_unique<MainWindow>(*trainer);
        menu = std::make_unique<SoundMenu>(*window->soundMenu(), *sound, &remembered);
        menu->listPorts = [this] { return ports; };
        menu->listSoundFonts = [] { return std::vector<std::string>{}; };
        menu->listDrivers = [] { return std::vector<std::string>{"alsa"}; };
        window->setTryAgain(menu->tryAgainAction());
        sound->onChange([this] { show(); });
        trainer->Form_Load();
        show();
    }
    ~SoundMenuTest() override { trainer->Form_Unload(); }

    void show() {
        const SoundReport report = sound->report();
        window->setSoundStatus(QString::fromStdString(report.status), report.problem);
        menu->update(report);
    }
    StatusLine* statusLine() { return Named<StatusLine>(*window, "sound output"); }

    testing::TempDir dir;
    RememberedChoices remembered{FileIn(dir)};
    ManualScheduler clock;
    std::unique_ptr<SoundSetup> sound;
    std::unique_ptr<Trainer> trainer;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SoundMenu> menu;
    std::vector<std::string> ports{"Gone Synth:Gone Synth Port 128:0"};
};

TEST_F(SoundMenuTest, AProblemShowsAsOneWithTryAgainBesideIt) {
    window->show();
    StatusLine* line = statusLine();
    ASSERT_NE(line, nullptr);
    auto* button = window->findChild<QToolButton*>("tryAgain");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(line->message().contains("no such port anywhere")) << line->message().toStdString();
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(line->backgroundRole(), QPalette::ToolTipBase);

    // Try Again opens the same choice again: still the same problem, told again.
    int changes = 0;
    sound->onChange([&] {
        ++changes;
        show();
    });
    button->click();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(button->isVisible());

    window->setSoundStatus("Built-in synthesizer · TimGM6mb");
    EXPECT_FALSE(line->problem());
    EXPECT_FALSE(button->isVisible());
    EXPECT_EQ(line->backgroundRole(), QPalette::Window);
}

TEST_F(SoundMenuTest, AChoiceInTheDialogTakesEffectAndOnlyItIsRemembered) {
    menu->settingsAction()->trigger();
    SoundDialog* dialog = menu->dialog();
    ASSERT_NE(dialog, nullptr);
    QComboBox* output = dialog->outputBox();
    ASSERT_EQ(output->count(), 3) << "built in, the port listed, the port chosen now";
    // The port listed without its address, which changes.
    const int listed = output->findData("Gone Synth:Gone Synth Port");
    EXPECT_FALSE(dialog->soundFontBox()->isEnabled()) << "a port has no SoundFont";

    // The port vanished between listing and choosing: a problem, no more.
    output->setCurrentIndex(listed);
    emit output->activated(listed);
    EXPECT_EQ(sound->options().midiOut, "Gone Synth:Gone Synth Port");
    EXPECT_TRUE(statusLine()->problem());

    dialog->refresh(sound->options(), ports, {}, {"alsa"});
    output->setCurrentIndex(0);
    emit output->activated(0);
    dialog->driverBox()->setCurrentIndex(1);
    emit dialog->driverBox()->activated(1);
    EXPECT_FALSE(sound->options().midiOut);
    EXPECT_EQ(sound->options().audioDriver, "alsa");
    EXPECT_TRUE(dialog->soundFontBox()->isEnabled());

    RememberedChoices written(FileIn(dir));
    EXPECT_FALSE(written.sound().midiOut) << "the built-in synthesizer is the default";
    EXPECT_EQ(written.sound().audioDriver, "alsa");
    EXPECT_FALSE(QSettings(FileIn(dir), QSettings::IniFormat).contains("sound/soundfont"));
}

// The built-in synthesizer, never opened, at 80 %: what the dialog asks of
// it shows in the sound's options and in whether it was opened again.
class SoundDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    SoundDialogTest() {
        sound.onChange([this] { ++reopened; });
        menu.listDrivers = [] { return std::vector<std::string>{"pulseaudio", "alsa", "sndman"}; };
        menu.settingsAction()->trigger();
        slider = menu.dialog()->volumeSlider();
    }
    std::optional<int> rememberedVolume() const {
        return RememberedChoices(FileIn(dir)).sound().volume;
    }

    testing::TempDir dir;
    RememberedChoices remembered{FileIn(dir)};
    SoundSetup sound{[] {
        SoundOptions options;
        options.volume = 80;
        return options;
    }()};
    int reopened = 0;
    QWidget window;
    QMenu shown{&window};
    SoundMenu menu{shown, sound, &remembered};
    VolumeSlider* slider = nullptr;
};

TEST_F(SoundDialogTest, TheVolumeChangesAsItMovesAndIsRememberedWhereItStops) {
    EXPECT_EQ(slider->value(), 80);
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(spoken, nullptr);
    EXPECT_EQ(spoken->text(QAccessible::Name), "Volume");
    EXPECT_EQ(spoken->text(QAccessible::Value), "80 percent");

    // Dragged: every step is heard at once, only where it stops is remembered.
    slider->setSliderDown(true);
    slider->setValue(150);
    EXPECT_EQ(sound.options().volume, 150);
    EXPECT_EQ(rememberedVolume(), std::nullopt) << "not while dragging";
    slider->setSliderDown(false);
    EXPECT_EQ(rememberedVolume(), 150);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(rememberedVolume(), 155);
    EXPECT_EQ(menu.dialog()->volumeFigure()->text(), "155 %");
    EXPECT_EQ(reopened, 0) << "the synthesizer plays on, not opened again";

    // Another driver opens the synthesizer again, at the volume chosen.
    QComboBox* drivers = menu.dialog()->driverBox();
    EXPECT_EQ(drivers->itemText(1), "Desktop sound server (pulseaudio)");
    EXPECT_EQ(drivers->itemText(3), "sndman");
    drivers->setCurrentIndex(2);
    emit drivers->activated(2);
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(sound.options().audioDriver, "alsa");
    EXPECT_EQ(sound.options().volume, 155);
}

// A port plays as loud as its device is set; a gain given on the command line
// holds for the run. Either way the slider cannot be moved, and says why.
TEST_F(SoundDialogTest, TheVolumeIsTheBuiltInSynthesizersAloneAndTheCommandLinesGainWins) {
    SoundDialog* dialog = menu.dialog();
    SoundOptions given;
    given.midiOut = "Piano";
    dialog->refresh(given, {"Piano 20:0"}, {}, {});
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_TRUE(slider->toolTip().contains("MIDI port")) << slider->toolTip().toStdString();
    given = {};
    given.synthSettings = {{"synth.gain", "0.3"}};
    dialog->refresh(given, {}, {}, {});
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_TRUE(slider->toolTip().contains("command line")) << slider->toolTip().toStdString();
    dialog->refresh(sound.options(), {}, {}, {});
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(reopened, 0) << "showing is no choice";
}

}  // namespace
}  // namespace velmora
