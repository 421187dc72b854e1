#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "midi/midi_out.h"

namespace velmora {

// Passes every message on to the real output and writes it to a file, one line
// each: milliseconds since the log was opened, then the bytes in hex.
//   1234.567 90 3C 7F
class MidiLog final : public MidiOut {
public:
    // `inner` may be null: then the log is the only sink.
    MidiLog(std::unique_ptr<MidiOut> inner, std::string path);
    ~MidiLog() override;

    bool open() override;
    void send(std::uint32_t message) override;
    void setNoteLength(std::chrono::nanoseconds length) override;
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    // Empty when the log file is being written, else why not.
    const std::string& problem() const { return problem_; }

private:
    std::unique_ptr<MidiOut> inner_;
    std::string path_;
    std::FILE* file_ = nullptr;
    std::string problem_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace velmora
