// The track file reader and the record encoder, checked against the player's
// own record decoder.
#include "filmwriter/track_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "extract/gps_record.h"
#include "filmwriter/film_rewriter.h"
#include "filmwriter/record_encoder.h"
#include "support/test_films.h"

namespace tesmira {
namespace {

using filmwriter::ParseTrackText;

const char* kHeader =
    "status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,day,month,year,"
    "hour,minute,second,gsensor_x,gsensor_y,gsensor_z\n";

std::string ErrorOf(const std::string& text) {
    try {
        ParseTrackText(text);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

TEST(TrackFile, ReadsRowsCommentsAndOptionalColumns) {
    const std::string text =
        std::string("# a comment\n\n") +
        "gsensor_z,gsensor_y,gsensor_x,second,minute,hour,year,month,day,course,speed_kmh,"
        "lon_hemisphere,longitude,lat_hemisphere,latitude,status,marker,time_sum,date_sum\n"
        "384, 0x123456FF ,-1,5,4,3,2026,12,8,271.5,42.25,W,11403.5,S,2232.125,a,KVX,99,\n"
        "0,0,0,0,0,0,0,0,0,0,0,,0,,0,,,,7\n";
    const auto rows = ParseTrackText(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].status, 'a');
    EXPECT_DOUBLE_EQ(rows[0].latitude, 2232.125);
    EXPECT_EQ(rows[0].latHemisphere, 'S');
    EXPECT_DOUBLE_EQ(rows[0].longitude, 11403.5);
    EXPECT_EQ(rows[0].lonHemisphere, 'W');
    EXPECT_DOUBLE_EQ(rows[0].speedKmh, 42.25);
    EXPECT_DOUBLE_EQ(rows[0].course, 271.5);
    EXPECT_EQ(rows[0].day, 8);
    EXPECT_EQ(rows[0].year, 2026);
    EXPECT_EQ(rows[0].hour, 3);
    EXPECT_EQ(rows[0].second, 5);
    EXPECT_EQ(rows[0].gsensorX, 0xFFFFFFFFu);  // -1 as a raw field
    EXPECT_EQ(rows[0].gsensorY, 0x123456FFu);
    EXPECT_EQ(rows[0].gsensorZ, 384u);
    EXPECT_EQ(rows[0].marker, "KVX");
    EXPECT_EQ(rows[0].timeSum, 99);
    EXPECT_FALSE(rows[0].dateSum.has_value());
    // Empty one-character cells are zero bytes; empty optional cells are computed.
    EXPECT_EQ(rows[1].status, '\0');
    EXPECT_EQ(rows[1].latHemisphere, '\0');
    EXPECT_FALSE(rows[1].marker.has_value());
    EXPECT_EQ(rows[1].dateSum, 7);
}

TEST(TrackFile, RejectsFaultsNamingTheLine) {
    EXPECT_NE(ErrorOf("status,latitude\nA,1\n").find("missing column lat_hemisphere"),
              std::string::npos);
    EXPECT_NE(ErrorOf(std::string(kHeader) + "A,22x,N,114,E,0,0,1,1,2026,0,0,0,0,0,0\n")
                  .find("track line 2: bad number in latitude"),
              std::string::npos);
    EXPECT_NE(ErrorOf(std::string(kHeader) + "A,22,N,114,E,0,0,1,1,2026,0,0,0,0,0\n")
                  .find("track line 2: expected 16 cells"),
              std::string::npos);
    EXPECT_NE(ErrorOf(std::string(kHeader) + "AV,22,N,114,E,0,0,1,1,2026,0,0,0,0,0,0\n")
                  .find("status must be one character"),
              std::string::npos);
    EXPECT_NE(ErrorOf(std::string(kHeader) + "A,22,N,114,E,0,0,1,1,2026,0,0,0,0x100000000,0,0\n")
                  .find("bad integer in gsensor_x"),
              std::string::npos);
    EXPECT_NE(ErrorOf(std::string(kHeader).insert(7, "bogus,")).find("unknown column bogus"),
              std::string::npos);
    EXPECT_NE(ErrorOf("# only a comment\n").find("no header"), std::string::npos);
    EXPECT_EQ(ErrorOf(kHeader), "");  // a header alone is an empty track
}

// The writer's CSV, parser and encoder together must give exactly the record the
// player's decoder reads, for both flavours and with any padding byte.
TEST(RecordEncoder, MatchesThePlayersDecoder) {
    auto rows = testfilms::GenerateTrack(4);
    rows[1].status = 'V';
    rows[1].latHemisphere = 'S';
    rows[1].lonHemisphere = 'W';
    rows[2].gsensorX = 0x123456FF;
    rows[2].marker = "KVX";
    rows[2].hour = 2147483647;  // sums wrap around in 32 bits
    rows[3].timeSum = 12345;
    rows[3].dateSum = -1;
    const auto parsed = ParseTrackText(testfilms::TrackCsv(rows));
    ASSERT_EQ(parsed.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (auto [flavour, type] :
             {std::pair{filmwriter::RecordFlavour::Type50, FileType::Type50},
              std::pair{filmwriter::RecordFlavour::Type60, FileType::Type60}}) {
            for (uint8_t padding : {uint8_t{0}, uint8_t{0xAA}}) {
                const auto bytes = filmwriter::EncodeRecord(parsed[i], flavour, padding);
                EXPECT_EQ(testfilms::RecordDifference(DecodeGpsRecord(bytes.data()),
                                                      testfilms::ExpectedRecord(rows[i], type)),
                          "")
                    << "row " << i << " type " << static_cast<int>(type);
                EXPECT_EQ(bytes[13], padding);
                EXPECT_EQ(bytes[119], padding);
            }
        }
    }
    const auto r = DecodeGpsRecord(
        filmwriter::EncodeRecord(parsed[0], filmwriter::RecordFlavour::Type50).data());
    EXPECT_TRUE(PassesIntegrityCheck(r));
    const auto wrapped = DecodeGpsRecord(
        filmwriter::EncodeRecord(parsed[3], filmwriter::RecordFlavour::Type50).data());
    EXPECT_EQ(wrapped.timeSum, 12345);
    EXPECT_EQ(wrapped.dateSum, -1);
    const auto knots = DecodeGpsRecord(
        filmwriter::EncodeRecord(parsed[0], filmwriter::RecordFlavour::Type60).data());
    EXPECT_NEAR(knots.speed * 1.852, rows[0].speedKmh, 1e-9);
}

// Inputs the writer cannot rewrite are refused with a reason, never half written.
TEST(FilmRewriter, RefusesInputsItCannotRewrite) {
    auto errorOf = [](const std::vector<uint8_t>& input, filmwriter::FilmOptions options = {}) {
        try {
            filmwriter::RewriteFilm(input, {}, options);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(errorOf({}).find("no moov"), std::string::npos);
    // A box claiming more bytes than the file holds.
    EXPECT_NE(errorOf({0, 0, 1, 0, 'f', 'r', 'e', 'e', 0, 0}).find("bad box size"),
              std::string::npos);
    // A moov whose child runs past it.
    EXPECT_NE(errorOf({0, 0, 0, 16, 'm', 'o', 'o', 'v', 0, 0, 0, 9, 't', 'r', 'a', 'k'})
                  .find("bad box size"),
              std::string::npos);
    filmwriter::FilmOptions odd;
    odd.gpsBoxType = "gps";
    EXPECT_NE(errorOf({0, 0, 0, 8, 'm', 'o', 'o', 'v'}, odd).find("4 characters"),
              std::string::npos);
    // An empty moov has no sound track for type-50 records.
    EXPECT_NE(errorOf({0, 0, 0, 8, 'm', 'o', 'o', 'v'}).find("needs a sound track"),
              std::string::npos);
}

}  // namespace
}  // namespace tesmira
