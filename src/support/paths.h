#pragma once

#include <string>
#include <string_view>

// Path text helpers. Paths are byte strings with "/" as the separator; a folder
// path ends in "/". None of these touch the file system except the two tests.

// True for an existing regular file (after following links).
bool FileExists(const std::string& path);
// True for an existing directory (after following links).
bool DirectoryExists(const std::string& path);

// Up to and including the last "/"; empty when there is none.
std::string ExtractFilePath(std::string_view path);
// After the last "/".
std::string ExtractFileName(std::string_view path);
// From the last "." of the file name on, dot included; empty when the name has none.
std::string ExtractFileExt(std::string_view path);
// Replaces the extension (dot included) or appends extension when there is none;
// an empty extension removes it.
std::string ChangeFileExt(std::string_view path, std::string_view extension);
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Drops one trailing "/" unless the path is the root "/".
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// A relative path (typed in a terminal) names a file below the current folder;
// SFVs are shown, verified and rewritten by their full path, so how the path was
// spelled cannot change a verdict. The path as given when it cannot be made full.
std::string AbsoluteFilePath(const std::string& path);
