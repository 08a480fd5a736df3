#pragma once
// Helpers of the in-memory reader tests: load bytes the way playback does, and write
// events and toolkit records as short text so a case reads as one line.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiReader.h"
#include "support/MidiBytes.h"

namespace sonkora::readertest {

using test::Bytes;

// Open, header, load, close, rewind: the order playback uses.
inline std::unique_ptr<MidiReader> Load(const Bytes& file) {
    auto reader = std::make_unique<MidiReader>();
    reader->OpenMidiBuffer(file);
    if (reader->ReadMidiHeader()) reader->LoadTracks();
    reader->CloseMidi();
    reader->RewindTracks();
    return reader;
}

inline std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

// "time:ss d1 d2 d3", records joined by ", ".
inline std::string Describe(const std::vector<TEventRecord>& records) {
    std::string out;
    for (const TEventRecord& r : records) {
        if (!out.empty()) out += ", ";
        out += std::to_string(r.Time) + ":" + Hex(r.Status) + " " + Hex(r.Data1) + " " + Hex(r.Data2) + " " + Hex(r.Data3);
    }
    return out;
}

// A toolkit stand-in that keeps what it accepts; it is full once it holds `capacity`
// records (negative: never full). `duringCall` runs inside every call.
struct RecordingSink {
    std::vector<TEventRecord> accepted;
    int offered = 0;
    int capacity = -1;
    std::function<void()> duringCall;

    MidiReader::EventSink AsSink() {
        return [this](const TEventRecord& record) {
            ++offered;
            if (duringCall) duringCall();
            if (capacity >= 0 && static_cast<int>(accepted.size()) >= capacity) return 1;
            accepted.push_back(record);
            return 0;
        };
    }
};

}  // namespace sonkora::readertest
