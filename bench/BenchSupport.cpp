#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zpk::bench {

namespace {

struct Recorded {
    std::string baselineName;
    double ratio = 0;
    double target = 0;
};

// Label -> the ratio of the last (the measured) call of that benchmark.
std::map<std::string, Recorded>& recorded()
{
    static std::map<std::string, Recorded> table;
    return table;
}

// Label -> a figure that is not a ratio.
std::map<std::string, std::string>& figures()
{
    static std::map<std::string, std::string> table;
    return table;
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1) return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(values.begin(), middle);
    return (lower + upper) / 2;
}

}  // namespace

void check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "bench: setup failed: %s\n", what);
    std::abort();
}

std::int64_t peakMemoryOf(std::vector<std::string> args, const std::string& input)
{
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // what it prints goes to a file of the benchmark's own, removed at once
    const std::string printed =
        (std::filesystem::temp_directory_path() / ("zpk-bench-" + std::to_string(::getpid()))).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!input.empty()) {
            const int in = ::open(input.c_str(), O_RDONLY);
            if (in < 0) ::_exit(127);
            ::dup2(in, 0);
        }
        const int out = ::open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out >= 0) ::dup2(out, 1);
        ::unlink(printed.c_str());
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: %s failed (%d)\n", args.front().c_str(), status);
        std::exit(1);
    }
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

TempFolder::TempFolder(const std::string& parent)
{
    const char* base = std::getenv("TMPDIR");
    const std::string folder = !parent.empty() ? parent : base != nullptr && *base != '\0' ? base : "/tmp";
    std::string pattern = folder + "/zpkbench.XXXXXX";
    check(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void writeFileOrDie(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    check(out.good(), "cannot write a benchmark file");
}

Bytes buildOrDie(const ContainerBuilder& builder)
{
    auto bytes = builder.build();
    if (!bytes) std::fprintf(stderr, "bench: %s\n", bytes.error().detail.c_str());
    check(bytes.has_value(), "the writer refused a benchmark image");
    return std::move(*bytes);
}

ContainerFile singleImageContainer(const WriterImage& image)
{
    auto file = parseContainer(buildOrDie(ContainerBuilder().entry(image)), "bench.zpk");
    check(file.has_value(), "a written container does not parse");
    return std::move(*file);
}

ContainerFile singleRawContainer(const Bytes& entry)
{
    auto file = parseContainer(buildOrDie(ContainerBuilder().rawEntry(entry)), "bench.zpk");
    check(file.has_value(), "a written container does not parse");
    return std::move(*file);
}

double PairedSamples::medianSubject() const { return median(m_subject); }
double PairedSamples::medianBaseline() const { return median(m_baseline); }

double PairedSamples::ratio() const
{
    const double s = medianSubject();
    return s > 0 ? medianBaseline() / s : 0;
}

void report(benchmark::State& state, const PairedSamples& samples, const std::string& label,
            const std::string& baselineName, double target, std::int64_t bytesPerIteration,
            std::int64_t pixelsPerIteration)
{
    const auto iterations = static_cast<double>(state.iterations());
    if (bytesPerIteration > 0)
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytesPerIteration);
    if (pixelsPerIteration > 0)
        state.counters["pixels/s"] = benchmark::Counter(iterations * static_cast<double>(pixelsPerIteration),
                                                        benchmark::Counter::kIsRate);
    state.counters["ratio"] = samples.ratio();
    state.counters["subject_ms"] = samples.medianSubject() * 1e3;
    state.counters["baseline_ms"] = samples.medianBaseline() * 1e3;
    if (bytesPerIteration > 0 && samples.medianBaseline() > 0)
        state.counters["baseline_B/s"] =
            benchmark::Counter(static_cast<double>(bytesPerIteration) / samples.medianBaseline(),
                               benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    recorded()[label] = {baselineName, samples.ratio(), target};
}

void recordFigure(const std::string& label, const std::string& text) { figures()[label] = text; }

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    if (!(in >> one >> five >> fifteen)) return {};
    return one + " " + five + " " + fifteen;
}

int runAndSummarise(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string startTime = utcNow();
    const std::string startLoad = loadAverage();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (recorded().empty() && figures().empty()) return 0;
    // a figure taken on a busy machine is not comparable with one taken on
    // an idle one: say which it was
    std::printf("\nSummary: %s to %s, load average (1, 5, 15 min) %s at the start, %s at the end\n",
                startTime.c_str(), utcNow().c_str(), startLoad.c_str(), loadAverage().c_str());
    if (!recorded().empty())
        std::printf("ratio = median baseline time / median subject time, both measured in this process:\n");
    for (const auto& [label, r] : recorded()) {
        char verdict[48];
        if (r.target > 0)
            std::snprintf(verdict, sizeof verdict, "target >= %g: %s", r.target,
                          r.ratio >= r.target ? "met" : "NOT MET");
        else std::snprintf(verdict, sizeof verdict, "(no target)");
        std::printf("  %-48s %9.3f x  %-22s vs %s\n", label.c_str(), r.ratio, verdict,
                    r.baselineName.c_str());
    }
    for (const auto& [label, text] : figures()) std::printf("  %-48s %s\n", label.c_str(), text.c_str());
    std::fflush(stdout);
    return 0;
}

ChildRun runChild(const std::vector<std::string>& args)
{
    // each word in single quotes for the shell that popen starts
    std::string command;
    const auto word = [&command](const std::string& w) {
        check(w.find('\'') == std::string::npos, "a quote in an argument");
        command.append(command.empty() ? "'" : " '").append(w).append("'");
    };
    for (const std::string& w : {std::string(ZPK_BIN_DIR "/run-measured"), std::string("--runs"),
                                 std::string("1"), std::string("--")})
        word(w);
    for (const std::string& a : args) word(a);
    FILE* pipe = ::popen(command.c_str(), "r");
    check(pipe != nullptr, "popen");
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    const int status = ::pclose(pipe);
    if (status != 0) std::fprintf(stderr, "bench: %s\n%s", command.c_str(), text.c_str());
    check(status == 0, "the measured program succeeds");

    // the last line: "median wall_ms=W cpu_ms=C peak_kib=P"
    const std::size_t last = text.rfind("median ");
    check(last != std::string::npos, "run-measured's figures");
    double wallMs = 0;
    double cpuMs = 0;
    long peakKib = 0;
    check(std::sscanf(text.c_str() + last, "median wall_ms=%lf cpu_ms=%lf peak_kib=%ld", &wallMs, &cpuMs,
                      &peakKib) == 3,
          "run-measured's figures");
    return {wallMs / 1e3, cpuMs / 1e3, static_cast<std::int64_t>(peakKib) * 1024};
}

PngFolder pngsIn(const std::string& folder)
{
    PngFolder out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".png") continue;
        ++out.files;
        out.bytes += static_cast<std::int64_t>(entry.file_size());
        std::ifstream in(entry.path(), std::ios::binary);
        char head[26] = {};
        in.read(head, sizeof head);  // signature 8, IHDR length and type 8, width 4, height 4, depth 1
        if (head[25] == 3) ++out.palette;
        if (head[25] == 6) ++out.rgba;
    }
    return out;
}

}  // namespace zpk::bench
