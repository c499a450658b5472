// Benchmark: loading generated mesh documents (with an animation) against reading their bytes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "assets/Mesh.h"
#include "support/ScratchDir.h"

namespace {

// One document per vertex count, written once into a private temporary directory.
class GeneratedDocuments {
public:
    const std::string& get(int vertexCount) {
        std::string& path = paths[vertexCount];
        if (path.empty()) {
            path = directory.path("mesh" + std::to_string(vertexCount) + ".json");
            write(path, vertexCount);
        }
        return path;
    }

private:
    // Vertices, uvs and colours as the exporter writes them (six significant digits), a
    // triangle strip of indices and one animation of two keyframes of the same size.
    static void write(const std::string& path, int vertexCount) {
        std::mt19937 random(12345);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        std::string text;
        char number[64];
        auto lists = [&](std::string& out) {
            const struct {
                const char* list;
                const char* names[3];
                int count;
            } kinds[3] = {{"vertices", {"x", "y", "z"}, 3},
                          {"uvs", {"u", "v", nullptr}, 2},
                          {"colors", {"r", "g", "b"}, 3}};
            for (const auto& kind : kinds) {
                out += std::string("\"") + kind.list + "\":[";
                for (int v = 0; v < vertexCount; ++v) {
                    out += v == 0 ? "{" : ",{";
                    for (int c = 0; c < kind.count; ++c) {
                        std::snprintf(number, sizeof number, "%s\"%s\":%.6g", c == 0 ? "" : ",",
                                      kind.names[c], static_cast<double>(unit(random)));
                        out += number;
                    }
                    out += "}";
                }
                out += "],";
            }
        };
        text += "{\"model\":{";
        lists(text);
        text += "\"indices\":[";
        for (int t = 0; t + 2 < vertexCount; ++t) {
            std::snprintf(number, sizeof number, "%s{\"a\":%d,\"b\":%d,\"c\":%d}",
                          t == 0 ? "" : ",", t, t + 1, t + 2);
            text += number;
        }
        text += "]},\"animations\":{\"wave\":[[";
        for (int key = 0; key < 2; ++key) {
            text += key == 0 ? "{\"startTime\":0," : ",{\"startTime\":1.5,";
            lists(text);
            text.back() = '}';
        }
        text += "]]}}\n";
        std::ofstream(path, std::ios::binary) << text;
    }

    ScratchDir directory{"volk-bench-mesh"};
    std::map<int, std::string> paths;
};

GeneratedDocuments documents;

void readFile(benchmark::State& state) {
    const std::string& path = documents.get(static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        // One sized read, the fastest plain way to get the bytes: the fair yardstick.
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["bytes"] = static_cast<double>(size);
}

void loadMesh(benchmark::State& state) {
    const std::string& path = documents.get(static_cast<int>(state.range(0)));
    const auto size = std::filesystem::file_size(path);
    for (auto _ : state) {
        Mesh mesh;
        if (!mesh.load(path) || mesh.getAnimation() == nullptr) {
            state.SkipWithError("the generated document did not load");
            break;
        }
        benchmark::DoNotOptimize(mesh.getVertices().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    // Peak resident memory of the whole process so far (Linux reports kilobytes): run one
    // size per process (--benchmark_filter) to read it for that size alone.
    struct rusage usage;
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
}

}  // namespace

BENCHMARK(readFile)->Arg(1000)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(loadMesh)->Arg(1000)->Arg(65536)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
