// The film view reads the speed unit every 100 ms and every dial reads it when it
// paints; these measure what one such read costs with the file unchanged, and what a
// write costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "app/app_paths.h"
#include "app/language_pack.h"
#include "app/settings.h"

namespace {

struct Folder {
    Folder() {
        char name[] = "/tmp/tesmira_bench_XXXXXX";
        path = ::mkdtemp(name);
        tesmira::SetDataFolder(path);
        tesmira::ApplyLanguage("");
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

void BM_ReadUnit(benchmark::State& state) {
    Folder folder;
    for (auto _ : state) benchmark::DoNotOptimize(tesmira::ReadUnit());
}
BENCHMARK(BM_ReadUnit);

void BM_UiText(benchmark::State& state) {
    Folder folder;
    for (auto _ : state) benchmark::DoNotOptimize(tesmira::UiText("IDD105_1003_6"));
}
BENCHMARK(BM_UiText);

void BM_WriteUnit(benchmark::State& state) {
    Folder folder;
    bool mph = false;
    for (auto _ : state) {
        mph = !mph;
        benchmark::DoNotOptimize(tesmira::WriteUnit(mph ? "MPH" : "KMH"));
    }
}
BENCHMARK(BM_WriteUnit);

}  // namespace
