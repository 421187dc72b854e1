// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/pulse_stream.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/format.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "midi/synth/synth_engine.h"

namespace velmora {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// A server that takes the connection but never answers must not hold the
// start-up back for long; a working one answers within milliseconds.
constexpr pa_usec_t kConnectTimeout = 2 * PA_USEC_PER_SEC;
constexpr const char* kDesktopId = "org.velmora.Velmora";

}  // namespace

PulseStream::PulseStream(SynthEngine& engine) : engine_(engine) {}

PulseStream::~PulseStream() {
    close();
}

std::string PulseStream::failure(const std::string& what) {
    std::string message = what;
    if (context_ != nullptr && pa_context_errno(context_) != PA_OK) {
        message += std::string(": ") + pa_strerror(pa_context_errno(context_));
    } else if (cancelled_) {
        message += ": given up";
    } else if (timedOut_) {
        message += ": the sound server does not answer";
        unanswered_ = true;
    }
    if (locked_) {
        pa_threaded_mainloop_unlock(mainloop_);
        locked_ = false;
    }
    close();
    return message;
}

std::string PulseStream::open(const Options& options) {
    close();
    lost_ = false;
    unanswered_ = false;
    bufferFrames_ = std::max(options.bufferFrames, 2);
    left_.assign(static_cast<std::size_t>(bufferFrames_), 0.0f);
    right_.assign(static_cast<std::size_t>(bufferFrames_), 0.0f);

    mainloop_ = pa_threaded_mainloop_new();
    if (mainloop_ == nullptr) return failure("no PulseAudio mainloop");
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Velmora");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kDesktopId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kDesktopId);
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(mainloop_), "Velmora",
                                            properties);
    pa_proplist_free(properties);
    if (context_ == nullptr) return failure("no PulseAudio context");
    pa_context_set_state_callback(context_, OnContextState, this);
    if (pa_context_connect(context_, options.server.empty() ? nullptr : options.server.c_str(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return failure("no connection to the sound server");
    }
    if (pa_threaded_mainloop_start(mainloop_) < 0) return failure("no PulseAudio thread");
    started_ = true;
    {
        const std::lock_guard lock(cancelMutex_);
        cancellable_ = true;
    }

    pa_threaded_mainloop_lock(mainloop_);
    locked_ = true;
    timeout_ = pa_context_rttime_new(
        context_, pa_rtclock_now() + kConnectTimeout,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
            auto* self = static_cast<PulseStream*>(data);
            self->timedOut_ = true;
            pa_threaded_mainloop_signal(self->mainloop_, 0);
        },
        this);
    // With the lock held: until `done`, a failure or the time is up.
    auto waitFor = [this](const std::function<bool()>& done, const std::function<bool()>& good) {
        while (!done()) {
            if (!good() || timedOut_ || cancelled_) return false;
            pa_threaded_mainloop_wait(mainloop_);
        }
        return true;
    };
    const bool connected =
        waitFor([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
                [this] { return PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) != 0; });
    if (!connected) return failure("no connection to the sound server");

    // Float stereo at the engine's rate: any conversion is the server's.
    pa_channel_map channels;
    pa_channel_map_init_stereo(&channels);
    pa_format_info* format = pa_format_info_new();
    format->encoding = PA_ENCODING_PCM;
    pa_format_info_set_sample_format(format, PA_SAMPLE_FLOAT32NE);
    pa_format_info_set_rate(format, static_cast<int>(std::lround(engine_.sampleRate())));
    pa_format_info_set_channels(format, 2);
    pa_format_info_set_channel_map(format, &channels);
    properties = pa_proplist_new();
    if (!options.role.empty()) {
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, options.role.c_str());
    }
    stream_ = pa_stream_new_extended(context_, "Built-in synthesizer", &format, 1, properties);
    pa_proplist_free(properties);
    pa_format_info_free(format);
    if (stream_ == nullptr) return failure("the sound server refused the stream");
    pa_stream_set_state_callback(stream_, OnStreamState, this);
    pa_stream_set_write_callback(stream_, OnWrite, this);
    // The buffer is meant as the whole latency: with ADJUST_LATENCY the server
    // fits its sink's own buffer into it, as far as the sink can go. Requests
    // of half a buffer keep the queue from running dry without waking this
    // process more often.
    const auto bufferBytes = static_cast<std::uint32_t>(bufferFrames_ * kFrameBytes);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = bufferBytes;
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(bufferFrames_ / 2 * kFrameBytes);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(stream_,
                                   options.device.empty() ? nullptr : options.device.c_str(),
                                   &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
        return failure("the sound server refused the stream");
    }
    const bool playing =
        waitFor([this] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
                [this] { return PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) != 0; });
    if (!playing) return failure("the sound server refused the stream");
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    api->time_free(timeout_);
    timeout_ = nullptr;
    refill_ = api->defer_new(
        api,
        [](pa_mainloop_api* loop, pa_defer_event* event, void* data) {
            loop->defer_enable(event, 0);
            static_cast<PulseStream*>(data)->refill();
        },
        this);
    api->defer_enable(refill_, 0);
    ready_ = true;
    locked_ = false;
    pa_threaded_mainloop_unlock(mainloop_);
    return {};
}

