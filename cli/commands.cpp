#include "cli/commands.h"

#include "cli/console.h"
#include "cli/midi_import.h"
#include "cli/midi_reader.h"
#include "cli/recording_text.h"
#include "cli/render.h"
#include "engine/key_modes.h"
#include "recording/file_messages.h"
#include "recording/midi_export.h"
#include "recording/recording_file.h"

#include <cwctype>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t usageText[] =
    L"用法:\n"
    L"  tonvira-tool info 录音.qvi...\n"
    L"  tonvira-tool export 录音.qvi... [-o 乐曲.mid] [--program 乐器号0..127]\n"
    L"  tonvira-tool notation 录音.qvi\n"
    L"  tonvira-tool import 乐曲.mid [-o 录音.qvi] [--key 调式] [--track 音轨号]\n"
    L"  tonvira-tool render 录音.qvi|乐曲.mid [-o 声音.wav] [--soundfont 音色库.sf2] [--program "
    L"乐器号]\n"
    L"  tonvira-tool --version\n"
    L"调式写作 C, F#, Bb, a, c#... (大写大调, 小写小调) 或菜单命令号 1297..1332; 音轨从1数起.\n";

constexpr wchar_t msgNoNotes[] = L"文件%s中没有音符.";
constexpr wchar_t msgNoPlayableNotes[] = L"文件%s中没有键盘能弹奏的音符.";
constexpr wchar_t msgNoSuchTrack[] = L"文件%s中没有这一音轨.";
constexpr wchar_t msgSongTooLong[] = L"文件%s中的乐曲太长.";
constexpr wchar_t msgNoSuchKeyMode[] = L"文件%s的调式是 ";

struct Options {
    std::vector<fs::path> inputs;
    std::optional<fs::path> output;
    std::optional<int> program;
    std::optional<int> keyMode;
    std::optional<int> track;
    std::optional<fs::path> soundFont;
};

// A wrong argument: what was wrong, for the line above the usage text.
struct UsageError {
    std::wstring problem;
};

int showUsage(const std::wstring& problem) {
    writeText(Stream::err, L"tonvira-tool: " + problem + L"\n" + usageText);
    return 2;
}

void showError(const std::wstring& text) {
    writeText(Stream::err, text + L"\n");
}

std::optional<int> parseNumber(const std::wstring& text, int low, int high) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// A key/mode by its menu command number, or by its name with or without 大调/小调, the sign
// before the letter as the menu writes it ("#F", "bB") or after it ("F#", "Bb").
std::optional<int> parseKeyMode(std::wstring text) {
    if (text.size() == 2 && (text[1] == L'#' || text[1] == L'b'))
        std::swap(text[0], text[1]);
    for (const KeyModeItem& item : keyModeItems) {
        const std::wstring name = keyModeName(item.id);
        if (text == std::to_wstring(item.id) || text == name ||
            text == name.substr(0, name.size() - 2))
            return item.id;
    }
    return std::nullopt;
}

// The options a command takes, by name: "-o", "--program", "--key", "--track".
Options parseOptions(const std::vector<fs::path>& arguments,
                     std::initializer_list<const wchar_t*> allowed) {
    Options options;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring text = argumentText(arguments[i]);
        if (text.size() < 2 || text[0] != L'-') {
            options.inputs.push_back(arguments[i]);
            continue;
        }
        bool known = false;
        for (const wchar_t* name : allowed)
            known |= text == name;
        if (!known)
            throw UsageError{L"不认识的选项 " + text};
        if (i + 1 == arguments.size())
            throw UsageError{L"选项 " + text + L" 后面少了值"};
        const fs::path& value = arguments[++i];
        const std::wstring valueText = argumentText(value);
        if (text == L"-o") {
            options.output = value;
        } else if (text == L"--program") {
            if (!(options.program = parseNumber(valueText, 0, 127)))
                throw UsageError{L"乐器号应为0到127: " + valueText};
        } else if (text == L"--soundfont") {
            options.soundFont = value;
        } else if (text == L"--key") {
            if (!(options.keyMode = parseKeyMode(valueText)))
                throw UsageError{L"没有这个调式: " + valueText};
        } else if (!(options.track = parseNumber(valueText, 1, 65535))) {
            throw UsageError{L"音轨号应从1数起: " + valueText};
        }
    }
    if (options.inputs.empty())
        throw UsageError{L"没有给出文件"};
    return options;
}

// The output named by -o, else the input with the extension replaced. Never the input itself.
fs::path outputFor(const Options& options, const fs::path& input, const wchar_t* extension) {
    fs::path output =
        options.output ? *options.output : fs::path(input).replace_extension(extension);
    std::error_code ignored;
    if (output == input || fs::equivalent(output, input, ignored))
        throw UsageError{L"输出文件不能是输入文件 " + argumentText(input)};
    return output;
}

