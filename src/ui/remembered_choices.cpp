// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/remembered_choices.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "ui/daily_goal.h"

namespace velmora {

namespace {

const QString kMidiOut = QStringLiteral("sound/output");
const QString kSoundFont = QStringLiteral("sound/soundfont");
const QString kAudioDriver = QStringLiteral("sound/audio-driver");
const QString kVolume = QStringLiteral("sound/volume");
const QString kMidiIn = QStringLiteral("midi/input");
const QString kZoom = QStringLiteral("window/zoom");
constexpr int kZoomLeast = 100;
constexpr int kZoomMost = 300;
const QString kDailyGoal = QStringLiteral("progress/daily-goal-minutes");
const QString kProgressGeometry = QStringLiteral("progress/window-geometry");
// Beyond any desktop, or too small to be a window: written by hand, or broken.
constexpr int kFarthest = 100'000;
constexpr int kSmallest = 50;
const QString kCoachChooses = QStringLiteral("coach/chooses-questions");
const QString kCoachClearsEar = QStringLiteral("coach/clears-ear");
const QString kCoachHearsAnswer = QStringLiteral("coach/hears-answer-after-mistakes");

std::optional<std::string> Text(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (!value.isValid()) return std::nullopt;
    return value.toString().toStdString();
}

// A volume in percent; a fraction is rounded. Not a number in C's way of
// writing one ("80,5"), not finite, or out of range: no choice.
std::optional<int> Volume(const QSettings& settings) {
    bool number = false;
    const double percent = settings.value(kVolume).toString().trimmed().toDouble(&number);
    if (!number || !std::isfinite(percent) || percent < 0 || percent > kLoudestVolume) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(percent));
}

// "true" or "false" as QSettings writes them; anything else is no choice.
std::optional<bool> Flag(const QSettings& settings, const QString& key) {
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true")) return true;
    if (text == QLatin1String("false")) return false;
    return std::nullopt;
}

std::optional<QVariant> TextValue(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return QString::fromStdString(*text);
}

// A file the user keeps from being written. Root could write it all the same,
// so the permissions are read too, not only access().
bool ReadOnly(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (error || !fs::exists(status)) return false;
    const fs::perms write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & write) == fs::perms::none || access(file.c_str(), W_OK) != 0;
}

// Moves `fileName` to a name of its own beside it, never over another file;
// empty when it cannot be moved.
QString MoveAside(const QString& fileName) {
    const QString stem = fileName + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString aside = attempt == 1 ? stem : stem + QStringLiteral("-%1").arg(attempt);
        if (QFile::exists(aside)) continue;
        return QFile::rename(fileName, aside) ? aside : QString();
    }
    return {};
}

}  // namespace

QString RememberedChoices::DefaultFileName() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/velmora/velmora.conf");
}

RememberedChoices::RememberedChoices() : RememberedChoices(DefaultFileName()) {}

RememberedChoices::RememberedChoices(const QString& fileName) : fileName_(fileName) {
    // Reading a FIFO would wait for a writer, and a folder holds no choices:
    // the program starts on its defaults and remembers nothing.
    std::error_code error;
    const auto status = std::filesystem::status(fileName.toStdString(), error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        notice("the choices are neither read nor remembered: " + fileName.toStdString() +
               " is not a file");
        return;
    }
    settings_ = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    // QSettings reads the file at the first question asked of it: asked now,
    // an unreadable file is known before anything is written.
    settings_->allKeys();
    if (settings_->status() == QSettings::FormatError) {
        unreadable_ = true;
        notice("the remembered choices in " + fileName.toStdString() + " cannot be read");
    }
}

RememberedChoices::~RememberedChoices() = default;

SoundOptions RememberedChoices::sound() const {
    SoundOptions options;
    if (!settings_) return options;
    options.midiOut = Text(*settings_, kMidiOut);
    options.soundFont = Text(*settings_, kSoundFont);
    options.audioDriver = Text(*settings_, kAudioDriver);
    // An empty value is no choice: the program's default.
    for (auto* choice : {&options.midiOut, &options.soundFont, &options.audioDriver}) {
        if (*choice && (*choice)->empty()) choice->reset();
    }
    options.volume = Volume(*settings_);
    return options;
}

std::optional<std::string> RememberedChoices::midiIn() const {
    if (!settings_) return std::nullopt;
    return Text(*settings_, kMidiIn);
}

std::optional<int> RememberedChoices::zoomPercent() const {
    if (!settings_) return std::nullopt;
    bool number = false;
    const int percent = settings_->value(kZoom).toInt(&number);
    if (!number || percent < kZoomLeast || percent > kZoomMost) return std::nullopt;
    return percent;
}

