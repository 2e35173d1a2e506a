#pragma once

#include <functional>

// Runs one piece of handler work; an error it raises is shown in a critical message box
// with the error's text and goes no further. Returns false when that happened.
bool runReportingErrors(const std::function<void()>& work);
