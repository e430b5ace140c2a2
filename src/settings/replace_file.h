#pragma once
// Small files replaced whole: a half-written file is never left where the old one was.

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge {

// The contents of a regular file of at most cap bytes; nothing for anything else (missing,
// unreadable, a folder, a fifo, a device, larger than cap).
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::uintmax_t cap);

// Writes contents to a new file beside path, flushes it to disk and renames it over path. mode
// is given to the new file when set, else the usual 0666 less the umask. Where the folder
// refuses a new file but path exists and may be written, path is rewritten in place instead.
// False on any failure, with path untouched unless that in-place rewrite failed part-way.
bool ReplaceFile(const std::filesystem::path& path, std::string_view contents,
                 std::optional<mode_t> mode);

}  // namespace benchbridge
