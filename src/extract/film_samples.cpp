#include "extract/film_samples.h"

#include <limits>
#include <utility>

namespace tesmira {

namespace {

constexpr const char* kType50Failed = "提取50定位信息失败！";
constexpr const char* kType60Failed = "提取60定位信息失败！";

// A locator that throws (memory exhausted, for instance) counts as having
// found nothing; the user is told which one failed.
bool runLocator(const RecordLocator& locate, const std::filesystem::path& film,
                std::vector<VIDEO_GPS_RECORD_T>& records, const LocatorMessageSink& showMessage,
                const char* failure) {
    records.clear();
    try {
        if (locate(film, records)) return !records.empty();
    } catch (...) {
        if (showMessage) showMessage(failure);
    }
    records.clear();
    return false;
}

}  // namespace

FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage) {
    return LoadFilmSamples(film, showMessage, FilmLocators{});
}

FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage, const FilmLocators& locators) {
    FilmSamples result;
    std::vector<VIDEO_GPS_RECORD_T> records;

    // Only an upper-case status in the first record marks a type-50 film.
    if (runLocator(locators.type50, film, records, showMessage, kType50Failed) &&
        (records.front().status == 'A' || records.front().status == 'V')) {
        result.type = FileType::Type50;
        uint16_t passed = 0;
        result.samples.reserve(records.size());
        for (const auto& record : records) {
            result.samples.push_back(DeriveSample(record, FileType::Type50));
            // Saturating: a film with 65536 good records must not count as having none.
            if (PassesIntegrityCheck(record) && passed < std::numeric_limits<uint16_t>::max()) {
                ++passed;
            }
        }
        result.integrityPassed = passed;
        result.hasSamples = passed >= 3;
        result.records = std::move(records);
        return result;
    }

    if (runLocator(locators.type60, film, records, showMessage, kType60Failed)) {
        result.type = FileType::Type60;
        result.hasSamples = true;
        result.samples.reserve(records.size());
        for (const auto& record : records) {
            result.samples.push_back(DeriveSample(record, FileType::Type60));
        }
        result.records = std::move(records);
    }
    return result;
}

}  // namespace tesmira
