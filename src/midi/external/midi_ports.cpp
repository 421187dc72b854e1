#include "midi/external/midi_ports.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "text/printable.h"

namespace velmora {

namespace {

void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool AlsaSequencerAvailable() {
    snd_lib_error_set_handler(&QuietAlsaError);
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return false;
    snd_seq_close(seq);
    return true;
}

std::optional<unsigned> ChoosePort(const std::vector<std::string>& names,
                                   const std::string& wanted) {
    unsigned number = 0;
    const char* end = wanted.data() + wanted.size();
    const auto [rest, error] = std::from_chars(wanted.data(), end, number);
    if (!wanted.empty() && error == std::errc() && rest == end) {
        if (number >= 1 && number <= names.size()) return number - 1;
        return std::nullopt;
    }
    const std::string part = Lowercase(wanted);
    for (unsigned i = 0; i < names.size(); ++i) {
        if (Lowercase(names[i]).find(part) != std::string::npos) return i;
    }
    return std::nullopt;
}

std::string PortList(const std::vector<std::string>& names) {
    if (names.empty()) return "no ports";
    std::string list = "ports:";
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? " " : ", ") + std::to_string(i + 1) + " " + Printable(names[i]);
    }
    return list;
}

}  // namespace velmora
