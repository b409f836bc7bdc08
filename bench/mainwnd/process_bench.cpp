// Whole-process timings of the player binary with its main window (run under an X server,
// e.g. xvfb-run):
//
//   mainwnd_process_bench startup TESMIRA FILM [RUNS]
//     Process start to the first video frame painted in the main window and to the map page
//     loaded, from the player's own milestones (TESMIRA_TRACE_STARTUP), median of RUNS.
//   mainwnd_process_bench cpu TESMIRA FILM [SECONDS]
//     CPU of the player and every process it started (the browser engine's helpers) over
//     SECONDS of playback from the first frame, against `mpv --no-config --vo=null --ao=null`
//     on the same film for as long, both as CPU seconds per second.
//
// The player runs in its own process group with its data folder in a temporary directory.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One process as /proc/<pid>/stat tells it.
struct ProcStat {
    int pid = 0;
    int ppid = 0;
    int pgid = 0;
    std::string name;
    double cpu = 0;        // utime + stime, seconds
    double reapedCpu = 0;  // cutime + cstime: children that ended and were waited for
};

std::optional<ProcStat> ReadStat(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(file, text)) return std::nullopt;
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return std::nullopt;
    ProcStat stat;
    stat.pid = pid;
    stat.name = text.substr(open + 1, close - open - 1);
    std::istringstream fields(text.substr(close + 1));
    std::vector<std::string> f;  // f[0] is field 3 (state)
    std::string field;
    while (fields >> field) f.push_back(field);
    if (f.size() < 15) return std::nullopt;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    stat.ppid = std::atoi(f[1].c_str());
    stat.pgid = std::atoi(f[2].c_str());
    stat.cpu = (std::atof(f[11].c_str()) + std::atof(f[12].c_str())) / tick;
    stat.reapedCpu = (std::atof(f[13].c_str()) + std::atof(f[14].c_str())) / tick;
    return stat;
}

// The player and everything it started: its descendants and its process group (a helper
// that was handed over to init is still in the group).
std::vector<ProcStat> ProcessTree(int root) {
    std::vector<ProcStat> all;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (auto stat = ReadStat(std::atoi(name.c_str()))) all.push_back(*stat);
    }
    std::set<int> members{root};
    for (bool grown = true; grown;) {
        grown = false;
        for (const ProcStat& p : all) {
            if (members.count(p.pid)) continue;
            if (members.count(p.ppid) || p.pgid == root) {
                members.insert(p.pid);
                grown = true;
            }
        }
    }
    std::vector<ProcStat> tree;
    for (const ProcStat& p : all)
        if (members.count(p.pid)) tree.push_back(p);
    return tree;
}

// CPU seconds of the tree, by process name, including children that already ended.
std::map<std::string, double> TreeCpu(int root) {
    std::map<std::string, double> byName;
    for (const ProcStat& p : ProcessTree(root)) byName[p.name] += p.cpu + p.reapedCpu;
    return byName;
}

double Total(const std::map<std::string, double>& byName) {
    double sum = 0;
    for (const auto& [name, cpu] : byName) sum += cpu;
    return sum;
}

// The player started with its standard error on a pipe.
class Player {
public:
    Player(const std::string& binary, const std::string& film, const std::string& dataHome) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        started_ = Clock::now();
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            dup2(fds[1], STDERR_FILENO);
            setenv("TESMIRA_TRACE_STARTUP", "1", 1);
            setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
            setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
            setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
            execl(binary.c_str(), binary.c_str(), film.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        err_ = fds[0];
        if (pid_ > 0) setpgid(pid_, pid_);
    }
    ~Player() {
        Stop();
        if (err_ >= 0) close(err_);
    }
    bool started() const { return pid_ > 0 && err_ >= 0; }
    int pid() const { return pid_; }

    // Reads standard error until `milestones` have all been printed, the time is up or the
    // player ends. Milestone -> milliseconds since the process started.
    std::map<std::string, double> WaitForMilestones(const std::set<std::string>& milestones,
                                                    double timeoutSeconds) {
        while (!HasAll(milestones) && SecondsSince(started_) < timeoutSeconds) {
            if (!Drain(100)) break;
        }
        return milestones_;
    }
    // Keeps reading standard error (so the player never blocks on it) for `seconds`.
    void Run(double seconds) {
        const auto until = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < until) {
            const int left = static_cast<int>(
                std::chrono::duration<double, std::milli>(until - Clock::now()).count());
            // A player that has ended closes the pipe: nothing more to read.
            if (!Drain(std::max(1, std::min(left, 500))))
                usleep(static_cast<useconds_t>(left) * 1000);
        }
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(-pid_, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                break;
            }
            usleep(100000);
        }
        if (pid_ > 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
        // Helpers left in the group end with it.
        usleep(200000);
    }
    const std::string& errorText() const { return text_; }

