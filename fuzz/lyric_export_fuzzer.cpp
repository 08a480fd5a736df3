// Arbitrary bytes as a karaoke file to export in every lyric format, on a voice track
// chosen by the last byte. Beyond crashes, sanitizer reports and escaping exceptions,
// these are findings:
//  - the karaoke file changed;
//  - a failed export left a file behind, or a successful one anything but its output;
//  - an output that is not valid UTF-8, or holds a carriage return.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "AgreeingUi.h"
#include "FuzzWorkspace.h"
#include "common/CodePage.h"
#include "formats/KaraokeExport.h"

using namespace sonkora;

using fuzz::ReadAll;
using Answers = fuzz::AgreeingUi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::Workspace ws("sonkora-export-fuzz");
    ws.Clear("");
    const std::string kar = ws.File("in.kar");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(kar, std::ios::binary) << bytes;
    for (const ExportFormat format :
         {ExportFormat::Lrc, ExportFormat::EnhancedLrc, ExportFormat::WebVtt, ExportFormat::UltraStar}) {
        Answers ui(size > 0 ? data[size - 1] : 0);
        ExportRequest request;
        request.format = format;
        request.inputFile = kar;
        request.outputFile = ws.File("out");
        request.withVoice = true;
        const bool written = ExportKaraoke(request, ui).written;
        if (ReadAll(kar) != bytes) std::abort();
        const std::set<std::string> expected =
            written ? std::set<std::string>{"in.kar", "out"} : std::set<std::string>{"in.kar"};
        if (ws.Names() != expected) std::abort();
        if (written) {
            const std::string out = ReadAll(ws.File("out"));
            if (out.find('\r') != std::string::npos) std::abort();
            // U+FFFD stands for malformed UTF-8: the exports never write the character itself.
            for (const char32_t c : Utf8ToCp1252(out).unmapped)
                if (c == 0xFFFD) std::abort();
            ws.Clear("in.kar");
        }
    }
    return 0;
}
