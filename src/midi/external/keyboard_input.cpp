// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/external/keyboard_input.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <regex>
#include <thread>
#include <utility>

#include "midi/external/midi_ports.h"
#include "text/printable.h"

namespace velmora {

namespace {

using namespace std::chrono_literals;

constexpr const char* kPortName = "keyboard in";

void Quiet(const char*) {}

// The name a port keeps when it comes back: ALSA adds the client and port
// numbers, which change when a device is plugged in again.
std::string LastingName(const MidiInputPort& port) {
    static const std::regex kAlsaAddress(" [0-9]+:[0-9]+$");
    return (port.jack ? "jack " : "alsa ") + std::regex_replace(port.name, kAlsaAddress, "");
}

bool Contains(const std::vector<MidiInputPort>& ports, const MidiInputPort& port) {
    return std::find(ports.begin(), ports.end(), port) != ports.end();
}

// A JACK server that runs, asked through a client of our own that takes no
// part in the server's periods: the MIDI library's client would go on
// listing the ports of a server that has ended.
class JackServer {
public:
    JackServer() {
        jack_set_error_function(&Quiet);
        jack_set_info_function(&Quiet);
        client_ = jack_client_open("Velmora watch", JackNoStartServer, nullptr);
    }
    ~JackServer() {
        if (client_) jack_client_close(client_);
    }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    // The MIDI output ports there are now, as the MIDI library lists them.
    std::vector<std::string> midiOutputs() {
        std::vector<std::string> names;
        const char** ports =
            jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
        for (const char** port = ports; port && *port; ++port) names.emplace_back(*port);
        jack_free(ports);
        return names;
    }

    // A question the server itself must answer.
    bool running() {
        if (!client_) return false;
        char* uuid = jack_get_uuid_for_client_name(client_, jack_get_client_name(client_));
        if (!uuid) return false;
        jack_free(uuid);
        return true;
    }

private:
    jack_client_t* client_ = nullptr;
};

}  // namespace

// Where the MIDI library's thread hands the bytes over.
struct KeyboardArrivals {
    int fd = -1;  // the pipe the window's thread reads
    NoteFloodGate gate;
    std::atomic<std::uint64_t> dropped = 0;  // notes the gate stopped, for the watcher to tell
};

namespace {

// Runs on the MIDI library's thread: a write to a pipe takes no lock, and a
// full pipe (a window that stopped reading) drops the message.
void Forward(double, std::vector<unsigned char>* message, void* to) {
    if (!message || message->empty()) return;
    auto& arrivals = *static_cast<KeyboardArrivals*>(to);
    if (!arrivals.gate.pass(*message, std::chrono::steady_clock::now())) {
        arrivals.dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    [[maybe_unused]] const ssize_t written = write(arrivals.fd, message->data(), message->size());
}

std::vector<std::string> Names(const std::vector<MidiInputPort>& ports) {
    std::vector<std::string> names;
    for (const auto& port : ports) names.push_back(port.name);
    return names;
}

}  // namespace

// The clients on each MIDI system, kept between listings, and the port open on one.
class MidiInputClients {
public:
    explicit MidiInputClients(KeyboardArrivals* forwardTo = nullptr) : forwardTo_(forwardTo) {}
    ~MidiInputClients() { close(); }

    std::vector<MidiInputPort> list() {
        std::vector<MidiInputPort> ports = listAlsa();
        for (MidiInputPort& port : listJack()) ports.push_back(std::move(port));
        return ports;
    }

    std::vector<MidiInputPort> listAlsa() {
        if (!alsa_ && AlsaSequencerAvailable()) alsa_ = Client(RtMidi::LINUX_ALSA);
        std::vector<MidiInputPort> ports;
        Append(alsa_.get(), false, ports);
        return ports;
    }

