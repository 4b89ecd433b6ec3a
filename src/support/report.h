#pragma once

#include <functional>
#include <string>

// How engine code hands a warning back to whoever started the work, since the
// engine never opens a dialog itself: a window passes a handler that shows the
// text with ShowWarning, a test one that records it. The text is the whole
// warning, its lines separated by CR.
using TReportEvent = std::function<void(const std::string& text)>;
