#include "synth/audio_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

bool audioFormatSupported(const AudioFormat& format) {
    if (format.channels < 1 || format.channels > 32)
        return false;
    if (format.isFloat)
        return format.bytesPerSample == 4;
    return format.bytesPerSample >= 2 && format.bytesPerSample <= 4;
}

namespace {

// A sample as a signed integer of `bytes` bytes, rounded and clipped to full scale.
int64_t toInteger(float sample, unsigned bytes) {
    const double scale = double(int64_t(1) << (8 * bytes - 1));
    const double value = std::nearbyint(double(sample) * scale);
    return int64_t(std::clamp(value, -scale, scale - 1));
}

void writeSample(float sample, const AudioFormat& format, unsigned char* at) {
    if (format.isFloat) {
        std::memcpy(at, &sample, sizeof sample);
        return;
    }
    const uint64_t bits = uint64_t(toInteger(sample, format.bytesPerSample));
    for (unsigned b = 0; b < format.bytesPerSample; ++b)
        at[b] = static_cast<unsigned char>(bits >> (8 * b)); // little-endian
}

} // namespace

void convertFrames(const float* stereo, size_t frames, const AudioFormat& format, void* out) {
    unsigned char* at = static_cast<unsigned char*>(out);
    const size_t frameBytes = size_t(format.channels) * format.bytesPerSample;
    std::memset(at, 0, frames * frameBytes); // the channels past the first two stay silent
    for (size_t f = 0; f < frames; ++f, at += frameBytes) {
        const float left = stereo[2 * f], right = stereo[2 * f + 1];
        if (format.channels == 1) {
            writeSample(0.5f * (left + right), format, at);
        } else {
            writeSample(left, format, at);
            writeSample(right, format, at + format.bytesPerSample);
        }
    }
}
