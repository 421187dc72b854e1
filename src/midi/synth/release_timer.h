#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <mutex>

namespace velmora {

// Ends the notes of a question after their exact length, counted in audio
// frames from the block in which they started, so that a note-off from a busy
// window does not lengthen them. The note-off messages still come, and find
// the notes already released.
//
// Threads: noteOn(), noteOff() and setLength() from the thread that sends the
// notes, releaseDue() from the audio thread.
class ReleaseTimer {
public:
    static constexpr int kNoLimit = 1 << 30;

    // Called once the synthesizer has the message.
    void noteOn(int channel, int key);
    void noteOff(int channel, int key);
    // The notes sounding now last `frames` from their start; a later call
    // (the tempo changed) replaces the length.
    void setLength(std::int64_t frames);

    // At `frame`, before rendering from there: calls `release` for every note
    // that is due, and returns how many frames may be rendered before the
    // next release is due (`limit` at most).
    int releaseDue(std::int64_t frame, int limit,
                   const std::function<void(int channel, int key)>& release);

    // Where the notes of the latest timed release started and ended, in
    // frames; both 0 before the first. For measuring.
    struct Span {
        std::int64_t onset = 0;
        std::int64_t release = 0;
    };
    Span lastRelease();

private:
    static constexpr int kKeys = 16 * 128;
    static int Index(int channel, int key) { return (channel & 0x0F) * 128 + (key & 0x7F); }

    std::mutex mutex_;
    std::bitset<kKeys> sounding_;
    std::bitset<kKeys> toRelease_;
    bool onsetPending_ = false;    // notes started since the audio thread last looked
    std::int64_t onsetFrame_ = 0;  // where the latest notes started
    // The release counts from the start of the notes it releases, which a
    // later note-on does not move.
    bool releaseOnsetPending_ = false;
    std::int64_t releaseOnset_ = 0;
    std::int64_t lengthFrames_ = -1;
    Span lastRelease_;
};

}  // namespace velmora
