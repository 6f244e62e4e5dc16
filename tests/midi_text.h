// MIDI short messages as the tests write them: "on 60, off 60 v64, program 40@15, bend 8191, notes
// off@3"; no velocity for 127 on and 0 off, no channel for 0, "other N" for anything else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::string describeMidi(const std::vector<uint32_t>& messages) {
    std::string out;
    for (uint32_t m : messages) {
        const unsigned status = m & 0xF0, channel = m & 0x0F, d1 = m >> 8 & 0xFF, d2 = m >> 16;
        std::string s = "other " + std::to_string(m);
        if (status == 0x90 || status == 0x80)
            s = (status == 0x90 ? "on " : "off ") + std::to_string(d1) +
                (d2 != (status == 0x90 ? 127u : 0u) ? " v" + std::to_string(d2) : "");
        else if (status == 0xB0 && d1 == 123 && d2 == 0)
            s = "notes off";
        else if (status == 0xC0 && d2 == 0)
            s = "program " + std::to_string(d1);
        else if (status == 0xE0 && d2 < 128)
            s = "bend " + std::to_string(d1 | d2 << 7);
        out += (out.empty() ? "" : ", ") + (channel ? s + "@" + std::to_string(channel) : s);
    }
    return out;
}
