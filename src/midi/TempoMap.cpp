#include "midi/TempoMap.h"

#include <algorithm>
#include <iterator>

#include "midi/MidiReader.h"

namespace sonkora {

TempoMap::TempoMap(uint16_t division, std::vector<TempoChange> changes) : division_(division ? division : 1) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    segments_.push_back({0, DefaultTempo});
    for (const TempoChange& change : changes) {
        if (change.microsPerQuarter == 0) continue;
        const int64_t tick = std::max<int64_t>(change.tick, 0);
        if (segments_.back().tick == tick) {
            segments_.back().microsPerQuarter = change.microsPerQuarter;
        } else {
            segments_.push_back({tick, change.microsPerQuarter});
        }
    }
    segmentMicros_.push_back(0);
    for (size_t i = 1; i < segments_.size(); ++i) {
        const int64_t ticks = segments_[i].tick - segments_[i - 1].tick;
        segmentMicros_.push_back(segmentMicros_[i - 1] +
                                 (ticks * segments_[i - 1].microsPerQuarter + division_ - 1) / division_);
    }
}

TempoMap TempoMap::FromSong(MidiReader& reader) {
    std::vector<TempoChange> changes;
    reader.RewindTracks();
    for (int track = 0; track < reader.Header().TrackCount && track < MaxTracks; ++track) {
        MidiEvent event;
        // The pump sends an event only when the reader says it is complete; so do we.
        while (reader.ReadEvent(static_cast<uint16_t>(track), event)) {
            if (event.Status == 0xFF && event.MetaType == 0x51) {
                const uint32_t tempo = (static_cast<uint32_t>(event.Data1) << 16) |
                                       (static_cast<uint32_t>(event.Data2) << 8) | event.Data3;
                changes.push_back({event.Time, tempo});
            }
        }
    }
    reader.RewindTracks();
    return TempoMap(reader.Header().Division, std::move(changes));
}

int64_t TempoMap::MicrosAt(int64_t tick) const {
    if (tick <= 0) return 0;
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                        [](int64_t t, const TempoChange& change) { return t < change.tick; });
    const size_t i = static_cast<size_t>(std::distance(segments_.begin(), after)) - 1;
    const int64_t ticks = tick - segments_[i].tick;
    return segmentMicros_[i] + (ticks * segments_[i].microsPerQuarter + division_ - 1) / division_;
}

double TempoMap::TickAt(double micros) const {
    if (micros <= 0) return 0;
    const auto after = std::upper_bound(segmentMicros_.begin(), segmentMicros_.end(), micros,
                                        [](double m, int64_t start) { return m < static_cast<double>(start); });
    const size_t i = static_cast<size_t>(std::distance(segmentMicros_.begin(), after)) - 1;
    return static_cast<double>(segments_[i].tick) +
           (micros - static_cast<double>(segmentMicros_[i])) * division_ / segments_[i].microsPerQuarter;
}

}  // namespace sonkora
