#pragma once

#include <string>
#include <string_view>

// The text of `StrSource` after the first occurrence of `StrBegin`, up to but not
// including the first occurrence of `StrEnd` after it. Empty when either is not found.
// "USB-SERIAL (COM12)" with "COM" and ")" gives "12".
std::string GetStr(std::string_view StrSource, std::string_view StrBegin, std::string_view StrEnd);
