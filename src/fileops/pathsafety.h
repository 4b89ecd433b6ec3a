#pragma once

#include <string>

// SFV files come from strangers: a listed name may climb out of the SFV's folder
// with ".." parts, an absolute path or a symbolic link. Every operation that moves,
// copies, packs, renames, deletes or recycles a listed file asks this first.

// True only when path lies strictly below folder, both taken with "." and ".."
// parts and symbolic links resolved the way the kernel would resolve them. Parts
// that do not exist yet are resolved below their deepest existing ancestor. The
// folder itself is not inside its own tree, so no listed name can take the whole
// folder with it. Anything that cannot be resolved (a link loop, a folder that
// cannot be searched) counts as outside.
bool IsInsideFolderTree(const std::string& path, const std::string& folder);

// The absolute form of path with "." and ".." parts and every symbolic link
// resolved; parts below the deepest existing ancestor are kept as written.
// Throws std::runtime_error when the path cannot be resolved.
std::string ResolvePath(const std::string& path);
