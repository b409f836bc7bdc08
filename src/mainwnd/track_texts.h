#pragma once
// What the map page receives for one sample: the position shifted into the
// datum of the provider's tiles (GCJ-02 for Google in China, BD-09 for Baidu,
// WGS-84 itself for OpenStreetMap), written as two "%f" texts, or "V","V"
// without a fix.

#include <string>

#include "app/map_providers.h"
#include "extract/gps_record.h"

namespace tesmira {

// Values of MapProvider (app/map_providers.h).
inline constexpr int kMapProviderGoogle = kMapGoogle;
inline constexpr int kMapProviderBaidu = kMapBaidu;
inline constexpr int kMapProviderOsm = kMapOsm;

struct GeoPoint {
    double longitude = 0;
    double latitude = 0;
};

struct MapTexts {
    std::string longitude;
    std::string latitude;
};

// True when (longitude, latitude) is left unchanged by either shift: outside
// the shift area, (Google only) inside the box the Google tiles draw unshifted,
// or anywhere for OpenStreetMap, whose tiles are drawn in WGS-84.
bool IsShiftExempt(GeoPoint point, int mapProvider);

GeoPoint ShiftWgs84ToGcj02(GeoPoint point, int mapProvider);
GeoPoint ShiftGcj02ToBd09(GeoPoint point, int mapProvider);

// The provider's shifts applied in order (Google: one, Baidu: two, OpenStreetMap: none).
GeoPoint ShiftForProvider(GeoPoint point, int mapProvider);

// "%f" as the C locale writes it: six decimals, never a grouping or comma.
std::string FormatFixed6(double value);

// The longitude and latitude texts sent to the page for one sample.
MapTexts MapTextsForSample(const DerivedSample& sample, int mapProvider);

// The Google and the Baidu texts at once, the shift they share done once:
// the same as MapTextsForSample for each provider.
struct GoogleBaiduTexts {
    MapTexts google;
    MapTexts baidu;
};
GoogleBaiduTexts MapTextsForGoogleAndBaidu(const DerivedSample& sample);

}  // namespace tesmira
