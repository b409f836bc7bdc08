#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tesmira %s\n", TESMIRA_VERSION);
            return 0;
        }
    }
    std::printf("usage: tesmira [FILM]\n");
    return 0;
}
