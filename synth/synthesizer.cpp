#include "synth/synthesizer.h"

#include "synth/preset_regions.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr size_t controlFrames = 64;       // envelopes, LFOs, pitch and filter move at this pace
constexpr size_t queueCapacity = 4096;     // messages between two blocks; a power of two
constexpr unsigned spareVoices = 16;       // voices taken for new notes fade out in these
constexpr float masterGain = 0.2f;         // leaves room for many voices at full velocity
constexpr float fadeSeconds = 0.002f;      // how long a voice taken away or cut off takes to fade
constexpr float silentAmplitude = 1.0e-5f; // -100 dB: a releasing voice this quiet has ended
constexpr size_t interpolationSteps = 256; // fractions of a sample point the cubic is known at
static_assert(interpolationSteps == 256, "the fraction's top 8 bits pick the weights");

// Catmull-Rom weights of the four points around a position, by its fraction: a cubic through
// them keeps a pitched-down sample's highs where a straight line between two points dulls them.
using InterpolationTable = std::array<std::array<float, 4>, interpolationSteps>;

InterpolationTable interpolationTable() {
    InterpolationTable table;
    for (size_t i = 0; i < interpolationSteps; ++i) {
        const double f = double(i) / interpolationSteps, f2 = f * f, f3 = f2 * f;
        table[i] = {float(0.5 * (-f3 + 2 * f2 - f)), float(0.5 * (3 * f3 - 5 * f2 + 2)),
                    float(0.5 * (-3 * f3 + 4 * f2 + f)), float(0.5 * (f3 - f2))};
    }
    return table;
}

double timecentsToSeconds(double timecents) {
    return std::exp2(timecents / 1200.0);
}

double centsToHertz(double cents) {
    return 8.176 * std::exp2(cents / 1200.0);
}

float centibelsToAmplitude(double centibels) {
    return float(std::pow(10.0, -centibels / 200.0));
}

// The attenuation, in centibels, of a 7-bit controller or velocity through the concave curve the
// default modulators use: 0 at 127, 960 (silence) at 0.
double concaveAttenuation(int value) {
    if (value <= 0)
        return 960.0;
    return std::min(960.0, -400.0 * std::log10(value / 127.0));
}

int32_t clampValue(int32_t value, int32_t low, int32_t high) {
    return std::clamp(value, low, high);
}

// Delay, attack, hold, decay, sustain and release of one envelope, counted in output frames.
// The level runs from 0 to 1: during the attack the volume envelope's level is its amplitude,
// after it a level of 1 - x stands for an attenuation of 96 dB x.
struct Envelope {
    enum Stage : uint8_t { delay, attack, hold, decay, sustain, release, finished };
    Stage stage = delay;
    float level = 0;
    double framesLeft = 0; // of the delay, attack or hold
    float attackPerFrame = 0, decayPerFrame = 0, sustainLevel = 0, releasePerFrame = 0;
    double attackFrames = 0, holdFrames = 0;

    void start(double rate, double delayTc, double attackTc, double holdTc, double decayTc,
               float sustain, double releaseTc) {
        stage = delay;
        level = 0;
        framesLeft = timecentsToSeconds(delayTc) * rate;
        attackFrames = std::max(1.0, timecentsToSeconds(attackTc) * rate);
        attackPerFrame = float(1.0 / attackFrames);
        holdFrames = timecentsToSeconds(holdTc) * rate;
        decayPerFrame = float(1.0 / std::max(1.0, timecentsToSeconds(decayTc) * rate));
        sustainLevel = std::clamp(sustain, 0.0f, 1.0f);
        releasePerFrame = float(1.0 / std::max(1.0, timecentsToSeconds(releaseTc) * rate));
    }

