#include "extract/gpmf_payload.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

namespace {

constexpr int kMaxNesting = 8;
constexpr double kStandardGravity = 9.80665;

uint32_t be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}
uint64_t be64(const uint8_t* p) {
    return static_cast<uint64_t>(be32(p)) << 32 | be32(p + 4);
}

// Bytes of one element of a GPMF value type; 0 for types not read here.
std::size_t typeSize(char t) {
    switch (t) {
        case 'b':
        case 'B':
        case 'c':
            return 1;
        case 's':
        case 'S':
            return 2;
        case 'l':
        case 'L':
        case 'f':
        case 'F':
        case 'q':
            return 4;
        case 'd':
        case 'j':
        case 'J':
        case 'Q':
            return 8;
        default:
            return 0;
    }
}

double element(const uint8_t* p, char t) {
    switch (t) {
        case 'b':
            return static_cast<int8_t>(p[0]);
        case 'B':
        case 'c':
            return p[0];
        case 's':
            return static_cast<int16_t>(static_cast<uint16_t>(p[0] << 8 | p[1]));
        case 'S':
            return static_cast<uint16_t>(p[0] << 8 | p[1]);
        case 'l':
            return static_cast<int32_t>(be32(p));
        case 'L':
        case 'F':
            return be32(p);
        case 'f':
            return std::bit_cast<float>(be32(p));
        case 'q':
            return static_cast<int32_t>(be32(p)) / 65536.0;
        case 'd':
            return std::bit_cast<double>(be64(p));
        case 'j':
            return static_cast<double>(static_cast<int64_t>(be64(p)));
        case 'J':
            return static_cast<double>(be64(p));
        case 'Q':
            return static_cast<double>(static_cast<int64_t>(be64(p))) / 4294967296.0;
        default:
            return 0;
    }
}

// The first values of a list, as many as the streams read here use (GPS9
// has nine), and how many the list holds in all. No allocation per payload.
struct FirstValues {
    static constexpr std::size_t kKept = 9;
    std::array<double, kKept> kept{};
    std::size_t count = 0;

    void add(double v) {
        if (count < kKept) kept[count] = v;
        ++count;
    }
};

// The values of one sample: elements of one type filling the structure, or
// for the complex type '?' the element types the stream's TYPE lists.
FirstValues sampleValues(const uint8_t* p, std::size_t structSize, char type,
                         std::string_view complexTypes) {
    FirstValues out;
    if (type == '?') {
        std::size_t at = 0;
        for (const char t : complexTypes) {
            const std::size_t n = typeSize(t);
            if (n == 0 || n > structSize - at || out.count == FirstValues::kKept) break;
            out.add(element(p + at, t));
            at += n;
        }
        return out;
    }
    const std::size_t n = typeSize(type);
    if (n == 0) return out;
    for (std::size_t at = 0; at + n <= structSize && out.count < FirstValues::kKept; at += n) {
        out.add(element(p + at, type));
    }
    return out;
}

int16_t be16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] << 8 | p[1]));
}

using Words = uint16_t __attribute__((vector_size(16)));
using Pairs = int32_t __attribute__((vector_size(16)));

// Sums of the first three big-endian int16 of each sample (hundreds a second).
// Packed samples of three (six bytes, as cameras write them) go eight at a
// time: three 16-byte blocks of 24 values, value j always of axis j % 3. Each
// block is byte-swapped to host order and read as four 32-bit pairs of
// values; shifts sign-extend the pair's first and second value into 32-bit
// lanes, summed in parallel. A lane gets at most 65535 / 8 values, so 32 bits
// cannot overflow.
std::array<int64_t, 3> axisSums16(const uint8_t* data, std::size_t structSize, std::size_t repeat) {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    std::array<int64_t, 3> sums{};
    std::size_t r = 0;
    if (structSize == 6) {
        Pairs firsts[3] = {}, seconds[3] = {};
        for (; r + 8 <= repeat; r += 8) {
#pragma GCC unroll 3
            for (std::size_t k = 0; k < 3; ++k) {
                Words v;
                std::memcpy(&v, data + r * 6 + 16 * k, sizeof v);
                if constexpr (kLittle) v = v << 8 | v >> 8;
                const auto pairs = reinterpret_cast<Pairs>(v);
                const Pairs low = (pairs << 16) >> 16, high = pairs >> 16;
                firsts[k] += kLittle ? low : high;
                seconds[k] += kLittle ? high : low;
            }
        }
        for (std::size_t k = 0; k < 3; ++k) {
            for (std::size_t i = 0; i < 4; ++i) {
                sums[(8 * k + 2 * i) % 3] += firsts[k][i];
                sums[(8 * k + 2 * i + 1) % 3] += seconds[k][i];
            }
        }
    }
    for (; r < repeat; ++r) {
        const uint8_t* sample = data + r * structSize;
        for (std::size_t a = 0; a < 3; ++a) sums[a] += be16(sample + 2 * a);
    }
    return sums;
}

