// The page's decode against the viewer's: row 0 of a 4000 x 4000 container
// decoded by the WebAssembly module (zpk_decode in zpk.wasm, run by Node.js
// through bench/web/decode-server.mjs) and by decodeEntry in this process,
// both from the same file's bytes onto a fresh palette, allocation
// included. Target: the module within 2 x of native code (ratio >= 0.5).
// The module's calls are timed inside Node.js, one call per sample, so the
// pipe between the two processes is not counted; the samples alternate.
//   literal   random pixel values, nearly all literals
//   runs      run codes of length 65535 only
//   sprite    sprites on a transparent background
#include "BenchSupport.h"

#include "decode/Decoder.h"

#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zpk::bench {
namespace {

// decode-server.mjs on one container: a line written asks for one decode,
// a line read back is its time in milliseconds.
class NodeDecoder {
public:
    explicit NodeDecoder(const std::string& container)
    {
        int toChild[2];
        int fromChild[2];
        check(pipe(toChild) == 0 && pipe(fromChild) == 0, "pipes to node");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        std::string node = "node";
        std::string script = ZPK_WEB_DECODE_SERVER;
        std::string module = ZPK_WEB_MODULE;
        std::string file = container;
        char* argv[] = {node.data(), script.data(), module.data(), file.data(), nullptr};
        check(posix_spawnp(&m_pid, "node", &actions, nullptr, argv, environ) == 0,
              "node could not be started (scripts/install-deps test)");
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        m_in = fdopen(toChild[1], "w");
        m_out = fdopen(fromChild[0], "r");
        int width = 0;
        int height = 0;
        check(std::fscanf(m_out, "%d %d", &width, &height) == 2 && width == kSide && height == kSide,
              "the module decodes the container to 4000 x 4000 (make build builds build/web/)");
    }
    ~NodeDecoder()
    {
        std::fclose(m_in);
        std::fclose(m_out);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    NodeDecoder(const NodeDecoder&) = delete;
    NodeDecoder& operator=(const NodeDecoder&) = delete;

    // One decode in the module: its time in seconds.
    double decode()
    {
        std::fputs("decode\n", m_in);
        std::fflush(m_in);
        double milliseconds = 0;
        check(std::fscanf(m_out, "%lf", &milliseconds) == 1, "node answers with a time");
        return milliseconds / 1e3;
    }

private:
    pid_t m_pid = 0;
    std::FILE* m_in = nullptr;
    std::FILE* m_out = nullptr;
};

void runWebDecode(benchmark::State& state, const Bytes& containerBytes, const std::string& label)
{
    TempFolder folder;
    const std::string path = folder.file("entry.zpk");
    writeFileOrDie(path, containerBytes);
    auto file = parseContainer(containerBytes, path);
    check(file.has_value(), "a written container does not parse");
    NodeDecoder node(path);  // it decodes a few times untimed first
    for (int i = 0; i < 3; ++i) {
        Palette palette{};
        benchmark::DoNotOptimize(decodeEntry(*file, 0, palette).pixels.data());
    }

    PairedSamples samples;
    for (auto _ : state) {
        double wasm = 0;
        double native = 0;
        const auto nativeDecode = [&] {
            native = timeOnce([&] {
                Palette palette{};
                DecodedImage image = decodeEntry(*file, 0, palette);
                benchmark::DoNotOptimize(image.pixels.data());
                benchmark::ClobberMemory();
            });
        };
        if (samples.size() % 2 == 0) {
            wasm = node.decode();
            nativeDecode();
        } else {
            nativeDecode();
            wasm = node.decode();
        }
        samples.add(state, wasm, native);
    }
    const std::int64_t pixels = static_cast<std::int64_t>(kSide) * kSide;
    report(state, samples, label, "decodeEntry, native, of the same bytes", 0.5, pixels, pixels);
}

void BM_WebDecodeLiteral(benchmark::State& state)
{
    runWebDecode(state, buildOrDie(ContainerBuilder().entry(randomImage(kSide, kSide, 1))),
                 "wasm decode 4000x4000 literal-heavy");
}
void BM_WebDecodeRuns(benchmark::State& state)
{
    runWebDecode(state, buildOrDie(ContainerBuilder().rawEntry(maximalRunsEntry(kSide, kSide))),
                 "wasm decode 4000x4000 maximal runs");
}
void BM_WebDecodeSprite(benchmark::State& state)
{
    runWebDecode(state, buildOrDie(ContainerBuilder().entry(spriteSheetImage(kSide, kSide, 2))),
                 "wasm decode 4000x4000 sprite mix");
}

// a fixed count, so that each case is built and node started once
BENCHMARK(BM_WebDecodeLiteral)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(41);
BENCHMARK(BM_WebDecodeRuns)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(41);
BENCHMARK(BM_WebDecodeSprite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(41);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }
