#include "extract/gps_record.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

#include "extract/decimal_text.h"

namespace tesmira {

namespace {

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t readI32(const uint8_t* p) {
    return static_cast<int32_t>(readU32(p));
}

double readF64(const uint8_t* p) {
    const uint64_t bits = static_cast<uint64_t>(readU32(p)) | static_cast<uint64_t>(readU32(p + 4))
                                                                  << 32;
    return std::bit_cast<double>(bits);
}

// The whole-degree part is taken as an unsigned 32-bit number. A sound record
// never holds a negative or oversized value, but a damaged one may (or NaN):
// those are clamped into 0 … 2^32-1 so the conversion is always defined.
uint32_t wholeDegrees(double q) {
    if (!(q > 0.0)) return 0;  // also NaN
    if (q >= 4294967296.0) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(q);
}

// NMEA ddmm.mmmm to unsigned decimal degrees.
double decimalDegrees(double nmea) {
    const double q = nmea / 100.0;
    const double d = wholeDegrees(q);
    return d + (q - d) / 60.0 * 100.0;
}

// Truncation toward zero that stays defined for NaN and out-of-range speeds.
int32_t truncateToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

int32_t chartValue(uint32_t raw, FileType type) {
    if (type == FileType::Type60) {
        return static_cast<int32_t>(std::min<uint32_t>(raw, 512)) * 10000;
    }
    return static_cast<int32_t>(static_cast<int8_t>(raw & 0xFF)) * 10000;
}

constexpr std::string_view kNoFixPosition = "00.00000,000.00000";

}  // namespace

VIDEO_GPS_RECORD_T DecodeGpsRecord(const uint8_t* b) {
    VIDEO_GPS_RECORD_T r;
    r.hour = readI32(b + 0);
    r.minute = readI32(b + 4);
    r.second = readI32(b + 8);
    r.status = static_cast<char>(b[12]);
    r.latitude = readF64(b + 16);
    r.latHemisphere = static_cast<char>(b[24]);
    r.longitude = readF64(b + 32);
    r.lonHemisphere = static_cast<char>(b[40]);
    r.speed = readF64(b + 48);
    r.course = readF64(b + 56);
    r.day = readI32(b + 64);
    r.month = readI32(b + 68);
    r.year = readI32(b + 72);
    r.gsensorX = readU32(b + 76);
    r.gsensorY = readU32(b + 80);
    r.gsensorZ = readU32(b + 84);
    r.marker0 = readI32(b + 88);
    r.marker1 = readI32(b + 92);
    r.marker2 = readI32(b + 96);
    r.timeSum = readI32(b + 100);
    r.dateSum = readI32(b + 104);
    return r;
}

bool HasValidFix(const VIDEO_GPS_RECORD_T& record) {
    return record.status == 'A' || record.status == 'a';
}

namespace {

// The display record holds at most 24 characters and the terminating zero;
// a damaged record with enormous coordinates is cut there.
void finishSample(DerivedSample& s, std::string&& text) {
    const std::size_t n = std::min(text.size(), sizeof s.sync.positionText - 1);
    std::memcpy(s.sync.positionText, text.data(), n);
    s.sync.positionText[n] = '\0';
    text.resize(n);
    s.positionText = std::move(text);
    s.sync.speedKmh = s.speedWholeKmh;
    s.sync.speedKmhExact = s.speedKmh;
}

std::string positionText(bool south, double lat, bool west, double lon) {
    std::string text;
    text.reserve(24);  // "N22.540000,E114.050000" and the like: one allocation
    text += south ? 'S' : 'N';
    // "%f" without depending on the process locale (the GUI may set a locale
    // whose decimal separator is a comma).
    AppendFixed6(text, lat);
    text += west ? ",W" : ",E";
    AppendFixed6(text, lon);
    return text;
}

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371008.8;

double radians(double deg) {
    return deg * kPi / 180.0;
}

}  // namespace

DerivedSample DeriveSample(const VIDEO_GPS_RECORD_T& record, FileType type) {
    DerivedSample s;
    s.fixValid = HasValidFix(record);
    s.gsensor = {chartValue(record.gsensorX, type), chartValue(record.gsensorY, type),
                 chartValue(record.gsensorZ, type)};

    std::string text;
    if (s.fixValid) {
        const bool south = record.latHemisphere == 'S' || record.latHemisphere == 's';
        const bool west = record.lonHemisphere == 'W' || record.lonHemisphere == 'w';
        const double lat = decimalDegrees(record.latitude);
        const double lon = decimalDegrees(record.longitude);
        s.latitude = south ? -lat : lat;
        s.longitude = west ? -lon : lon;
        text = positionText(south, lat, west, lon);

        s.speedKmh = type == FileType::Type60 ? record.speed * 1.852 : record.speed;
        s.speedWholeKmh = truncateToInt32(s.speedKmh);
        s.course = record.course;
    } else {
        text = kNoFixPosition;
    }
    finishSample(s, std::move(text));
    return s;
}

int32_t ChartValueForG(double g) {
    const double v = 2560000.0 + g * 1280000.0;
    if (std::isnan(v)) return 2560000;
    return static_cast<int32_t>(std::lround(std::clamp(v, 0.0, 5120000.0)));
}

DerivedSample DeriveDecimalSample(const DecimalFix& f) {
    DerivedSample s;
    s.fixValid = f.fix && std::isfinite(f.latitude) && std::isfinite(f.longitude);
    for (std::size_t a = 0; a < 3; ++a) s.gsensor[a] = ChartValueForG(f.gsensorG[a]);
    std::string text;
    if (s.fixValid) {
        s.latitude = f.latitude;
        s.longitude = f.longitude;
        text = positionText(f.latitude < 0, std::fabs(f.latitude), f.longitude < 0,
                            std::fabs(f.longitude));
        s.speedKmh = std::isfinite(f.speedKmh) ? f.speedKmh : 0.0;
        s.speedWholeKmh = truncateToInt32(s.speedKmh);
        s.course = std::isfinite(f.course) ? f.course : 0.0;
    } else {
        text = kNoFixPosition;
    }
    finishSample(s, std::move(text));
    return s;
}

double BearingDegrees(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = radians(lat1);
    const double p2 = radians(lat2);
    const double dl = radians(lon2 - lon1);
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    double deg = std::atan2(y, x) * 180.0 / kPi;
    if (deg < 0) deg += 360.0;
    return deg >= 360.0 ? 0.0 : deg;
}

double DistanceMetres(double lat1, double lon1, double lat2, double lon2) {
    const double dp = radians(lat2 - lat1);
    const double dl = radians(lon2 - lon1);
    const double a = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(radians(lat1)) *
                                                               std::cos(radians(lat2)) *
                                                               std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kEarthRadius * std::asin(std::sqrt(std::min(1.0, a)));
}

bool PassesIntegrityCheck(const VIDEO_GPS_RECORD_T& r) {
    // Sums wrap like the camera's 32-bit arithmetic (unsigned, so no overflow UB).
    auto sum3 = [](int32_t a, int32_t b, int32_t c) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b) +
                                    static_cast<uint32_t>(c));
    };
    return HasValidFix(r) && r.marker0 == 75 && r.marker1 == 86 && r.marker2 == 82 &&
           sum3(r.hour, r.minute, r.second) == r.timeSum &&
           sum3(r.day, r.month, r.year) == r.dateSum;
}

double KmhToMph(double kmh) {
    return kmh * 0.6213712;
}

}  // namespace tesmira