// Reads a recording as the window program loads it, telling the user when it cannot.
bool readRecording(const fs::path& path, LoadedRecording& recording) {
    if (const wchar_t* error = readRecordingToTakeUp(path, recording)) {
        showError(fillMessage(error, argumentText(path)));
        return false;
    }
    return true;
}

// Whether the recording's notes can be worked out: its key/mode is one of the 24, or it has no
// events. When not, the user is told that the key/mode stops the work named.
bool playableKeyMode(const LoadedRecording& recording, const fs::path& input, const wchar_t* work) {
    if (!keyModeName(static_cast<int>(recording.keyModeId)).empty() || recording.events.empty())
        return true;
    showError(fillMessage(msgNoSuchKeyMode, argumentText(input)) +
              std::to_wstring(recording.keyModeId) + L" (无此调式), 不能" + work + L".");
    return false;
}

std::wstring indented(const std::wstring& lines) {
    std::wstring text;
    size_t at = 0;
    while (at < lines.size()) {
        const size_t end = lines.find(L'\n', at);
        text += L"  " + lines.substr(at, end - at) + L"\n";
        at = end == std::wstring::npos ? lines.size() : end + 1;
    }
    return text;
}

int infoCommand(const Options& options) {
    int status = 0;
    for (const fs::path& input : options.inputs) {
        LoadedRecording recording;
        if (!readRecording(input, recording)) {
            status = 1;
            continue;
        }
        writeText(Stream::out, argumentText(input) + L":\n" + indented(recordingInfo(recording)));
    }
    return status;
}

int exportCommand(const Options& options) {
    if (options.output && options.inputs.size() > 1)
        throw UsageError{L"-o 只能用于一个输入文件"};
    std::vector<fs::path> outputs;
    for (const fs::path& input : options.inputs)
        outputs.push_back(outputFor(options, input, L".mid")); // every name checked before work
    int status = 0;
    for (size_t i = 0; i < options.inputs.size(); ++i) {
        const fs::path &input = options.inputs[i], &output = outputs[i];
        LoadedRecording recording;
        if (!readRecording(input, recording)) {
            status = 1;
            continue;
        }
        // As the window program exports right after loading: the file's key/mode and bass.
        const int keyMode = static_cast<int>(recording.keyModeId);
        if (!playableKeyMode(recording, input, L"导出")) {
            status = 1;
            continue;
        }
        if (const wchar_t* error =
                exportMidiFile(recording.events, keyMode, options.program.value_or(0),
                               recording.autoBassWord == 1, output)) {
            showError(fillMessage(error, argumentText(output)));
            status = 1;
            continue;
        }
        writeText(Stream::out, argumentText(input) + L" -> " + argumentText(output) + L"\n");
    }
    return status;
}

int notationCommand(const Options& options) {
    if (options.inputs.size() != 1)
        throw UsageError{L"notation 只接受一个文件"};
    LoadedRecording recording;
    if (!readRecording(options.inputs[0], recording))
        return 1;
    writeRecordingNotation(recording,
                           [](const std::wstring& text) { return writeText(Stream::out, text); });
    return 0; // what could not be written is told at the end, as for every command
}

int importCommand(const Options& options) {
    if (options.inputs.size() != 1)
        throw UsageError{L"import 只接受一个MIDI文件"};
    const fs::path& input = options.inputs[0];
    const fs::path output = outputFor(options, input, L".qvi");
    const std::wstring name = argumentText(input);
    MidiSong song;
    if (const MidiReadError error = readMidiSong(input, song); error.format) {
        showError(midiErrorText(error, name));
        return 1;
    }
    if (options.track && static_cast<unsigned>(*options.track) > song.trackCount) {
        showError(fillMessage(msgNoSuchTrack, name) + L" (共" + std::to_wstring(song.trackCount) +
                  L"轨)");
        return 1;
    }
    std::vector<MidiNote> notes;
    for (const MidiNote& note : song.notes)
        if (!options.track || note.track + 1 == *options.track)
            notes.push_back(note);
    if (notes.empty()) {
        showError(fillMessage(msgNoNotes, name));
        return 1;
    }
    const int keyMode = options.keyMode ? *options.keyMode : chooseKeyMode(notes);
    const ImportPlan plan = planImport(notes, keyMode);
    if (plan.leftOut != 0)
        writeText(Stream::err, L"警告: " + std::to_wstring(plan.leftOut) + L"个音符在" +
                                   keyModeName(keyMode) +
                                   L"里加Shift或Ctrl也没有键能弹, 已略去.\n");
    if (plan.tooLong || plan.events.empty()) {
        showError(fillMessage(plan.tooLong ? msgSongTooLong : msgNoPlayableNotes, name));
        return 1;
    }
    if (const wchar_t* error = writeRecordingFile(plan.events, keyMode, false, output)) {
        showError(fillMessage(error, argumentText(output)));
        return 1;
    }
    if (plan.merged != 0)
        writeText(Stream::err, L"提示: " + std::to_wstring(plan.merged) +
                                   L"个音符与同时开始的同音高音符合并为一个.\n");
    if (plan.shortened != 0)
        writeText(Stream::err, L"提示: " + std::to_wstring(plan.shortened) +
                                   L"个音符与同音高的下一个音符重叠, 已提前结束.\n");
    uint64_t durationMs = 0;
    for (const PerfEvent& event : plan.events)
        durationMs += event.delayMs;
    writeText(Stream::out, name + L" -> " + argumentText(output) + L": " + keyModeName(keyMode) +
                               L", " + std::to_wstring(plan.notes) + L"个音符, 时长 " +
                               formatTime(durationMs) + L", 音符最多晚 " +
                               std::to_wstring(plan.latestMs) + L" ms\n");
    return 0;
}

