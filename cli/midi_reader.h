// Standard MIDI Files read for their notes: format 0 or 1, any number of tracks, running status,
// tempo changes. No length in the file is trusted: each is checked against what remains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct MidiNote {
    uint64_t startUs; // from the start of the song
    uint64_t endUs;   // a note never ended sounds to the end of its track
    uint8_t note;
    uint8_t channel;
    uint16_t track; // 0-based among the file's track chunks
};

// A channel message as a MIDI device takes it: status in the low byte, then the data bytes.
struct MidiMessage {
    uint64_t timeUs;
    uint32_t packed;
};

struct MidiSong {
    unsigned format = 0;
    unsigned trackCount = 0;
    std::vector<MidiNote> notes;       // by start; notes that start together in file order
    std::vector<MidiMessage> messages; // every channel message by time, then in file order
};

// Why a file was refused: a message format with one "%s" for the file's name and, inside a track,
// where (track 0-based, byte offset from the start of the file).
struct MidiReadError {
    const wchar_t* format = nullptr; // null: no error
    int track = -1;                  // -1: not inside a track
    uint64_t offset = 0;
};

// Fills out only on success.
MidiReadError decodeMidiSong(const uint8_t* data, size_t size, MidiSong& out);
MidiReadError readMidiSong(const std::filesystem::path& path, MidiSong& out);

// The error as the user reads it: the message with the name, and the place if there is one.
std::wstring midiErrorText(const MidiReadError& error, const std::wstring& name);
