#pragma once
// A read or write failure on a file that was opened successfully. File-format problems
// are error codes; this is for the disk or the stream failing underneath us, and is
// reported by the command that started the work.

#include <stdexcept>
#include <string>

namespace sonkora {

class IoError : public std::runtime_error {
public:
    IoError(const std::string& fileName, const std::string& what)
        : std::runtime_error(fileName + ": " + what), fileName_(fileName) {}
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

}  // namespace sonkora
