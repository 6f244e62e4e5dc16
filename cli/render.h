// Songs and recordings rendered through the synthesizer into a WAV file.
#pragma once

#include "cli/midi_reader.h"
#include "recording/recording_file.h"
#include "synth/soundfont.h"

#include <cstdint>
#include <filesystem>
#include <vector>

inline constexpr unsigned renderRate = 48000;

// The messages the window program sends playing the recording: its program change, then each
// key event through the same key replay as playback, at its time, and the silence at the end.
// Needs the tool's capturing MIDI device (render_device.cpp).
std::vector<MidiMessage> recordingMessages(const LoadedRecording& recording, int program);

// 16-bit stereo frames at rate: the messages at their times, notes still sounding released after
// the last one, then the sound until every voice has ended (at most a minute more).
std::vector<int16_t> renderMessages(const SoundFont& font, const std::vector<MidiMessage>& messages,
                                    unsigned rate);

// The frames as a 16-bit stereo PCM WAV file; null when written, else the message.
const wchar_t* writeWavFile(const std::vector<int16_t>& frames, unsigned rate,
                            const std::filesystem::path& path);