std::optional<int> RememberedChoices::dailyGoalMinutes() const {
    if (!settings_) return std::nullopt;
    bool number = false;
    const int minutes = settings_->value(kDailyGoal).toInt(&number);
    if (!number || minutes < kDailyGoalLeast || minutes > kDailyGoalMost) return std::nullopt;
    return minutes;
}

// "x y width height" in whole pixels, as a learner could also write it.
std::optional<QRect> RememberedChoices::progressWindowGeometry() const {
    if (!settings_) return std::nullopt;
    const QStringList parts = settings_->value(kProgressGeometry).toString().split(' ');
    if (parts.size() != 4) return std::nullopt;
    std::array<int, 4> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        bool number = false;
        numbers[i] = parts[static_cast<qsizetype>(i)].toInt(&number);
        if (!number || std::abs(numbers[i]) > kFarthest) return std::nullopt;
    }
    const QRect geometry(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (geometry.width() < kSmallest || geometry.height() < kSmallest) return std::nullopt;
    return geometry;
}

void RememberedChoices::rememberProgressWindowGeometry(const QRect& geometry) {
    write(kProgressGeometry, QStringLiteral("%1 %2 %3 %4")
                                 .arg(geometry.x())
                                 .arg(geometry.y())
                                 .arg(geometry.width())
                                 .arg(geometry.height()));
}

void RememberedChoices::rememberMidiOut(const std::optional<std::string>& output) {
    write(kMidiOut, TextValue(output));
}

void RememberedChoices::rememberSoundFont(const std::optional<std::string>& path) {
    write(kSoundFont, TextValue(path));
}

void RememberedChoices::rememberAudioDriver(const std::optional<std::string>& driver) {
    write(kAudioDriver, TextValue(driver));
}

void RememberedChoices::rememberVolume(int percent) {
    if (percent < 0 || percent > kLoudestVolume) return;
    write(kVolume, percent);
}

void RememberedChoices::rememberMidiIn(const std::string& port) {
    write(kMidiIn, QString::fromStdString(port));
}

void RememberedChoices::rememberZoomPercent(int percent) {
    if (percent < kZoomLeast || percent > kZoomMost) return;
    write(kZoom, percent);
}

CoachOptions RememberedChoices::coachOptions() const {
    CoachOptions options;
    if (!settings_) return options;
    options.choosesQuestions = Flag(*settings_, kCoachChooses).value_or(options.choosesQuestions);
    options.clearsEar = Flag(*settings_, kCoachClearsEar).value_or(options.clearsEar);
    options.hearsAnswerAfterMistakes =
        Flag(*settings_, kCoachHearsAnswer).value_or(options.hearsAnswerAfterMistakes);
    return options;
}

void RememberedChoices::rememberCoachOptions(const CoachOptions& options) {
    write(kCoachChooses, options.choosesQuestions);
    write(kCoachClearsEar, options.clearsEar);
    write(kCoachHearsAnswer, options.hearsAnswerAfterMistakes);
}

void RememberedChoices::rememberDailyGoalMinutes(int minutes) {
    if (minutes < kDailyGoalLeast || minutes > kDailyGoalMost) return;
    write(kDailyGoal, minutes);
}

void RememberedChoices::write(const QString& key, const std::optional<QVariant>& value) {
    if (!readyToWrite()) return;
    if (value) {
        settings_->setValue(key, *value);
    } else {
        settings_->remove(key);
    }
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        notice("the choices cannot be remembered: " + fileName_.toStdString() +
               " cannot be written");
    }
}

bool RememberedChoices::readyToWrite() {
    if (!settings_) return false;
    const std::string file = fileName_.toStdString();
    // Nothing may be set for such a file: QSettings writes what was set when it
    // goes, whatever sync() found.
    if (ReadOnly(file)) {
        notice("the choices cannot be remembered: " + file + " is read-only");
        return false;
    }
    if (!unreadable_) return true;
    // Written as it is, its garbage would be kept, re-encoded, beside the choice.
    const QString aside = MoveAside(fileName_);
    if (aside.isEmpty()) {
        notice("the choices cannot be remembered: " + file +
               " cannot be read, and cannot be moved aside");
        return false;
    }
    notice("the remembered choices in " + file +
           " could not be read; the file was moved aside to " + aside.toStdString() +
           " and the choices are remembered afresh");
    unreadable_ = false;
    settings_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
    return true;
}

void RememberedChoices::notice(const std::string& problem) {
    if (std::find(told_.begin(), told_.end(), problem) != told_.end()) return;
    if (std::find(untold_.begin(), untold_.end(), problem) != untold_.end()) return;
    untold_.push_back(problem);
}

QString RememberedChoices::fileName() const {
    return fileName_;
}

std::string RememberedChoices::takeProblem() {
    std::string problems;
    for (std::string& problem : untold_) {
        if (!problems.empty()) problems += "; ";
        problems += problem;
        told_.push_back(std::move(problem));
    }
    untold_.clear();
    return problems;
}

}  // namespace velmora
