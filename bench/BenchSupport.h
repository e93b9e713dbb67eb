// Shared pieces of the benchmark programs: containers built and parsed from
// the image builder's images, paired timing of a subject against its
// baseline, and the summary of ratios printed after the run.
//
// Every figure that carries a target is a ratio measured in one process:
// each iteration times the subject and its baseline back to back (in
// alternating order), and the ratio is median(baseline) / median(subject),
// so that 1.0 means "as fast as the baseline" and a slow moment of a busy
// machine hits both sides alike.
#pragma once

#include "container/Container.h"
#include "container/ContainerWriter.h"
#include "state/ViewerState.h"
#include "support/ImageBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zpk::bench {

using namespace zpk::testing;

// The largest image the grid stores: 4000 x 4000 pixels, 16,000,000 bytes
// of decoded output.
constexpr int kSide = 4000;

// A container holding one image and nothing else; aborts on a writer error
// (a bug of the benchmark, not a measurement).
ContainerFile singleImageContainer(const WriterImage& image);
ContainerFile singleRawContainer(const Bytes& entry);
Bytes buildOrDie(const ContainerBuilder& builder);

// Aborts with a message unless `ok`.
void check(bool ok, const char* what);

// A folder of its own under $TMPDIR (or /tmp) for files a benchmark writes;
// removed with everything in it when the object goes.
class TempFolder {
public:
    // Made under `parent`; empty: $TMPDIR, or /tmp.
    explicit TempFolder(const std::string& parent = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes `bytes` to `path`; aborts on failure.
void writeFileOrDie(const std::string& path, const Bytes& bytes);

// Runs the program `args[0]` with the arguments behind it, standard input
// from the file `input` (empty: inherited) and standard output into a file
// of its own, and returns its peak resident set in bytes (from wait4);
// aborts unless it exits with 0.
std::int64_t peakMemoryOf(std::vector<std::string> args, const std::string& input = {});

// What a program run as a child (runChild) took.
struct ChildRun {
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user and system
    std::int64_t peakBytes = 0;
};

// Runs `args` (args[0] a path) once through build/bin/run-measured, which
// starts it from a small process of its own (a child forked from this one
// would count this process's pages in its peak), and reads back what
// wait4 told it. Aborts unless the program exits with 0.
ChildRun runChild(const std::vector<std::string>& args);

// What a folder of PNGs holds: their count and bytes, and how many are
// palette images (IHDR colour type 3) and RGBA (colour type 6).
struct PngFolder {
    int files = 0;
    int palette = 0;
    int rgba = 0;
    std::int64_t bytes = 0;
};
PngFolder pngsIn(const std::string& folder);

template <typename T>
T medianOf(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Wall-clock time of one call, in seconds.
template <typename F>
double timeOnce(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(stop - start).count();
}

// Times of a subject and its baseline, one of each per iteration.
class PairedSamples {
public:
    // Runs both once, the baseline first on every other call, and reports
    // the subject's time to the benchmark (which uses manual time).
    template <typename Subject, typename Baseline>
    void run(benchmark::State& state, Subject&& subject, Baseline&& baseline)
    {
        runSettled(
            state, [] {}, subject, baseline);
    }

    // The same, with `settle` called, untimed, before each of the two timed
    // calls: for work that leaves something behind that belongs to neither
    // side (events a click posted, which the baseline's event pumping would
    // otherwise handle on its clock).
    template <typename Settle, typename Subject, typename Baseline>
    void runSettled(benchmark::State& state, Settle&& settle, Subject&& subject, Baseline&& baseline)
    {
        double s = 0;
        double b = 0;
        if (m_subject.size() % 2 == 0) {
            settle();
            s = timeOnce(subject);
            settle();
            b = timeOnce(baseline);
        } else {
            settle();
            b = timeOnce(baseline);
            settle();
            s = timeOnce(subject);
        }
        add(state, s, b);
    }

    // Records one pair of calls timed elsewhere (by another process, say),
    // in seconds, and reports the subject's time to the benchmark.
    void add(benchmark::State& state, double subjectSeconds, double baselineSeconds)
    {
        subjectSeconds /= m_subjectUnits;
        baselineSeconds /= m_baselineUnits;
        m_subject.push_back(subjectSeconds);
        m_baseline.push_back(baselineSeconds);
        state.SetIterationTime(subjectSeconds);
    }

    // Calls timed so far.
    std::size_t size() const { return m_subject.size(); }

    // How many units of work (draws, renders) one call of the subject and
    // of the baseline does; 1 each unless set. Times are kept per unit, so
    // that a fast subject can repeat its work many times per sample (timer
    // resolution and the cost of reading the clock stop mattering) and the
    // ratio still compares one unit with one. The benchmark's iteration
    // time, and so its bytes and pixels per iteration, are per unit too;
    // such a benchmark fixes its iteration count (->Iterations(n)), since a
    // MinTime would count only one unit of each sample.
    void setUnits(int subjectUnits, int baselineUnits)
    {
        m_subjectUnits = subjectUnits > 0 ? subjectUnits : 1;
        m_baselineUnits = baselineUnits > 0 ? baselineUnits : 1;
    }

    double medianSubject() const;
    double medianBaseline() const;
    // median(baseline) / median(subject): the subject's speed as a fraction
    // of the baseline's.
    double ratio() const;

private:
    std::vector<double> m_subject;
    std::vector<double> m_baseline;
    int m_subjectUnits = 1;
    int m_baselineUnits = 1;
};

// Sets the counters of a paired benchmark: ratio, bytes/s and pixels/s of
// the subject, bytes/s of the baseline, and the medians in milliseconds;
// and records the ratio for the summary. `baselineName` says what the
// baseline does, in a few words, since a ratio means nothing without it.
// A target of 0 means "no target, for information".
void report(benchmark::State& state, const PairedSamples& samples, const std::string& label,
            const std::string& baselineName, double target, std::int64_t bytesPerIteration,
            std::int64_t pixelsPerIteration);

// Records a figure that is not a ratio (a whole process's time and peak
// memory, say) for the summary, under `label`, as `text`.
void recordFigure(const std::string& label, const std::string& text);

// The system's load average over 1, 5 and 15 minutes, as /proc/loadavg
// tells it ("0.12 0.30 0.41"); empty when it cannot be read.
std::string loadAverage();

// Initialises Google Benchmark, runs the selected benchmarks and prints one
// summary line per recorded ratio and figure, under the time (UTC) and the
// load average at the start and at the end of the run. The body of each
// program's main().
int runAndSummarise(int argc, char** argv);

}  // namespace zpk::bench