    std::vector<MidiInputPort> listJack() {
        if (jackServer_ && !jackServer_->running()) {
            // Its port went with the server; closing it would ask the server.
            if (open_ == jack_.get()) open_ = nullptr;
            jack_.reset();
            jackServer_.reset();
        }
        if (!jackServer_) {
            auto server = std::make_unique<JackServer>();
            if (server->running()) jackServer_ = std::move(server);
        }
        std::vector<MidiInputPort> ports;
        if (jackServer_) {
            for (std::string& name : jackServer_->midiOutputs()) ports.push_back({true, name});
        }
        return ports;
    }

    // Opens `port`, found by its place in its system's list now; empty when
    // done, else what went wrong.
    std::string connect(const MidiInputPort& port) {
        close();
        // The MIDI library's JACK client takes part in every period of the
        // server: there is one only while a port is open through it.
        if (port.jack && jackServer_) jack_ = Client(RtMidi::UNIX_JACK);
        ::RtMidiIn* client = port.jack ? jack_.get() : alsa_.get();
        if (!client) return "its MIDI system is gone";
        std::vector<MidiInputPort> now;
        Append(client, port.jack, now);
        const auto at = std::find(now.begin(), now.end(), port);
        if (at == now.end()) return "it is gone";
        std::string error;
        try {
            client->ignoreTypes(true, true, true);
            client->setCallback(&Forward, forwardTo_);
            client->openPort(static_cast<unsigned>(at - now.begin()), kPortName);
            if (!client->isPortOpen()) error = "the MIDI library could not open it";
        } catch (const RtMidiError& failure) {
            error = failure.getMessage();
        }
        if (!error.empty()) {
            client->cancelCallback();
            if (client == jack_.get()) jack_.reset();
            return error;
        }
        open_ = client;
        return "";
    }

    bool isOpen() const { return open_ != nullptr; }

    void dropJack() {
        if (open_ == jack_.get()) close();
        jack_.reset();
        jackServer_.reset();
    }

    void close() {
        if (!open_) return;
        try {
            open_->closePort();
            open_->cancelCallback();
        } catch (const RtMidiError&) {
            // A port that vanished has nothing left to undo.
        }
        if (open_ == jack_.get()) jack_.reset();
        open_ = nullptr;
    }

private:
    static std::unique_ptr<::RtMidiIn> Client(RtMidi::Api api) {
        try {
            auto client = std::make_unique<::RtMidiIn>(api, kMidiClientName);
            client->setErrorCallback(&IgnoreRtMidiError, nullptr);
            return client;
        } catch (const RtMidiError&) {
            return nullptr;
        }
    }

    static void Append(::RtMidiIn* client, bool jack, std::vector<MidiInputPort>& ports) {
        if (!client) return;
        try {
            const unsigned count = client->getPortCount();
            for (unsigned i = 0; i < count; ++i) ports.push_back({jack, client->getPortName(i)});
        } catch (const RtMidiError&) {
            // A port that goes away while we ask ends the list.
        }
    }

    KeyboardArrivals* forwardTo_;
    std::unique_ptr<::RtMidiIn> alsa_;
    std::unique_ptr<JackServer> jackServer_;
    std::unique_ptr<::RtMidiIn> jack_;
    ::RtMidiIn* open_ = nullptr;
};

namespace {

// Threads of this file still inside a MIDI library.
std::atomic<int> gRunning = 0;

}  // namespace

MidiInputListing ListMidiInputPorts(std::chrono::milliseconds patience) {
    struct System {
        const char* name;
        std::vector<MidiInputPort> (MidiInputClients::*list)();
    };
    static constexpr System kSystems[] = {{"the ALSA sequencer", &MidiInputClients::listAlsa},
                                          {"the JACK server", &MidiInputClients::listJack}};
    constexpr std::size_t kCount = std::size(kSystems);
    // Shared with the threads: one given up on writes here when it ends.
    struct Answers {
        std::mutex mutex;
        std::condition_variable given;
        std::optional<std::vector<MidiInputPort>> ports[kCount];
    };
    auto answers = std::make_shared<Answers>();
    for (std::size_t i = 0; i < kCount; ++i) {
        ++gRunning;
        std::thread([answers, i] {
            std::vector<MidiInputPort> ports = (MidiInputClients().*kSystems[i].list)();
            {
                std::lock_guard lock(answers->mutex);
                answers->ports[i] = std::move(ports);
            }
            answers->given.notify_all();
            --gRunning;
        }).detach();
    }
    MidiInputListing listing;
    std::unique_lock lock(answers->mutex);
    answers->given.wait_for(lock, patience, [&] {
        return std::all_of(std::begin(answers->ports), std::end(answers->ports),
                           [](const auto& ports) { return ports.has_value(); });
    });
    for (std::size_t i = 0; i < kCount; ++i) {
        if (!answers->ports[i]) {
            listing.unanswered.emplace_back(kSystems[i].name);
            continue;
        }
        for (MidiInputPort& port : *answers->ports[i]) listing.ports.push_back(std::move(port));
    }
    return listing;
}

// What the watching thread works with. It is shared, so that a thread stuck
// in a library call at closing can be left behind without harm.
struct KeyboardInput::Watcher {
    struct Wanted {
        std::string choice;                 // as the user gave it
        std::optional<MidiInputPort> port;  // the port it chose, once found
    };

