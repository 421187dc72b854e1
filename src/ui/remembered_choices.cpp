#include "ui/remembered_choices.h"

#include <QSettings>
#include <QStandardPaths>

#include <filesystem>

namespace velmora {

namespace {

const QString kMidiOut = QStringLiteral("sound/output");
const QString kSoundFont = QStringLiteral("sound/soundfont");
const QString kAudioDriver = QStringLiteral("sound/audio-driver");
const QString kMidiIn = QStringLiteral("midi/input");
const QString kZoom = QStringLiteral("window/zoom");
constexpr int kZoomLeast = 100;
constexpr int kZoomMost = 300;

std::optional<std::string> Text(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (!value.isValid()) return std::nullopt;
    return value.toString().toStdString();
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
        problem_ = "the choices are neither read nor remembered: " + fileName.toStdString() +
                   " is not a file";
        return;
    }
    settings_ = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
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

void RememberedChoices::rememberMidiOut(const std::optional<std::string>& output) {
    write(kMidiOut, output);
}

void RememberedChoices::rememberSoundFont(const std::optional<std::string>& path) {
    write(kSoundFont, path);
}

void RememberedChoices::rememberAudioDriver(const std::optional<std::string>& driver) {
    write(kAudioDriver, driver);
}

void RememberedChoices::rememberMidiIn(const std::string& port) {
    write(kMidiIn, port);
}

void RememberedChoices::rememberZoomPercent(int percent) {
    if (!settings_ || percent < kZoomLeast || percent > kZoomMost) return;
    settings_->setValue(kZoom, percent);
    settings_->sync();
}

void RememberedChoices::write(const QString& key, const std::optional<std::string>& value) {
    if (!settings_) return;
    if (value) {
        settings_->setValue(key, QString::fromStdString(*value));
    } else {
        settings_->remove(key);
    }
    settings_->sync();
}

QString RememberedChoices::fileName() const {
    return fileName_;
}

std::string RememberedChoices::takeProblem() {
    if (problemTold_) return {};
    if (!problem_.empty()) {
        problemTold_ = true;
        return problem_;
    }
    if (!settings_ || settings_->status() == QSettings::NoError) return {};
    problemTold_ = true;
    const std::string file = fileName_.toStdString();
    if (settings_->status() == QSettings::FormatError) {
        return "the remembered choices in " + file + " cannot be read";
    }
    return "the choices cannot be remembered: " + file + " cannot be written";
}

}  // namespace velmora
