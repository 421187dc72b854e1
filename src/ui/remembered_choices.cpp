#include "ui/remembered_choices.h"

#include <QSettings>

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

RememberedChoices::RememberedChoices()
    : settings_(std::make_unique<QSettings>(QStringLiteral("velmora"), QStringLiteral("velmora"))) {
}

RememberedChoices::RememberedChoices(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

RememberedChoices::~RememberedChoices() = default;

SoundOptions RememberedChoices::sound() const {
    SoundOptions options;
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
    return Text(*settings_, kMidiIn);
}

std::optional<int> RememberedChoices::zoomPercent() const {
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
    if (percent < kZoomLeast || percent > kZoomMost) return;
    settings_->setValue(kZoom, percent);
    settings_->sync();
}

void RememberedChoices::write(const QString& key, const std::optional<std::string>& value) {
    if (value) {
        settings_->setValue(key, QString::fromStdString(*value));
    } else {
        settings_->remove(key);
    }
    settings_->sync();
}

QString RememberedChoices::fileName() const {
    return settings_->fileName();
}

std::string RememberedChoices::takeProblem() {
    if (problemTold_ || settings_->status() == QSettings::NoError) return {};
    problemTold_ = true;
    const std::string file = settings_->fileName().toStdString();
    if (settings_->status() == QSettings::FormatError) {
        return "the remembered choices in " + file + " cannot be read";
    }
    return "the choices cannot be remembered: " + file + " cannot be written";
}

}  // namespace velmora
