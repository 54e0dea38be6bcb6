#pragma once
// Whole-file reads and crash-safe replacement of small files.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

// The file's bytes, or nothing when it does not exist or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a new file beside `path`, flushes it, then renames it over
// `path`: a crash leaves either the old file or the new one, never a cut one.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tarvo
