#pragma once

#include <string>

// The temporary folder (TMPDIR, else the system's), ending in "/", created with
// its parents when missing. Any failure raises "Can't use windows temporary dir",
// the text users and scripts have long known this error by.
std::string GetTempFolder();

// Full path of the running program (empty when it cannot be found).
std::string ApplicationFilePath();

// The local help file, "Checkwell Help.htm" next to the program file.
std::string HelpFilePath();

// Hands memory the heap holds free back to the system, after a large structure
// made of many small blocks has gone: its pages would otherwise stay resident
// between the blocks that outlive it.
void ReturnFreeMemory();
