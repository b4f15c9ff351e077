#pragma once

#include "shell/asker.h"

#include <functional>

namespace quillery {

// The one general error handler: runs a command and shows any failure it
// raises as an error box; the program goes on. Returns false on failure.
bool RunReportingErrors(Asker& asker, const std::function<void()>& command);

} // namespace quillery
