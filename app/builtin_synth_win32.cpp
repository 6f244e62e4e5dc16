// The built-in synthesizer's sound. A thread of its own renders the synthesizer into a WASAPI
// shared-mode stream on the default render device, event driven, in the device's mix format, with
// the smallest period the shared engine offers. The window thread only reads the SoundFont, starts
// the thread and waits for the stream's first opening; from then on it hands messages to the
// synthesizer's queue and never waits on the audio thread, closing included.
#include "app/builtin_synth_probe.h"
#include "app/output_devices.h"
#include "recording/allocation.h"
#include "synth/audio_format.h"
#include "synth/soundfont.h"
#include "synth/synthesizer.h"

#include <windows.h>

#include <audioclient.h>
#include <avrt.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace {

constexpr DWORD openTimeoutMs = 5000;   // the window gives up on a stream that takes longer
constexpr DWORD retryMs = 1000;         // with no stream, how often the default device is tried
constexpr DWORD finishTimeoutMs = 2000; // how long the end of the program waits for the threads
constexpr size_t scratchFrames = 1024;  // rendered at a time
constexpr double fadeSeconds = 0.005;   // the sound's fade when the device closes
constexpr double tailSeconds = 0.2;     // silence played after it, before the stream stops

std::atomic<int> liveThreads{0};

} // namespace

struct BuiltinSynth {
    SoundFont font;
    Synthesizer* synth = nullptr; // made by the audio thread at the first stream's rate
    HANDLE stopEvent = nullptr, openedEvent = nullptr;
    std::atomic<bool> openSucceeded{false}; // set before openedEvent
    std::atomic<int> references{2};         // the window's and the audio thread's
    SRWLOCK streamLock = SRWLOCK_INIT;      // over the two below: the probe reads them
    bool streaming = false;
    BuiltinSynthStream stream;
    std::atomic<BuiltinSynthHandover*> watchLog{nullptr};
    size_t watchCapacity = 0;
    std::atomic<size_t>* watchCount = nullptr;

    ~BuiltinSynth() {
        if (synth)
            synthDestroy(synth);
        if (stopEvent)
            CloseHandle(stopEvent);
        if (openedEvent)
            CloseHandle(openedEvent);
    }
};

namespace {

void release(BuiltinSynth* s) {
    if (s->references.fetch_sub(1) == 1)
        delete s;
}

template <typename T> void releaseCom(T*& object) {
    if (object)
        object->Release();
    object = nullptr;
}

// Tells the audio thread when the system's default output device changes.
class DefaultDeviceWatch final : public IMMNotificationClient {
  public:
    DefaultDeviceWatch() : changed(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    HANDLE changedEvent() const { return changed; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --count;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (flow == eRender && role == eConsole && changed)
            SetEvent(changed);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return S_OK;
    }

  private:
    ~DefaultDeviceWatch() {
        if (changed)
            CloseHandle(changed);
    }
    std::atomic<ULONG> count{1};
    HANDLE changed;
};

// The subformat GUID of a WAVE_FORMAT_EXTENSIBLE format whose plain tag is `tag`.
bool isSubformat(const GUID& guid, WORD tag) {
    static const GUID base = {0, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    GUID expected = base;
    expected.Data1 = tag;
    return guid == expected;
}

bool describe(const WAVEFORMATEX& wave, AudioFormat& format) {
    bool isFloat = wave.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    bool isInteger = wave.wFormatTag == WAVE_FORMAT_PCM;
    if (wave.wFormatTag == WAVE_FORMAT_EXTENSIBLE && wave.cbSize >= 22) {
        const GUID& sub = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wave).SubFormat;
        isFloat = isSubformat(sub, WAVE_FORMAT_IEEE_FLOAT);
        isInteger = isSubformat(sub, WAVE_FORMAT_PCM);
    }
    format.channels = wave.nChannels;
    format.bytesPerSample = wave.wBitsPerSample / 8;
    format.isFloat = isFloat;
    return (isFloat || isInteger) && wave.nBlockAlign == format.channels * format.bytesPerSample &&
           audioFormatSupported(format);
}

// One stream on the default render device.
struct Stream {
    IAudioClient* client = nullptr;
    IAudioRenderClient* render = nullptr;
    AudioFormat format;
    UINT32 bufferFrames = 0;
    bool started = false;