// Divisor for value i: SCAL holds one for all or one per value; a missing or
// zero divisor makes the value unusable.
double divisorFor(const FirstValues& scal, std::size_t i) {
    return scal.count == 0   ? 1.0
           : scal.count == 1 ? scal.kept[0]
           : i < scal.count  ? scal.kept[i]
                             : 0;
}

double scaled(const FirstValues& values, const FirstValues& scal, std::size_t i) {
    const double d = divisorFor(scal, i);
    return d == 0 ? std::nan("") : values.kept[i] / d;
}

bool sane(double lat, double lon) {
    return std::isfinite(lat) && std::isfinite(lon) && std::fabs(lat) <= 90 &&
           std::fabs(lon) <= 180;
}

// The sticky values of one nesting level; data follows the ones it uses.
struct Scope {
    const Scope* parent = nullptr;  // the enclosing level, whose names apply here too
    FirstValues scal;
    std::string complexTypes;
    std::optional<uint32_t> gpsFix;
    std::optional<GpmfTime> gpsTime;
    std::string orientation;  // ORIN, e.g. "ZXY": which camera axis each stored value is
    std::string deviceName;   // DVNM
    std::string model;        // MINF

    // The innermost name of this level or an enclosing one: the model where
    // one is named, else the device name.
    std::string_view cameraName() const {
        std::string_view device;
        for (const Scope* s = this; s != nullptr; s = s->parent) {
            if (!s->model.empty()) return s->model;
            if (device.empty()) device = s->deviceName;
        }
        return device;
    }
};

// A 'c' value: its characters up to the first zero, if any.
std::string_view text(const uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    return all.substr(0, all.find('\0'));
}

std::optional<GpmfTime> parseGpsu(const uint8_t* p, std::size_t n) {
    if (n < 12) return std::nullopt;
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const uint8_t a = p[2 * i], b = p[2 * i + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
        v[i] = (a - '0') * 10 + (b - '0');
    }
    GpmfTime t{2000 + v[0], v[1], v[2], v[3], v[4], v[5]};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
        t.second > 59) {
        return std::nullopt;
    }
    return t;
}

// Days since 2000-01-01 and seconds of that day, as GPS9 carries them.
std::optional<GpmfTime> timeFromDays(double days, double seconds) {
    if (!(days >= 0 && days < 36500 && seconds >= 0 && seconds < 86400)) return std::nullopt;
    // Civil date from a day count (proleptic Gregorian), counted from 1970.
    int64_t z = static_cast<int64_t>(days) + 10957 + 719468;
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    const int s = static_cast<int>(seconds);
    return GpmfTime{y, m, d, s / 3600, s / 60 % 60, s % 60};
}

// Global settings: KLV at the top level or nested, MINF among them.
std::string findModel(const uint8_t* data, std::size_t size, int depth) {
    for (std::size_t pos = 0; size - pos >= 8;) {
        const uint8_t* head = data + pos;
        const std::size_t dataSize = static_cast<std::size_t>(head[5]) * (head[6] << 8 | head[7]);
        const std::size_t padded = (dataSize + 3) & ~std::size_t{3};
        if (padded > size - pos - 8) break;
        if (head[4] == 0 && depth < kMaxNesting) {
            std::string nested = findModel(head + 8, dataSize, depth + 1);
            if (!nested.empty()) return nested;
        } else if (std::memcmp(head, "MINF", 4) == 0 && head[4] == 'c') {
            return std::string(text(head + 8, dataSize));
        }
        pos += 8 + padded;
    }
    return {};
}

