// AssetFile: what is refused before a read could block, run for ever or exhaust memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/AssetFile.h"
#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "support/CapturedStream.h"
#include "support/Fifo.h"
#include "support/ScratchDir.h"

namespace {

struct Hostile {
    const char* what;
    std::string path;
    const AssetKind* kind;
    std::string problem;
};

}  // namespace

TEST(AssetFile, RefusesWhatIsNotARegularFileOrIsOverItsBudget) {
    ScratchDir files;
    const std::string png = std::string(AssetKind::pngImage.signature);
    const std::vector<Hostile> cases = {
        {"directory", files.makeDirectory("d.vert"), &AssetKind::shader,
         "not a regular file (a directory)"},
        // NOTE: opening a FIFO for reading would wait for a writer: this case hangs if the
        // type is checked only after the open.
        {"FIFO", makeFifo(files, "f.json"), &AssetKind::meshDocument,
         "not a regular file (a FIFO)"},
        {"character device", files.makeSymlink("z.vert", "/dev/zero"), &AssetKind::shader,
         "not a regular file (a character device)"},
        {"symlink loop", files.makeSymlink("loop.json", files.path("loop.json")),
         &AssetKind::colliderDocument, "cannot open: Too many levels of symbolic links"},
        {"sparse file one byte over", files.makeSparse("big.json", (32 << 20) + 1),
         &AssetKind::meshDocument,
         "file too large: 33554433 bytes, over the 33554432-byte budget for a mesh document"},
        {"2 GB sparse shader", files.makeSparse("big.frag", std::uint64_t{2} << 30),
         &AssetKind::shader,
         "file too large: 2147483648 bytes, over the 1048576-byte budget for a shader"},
        {"BMP kind, PNG bytes", files.write("x.bmp", png + std::string(100, '\0')),
         &AssetKind::bmpImage, "not a BMP file"},
        {"PNG kind, BMP bytes", files.write("x.png", "BM" + std::string(100, '\0')),
         &AssetKind::pngImage, "not a PNG file"},
    };
    for (const Hostile& bad : cases) {
        AssetFile file;
        std::string problem;
        EXPECT_FALSE(file.read(bad.path, *bad.kind, problem)) << bad.what;
        EXPECT_EQ(problem, bad.problem) << bad.what;
        EXPECT_EQ(file.getSize(), 0u) << bad.what;
    }
}

TEST(AssetFile, ReadsFilesAtTheBudgetAndShorterThanTheSignature) {
    ScratchDir files;
    const std::vector<std::pair<std::string, const AssetKind*>> cases = {
        {files.makeSparse("edge.vert", AssetKind::shader.budget), &AssetKind::shader},
        {files.write("short.png", "\x89P"), &AssetKind::pngImage},  // the decoder says why
        {files.write("empty.bmp", ""), &AssetKind::bmpImage},
    };
    for (const auto& [path, kind] : cases) {
        AssetFile file;
        std::string problem;
        EXPECT_TRUE(file.read(path, *kind, problem)) << path << ": " << problem;
    }
}

TEST(AssetFile, ReadersNameTheFileAndKeepRunning) {
    ScratchDir files;
    const std::string fifo = makeFifo(files, "fifo.json");
    const std::string device = files.makeSymlink("zero.bin", "/dev/zero");
    Mesh mesh;
    Collider collider;
    CapturedStream err(2);
    EXPECT_FALSE(mesh.load(fifo));
    EXPECT_FALSE(mesh.load(device));
    EXPECT_FALSE(collider.load(fifo));
    EXPECT_EQ(err.finish(), fifo + ": not a regular file (a FIFO)\n" + device +
                                ": not a regular file (a character device)\n" + fifo +
                                ": not a regular file (a FIFO)\n");
}
