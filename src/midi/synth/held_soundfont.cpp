// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/held_soundfont.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "text/printable.h"

namespace velmora {

struct HeldSoundFont::File {
    int fd = -1;
    fluid_long_long_t size = 0;
    timespec modified{};
    // Everything but the sample data, kept as it was: FluidSynth reads the
    // file's whole layout again before each instrument's samples.
    std::vector<std::pair<fluid_long_long_t, std::vector<char>>> kept;
    std::atomic<bool> changed{false};

    ~File() {
        if (fd >= 0) ::close(fd);
    }
    // Whether the file is still as it was opened; remembers when it is not.
    bool unchanged() {
        struct stat now {};
        if (::fstat(fd, &now) != 0 || now.st_size != size ||
            now.st_mtim.tv_sec != modified.tv_sec || now.st_mtim.tv_nsec != modified.tv_nsec) {
            changed = true;
        }
        return !changed;
    }
    // `count` bytes from the file at `at`; bytes gone since it was opened read as zeros.
    void readFile(char* to, fluid_long_long_t at, fluid_long_long_t count) {
        fluid_long_long_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd, to + done, static_cast<std::size_t>(count - done),
                                        static_cast<off_t>(at + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += got;
        }
        if (done < count) {
            std::memset(to + done, 0, static_cast<std::size_t>(count - done));
            changed = true;
        }
    }
    void read(char* to, fluid_long_long_t at, fluid_long_long_t count) {
        for (const auto& [start, bytes] : kept) {
            if (count == 0) return;
            const auto end = start + static_cast<fluid_long_long_t>(bytes.size());
            if (end <= at) continue;
            if (start > at) {
                const fluid_long_long_t part = std::min(count, start - at);
                readFile(to, at, part);
                to += part, at += part, count -= part;
                if (count == 0) return;
            }
            const fluid_long_long_t part = std::min(count, end - at);
            std::memcpy(to, bytes.data() + (at - start), static_cast<std::size_t>(part));
            to += part, at += part, count -= part;
        }
        if (count > 0) readFile(to, at, count);
    }
    // Keeps every part of the file but the sample chunks ("smpl", "sm24" in
    // the "sdta" list). A file that is no RIFF file keeps nothing; FluidSynth
    // then refuses it.
    void keepLayout() {
        std::vector<std::pair<fluid_long_long_t, fluid_long_long_t>> samples;
        auto header = [this](fluid_long_long_t at, char id[4], std::uint32_t& length) {
            unsigned char bytes[8];
            if (::pread(fd, bytes, 8, static_cast<off_t>(at)) != 8) return false;
            std::memcpy(id, bytes, 4);
            length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | std::uint32_t(bytes[7]) << 24;
            return true;
        };
        char id[4];
        std::uint32_t length = 0;
        if (!header(0, id, length) || std::memcmp(id, "RIFF", 4) != 0) return;
        for (fluid_long_long_t at = 12; at + 8 <= size;) {
            if (!header(at, id, length)) break;
            char type[4];
            if (std::memcmp(id, "LIST", 4) == 0 && ::pread(fd, type, 4, at + 8) == 4 &&
                std::memcmp(type, "sdta", 4) == 0) {
                for (fluid_long_long_t sub = at + 12; sub + 8 <= at + 8 + length;) {
                    std::uint32_t subLength = 0;
                    if (!header(sub, id, subLength)) break;
                    if (std::memcmp(id, "smpl", 4) == 0 || std::memcmp(id, "sm24", 4) == 0) {
                        samples.emplace_back(sub + 8, sub + 8 + subLength);
                    }
                    sub += 8 + subLength + (subLength & 1);
                }
            }
            at += 8 + length + (length & 1);
        }
        fluid_long_long_t from = 0;
        samples.emplace_back(size, size);
        for (const auto& [start, end] : samples) {
            if (start > from) {
                std::vector<char> bytes(static_cast<std::size_t>(std::min(start, size) - from));
                readFile(bytes.data(), from, static_cast<fluid_long_long_t>(bytes.size()));
                kept.emplace_back(from, std::move(bytes));
            }
            from = std::max(from, end);
        }
    }
};

namespace {

// Held files by the name FluidSynth knows them by. FluidSynth's file
// callbacks carry no data of their own, so the names are unique per load.
std::mutex gHeldMutex;
std::map<std::string, std::weak_ptr<HeldSoundFont::File>> gHeld;
unsigned long gSerial = 0;

// What FluidSynth's loader opens: a held file, or any other as FluidSynth would.
struct Handle {
    std::shared_ptr<HeldSoundFont::File> held;
    fluid_long_long_t position = 0;
    std::FILE* other = nullptr;
};

void* Open(const char* name) {
    {
        const std::lock_guard lock(gHeldMutex);
        if (auto found = gHeld.find(name); found != gHeld.end()) {
            if (auto file = found->second.lock()) return new Handle{std::move(file), 0, nullptr};
            return nullptr;
        }
    }
    std::FILE* other = std::fopen(name, "rb");
    return other != nullptr ? new Handle{nullptr, 0, other} : nullptr;
}

int Read(void* buffer, fluid_long_long_t count, void* data) {
    auto* handle = static_cast<Handle*>(data);
    if (handle->held == nullptr) {
        return std::fread(buffer, static_cast<std::size_t>(count), 1, handle->other) == 1
                   ? FLUID_OK
                   : FLUID_FAILED;
    }
    HeldSoundFont::File& file = *handle->held;
    if (count < 0 || handle->position + count > file.size) return FLUID_FAILED;
    // Never a failure for bytes that were there: FluidSynth would play the
    // samples it could not read.
    file.read(static_cast<char*>(buffer), handle->position, count);
    handle->position += count;
    return FLUID_OK;
}

int Seek(void* data, fluid_long_long_t offset, int origin) {
    auto* handle = static_cast<Handle*>(data);
    if (handle->held == nullptr) {
        return std::fseek(handle->other, static_cast<long>(offset), origin) == 0 ? FLUID_OK
                                                                                 : FLUID_FAILED;
    }
    fluid_long_long_t to = offset;
    if (origin == SEEK_CUR) to += handle->position;
    if (origin == SEEK_END) to += handle->held->size;
    if (to < 0 || to > handle->held->size) return FLUID_FAILED;
    handle->position = to;
    return FLUID_OK;
}

fluid_long_long_t Tell(void* data) {
    auto* handle = static_cast<Handle*>(data);
    return handle->held != nullptr ? handle->position : std::ftell(handle->other);
}

int Close(void* data) {
    auto* handle = static_cast<Handle*>(data);
    if (handle->other != nullptr) std::fclose(handle->other);
    delete handle;
    return FLUID_OK;
}

}  // namespace

HeldSoundFont::HeldSoundFont() = default;

HeldSoundFont::~HeldSoundFont() {
    if (name_.empty()) return;
    const std::lock_guard lock(gHeldMutex);
    gHeld.erase(name_);
}

std::string HeldSoundFont::open(const std::string& path) {
    auto file = std::make_shared<File>();
    file->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (file->fd < 0 || ::fstat(file->fd, &status) != 0) {
        return "SoundFont " + Quoted(path) + " could not be opened: " + std::strerror(errno);
    }
    file->size = status.st_size;
    file->modified = status.st_mtim;
    file->keepLayout();
    const std::lock_guard lock(gHeldMutex);
    if (!name_.empty()) gHeld.erase(name_);
    // The path first, so that FluidSynth's messages name the file.
    name_ = path + " #" + std::to_string(++gSerial);
    gHeld[name_] = file;
    file_ = std::move(file);
    return {};
}

bool HeldSoundFont::changed() const {
    return file_ != nullptr && !file_->unchanged();
}

std::string HeldSoundFont::AddLoader(fluid_synth_t* synth, fluid_settings_t* settings) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader == nullptr) return "the SoundFont loader could not be created";
    if (fluid_sfloader_set_callbacks(loader, Open, Read, Seek, Tell, Close) != FLUID_OK) {
        delete_fluid_sfloader(loader);
        return "the SoundFont loader could not be created";
    }
    // Tried before FluidSynth's own, which the synthesizer then owns.
    fluid_synth_add_sfloader(synth, loader);
    return {};
}

}  // namespace velmora
