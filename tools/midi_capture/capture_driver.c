/*
 * winetonvcap.drv: a MIDI output driver for Wine that records what a program sends.
 *
 * Installed into a Wine prefix by tools/wine-midi.sh (Audio driver "tonvcap"), it gives the
 * prefix MIDI output devices on machines without sound hardware and appends every open, close,
 * reset and short message to a text log, one line per event:
 *
 *     <ms> <device> open | open-failed | close | reset
 *     <ms> <device> data <message as 8 hex digits>
 *
 * <ms> is timeGetTime(). Settings come from the environment of the process that loads it:
 *   TONVIRA_CAPTURE_DEVICES    number of devices, 0..4 (default 1; more means 4)
 *   TONVIRA_CAPTURE_FAIL_OPEN  1: every open fails with MMSYSERR_ALLOCATED
 *   TONVIRA_CAPTURE_LOG        log file (Windows path, or Unix path reached through Z:);
 *                              without it messages are accepted and dropped
 *
 * winmm finds its driver through mmdevapi, which loads the same module and insists on its four
 * entry points; this driver reports no audio endpoints there.
 */
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>
#include <mmdeviceapi.h>
#include <audioclient.h>
#include <audiopolicy.h>
#include <stdio.h>
#include <string.h>

/* Exported by winmm.dll; mingw-w64's headers do not declare it. */
BOOL WINAPI DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message,
                           DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

#define MAX_DEVICES 4

static UINT device_count = 1;
static BOOL fail_open;

/* Serialises the lines from all threads, and the log file's opening on the first of them. */
static CRITICAL_SECTION log_lock;
static HANDLE log_file = INVALID_HANDLE_VALUE;
static BOOL log_wanted; /* set once at load */
static BOOL log_broken; /* the file would not open; under log_lock */
static WCHAR log_path[MAX_PATH + 2];

/* One midiOutOpen of one device: whom to tell about MOM_OPEN and MOM_CLOSE. */
struct client {
    HMIDI handle;
    DWORD_PTR callback;
    DWORD_PTR instance;
    DWORD callback_type;
};

static void read_settings(void)
{
    WCHAR value[16];
    DWORD length = GetEnvironmentVariableW(L"TONVIRA_CAPTURE_DEVICES", value, ARRAYSIZE(value));
    if (length > 0 && length < ARRAYSIZE(value)) {
        WCHAR *end;
        unsigned long count = wcstoul(value, &end, 10);
        if (end != value && *end == 0)
            device_count = count > MAX_DEVICES ? MAX_DEVICES : (UINT)count;
    }

    length = GetEnvironmentVariableW(L"TONVIRA_CAPTURE_FAIL_OPEN", value, ARRAYSIZE(value));
    fail_open = length > 0 && length < ARRAYSIZE(value) && wcscmp(value, L"1") == 0;

    /* A Unix path goes through the Z: drive, which Wine maps to the root directory. (Wine 8's
     * CreateFileW would take "/tmp/x" as it is, too, but that is Wine's habit, not Windows'.) */
    WCHAR raw[MAX_PATH];
    length = GetEnvironmentVariableW(L"TONVIRA_CAPTURE_LOG", raw, ARRAYSIZE(raw));
    if (length == 0 || length >= ARRAYSIZE(raw))
        return;
    if (raw[0] == L'/') {
        wcscpy(log_path, L"Z:");
        wcscat(log_path, raw);
        for (WCHAR *c = log_path; *c; ++c)
            if (*c == L'/')
                *c = L'\\';
    } else {
        wcscpy(log_path, raw);
    }
    log_wanted = TRUE;
}

/* Appends one line. The time is taken under the lock, so the lines' times never go down; the
 * whole line goes out in one WriteFile, so a reader sees whole lines only, and flushing each
 * line keeps everything logged so far when the program is killed. */