class PayloadReader {
public:
    PayloadReader(GpmfPayload& out, std::string_view filmModel)
        : out_(out), filmModel_(filmModel) {}

    void walk(const uint8_t* p, std::size_t n, int depth, const Scope* parent) {
        Scope scope;
        scope.parent = parent;
        std::size_t pos = 0;
        while (n - pos >= 8) {
            const uint8_t* head = p + pos;
            const std::string_view key(reinterpret_cast<const char*>(head), 4);
            const char type = static_cast<char>(head[4]);
            const std::size_t structSize = head[5];
            const std::size_t repeat = static_cast<std::size_t>(head[6]) << 8 | head[7];
            const std::size_t dataSize = structSize * repeat;  // at most 255 * 65535
            const std::size_t padded = (dataSize + 3) & ~std::size_t{3};
            if (padded > n - pos - 8) return;  // runs past its parent: the rest is damaged
            const uint8_t* data = head + 8;
            if (type == 0) {
                if (depth < kMaxNesting) walk(data, dataSize, depth + 1, &scope);
            } else {
                value(scope, key, type, data, structSize, repeat);
            }
            // What follows (gyroscope, exposure, ...) is of no use here.
            if (out_.hasGps && out_.hasAccel) return;
            pos += 8 + padded;
        }
    }

private:
    void value(Scope& scope, std::string_view key, char type, const uint8_t* data,
               std::size_t structSize, std::size_t repeat) {
        if (repeat == 0 || structSize == 0) return;
        if (key == "SCAL") {
            scope.scal = {};
            const std::size_t n = typeSize(type);
            if (n == 0 || n > structSize) return;
            // One divisor per sample element: repeat entries, or one structure of several.
            const std::size_t perEntry = structSize / n;
            for (std::size_t k = 0; k < std::min(repeat * perEntry, FirstValues::kKept); ++k) {
                scope.scal.add(element(data + k / perEntry * structSize + k % perEntry * n, type));
            }
            scope.scal.count = repeat * perEntry;
        } else if (key == "TYPE" && type == 'c') {
            scope.complexTypes.assign(reinterpret_cast<const char*>(data), structSize * repeat);
        } else if (key == "ORIN" && type == 'c') {
            scope.orientation = text(data, structSize * repeat);
        } else if (key == "DVNM" && type == 'c') {
            scope.deviceName = text(data, structSize * repeat);
        } else if (key == "MINF" && type == 'c') {
            scope.model = text(data, structSize * repeat);
        } else if (key == "GPSF") {
            const std::size_t n = typeSize(type);
            if (n != 0 && n <= structSize)
                scope.gpsFix = static_cast<uint32_t>(element(data, type));
        } else if (key == "GPSU" && type == 'U') {
            scope.gpsTime = parseGpsu(data, structSize);
        } else if (key == "GPS5" && !out_.hasGps) {
            gps(scope, sampleValues(data, structSize, type, scope.complexTypes), false);
        } else if (key == "GPS9" && !out_.hasGps) {
            gps(scope, sampleValues(data, structSize, type, scope.complexTypes), true);
        } else if (key == "ACCL" && !out_.hasAccel) {
            accel(scope, type, data, structSize, repeat);
        }
    }

