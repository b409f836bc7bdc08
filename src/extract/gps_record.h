#pragma once
// The per-second GPS and G-sensor record embedded in dashcam films, the display
// record built from it, and the derivation of every value the panes show.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tesmira {

inline constexpr std::size_t kGpsRecordSize = 120;

// Which locator found a film's records; the numbers are the ones the
// read-failure messages carry.
enum class FileType : int { None = 0, Type50 = 50, Type60 = 60 };

// One record as it lies in the film (120 bytes, little-endian). Decoded field
// by field; never cast onto a byte buffer.
struct VIDEO_GPS_RECORD_T {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    char status = 0;
    double latitude = 0;  // NMEA ddmm.mmmm
    char latHemisphere = 0;
    double longitude = 0;  // NMEA dddmm.mmmm
    char lonHemisphere = 0;
    double speed = 0;  // km/h (type 50) or knots (type 60)
    double course = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0;
    uint32_t gsensorX = 0;  // raw 4-byte fields; meaning depends on the file type
    uint32_t gsensorY = 0;
    uint32_t gsensorZ = 0;
    int32_t marker0 = 0;
    int32_t marker1 = 0;
    int32_t marker2 = 0;
    int32_t timeSum = 0;
    int32_t dateSum = 0;
};

// Decodes 120 bytes; the reserved and padding bytes are ignored.
VIDEO_GPS_RECORD_T DecodeGpsRecord(const uint8_t* bytes);

// Per-sample display record. Only speedKmh, speedKmhExact and positionText are ever filled.
struct VIDEO_SYNC_OUTPUT_T {
    int32_t metres = 0;
    int32_t driverNumber = 0;
    double speedKmh = 0;
    char turnSide = 0;
    char indicators[5] = {};
    char dateText[11] = {};
    char timeText[9] = {};
    char16_t driverId[11] = {};
    char positionText[25] = {};
    // The km/h speedKmh was cut from: a text in another unit is converted from it, or
    // 53.76 km/h would read 32 mph instead of 33.
    double speedKmhExact = 0;
};

struct DerivedSample {
    bool fixValid = false;
    double latitude = 0;               // signed decimal degrees, south negative (0 without fix)
    double longitude = 0;              // signed decimal degrees, west negative (0 without fix)
    std::string positionText;          // as stored in sync.positionText
    double speedKmh = 0;               // speedometer value
    int32_t speedWholeKmh = 0;         // truncated, as in sync.speedKmh
    double course = 180.0;             // compass value
    std::array<int32_t, 3> gsensor{};  // chart values X, Y, Z
    VIDEO_SYNC_OUTPUT_T sync;
};

// One second of a record source that gives decimal degrees directly (GoPro
// telemetry, GPS logs).
struct DecimalFix {
    bool fix = false;
    double latitude = 0;   // signed, south negative
    double longitude = 0;  // signed, west negative
    double speedKmh = 0;
    double course = 0;
    std::array<double, 3> gsensorG{};  // x across, y along, z up, in g
};

// The G-sensor chart's scale: 0 g on the middle line (2,560,000), 1,280,000 per g,
// clamped to the chart's range 0 ... 5,120,000.
int32_t ChartValueForG(double g);

// The same derived sample the embedded records give: position text, whole km/h,
// the no-fix substitutes (speed 0, course 180, "00.00000,000.00000").
DerivedSample DeriveDecimalSample(const DecimalFix& fix);

// Initial great-circle bearing from one point to another, 0 ... <360 degrees.
double BearingDegrees(double lat1, double lon1, double lat2, double lon2);
// Great-circle distance in metres.
double DistanceMetres(double lat1, double lon1, double lat2, double lon2);

bool HasValidFix(const VIDEO_GPS_RECORD_T& record);
// Any type other than Type60 reads speed and G-sensor the type-50 way.
DerivedSample DeriveSample(const VIDEO_GPS_RECORD_T& record, FileType type);
bool PassesIntegrityCheck(const VIDEO_GPS_RECORD_T& record);
double KmhToMph(double kmh);

}  // namespace tesmira
