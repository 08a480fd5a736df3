#include "midi/FileKind.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/FilePaths.h"
#include "common/FoldUpper.h"
#include "common/IoError.h"
#include "common/RegularFile.h"

namespace sonkora {

namespace {

bool IsMidiContent(std::string_view head) {
    if (head.substr(0, 4) == "MThd") return true;
    // RIFF MIDI: "RIFF", a 32-bit size, "RMID", then chunks of which "data" holds the
    // MIDI file. Only the marks are looked at; unwrapping it is the reader's work.
    return head.size() >= 24 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "RMID" &&
           head.find("MThd", 12) != std::string_view::npos;
}

}  // namespace

FileKind DetectFileKind(std::string_view head, std::string_view fileName) {
    // Upper case: a name from a Windows disk or a download is often SONG.MID.
    const std::string extension = FoldUpper(ExtensionOf(fileName));
    if (IsMidiContent(head)) {
        if (extension == ".KAR" || head.find("@KMIDI KARAOKE FILE") != std::string_view::npos) return FileKind::Karaoke;
        return FileKind::Midi;
    }
    if (extension == ".MID" || extension == ".MIDI" || extension == ".RMI" || extension == ".KAR")
        return FileKind::NotMidi;
    return FileKind::SongText;
}

FileKind DetectFileKindOfFile(const std::string& path) {
    // A FIFO or a device given as a file to open would block or never end.
    RequireRegularFile(path);
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) throw IoError(path, std::strerror(errno));
    std::string head(FileKindHeadSize, '\0');
    const size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (std::ferror(file.get())) throw IoError(path, std::strerror(errno));
    head.resize(got);
    return DetectFileKind(head, path);
}

}  // namespace sonkora
