#include "platform/media/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tessel::media {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint32_t kHeaderBytes = 44;
// A RIFF size is 32 bits; stop well before it.
constexpr std::size_t kMaxSamples = 0x7FFF0000 / 2;

void put16(std::string* out, std::uint16_t value)
{
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>(value >> 8));
}

void put32(std::string* out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t get16(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t get32(const std::string& bytes, std::size_t at)
{
    return get16(bytes, at) | static_cast<std::uint32_t>(get16(bytes, at + 2)) << 16;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool writeWaveFile(
    const std::string& hostPath, const std::vector<std::int16_t>& samples, std::uint32_t sampleRate)
{
    if (samples.size() > kMaxSamples || sampleRate == 0)
        return false;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string bytes;
    bytes.reserve(kHeaderBytes + dataBytes);
    bytes += "RIFF";
    put32(&bytes, kHeaderBytes - 8 + dataBytes);
    bytes += "WAVEfmt ";
    put32(&bytes, 16);
    put16(&bytes, kFormatPcm);
    put16(&bytes, 1);
    put32(&bytes, sampleRate);
    put32(&bytes, sampleRate * 2);
    put16(&bytes, 2);
    put16(&bytes, 16);
    bytes += "data";
    put32(&bytes, dataBytes);
    for (std::int16_t sample : samples)
        put16(&bytes, static_cast<std::uint16_t>(sample));

    const std::string temp = hostPath + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), hostPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool parseWave(const std::string& bytes, WaveSamples* wave)
{
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    std::uint32_t rate = 0;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = get32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t present = bytes.size() - body;
        if (bytes.compare(at, 4, "fmt ") == 0) {
            if (size < 16 || present < 16)
                return false;
            if (get16(bytes, body) != kFormatPcm)
                return false;
            channels = get16(bytes, body + 2);
            rate = get32(bytes, body + 4);
            bits = get16(bytes, body + 14);
            if (channels == 0 || rate == 0 || (bits != 8 && bits != 16))
                return false;
            haveFormat = true;
        } else if (bytes.compare(at, 4, "data") == 0) {
            if (!haveFormat)
                return false;
            const std::size_t frameBytes = static_cast<std::size_t>(channels) * (bits / 8);
            const std::size_t frames = std::min<std::size_t>(size, present) / frameBytes;
            wave->sampleRate = rate;
            wave->samples.clear();
            wave->samples.reserve(frames);
            for (std::size_t i = 0; i < frames; ++i) {
                const std::size_t p = body + i * frameBytes;
                if (bits == 16)
                    wave->samples.push_back(static_cast<std::int16_t>(get16(bytes, p)));
                else
                    wave->samples.push_back(
                        static_cast<std::int16_t>((static_cast<std::uint8_t>(bytes[p]) - 128) * 256));
            }
            return true;
        }
        if (size > present)
            return false;
        at = body + size + (size & 1);
    }
    return false;
}

bool readWaveFile(const std::string& hostPath, WaveSamples* wave)
{
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    // The input is a voice memo; a file far larger than any is refused.
    constexpr std::size_t kMaxFileBytes = 256u << 20;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() <= kMaxFileBytes)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (n < 0 || bytes.size() > kMaxFileBytes)
        return false;
    return parseWave(bytes, wave);
}

} // namespace tessel::media
