#include "midi/devices/background_open.h"

#include <set>
#include <utility>

#include "midi/messages.h"

namespace velmora {

BackgroundOpen::BackgroundOpen(std::unique_ptr<MidiOut> inner, Beeper* innerBeeper, Post post)
    : inner_(std::move(inner)), innerBeeper_(innerBeeper), post_(std::move(post)) {}

BackgroundOpen::~BackgroundOpen() {
    close();
}

bool BackgroundOpen::open() {
    close();
    stage_ = Stage::Opening;
    token_ = std::make_shared<int>(0);
    std::weak_ptr<int> token = token_;
    worker_ = std::thread([this, token] {
        inner_->open();
        post_([this, token] {
            if (!token.expired()) finishOpen();
        });
    });
    return true;
}

void BackgroundOpen::finishOpen() {
    if (stage_ != Stage::Opening) return;
    worker_.join();
    stage_ = Stage::Open;
    for (std::uint32_t message : StillSounding(pending_)) inner_->send(message);
    pending_.clear();
    auto waiting = std::move(whenOpen_);
    whenOpen_.clear();
    for (auto& done : waiting) done();
}

void BackgroundOpen::send(std::uint32_t message) {
    switch (stage_) {
        case Stage::Opening:
            pending_.push_back(message);
            break;
        case Stage::Open:
            inner_->send(message);
            break;
        case Stage::Closed:
            break;
    }
}

// Notes started while opening are replayed without a length of their own:
// their note-offs end them.
void BackgroundOpen::setNoteLength(std::chrono::nanoseconds length) {
    if (stage_ == Stage::Open) inner_->setNoteLength(length);
}

void BackgroundOpen::close() {
    if (worker_.joinable()) worker_.join();
    token_.reset();
    pending_.clear();
    if (stage_ != Stage::Closed) inner_->close();
    stage_ = Stage::Closed;
    // Whoever waited learns that there is nothing more to wait for.
    auto waiting = std::move(whenOpen_);
    whenOpen_.clear();
    for (auto& done : waiting) done();
}

std::string BackgroundOpen::description() const {
    if (stage_ == Stage::Opening) return "Starting the built-in synthesizer";
    return inner_->description();
}

bool BackgroundOpen::isWorking() const {
    return stage_ == Stage::Open && inner_->isWorking();
}

void BackgroundOpen::Beep(int frequencyHz, int durationMs) {
    if (stage_ == Stage::Open && innerBeeper_ != nullptr) {
        innerBeeper_->Beep(frequencyHz, durationMs);
    }
}

void BackgroundOpen::whenOpen(std::function<void()> done) {
    if (stage_ == Stage::Opening) {
        whenOpen_.push_back(std::move(done));
    } else {
        done();
    }
}

std::vector<std::uint32_t> StillSounding(const std::vector<std::uint32_t>& pending) {
    // From the end: a note-off releases every earlier note-on of its key.
    std::set<std::pair<int, int>> released;
    std::vector<bool> keep(pending.size(), true);
    for (std::size_t i = pending.size(); i-- > 0;) {
        const std::uint32_t message = pending[i];
        const int kind = StatusOf(message) & 0xF0;
        const std::pair<int, int> key{StatusOf(message) & 0x0F, Data1Of(message)};
        if (kind == kNoteOffStatus || (kind == kNoteOnStatus && Data2Of(message) == 0)) {
            released.insert(key);
            keep[i] = false;
        } else if (kind == kNoteOnStatus && released.count(key) > 0) {
            keep[i] = false;
        }
    }
    std::vector<std::uint32_t> result;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (keep[i]) result.push_back(pending[i]);
    }
    return result;
}

}  // namespace velmora
