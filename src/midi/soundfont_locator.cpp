// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/soundfont_locator.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "text/printable.h"

namespace velmora {

namespace fs = std::filesystem;

const std::vector<std::string>& WellKnownSoundFonts() {
    static const std::vector<std::string> kLocations = {
        "/usr/share/sounds/sf2/default-GM.sf2",     "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/soundfonts/default.sf2",        "/usr/share/soundfonts/default.sf3",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",     "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "/usr/share/soundfonts/FluidR3_GM.sf3",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",       "/usr/share/soundfonts/TimGM6mb.sf2",
        "/usr/local/share/soundfonts/default.sf2",
    };
    return kLocations;
}

std::string CheckSoundFontFile(const std::string& path) {
    const std::string quoted = "SoundFont " + Quoted(path);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return quoted + " was not found";
    if (fs::is_directory(status)) return quoted + " is a folder, not a file";
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return quoted + " cannot be read";
    if (size == 0) return quoted + " is empty";

    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 12> header{};
    if (!in) return quoted + " cannot be read";
    if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) {
        return Quoted(path) + " is not a SoundFont";
    }
    auto tagIs = [&header](std::size_t at, const char* tag) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (header[at + i] != static_cast<unsigned char>(tag[i])) return false;
        }
        return true;
    };
    if (!tagIs(0, "RIFF") || !tagIs(8, "sfbk")) return Quoted(path) + " is not a SoundFont";
    // The RIFF length counts everything after the first 8 bytes; more than the
    // file holds means a download or copy that stopped short.
    const std::uintmax_t declared = std::uintmax_t{header[4]} | std::uintmax_t{header[5]} << 8 |
                                    std::uintmax_t{header[6]} << 16 |
                                    std::uintmax_t{header[7]} << 24;
    if (declared > size - 8) return quoted + " is incomplete (the file is cut short)";
    return {};
}

SoundFontLookup LocateSoundFont(const std::optional<std::string>& chosen,
                                const std::vector<std::string>& candidates) {
    if (chosen) {
        if (chosen->empty()) return {{}, "no SoundFont file was given"};
        std::string problem = CheckSoundFontFile(*chosen);
        if (!problem.empty()) return {{}, std::move(problem)};
        return {*chosen, {}};
    }
    std::string firstProblem;
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (!fs::exists(candidate, error)) continue;
        std::string problem = CheckSoundFontFile(candidate);
        if (problem.empty()) return {candidate, {}};
        if (firstProblem.empty()) firstProblem = std::move(problem);
    }
    if (!firstProblem.empty()) return {{}, firstProblem};
    return {{},
            "no General MIDI SoundFont is installed (e.g. the package timgm6mb-soundfont); "
            "choose one with --soundfont"};
}

std::string SoundFontName(const std::string& path) {
    // default-GM.sf2 is a link to the font actually installed; name that one.
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return Printable((error ? fs::path(path) : resolved).stem().string());
}

}  // namespace velmora
