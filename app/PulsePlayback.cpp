#include "app/PulsePlayback.h"

#ifdef QUILLMERE_HAVE_PULSE
#include <pulse/error.h>
#include <pulse/simple.h>
#endif

#include <algorithm>
#include <chrono>

namespace app {

#ifdef QUILLMERE_HAVE_PULSE

namespace {

// Written a twentieth of a second at a time into a buffer of 0.15 s.
constexpr std::size_t kChunk = 2205;
constexpr pa_usec_t kBufferUs = 150000;

} // namespace

struct PulsePlayback::Stream {
    pa_simple* simple;
};

std::unique_ptr<PulsePlayback> PulsePlayback::Open(int sampleRate) {
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16NE;
    format.rate = static_cast<std::uint32_t>(sampleRate);
    format.channels = 1;
    // A short buffer: each write waits a moment at most, so Stop is heard at once.
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferUs, &format));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* simple = pa_simple_new(nullptr, "Quillmere", PA_STREAM_PLAYBACK, nullptr, "Melody",
                                      &format, nullptr, &buffer, &error);
    if (simple == nullptr)
        return nullptr;
    return std::unique_ptr<PulsePlayback>(new PulsePlayback(new Stream{simple}));
}

PulsePlayback::PulsePlayback(Stream* stream) : m_stream(stream) {}

PulsePlayback::~PulsePlayback() {
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    int error = 0;
    pa_simple_flush(m_stream->simple, &error);
    pa_simple_free(m_stream->simple);
    delete m_stream;
}

void PulsePlayback::Start(std::vector<std::int16_t> samples, std::function<void()> finished) {
    m_thread = std::thread([this, samples = std::move(samples), finished = std::move(finished)] {
        Play(samples, finished);
    });
}

void PulsePlayback::Play(const std::vector<std::int16_t>& samples,
                         const std::function<void()>& finished) {
    int error = 0;
    for (std::size_t at = 0; at < samples.size(); at += kChunk) {
        const std::size_t count = std::min(kChunk, samples.size() - at);
        if (m_bStop || pa_simple_write(m_stream->simple, samples.data() + at,
                                       count * sizeof(std::int16_t), &error) < 0)
            return;
    }
    // What is buffered is heard within the stream's latency; Stop may still come.
    pa_usec_t left = pa_simple_get_latency(m_stream->simple, &error);
    if (left == static_cast<pa_usec_t>(-1))
        left = 0;
    const auto heard = std::chrono::steady_clock::now() + std::chrono::microseconds(left);
    while (std::chrono::steady_clock::now() < heard) {
        if (m_bStop)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    finished();
}

#else

struct PulsePlayback::Stream {};

std::unique_ptr<PulsePlayback> PulsePlayback::Open(int) {
    return nullptr;
}
PulsePlayback::PulsePlayback(Stream* stream) : m_stream(stream) {}
PulsePlayback::~PulsePlayback() = default;
void PulsePlayback::Start(std::vector<std::int16_t>, std::function<void()>) {}
void PulsePlayback::Play(const std::vector<std::int16_t>&, const std::function<void()>&) {}

#endif

} // namespace app
