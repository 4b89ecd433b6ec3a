#pragma once

#include "support/files.h"

#include <string>
#include <string_view>

// Replaces the file at path with bytes so that a crash, a full disk or a failed
// write leaves either the old content or the new one, never a mix or an empty
// file: the bytes go to a temporary file in the same folder, are flushed to the
// disk and then renamed over the old file. The old file's permissions (and owner,
// where allowed) are kept; a new file gets the usual permissions for new files.
// When path is a symbolic link, the file it points to is replaced and the link
// stays. A file that the user may not write, or that nobody may write, is not
// replaced. A writable file in a folder that takes no temporary file is written
// in place, after room for the new text has been taken. Throws std::runtime_error
// naming the file and the reason; the old file is then untouched and no
// temporary file is left behind. Returns the identity of the file written.
TFileIdentity WriteFileAtomically(const std::string& path, std::string_view bytes);
