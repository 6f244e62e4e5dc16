// Latency of the built-in synthesizer on the system's audio output, under Windows or Wine: for a
// few hundred notes sent at irregular moments from this thread, as the window sends them, the time
// from the message's dispatch to the hand-over of the first block that sounds it to the audio
// client. Prints the stream the system gave, p50, p99 and the largest; asserts nothing.
//   tonvira_builtin_latency_bench SOUNDFONT.sf2 [notes]
#include "app/builtin_synth_probe.h"
#include "app/output_devices.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

double milliseconds(int64_t ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e3 * double(ticks) / double(frequency.QuadPart);
}

int64_t now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tonvira_builtin_latency_bench SOUNDFONT.sf2 [notes]\n");
        return 2;
    }
    const int notes = argc > 2 ? std::max(10, _wtoi(argv[2])) : 300;
    BuiltinSynth* synth = builtinSynthOpen(argv[1]);
    if (!synth) {
        std::fprintf(stderr, "the built-in synthesizer did not open (SoundFont or audio output)\n");
        return 1;
    }
    BuiltinSynthStream stream;
    builtinSynthStream(synth, stream);
    std::vector<BuiltinSynthHandover> log(size_t(notes) * 64 + 10000);
    std::atomic<size_t> logged{0};
    builtinSynthWatch(synth, log.data(), log.size(), &logged);

    // Each note-on's number among the messages sent, and when it went.
    timeBeginPeriod(1);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(8, 45), pitch(48, 84);
    std::vector<std::pair<size_t, int64_t>> sent;
    size_t messages = 0;
    for (int i = 0; i < notes; ++i) {
        Sleep(DWORD(pause(random)));
        const uint32_t note = uint32_t(pitch(random));
        sent.emplace_back(messages, now());
        builtinSynthSend(synth, 0x90 | note << 8 | 100u << 16);
        Sleep(DWORD(pause(random)));
        builtinSynthSend(synth, 0x80 | note << 8);
        messages += 2;
    }
    Sleep(300);
    timeEndPeriod(1);

    std::vector<double> latency;
    const size_t handovers = logged.load(std::memory_order_acquire);
    size_t h = 0;
    for (const auto& [number, at] : sent) {
        while (h < handovers && log[h].messagesTaken <= number)
            ++h;
        if (h == handovers)
            break;
        latency.push_back(milliseconds(log[h].counter - at));
    }
    std::vector<double> gaps; // between hand-overs: how regularly the stream asked for sound
    for (size_t i = 1; i < handovers; ++i)
        gaps.push_back(milliseconds(log[i].counter - log[i - 1].counter));
    builtinSynthStream(synth, stream);
    builtinSynthClose(synth);
    builtinSynthFinish();
    if (latency.size() < sent.size() / 2) {
        std::fprintf(stderr, "only %zu of %zu notes reached the audio client\n", latency.size(),
                     sent.size());
        return 1;
    }
    std::sort(latency.begin(), latency.end());
    std::sort(gaps.begin(), gaps.end());
    const double period = 1e3 * stream.periodFrames / std::max(1u, stream.sampleRate);
    std::printf("stream: %u Hz, period %u frames (%.2f ms%s), buffer %u frames (%.2f ms), "
                "stream latency %.2f ms\n",
                stream.sampleRate, stream.periodFrames, period,
                stream.lowLatencyPeriod ? ", the engine's smallest" : ", the default",
                stream.bufferFrames, 1e3 * stream.bufferFrames / std::max(1u, stream.sampleRate),
                stream.streamLatency100ns / 1e4);
    const double p99 = latency[latency.size() * 99 / 100];
    std::printf("dispatch to the audio client, %zu notes: p50 %.2f ms   p99 %.2f ms   max %.2f ms "
                "(target p99 <= period + 1 ms = %.2f ms: %s)\n",
                latency.size(), latency[latency.size() / 2], p99, latency.back(), period + 1,
                p99 <= period + 1 ? "met" : "NOT met");
    std::printf("between hand-overs, %zu gaps: p50 %.2f ms   p99 %.2f ms   max %.2f ms\n",
                gaps.size(), gaps[gaps.size() / 2], gaps[gaps.size() * 99 / 100], gaps.back());
    return 0;
}