    explicit Watcher(std::function<void()> changed) : changed(std::move(changed)) {
        if (pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) pipe[0] = pipe[1] = -1;
        arrivals.fd = pipe[1];
        clients = std::make_unique<MidiInputClients>(&arrivals);
    }
    ~Watcher() {
        clients.reset();  // no more writes into the pipe
        for (int fd : pipe) {
            if (fd >= 0) ::close(fd);
        }
    }

    void request(const std::function<void()>& change) {
        {
            std::lock_guard lock(mutex);
            change();
        }
        wake.notify_all();
    }

    void watch() {
        ++gRunning;
        for (;;) {
            std::optional<Wanted> request;
            {
                std::unique_lock lock(mutex);
                auto due = [this] { return stopping || refreshNow || requested; };
                // With no input chosen nothing is watched: the ports are
                // listed only when asked for.
                if (wanted.choice.empty()) {
                    wake.wait(lock, due);
                } else {
                    wake.wait_for(lock, 1s, due);
                }
                if (stopping) break;
                request = std::exchange(requested, std::nullopt);
                refreshNow = false;
            }
            if (request) wanted = std::move(*request);
            step(clients->list());
            // A JACK client of ours would take part in every period of the server.
            if (wanted.choice.empty()) clients->dropJack();
        }
        clients->close();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        wake.notify_all();
        --gRunning;
    }

    void step(const std::vector<MidiInputPort>& ports) {
        std::optional<std::string> problem;
        if (open && (!clients->isOpen() || !Contains(ports, *open))) {
            clients->close();
            problem = "MIDI input " + Quoted(open->name) +
                      " has gone; it is used again when it comes back";
            status = *problem;
            open.reset();
        }
        if (wanted.choice.empty()) {
            clients->close();
            open.reset();
            status.clear();
            problem.reset();
        } else {
            if (!wanted.port) {
                if (const auto chosen = ChoosePort(Names(ports), wanted.choice)) {
                    wanted.port = ports[*chosen];
                } else {
                    problem = "MIDI input: no port matches " + Quoted(wanted.choice) + " (" +
                              PortList(Names(ports)) + ")";
                    status = *problem;
                }
            }
            if (wanted.port && open && LastingName(*open) != LastingName(*wanted.port)) {
                clients->close();
                open.reset();
            }
            if (wanted.port && !open) {
                // The chosen port, or one of the same name that has come back.
                const auto back = std::find_if(ports.begin(), ports.end(), [this](const auto& p) {
                    return LastingName(p) == LastingName(*wanted.port);
                });
                if (back != ports.end()) {
                    if (const std::string error = clients->connect(*back); error.empty()) {
                        open = wanted.port = *back;
                        status = "MIDI input: " + Printable(back->name);
                        problem.reset();
                    } else {
                        problem = "MIDI input " + Quoted(back->name) + " cannot be opened (" +
                                  Printable(error) + ")";
                        status = *problem;
                    }
                }
            }
        }
        // A flood is told while notes are dropped, once; the status comes back
        // when a listing finds none dropped since the last.
        const std::uint64_t dropped = arrivals.dropped.load(std::memory_order_relaxed);
        const bool flooding = dropped != droppedBefore;
        droppedBefore = dropped;
        if (open && !problem) {
            if (flooding) {
                problem = "MIDI input " + Quoted(open->name) +
                          " sends more notes than anyone plays; notes are dropped until it "
                          "calms down";
                status = *problem;
            } else {
                status = "MIDI input: " + Printable(open->name);
            }
        }
        publish(ports, problem);
    }

