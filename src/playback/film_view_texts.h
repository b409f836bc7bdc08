#pragma once
// The texts and numbers the film pane derives from the engine's values and the
// display records. Free of Qt so that every rule is tested on its own.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "extract/gps_record.h"

namespace tesmira {

// Whole seconds of a position, truncated toward zero; 0 for a value that is not
// a number, and clamped to the int range so that no conversion overflows.
int WholeSeconds(double seconds);

// "%02d:%02d:%02d": hours not limited, minutes and seconds 0-59.
std::string ClockText(int seconds);

// Progress slider value (thousandths of the duration) for a position. A
// duration of 0 or less gives 0; the result always lies in 0-1000.
int ProgressValue(double positionSeconds, int durationSeconds);

// Position in seconds for a progress slider value: (value × duration) / 1000.
double ProgressPosition(int value, int durationSeconds);

// Main window title once a film is opened: the title without its tail of
// " | path" (cut one character before its first '|'), then " | " and the film
// path. At most the first 255 characters of the current title are considered.
std::u16string FilmWindowTitle(std::u16string_view currentTitle, std::u16string_view filmPath);

// Speed label text for a record in the given unit: "%dKM" with the whole km/h for "KMH",
// "%dM" for "MPH" (compared exactly) with the exact km/h converted, then truncated; no text
// for any other unit, the label then keeps what it shows.
std::optional<std::string> SpeedLabelText(const VIDEO_SYNC_OUTPUT_T& record, std::string_view unit);

// The record's position text: at most 25 bytes, ending at the first zero byte.
std::string PositionLabelText(const VIDEO_SYNC_OUTPUT_T& record);

// Screenshot file name from a local time: "%4d%.2d%.2d%.2d%.2d%.2d.bmp" for the first picture
// of a second; a later one of the same second (number 2, 3 ...) ends in "-2.bmp", "-3.bmp" ...
std::string ScreenshotFileName(const std::tm& localTime, int number = 1);

inline constexpr std::string_view kSpeedPlaceholder = "000";
inline constexpr std::string_view kPositionPlaceholder = "N00.0000,W000.0000";

}  // namespace tesmira