void PulseStream::wake() {
    wakes_.fetch_add(1);
    // Cheap while playing: only a corked stream needs the mainloop's lock.
    if (!idle_.load() || !idle_.exchange(false) || mainloop_ == nullptr) return;
    // Held by the mainloop thread only while it handles an event, never
    // while it waits for the server: this does not wait for a hung server.
    pa_threaded_mainloop_lock(mainloop_);
    if (stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        if (pa_operation* operation = pa_stream_cork(stream_, 0, nullptr, nullptr)) {
            pa_operation_unref(operation);
        }
        // The server asked for a whole buffer when the stream was flushed:
        // that comes from the mainloop thread as soon as this lets go.
        pa_threaded_mainloop_get_api(mainloop_)->defer_enable(refill_, 1);
    }
    pa_threaded_mainloop_unlock(mainloop_);
}

void PulseStream::ping() {
    if (!ready_.load()) return;
    // As in wake(): the lock is never held while waiting for the server.
    pa_threaded_mainloop_lock(mainloop_);
    if (stream_ != nullptr && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        if (pa_operation* operation = pa_stream_update_timing_info(stream_, OnAnswer, this)) {
            pa_operation_unref(operation);
        }
    }
    pa_threaded_mainloop_unlock(mainloop_);
}

void PulseStream::OnAnswer(pa_stream*, int success, void* data) {
    if (success != 0) static_cast<PulseStream*>(data)->answers_.fetch_add(1);
}

void PulseStream::cancel() {
    const std::lock_guard lock(cancelMutex_);
    cancelled_ = true;
    // open() checks the flag before every wait; this wakes the one under way.
    if (cancellable_) {
        pa_threaded_mainloop_lock(mainloop_);
        pa_threaded_mainloop_signal(mainloop_, 0);
        pa_threaded_mainloop_unlock(mainloop_);
    }
}

void PulseStream::close() {
    if (mainloop_ == nullptr) return;
    {
        const std::lock_guard lock(cancelMutex_);
        cancellable_ = false;
    }
    if (started_) pa_threaded_mainloop_lock(mainloop_);
    if (timeout_ != nullptr) {
        pa_threaded_mainloop_get_api(mainloop_)->time_free(timeout_);
        timeout_ = nullptr;
    }
    if (refill_ != nullptr) {
        pa_threaded_mainloop_get_api(mainloop_)->defer_free(refill_);
        refill_ = nullptr;
    }
    // Nothing is rendered once the lock is given back: the engine may go next.
    if (stream_ != nullptr) {
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (started_) {
        pa_threaded_mainloop_unlock(mainloop_);
        pa_threaded_mainloop_stop(mainloop_);
        started_ = false;
    }
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
    timedOut_ = false;
    silentFrames_ = 0;
    idle_ = false;
    ready_ = false;
}

void PulseStream::OnContextState(pa_context* context, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) self->connectionFailed();
    pa_threaded_mainloop_signal(self->mainloop_, 0);
}

void PulseStream::OnStreamState(pa_stream* stream, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) self->connectionFailed();
    pa_threaded_mainloop_signal(self->mainloop_, 0);
}

void PulseStream::connectionFailed() {
    // Before ready, open() sees the failure itself and says why.
    if (ready_ && !lost_.exchange(true) && onLost_) onLost_();
}

void PulseStream::OnWrite(pa_stream*, std::size_t bytes, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    // Asked for while corked, after the flush: left for wake() to answer.
    if (!self->idle_.load()) self->fill(bytes);
}

void PulseStream::refill() {
    if (stream_ == nullptr || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
    const std::size_t bytes = pa_stream_writable_size(stream_);
    if (bytes != static_cast<std::size_t>(-1)) fill(bytes);
}

void PulseStream::fill(std::size_t bytes) {
    const std::uint64_t wakesBeforeRender = wakes_.load();
    while (bytes >= kFrameBytes) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || data == nullptr) return;
        const std::size_t frames = std::min(size / kFrameBytes, left_.size());
        if (frames == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        engine_.render(left_.data(), right_.data(), static_cast<int>(frames));
        auto* out = static_cast<float*>(data);
        for (std::size_t i = 0; i < frames; ++i) {
            out[2 * i] = left_[i];
            out[2 * i + 1] = right_[i];
        }
        const bool silent = engine_.resting();
        if (pa_stream_write(stream_, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) <
            0) {
            return;
        }
        bytes -= frames * kFrameBytes;
        silentFrames_ = silent ? silentFrames_ + static_cast<std::int64_t>(frames) : 0;
    }
    // The engine rests once nothing sounds: no voice, half a second below
    // hearing, no beep. After a whole buffer of that, nothing queued would
    // be heard.
    if (silentFrames_ >= bufferFrames_) corkIfStillQuiet(wakesBeforeRender);
}

void PulseStream::corkIfStillQuiet(std::uint64_t wakesBeforeRender) {
    silentFrames_ = 0;
    idle_ = true;
    // A message that came during the render may not have been heard yet. If
    // wake() saw idle_ before this took it back, its uncork comes after this.
    if (wakes_.load() != wakesBeforeRender) {
        idle_ = false;
        return;
    }
    // Flushed too, so that the next note does not wait behind a buffer of
    // silence: it starts as soon as the server has it.
    for (pa_operation* operation : {pa_stream_cork(stream_, 1, nullptr, nullptr),
                                    pa_stream_flush(stream_, nullptr, nullptr)}) {
        if (operation != nullptr) pa_operation_unref(operation);
    }
}

}  // namespace velmora