    // Moves on by frames; the level at the end of them.
    void advance(double frames) {
        while (frames > 0 && stage != finished && stage != sustain) {
            switch (stage) {
            case delay:
            case hold: {
                const double step = std::min(frames, framesLeft);
                framesLeft -= step, frames -= step;
                if (framesLeft <= 0) {
                    stage = stage == delay ? attack : decay;
                    framesLeft = attackFrames;
                }
                break;
            }
            case attack: {
                const double step = std::min(frames, framesLeft);
                level = std::min(1.0f, level + float(step) * attackPerFrame);
                framesLeft -= step, frames -= step;
                if (framesLeft <= 0) {
                    level = 1;
                    stage = hold;
                    framesLeft = holdFrames;
                }
                break;
            }
            case decay:
                level -= float(frames) * decayPerFrame;
                frames = 0;
                if (level <= sustainLevel) {
                    level = sustainLevel;
                    stage = sustain;
                }
                break;
            case release:
                level -= float(frames) * releasePerFrame;
                frames = 0;
                if (level <= 0) {
                    level = 0;
                    stage = finished;
                }
                break;
            default:
                frames = 0;
            }
        }
    }
};

// A triangle from 0 up to 1, down to -1 and back, after its delay.
struct Lfo {
    double delayFrames = 0;
    double phase = 0; // in cycles
    double cyclesPerFrame = 0;

    void start(double rate, double delayTc, double frequencyCents) {
        delayFrames = timecentsToSeconds(delayTc) * rate;
        phase = 0;
        cyclesPerFrame = centsToHertz(frequencyCents) / rate;
    }

    float value() const {
        if (delayFrames > 0)
            return 0;
        const double p = phase - std::floor(phase);
        return float(p < 0.25 ? 4 * p : p < 0.75 ? 2 - 4 * p : 4 * p - 4);
    }

    void advance(double frames) {
        const double waiting = std::min(frames, delayFrames);
        delayFrames -= waiting;
        phase += (frames - waiting) * cyclesPerFrame;
    }
};

struct Voice {
    bool active = false;
    bool released = false;  // its key went up (and no pedal holds it)
    bool sustained = false; // its key went up while the pedal was down
    bool fading = false;    // taken for another note or cut off: gone within fadeSeconds
    uint8_t channel = 0, key = 0, velocity = 0;
    uint32_t note = 0; // which note-on started it: the regions of one note play together
    int32_t exclusiveClass = 0;
    const SfRegion* region = nullptr;
    const int16_t* samples = nullptr;
    // Sample points: the voice plays from start, loops in loopStart..loopEnd (exclusive) and
    // stops at end (exclusive).
    uint32_t start = 0, end = 0, loopStart = 0, loopEnd = 0;
    int32_t loopMode = 0;  // 0 none, 1 continuous, 3 until the key is released
    uint64_t position = 0; // in sample points, 32 bits of them and 32 of fraction
    double pitchRatio = 1; // the sample's rate over the output's
    // What the last block worked out, kept while its inputs stay the same: the step for a pitch
    // in cents, the filter for a cutoff in cents, the pan gains for the channel's pan.
    double stepCents = std::numeric_limits<double>::quiet_NaN(), step = 0;
    double filterCents = std::numeric_limits<double>::quiet_NaN();
    int panFrom = -1;
    double baseCents = 0; // the note's pitch from the region, before modulation
    double baseAttenuation = 0;
    double baseFilterCents = 0;
    float filterGain = 1;
    double filterQ = 0.707;
    float panLeft = 0.7071f, panRight = 0.7071f;
    float amplitude = 0; // at the end of the last block, for the ramp into the next
    float fadePerFrame = 0, fadeLevel = 1;
    Envelope volume, modulation;
    Lfo modLfo, vibLfo;
    // The low-pass filter's state and coefficients (direct form I).
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    bool filterOn = false;
};

struct Channel {
    uint16_t bank = 0;
    uint8_t program = 0;
    const SfPreset* preset = nullptr;
    uint8_t volume = 100, pan = 64, expression = 127;
    bool pedal = false;
    int pitchBend = 8192;
};

} // namespace

struct Synthesizer {
    const SoundFont* font;
    double rate;
    unsigned voiceLimit;
    std::vector<SfPreset> presets;
    std::array<std::array<const SfPreset*, 128>, 2> presetFor{}; // melodic bank 0, drums 128
    std::array<Channel, 16> channels;
    std::array<double, 128> controllerAttenuation; // of a volume or expression value
    InterpolationTable interpolation;
    std::vector<Voice> voices;
    uint32_t notesStarted = 0;
    // Messages from the sending thread: written at tail by it, read at head by the audio thread.
    std::array<uint32_t, queueCapacity> queue{};
    std::atomic<size_t> head{0}, tail{0};
};

