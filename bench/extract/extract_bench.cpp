// A one-hour type-50 film as a sparse file: one sound chunk per second 1 MiB
// apart, a video track with 30 chunks per second, "moov" at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include "extract/box_builder.h"
#include "extract/film_samples.h"

namespace {

using namespace tesmira::test;

std::filesystem::path MakeHourFilm(const TempDir& dir) {
    constexpr uint32_t kSeconds = 3600;
    constexpr uint64_t kSpacing = 1 << 20;
    const auto path = dir.path() / "hour.mp4";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    const uint64_t mdatSize = 8 + kSeconds * kSpacing;
    Bytes head;
    PutBE32(head, static_cast<uint32_t>(mdatSize));
    PutType(head, "mdat");
    bool ok = ::pwrite(fd, head.data(), head.size(), 0) == 8;
    std::vector<uint32_t> sound, video;
    for (uint32_t s = 0; s < kSeconds; ++s) {
        const uint64_t chunk = 8 + s * kSpacing;
        sound.push_back(static_cast<uint32_t>(chunk));
        for (uint32_t f = 0; f < 30; ++f)
            video.push_back(static_cast<uint32_t>(chunk + 70000 + f * 30000));
        RecordFields r;
        r.second = static_cast<int32_t>(s % 60);
        const Bytes rec = EncodeRecord(r);
        ok = ok && ::pwrite(fd, rec.data(), rec.size(), static_cast<off_t>(chunk + 65584)) == 120;
    }
    const Bytes moov = Box("moov", Cat({Trak("vide", Stco(video)), Trak("soun", Stco(sound))}));
    ok = ok && ::pwrite(fd, moov.data(), moov.size(), static_cast<off_t>(mdatSize)) ==
                   ssize_t(moov.size());
    ::close(fd);
    if (!ok) std::abort();
    return path;
}

void BM_LoadHourFilm(benchmark::State& state) {
    TempDir dir;
    const auto film = MakeHourFilm(dir);
    std::size_t n = 0;
    for (auto _ : state) {
        const auto s = tesmira::LoadFilmSamples(film, {});
        n = s.samples.size();
        benchmark::DoNotOptimize(n);
    }
    if (n != 3600) state.SkipWithError("wrong record count");
}
BENCHMARK(BM_LoadHourFilm)->Unit(benchmark::kMillisecond);

void BM_DeriveSample(benchmark::State& state) {
    const Bytes raw = EncodeRecord(RecordFields{});
    const auto rec = tesmira::DecodeGpsRecord(raw.data());
    for (auto _ : state)
        benchmark::DoNotOptimize(tesmira::DeriveSample(rec, tesmira::FileType::Type50));
}
BENCHMARK(BM_DeriveSample);

}  // namespace
