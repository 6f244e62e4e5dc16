#include "cli/render.h"

#include "engine/platform.h"
#include "recording/file_messages.h"
#include "synth/synthesizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr size_t blockFrames = 1024;
constexpr uint64_t longestTailSeconds = 60;

void putLE16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(uint8_t(value)), out.push_back(uint8_t(value >> 8));
}

void putLE32(std::vector<uint8_t>& out, uint32_t value) {
    putLE16(out, value & 0xFFFF), putLE16(out, value >> 16);
}

} // namespace

std::vector<int16_t> renderMessages(const SoundFont& font, const std::vector<MidiMessage>& messages,
                                    unsigned rate) {
    SynthSettings settings;
    settings.sampleRate = rate;
    Synthesizer* synth = synthCreate(font, settings);
    std::vector<int16_t> frames;
    std::vector<float> block(2 * blockFrames);
    uint64_t done = 0;
    auto renderUntil = [&](uint64_t until) {
        while (done < until) {
            const size_t n = size_t(std::min<uint64_t>(blockFrames, until - done));
            synthRender(synth, block.data(), n);
            for (size_t i = 0; i < 2 * n; ++i)
                frames.push_back(int16_t(std::lrint(std::clamp(block[i], -1.0f, 1.0f) * 32767)));
            done += n;
        }
    };
    auto send = [&](uint32_t message) {
        if (!synthSend(synth, message)) { // a full queue: what it holds is taken up first
            synthRender(synth, block.data(), 0);
            synthSend(synth, message);
        }
    };
    for (const MidiMessage& m : messages) {
        renderUntil(m.timeUs * rate / 1000000); // a song ends within 2^32 ms
        send(m.packed);
    }
    for (uint32_t channel = 0; channel < 16; ++channel)
        send(0xB0 | channel | 123 << 8); // a note the song never ended ends with it
    const uint64_t latest = done + longestTailSeconds * rate;
    do
        renderUntil(std::min(latest, done + blockFrames));
    while (synthActiveVoices(synth) != 0 && done < latest);
    synthDestroy(synth);
    return frames;
}

const wchar_t* writeWavFile(const std::vector<int16_t>& frames, unsigned rate,
                            const std::filesystem::path& path) {
    const uint64_t dataBytes = uint64_t(frames.size()) * 2;
    if (dataBytes > std::numeric_limits<uint32_t>::max() - 36)
        return msgCannotWriteFile; // a WAV file's sizes are 32 bits
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putLE32(header, uint32_t(36 + dataBytes));
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLE32(header, 16);
    putLE16(header, 1); // PCM
    putLE16(header, 2); // stereo
    putLE32(header, rate);
    putLE32(header, rate * 4); // bytes a second
    putLE16(header, 4);        // bytes a frame
    putLE16(header, 16);       // bits a sample
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putLE32(header, uint32_t(dataBytes));
    std::vector<uint8_t> data;
    data.reserve(size_t(dataBytes));
    for (int16_t sample : frames)
        putLE16(data, uint16_t(sample));
    const ByteRange pieces[] = {{header.data(), header.size()}, {data.data(), data.size()}};
    return replaceFileMessage(platformReplaceFile(path, pieces, 2));
}