static void log_event(UINT device, const char *kind, const DWORD *message)
{
    if (!log_wanted)
        return;
    EnterCriticalSection(&log_lock);
    if (log_file == INVALID_HANDLE_VALUE && !log_broken) {
        log_file = CreateFileW(log_path, FILE_APPEND_DATA | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        if (log_file == INVALID_HANDLE_VALUE) {
            /* Said once, on Wine's debug channel; the messages themselves still go through. */
            OutputDebugStringW(L"winetonvcap: cannot open TONVIRA_CAPTURE_LOG\n");
            log_broken = TRUE;
        }
    }
    if (log_file != INVALID_HANDLE_VALUE) {
        char line[64];
        DWORD now = timeGetTime();
        int length = message
            ? snprintf(line, sizeof(line), "%lu %u %s %08lx\n", now, device, kind, *message)
            : snprintf(line, sizeof(line), "%lu %u %s\n", now, device, kind);
        DWORD written;
        if (length > 0 && length < (int)sizeof(line)) {
            WriteFile(log_file, line, (DWORD)length, &written, NULL);
            FlushFileBuffers(log_file);
        }
    }
    LeaveCriticalSection(&log_lock);
}

static void notify(const struct client *client, UINT message)
{
    DriverCallback(client->callback, client->callback_type, (HDRVR)client->handle, message,
                   client->instance, 0, 0);
}

static DWORD get_caps(UINT device, MIDIOUTCAPSW *caps, DWORD_PTR size)
{
    if (!caps)
        return MMSYSERR_INVALPARAM;
    MIDIOUTCAPSW filled;
    memset(&filled, 0, sizeof(filled));
    filled.wMid = MM_UNMAPPED;
    filled.wPid = MM_PID_UNMAPPED;
    filled.vDriverVersion = 0x0100;
    if (device == 0)
        wcscpy(filled.szPname, L"Tonvira Capture");
    else
        swprintf(filled.szPname, MAXPNAMELEN, L"Tonvira Capture %u", device + 1);
    filled.wTechnology = MOD_MIDIPORT;
    filled.wChannelMask = 0xFFFF;
    memcpy(caps, &filled, size < sizeof(filled) ? size : sizeof(filled));
    return MMSYSERR_NOERROR;
}

static DWORD open_device(UINT device, DWORD_PTR *instance_out, const MIDIOPENDESC *desc,
                         DWORD flags)
{
    if (!desc || !instance_out)
        return MMSYSERR_INVALPARAM;
    if (fail_open) {
        log_event(device, "open-failed", NULL);
        return MMSYSERR_ALLOCATED;
    }
    struct client *client = HeapAlloc(GetProcessHeap(), 0, sizeof(*client));
    if (!client)
        return MMSYSERR_NOMEM;
    client->handle = desc->hMidi;
    client->callback = desc->dwCallback;
    client->instance = desc->dwInstance;
    client->callback_type = HIWORD(flags & CALLBACK_TYPEMASK);
    *instance_out = (DWORD_PTR)client;
    log_event(device, "open", NULL);
    notify(client, MOM_OPEN);
    return MMSYSERR_NOERROR;
}

static DWORD close_device(UINT device, struct client *client)
{
    if (!client)
        return MMSYSERR_INVALHANDLE;
    log_event(device, "close", NULL);
    notify(client, MOM_CLOSE);
    HeapFree(GetProcessHeap(), 0, client);
    return MMSYSERR_NOERROR;
}

DWORD WINAPI modMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1,
                        DWORD_PTR param2)
{
    switch (message) {
    case DRVM_INIT:
    case DRVM_EXIT:
    case DRVM_ENABLE:
    case DRVM_DISABLE:
        return MMSYSERR_NOERROR;
    case MODM_GETNUMDEVS:
        return device_count;
    default:
        break;
    }
    if (device >= device_count)
        return MMSYSERR_BADDEVICEID;

    switch (message) {
    case MODM_GETDEVCAPS:
        return get_caps(device, (MIDIOUTCAPSW *)param1, param2);
    case MODM_OPEN:
        return open_device(device, (DWORD_PTR *)user, (const MIDIOPENDESC *)param1, (DWORD)param2);
    case MODM_CLOSE:
        return close_device(device, (struct client *)user);
    case MODM_RESET:
        log_event(device, "reset", NULL);
        return MMSYSERR_NOERROR;
    case MODM_DATA: {
        DWORD packed = (DWORD)param1;
        log_event(device, "data", &packed);
        return MMSYSERR_NOERROR;
    }
    default:
        /* Long messages, volume and the rest: winmm reports these as unsupported. */
        return MMSYSERR_NOTSUPPORTED;
    }
}

LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1, LPARAM param2)
{
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_QUERYCONFIGURE:
        return 0;
    case DRV_INSTALL:
    case DRV_REMOVE:
        return DRVCNF_RESTART;
    default:
        return DefDriverProc(id, driver, message, param1, param2);
    }
}

/* mmdevapi's side: a usable driver (3 = preferred) that has no audio endpoints. */

int WINAPI GetPriority(void)
{
    return 3;
}

HRESULT WINAPI GetEndpointIDs(EDataFlow flow, WCHAR ***ids, GUID **guids, UINT *count,
                              UINT *default_index)
{
    (void)flow;
    *ids = NULL;
    *guids = NULL;
    *count = 0;
    *default_index = 0;
    return S_OK;
}

HRESULT WINAPI GetAudioEndpoint(GUID *guid, IMMDevice *device, IAudioClient **client)
{
    (void)guid;
    (void)device;
    *client = NULL;
    return E_NOTIMPL;
}

HRESULT WINAPI GetAudioSessionManager(IMMDevice *device, IAudioSessionManager2 **manager)
{
    (void)device;
    *manager = NULL;
    return E_NOTIMPL;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        InitializeCriticalSection(&log_lock);
        read_settings();
    } else if (reason == DLL_PROCESS_DETACH && reserved == NULL) {
        /* Unloaded by FreeLibrary; at process exit the system reclaims everything. */
        if (log_file != INVALID_HANDLE_VALUE)
            CloseHandle(log_file);
        DeleteCriticalSection(&log_lock);
    }
    return TRUE;
}