    void close() {
        if (client && started)
            client->Stop();
        releaseCom(render);
        releaseCom(client);
        started = false;
    }
};

// Initializes client for an event-driven shared stream: with the shared engine's smallest period
// where the system offers one, else with the default period.
HRESULT initialize(IAudioClient* client, WAVEFORMATEX* wave, DWORD flags, bool& lowLatency) {
    lowLatency = false;
    IAudioClient3* client3 = nullptr;
    if (flags == 0 && SUCCEEDED(client->QueryInterface(__uuidof(IAudioClient3),
                                                       reinterpret_cast<void**>(&client3)))) {
        UINT32 defaultPeriod = 0, fundamental = 0, minPeriod = 0, maxPeriod = 0;
        HRESULT hr = client3->GetSharedModeEnginePeriod(wave, &defaultPeriod, &fundamental,
                                                        &minPeriod, &maxPeriod);
        if (SUCCEEDED(hr) && minPeriod > 0)
            hr = client3->InitializeSharedAudioStream(AUDCLNT_STREAMFLAGS_EVENTCALLBACK, minPeriod,
                                                      wave, nullptr);
        client3->Release();
        if (SUCCEEDED(hr) && minPeriod > 0) {
            lowLatency = true;
            return hr;
        }
    }
    REFERENCE_TIME defaultPeriod = 0, minPeriod = 0;
    if (FAILED(client->GetDevicePeriod(&defaultPeriod, &minPeriod)))
        defaultPeriod = 0; // the engine's own choice
    return client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK | flags,
                              defaultPeriod, 0, wave, nullptr);
}

// Opens a stream on the default render device; rate 0 takes the device's own, another rate is
// converted by the system when the device's differs.
bool openStream(IMMDeviceEnumerator* devices, HANDLE bufferEvent, unsigned rate, Stream& stream,
                BuiltinSynthStream& report) {
    IMMDevice* device = nullptr;
    if (FAILED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device)))
        return false;
    const HRESULT activated = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                               reinterpret_cast<void**>(&stream.client));
    device->Release();
    if (FAILED(activated))
        return false;
    WAVEFORMATEX* wave = nullptr;
    bool ok = SUCCEEDED(stream.client->GetMixFormat(&wave)) && describe(*wave, stream.format);
    DWORD flags = 0;
    if (ok && rate != 0 && wave->nSamplesPerSec != rate) {
        wave->nSamplesPerSec = rate;
        wave->nAvgBytesPerSec = rate * wave->nBlockAlign;
        flags = AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
    }
    bool lowLatency = false;
    ok = ok && SUCCEEDED(initialize(stream.client, wave, flags, lowLatency)) &&
         SUCCEEDED(stream.client->SetEventHandle(bufferEvent)) &&
         SUCCEEDED(stream.client->GetBufferSize(&stream.bufferFrames)) && stream.bufferFrames > 0 &&
         SUCCEEDED(stream.client->GetService(__uuidof(IAudioRenderClient),
                                             reinterpret_cast<void**>(&stream.render)));
    if (ok) {
        report.sampleRate = wave->nSamplesPerSec;
        report.bufferFrames = stream.bufferFrames;
        report.lowLatencyPeriod = lowLatency;
        REFERENCE_TIME period = 0, minPeriod = 0, latency = 0;
        if (SUCCEEDED(stream.client->GetDevicePeriod(&period, &minPeriod)))
            report.periodFrames =
                unsigned((lowLatency ? minPeriod : period) * report.sampleRate / 10000000);
        if (SUCCEEDED(stream.client->GetStreamLatency(&latency)))
            report.streamLatency100ns = latency;
    }
    CoTaskMemFree(wave);
    if (!ok)
        stream.close();
    return ok;
}

// The audio thread's own things.
struct Renderer {
    explicit Renderer(BuiltinSynth& synth) : s(synth) {}
    BuiltinSynth& s;
    float scratch[2 * scratchFrames] = {};
    size_t fadeFrames = 0, fadeLeft = 0; // while closing: the fade, then the silence after it
    size_t tailLeft = 0;
    bool closing = false;

