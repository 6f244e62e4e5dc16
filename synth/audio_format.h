// The synthesizer's float stereo turned into the samples an audio device takes: its channel count,
// float or integer samples, and the width of each sample in memory. No Windows headers here.
#pragma once

#include <cstddef>

struct AudioFormat {
    unsigned channels = 2;
    unsigned bytesPerSample = 4; // 2, 3 or 4; the container, which may be wider than the bits used
    bool isFloat = true;         // IEEE float (4 bytes), else signed integer, little-endian
};

// Whether convertFrames can write this format: 1 to 32 channels, float in 4 bytes, integers in 2,
// 3 or 4.
bool audioFormatSupported(const AudioFormat& format);

// frames of interleaved left and right written to out in format. Left and right go to the first two
// channels; a single channel gets their mean; further channels get silence. Integer samples are
// clipped to full scale (a float sample beyond +-1 is passed on as it is: the device clips).
void convertFrames(const float* stereo, size_t frames, const AudioFormat& format, void* out);
