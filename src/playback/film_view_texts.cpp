#include "playback/film_view_texts.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tesmira {
namespace {

int truncateToInt(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    if (value >= kMax) return std::numeric_limits<int>::max();
    if (value <= kMin) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

int WholeSeconds(double seconds) {
    return truncateToInt(seconds);
}

std::string ClockText(int seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60,
                  seconds % 60);
    return text;
}

int ProgressValue(double positionSeconds, int durationSeconds) {
    if (durationSeconds <= 0) return 0;
    const int value = truncateToInt(positionSeconds * 1000.0 / durationSeconds);
    if (value < 0) return 0;
    return value > 1000 ? 1000 : value;
}

double ProgressPosition(int value, int durationSeconds) {
    return static_cast<double>(static_cast<long long>(value) * durationSeconds) / 1000.0;
}

std::u16string FilmWindowTitle(std::u16string_view currentTitle, std::u16string_view filmPath) {
    const std::u16string_view title = currentTitle.substr(0, 255);
    std::u16string_view prefix = title;
    // The first bar: on this platform the film path itself may hold one.
    const std::size_t bar = title.find(u'|');
    if (bar != std::u16string_view::npos) prefix = title.substr(0, bar == 0 ? 0 : bar - 1);
    std::u16string result(prefix);
    result += u" | ";
    result += filmPath;
    return result;
}

std::optional<std::string> SpeedLabelText(const VIDEO_SYNC_OUTPUT_T& record,
                                          std::string_view unit) {
    char text[32];
    if (unit == "KMH") {
        std::snprintf(text, sizeof text, "%dKM", truncateToInt(record.speedKmh));
        return std::string(text);
    }
    if (unit == "MPH") {
        std::snprintf(text, sizeof text, "%dM", truncateToInt(KmhToMph(record.speedKmhExact)));
        return std::string(text);
    }
    return std::nullopt;
}

std::string PositionLabelText(const VIDEO_SYNC_OUTPUT_T& record) {
    const char* text = record.positionText;
    const std::size_t capacity = sizeof record.positionText;
    const void* end = std::memchr(text, 0, capacity);
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : capacity;
    return std::string(text, length);
}

std::string ScreenshotFileName(const std::tm& localTime, int number) {
    char text[96];
    std::snprintf(text, sizeof text, "%4d%.2d%.2d%.2d%.2d%.2d", localTime.tm_year + 1900,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec);
    std::string name = text;
    if (number > 1) name += "-" + std::to_string(number);
    return name + ".bmp";
}

}  // namespace tesmira
