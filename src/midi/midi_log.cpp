#include "midi/midi_log.h"

#include <cerrno>
#include <cstring>

#include "midi/messages.h"
#include "text/printable.h"

namespace velmora {

MidiLog::MidiLog(std::unique_ptr<MidiOut> inner, std::string path)
    : inner_(std::move(inner)), path_(std::move(path)), start_(std::chrono::steady_clock::now()) {
    file_ = std::fopen(path_.c_str(), "w");
    if (!file_) problem_ = "cannot write MIDI log " + Quoted(path_) + ": " + std::strerror(errno);
}

MidiLog::~MidiLog() {
    if (file_) std::fclose(file_);
}

bool MidiLog::open() {
    return inner_ ? inner_->open() : file_ != nullptr;
}

void MidiLog::send(std::uint32_t message) {
    if (file_) {
        const std::chrono::duration<double, std::milli> t =
            std::chrono::steady_clock::now() - start_;
        std::fprintf(file_, "%.3f %s\n", t.count(), FormatMessage(message).c_str());
        // Readers (a user's tail -f, a test) see each message as it is sent.
        std::fflush(file_);
    }
    if (inner_) inner_->send(message);
}

void MidiLog::setNoteLength(std::chrono::nanoseconds length) {
    if (inner_) inner_->setNoteLength(length);
}

void MidiLog::close() {
    if (inner_) inner_->close();
    if (file_) std::fflush(file_);
}

std::string MidiLog::description() const {
    return inner_ ? inner_->description() : "MIDI log " + Printable(path_);
}

bool MidiLog::isWorking() const {
    return inner_ ? inner_->isWorking() : file_ != nullptr;
}

}  // namespace velmora
