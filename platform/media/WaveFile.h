#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Voice memos as RIFF WAVE files: 16-bit PCM, written whole beside the
// target and renamed over it, so a reader always finds a complete header
// whose sizes match the samples behind it. Reading takes any 8- or 16-bit
// PCM file and gives its first channel as 16-bit samples.
namespace tessel::media {

inline constexpr std::uint32_t kVoiceSampleRate = 8000;

struct WaveSamples {
    std::uint32_t sampleRate = kVoiceSampleRate;
    std::vector<std::int16_t> samples; // one channel
};

// A mono 16-bit file at sampleRate; false when it cannot be written (the
// old file, if any, stays).
bool writeWaveFile(const std::string& hostPath, const std::vector<std::int16_t>& samples,
    std::uint32_t sampleRate = kVoiceSampleRate);

// False when the file is missing, no PCM WAVE, or its chunks overrun the
// bytes present (a short data chunk gives the whole samples it holds).
bool readWaveFile(const std::string& hostPath, WaveSamples* wave);

// The same from bytes in memory.
bool parseWave(const std::string& bytes, WaveSamples* wave);

} // namespace tessel::media
