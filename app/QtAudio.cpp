// The sound output: the desktop's sound server, looked for again at every
// Play (app/PulsePlayback.h), else Qt Multimedia's default output device
// (a QAudioSink reading the samples from memory). Nothing is written to disk.

#include "app/PulsePlayback.h"
#include "app/QtDesktop.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <utility>

namespace app {
namespace {

class QtAudioOutputImpl final : public IAudioOutput {
public:
    bool Play(std::vector<std::int16_t> samples, int sampleRate,
              std::function<void()> onEnded) override {
        Stop();
        if ((m_pulse = PulsePlayback::Open(sampleRate))) {
            // Heard to the end: ended on the user interface thread, unless
            // stopped (or played anew) meanwhile.
            const unsigned playing = ++m_playing;
            m_pulse->Start(std::move(samples), [this, playing] {
                QMetaObject::invokeMethod(
                    &m_context,
                    [this, playing] {
                        if (playing == m_playing)
                            Stop();
                    },
                    Qt::QueuedConnection);
            });
            m_onEnded = std::move(onEnded);
            return true;
        }
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (device.isNull() || !device.isFormatSupported(format))
            return false;

        m_buffer = new QBuffer;
        m_buffer->setData(reinterpret_cast<const char*>(samples.data()),
                          static_cast<qsizetype>(samples.size() * sizeof(std::int16_t)));
        m_buffer->open(QIODevice::ReadOnly);
        m_sink = new QAudioSink(device, format);
        QObject::connect(m_sink, &QAudioSink::stateChanged, m_sink, [this](QAudio::State state) {
            // Idle: every sample has been played; stopped: the device failed.
            if (state == QAudio::IdleState || state == QAudio::StoppedState)
                Stop();
        });
        m_sink->start(m_buffer);
        if (m_sink->error() != QAudio::NoError) {
            Release();
            return false;
        }
        m_onEnded = std::move(onEnded);
        return true;
    }

    void Stop() override {
        if (m_pulse) {
            ++m_playing;
            m_pulse.reset();
        } else if (m_sink != nullptr) {
            Release();
        } else {
            return;
        }
        if (auto onEnded = std::exchange(m_onEnded, {}))
            onEnded();
    }

private:
    // The sink may be the one telling of its state: it goes once that is done.
    void Release() {
        m_sink->disconnect();
        m_sink->stop();
        m_sink->deleteLater();
        m_buffer->deleteLater();
        m_sink = nullptr;
        m_buffer = nullptr;
    }

    QAudioSink* m_sink = nullptr;
    QBuffer* m_buffer = nullptr;
    std::unique_ptr<PulsePlayback> m_pulse;
    unsigned m_playing = 0; // counts the playings, so a late end is told apart
    QObject m_context;      // on the user interface thread
    std::function<void()> m_onEnded;
};

} // namespace

IAudioOutput& QtAudioOutput() {
    static QtAudioOutputImpl output;
    return output;
}

} // namespace app
