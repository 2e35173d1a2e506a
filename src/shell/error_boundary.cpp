#include "shell/error_boundary.h"

#include <exception>

#include "shell/dialogs.h"

bool runReportingErrors(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        showCritical(QString::fromLocal8Bit(error.what()));
        return false;
    }
}
