// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    // Never waits for an open under way (a sound server may keep it for a
    // while): the worker closes the inner output itself once that ends, and
    // `post` is not called any more.
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    // A beep asked for while opening would come late, out of step with the
    // answer: it is not played.
    void Beep(int frequencyHz, int durationMs) override;

    // Runs on the owning thread whenever an open in the background has ended,
    // whether the output works or not; never for an open that close() gave up.
    void onOpened(std::function<void()> opened) { onOpened_ = std::move(opened); }
    bool opening() const { return stage_ == Stage::Opening; }
    bool closed() const { return stage_ == Stage::Closed; }

    // Opens given up by close() whose workers still run, in the whole
    // process, and the built-in synthesizer's audio drivers given up while
    // starting or stopping. Such a worker is inside a library that cannot be
    // interrupted: the process should end without tearing libraries down
    // under its feet.
    static int StartsStillRunning();

private:
    enum class Stage { Closed, Opening, Open };
    // What the worker and the owning thread share; outlives this object while
    // a given-up worker runs.
    struct Start {
        std::mutex mutex;
        std::condition_variable ended;
        bool finished = false;  // the inner open() has returned
        bool givenUp = false;   // closed meanwhile: the worker closes the output
        bool done = false;      // the worker touches nothing any more
    };

    void finishOpen();

    std::shared_ptr<MidiOut> inner_;
    Beeper* innerBeeper_;
    Post post_;
    Stage stage_ = Stage::Closed;
    std::thread worker_;
    std::shared_ptr<Start> start_;    // the open under way, if any
    std::shared_ptr<Start> givenUp_;  // the latest open close() gave up
    std::vector<std::uint32_t> pending_;
    std::function<void()> onOpened_;
};

// The messages of `pending` that still matter once the output is open: every
// message but the notes released before then, in their order.
std::vector<std::uint32_t> StillSounding(const std::vector<std::uint32_t>& pending);

}  // namespace velmora
