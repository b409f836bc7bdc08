#include "filmwriter/gpmf_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace tesmira::filmwriter {
namespace {

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v >> 16));
    put16(b, static_cast<uint16_t>(v));
}

// Key, type, structure size, repeat, then the data padded to four bytes.
std::vector<uint8_t> klv(const char* key, char type, uint8_t structSize, uint16_t repeat,
                         const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b(key, key + 4);
    b.push_back(static_cast<uint8_t>(type));
    b.push_back(structSize);
    put16(b, repeat);
    b.insert(b.end(), data.begin(), data.end());
    b.resize(b.size() + (4 - data.size() % 4) % 4, 0);
    return b;
}

std::vector<uint8_t> nest(const char* key, const std::vector<std::vector<uint8_t>>& parts) {
    std::vector<uint8_t> data;
    for (const auto& p : parts) data.insert(data.end(), p.begin(), p.end());
    // Nested data is a whole number of 4-byte words: structure size 1, repeat = bytes.
    return klv(key, '\0', 1, static_cast<uint16_t>(data.size()), data);
}

std::vector<uint8_t> longs(const std::vector<int32_t>& v) {
    std::vector<uint8_t> b;
    for (const int32_t x : v) put32(b, static_cast<uint32_t>(x));
    return b;
}

// A 'c' value holding the text.
std::vector<uint8_t> text(const char* key, const std::string& value) {
    const std::size_t n = std::min<std::size_t>(value.size(), 255);  // one structure at most
    return klv(key, 'c', static_cast<uint8_t>(n), 1,
               std::vector<uint8_t>(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n)));
}

double decimal(double nmea, char hemisphere, char negative) {
    const double whole = std::floor(nmea / 100);
    const double deg = whole + (nmea - whole * 100) / 60;
    return hemisphere == negative ? -deg : deg;
}

int32_t round32(double v) {
    return static_cast<int32_t>(std::lround(v));
}

}  // namespace

std::string AccelOrder(const GpmfOptions& options) {
    if (!options.orin.empty()) return options.orin;
    const std::string& camera = options.model.empty() ? options.deviceName : options.model;
    if (camera.find("HERO5") != std::string::npos) return "ZXY";
    if (camera.find("Fusion") != std::string::npos) return "yXZ";
    return "YxZ";
}

std::vector<uint8_t> EncodeGpmfSettings(const GpmfOptions& options) {
    return nest("DEVC", {klv("DVID", 'L', 4, 1, longs({1})), text("MINF", options.model)});
}

std::vector<uint8_t> EncodeGpmfPayload(const TrackRow& row, const GpmfOptions& options) {
    const double lat = decimal(row.latitude, row.latHemisphere, 'S');
    const double lon = decimal(row.longitude, row.lonHemisphere, 'W');
    const double speedMs = row.speedKmh / 3.6;
    const bool fix = row.status == 'A' || row.status == 'a';
    const double rad = row.course * 3.14159265358979323846 / 180.0;

    std::vector<std::vector<uint8_t>> gpsParts;
    gpsParts.push_back(klv("STNM", 'c', 3, 1, {'G', 'P', 'S'}));
    std::vector<uint8_t> samples;
    const int n = std::max(1, options.gpsRate);
    for (int k = 0; k < n; ++k) {
        const double t = static_cast<double>(k) / n;
        const double dLat = speedMs * t * std::cos(rad) / 111320.0;
        const double dLon =
            speedMs * t * std::sin(rad) / (111320.0 * std::cos(lat * 3.14159265 / 180));
        std::vector<int32_t> v = {round32((lat + dLat) * 1e7), round32((lon + dLon) * 1e7), 12000,
                                  round32(speedMs * 1000), round32(speedMs * 1000)};
        if (options.gps9) {
            // Days since 2000-01-01 and milliseconds of the day, DOP, fix.
            const int year = row.year < 100 ? 2000 + row.year : row.year;  // RMC-style two digits
            const int y = year - (row.month <= 2);
            const int era = (y >= 0 ? y : y - 399) / 400;
            const int yoe = y - era * 400;
            const int doy = (153 * (row.month + (row.month > 2 ? -3 : 9)) + 2) / 5 + row.day - 1;
            const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
            const int days = era * 146097 + doe - 719468 - 10957;
            const int ms = (row.hour * 3600 + row.minute * 60 + row.second) * 1000 +
                           static_cast<int>(t * 1000);
            v.push_back(days);
            v.push_back(ms);
            std::vector<uint8_t> b = longs(v);
            put16(b, 150);
            put16(b, fix ? 3 : 0);
            samples.insert(samples.end(), b.begin(), b.end());
        } else {
            const auto b = longs(v);
            samples.insert(samples.end(), b.begin(), b.end());
        }
    }
    if (options.gps9) {
        gpsParts.push_back(klv("TYPE", 'c', 9, 1, {'l', 'l', 'l', 'l', 'l', 'l', 'l', 'S', 'S'}));
        gpsParts.push_back(
            klv("SCAL", 'l', 4, 9, longs({10000000, 10000000, 1000, 1000, 100, 1, 1000, 100, 1})));
        gpsParts.push_back(klv("GPS9", '?', 32, static_cast<uint16_t>(n), samples));
    } else {
        char when[64];
        std::snprintf(when, sizeof when, "%02d%02d%02d%02d%02d%02d.000", row.year % 100, row.month,
                      row.day, row.hour, row.minute, row.second);
        gpsParts.push_back(klv("GPSF", 'L', 4, 1, longs({fix ? 3 : 0})));
        gpsParts.push_back(klv("GPSU", 'U', 16, 1, std::vector<uint8_t>(when, when + 16)));
        gpsParts.push_back(klv("SCAL", 'l', 4, 5, longs({10000000, 10000000, 1000, 1000, 100})));
        gpsParts.push_back(klv("GPS5", 'l', 20, static_cast<uint16_t>(n), samples));
    }

    std::vector<std::vector<uint8_t>> device;
    device.push_back(klv("DVID", 'L', 4, 1, longs({1})));
    device.push_back(text("DVNM", options.deviceName));
    if (options.withGps) device.push_back(nest("STRM", gpsParts));
    if (options.accelRate > 0) {
        // Stored in m/s² over a divisor of 100 in AccelOrder's order; every
        // sample the same, so the mean is the row's value.
        auto ms2 = [](uint32_t raw) {
            return (static_cast<double>(raw) - 256.0) / 128.0 * 9.80665;
        };
        const std::string order = AccelOrder(options);
        std::vector<uint8_t> accel;
        for (int k = 0; k < options.accelRate; ++k) {
            for (const char c : order) {
                const uint32_t raw = c == 'X' || c == 'x'   ? row.gsensorX
                                     : c == 'Y' || c == 'y' ? row.gsensorY
                                                            : row.gsensorZ;
                const double v = (c >= 'a' ? -1 : 1) * ms2(raw) * 100;
                put16(accel, static_cast<uint16_t>(static_cast<int16_t>(
                                 std::lround(std::fmax(-32768, std::fmin(32767, v))))));
            }
        }
        std::vector<std::vector<uint8_t>> strm = {klv("STNM", 'c', 4, 1, {'A', 'C', 'C', 'L'})};
        if (!options.orin.empty()) strm.push_back(text("ORIN", options.orin));
        strm.push_back(klv("SCAL", 's', 2, 1, {0, 100}));
        strm.push_back(klv("ACCL", 's', 6, static_cast<uint16_t>(options.accelRate), accel));
        device.push_back(nest("STRM", strm));
    }
    return nest("DEVC", device);
}

}  // namespace tesmira::filmwriter
