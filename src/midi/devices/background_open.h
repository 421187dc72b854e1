#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/midi_out.h"
#include "ports/beeper.h"

namespace velmora {

// Opens another output on a worker thread, so that loading a SoundFont and
// starting an audio driver never hold the window back. Only the inner open()
// runs on the worker; its end is handed back through `post` to the thread
// that owns this object, which does everything else.
//
// Messages sent while the inner output opens are kept and go out once it is
// open, in order, except notes already released by then: those are dropped
// rather than sounded late.
class BackgroundOpen final : public MidiOut, public Beeper {
public:
    // Runs a function soon on the owning thread's event loop; any thread.
    using Post = std::function<void(std::function<void()>)>;

    // `innerBeeper` may be null; beeps are then dropped.
    BackgroundOpen(std::unique_ptr<MidiOut> inner, Beeper* innerBeeper, Post post);
    ~BackgroundOpen() override;
    BackgroundOpen(const BackgroundOpen&) = delete;
    BackgroundOpen& operator=(const BackgroundOpen&) = delete;

    // Starts opening; true, since whether it worked is only known later.
    bool open() override;
    void send(std::uint32_t message) override;
    void setNoteLength(std::chrono::nanoseconds length) override;
    // Waits for an open still under way, then closes.
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    // A beep asked for while opening would come late, out of step with the
    // answer: it is not played.
    void Beep(int frequencyHz, int durationMs) override;

    // Runs `done` once the inner output has opened or failed, or at once when
    // no open is under way.
    void whenOpen(std::function<void()> done);
    bool opening() const { return stage_ == Stage::Opening; }

private:
    enum class Stage { Closed, Opening, Open };

    void finishOpen();

    std::unique_ptr<MidiOut> inner_;
    Beeper* innerBeeper_;
    Post post_;
    Stage stage_ = Stage::Closed;
    std::thread worker_;
    std::vector<std::uint32_t> pending_;
    std::vector<std::function<void()>> whenOpen_;
    // Posted ends of an open check it: this object may be gone, or closed and
    // opened again, by the time one runs.
    std::shared_ptr<int> token_;
};

// The messages of `pending` that still matter once the output is open: every
// message but the notes released before then, in their order.
std::vector<std::uint32_t> StillSounding(const std::vector<std::uint32_t>& pending);

}  // namespace velmora
