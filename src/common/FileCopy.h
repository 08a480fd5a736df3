#pragma once
// Copies bytes from one open file to another inside the kernel (copy_file_range), the way
// cp does: a large file passes through unchanged without being read into the program and
// written out again.
//
//   fseeko(in, start, SEEK_SET);
//   const std::optional<int64_t> copied = CopyBetweenFiles(in, out, count);
//   if (!copied) { /* not possible here (a pipe, an old kernel): copy through a buffer */ }
//
// Both streams are left positioned after what was copied.

#include <cstdint>
#include <cstdio>
#include <optional>

namespace sonkora {

// Up to `count` bytes from the current position of `from` to that of `to`; fewer when
// `from` ends sooner. Nothing when the kernel cannot copy between these files and nothing
// was copied; throws std::system_error when the copy fails part of the way.
std::optional<int64_t> CopyBetweenFiles(std::FILE* from, std::FILE* to, int64_t count);

}  // namespace sonkora
