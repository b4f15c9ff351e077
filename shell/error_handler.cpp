#include "shell/error_handler.h"

#include <exception>

namespace quillery {

bool RunReportingErrors(Asker& asker, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        asker.ShowError(QString::fromUtf8(error.what()));
    }
    return false;
}

} // namespace quillery
