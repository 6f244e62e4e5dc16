// The synthesizer's float stereo in the sample formats audio devices take.
#include "synth/audio_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<uint8_t> convert(const std::vector<float>& stereo, const AudioFormat& format) {
    const size_t frames = stereo.size() / 2;
    std::vector<uint8_t> out(frames * format.channels * format.bytesPerSample, 0xAA);
    convertFrames(stereo.data(), frames, format, out.data());
    return out;
}

} // namespace

// Little-endian bytes written out by hand; full scale is clipped, the channels past the second
// are silent and a single channel hears the mean of both.
TEST(AudioFormat, FramesInEachSampleFormat) {
    struct Row {
        AudioFormat format;
        std::vector<float> stereo;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {{2, 2, false}, {0.5f, -0.5f}, {0x00, 0x40, 0x00, 0xC0}},
        {{2, 2, false}, {1.0f, -1.5f}, {0xFF, 0x7F, 0x00, 0x80}},
        {{2, 3, false}, {0.25f, -1.0f}, {0x00, 0x00, 0x20, 0x00, 0x00, 0x80}},
        {{2, 4, false}, {-0.5f, 2.0f}, {0x00, 0x00, 0x00, 0xC0, 0xFF, 0xFF, 0xFF, 0x7F}},
        {{2, 4, true}, {1.0f, -2.0f}, {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0}},
        {{1, 2, false}, {0.5f, 0.0f, -1.0f, -1.0f}, {0x00, 0x20, 0x00, 0x80}},
        {{4, 2, false}, {0.5f, 0.25f}, {0x00, 0x40, 0x00, 0x20, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(audioFormatSupported(row.format));
        EXPECT_EQ(convert(row.stereo, row.format), row.bytes)
            << row.format.channels << " channels, " << row.format.bytesPerSample << " bytes";
    }
    for (const AudioFormat& odd :
         {AudioFormat{0, 2, false}, AudioFormat{33, 2, false}, AudioFormat{2, 1, false},
          AudioFormat{2, 2, true}, AudioFormat{2, 8, true}})
        EXPECT_FALSE(audioFormatSupported(odd));
}
