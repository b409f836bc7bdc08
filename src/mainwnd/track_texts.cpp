#include "mainwnd/track_texts.h"

#include <charconv>
#include <cmath>

namespace tesmira {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kEccentricitySquared = 0.006693421622965943;
constexpr double kSemiMajorAxis = 6378245.0;
constexpr double kMeridianFactor = 6335552.717000426;  // kSemiMajorAxis * (1 - e^2)
constexpr double kBdFactor = 52.35987755982988;        // pi * 3000 / 180

double LatitudeOffset(double x, double y) {
    double d =
        -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    d += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    d += (20.0 * std::sin(y * kPi) + 40.0 * std::sin(y / 3.0 * kPi)) * 2.0 / 3.0;
    d += (160.0 * std::sin(y / 12.0 * kPi) + 320.0 * std::sin(y * kPi / 30.0)) * 2.0 / 3.0;
    return d;
}

double LongitudeOffset(double x, double y) {
    double d = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    d += (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    d += (20.0 * std::sin(x * kPi) + 40.0 * std::sin(x / 3.0 * kPi)) * 2.0 / 3.0;
    d += (150.0 * std::sin(x / 12.0 * kPi) + 300.0 * std::sin(x / 30.0 * kPi)) * 2.0 / 3.0;
    return d;
}

}  // namespace

bool IsShiftExempt(GeoPoint p, int mapProvider) {
    if (mapProvider == kMapProviderOsm) return true;
    const double lon = p.longitude;
    const double lat = p.latitude;
    if (mapProvider == kMapProviderGoogle && lon > 119.3 && lon < 124.5749 && lat > 21.7569 &&
        lat < 25.9416) {
        return true;
    }
    return lon < 72.004 || lon > 137.8347 || lat < 18.0 || lat > 55.8271;
}

GeoPoint ShiftWgs84ToGcj02(GeoPoint p, int mapProvider) {
    if (IsShiftExempt(p, mapProvider)) return p;
    const double x = p.longitude - 105.0;
    const double y = p.latitude - 35.0;
    const double dLat = LatitudeOffset(x, y);
    const double dLon = LongitudeOffset(x, y);
    const double r = p.latitude / 180.0 * kPi;
    const double sinR = std::sin(r);
    const double m = 1.0 - kEccentricitySquared * sinR * sinR;
    const double s = std::sqrt(m);
    GeoPoint out;
    out.latitude = p.latitude + dLat * 180.0 / ((kMeridianFactor / (m * s)) * kPi);
    out.longitude = p.longitude + dLon * 180.0 / ((kSemiMajorAxis / s) * std::cos(r) * kPi);
    return out;
}

GeoPoint ShiftGcj02ToBd09(GeoPoint p, int mapProvider) {
    if (IsShiftExempt(p, mapProvider)) return p;
    const double x = p.longitude;
    const double y = p.latitude;
    const double z = std::sqrt(x * x + y * y) + 0.00002 * std::sin(y * kBdFactor);
    const double theta = std::atan2(y, x) + 0.000003 * std::cos(x * kBdFactor);
    return GeoPoint{z * std::cos(theta) + 0.0065, z * std::sin(theta) + 0.006};
}

GeoPoint ShiftForProvider(GeoPoint p, int mapProvider) {
    GeoPoint out = ShiftWgs84ToGcj02(p, mapProvider);
    if (mapProvider == kMapProviderBaidu) out = ShiftGcj02ToBd09(out, mapProvider);
    return out;
}

std::string FormatFixed6(double value) {
    // Large enough for the longest binary64 in fixed notation (309 digits + sign + 7).
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    return std::string(buf, res.ptr);
}

MapTexts MapTextsForSample(const DerivedSample& sample, int mapProvider) {
    // A damaged record can decode to a non-finite position; the page could not
    // place "nan", so it is treated like a sample without a fix.
    if (!sample.fixValid || !std::isfinite(sample.latitude) || !std::isfinite(sample.longitude)) {
        return {"V", "V"};
    }
    const GeoPoint shifted = ShiftForProvider({sample.longitude, sample.latitude}, mapProvider);
    if (!std::isfinite(shifted.latitude) || !std::isfinite(shifted.longitude)) return {"V", "V"};
    return {FormatFixed6(shifted.longitude), FormatFixed6(shifted.latitude)};
}

}  // namespace tesmira
