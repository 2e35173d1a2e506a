#include "link/get_str.h"

std::string GetStr(std::string_view StrSource, std::string_view StrBegin, std::string_view StrEnd) {
    std::size_t begin = StrSource.find(StrBegin);
    if (begin == std::string_view::npos)
        return {};
    begin += StrBegin.size();
    std::size_t end = StrSource.find(StrEnd, begin);
    if (end == std::string_view::npos)
        return {};
    return std::string(StrSource.substr(begin, end - begin));
}
