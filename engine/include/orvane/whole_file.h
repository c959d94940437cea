// Small files read whole and replaced whole through the engine's file layer,
// for front ends that keep settings or registrations in files: a
// replacement is written under a temporary name beside its target and
// renamed into place only when complete, so that the target holds either
// its old contents or the new ones.
#pragma once

#include <optional>
#include <string>

namespace orvane {

// The contents of a regular file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Replaces the contents of path (a new file when there is none); false when
// it could not, and path is then as it was.
bool ReplaceWholeFile(const std::string& path, const std::string& contents);

}  // namespace orvane
