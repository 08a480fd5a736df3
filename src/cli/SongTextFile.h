#pragma once
// A song text file as sonkorac rewrites it in place: its bytes as they are, so that an
// edit of some lines keeps everything else (the code page, every line end, a missing
// last line end) byte for byte, and a safe way to write the result.

#include <string>
#include <vector>

namespace sonkora::cli {

class SongTextFile {
public:
    // Reads the file; IoError when it cannot be read or is too large for a song text.
    explicit SongTextFile(const std::string& path);

    const std::string& Path() const { return path_; }
    // The lines as the editor splits them.
    const std::vector<std::string>& Lines() const { return lines_; }
    // The file's bytes with its lines replaced by `lines` (as many as Lines()), each
    // followed by the line end it had.
    std::string WithLines(const std::vector<std::string>& lines) const;

private:
    std::string path_;
    std::string bytes_;
    std::vector<std::string> lines_;
    std::vector<std::string> lineEnds_;
};

// Writes `bytes` to `path` through a new file beside it that is then renamed into place,
// so that a failure leaves the old file (or none) and never half a file. An existing
// file keeps its permissions; a link is followed to the file it names. IoError on failure.
void WriteFileSafely(const std::string& path, const std::string& bytes);

}  // namespace sonkora::cli
