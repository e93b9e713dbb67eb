// Helpers for the tool's tests: a scratch folder, running the built `zpk`,
// reading PNGs back.
#pragma once

#include "support/ImageBuilder.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zpk::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the test.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "zpk-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

    // The names of the entries of the folder.
    std::set<std::string> names() const
    {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(m_path)) out.insert(entry.path().filename().string());
        return out;
    }

private:
    fs::path m_path;
};

// The regular files under `root`, as paths relative to it ("out/a/000.png").
inline std::set<std::string> filesUnder(const fs::path& root)
{
    std::set<std::string> out;
    if (!fs::exists(root)) return out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) out.insert(fs::relative(entry.path(), root).string());
    }
    return out;
}

inline std::vector<std::uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// The lines of `text`, without their line ends.
inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Every container the tests have on file: the bundled sample, the malformed
// fixtures and the container fuzz seeds.
inline std::vector<fs::path> testContainers()
{
    std::vector<fs::path> files{fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk"};
    for (const char* folder : {"tests/fixtures/malformed", "fuzz/corpus/fuzz_container"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(ZPK_SOURCE_DIR) / folder))
            if (entry.is_regular_file() && entry.path().filename() != "MANIFEST")
                files.push_back(entry.path());
    }
    return files;
}

struct RunResult {
    int status = -1;  // the exit status, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Where a run of the tool reads and writes: standard input from a file (or
// whatever node it names), standard output to one, and a file-size limit.
struct Redirects {
    std::string in;   // empty: inherited
    std::string out;  // empty: a file of our own, read back into RunResult::out
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

// Starts the built tool with `args` in the folder `cwd`, standard output to
// `outPath` and standard error to `errPath`; the pid, or -1.
inline pid_t spawnZpk(const std::vector<std::string>& args, const fs::path& cwd, const Redirects& how,
                      const std::string& outPath, const std::string& errPath)
{
    std::vector<std::string> argvStrings{ZPK_BINARY};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argvStrings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const std::string dir = cwd.string();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // the child: only async-signal-safe calls from here on
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    if (!how.in.empty()) {
        const int in = ::open(how.in.c_str(), O_RDONLY);
        if (in < 0) ::_exit(127);
        ::dup2(in, 0);
        ::close(in);
    }
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::close(out);
    ::close(err);
    if (how.fileSizeLimit != RLIM_INFINITY) {
        const rlimit limit{how.fileSizeLimit, how.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Runs the built tool with `args` in the folder `cwd`, capturing its output.
inline RunResult runZpk(const std::vector<std::string>& args, const fs::path& cwd, const Redirects& how = {})
{
    const std::string outPath = how.out.empty() ? (cwd / ".zpk-stdout").string() : how.out;
    const std::string errPath = (cwd / ".zpk-stderr").string();
    RunResult result;
    const pid_t pid = spawnZpk(args, cwd, how, outPath, errPath);
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return result;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            ADD_FAILURE() << "waitpid failed";
            return result;
        }
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (how.out.empty()) {
        result.out = readText(outPath);
        fs::remove(outPath);
    }
    result.err = readText(errPath);
    fs::remove(errPath);
    return result;
}

struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    std::vector<std::uint8_t> rgba;  // width x height x 4

    // Red, green, blue, alpha of pixel (x, y), from 0, packed as 0xRRGGBBAA
    // so that a failure prints one readable number.
    std::uint32_t px(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint8_t* p = rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
        return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
               static_cast<std::uint32_t>(p[2]) << 8 | p[3];
    }
};

// Decodes PNG bytes to 8-bit RGBA with libspng, transparency chunk applied
// as a viewer shows it; fails the test on an error.
inline DecodedPng decodePng(const std::vector<std::uint8_t>& png)
{
    DecodedPng out;
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), &spng_ctx_free);
    EXPECT_NE(ctx, nullptr);
    if (!ctx) return out;
    int ret = spng_set_png_buffer(ctx.get(), png.data(), png.size());
    spng_ihdr ihdr{};
    if (ret == 0) ret = spng_get_ihdr(ctx.get(), &ihdr);
    std::size_t size = 0;
    if (ret == 0) ret = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size);
    if (ret == 0) {
        out.rgba.resize(size);
        ret = spng_decode_image(ctx.get(), out.rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    }
    EXPECT_EQ(ret, 0) << spng_strerror(ret);
    out.width = ihdr.width;
    out.height = ihdr.height;
    out.bitDepth = ihdr.bit_depth;
    out.colourType = ihdr.color_type;
    return out;
}

// Packs an expected pixel like DecodedPng::px.
constexpr std::uint32_t rgba(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a = 255)
{
    return r << 24 | g << 16 | b << 8 | a;
}

}  // namespace zpk::testing