    // Fills what the stream has room for; the failure of any call ends the stream.
    HRESULT fill(Stream& stream) {
        UINT32 padding = 0;
        HRESULT hr = stream.client->GetCurrentPadding(&padding);
        if (FAILED(hr))
            return hr;
        const UINT32 frames = stream.bufferFrames - std::min(padding, stream.bufferFrames);
        if (frames == 0)
            return S_OK;
        BYTE* data = nullptr;
        if (FAILED(hr = stream.render->GetBuffer(frames, &data)))
            return hr;
        const size_t frameBytes = size_t(stream.format.channels) * stream.format.bytesPerSample;
        for (UINT32 done = 0; done < frames;) {
            const size_t n = std::min<size_t>(scratchFrames, frames - done);
            next(n);
            convertFrames(scratch, n, stream.format, data + done * frameBytes);
            done += UINT32(n);
        }
        hr = stream.render->ReleaseBuffer(frames, 0);
        if (SUCCEEDED(hr))
            noteHandover();
        return hr;
    }

    // The next n frames of sound into scratch: the synthesizer's, faded out once closing.
    void next(size_t n) {
        synthRender(s.synth, scratch, n);
        if (!closing)
            return;
        for (size_t f = 0; f < n; ++f) {
            float gain = 0;
            if (fadeLeft > 0) {
                gain = float(fadeLeft) / float(fadeFrames);
                --fadeLeft;
            } else if (tailLeft > 0) {
                --tailLeft;
            }
            scratch[2 * f] *= gain;
            scratch[2 * f + 1] *= gain;
        }
    }

    bool closed() const { return closing && fadeLeft == 0 && tailLeft == 0; }

    void startClosing(unsigned rate) {
        closing = true;
        fadeFrames = fadeLeft = std::max<size_t>(1, size_t(rate * fadeSeconds));
        tailLeft = size_t(rate * tailSeconds);
    }

    void noteHandover() {
        BuiltinSynthHandover* log = s.watchLog.load(std::memory_order_acquire);
        if (!log)
            return;
        const size_t at = s.watchCount->load(std::memory_order_relaxed);
        if (at >= s.watchCapacity)
            return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        log[at] = {synthMessagesTaken(s.synth), now.QuadPart};
        s.watchCount->store(at + 1, std::memory_order_release);
    }

    // With no stream to play into, time still passes for the synthesizer.
    void idle(unsigned rate, DWORD milliseconds) {
        for (size_t left = size_t(rate) * milliseconds / 1000; left > 0;) {
            const size_t n = std::min(left, scratchFrames);
            synthRender(s.synth, scratch, n);
            left -= n;
        }
    }
};

void setStreaming(BuiltinSynth& s, bool streaming, const BuiltinSynthStream& stream) {
    AcquireSRWLockExclusive(&s.streamLock);
    s.streaming = streaming;
    s.stream = stream;
    ReleaseSRWLockExclusive(&s.streamLock);
}

// Opens the first stream, makes the synthesizer at its rate, then plays until told to stop,
// moving to the new default device when it changes or the stream's device goes away.
void play(BuiltinSynth& s, IMMDeviceEnumerator* devices, DefaultDeviceWatch* watch) {
    HANDLE bufferEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    auto renderer = std::unique_ptr<Renderer>(new (std::nothrow) Renderer(s));
    Stream stream;
    BuiltinSynthStream report;
    bool ok = bufferEvent && renderer && openStream(devices, bufferEvent, 0, stream, report);
    if (ok) {
        ok = tryToAllocate([&] {
                 s.synth = synthCreate(s.font, SynthSettings{double(report.sampleRate)});
             }) &&
             s.synth != nullptr;
    }
    const unsigned rate = report.sampleRate;
    if (ok) {
        renderer->fill(stream); // the first buffer before the start
        ok = SUCCEEDED(stream.client->Start());
        stream.started = ok;
    }
    setStreaming(s, ok, report);
    s.openSucceeded = ok;
    SetEvent(s.openedEvent);
    if (!ok) {
        stream.close();
        if (bufferEvent)
            CloseHandle(bufferEvent);
        return;
    }

    bool haveStream = true;
    DWORD lastTry = GetTickCount();
    for (;;) {
        HANDLE events[3];
        DWORD count = 0;
        if (!renderer->closing)
            events[count++] = s.stopEvent;
        events[count++] = watch->changedEvent();
        if (haveStream)
            events[count++] = bufferEvent;
        const DWORD woke =
            WaitForMultipleObjects(count, events, FALSE, haveStream ? 200 : retryMs / 4);
        const HANDLE which = woke - WAIT_OBJECT_0 < count ? events[woke - WAIT_OBJECT_0] : nullptr;
        if (which == s.stopEvent) {
            if (!haveStream)
                break;
            renderer->startClosing(rate);
        }
        bool reopen =
            which == watch->changedEvent() || (!haveStream && GetTickCount() - lastTry >= retryMs);
        if (haveStream && !reopen) {
            reopen = FAILED(renderer->fill(stream)); // the device went away, or the stream broke
            if (!reopen && renderer->closed())
                break;
        }
        if (reopen) {
            setStreaming(s, false, report);
            stream.close();
            if (renderer->closing)
                break;
            lastTry = GetTickCount();
            haveStream = openStream(devices, bufferEvent, rate, stream, report);
            if (haveStream) {
                renderer->fill(stream);
                haveStream = stream.started = SUCCEEDED(stream.client->Start());
            }
            if (haveStream)
                setStreaming(s, true, report);
            else
                stream.close();
        } else if (!haveStream) {
            renderer->idle(rate, retryMs / 4);
        }
    }
    setStreaming(s, false, report);
    stream.close();
    CloseHandle(bufferEvent);
}

