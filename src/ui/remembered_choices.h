// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QRect>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coach/coach_options.h"
#include "midi/sound_options.h"

class QSettings;

namespace velmora {

// The choices of how the program lives on this desktop that outlast it: the
// sound output, SoundFont and audio driver, the MIDI input, the zoom and the
// daily goal of practice. The
// trainer's own settings are not among them. Kept by QSettings in the
// desktop's usual place, $XDG_CONFIG_HOME/velmora/velmora.conf.
class RememberedChoices {
public:
    RememberedChoices();
    // In the given file instead, for tests.
    explicit RememberedChoices(const QString& fileName);
    // $XDG_CONFIG_HOME/velmora/velmora.conf
    static QString DefaultFileName();
    ~RememberedChoices();
    RememberedChoices(const RememberedChoices&) = delete;
    RememberedChoices& operator=(const RememberedChoices&) = delete;

    // Output, SoundFont, audio driver and volume as remembered; nothing else.
    // Only a volume in 0..kLoudestVolume is taken.
    SoundOptions sound() const;
    std::optional<std::string> midiIn() const;    // empty: none chosen
    std::optional<int> zoomPercent() const;       // only a whole percent in 100..300
    std::optional<int> dailyGoalMinutes() const;  // only a whole number of minutes in 1..600
    // Where the learner last put the Progress window; only a rectangle of a sane size.
    std::optional<QRect> progressWindowGeometry() const;
    // The coach's options; each one not written, or not "true" or "false", as at first start.
    CoachOptions coachOptions() const;

    // Each is written only when the user makes that choice in the window.
    // No value: the default (the key is forgotten).
    void rememberMidiOut(const std::optional<std::string>& output);
    void rememberSoundFont(const std::optional<std::string>& path);
    void rememberAudioDriver(const std::optional<std::string>& driver);
    void rememberVolume(int percent);
    void rememberMidiIn(const std::string& port);
    void rememberZoomPercent(int percent);
    void rememberDailyGoalMinutes(int minutes);
    void rememberProgressWindowGeometry(const QRect& geometry);
    void rememberCoachOptions(const CoachOptions& options);

    QString fileName() const;
    // Why the file cannot be read or written, each reason once; empty when
    // there is nothing new to tell.
    std::string takeProblem();

private:
    void write(const QString& key, const std::optional<QVariant>& value);
    bool readyToWrite();
    void notice(const std::string& problem);

    QString fileName_;
    std::unique_ptr<QSettings> settings_;  // none when the file cannot be used
    bool unreadable_ = false;              // not INI: moved aside before the first write
    std::vector<std::string> untold_;
    std::vector<std::string> told_;
};

}  // namespace velmora
