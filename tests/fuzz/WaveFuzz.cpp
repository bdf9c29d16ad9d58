// Reads the input as a WAV file. What is read is never more samples than
// the bytes hold, at a rate above zero.
#include "FuzzBytes.h"
#include "platform/media/WaveFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessel::media::WaveSamples wave;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!tessel::media::parseWave(bytes, &wave))
        return 0;
    FUZZ_CHECK(wave.sampleRate > 0);
    FUZZ_CHECK(wave.samples.size() <= size);
    return 0;
}
