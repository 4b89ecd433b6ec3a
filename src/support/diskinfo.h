#pragma once

#include <string>

// True when the file lies on a disk that calls itself rotational (a hard disk),
// where reading several files at once makes the heads seek back and forth. Unknown
// devices (network, virtual and memory file systems) count as not rotational.
bool IsOnRotationalDisk(const std::string& path);

// Processors this process may run on.
int UsableProcessorCount();
