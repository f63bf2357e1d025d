#pragma once
// Playing samples through the desktop's sound server (PulseAudio, or
// PipeWire's PulseAudio service) with a connection made for each playing,
// so that a server started after the program is found. Qt's own sound
// output looks for the server once, when the program starts.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace app {

class PulsePlayback {
public:
    // Connects to the sound server now for 16-bit mono samples at
    // sampleRate; null when there is none (or the build has no support).
    static std::unique_ptr<PulsePlayback> Open(int sampleRate);
    ~PulsePlayback(); // stops at once and drops what was not yet heard
    PulsePlayback(const PulsePlayback&) = delete;
    PulsePlayback& operator=(const PulsePlayback&) = delete;

    // Plays the samples on a thread of its own; finished runs on that thread
    // once every sample has been heard (not when it was stopped).
    void Start(std::vector<std::int16_t> samples, std::function<void()> finished);

private:
    struct Stream;
    explicit PulsePlayback(Stream* stream);
    void Play(const std::vector<std::int16_t>& samples, const std::function<void()>& finished);

    Stream* m_stream;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

} // namespace app
