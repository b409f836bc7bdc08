#include "filmwriter/film_rewriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "filmwriter/box.h"
#include "filmwriter/record_encoder.h"

namespace tesmira::filmwriter {
namespace {

constexpr uint64_t kGpsBlockBytes = kGpsBlockRecordOffset + kRecordBytes;

struct Piece {
    uint64_t source = 0;  // position in the input film
    uint64_t length = 0;
};

struct OutChunk {
    std::vector<Piece> pieces;
    uint64_t bytes = 0;
    uint32_t samples = 0;
    double time = 0;  // seconds, decode time of the first sample
};

struct TrackPlan {
    std::size_t trakIndex = 0;  // among moov's children
    bool sound = false;
    bool carriesRecords = false;
    uint32_t descriptionIndex = 1;
    std::vector<OutChunk> chunks;
    std::vector<uint64_t> offsets;  // final chunk positions
};

// Reads a track's sample tables from the input film.
class SampleTables {
public:
    SampleTables(const Box& stbl, uint32_t timescale) : timescale_(timescale) {
        const Box* stsz = stbl.Child("stsz");
        const Box* stsc = stbl.Child("stsc");
        const Box* stts = stbl.Child("stts");
        const Box* stco = stbl.Child("stco");
        const Box* co64 = stbl.Child("co64");
        if (!stsz || !stsc || !stts || (!stco && !co64)) {
            throw std::runtime_error("input film: a track lacks its sample tables");
        }
        sampleSize_ = ReadU32(stsz->content, 4);
        sampleCount_ = ReadU32(stsz->content, 8);
        if (sampleSize_ == 0) {
            prefix_.resize(sampleCount_ + 1, 0);
            for (uint32_t i = 0; i < sampleCount_; ++i) {
                prefix_[i + 1] = prefix_[i] + ReadU32(stsz->content, 12 + 4 * std::size_t{i});
            }
        }
        const uint32_t runs = ReadU32(stsc->content, 4);
        for (uint32_t i = 0; i < runs; ++i) {
            const std::size_t at = 8 + 12 * std::size_t{i};
            stsc_.push_back({ReadU32(stsc->content, at), ReadU32(stsc->content, at + 4),
                             ReadU32(stsc->content, at + 8)});
        }
        if (stsc_.empty() && sampleCount_ > 0) throw std::runtime_error("input film: empty stsc");
        const uint32_t sttsRuns = ReadU32(stts->content, 4);
        for (uint32_t i = 0; i < sttsRuns; ++i) {
            const std::size_t at = 8 + 8 * std::size_t{i};
            stts_.push_back({ReadU32(stts->content, at), ReadU32(stts->content, at + 4)});
        }
        const Box& offsets = co64 ? *co64 : *stco;
        const uint32_t chunks = ReadU32(offsets.content, 4);
        for (uint32_t i = 0; i < chunks; ++i) {
            chunkOffsets_.push_back(co64 ? ReadU64(offsets.content, 8 + 8 * std::size_t{i})
                                         : ReadU32(offsets.content, 8 + 4 * std::size_t{i}));
        }
    }

    uint32_t DescriptionIndex() const { return stsc_.empty() ? 1 : stsc_.front()[2]; }
    uint32_t SampleCount() const { return sampleCount_; }

    uint64_t Bytes(uint64_t first, uint64_t end) const {
        return sampleSize_ ? (end - first) * sampleSize_ : prefix_[end] - prefix_[first];
    }

    // The input's own chunks: position, first sample, sample count.
    struct SourceChunk {
        uint64_t source;
        uint64_t firstSample;
        uint32_t samples;
    };
    std::vector<SourceChunk> SourceChunks() const {
        std::vector<SourceChunk> result;
        uint64_t sample = 0;
        for (std::size_t c = 0; c < chunkOffsets_.size() && sample < sampleCount_; ++c) {
            uint32_t perChunk = 0;
            for (const auto& run : stsc_) {
                if (run[0] <= c + 1) perChunk = run[1];
            }
            perChunk = static_cast<uint32_t>(std::min<uint64_t>(perChunk, sampleCount_ - sample));
            result.push_back({chunkOffsets_[c], sample, perChunk});
            sample += perChunk;
        }
        if (sample != sampleCount_) throw std::runtime_error("input film: chunks miss samples");
        return result;
    }

