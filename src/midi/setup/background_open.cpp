// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/setup/background_open.h"

#include <atomic>
#include <set>
#include <utility>

#include "midi/messages.h"
#include "midi/synth/built_in_synth.h"

namespace velmora {

namespace {

std::atomic<int> startsStillRunning{0};

}  // namespace

BackgroundOpen::BackgroundOpen(std::unique_ptr<MidiOut> inner, Beeper* innerBeeper, Post post)
    : inner_(std::move(inner)), innerBeeper_(innerBeeper), post_(std::move(post)) {}

BackgroundOpen::~BackgroundOpen() {
    close();
}

int BackgroundOpen::StartsStillRunning() {
    return startsStillRunning.load() + BuiltInSynth::DriversStillRunning();
}

bool BackgroundOpen::open() {
    close();
    // An open given up before owns the output until its worker has closed it.
    if (givenUp_) {
        std::unique_lock lock(givenUp_->mutex);
        givenUp_->ended.wait(lock, [this] { return givenUp_->done; });
        lock.unlock();
        givenUp_.reset();
    }
    stage_ = Stage::Opening;
    auto start = std::make_shared<Start>();
    start_ = start;
    worker_ = std::thread([this, start, inner = inner_] {
        inner->open();
        std::unique_lock lock(start->mutex);
        start->finished = true;
        if (!start->givenUp) {
            // Under the lock: close() cannot give up between the check and the
            // post, so this object and `post_` are still there.
            post_([this, start] {
                if (!start->givenUp) finishOpen();
            });
            return;
        }
        lock.unlock();
        inner->close();
        lock.lock();
        start->done = true;
        --startsStillRunning;
        start->ended.notify_all();
    });
    return true;
}

void BackgroundOpen::finishOpen() {
    if (stage_ != Stage::Opening) return;
    worker_.join();
    start_.reset();
    stage_ = Stage::Open;
    for (std::uint32_t message : StillSounding(pending_)) inner_->send(message);
    pending_.clear();
    if (onOpened_) onOpened_();
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

void BackgroundOpen::close() {
    bool innerIsOurs = stage_ != Stage::Closed;
    if (start_) {
        bool finished = false;
        {
            const std::lock_guard lock(start_->mutex);
            start_->givenUp = true;
            finished = start_->finished;
            if (!finished) ++startsStillRunning;
        }
        if (finished) {
            worker_.join();
        } else {
            worker_.detach();
            givenUp_ = start_;
            innerIsOurs = false;
        }
        start_.reset();
    }
    pending_.clear();
    if (innerIsOurs) inner_->close();
    stage_ = Stage::Closed;
}

std::string BackgroundOpen::description() const {
    if (stage_ == Stage::Opening) return "Starting the built-in synthesizer";
    if (givenUp_) {
        const std::lock_guard lock(givenUp_->mutex);
        if (!givenUp_->done) return "Closed";
    }
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
