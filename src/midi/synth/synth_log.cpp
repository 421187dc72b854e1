// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/synth/synth_log.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <glib.h>

#include <mutex>
#include <string_view>

#include "text/printable.h"

namespace velmora {

namespace {

struct Collected {
    std::mutex mutex;
    std::string firstError;
    std::string error;
    std::string warning;
};

Collected& collected() {
    static Collected instance;
    return instance;
}

void Collect(int level, const char* message, void*) {
    if (message == nullptr || (level != FLUID_PANIC && level != FLUID_ERR && level != FLUID_WARN)) {
        return;
    }
    // FluidSynth may log from its audio thread: never wait there, drop instead.
    Collected& c = collected();
    std::unique_lock lock(c.mutex, std::try_to_lock);
    if (!lock.owns_lock()) return;
    std::string& slot = level == FLUID_WARN ? c.warning : c.error;
    std::string_view text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    // It may quote a setting or a path the user gave.
    slot = Printable(text);
    if (level != FLUID_WARN && c.firstError.empty()) c.firstError = slot;
}

void IgnoreAlsa(const char*, int, const char*, int, const char*, ...) {}

// A file FluidSynth cannot read as a SoundFont is tried as DLS with
// libinstpatch, which reports a failed assertion of its own on it through
// GLib, without a domain: a "CRITICAL" line meaning nothing to the user.
void IgnoreGLib(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

void SilenceSoundLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
            fluid_set_log_function(level, Collect, nullptr);
        }
        snd_lib_error_set_handler(IgnoreAlsa);
        g_log_set_handler(nullptr,
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                                      G_LOG_LEVEL_MESSAGE),
                          IgnoreGLib, nullptr);
    });
}

void ClearSynthErrors() {
    Collected& c = collected();
    std::lock_guard lock(c.mutex);
    c.firstError.clear();
    c.error.clear();
    c.warning.clear();
}

std::string FirstSynthError() {
    Collected& c = collected();
    std::lock_guard lock(c.mutex);
    return c.firstError;
}

std::string LastSynthError() {
    Collected& c = collected();
    std::lock_guard lock(c.mutex);
    return c.error.empty() ? c.warning : c.error;
}

}  // namespace velmora