private:
    bool HasAll(const std::set<std::string>& milestones) const {
        return std::all_of(milestones.begin(), milestones.end(),
                           [this](const std::string& m) { return milestones_.count(m) > 0; });
    }
    // False when the pipe has closed.
    bool Drain(int timeoutMs) {
        pollfd p{err_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return true;
        char buffer[4096];
        const ssize_t n = read(err_, buffer, sizeof buffer);
        if (n <= 0) return false;
        line_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = line_.find('\n')) != std::string::npos;) {
            const std::string line = line_.substr(0, end);
            line_.erase(0, end + 1);
            char name[64];
            double ms = 0;
            if (std::sscanf(line.c_str(), "tesmira-startup %63s %lf", name, &ms) == 2) {
                milestones_[name] = ms;
            } else if (text_.size() < 4000) {
                text_ += line + "\n";
            }
        }
        return true;
    }

    int pid_ = -1;
    int err_ = -1;
    Clock::time_point started_;
    std::string line_;
    std::string text_;
    std::map<std::string, double> milestones_;
};

}  // namespace

namespace {

const char* const kFirstFrame = "first-frame";
const char* const kMapLoaded = "map-page-loaded";

int Startup(const std::string& binary, const std::string& film, int runs,
            const std::string& dataHome) {
    std::vector<double> frames, maps;
    for (int i = 0; i < runs; ++i) {
        Player player(binary, film, dataHome);
        if (!player.started()) return 2;
        const auto seen = player.WaitForMilestones({kFirstFrame, kMapLoaded}, 30);
        player.Stop();
        const auto frame = seen.find(kFirstFrame);
        const auto map = seen.find(kMapLoaded);
        if (frame == seen.end() || map == seen.end()) {
            std::fprintf(stderr, "run %d: milestone missing; the player said:\n%s", i + 1,
                         player.errorText().c_str());
            return 2;
        }
        frames.push_back(frame->second);
        maps.push_back(map->second);
        std::printf("  run %d: first frame %.0f ms, map page loaded %.0f ms\n", i + 1,
                    frame->second, map->second);
    }
    const double frame = Median(frames);
    std::printf(
        "start-up, median of %d: first frame %.0f ms (target < 1000) %s, map page loaded %.0f ms\n",
        runs, frame, frame < 1000 ? "ok" : "MISSED", Median(maps));
    return 0;
}

// CPU seconds and wall seconds of mpv showing nothing for `seconds` of the film.
bool DecodeOnly(const std::string& film, double seconds, double& cpu, double& wall) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const std::string end = "--end=" + std::to_string(seconds);
        execlp("mpv", "mpv", "--no-config", "--vo=null", "--ao=null", "--really-quiet", end.c_str(),
               film.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    wall = SecondsSince(start);
    cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
          usage.ru_stime.tv_usec / 1e6;
    return true;
}

int Cpu(const std::string& binary, const std::string& film, double seconds,
        const std::string& dataHome) {
    Player player(binary, film, dataHome);
    if (!player.started()) return 2;
    const auto seen = player.WaitForMilestones({kFirstFrame}, 30);
    if (!seen.count(kFirstFrame)) {
        std::fprintf(stderr, "no first frame; the player said:\n%s", player.errorText().c_str());
        return 2;
    }
    const auto before = TreeCpu(player.pid());
    const auto start = Clock::now();
    player.Run(seconds);
    const auto after = TreeCpu(player.pid());
    const double wall = SecondsSince(start);
    player.Stop();

    std::printf("player tree over %.1f s of playback (from the first frame):\n", wall);
    for (const auto& [name, cpu] : after) {
        const auto old = before.find(name);
        std::printf("  %-24s %7.2f CPU s (%.2f before the first frame)\n", name.c_str(),
                    cpu - (old == before.end() ? 0 : old->second),
                    old == before.end() ? 0 : old->second);
    }
    const double playerCpu = Total(after) - Total(before);

    double mpvCpu = 0, mpvWall = 0;
    if (!DecodeOnly(film, seconds, mpvCpu, mpvWall)) {
        std::fprintf(stderr, "mpv decode-only run failed\n");
        return 2;
    }
    const double playerRate = playerCpu / wall;
    const double mpvRate = mpvCpu / mpvWall;
    const double ratio = playerRate / mpvRate;
    std::printf("player, all panes + helpers  %6.2f CPU s in %.1f s = %.3f CPU s/s\n", playerCpu,
                wall, playerRate);
    std::printf("mpv --vo=null --ao=null      %6.2f CPU s in %.1f s = %.3f CPU s/s\n", mpvCpu,
                mpvWall, mpvRate);
    std::printf("ratio %.2f (target <= 2.50) %s; with start-up: player %.2f CPU s in total\n",
                ratio, ratio <= 2.5 ? "ok" : "MISSED", Total(after));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s startup TESMIRA FILM [RUNS] | cpu TESMIRA FILM [SECONDS]\n",
                     argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    char folder[] = "/tmp/tesmira-bench-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    int result = 2;
    if (mode == "startup") {
        result = Startup(argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 7, folder);
    } else if (mode == "cpu") {
        result = Cpu(argv[2], argv[3], argc > 4 ? std::atof(argv[4]) : 60, folder);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}
