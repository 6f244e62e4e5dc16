/*
 * tonvira_midi_probe.exe: lists the MIDI output devices winmm sees and can send a test note.
 *
 *   tonvira_midi_probe [--send [--mapper | --device N] [--threads N] [--callback]]
 *
 * Prints, one per line:
 *   devices: <midiOutGetNumDevs()>
 *   mapper: <name>            or  mapper: none (error <code>)
 *   device <n>: <name>
 * and with --send, after opening the device (0 unless told otherwise):
 *   sent <count>              or  open failed: <code> <text>
 *   callbacks: open <n> close <n>   (with --callback)
 * --send sends a note-on 0x007F3C90 and a note-off 0x00003C80, then closes; with --threads N,
 * N threads each send that pair 100 times through the one handle. --callback opens with a
 * callback function and counts the MOM_OPEN and MOM_CLOSE it gets.
 *
 * Exit status: 0 done, 1 bad arguments, 2 the device would not open or take a message.
 */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define NOTE_ON 0x007F3C90u
#define NOTE_OFF 0x00003C80u
#define PAIRS_PER_THREAD 100
#define MAX_THREADS 16

/* Names can be anything the driver reports; write them as UTF-8 whatever the console is. */
static void print_name(const char *label, const WCHAR *name)
{
    char utf8[4 * MAXPNAMELEN];
    if (!WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof(utf8), NULL, NULL))
        strcpy(utf8, "?");
    printf("%s: %s\n", label, utf8);
}

static void print_error(const char *what, MMRESULT result)
{
    WCHAR text[MAXERRORLENGTH];
    if (midiOutGetErrorTextW(result, text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        wcscpy(text, L"unknown error");
    char label[64];
    snprintf(label, sizeof(label), "%s: %u", what, result);
    char utf8[4 * MAXERRORLENGTH];
    if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), NULL, NULL))
        strcpy(utf8, "?");
    printf("%s %s\n", label, utf8);
}

static void list_devices(void)
{
    UINT count = midiOutGetNumDevs();
    printf("devices: %u\n", count);
    MIDIOUTCAPSW caps;
    MMRESULT result = midiOutGetDevCapsW(MIDI_MAPPER, &caps, sizeof(caps));
    if (result == MMSYSERR_NOERROR)
        print_name("mapper", caps.szPname);
    else
        printf("mapper: none (error %u)\n", result);
    for (UINT device = 0; device < count; ++device) {
        char label[32];
        snprintf(label, sizeof(label), "device %u", device);
        result = midiOutGetDevCapsW(device, &caps, sizeof(caps));
        if (result == MMSYSERR_NOERROR)
            print_name(label, caps.szPname);
        else
            printf("%s: none (error %u)\n", label, result);
    }
}

struct sender {
    HMIDIOUT out;
    int pairs;
    MMRESULT result;
};

static DWORD WINAPI send_pairs(void *argument)
{
    struct sender *sender = argument;
    sender->result = MMSYSERR_NOERROR;
    for (int i = 0; i < sender->pairs && sender->result == MMSYSERR_NOERROR; ++i) {
        sender->result = midiOutShortMsg(sender->out, NOTE_ON);
        if (sender->result == MMSYSERR_NOERROR)
            sender->result = midiOutShortMsg(sender->out, NOTE_OFF);
    }
    return 0;
}

/* What the device reported through a CALLBACK_FUNCTION open. */
static volatile LONG opened_callbacks, closed_callbacks;

static void CALLBACK midi_callback(HMIDIOUT out, UINT message, DWORD_PTR instance,
                                   DWORD_PTR param1, DWORD_PTR param2)
{
    (void)out;
    (void)instance;
    (void)param1;
    (void)param2;
    if (message == MOM_OPEN)
        InterlockedIncrement(&opened_callbacks);
    else if (message == MOM_CLOSE)
        InterlockedIncrement(&closed_callbacks);
}

/* Sends one note pair from this thread, or with threads > 0 100 pairs from each of them. */
static int send_note(UINT device, int threads, BOOL callback)
{
    HMIDIOUT out = NULL;
    MMRESULT result = callback
        ? midiOutOpen(&out, device, (DWORD_PTR)midi_callback, 0, CALLBACK_FUNCTION)
        : midiOutOpen(&out, device, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
        print_error("open failed", result);
        return 2;
    }

    struct sender senders[MAX_THREADS];
    int count = threads > 0 ? threads : 1;
    for (int i = 0; i < count; ++i) {
        senders[i].out = out;
        senders[i].pairs = threads > 0 ? PAIRS_PER_THREAD : 1;
        senders[i].result = MMSYSERR_NOERROR;
    }
    int status = 0;
    if (threads == 0) {
        send_pairs(&senders[0]);
    } else {
        HANDLE handles[MAX_THREADS];
        int started = 0;
        while (started < threads &&
               (handles[started] = CreateThread(NULL, 0, send_pairs, &senders[started], 0, NULL)))
            ++started;
        if (started < threads) {
            printf("could start only %d threads\n", started);
            status = 2;
        }
        WaitForMultipleObjects((DWORD)started, handles, TRUE, INFINITE);
        for (int i = 0; i < started; ++i)
            CloseHandle(handles[i]);
        count = started;
    }

    int sent = 0;
    for (int i = 0; i < count; ++i) {
        if (senders[i].result == MMSYSERR_NOERROR) {
            sent += 2 * senders[i].pairs;
        } else {
            print_error("send failed", senders[i].result);
            status = 2;
        }
    }
    result = midiOutClose(out);
    if (result != MMSYSERR_NOERROR) {
        print_error("close failed", result);
        status = 2;
    }
    printf("sent %d\n", sent);
    if (callback)
        printf("callbacks: open %ld close %ld\n", opened_callbacks, closed_callbacks);
    return status;
}

static int usage(void)
{
    fprintf(stderr, "usage: tonvira_midi_probe [--send [--mapper | --device N] [--threads N] "
                    "[--callback]]\n");
    return 1;
}

static BOOL parse_count(const char *text, unsigned long limit, unsigned long *value)
{
    char *end;
    *value = strtoul(text, &end, 10);
    return end != text && *end == 0 && *value <= limit;
}

int main(int argc, char **argv)
{
    BOOL send = FALSE;
    UINT device = 0;
    int threads = 0;
    BOOL callback = FALSE;
    for (int i = 1; i < argc; ++i) {
        unsigned long value;
        if (strcmp(argv[i], "--send") == 0) {
            send = TRUE;
        } else if (strcmp(argv[i], "--callback") == 0) {
            callback = TRUE;
        } else if (strcmp(argv[i], "--mapper") == 0) {
            device = MIDI_MAPPER;
        } else if (strcmp(argv[i], "--device") == 0 && i + 1 < argc &&
                   parse_count(argv[i + 1], 0xFFFF, &value)) {
            device = (UINT)value;
            ++i;
        } else if (strcmp(argv[i], "--threads") == 0 && i + 1 < argc &&
                   parse_count(argv[i + 1], MAX_THREADS, &value) && value > 0) {
            threads = (int)value;
            ++i;
        } else {
            return usage();
        }
    }

    list_devices();
    fflush(stdout);
    int status = send ? send_note(device, threads, callback) : 0;
    fflush(stdout);
    return status;
}
