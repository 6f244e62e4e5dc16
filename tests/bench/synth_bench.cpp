// How fast the synthesizer renders a busy song next to FluidSynth on the same SoundFont: both at
// 48 kHz with 64 voices, in 64-frame blocks, every message at its own frame. Target: Tonvira's
// render time within FluidSynth's (ratio <= 1), every block well inside its 1333 us.
//
//   tonvira_synth_bench FONT.sf2 SONG.mid
#include "cli/midi_reader.h"
#include "synth/soundfont.h"
#include "synth/synthesizer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr unsigned sampleRate = 48000;
constexpr unsigned voiceLimit = 64;
constexpr uint64_t blockFrames = 64;
constexpr uint64_t tailSeconds = 2;
constexpr int runs = 3;

struct TimedMessage {
    uint64_t frame;
    uint32_t packed;
};

struct RunResult {
    double cpuSeconds = 0;
    std::vector<double> blockMicroseconds; // one a 64-frame block, messages sent in it included
    unsigned peakVoices = 0;               // after each render call
    long preemptions = 0;
    std::vector<float> sound; // interleaved stereo, for the loudness check
};

// The thread's user and system time, and its involuntary context switches: each of those puts a
// scheduler slice into a block's wall time.
struct ThreadUsage {
    double cpuSeconds;
    long preemptions;
};

ThreadUsage threadUsage() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) * 1e-6;
    };
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_nivcsw};
}

