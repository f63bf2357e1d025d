// 16-bit PCM mono samples as a RIFF/WAVE file: the RIFF header, the format
// chunk and the data chunk, every number little-endian.

#include "melody/ImelodySound.h"

namespace melody {
namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string WaveFile(std::span<const std::int16_t> samples, int sampleRate) {
    constexpr std::uint32_t kFormatChunk = 16;
    constexpr std::uint32_t kPcm = 1;
    constexpr std::uint32_t kChannels = 1;
    constexpr std::uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    std::string wave;
    wave.reserve(44 + dataBytes);
    wave += "RIFF";
    PutLittleEndian(wave, 4 + (8 + kFormatChunk) + (8 + dataBytes), 4);
    wave += "WAVEfmt ";
    PutLittleEndian(wave, kFormatChunk, 4);
    PutLittleEndian(wave, kPcm, 2);
    PutLittleEndian(wave, kChannels, 2);
    PutLittleEndian(wave, rate, 4);
    PutLittleEndian(wave, rate * kChannels * kBytesPerSample, 4);
    PutLittleEndian(wave, kChannels * kBytesPerSample, 2);
    PutLittleEndian(wave, 8 * kBytesPerSample, 2);
    wave += "data";
    PutLittleEndian(wave, dataBytes, 4);
    for (const std::int16_t sample : samples)
        PutLittleEndian(wave, static_cast<std::uint16_t>(sample), 2);
    return wave;
}

} // namespace melody
