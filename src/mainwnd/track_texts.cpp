#include "mainwnd/track_texts.h"

#include <cmath>

#include "extract/decimal_text.h"

namespace tesmira {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kEccentricitySquared = 0.006693421622965943;
constexpr double kSemiMajorAxis = 6378245.0;
constexpr double kMeridianFactor = 6335552.717000426;  // kSemiMajorAxis * (1 - e^2)
constexpr double kBdFactor = 52.35987755982988;        // pi * 3000 / 180

struct Offsets {
    double latitude;
    double longitude;
};

// The GCJ-02 offsets in metres-like units; both share their first two sine terms.
Offsets DatumOffsets(double x, double y) {
    const double shared =
        (20.0 * std::sin(6.0 * x * kPi) + 20.0 * std::sin(2.0 * x * kPi)) * 2.0 / 3.0;
    double lat =
        -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::fabs(x));
    lat += shared;
    lat += (20.0 * std::sin(y * kPi) + 40.0 * std::sin(y / 3.0 * kPi)) * 2.0 / 3.0;
    lat += (160.0 * std::sin(y / 12.0 * kPi) + 320.0 * std::sin(y * kPi / 30.0)) * 2.0 / 3.0;
    double lon = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::fabs(x));
    lon += shared;
    lon += (20.0 * std::sin(x * kPi) + 40.0 * std::sin(x / 3.0 * kPi)) * 2.0 / 3.0;
    lon += (150.0 * std::sin(x / 12.0 * kPi) + 300.0 * std::sin(x / 30.0 * kPi)) * 2.0 / 3.0;
    return {lat, lon};
}

bool IsFinite(GeoPoint p) {
    return std::isfinite(p.latitude) && std::isfinite(p.longitude);
}

MapTexts TextsOf(GeoPoint p) {
    if (!IsFinite(p)) return {"V", "V"};
    return {FormatFixed6(p.longitude), FormatFixed6(p.latitude)};
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
    const Offsets d = DatumOffsets(x, y);
    const double dLat = d.latitude;
    const double dLon = d.longitude;
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
    std::string text;
    AppendFixed6(text, value);
    return text;
}

MapTexts MapTextsForSample(const DerivedSample& sample, int mapProvider) {
    // A damaged record can decode to a non-finite position; the page could not
    // place "nan", so it is treated like a sample without a fix.
    if (!sample.fixValid || !IsFinite({sample.longitude, sample.latitude})) return {"V", "V"};
    return TextsOf(ShiftForProvider({sample.longitude, sample.latitude}, mapProvider));
}

GoogleBaiduTexts MapTextsForGoogleAndBaidu(const DerivedSample& sample) {
    const GeoPoint p{sample.longitude, sample.latitude};
    if (!sample.fixValid || !IsFinite(p)) return {{"V", "V"}, {"V", "V"}};
    // Wherever Google's tiles are shifted, Baidu's first shift is the same one.
    const GeoPoint gcj = ShiftWgs84ToGcj02(p, kMapProviderBaidu);
    const GeoPoint google = IsShiftExempt(p, kMapProviderGoogle) ? p : gcj;
    return {TextsOf(google), TextsOf(ShiftGcj02ToBd09(gcj, kMapProviderBaidu))};
}

}  // namespace tesmira
