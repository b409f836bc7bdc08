// Loads the embedded records of each film named on the command line.

#include <cstdio>

#include "extract/film_samples.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const auto s = tesmira::LoadFilmSamples(
            argv[i], [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
        std::printf("%s: type %d, %zu records, samples %s\n", argv[i], static_cast<int>(s.type),
                    s.samples.size(), s.hasSamples ? "yes" : "no");
    }
    return 0;
}