    // Decode times of all samples, in seconds, computed on demand for a
    // sorted list of sample numbers.
    std::vector<double> Times(const std::vector<uint64_t>& sortedSamples) const {
        std::vector<double> times;
        uint64_t sample = 0, ticks = 0;
        std::size_t run = 0;
        uint32_t leftInRun = stts_.empty() ? 0 : stts_[0][0];
        for (uint64_t wanted : sortedSamples) {
            while (sample < wanted) {
                while (leftInRun == 0 && run + 1 < stts_.size()) leftInRun = stts_[++run][0];
                ticks += stts_.empty() ? 0 : stts_[run][1];
                if (leftInRun) --leftInRun;
                ++sample;
            }
            times.push_back(timescale_ ? static_cast<double>(ticks) / timescale_ : 0.0);
        }
        return times;
    }

    // First sample of every whole second of decode time.
    std::vector<uint64_t> SecondStarts() const {
        std::vector<uint64_t> starts;
        uint64_t ticks = 0, sample = 0;
        for (const auto& [count, delta] : stts_) {
            for (uint32_t i = 0; i < count && sample < sampleCount_; ++i, ++sample) {
                if (starts.empty() || ticks >= uint64_t{timescale_} * starts.size()) {
                    starts.push_back(sample);
                }
                ticks += delta;
            }
        }
        return starts;
    }

private:
    uint32_t timescale_;
    uint32_t sampleSize_ = 0;
    uint32_t sampleCount_ = 0;
    std::vector<uint64_t> prefix_;
    std::vector<std::array<uint32_t, 3>> stsc_;
    std::vector<std::array<uint32_t, 2>> stts_;
    std::vector<uint64_t> chunkOffsets_;
};

std::string HandlerType(Box& trak) {
    Box* hdlr = trak.Find({"mdia", "hdlr"});
    if (!hdlr || hdlr->content.size() < 12) return {};
    return std::string(hdlr->content.begin() + 8, hdlr->content.begin() + 12);
}

uint32_t Timescale(Box& trak) {
    Box* mdhd = trak.Find({"mdia", "mdhd"});
    if (!mdhd || mdhd->content.size() < 24) throw std::runtime_error("input film: no mdhd");
    return ReadU32(mdhd->content, mdhd->content[0] == 1 ? 20 : 12);
}

void SetTrackId(Box& trak, uint32_t id) {
    Box* tkhd = trak.Child("tkhd");
    if (!tkhd || tkhd->content.size() < 24) throw std::runtime_error("input film: no tkhd");
    WriteU32(tkhd->content, tkhd->content[0] == 1 ? 20 : 12, id);
}

// Builds the plan of chunks for one track. Sound is regrouped into one chunk
// per second so that each chunk can carry the record of its second.
TrackPlan PlanTrack(Box& trak, std::size_t index, bool sound) {
    TrackPlan plan;
    plan.trakIndex = index;
    plan.sound = sound;
    Box* stbl = trak.Find({"mdia", "minf", "stbl"});
    if (!stbl) throw std::runtime_error("input film: a track has no sample table");
    const SampleTables tables(*stbl, Timescale(trak));
    plan.descriptionIndex = tables.DescriptionIndex();
    const auto source = tables.SourceChunks();
    if (!sound) {
        std::vector<uint64_t> firsts;
        for (const auto& c : source) firsts.push_back(c.firstSample);
        const auto times = tables.Times(firsts);
        for (std::size_t i = 0; i < source.size(); ++i) {
            const uint64_t bytes =
                tables.Bytes(source[i].firstSample, source[i].firstSample + source[i].samples);
            plan.chunks.push_back(
                {{{source[i].source, bytes}}, bytes, source[i].samples, times[i]});
        }
        return plan;
    }
    auto starts = tables.SecondStarts();
    const auto times = tables.Times(starts);
    starts.push_back(tables.SampleCount());
    std::size_t src = 0;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        OutChunk chunk;
        chunk.time = times[k];
        chunk.samples = static_cast<uint32_t>(starts[k + 1] - starts[k]);
        uint64_t sample = starts[k];
        while (sample < starts[k + 1]) {
            while (sample >= source[src].firstSample + source[src].samples) ++src;
            const uint64_t end =
                std::min<uint64_t>(starts[k + 1], source[src].firstSample + source[src].samples);
            const Piece piece{source[src].source + tables.Bytes(source[src].firstSample, sample),
                              tables.Bytes(sample, end)};
            chunk.pieces.push_back(piece);
            chunk.bytes += piece.length;
            sample = end;
        }
        plan.chunks.push_back(std::move(chunk));
    }
    return plan;
}

Box MakeFullBox(const std::string& type, const std::vector<uint8_t>& body) {
    Box box;
    box.type = type;
    box.content.assign(4, 0);  // version and flags
    box.content.insert(box.content.end(), body.begin(), body.end());
    return box;
}

Box MakeStsc(const TrackPlan& plan) {
    std::vector<uint8_t> entries;
    uint32_t count = 0;
    for (std::size_t c = 0; c < plan.chunks.size(); ++c) {
        if (c == 0 || plan.chunks[c].samples != plan.chunks[c - 1].samples) {
            AppendU32(entries, static_cast<uint32_t>(c + 1));
            AppendU32(entries, plan.chunks[c].samples);
            AppendU32(entries, plan.descriptionIndex);
            ++count;
        }
    }
    std::vector<uint8_t> body;
    AppendU32(body, count);
    body.insert(body.end(), entries.begin(), entries.end());
    return MakeFullBox("stsc", body);
}

Box MakeChunkOffsets(const TrackPlan& plan, bool co64) {
    std::vector<uint8_t> body;
    AppendU32(body, static_cast<uint32_t>(plan.chunks.size()));
    for (std::size_t c = 0; c < plan.chunks.size(); ++c) {
        const uint64_t offset = c < plan.offsets.size() ? plan.offsets[c] : 0;
        if (co64) {
            AppendU64(body, offset);
        } else {
            if (offset > UINT32_MAX) throw std::runtime_error("chunk beyond 4 GiB needs --co64");
            AppendU32(body, static_cast<uint32_t>(offset));
        }
    }
    return MakeFullBox(co64 ? "co64" : "stco", body);
}

// Replaces the chunk tables of a track's sample table by the plan's.
void StoreChunkTables(Box& trak, const TrackPlan& plan, bool co64) {
    Box* stbl = trak.Find({"mdia", "minf", "stbl"});
    auto& kids = stbl->children;
    std::size_t place = kids.size();
    for (std::size_t i = kids.size(); i-- > 0;) {
        if (kids[i].type == "stco" || kids[i].type == "co64" || kids[i].type == "stsc") {
            place = i;
            kids.erase(kids.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    place = std::min(place, kids.size());
    kids.insert(kids.begin() + static_cast<std::ptrdiff_t>(place), MakeChunkOffsets(plan, co64));
    kids.insert(kids.begin() + static_cast<std::ptrdiff_t>(place), MakeStsc(plan));
}

// Leaves a track without samples: every table present, every count zero.
void EmptySampleTables(Box& trak) {
    Box* stbl = trak.Find({"mdia", "minf", "stbl"});
    for (auto& box : stbl->children) {
        if (box.type == "stts" || box.type == "stss" || box.type == "ctts") {
            box.content.assign(8, 0);
        } else if (box.type == "stsz") {
            box.content.assign(12, 0);
        }
    }
}

Box MakeGpsBox(const std::string& type, const std::vector<uint64_t>& blocks) {
    Box box;
    box.type = type;
    AppendU32(box.content, 0);
    AppendU32(box.content, static_cast<uint32_t>(blocks.size()));
    for (uint64_t position : blocks) {
        if (position > UINT32_MAX) throw std::runtime_error("record block beyond 4 GiB");
        AppendU32(box.content, static_cast<uint32_t>(position));
        AppendU32(box.content, static_cast<uint32_t>(kGpsBlockBytes));
    }
    return box;
}

Box Leaf(const std::string& type, const std::vector<uint8_t>& content) {
    Box box;
    box.type = type;
    box.content = content;
    return box;
}

Box Container(const std::string& type, std::vector<Box> children) {
    Box box;
    box.type = type;
    box.container = true;
    box.children = std::move(children);
    return box;
}

// A timed metadata track of GoPro telemetry: one payload per chunk, one second each.
Box MakeGpmdTrak(uint32_t trackId, const std::vector<uint64_t>& sizes,
                 const std::vector<uint64_t>& offsets, bool co64) {
    const auto count = static_cast<uint32_t>(sizes.size());
    std::vector<uint8_t> tkhd;
    AppendU32(tkhd, 0);  // version 0, flags 0: metadata, not presented
    AppendU32(tkhd, 0);
    AppendU32(tkhd, 0);
    AppendU32(tkhd, trackId);
    AppendU32(tkhd, 0);
    AppendU32(tkhd, count * 1000);
    tkhd.resize(tkhd.size() + 8 + 8, 0);  // reserved, layer, group, volume, reserved
    for (const uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        AppendU32(tkhd, m);
    AppendU32(tkhd, 0);
    AppendU32(tkhd, 0);
    std::vector<uint8_t> mdhd;
    for (const uint32_t v : {0u, 0u, 0u, 1000u, count * 1000}) AppendU32(mdhd, v);
    AppendU32(mdhd, 0x55C40000);  // language "und"
    std::vector<uint8_t> hdlr;
    AppendU32(hdlr, 0);
    AppendU32(hdlr, 0);
    hdlr.insert(hdlr.end(), {'m', 'e', 't', 'a'});
    hdlr.resize(hdlr.size() + 12, 0);
    for (const char c : std::string("GoPro MET")) hdlr.push_back(static_cast<uint8_t>(c));
    hdlr.push_back(0);
    std::vector<uint8_t> dref;
    for (const uint32_t v : {0u, 1u, 12u}) AppendU32(dref, v);
    dref.insert(dref.end(), {'u', 'r', 'l', ' ', 0, 0, 0, 1});
    std::vector<uint8_t> stsd;
    for (const uint32_t v : {0u, 1u, 16u}) AppendU32(stsd, v);
    stsd.insert(stsd.end(), {'g', 'p', 'm', 'd', 0, 0, 0, 0, 0, 0, 0, 1});
    std::vector<uint8_t> stts;
    for (const uint32_t v : {0u, 1u, count, 1000u}) AppendU32(stts, v);
    std::vector<uint8_t> stsc;
    for (const uint32_t v : {0u, 1u, 1u, 1u, 1u}) AppendU32(stsc, v);
    std::vector<uint8_t> stsz;
    for (const uint32_t v : {0u, 0u, count}) AppendU32(stsz, v);
    for (const uint64_t size : sizes) AppendU32(stsz, static_cast<uint32_t>(size));
    std::vector<uint8_t> stco;
    AppendU32(stco, 0);
    AppendU32(stco, count);
    for (const uint64_t offset : offsets) {
        if (co64) {
            AppendU64(stco, offset);
        } else {
            AppendU32(stco, static_cast<uint32_t>(offset));
        }
    }
    return Container(
        "trak",
        {Leaf("tkhd", tkhd),
         Container("mdia",
                   {Leaf("mdhd", mdhd), Leaf("hdlr", hdlr),
                    Container("minf",
                              {Leaf("nmhd", {0, 0, 0, 0}), Container("dinf", {Leaf("dref", dref)}),
                               Container("stbl", {Leaf("stsd", stsd), Leaf("stts", stts),
                                                  Leaf("stsc", stsc), Leaf("stsz", stsz),
                                                  Leaf(co64 ? "co64" : "stco", stco)})})})});
}

// What goes into the media data, in file order.
struct MediaItem {
    double time;
    int kind;  // 0: record block, 1: chunk, 2: GPMF payload (blocks lead their second)
    std::size_t plan;
    std::size_t index;
};

}  // namespace

RewriteResult RewriteFilm(const std::vector<uint8_t>& input, const std::vector<TrackRow>& rows,
                          const FilmOptions& options) {
    if (options.gpsBoxType.size() != 4) throw std::runtime_error("box type must be 4 characters");
    RewriteResult result;
    auto top = ParseBoxes(input, 0, input.size(), true);
    Box* ftyp = nullptr;
    Box* moovIn = nullptr;
    for (auto& box : top) {
        if (box.type == "ftyp" && !ftyp) ftyp = &box;
        if (box.type == "moov" && !moovIn) moovIn = &box;
    }
    if (!moovIn) throw std::runtime_error("input film has no moov box");
    Box moov = *moovIn;

    // Plan every track; the last sound track carries the records.
    std::vector<TrackPlan> plans;
    for (std::size_t i = 0; i < moov.children.size(); ++i) {
        if (moov.children[i].type != "trak") continue;
        plans.push_back(PlanTrack(moov.children[i], i, HandlerType(moov.children[i]) == "soun"));
    }
    TrackPlan* soundPlan = nullptr;
    for (auto& plan : plans) {
        if (plan.sound) soundPlan = &plan;
    }
    if (options.type50 && !soundPlan) throw std::runtime_error("type 50 needs a sound track");
    if ((options.twoSoundTracks || options.emptySoundTable || options.soundChunkCount) &&
        !soundPlan) {
        throw std::runtime_error("the sound track options need a sound track");
    }
    if (soundPlan && options.type50) soundPlan->carriesRecords = true;
    if (soundPlan && options.emptySoundTable) {
        soundPlan->chunks.clear();
        EmptySampleTables(moov.children[soundPlan->trakIndex]);
    }

    Box* mvhd = moov.Child("mvhd");
    if (!mvhd || mvhd->content.size() < 4) throw std::runtime_error("input film: no mvhd");
    const std::size_t nextIdAt = mvhd->content.size() - 4;
    if (options.creationUnix) {
        // The movie header counts from 1904; version 1 has 64-bit times.
        const uint64_t created = static_cast<uint64_t>(*options.creationUnix + 2082844800);
        if (mvhd->content[0] == 1 && mvhd->content.size() >= 12) {
            WriteU64(mvhd->content, 4, created);
        } else if (mvhd->content.size() >= 8) {
            WriteU32(mvhd->content, 4, static_cast<uint32_t>(created));
        }
    }
    auto takeTrackId = [&] {
        const uint32_t id = ReadU32(mvhd->content, nextIdAt);
        WriteU32(mvhd->content, nextIdAt, id + 1);
        return id;
    };
    if (options.twoSoundTracks) {
        // The plain copy goes first so that only the later sound track holds records.
        const std::size_t at = soundPlan->trakIndex;
        Box copy = moov.children[at];
        SetTrackId(copy, takeTrackId());
        moov.children.insert(moov.children.begin() + static_cast<std::ptrdiff_t>(at), copy);
        for (auto& plan : plans) {
            if (plan.trakIndex >= at) ++plan.trakIndex;
        }
        TrackPlan plain = *soundPlan;
        plain.trakIndex = at;
        plain.carriesRecords = false;
        plans.push_back(plain);
        soundPlan = nullptr;
        for (auto& plan : plans) {
            if (plan.carriesRecords || (plan.sound && plan.trakIndex == at + 1)) soundPlan = &plan;
        }
    }
    std::size_t insertAt = moov.children.size();
    for (std::size_t i = 0; i < moov.children.size(); ++i) {
        if (moov.children[i].type == "trak") insertAt = i + 1;
    }
    if (options.trakWithoutMdia) {
        Box trak;
        trak.type = "trak";
        trak.container = true;
        const Box* tkhd = nullptr;
        for (const auto& box : moov.children) {
            if (box.type == "trak" && !tkhd) tkhd = box.Child("tkhd");
        }
        if (!tkhd) throw std::runtime_error("input film: no track header to copy");
        Box header = *tkhd;
        header.content[3] = 0;  // flags: not enabled, not in the presentation
        trak.children.push_back(header);
        SetTrackId(trak, takeTrackId());
        moov.children.insert(moov.children.begin() + static_cast<std::ptrdiff_t>(insertAt), trak);
        ++insertAt;
    }

    // Records.
    std::vector<RecordBytes> records50, records60;
    if (soundPlan && soundPlan->carriesRecords) {
        const std::size_t count = soundPlan->chunks.size();
        for (std::size_t i = 0; i < count; ++i) {
            records50.push_back(
                i < rows.size() ? EncodeRecord(rows[i], RecordFlavour::Type50, options.paddingByte)
                                : RecordBytes{});
        }
        if (rows.size() < count) {
            result.warnings.push_back("track has " + std::to_string(rows.size()) + " rows for " +
                                      std::to_string(count) + " sound chunks; the rest are zero");
        } else if (rows.size() > count) {
            result.warnings.push_back("track has " + std::to_string(rows.size()) + " rows; only " +
                                      std::to_string(count) + " fit the sound chunks");
        }
    }
    if (options.type60) {
        for (const auto& row : rows) {
            records60.push_back(EncodeRecord(row, RecordFlavour::Type60, options.paddingByte));
        }
    }
    result.type50Records = records50.size();
    result.type60Records = records60.size();
    std::vector<std::vector<uint8_t>> payloads;
    if (options.gpmf) {
        for (const auto& row : rows) payloads.push_back(EncodeGpmfPayload(row, *options.gpmf));
    }
    result.gpmfPayloads = payloads.size();
    std::vector<uint64_t> payloadSizes, payloadPositions(payloads.size(), 0);
    for (const auto& p : payloads) payloadSizes.push_back(p.size());
    std::size_t gpmdAt = 0;
    if (options.gpmf) {
        gpmdAt = insertAt++;
        moov.children.insert(
            moov.children.begin() + static_cast<std::ptrdiff_t>(gpmdAt),
            MakeGpmdTrak(takeTrackId(), payloadSizes, payloadPositions, options.co64));
        if (!options.gpmf->model.empty()) {
            // The camera model in the user data, as GoPro films carry it.
            Box settings;
            settings.type = "GPMF";
            settings.content = EncodeGpmfSettings(*options.gpmf);
            Box udta;
            udta.type = "udta";
            udta.container = true;
            udta.children.push_back(settings);
            moov.children.push_back(udta);
        }
    }

    // Sizes first (they do not depend on positions), then the layout.
    for (auto& plan : plans) StoreChunkTables(moov.children[plan.trakIndex], plan, options.co64);
    std::vector<uint64_t> blockPositions(records60.size(), 0);
    Box gps = MakeGpsBox(options.gpsBoxType, blockPositions);
    const bool gpsInMoov = options.type60 && !options.gpsBoxAfterMoov;
    if (gpsInMoov) {
        moov.children.insert(moov.children.begin() + static_cast<std::ptrdiff_t>(insertAt), gps);
    }
    std::vector<Box> afterMoov;
    if (options.type60 && options.gpsBoxAfterMoov) afterMoov.push_back(gps);
    if (options.freeBoxAfterMoov) {
        Box free;
        free.type = "free";
        free.content.assign(64, 0);
        afterMoov.push_back(free);
    }
    uint64_t afterMoovSize = 0;
    for (const auto& box : afterMoov) afterMoovSize += box.Size();

    std::vector<MediaItem> items;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        for (std::size_t c = 0; c < plans[p].chunks.size(); ++c) {
            items.push_back({plans[p].chunks[c].time, 1, p, c});
        }
    }
    for (std::size_t i = 0; i < records60.size(); ++i) {
        items.push_back({static_cast<double>(i), 0, 0, i});
    }
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        items.push_back({static_cast<double>(i), 2, 0, i});
    }
    std::stable_sort(items.begin(), items.end(), [](const MediaItem& a, const MediaItem& b) {
        return a.time != b.time ? a.time < b.time : a.kind < b.kind;
    });
    auto itemBytes = [&](const MediaItem& item) -> uint64_t {
        if (item.kind == 0) return kGpsBlockBytes;
        if (item.kind == 2) return payloads[item.index].size();
        const TrackPlan& plan = plans[item.plan];
        const uint64_t bytes = plan.chunks[item.index].bytes;
        // A short chunk is padded so that its record lies in unreferenced bytes.
        return plan.carriesRecords ? std::max(bytes, kSoundRecordOffset + kRecordBytes) : bytes;
    };
    uint64_t mediaBytes = 0;
    for (const auto& item : items) mediaBytes += itemBytes(item);
    if (mediaBytes + 8 > UINT32_MAX) throw std::runtime_error("media data beyond 4 GiB");

    const uint64_t ftypSize = ftyp ? ftyp->Size() : 0;
    const uint64_t moovSize = moov.Size();
    const uint64_t mdatStart = options.moovFirst ? ftypSize + moovSize + afterMoovSize : ftypSize;
    uint64_t pos = mdatStart + 8;
    for (auto& plan : plans) plan.offsets.assign(plan.chunks.size(), 0);
    for (const auto& item : items) {
        if (item.kind == 0) {
            blockPositions[item.index] = pos;
        } else if (item.kind == 2) {
            payloadPositions[item.index] = pos;
        } else {
            plans[item.plan].offsets[item.index] = pos;
        }
        pos += itemBytes(item);
    }

    // Final tables with the positions, and the requested damage.
    for (auto& plan : plans) StoreChunkTables(moov.children[plan.trakIndex], plan, options.co64);
    if (options.soundChunkCount) {
        Box& trak = moov.children[soundPlan->trakIndex];
        Box* table = trak.Find({"mdia", "minf", "stbl", options.co64 ? "co64" : "stco"});
        WriteU32(table->content, 4, *options.soundChunkCount);
    }
    gps = MakeGpsBox(options.gpsBoxType, blockPositions);
    if (options.gpsEntryCount) WriteU32(gps.content, 4, *options.gpsEntryCount);
    if (gpsInMoov) {
        moov.children[insertAt] = gps;
    } else if (options.type60) {
        afterMoov.front() = gps;
    }
    if (options.gpmf) {
        const uint32_t id = ReadU32(moov.children[gpmdAt].children[0].content, 12);
        moov.children[gpmdAt] = MakeGpmdTrak(id, payloadSizes, payloadPositions, options.co64);
    }
    if (moov.Size() != moovSize) throw std::runtime_error("internal: moov size changed");

    // Serialise.
    std::vector<uint8_t>& out = result.film;
    out.reserve(mdatStart + mediaBytes + moovSize + afterMoovSize + 8);
    if (ftyp) ftyp->AppendTo(out);
    auto appendMoov = [&] {
        moov.AppendTo(out);
        for (const auto& box : afterMoov) box.AppendTo(out);
    };
    if (options.moovFirst) appendMoov();
    AppendU32(out, static_cast<uint32_t>(mediaBytes + 8));
    out.insert(out.end(), {'m', 'd', 'a', 't'});
    for (const auto& item : items) {
        const std::size_t start = out.size();
        if (item.kind == 0) {
            std::vector<uint8_t> head;
            AppendU32(head, static_cast<uint32_t>(kGpsBlockBytes));
            head.insert(head.end(), {'g', 'p', 's', 'r'});
            AppendU32(head, static_cast<uint32_t>(item.index));
            head.resize(kGpsBlockRecordOffset, 0);
            out.insert(out.end(), head.begin(), head.end());
            out.insert(out.end(), records60[item.index].begin(), records60[item.index].end());
            continue;
        }
        if (item.kind == 2) {
            out.insert(out.end(), payloads[item.index].begin(), payloads[item.index].end());
            continue;
        }
        const TrackPlan& plan = plans[item.plan];
        for (const auto& piece : plan.chunks[item.index].pieces) {
            if (piece.source + piece.length > input.size()) {
                throw std::runtime_error("input film: sample data beyond the end");
            }
            out.insert(out.end(), input.begin() + static_cast<std::ptrdiff_t>(piece.source),
                       input.begin() + static_cast<std::ptrdiff_t>(piece.source + piece.length));
        }
        out.resize(start + itemBytes(item), 0);
        if (plan.carriesRecords) {
            std::copy(records50[item.index].begin(), records50[item.index].end(),
                      out.begin() + static_cast<std::ptrdiff_t>(start + kSoundRecordOffset));
        }
    }
    if (!options.moovFirst) appendMoov();

    if (options.truncateTo && *options.truncateTo < out.size()) out.resize(*options.truncateTo);
    out.resize(out.size() - std::min<uint64_t>(options.cutTail, out.size()));
    return result;
}

}  // namespace tesmira::filmwriter