    // Only the first sample of the payload counts.
    void gps(const Scope& scope, const FirstValues& v, bool nine) {
        if (v.count < (nine ? 9u : 4u)) return;
        const double lat = scaled(v, scope.scal, 0);
        const double lon = scaled(v, scope.scal, 1);
        out_.hasGps = true;
        if (!sane(lat, lon)) return;
        out_.latitude = lat;
        out_.longitude = lon;
        const double speed = scaled(v, scope.scal, 3);
        out_.speed2d = std::isfinite(speed) ? speed : 0.0;
        // Without a fix field the sample is taken as fixed when it is not the
        // receiver's zero position.
        const double fixField = nine ? scaled(v, scope.scal, 8) : -1;
        const std::optional<uint32_t> fix = nine && std::isfinite(fixField)
                                                ? std::optional<uint32_t>(static_cast<uint32_t>(
                                                      std::fmax(0.0, std::fmin(fixField, 9.0))))
                                                : scope.gpsFix;
        out_.fix = fix ? (*fix == 2 || *fix == 3) : (lat != 0 || lon != 0);
        out_.time =
            nine ? timeFromDays(scaled(v, scope.scal, 5), scaled(v, scope.scal, 6)) : scope.gpsTime;
    }

    void accel(const Scope& scope, char type, const uint8_t* data, std::size_t structSize,
               std::size_t repeat) {
        // Hundreds of samples a second: read in place, no per-sample allocation.
        const std::size_t n = typeSize(type);
        if (n == 0 || 3 * n > structSize) return;
        std::array<double, 3> divisor{};
        for (std::size_t a = 0; a < 3; ++a) {
            divisor[a] = divisorFor(scope.scal, a);
            if (divisor[a] == 0 || !std::isfinite(divisor[a])) return;
        }
        std::array<double, 3> sum{};
        std::size_t count = 0;
        if (type == 's') {
            // The usual case (16-bit samples): integer sums, exact and quick.
            const std::array<int64_t, 3> whole = axisSums16(data, structSize, repeat);
            for (std::size_t a = 0; a < 3; ++a) sum[a] = static_cast<double>(whole[a]) / divisor[a];
            count = repeat;
        } else {
            for (std::size_t r = 0; r < repeat; ++r) {
                const uint8_t* sample = data + r * structSize;
                std::array<double, 3> v{};
                for (std::size_t a = 0; a < 3; ++a)
                    v[a] = element(sample + a * n, type) / divisor[a];
                if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) continue;
                for (std::size_t a = 0; a < 3; ++a) sum[a] += v[a];
                ++count;
            }
        }
        if (count == 0) return;
        // Stored in the order ORIN names (lower case: negated), else in the
        // order of the camera the film or the device name says.
        const std::string_view orin =
            scope.orientation.size() == 3
                ? std::string_view(scope.orientation)
                : GpmfAccelOrder(filmModel_.empty() ? scope.cameraName() : filmModel_);
        std::array<double, 3> g{};
        for (std::size_t i = 0; i < 3; ++i) {
            const char c = orin[i];
            const int axis = c == 'X' || c == 'x'   ? 0
                             : c == 'Y' || c == 'y' ? 1
                             : c == 'Z' || c == 'z' ? 2
                                                    : -1;
            if (axis < 0) return;
            const double mean = sum[i] / static_cast<double>(count) / kStandardGravity;
            g[static_cast<std::size_t>(axis)] = (c >= 'a') ? -mean : mean;
        }
        out_.hasAccel = true;
        out_.accelG = g;
    }

    GpmfPayload& out_;
    std::string_view filmModel_;
};

}  // namespace

std::string_view GpmfAccelOrder(std::string_view camera) {
    // GoPro's published data orders: HERO5 Black and Session Z,X,Y; Fusion
    // -Y,X,Z; HERO6 Black Y,-X,Z, kept by the later cameras.
    if (camera.find("HERO5") != std::string_view::npos) return "ZXY";
    if (camera.find("Fusion") != std::string_view::npos) return "yXZ";
    return "YxZ";
}

GpmfPayload ReadGpmfPayload(const uint8_t* data, std::size_t size, std::string_view filmModel) {
    GpmfPayload out;
    if (data != nullptr) PayloadReader(out, filmModel).walk(data, size, 0, nullptr);
    return out;
}

std::string ReadGpmfModel(const uint8_t* data, std::size_t size) {
    return data != nullptr ? findModel(data, size, 0) : std::string();
}

}  // namespace tesmira
