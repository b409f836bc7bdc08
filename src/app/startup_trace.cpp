#include "app/startup_trace.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

namespace tesmira {

namespace {

// The kernel keeps the process's start in clock ticks on the boot-time clock (field 22 of
// /proc/self/stat); negative when it cannot be read.
double MillisecondsSinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text;
    std::getline(stat, text);
    // The command name may hold spaces and parentheses: fields from the third follow the last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long ticks = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (!fields || ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const double started = std::strtod(field.c_str(), nullptr) * 1000.0 / ticks;
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - started;
}

}  // namespace

void TraceStartup(const char* milestone) {
    static const bool enabled = std::getenv("TESMIRA_TRACE_STARTUP") != nullptr;
    if (!enabled) return;
    static std::mutex mutex;
    static std::set<std::string> printed;
    std::lock_guard lock(mutex);
    if (!printed.insert(milestone).second) return;
    std::fprintf(stderr, "tesmira-startup %s %.0f\n", milestone, MillisecondsSinceStart());
}

}  // namespace tesmira