namespace {

// The preset for a bank and program: the one the font has, else program 0 of the bank, else the
// font's first preset, so that a note never falls silent for want of one.
const SfPreset* findPreset(const std::vector<SfPreset>& presets, uint16_t bank, uint8_t program) {
    const SfPreset* fallback = presets.empty() ? nullptr : &presets.front();
    for (const SfPreset& p : presets) {
        if (p.bank == bank && p.program == program)
            return &p;
        if (p.bank == bank && p.program == 0 && fallback == &presets.front())
            fallback = &p;
    }
    return fallback;
}

void resetChannel(Synthesizer& s, unsigned index) {
    Channel& c = s.channels[index];
    c = Channel{};
    c.bank = index == 9 ? 128 : 0;
    c.preset = s.presetFor[index == 9][0];
}

void fadeOut(Synthesizer& s, Voice& v) {
    v.fading = true;
    v.fadePerFrame = float(1.0 / std::max(1.0, fadeSeconds * s.rate));
}

void release(Voice& v) {
    if (v.released)
        return;
    v.released = true;
    v.sustained = false;
    if (v.volume.stage == Envelope::attack || v.volume.stage == Envelope::delay) {
        // From the attack's linear amplitude to the level of the same loudness after it.
        const float amplitude = std::max(v.volume.level, silentAmplitude);
        v.volume.level = std::max(0.0f, 1.0f + 200.0f * std::log10(amplitude) / 960.0f);
    }
    if (v.volume.stage != Envelope::finished)
        v.volume.stage = Envelope::release;
    if (v.modulation.stage != Envelope::finished)
        v.modulation.stage = Envelope::release;
}

// A free voice for a new note, taking one away when voiceLimit are sounding: the quietest of
// those released, else the quietest of all, faded out rather than cut.
Voice* freeVoice(Synthesizer& s) {
    unsigned sounding = 0;
    Voice* idle = nullptr;
    Voice* quietest = nullptr;
    Voice* quietestFading = nullptr;
    for (Voice& v : s.voices) {
        if (!v.active) {
            idle = idle ? idle : &v;
            continue;
        }
        if (v.fading) {
            if (!quietestFading || v.amplitude < quietestFading->amplitude)
                quietestFading = &v;
            continue;
        }
        ++sounding;
        const bool better = !quietest || (v.released && !quietest->released) ||
                            (v.released == quietest->released && v.amplitude < quietest->amplitude);
        if (better)
            quietest = &v;
    }
    if (sounding >= s.voiceLimit && quietest)
        fadeOut(s, *quietest);
    if (idle)
        return idle;
    return quietestFading; // every voice busy, even the spares: the quietest fading one goes now
}

void updateFilter(Voice& v, double cents, double rate) {
    const double frequency = std::min(centsToHertz(cents), 0.45 * rate);
    v.filterOn = frequency < 0.45 * rate || v.filterQ > 0.71;
    if (!v.filterOn)
        return;
    const double omega = 2 * std::numbers::pi * frequency / rate;
    const double alpha = std::sin(omega) / (2 * v.filterQ);
    const double cosine = std::cos(omega);
    const double a0 = 1 + alpha;
    v.b1 = float((1 - cosine) / a0);
    v.b0 = v.b2 = v.b1 / 2;
    v.a1 = float(-2 * cosine / a0);
    v.a2 = float((1 - alpha) / a0);
}

void startVoice(Synthesizer& s, uint8_t channelIndex, const SfRegion& region, uint8_t key,
                uint8_t velocity) {
    const SoundFont& font = *s.font;
    const SfSampleHeader& sample = font.sampleHeaders[region.sample];
    const auto& g = region.values;
    if (g[sfExclusiveClass] != 0)
        for (Voice& other : s.voices)
            if (other.active && !other.fading && other.channel == channelIndex &&
                other.exclusiveClass == g[sfExclusiveClass] && other.note != s.notesStarted)
                fadeOut(s, other); // a closed hi-hat cuts the open one
    Voice* v = freeVoice(s);
    if (!v)
        return;
    *v = Voice{};
    v->active = true;
    v->channel = channelIndex;
    v->key = key;
    v->velocity = velocity;
    v->note = s.notesStarted;
    v->exclusiveClass = g[sfExclusiveClass];
    v->region = &region;
    v->samples = font.samples.data();
    const int32_t noteKey = g[sfKeynum] >= 0 && g[sfKeynum] <= 127 ? g[sfKeynum] : key;
    const int32_t noteVelocity =
        g[sfVelocity] > 0 && g[sfVelocity] <= 127 ? g[sfVelocity] : velocity;

    // Sample points, moved by the offsets and kept inside the sample.
    const int64_t total = int64_t(font.samples.size());
    auto point = [&](int64_t base, unsigned fine, unsigned coarse) {
        return std::clamp<int64_t>(base + g[fine] + int64_t(g[coarse]) * 32768, 0, total);
    };
    const int64_t start = point(sample.start, sfStartAddrsOffset, sfStartAddrsCoarseOffset);
    const int64_t end =
        std::max(start, point(sample.end, sfEndAddrsOffset, sfEndAddrsCoarseOffset));
    int64_t loopStart =
        point(sample.loopStart, sfStartloopAddrsOffset, sfStartloopAddrsCoarseOffset);
    int64_t loopEnd = point(sample.loopEnd, sfEndloopAddrsOffset, sfEndloopAddrsCoarseOffset);
    loopStart = std::clamp(loopStart, start, end);
    loopEnd = std::clamp(loopEnd, loopStart, end);
    v->position = uint64_t(start) << 32;
    v->start = uint32_t(start);
    v->end = uint32_t(end);
    v->loopStart = uint32_t(loopStart);
    v->loopEnd = uint32_t(loopEnd);
    v->loopMode = (g[sfSampleModes] & 3) == 2 ? 0 : g[sfSampleModes] & 3;
    if (loopEnd - loopStart < 2)
        v->loopMode = 0; // no loop to speak of

    const int32_t root = g[sfOverridingRootKey] >= 0 && g[sfOverridingRootKey] <= 127
                             ? g[sfOverridingRootKey]
                         : sample.originalPitch <= 127 ? sample.originalPitch
                                                       : 60;
    v->baseCents = (noteKey - root) * double(g[sfScaleTuning]) + g[sfCoarseTune] * 100.0 +
                   g[sfFineTune] + sample.pitchCorrection;
    v->pitchRatio = double(std::max<uint32_t>(sample.sampleRate, 1)) / s.rate;

    // Initial attenuation counts 0.4 cB a unit, as the hardware the format was made for did.
    v->baseAttenuation =
        0.4 * clampValue(g[sfInitialAttenuation], 0, 1440) + concaveAttenuation(noteVelocity);
    // Velocity does not move the cutoff: SoundFonts are voiced for synthesizers that leave that
    // default modulator out (FluidSynth among them), and sound dull with it.
    v->baseFilterCents = clampValue(g[sfInitialFilterFc], 1500, 13500);
    const double qDecibels = clampValue(g[sfInitialFilterQ], 0, 960) / 10.0 - 3.01;
    v->filterQ = std::pow(10.0, qDecibels / 20.0);
    v->filterGain = float(1.0 / std::sqrt(v->filterQ));

    const double keyFromMiddle = 60 - noteKey;
    v->volume.start(
        s.rate, clampValue(g[sfDelayVolEnv], -12000, 5000),
        clampValue(g[sfAttackVolEnv], -12000, 8000),
        clampValue(g[sfHoldVolEnv], -12000, 5000) + g[sfKeynumToVolEnvHold] * keyFromMiddle,
        clampValue(g[sfDecayVolEnv], -12000, 8000) + g[sfKeynumToVolEnvDecay] * keyFromMiddle,
        1.0f - 0.001f * float(clampValue(g[sfSustainVolEnv], 0, 1440)),
        clampValue(g[sfReleaseVolEnv], -12000, 8000));
    v->modulation.start(
        s.rate, clampValue(g[sfDelayModEnv], -12000, 5000),
        clampValue(g[sfAttackModEnv], -12000, 8000),
        clampValue(g[sfHoldModEnv], -12000, 5000) + g[sfKeynumToModEnvHold] * keyFromMiddle,
        clampValue(g[sfDecayModEnv], -12000, 8000) + g[sfKeynumToModEnvDecay] * keyFromMiddle,
        1.0f - 0.001f * float(clampValue(g[sfSustainModEnv], 0, 1000)),
        clampValue(g[sfReleaseModEnv], -12000, 8000));
    v->modLfo.start(s.rate, clampValue(g[sfDelayModLFO], -12000, 5000),
                    clampValue(g[sfFreqModLFO], -16000, 4500));
    v->vibLfo.start(s.rate, clampValue(g[sfDelayVibLFO], -12000, 5000),
                    clampValue(g[sfFreqVibLFO], -16000, 4500));
}

void setPan(Voice& v, const Channel& c) {
    // Constant power: the region's pan plus the channel's, -500 left to 500 right.
    const double pan =
        std::clamp(v.region->values[sfPan] + (c.pan - 64) * 500.0 / 63.0, -500.0, 500.0);
    const double angle = (pan + 500) / 1000 * std::numbers::pi / 2;
    v.panLeft = float(std::cos(angle));
    v.panRight = float(std::sin(angle));
    v.panFrom = c.pan;
}

void noteOn(Synthesizer& s, uint8_t channelIndex, uint8_t key, uint8_t velocity) {
    Channel& c = s.channels[channelIndex];
    for (Voice& v : s.voices) // the same key again: the note before it is released
        if (v.active && v.channel == channelIndex && v.key == key && !v.released)
            release(v);
    if (!c.preset)
        return;
    ++s.notesStarted;
    for (const SfRegion& region : c.preset->regions) {
        if (key < region.keyLow || key > region.keyHigh || velocity < region.velocityLow ||
            velocity > region.velocityHigh)
            continue;
        startVoice(s, channelIndex, region, key, velocity);
    }
}

void noteOff(Synthesizer& s, uint8_t channelIndex, uint8_t key) {
    const Channel& c = s.channels[channelIndex];
    for (Voice& v : s.voices) {
        if (!v.active || v.channel != channelIndex || v.key != key || v.released)
            continue;
        if (c.pedal)
            v.sustained = true;
        else
            release(v);
    }
}

void controlChange(Synthesizer& s, uint8_t channelIndex, uint8_t controller, uint8_t value) {
    Channel& c = s.channels[channelIndex];
    switch (controller) {
    case 7:
        c.volume = value;
        break;
    case 10:
        c.pan = value;
        break;
    case 11:
        c.expression = value;
        break;
    case 64:
        c.pedal = value >= 64;
        if (!c.pedal)
            for (Voice& v : s.voices)
                if (v.active && v.channel == channelIndex && v.sustained)
                    release(v);
        break;
    case 120: // all sound off: at once, though without a click
        for (Voice& v : s.voices)
            if (v.active && v.channel == channelIndex)
                fadeOut(s, v);
        break;
    case 121: // reset controllers: expression, pedal and pitch wheel
        c.expression = 127;
        c.pitchBend = 8192;
        controlChange(s, channelIndex, 64, 0);
        break;
    case 123: // all notes off: every note released, held by the pedal or not
        for (Voice& v : s.voices)
            if (v.active && v.channel == channelIndex)
                release(v);
        break;
    default:
        break;
    }
}

void apply(Synthesizer& s, uint32_t message) {
    const uint8_t status = message & 0xFF, data1 = (message >> 8) & 0x7F,
                  data2 = (message >> 16) & 0x7F, channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        noteOff(s, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            noteOff(s, channel, data1);
        else
            noteOn(s, channel, data1, data2);
        break;
    case 0xB0:
        controlChange(s, channel, data1, data2);
        break;
    case 0xC0: {
        Channel& c = s.channels[channel];
        c.program = data1;
        c.preset = s.presetFor[channel == 9][data1];
        break;
    }
    case 0xE0:
        s.channels[channel].pitchBend = data1 | data2 << 7;
        break;
    default:
        break;
    }
}

// A voice's sample points from its position on, through its filter, added into out with the
// amplitude ramping by rampPerFrame; false when the sample ran out. Its state is copied into locals
// for the loop: out may alias the voice as far as the compiler knows, and would otherwise have
// every store to out reload the coefficients and spill the filter's state.
template <bool filtered, bool looping>
bool mixVoice(Voice& v, const InterpolationTable& interpolation, float* out, size_t frames,
              double step, float rampPerFrame) {
    const int16_t* samples = v.samples;
    const uint32_t start = v.start, end = v.end, loopStart = v.loopStart, loopEnd = v.loopEnd;
    const float b0 = v.b0, b1 = v.b1, b2 = v.b2, a1 = v.a1, a2 = v.a2;
    const float panLeft = v.panLeft, panRight = v.panRight;
    float x1 = v.x1, x2 = v.x2, y1 = v.y1, y2 = v.y2;
    float amplitude = v.amplitude;
    uint64_t position = v.position;
    const uint64_t increment = uint64_t(step * 4294967296.0);
    bool ended = false;
    for (size_t i = 0; i < frames; ++i) {
        uint32_t index = uint32_t(position >> 32);
        if constexpr (looping) {
            while (index >= loopEnd) {
                position -= uint64_t(loopEnd - loopStart) << 32;
                index = uint32_t(position >> 32);
            }
        } else if (index + 1 >= end) {
            ended = true;
            break;
        }
        // Four points around the position, the loop closed on itself, the sample's ends held;
        // away from the ends and the loop's points simply the neighbours.
        uint32_t before = index - 1, next = index + 1, after = index + 2;
        if (index <= (looping ? loopStart : start) || after >= (looping ? loopEnd : end))
            [[unlikely]] {
            if constexpr (looping) {
                if (index == loopStart) // the point before the loop's start is its last one
                    before = loopEnd - 1;
                if (next >= loopEnd)
                    next -= loopEnd - loopStart;
                if (after >= loopEnd)
                    after -= loopEnd - loopStart;
            } else if (after >= end) {
                after = next;
            }
            if (index <= start)
                before = index;
        }
        const float* c = interpolation[(position >> 24) & (interpolationSteps - 1)].data();
        float x = (c[0] * samples[before] + c[1] * samples[index] + c[2] * samples[next] +
                   c[3] * samples[after]) *
                  (1.0f / 32768);
        if constexpr (filtered) {
            const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = x, y2 = y1, y1 = y;
            x = y;
        }
        amplitude += rampPerFrame;
        out[2 * i] += x * amplitude * panLeft;
        out[2 * i + 1] += x * amplitude * panRight;
        position += increment;
    }
    v.position = position;
    v.x1 = x1, v.x2 = x2, v.y1 = y1, v.y2 = y2;
    return !ended;
}

// One voice's next frames, added into out; false when the voice has ended.
bool renderVoice(Synthesizer& s, Voice& v, float* out, size_t frames) {
    const Channel& c = s.channels[v.channel];
    const auto& g = v.region->values;
    v.volume.advance(double(frames));
    v.modulation.advance(double(frames));
    v.modLfo.advance(double(frames));
    v.vibLfo.advance(double(frames));
    if (v.volume.stage == Envelope::finished)
        return false;

    const float modEnv = v.modulation.level, modLfo = v.modLfo.value(), vibLfo = v.vibLfo.value();
    const double cents = v.baseCents + (c.pitchBend - 8192) * 200.0 / 8192.0 +
                         modEnv * g[sfModEnvToPitch] + modLfo * g[sfModLfoToPitch] +
                         vibLfo * g[sfVibLfoToPitch];
    if (cents != v.stepCents) {
        v.stepCents = cents;
        v.step = v.pitchRatio * std::exp2(cents / 1200.0);
    }
    double attenuation = v.baseAttenuation + s.controllerAttenuation[c.volume] +
                         s.controllerAttenuation[c.expression] + modLfo * g[sfModLfoToVolume];
    attenuation = std::clamp(attenuation, 0.0, 1440.0);
    float envelope = v.volume.level;
    if (v.volume.stage != Envelope::attack && v.volume.stage != Envelope::delay)
        envelope = centibelsToAmplitude(960.0 * (1.0 - v.volume.level));
    else if (v.volume.stage == Envelope::delay)
        envelope = 0;
    float target = centibelsToAmplitude(attenuation) * envelope * v.filterGain * masterGain;
    if (v.fading) {
        v.fadeLevel = std::max(0.0f, v.fadeLevel - v.fadePerFrame * float(frames));
        target *= v.fadeLevel;
    }
    if (v.released && target < silentAmplitude && v.amplitude < silentAmplitude)
        return false;
    const double filterCents =
        v.baseFilterCents + modEnv * g[sfModEnvToFilterFc] + modLfo * g[sfModLfoToFilterFc];
    if (filterCents != v.filterCents) {
        v.filterCents = filterCents;
        updateFilter(v, filterCents, s.rate);
    }
    if (c.pan != v.panFrom)
        setPan(v, c);

    const float rampPerFrame = (target - v.amplitude) / float(frames);
    const bool looping = v.loopMode == 1 || (v.loopMode == 3 && !v.released);
    bool playing;
    if (v.filterOn)
        playing =
            looping ? mixVoice<true, true>(v, s.interpolation, out, frames, v.step, rampPerFrame)
                    : mixVoice<true, false>(v, s.interpolation, out, frames, v.step, rampPerFrame);
    else
        playing =
            looping ? mixVoice<false, true>(v, s.interpolation, out, frames, v.step, rampPerFrame)
                    : mixVoice<false, false>(v, s.interpolation, out, frames, v.step, rampPerFrame);
    v.amplitude = target;
    if (v.fading && v.fadeLevel <= 0)
        return false;
    return playing;
}

} // namespace

