// Peak memory of sonkorac compiling a large one-line song text, against the size of the
// text: goal at most 8 times the text plus the fixed cost, which is measured in the same
// run on a song of one line. Time is reported per megabyte, so that a run on twice the
// text shows whether it stays linear.
//
//   song_memory_bench [megabytes]      (default 16)

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ProcessRun.h"

namespace {

struct Peak {
    long kilobytes = 0;
    double seconds = 0;
};

// Runs sonkorac with its output thrown away; its peak resident memory and wall time.
Peak Measure(const std::vector<std::string>& args) {
    std::vector<std::string> all = {SONKORAC_PATH};
    all.insert(all.end(), args.begin(), args.end());
    const sonkora::bench::ProcessRun run = sonkora::bench::RunQuietly(std::move(all));
    return {run.peakKiB, run.wall};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

// A type 1 file with a conductor and a voice of 64 notes.
std::string SmallMidi() {
    std::string voice;
    for (int i = 0; i < 64; ++i) voice += std::string(i == 0 ? "\x00" : "\x83\x60", i == 0 ? 1 : 2) + "\x90\x3C\x40";
    voice += std::string("\x00\xFF\x2F\x00", 4);
    const auto chunk = [](const std::string& data) {
        const auto n = static_cast<uint32_t>(data.size());
        return std::string("MTrk") + char(n >> 24) + char(n >> 16) + char(n >> 8) + char(n) + data;
    };
    return std::string("MThd\0\0\0\x06\0\x01\0\x02\x01\xE0", 14) + chunk(std::string("\x00\xFF\x2F\x00", 4)) +
           chunk(voice);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const long megabytes = argc > 1 ? std::max(1L, std::atol(argv[1])) : 16;
        const std::filesystem::path dir = std::filesystem::temp_directory_path() / "sonkora-song-memory-bench";
        std::filesystem::create_directories(dir);
        WriteFile((dir / "song.mid").string(), SmallMidi());
        const std::string header = "\\t 1\n\\m song.mid\n\\k song.kar\n@TA long song\n\n";
        WriteFile((dir / "small.stf").string(), header + "la-li lo\n");
        // Words of two syllables and of one: about three bytes a syllable, the densest a
        // singer's text gets. Written a block at a time: sonkorac is started from this
        // process, whose own peak the system counts into the child's until it runs.
        const std::string largeName = (dir / "large.stf").string();
        {
            std::ofstream out(largeName, std::ios::binary | std::ios::trunc);
            out << header;
            std::string block;
            for (int i = 0; i < 7281; ++i) block += "la-li lo ";  // about 64 KiB
            for (long written = 0; written < megabytes << 20; written += static_cast<long>(block.size())) out << block;
            out << "\n";
            if (!out) throw std::runtime_error("cannot write " + largeName);
        }
        const auto bytes = std::filesystem::file_size(largeName);
        const double size = static_cast<double>(bytes) / 1024;  // KiB

        std::cout << "song text: " << bytes / (1024 * 1024) << " MiB on one line\n";
        for (const char* command : {"check", "preview", "make"}) {
            const Peak fixed = Measure({command, (dir / "small.stf").string()});
            const Peak peak = Measure({command, largeName});
            std::cout << command << ": fixed " << fixed.kilobytes << " KiB, peak " << peak.kilobytes
                      << " KiB, (peak - fixed) / text = " << (peak.kilobytes - fixed.kilobytes) / size
                      << " (goal: at most 8); " << peak.seconds / (size / 1024) * 1000 << " ms per MiB\n";
        }
        std::filesystem::remove_all(dir);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "song_memory_bench: " << error.what() << "\n";
        return 1;
    }
}
