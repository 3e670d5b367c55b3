#pragma once

// Each benchmark prints its figures for people to read, and its headline
// figures once more as tab-separated "figure" lines, which scripts/bench.sh
// gathers into one table.

#include <cstdarg>
#include <cstdio>
#include <string>

namespace bench {

inline std::string format(const char *pattern, ...)
{
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

// what: the figure's name; value: it, with its unit; against: what to set it beside.
inline void figure(const std::string &what, const std::string &value, const std::string &against = {})
{
    std::printf("figure\t%s\t%s\t%s\n", what.c_str(), value.c_str(), against.c_str());
    std::fflush(stdout);
}

} // namespace bench
