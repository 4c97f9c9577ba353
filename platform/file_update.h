#pragma once

// Updating a file that must reach its reader even where the user may not
// create files: Mirvane.ini in a program folder, where the user may write the
// file but not its folder, so AtomicFile cannot make its temporary.

#include <filesystem>
#include <string_view>

namespace pontexa::platform {

// The file a path ends at once its symbolic links are followed (the path
// itself when it is no link; a dangling link's target, which may not exist).
// Throws pontexa::Error when the links loop.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Whether this user may create and rename files in `folder`.
bool FolderTakesNewFiles(const std::filesystem::path& folder);

// `bytes` become the content of `file`: replaced atomically (AtomicFile) where
// its folder takes new files or the file does not exist yet, else rewritten in
// place. A symbolic link stays a link and its target changes. A read-only
// file is refused as AtomicFile refuses it. Throws pontexa::Error naming the
// file; a failure leaves the old content.
void UpdateFile(const std::filesystem::path& file, std::string_view bytes);

// Overwrites an existing file's content where it stands (same file, same
// owner and links): the new bytes over the old, the rest cut, flushed to
// disk. Not atomic: a reader may meet a mixture while it runs, and a crash
// may leave one; on a reported failure the old bytes are written back.
void RewriteInPlace(const std::filesystem::path& file, std::string_view bytes);

}  // namespace pontexa::platform