    void publish(const std::vector<MidiInputPort>& ports,
                 const std::optional<std::string>& problem) {
        bool changes = false;
        {
            std::lock_guard lock(mutex);
            if (problem && *problem != toldProblem) {
                report.newProblems.push_back(*problem);
                changes = true;
            }
            toldProblem = problem.value_or("");
            changes = changes || report.status != status || report.ports != ports ||
                      report.connected != open;
            report.status = status;
            report.ports = ports;
            report.connected = open;
        }
        // Never once the input is closed: what it would tell may be gone.
        std::lock_guard telling(tellingMutex);
        if (changes && !closed && changed) changed();
    }

    const std::function<void()> changed;
    int pipe[2] = {-1, -1};
    KeyboardArrivals arrivals;

    // The thread's own.
    std::unique_ptr<MidiInputClients> clients;
    Wanted wanted;
    std::optional<MidiInputPort> open;
    std::string status;
    std::uint64_t droppedBefore = 0;  // arrivals.dropped at the last listing

    std::mutex mutex;  // guards what follows; never held while a library is called
    std::condition_variable wake;
    bool stopping = false;
    bool finished = false;
    bool refreshNow = false;
    std::optional<Wanted> requested;
    Report report;
    std::string toldProblem;  // so that a problem that lasts is told once

    std::mutex tellingMutex;
    bool closed = false;  // under tellingMutex
};

KeyboardInput::KeyboardInput(std::function<void()> changed)
    : watcher_(std::make_shared<Watcher>(std::move(changed))) {
    std::thread([watcher = watcher_] { watcher->watch(); }).detach();
}

KeyboardInput::~KeyboardInput() {
    watcher_->request([this] { watcher_->stopping = true; });
    {
        std::lock_guard telling(watcher_->tellingMutex);
        watcher_->closed = true;
    }
    // A JACK server that stopped answering can hold the thread for good; it
    // is left behind then, with what it works on.
    std::unique_lock lock(watcher_->mutex);
    watcher_->wake.wait_for(lock, 2s, [this] { return watcher_->finished; });
}

int KeyboardInput::WatchersStillRunning() {
    return gRunning;
}

void KeyboardInput::choose(const std::string& choice) {
    watcher_->request([&] { watcher_->requested = Watcher::Wanted{choice, std::nullopt}; });
}

void KeyboardInput::choose(const MidiInputPort& port) {
    watcher_->request([&] { watcher_->requested = Watcher::Wanted{port.name, port}; });
}

void KeyboardInput::refresh() {
    watcher_->request([this] { watcher_->refreshNow = true; });
}

KeyboardInput::Report KeyboardInput::report() {
    std::lock_guard lock(watcher_->mutex);
    Report copy = watcher_->report;
    watcher_->report.newProblems.clear();
    return copy;
}

int KeyboardInput::readyFd() const {
    return watcher_->pipe[0];
}

void KeyboardInput::setListener(Listener listener) {
    listener_ = std::move(listener);
}

void KeyboardInput::deliver() {
    // What waits beyond one turn's share is read on the next turn of the
    // window's event loop, so that other events come in between.
    std::uint8_t buffer[kMostBytesPerDelivery];
    ssize_t got = 0;
    do {
        got = read(watcher_->pipe[0], buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got > 0 && listener_) listener_({buffer, static_cast<std::size_t>(got)});
}

}  // namespace velmora