// A recording (.qvi) as the window program plays it, or a Standard MIDI File, rendered by the
// synthesizer into a WAV file.
int renderCommand(const Options& options) {
    if (options.inputs.size() != 1)
        throw UsageError{L"render 只接受一个文件"};
    const fs::path& input = options.inputs[0];
    const fs::path output = outputFor(options, input, L".wav");
    const std::wstring name = argumentText(input);
    std::vector<MidiMessage> messages;
    std::wstring extension = input.extension().wstring();
    for (wchar_t& c : extension)
        c = std::towlower(c);
    if (extension == L".qvi") {
        LoadedRecording recording;
        if (!readRecording(input, recording))
            return 1;
        if (!playableKeyMode(recording, input, L"播放"))
            return 1;
        messages = recordingMessages(recording, options.program.value_or(0));
    } else {
        MidiSong song;
        if (const MidiReadError error = readMidiSong(input, song); error.format) {
            showError(midiErrorText(error, name));
            return 1;
        }
        messages = std::move(song.messages);
    }
    const fs::path fontPath = options.soundFont ? *options.soundFont : defaultSoundFont();
    SoundFont font;
    if (const std::wstring error = readSoundFont(fontPath, font); !error.empty()) {
        showError(fillMessage(error.c_str(), argumentText(fontPath)));
        return 1;
    }
    const std::vector<int16_t> frames = renderMessages(font, messages, renderRate);
    if (const wchar_t* error = writeWavFile(frames, renderRate, output)) {
        showError(fillMessage(error, argumentText(output)));
        return 1;
    }
    writeText(Stream::out, name + L" -> " + argumentText(output) + L": " +
                               formatTime(frames.size() / 2 * 1000 / renderRate) + L"\n");
    return 0;
}

// A 32-bit tool has 2 to 4 GiB of address space, less than the largest inputs it accepts can need.
constexpr wchar_t outOfMemoryMessage[] = L"tonvira-tool: 内存分配错误, 命令没有完成.";

int runCommand(const std::vector<fs::path>& arguments) {
    if (arguments.empty())
        return showUsage(L"没有给出命令");
    const std::wstring command = argumentText(arguments[0]);
    if (command == L"-h" || command == L"--help" || command == L"help") {
        writeText(Stream::out, usageText);
        return 0;
    }
    if (command == L"--version") {
        const std::string version = TONVIRA_VERSION;
        writeText(Stream::out,
                  L"tonvira-tool " + std::wstring(version.begin(), version.end()) + L"\n");
        return 0;
    }
    try {
        if (command == L"info")
            return infoCommand(parseOptions(arguments, {}));
        if (command == L"export")
            return exportCommand(parseOptions(arguments, {L"-o", L"--program"}));
        if (command == L"notation")
            return notationCommand(parseOptions(arguments, {}));
        if (command == L"import")
            return importCommand(parseOptions(arguments, {L"-o", L"--key", L"--track"}));
        if (command == L"render")
            return renderCommand(parseOptions(arguments, {L"-o", L"--soundfont", L"--program"}));
        return showUsage(L"不认识的命令 " + command);
    } catch (const UsageError& error) {
        return showUsage(error.problem);
    } catch (const std::bad_alloc&) {
        // Files are written whole or not at all, so nothing is left half-written.
        showError(outOfMemoryMessage);
        return 1;
    } catch (const std::length_error&) {
        showError(outOfMemoryMessage);
        return 1;
    }
}

} // namespace

int runTool(const std::vector<fs::path>& arguments) {
    const int status = runCommand(arguments);
    if (!outputComplete()) {
        showError(L"tonvira-tool: 不能写入标准输出.");
        return status == 0 ? 1 : status;
    }
    return status;
}
