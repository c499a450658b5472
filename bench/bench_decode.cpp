// Benchmark: decoding a 1024 x 1024 BMP and PNG from memory and from file, beside the time
// it takes only to read the file.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "render/BmpDecoder.h"
#include "render/PngDecoder.h"
#include "render/Texture.h"
#include "support/ScratchDir.h"

namespace {

constexpr int side = 1024;
using Bytes = std::vector<std::uint8_t>;

// A picture with smooth gradients and some noise, so the PNG compresses like a real texture.
std::uint8_t sample(int x, int y, int channel) {
    // A hash of the sample's place: 4 bits of noise that no PNG filter can predict.
    std::uint32_t h = static_cast<std::uint32_t>((y * side + x) * 4 + channel) * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    const unsigned noise = h & 0x0f;
    return static_cast<std::uint8_t>((x * (channel + 1) + y * (3 - channel)) / 8 + noise);
}

Bytes makeBmp() {
    const std::size_t stride = side * 3;
    Bytes out(54 + stride * side, 0);
    auto put32 = [&out](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, side);
    put32(22, side);
    out[26] = 1;
    out[28] = 24;
    put32(34, static_cast<std::uint32_t>(stride * side));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            for (int c = 0; c < 3; ++c) {
                out[54 + y * stride + x * 3 + c] = sample(x, y, c);
            }
        }
    }
    return out;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes makePng() {
    Bytes rows(static_cast<std::size_t>(side) * side * 4);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            for (int c = 0; c < 4; ++c) {
                rows[(static_cast<std::size_t>(y) * side + x) * 4 + c] =
                    c == 3 ? 255 : sample(x, y, c);
            }
        }
    }
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::abort();
    }
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < side; ++y) {
        png_write_row(png, rows.data() + static_cast<std::size_t>(y) * side * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The two files, written once into a scratch directory that lives for the run.
struct Files {
    Bytes bmp = makeBmp();
    Bytes png = makePng();
    ScratchDir dir{"volk-bench"};
    std::string bmpPath = dir.write("picture.bmp", std::string(bmp.begin(), bmp.end()));
    std::string pngPath = dir.write("picture.png", std::string(png.begin(), png.end()));
};

Files& files() {
    static Files instance;
    return instance;
}

// The same single read of the whole file that Texture::load does.
Bytes readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void BM_ReadFile(benchmark::State& state, bool bmp) {
    const std::string& path = bmp ? files().bmpPath : files().pngPath;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWhole(path));
    }
    state.SetBytesProcessed(
        state.iterations() *
        static_cast<std::int64_t>(bmp ? files().bmp.size() : files().png.size()));
}

void BM_DecodeMemory(benchmark::State& state, Image (*decode)(const std::uint8_t*, std::size_t),
                     bool bmp) {
    const Bytes& bytes = bmp ? files().bmp : files().png;
    for (auto _ : state) {
        Image image = decode(bytes.data(), bytes.size());
        if (!image.isValid()) {
            state.SkipWithError(image.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_TextureLoad(benchmark::State& state, bool bmp) {
    const std::string& path = bmp ? files().bmpPath : files().pngPath;
    for (auto _ : state) {
        Texture texture;
        if (!texture.load(path)) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(texture.getPixels().data());
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}

}  // namespace

BENCHMARK_CAPTURE(BM_ReadFile, bmp, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeMemory, bmp_bgr, decodeBmp, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeMemory, bmp_to_bgra, decodeBmpToBgra, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextureLoad, bmp_file, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadFile, png, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeMemory, png_rgba, decodePng, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextureLoad, png_file, false)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