std::wstring widen(const char* text) {
    std::wstring wide(std::strlen(text), L'\0');
    const size_t length = std::mbstowcs(wide.data(), text, wide.size());
    wide.resize(length == size_t(-1) ? 0 : length);
    return wide;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class TonviraRenderer {
  public:
    explicit TonviraRenderer(const SoundFont& font) : font_(font) {}
    ~TonviraRenderer() { synthDestroy(synth_); }

    void reset() {
        synthDestroy(synth_);
        synth_ = synthCreate(font_, SynthSettings{double(sampleRate), voiceLimit});
    }
    void send(uint32_t packed) {
        if (!synthSend(synth_, packed)) { // a full queue: what it holds is taken up first
            synthRender(synth_, nullptr, 0);
            synthSend(synth_, packed);
        }
    }
    void render(float* out, size_t frames) { synthRender(synth_, out, frames); }
    unsigned voices() const { return synthActiveVoices(synth_); }

  private:
    const SoundFont& font_;
    Synthesizer* synth_ = nullptr;
};

// FluidSynth warns on stderr for each note it finds no voice for; printing inside the timed loop
// would count against it, so those are only counted.
unsigned fluidNotesDropped = 0;

void fluidWarning(int, const char* message, void*) {
    if (std::strstr(message, "Failed to allocate"))
        ++fluidNotesDropped;
    else
        std::fprintf(stderr, "fluidsynth: %s\n", message);
}

class FluidRenderer {
  public:
    FluidRenderer() {
        fluid_set_log_function(FLUID_WARN, fluidWarning, nullptr);
        settings_ = new_fluid_settings();
        fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
        fluid_settings_setint(settings_, "synth.polyphony", voiceLimit);
        fluid_settings_setint(settings_, "synth.reverb.active", 0);
        fluid_settings_setint(settings_, "synth.chorus.active", 0);
        fluid_settings_setnum(settings_, "synth.gain", 0.2);
        synth_ = new_fluid_synth(settings_);
    }
    ~FluidRenderer() {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    bool load(const char* path) {
        return synth_ && fluid_synth_sfload(synth_, path, 1) != FLUID_FAILED;
    }
    void reset() { fluid_synth_system_reset(synth_); }
    void send(uint32_t packed) {
        const int channel = packed & 0x0F, data1 = (packed >> 8) & 0x7F,
                  data2 = (packed >> 16) & 0x7F;
        switch (packed & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth_, channel, data1);
            break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(synth_, channel, data1);
            else
                fluid_synth_noteon(synth_, channel, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(synth_, channel, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth_, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth_, channel, data1 | data2 << 7);
            break;
        default: // pressure: the song has none, and Tonvira's synthesizer takes none
            break;
        }
    }
    void render(float* out, size_t frames) {
        fluid_synth_write_float(synth_, int(frames), out, 0, 2, out, 1, 2);
    }
    unsigned voices() const { return unsigned(fluid_synth_get_active_voice_count(synth_)); }

  private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

// The song from its first frame to the tail's last, in blocks on a 64-frame grid; a message
// inside a block splits it there, as tonvira-tool's render does. Only this loop is timed.
template <class Renderer>
RunResult renderSong(Renderer& renderer, const std::vector<TimedMessage>& messages,
                     uint64_t totalFrames) {
    renderer.reset();
    RunResult result;
    result.sound.assign(2 * totalFrames, 0.0f);
    result.blockMicroseconds.reserve(size_t(totalFrames / blockFrames + 1));
    std::vector<float> block(2 * blockFrames);
    uint64_t done = 0;
    auto renderUntil = [&](uint64_t until) {
        if (until <= done)
            return;
        const size_t n = size_t(until - done);
        renderer.render(block.data(), n);
        std::memcpy(result.sound.data() + 2 * done, block.data(), 2 * n * sizeof(float));
        result.peakVoices = std::max(result.peakVoices, renderer.voices());
        done = until;
    };
    size_t next = 0;
    const ThreadUsage before = threadUsage();
    auto blockStart = std::chrono::steady_clock::now();
    while (done < totalFrames) {
        const uint64_t blockEnd = std::min(totalFrames, done + blockFrames);
        for (; next < messages.size() && messages[next].frame < blockEnd; ++next) {
            renderUntil(messages[next].frame);
            renderer.send(messages[next].packed);
        }
        renderUntil(blockEnd);
        const auto now = std::chrono::steady_clock::now();
        result.blockMicroseconds.push_back(
            std::chrono::duration<double, std::micro>(now - blockStart).count());
        blockStart = now;
    }
    const ThreadUsage after = threadUsage();
    result.cpuSeconds = after.cpuSeconds - before.cpuSeconds;
    result.preemptions = after.preemptions - before.preemptions;
    return result;
}

template <class Renderer>
RunResult bestOf(Renderer& renderer, const std::vector<TimedMessage>& messages,
                 uint64_t totalFrames, const char* name) {
    RunResult best;
    for (int run = 0; run < runs; ++run) {
        RunResult result = renderSong(renderer, messages, totalFrames);
        std::printf("  %-10s run %d: %8.1f ms\n", name, run + 1, result.cpuSeconds * 1e3);
        if (run == 0 || result.cpuSeconds < best.cpuSeconds)
            best = std::move(result);
    }
    return best;
}

// Nearest rank: the smallest time at least this fraction of the blocks stay within.
double percentile(std::vector<double> sorted, double fraction) {
    const size_t rank = size_t(std::ceil(fraction * double(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

void printBlocks(const char* name, const RunResult& run) {
    std::vector<double> times = run.blockMicroseconds;
    std::sort(times.begin(), times.end());
    std::printf("%-10s per block (us, wall): p50 %.1f  p99 %.1f  p99.9 %.1f  max %.1f  (%zu "
                "blocks; preempted %ld times)\n",
                name, percentile(times, 0.5), percentile(times, 0.99), percentile(times, 0.999),
                times.back(), times.size(), run.preemptions);
}

void printLoudness(const char* name, const std::vector<float>& sound) {
    double sum = 0;
    float peak = 0;
    for (float x : sound)
        sum += double(x) * x, peak = std::max(peak, std::fabs(x));
    std::printf("%-10s output: rms %.4f, peak %.4f\n", name, std::sqrt(sum / double(sound.size())),
                peak);
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FONT.sf2 SONG.mid\n", argv[0]);
        return 2;
    }
    MidiSong song;
    if (const MidiReadError error = readMidiSong(argv[2], song); error.format) {
        std::fprintf(stderr, "%ls\n", midiErrorText(error, widen(argv[2])).c_str());
        return 1;
    }
    if (song.messages.empty()) {
        std::fprintf(stderr, "%s: no channel messages\n", argv[2]);
        return 1;
    }

    auto loadStart = std::chrono::steady_clock::now();
    SoundFont font;
    if (std::wstring error = readSoundFont(argv[1], font); !error.empty()) {
        if (const size_t at = error.find(L"%s"); at != std::wstring::npos)
            error.replace(at, 2, widen(argv[1]));
        std::fprintf(stderr, "%ls\n", error.c_str());
        return 1;
    }
    const double tonviraLoad = secondsSince(loadStart);
    FluidRenderer fluid;
    loadStart = std::chrono::steady_clock::now();
    if (!fluid.load(argv[1])) {
        std::fprintf(stderr, "FluidSynth cannot load %s\n", argv[1]);
        return 1;
    }
    const double fluidLoad = secondsSince(loadStart);

    std::vector<TimedMessage> messages;
    for (const MidiMessage& m : song.messages)
        messages.push_back({m.timeUs * sampleRate / 1000000, m.packed});
    const uint64_t songFrames = messages.back().frame;
    for (uint32_t channel = 0; channel < 16; ++channel) // a note the song never ended ends here
        messages.push_back({songFrames, 0xB0 | channel | 123 << 8});
    const uint64_t totalFrames = songFrames + tailSeconds * sampleRate;
    const double seconds = double(totalFrames) / sampleRate;

    std::printf("song: %zu messages, %.2f s and a %llu s tail: %.2f s of sound at %u Hz, "
                "%u voices, %llu-frame blocks\n",
                song.messages.size(), double(songFrames) / sampleRate,
                (unsigned long long)tailSeconds, seconds, sampleRate, voiceLimit,
                (unsigned long long)blockFrames);
    std::printf("SoundFont load (wall): Tonvira %.1f ms, FluidSynth %.1f ms\n", tonviraLoad * 1e3,
                fluidLoad * 1e3);
    std::printf("render time (CPU time of the thread, user and system), %d runs each:\n", runs);
    TonviraRenderer tonvira(font);
    const RunResult ours = bestOf(tonvira, messages, totalFrames, "Tonvira");
    const RunResult theirs = bestOf(fluid, messages, totalFrames, "FluidSynth");

    std::printf("best of %d runs (real-time factor: render time / %.2f s of sound; peak voices: "
                "sounding or fading out, after each render call):\n",
                runs, seconds);
    std::printf("Tonvira    render %8.1f ms  real-time factor %.4f  peak voices %u\n",
                ours.cpuSeconds * 1e3, ours.cpuSeconds / seconds, ours.peakVoices);
    std::printf("FluidSynth render %8.1f ms  real-time factor %.4f  peak voices %u\n",
                theirs.cpuSeconds * 1e3, theirs.cpuSeconds / seconds, theirs.peakVoices);
    std::printf("ratio Tonvira / FluidSynth: %.3f (target <= 1.0)\n",
                ours.cpuSeconds / theirs.cpuSeconds);
    std::printf("a block is %.0f us of sound\n", 1e6 * double(blockFrames) / sampleRate);
    printBlocks("Tonvira", ours);
    printBlocks("FluidSynth", theirs);
    std::printf("FluidSynth found no voice for a note %u times in %d runs\n", fluidNotesDropped,
                runs);
    printLoudness("Tonvira", ours.sound);
    printLoudness("FluidSynth", theirs.sound);
    return 0;
}
