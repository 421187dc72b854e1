#include "midi/synth/release_timer.h"

#include <algorithm>

namespace velmora {

void ReleaseTimer::noteOn(int channel, int key) {
    const std::lock_guard lock(mutex_);
    sounding_.set(Index(channel, key));
    onsetPending_ = true;
}

void ReleaseTimer::noteOff(int channel, int key) {
    const std::lock_guard lock(mutex_);
    sounding_.reset(Index(channel, key));
    // Struck again later, the key is a new note with a length of its own.
    toRelease_.reset(Index(channel, key));
}

void ReleaseTimer::setLength(std::int64_t frames) {
    const std::lock_guard lock(mutex_);
    toRelease_ = sounding_;
    lengthFrames_ = std::max<std::int64_t>(0, frames);
    releaseOnsetPending_ = onsetPending_;
    releaseOnset_ = onsetFrame_;
}

int ReleaseTimer::releaseDue(std::int64_t frame, int limit,
                             const std::function<void(int channel, int key)>& release) {
    const std::lock_guard lock(mutex_);
    // A note-on is heard from the next block the audio thread renders.
    if (onsetPending_) {
        onsetFrame_ = frame;
        onsetPending_ = false;
    }
    if (releaseOnsetPending_) {
        releaseOnset_ = frame;
        releaseOnsetPending_ = false;
    }
    if (toRelease_.none() || lengthFrames_ < 0) return limit;
    const std::int64_t due = releaseOnset_ + lengthFrames_;
    if (frame < due) return static_cast<int>(std::min<std::int64_t>(limit, due - frame));
    for (int i = 0; i < kKeys; ++i) {
        if (toRelease_.test(i)) release(i / 128, i % 128);
    }
    sounding_ &= ~toRelease_;
    toRelease_.reset();
    lastRelease_ = {releaseOnset_, frame};
    return limit;
}

ReleaseTimer::Span ReleaseTimer::lastRelease() {
    const std::lock_guard lock(mutex_);
    return lastRelease_;
}

}  // namespace velmora
