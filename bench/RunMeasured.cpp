// run-measured [--runs N] [--first-paint] [--timeout SECONDS] -- PROGRAM [ARGS...]
//
// Runs PROGRAM N times (1 unless told), one run after the other, and prints
// per run its wall time, CPU time (user + system) and peak resident set,
// from fork to its end, as wait4 reports them; then the medians.
//
// With --first-paint the program is started with ZPKVIEW_REPORT_FIRST_PAINT=1
// and its standard output on a pipe: the viewer (and bench/EmptyWindow)
// then print "first-paint NANOSECONDS" (std::chrono::steady_clock, which is
// CLOCK_MONOTONIC and so comparable between processes) once their first
// image is painted and flushed, and quit. The time from the fork to that
// line is the start-up time; the peak resident set is the process's peak up
// to then (it quits at once).
//
// The program is started from this small process rather than from the one
// that wants the figures: a child inherits the resident pages of the
// process it was forked from into its peak, so a benchmark holding hundreds
// of megabytes would see them in every child it measured directly.
//
// The output is one line per run and a last line, "median ...", each a list
// of key=value fields (wall_ms, cpu_ms, peak_kib, and first_paint_ms with
// --first-paint), for people and for programs that read it. Exits with 1
// when a run fails, times out, or (with --first-paint) never reports.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    long peakKib = 0;
    std::optional<double> firstPaintMs;
};

double milliseconds(const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; }

// The nanoseconds of the first "first-paint N" line in `text`, if any.
std::optional<long long> firstPaintIn(const std::string& text)
{
    const std::string key = "first-paint ";
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n') {
            const std::size_t end = text.find('\n', at);
            if (end == std::string::npos) return std::nullopt;  // not all of the line yet
            return std::atoll(text.c_str() + at + key.size());
        }
        at += key.size();
    }
    return std::nullopt;
}

std::optional<Run> runOnce(std::vector<char*>& argv, bool firstPaint, double timeoutSeconds)
{
    int out[2] = {-1, -1};
    if (firstPaint && ::pipe(out) != 0) return std::nullopt;
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        if (firstPaint) {
            ::setenv("ZPKVIEW_REPORT_FIRST_PAINT", "1", 1);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
        }
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "run-measured: cannot start %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }

    Run run;
    bool timedOut = false;
    const auto deadline =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    if (firstPaint) {
        // read what the program prints until its end; the report is in there
        ::close(out[1]);
        std::string text;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                timedOut = true;
                break;
            }
            pollfd p{out[0], POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(out[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            text.append(buffer, static_cast<std::size_t>(got));
            if (!run.firstPaintMs) {
                if (const auto at = firstPaintIn(text)) {
                    const long long started =
                        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch())
                            .count();
                    run.firstPaintMs = static_cast<double>(*at - started) / 1e6;
                }
            }
        }
        ::close(out[0]);
    }

    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &status, timedOut ? 0 : WNOHANG, &usage);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return std::nullopt;
        if (!timedOut && Clock::now() >= deadline) {
            timedOut = true;
            ::kill(pid, SIGKILL);  // our own child, by its id
            continue;
        }
        if (!timedOut) ::usleep(1000);
    }
    const Clock::time_point stop = Clock::now();
    if (timedOut) {
        std::fprintf(stderr, "run-measured: %s did not finish within %.0f s\n", argv[0], timeoutSeconds);
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "run-measured: %s ended with status %d\n", argv[0], status);
        return std::nullopt;
    }
    if (firstPaint && !run.firstPaintMs) {
        std::fprintf(stderr, "run-measured: %s never reported its first paint\n", argv[0]);
        return std::nullopt;
    }
    run.wallMs = std::chrono::duration<double, std::milli>(stop - start).count();
    run.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    run.peakKib = usage.ru_maxrss;  // in KiB on Linux
    return run;
}

void print(const char* head, const Run& run)
{
    std::printf("%s wall_ms=%.1f cpu_ms=%.1f peak_kib=%ld", head, run.wallMs, run.cpuMs, run.peakKib);
    if (run.firstPaintMs) std::printf(" first_paint_ms=%.1f", *run.firstPaintMs);
    std::printf("\n");
    std::fflush(stdout);
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: run-measured [--runs N] [--first-paint] [--timeout SECONDS] -- PROGRAM [ARGS...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 1;
    bool firstPaint = false;
    double timeoutSeconds = 60;
    int at = 1;
    for (; at < argc; ++at) {
        const std::string arg = argv[at];
        if (arg == "--") {
            ++at;
            break;
        }
        if (arg == "--runs" && at + 1 < argc) {
            runs = std::atoi(argv[++at]);
        } else if (arg == "--timeout" && at + 1 < argc) {
            timeoutSeconds = std::atof(argv[++at]);
        } else if (arg == "--first-paint") {
            firstPaint = true;
        } else {
            return usage();
        }
    }
    if (at >= argc || runs < 1 || timeoutSeconds <= 0) return usage();
    std::vector<char*> program(argv + at, argv + argc);
    program.push_back(nullptr);

    std::vector<Run> done;
    for (int k = 1; k <= runs; ++k) {
        const auto run = runOnce(program, firstPaint, timeoutSeconds);
        if (!run) return 1;
        print(("run " + std::to_string(k) + ":").c_str(), *run);
        done.push_back(*run);
    }
    Run middle;
    std::vector<double> wall, cpu, paint;
    std::vector<long> peak;
    for (const Run& r : done) {
        wall.push_back(r.wallMs);
        cpu.push_back(r.cpuMs);
        peak.push_back(r.peakKib);
        if (r.firstPaintMs) paint.push_back(*r.firstPaintMs);
    }
    middle.wallMs = median(wall);
    middle.cpuMs = median(cpu);
    middle.peakKib = median(peak);
    if (!paint.empty()) middle.firstPaintMs = median(paint);
    print("median", middle);
    return 0;
}
