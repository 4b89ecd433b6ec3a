#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An SFV file to verify, and whether the user named it directly.
struct TSFVFile {
  std::string Path;
  bool Named = false;
};

// The SFV files the arguments stand for: a file stands for itself whatever its name,
// a folder for every file below it whose name ends in ".sfv" in any letter case, in
// byte order of the paths. Links to folders are not followed, so a loop of links
// cannot make the search endless. Each argument or folder that cannot be read adds
// a message to problems; the others are still collected.
std::vector<TSFVFile> CollectSFVFiles(const std::vector<std::string>& arguments,
                                      std::vector<std::string>& problems);

// SFV lists are text; anything larger than this is not one worth holding in memory.
inline constexpr std::size_t kMaxSFVSize = 256u << 20;

// The problem, in the words of LoadSFVText's, of an SFV whose entries do not fit
// in the memory there is.
inline constexpr const char* kNoMemoryProblem = "is too large for the memory available";

// Reads an SFV whole. False with a reason (e.g. "cannot be read: Permission
// denied", "is not a text file") when it cannot serve as an SFV list.
bool LoadSFVText(const std::string& path, std::string& text, std::string& problem);