DWORD WINAPI audioThread(void* parameter) {
    BuiltinSynth& s = *static_cast<BuiltinSynth*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD taskIndex = 0;
    HANDLE task = AvSetMmThreadCharacteristicsW(L"Pro Audio", &taskIndex);
    if (!task)
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    IMMDeviceEnumerator* devices = nullptr;
    DefaultDeviceWatch* watch = new (std::nothrow) DefaultDeviceWatch;
    if (SUCCEEDED(com) && watch && watch->changedEvent() &&
        SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                   __uuidof(IMMDeviceEnumerator),
                                   reinterpret_cast<void**>(&devices)))) {
        const bool watching = SUCCEEDED(devices->RegisterEndpointNotificationCallback(watch));
        play(s, devices, watch);
        if (watching)
            devices->UnregisterEndpointNotificationCallback(watch);
    }
    SetEvent(s.openedEvent); // a failure before the first stream leaves openSucceeded false
    releaseCom(devices);
    if (watch)
        watch->Release();
    if (task)
        AvRevertMmThreadCharacteristics(task);
    if (SUCCEEDED(com))
        CoUninitialize();
    release(&s);
    liveThreads.fetch_sub(1);
    return 0;
}

} // namespace

std::filesystem::path soundFontFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

BuiltinSynth* builtinSynthOpen(const std::filesystem::path& soundFont) {
    auto s = std::unique_ptr<BuiltinSynth>(new (std::nothrow) BuiltinSynth);
    // A SoundFont too large for the memory there is cannot be opened, like an unreadable one.
    bool read = false;
    if (!s || !tryToAllocate([&] { read = readSoundFont(soundFont, s->font).empty(); }) || !read)
        return nullptr;
    s->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    s->openedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!s->stopEvent || !s->openedEvent)
        return nullptr;
    liveThreads.fetch_add(1);
    HANDLE thread = CreateThread(nullptr, 0, audioThread, s.get(), 0, nullptr);
    if (!thread) {
        liveThreads.fetch_sub(1);
        return nullptr;
    }
    CloseHandle(thread);
    BuiltinSynth* opened = s.release(); // the audio thread holds it too now
    if (WaitForSingleObject(opened->openedEvent, openTimeoutMs) != WAIT_OBJECT_0 ||
        !opened->openSucceeded) {
        builtinSynthClose(opened);
        return nullptr;
    }
    return opened;
}

void builtinSynthSend(BuiltinSynth* synth, uint32_t packedMessage) {
    synthSend(synth->synth, packedMessage); // a full queue drops it, as a busy device would
}

void builtinSynthClose(BuiltinSynth* synth) {
    SetEvent(synth->stopEvent);
    release(synth);
}

void builtinSynthFinish() {
    for (const DWORD start = GetTickCount();
         liveThreads.load() > 0 && GetTickCount() - start < finishTimeoutMs;)
        Sleep(5);
}

bool builtinSynthStream(BuiltinSynth* synth, BuiltinSynthStream& stream) {
    AcquireSRWLockShared(&synth->streamLock);
    const bool streaming = synth->streaming;
    stream = synth->stream;
    ReleaseSRWLockShared(&synth->streamLock);
    return streaming;
}

void builtinSynthWatch(BuiltinSynth* synth, BuiltinSynthHandover* log, size_t capacity,
                       std::atomic<size_t>* count) {
    synth->watchCapacity = capacity;
    synth->watchCount = count;
    synth->watchLog.store(log, std::memory_order_release);
}
