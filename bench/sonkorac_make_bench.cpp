// `sonkorac make` as a user feels it: the whole process, start-up included, against `cp`
// of the song's MIDI file in the same run. Two songs: the shipped example (goal: at most
// 2 times the copy) and a synthetic 11 MB song of 64 tracks with 5,000 syllables (goal: at
// most 1.5 times). Runs alternate between the two programs; the medians are compared.
// The CPU time of each process (user and system) is compared too: on a machine shared
// with other work it is much steadier than the wall time, which waits for the CPU.
//
//   sonkorac_make_bench [runs]      (default 41)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ProcessRun.h"
#include "SyntheticSong.h"

namespace {

using namespace sonkora::bench;
namespace fs = std::filesystem;

// Runs a program to its end with its output thrown away and returns its times.
ProcessRun TimedRun(std::vector<std::string> args) {
    const std::string what = args[0] + " " + args[1];
    const ProcessRun run = RunQuietly(std::move(args));
    if (!run.succeeded) throw std::runtime_error("failed: " + what);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The 5,000 syllables of the synthetic song, eight to a line and a blank line after
// every fourth line, bound to the first notes of its voice track (track 1).
void WriteLargeSongText(const std::string& path) {
    std::ofstream text(path, std::ios::binary);
    text << "\\t 1\n\\m big.mid\n\\k big.kar\n@LENGL\n@TA large song\n\n";
    for (int i = 0; i < 5000; ++i) {
        text << "la" << static_cast<char>('a' + i % 26) << (i % 8 == 7 ? "\n" : "-");
        if (i % 32 == 31) text << "\n";
    }
    text << "\n";
    if (!text) throw std::runtime_error("cannot write " + path);
}

// `karaoke` is the file make writes. Besides the user's case (a karaoke file made again
// over the earlier one) the make is timed writing a new file, its earlier output removed
// untimed before each run: the difference is what replacing the earlier file costs.
void Compare(const char* what, const std::string& sonkorac, const std::string& song, const std::string& karaoke,
             const std::string& midi, const std::string& copy, int runs, double goal) {
    TimedRun({sonkorac, "make", song});  // the page cache holds both programs and the files from here on
    TimedRun({"cp", midi, copy});
    std::vector<double> make, cp, makeCpu, cpCpu, makeNew;
    for (int run = 0; run < runs; ++run) {
        const ProcessRun made = TimedRun({sonkorac, "make", song});
        const ProcessRun copied = TimedRun({"cp", midi, copy});
        fs::remove(karaoke);
        makeNew.push_back(TimedRun({sonkorac, "make", song}).wall);
        TimedRun({"cp", midi, copy});
        make.push_back(made.wall);
        makeCpu.push_back(made.cpu);
        cp.push_back(copied.wall);
        cpCpu.push_back(copied.cpu);
    }
    const double ratio = Median(make) / Median(cp);
    std::printf("%-44s make %7.2f ms  cp %6.2f ms  ratio %5.2f  (goal <= %.1f) %s\n", what, Median(make) * 1e3,
                Median(cp) * 1e3, ratio, goal, ratio <= goal ? "ok" : "MISSED");
    std::printf("%-44s make %7.2f ms  cp %6.2f ms  ratio %5.2f  (CPU time)\n", "", Median(makeCpu) * 1e3,
                Median(cpCpu) * 1e3, Median(makeCpu) / Median(cpCpu));
    std::printf("%-44s make %7.2f ms  (to a new file, nothing to replace)  ratio %5.2f\n", "", Median(makeNew) * 1e3,
                Median(makeNew) / Median(cp));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 41;
        const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
        const std::string sonkorac = (here / "sonkorac").string();
        if (!fs::exists(sonkorac)) throw std::runtime_error("no sonkorac beside this program");
        BenchDir dir;

        fs::copy_file(here / "examples" / "jingle_bells.stf", dir.File("jingle_bells.stf"));
        fs::copy_file(here / "examples" / "jingle_bells.mid", dir.File("jingle_bells.mid"));
        Compare("example song (jingle_bells.stf)", sonkorac, dir.File("jingle_bells.stf"), dir.File("jingle_bells.kar"),
                dir.File("jingle_bells.mid"), dir.File("copy.mid"), runs, 2.0);

        const Bytes big = SyntheticSongBytes(64, 11 * 1000 * 1000);
        WriteFile(dir.File("big.mid"), big);
        WriteLargeSongText(dir.File("big.stf"));
        char label[64];
        std::snprintf(label, sizeof label, "%.1f MB, 64 tracks, 5,000 syllables",
                      static_cast<double>(big.size()) / 1e6);
        Compare(label, sonkorac, dir.File("big.stf"), dir.File("big.kar"), dir.File("big.mid"), dir.File("copy.mid"),
                runs, 1.5);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sonkorac_make_bench: %s\n", error.what());
        return 1;
    }
}
