// Standard MIDI File encoding: big-endian chunks, variable-length delta times, note-offs before note-ons on a tie.
#include "tools/soundgen/midi.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace qx::soundgen {

namespace {

struct Event {
    std::uint32_t tick;
    int order; // at the same tick a note ends before the next one starts, so repeated keys retrigger
    std::vector<std::uint8_t> bytes;
};

void putBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

void putVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    if (value > 0x0FFFFFFF)
        throw std::out_of_range("MIDI delta time too large");
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

std::uint8_t dataByte(int value) {
    if (value < 0 || value > 127)
        throw std::out_of_range("MIDI data byte out of range");
    return static_cast<std::uint8_t>(value);
}

std::uint8_t status(int kind, int channel) {
    if (channel < 0 || channel > 15)
        throw std::out_of_range("MIDI channel out of range");
    return static_cast<std::uint8_t>(kind | channel);
}

std::vector<std::uint8_t> meta(std::uint8_t type, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{0xFF, type};
    putVarLen(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<std::uint8_t> trackName(const std::string& name) {
    return meta(0x03, {name.begin(), name.end()});
}

void putTrack(std::vector<std::uint8_t>& file, std::vector<Event> events, std::uint32_t end) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
    });
    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const Event& e : events) {
        putVarLen(body, e.tick - now);
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        now = e.tick;
    }
    putVarLen(body, std::max(end, now) - now);
    const auto endOfTrack = meta(0x2F, {});
    body.insert(body.end(), endOfTrack.begin(), endOfTrack.end());

    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    putBig(file, static_cast<std::uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
}

} // namespace

std::vector<std::uint8_t> encodeMidi(const MidiSong& song) {
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd'};
    putBig(file, 6, 4);
    putBig(file, 1, 2); // format 1
    putBig(file, static_cast<std::uint32_t>(song.parts.size() + 1), 2);
    putBig(file, song.ticksPerQuarter, 2);

    std::vector<Event> tempoTrack;
    tempoTrack.push_back({0, 0, meta(0x58, {4, 2, 24, 8})}); // 4/4
    tempoTrack.push_back({0, 0,
                          meta(0x51, {static_cast<std::uint8_t>(song.microsPerQuarter >> 16),
                                      static_cast<std::uint8_t>(song.microsPerQuarter >> 8),
                                      static_cast<std::uint8_t>(song.microsPerQuarter)})});
    putTrack(file, tempoTrack, song.length);

    for (const MidiPart& part : song.parts) {
        std::vector<Event> events;
        events.push_back({0, 0, trackName(part.name)});
        events.push_back({0, 0, {status(0xC0, part.channel), dataByte(part.program)}});
        events.push_back({0, 0, {status(0xB0, part.channel), 7, dataByte(part.volume)}});
        events.push_back({0, 0, {status(0xB0, part.channel), 10, dataByte(part.pan)}});
        for (const MidiNote& n : song.notes) {
            if (n.channel != part.channel)
                continue;
            events.push_back({n.start, 2, {status(0x90, n.channel), dataByte(n.key), dataByte(n.velocity)}});
            events.push_back({n.start + n.length, 1, {status(0x80, n.channel), dataByte(n.key), 0}});
        }
        putTrack(file, std::move(events), song.length);
    }
    return file;
}

} // namespace qx::soundgen
