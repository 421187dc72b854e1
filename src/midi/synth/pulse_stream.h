// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_defer_event;

namespace velmora {

class SynthEngine;

// The built-in synthesizer's own client of a PulseAudio server (or of
// PipeWire's stand-in for one): a float stereo stream at the engine's rate
// with a small buffer, filled by SynthEngine::render() whenever the server
// asks, on the client library's mainloop thread.
//
// While the engine rests (nothing sounds, not even a tail) the stream is
// corked and emptied, so an idle trainer costs neither process any time;
// wake() uncorks it for the next message.
class PulseStream {
public:
    // 5.3 ms at 48 kHz in all: the server fits its sink's buffer into it.
    static constexpr int kDefaultBufferFrames = 256;

    struct Options {
        std::string server;  // empty: the default server, as PULSE_SERVER or the session says
        std::string device;  // empty: the default sink
        std::string role;    // the stream's media role; may be empty
        int bufferFrames = kDefaultBufferFrames;
    };

    // `engine` must be started and outlive this output.
    explicit PulseStream(SynthEngine& engine);
    ~PulseStream();
    PulseStream(const PulseStream&) = delete;
    PulseStream& operator=(const PulseStream&) = delete;

    // Connects without ever starting a server, and starts playing. Empty on
    // success, else why not in one line; then the output is closed again.
    std::string open(const Options& options);
    // After every message and beep, from any thread but never during
    // close(): a corked stream resumes at once, with the new sound first in
    // line. Never waits for the server.
    void wake();
    // Stops the stream and the mainloop thread; render() is not called after.
    // Also when the server has gone or hangs.
    void close();
    // Any thread, while open() runs on another: open() gives up at once. An
    // output once cancelled does not open any more.
    void cancel();
    // Any thread but never during close(), while open: asks the server for
    // something it answers at once, without waiting for it; answers() counts
    // the answers. A server that stopped answering (stopped, not gone) keeps
    // the connection but never answers.
    void ping();
    std::uint64_t answers() const { return answers_.load(); }

    // Before open(): called once, on the mainloop thread, when the connection
    // is lost after open() succeeded. It must not wait for anything.
    void onLost(std::function<void()> lost) { onLost_ = std::move(lost); }
    // The connection was lost after open() succeeded.
    bool lost() const { return lost_.load(); }
    // The last open() gave up waiting for a server that took the connection.
    bool unanswered() const { return unanswered_; }

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnWrite(pa_stream* stream, std::size_t bytes, void* self);
    static void OnAnswer(pa_stream* stream, int success, void* self);

    // Mainloop thread: the context or the stream failed.
    void connectionFailed();
    void fill(std::size_t bytes);
    void refill();
    void corkIfStillQuiet(std::uint64_t wakesBeforeRender);
    // Closes, and says what failed and why; from open(), lock held or not.
    std::string failure(const std::string& what);

    SynthEngine& engine_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* timeout_ = nullptr;
    pa_defer_event* refill_ = nullptr;  // answers the server's request after a wake
    bool started_ = false;              // the mainloop thread runs
    std::mutex cancelMutex_;            // never taken while holding the mainloop lock
    bool cancellable_ = false;          // by cancelMutex_: started_, and mainloop_ is there
    std::atomic<bool> cancelled_{false};
    std::function<void()> onLost_;
    bool locked_ = false;    // open() holds the mainloop lock
    bool timedOut_ = false;  // by the mainloop lock
    bool unanswered_ = false;
    int bufferFrames_ = kDefaultBufferFrames;
    std::vector<float> left_;        // mainloop thread: one chunk of the engine's output
    std::vector<float> right_;       // mainloop thread
    std::int64_t silentFrames_ = 0;  // mainloop thread: frames the engine rested in a row
    std::atomic<std::uint64_t> wakes_{0};
    std::atomic<bool> idle_{false};  // corked for silence, or about to be
    std::atomic<bool> ready_{false};
    std::atomic<bool> lost_{false};
    std::atomic<std::uint64_t> answers_{0};
};

}  // namespace velmora