Synthesizer* synthCreate(const SoundFont& font, const SynthSettings& settings) {
    Synthesizer* s = new Synthesizer{};
    s->font = &font;
    s->rate = settings.sampleRate;
    s->voiceLimit = std::max(1u, settings.voiceLimit);
    for (int value = 0; value < 128; ++value)
        s->controllerAttenuation[value] = concaveAttenuation(value);
    s->interpolation = interpolationTable();
    s->presets = presetRegions(font);
    for (unsigned program = 0; program < 128; ++program) {
        s->presetFor[0][program] = findPreset(s->presets, 0, uint8_t(program));
        s->presetFor[1][program] = findPreset(s->presets, 128, uint8_t(program));
    }
    s->voices.resize(s->voiceLimit + spareVoices);
    for (unsigned channel = 0; channel < 16; ++channel)
        resetChannel(*s, channel);
    return s;
}

void synthDestroy(Synthesizer* synth) {
    delete synth;
}

bool synthSend(Synthesizer* synth, uint32_t packedMessage) {
    const size_t tail = synth->tail.load(std::memory_order_relaxed);
    if (tail - synth->head.load(std::memory_order_acquire) == queueCapacity)
        return false;
    synth->queue[tail % queueCapacity] = packedMessage;
    synth->tail.store(tail + 1, std::memory_order_release);
    return true;
}

void synthRender(Synthesizer* synth, float* out, size_t frames) {
    const size_t tail = synth->tail.load(std::memory_order_acquire);
    size_t head = synth->head.load(std::memory_order_relaxed);
    for (; head != tail; ++head)
        apply(*synth, synth->queue[head % queueCapacity]);
    synth->head.store(head, std::memory_order_release);

    std::fill(out, out + 2 * frames, 0.0f);
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(controlFrames, frames - done);
        for (Voice& v : synth->voices)
            if (v.active && !renderVoice(*synth, v, out + 2 * done, n))
                v.active = false;
        done += n;
    }
}

size_t synthMessagesTaken(const Synthesizer* synth) {
    return synth->head.load(std::memory_order_acquire);
}

unsigned synthActiveVoices(const Synthesizer* synth) {
    unsigned count = 0;
    for (const Voice& v : synth->voices)
        count += v.active;
    return count;
}
