#pragma once
// Where the offline renderer puts its samples: a sound file written beside its target
// and put in place by Finish (WavWriter, OggVorbisWriter).

#include <cstdint>
#include <span>
#include <string>

namespace sonkora {

class SampleWriter {
public:
    virtual ~SampleWriter() = default;
    // False, with `error` saying why, when the file cannot be created.
    virtual bool Open(const std::string& fileName, int sampleRate, int channels, std::string& error) = 0;
    // Interleaved 16-bit samples. Throws IoError when the disk refuses.
    virtual void Write(std::span<const int16_t> samples) = 0;
    // Completes the file and puts it in place. Throws IoError (the target is then untouched).
    virtual void Finish() = 0;
};

}  // namespace sonkora
