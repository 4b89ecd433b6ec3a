#pragma once

#include "support/datetime.h"

#include <exception>
#include <string>

// Diagnostic lines for an external viewer (checkwell-debugview). Each line is
// sent as one datagram to a Unix socket that the viewer binds; with no viewer
// listening nothing happens, and nothing here ever fails visibly.

// Sends "$exe=<name>$hh:nn:ss  message". The name is the program file name
// without extension for an empty channel, that name followed by the rest of a
// channel that starts with "+", or else the channel itself.
void DebugMessage(const std::string& message, const std::string& channel = "");

// Two lines: "---ERROR--- raised by <program file name>", then the error's message.
void DebugError(const std::exception& error, const std::string& channel = "");

// The line DebugMessage sends, for a program at programFile at the given time.
std::string FormatDebugLine(const std::string& message, const std::string& channel,
                            const std::string& programFile, TDateTime time);

// Where the viewer listens: $XDG_RUNTIME_DIR/checkwell-debug, or the same name
// in the temporary folder when that variable is unset. Empty when neither exists.
std::string DebugViewerSocketPath();
