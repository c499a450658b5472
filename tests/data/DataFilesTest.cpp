// Tests of the files under data/: they are the files the asset manifest names, load through
// the game's readers, fit the level's layout, and are exactly what tools/generate_data.py
// writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "assets/MeshAnimation.h"
#include "game/AssetManifest.h"
#include "render/Texture.h"
#include "support/CapturedStream.h"
#include "support/ScratchDir.h"

namespace fs = std::filesystem;
using AssetManifest::pathOf;

namespace {

// Every file the manifest names, relative to data/, sorted; a shader is its two sources.
std::vector<std::string> manifestFiles() {
    std::vector<std::string> files;
    auto add = [&files](const std::string& path) {
        files.push_back(fs::path(path).lexically_relative("data").string());
    };
    for (const TextureAsset& asset : AssetManifest::textures) add(asset.path);
    for (const MeshAsset& asset : AssetManifest::meshes) add(asset.path);
    for (const ColliderAsset& asset : AssetManifest::colliders) add(asset.path);
    for (const ShaderAsset& asset : AssetManifest::shaders) {
        add(std::string(asset.name) + ".vert");
        add(std::string(asset.name) + ".frag");
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The regular files below dir, relative to it, sorted.
std::vector<std::string> filesUnder(const fs::path& dir) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.push_back(fs::relative(entry.path(), dir).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The names of want that have is missing, one a line ("" when none): a failure lists what is
// extra or missing rather than two long lists to compare by eye.
std::string missingFrom(const std::vector<std::string>& want,
                        const std::vector<std::string>& have) {
    std::string names;
    for (const std::string& name : want) {
        if (!std::binary_search(have.begin(), have.end(), name)) {
            names += name + "\n";
        }
    }
    return names;
}

// Loads a mesh or a texture and fails the test on any message from the reader.
template <typename Asset>
void loadQuietly(Asset& asset, const std::string& path) {
    CapturedStream out(1);
    CapturedStream err(2);
    const bool ok = asset.load(path);
    EXPECT_EQ(out.finish(), "") << path;
    EXPECT_EQ(err.finish(), "") << path;
    EXPECT_TRUE(ok) << path;
}

struct Box {
    float min[3] = {1e9f, 1e9f, 1e9f};
    float max[3] = {-1e9f, -1e9f, -1e9f};
};

Box boundsOf(const std::vector<float>& xyz) {
    Box box;
    for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            box.min[k] = std::fmin(box.min[k], xyz[i + k]);
            box.max[k] = std::fmax(box.max[k], xyz[i + k]);
        }
    }
    return box;
}

std::array<double, 3> corner(const Mesh& mesh, std::uint16_t index) {
    const auto& v = mesh.getVertices();
    return {v[3u * index], v[3u * index + 1], v[3u * index + 2]};
}

double signedVolume(const Mesh& mesh) {
    const auto& idx = mesh.getIndices();
    double volume = 0.0;
    for (std::size_t t = 0; t + 2 < idx.size(); t += 3) {
        const auto a = corner(mesh, idx[t]);
        const auto b = corner(mesh, idx[t + 1]);
        const auto c = corner(mesh, idx[t + 2]);
        volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                   a[2] * (b[0] * c[1] - b[1] * c[0])) /
                  6.0;
    }
    return volume;
}

// Each directed edge, by corner positions (faces keep their own vertices), must be matched by
// the same edge run the other way: the surface is closed and consistently wound.
int unmatchedEdges(const Mesh& mesh) {
    auto key = [](const std::array<double, 3>& p) {
        return std::to_string(std::lround(p[0] * 1e4)) + "," +
               std::to_string(std::lround(p[1] * 1e4)) + "," +
               std::to_string(std::lround(p[2] * 1e4));
    };
    std::map<std::string, int> edges;
    const auto& idx = mesh.getIndices();
    for (std::size_t t = 0; t + 2 < idx.size(); t += 3) {
        for (int e = 0; e < 3; ++e) {
            const std::string from = key(corner(mesh, idx[t + e]));
            const std::string to = key(corner(mesh, idx[t + (e + 1) % 3]));
            edges[from + ">" + to] += 1;
            edges[to + ">" + from] -= 1;
        }
    }
    int unmatched = 0;
    for (const auto& [edge, count] : edges) {
        unmatched += std::abs(count);
    }
    return unmatched / 2;
}

std::vector<char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

// With the generator test below: every file the game reads is one the generator writes, and
// the other way round; and no file is read twice.
TEST(DataManifest, NamesEveryFileUnderDataOnce) {
    const std::vector<std::string> named = manifestFiles();
    const std::vector<std::string> present = filesUnder("data");
    EXPECT_EQ(missingFrom(named, present), "") << "named in src/game/AssetManifest.h, not in data/";
    EXPECT_EQ(missingFrom(present, named), "") << "in data/, not named in src/game/AssetManifest.h";
    EXPECT_EQ(std::adjacent_find(named.begin(), named.end()), named.end()) << "a file named twice";
}

TEST(DataTextures, EveryTextureDecodesQuietlyWithPowerOfTwoSides) {
    for (const TextureAsset& asset : AssetManifest::textures) {
        const char* path = asset.path;
        Texture texture;
        loadQuietly(texture, path);
        EXPECT_TRUE(isPowerOfTwo(texture.getWidth())) << path;
        EXPECT_TRUE(isPowerOfTwo(texture.getHeight())) << path;
        EXPECT_TRUE(texture.hasPixels()) << path;
    }
    Texture white;
    ASSERT_TRUE(white.load(pathOf<&GameAssets::whiteTexture>));
    ASSERT_EQ(white.getWidth(), 1);
    ASSERT_EQ(white.getHeight(), 1);
    EXPECT_EQ(white.getPixels()[0], 255);
    EXPECT_EQ(white.getPixels()[1], 255);
    EXPECT_EQ(white.getPixels()[2], 255);

    Texture road;
    ASSERT_TRUE(road.load(pathOf<&GameAssets::roadTexture>));
    EXPECT_EQ(road.getPixels().size(),
              static_cast<std::size_t>(road.getWidth()) * road.getHeight() * 4);
}

// Pictures that the level repeats across neighbouring cells must meet without a seam: the
// left and right columns (and top and bottom rows) differ no more than neighbouring texels
// inside the picture typically do.
TEST(DataTextures, RepeatedPicturesTileWithoutSeams) {
    for (const char* path : {pathOf<&GameAssets::grassTexture>, pathOf<&GameAssets::starsTexture>,
                             pathOf<&GameAssets::wallTexture>}) {
        Texture texture;
        ASSERT_TRUE(texture.load(path));
        const int w = texture.getWidth();
        const int h = texture.getHeight();
        const auto& p = texture.getPixels();
        const std::size_t row = (std::size_t{3} * w + 3) / 4 * 4;
        auto at = [&](int x, int y, int c) { return int{p[row * y + 3u * x + c]}; };
        long seam = 0;
        long inside = 0;
        for (int y = 0; y < h; ++y) {
            for (int c = 0; c < 3; ++c) {
                seam += std::abs(at(w - 1, y, c) - at(0, y, c));
                inside += std::abs(at(w / 2 - 1, y, c) - at(w / 2, y, c));
            }
        }
        EXPECT_LE(seam, inside * 2 + 3 * h) << path;
    }
}

TEST(DataFont, PrintableCellsHoldGlyphsAndOtherCellsStayBlack) {
    Texture font;
    ASSERT_TRUE(font.load(pathOf<&GameAssets::fontTexture>));
    ASSERT_EQ(font.getFormat(), static_cast<GLenum>(GL_BGRA));
    const int size = font.getWidth();
    ASSERT_EQ(size, font.getHeight());
    ASSERT_EQ(size * 3 % 4, 0) << "the font decoder does not skip row padding";
    const int cell = size / 16;
    const auto& pixels = font.getPixels();
    for (int code = 0; code < 256; ++code) {
        const int column = code % 16;
        const int rowFromTop = code / 16;
        int lit = 0;
        int grey = 0;
        for (int y = 0; y < cell; ++y) {
            // Pixels are stored bottom row first.
            const int storedRow = size - 1 - (rowFromTop * cell + y);
            for (int x = 0; x < cell; ++x) {
                const std::size_t at = (std::size_t{1} * storedRow * size + column * cell + x) * 4;
                const int alpha = pixels[at + 3];
                lit += alpha == 255 ? 1 : 0;
                grey += (alpha != 0 && alpha != 255) ? 1 : 0;
                EXPECT_EQ(alpha, pixels[at + 2]);  // alpha copies red
            }
        }
        EXPECT_EQ(grey, 0) << "code " << code;
        if (code > 32 && code < 127) {
            EXPECT_GT(lit, 0) << "code " << code << " has no glyph";
        } else {
            // The space is a blank glyph: text labels must show a gap there.
            EXPECT_EQ(lit, 0) << "code " << code << " is not blank";
        }
    }
}

TEST(DataMeshes, EveryMeshLoadsWithMatchingListsAndIndicesInRange) {
    for (const MeshAsset& asset : AssetManifest::meshes) {
        const char* path = asset.path;
        Mesh mesh;
        loadQuietly(mesh, path);
        const std::size_t vertexCount = mesh.getVertices().size() / 3;
        EXPECT_GT(vertexCount, 0u) << path;
        EXPECT_EQ(mesh.getVertices().size(), vertexCount * 3) << path;
        EXPECT_EQ(mesh.getColors().size(), vertexCount * 3) << path;
        EXPECT_EQ(mesh.getUvs().size(), vertexCount * 2) << path;
        EXPECT_EQ(mesh.getIndices().size() % 3, 0u) << path;
        EXPECT_EQ(mesh.getVertexFloatCount(), static_cast<int>(vertexCount * 3)) << path;
        EXPECT_EQ(mesh.getIndexCount(), static_cast<int>(mesh.getIndices().size())) << path;
        for (std::uint16_t index : mesh.getIndices()) {
            ASSERT_LT(index, vertexCount) << path;
        }
        for (float c : mesh.getColors()) {
            EXPECT_GE(c, 0.0f) << path;
            EXPECT_LE(c, 1.0f) << path;
        }
    }
}

// Every mesh but the two flat quads is a closed solid.
TEST(DataMeshes, ClosedMeshesAreWoundOutwards) {
    for (const MeshAsset& asset : AssetManifest::meshes) {
        const char* path = asset.path;
        Mesh mesh;
        loadQuietly(mesh, path);
        if (asset.member != &GameAssets::quadMesh && asset.member != &GameAssets::backgroundMesh) {
            EXPECT_EQ(unmatchedEdges(mesh), 0) << path;
            EXPECT_GT(signedVolume(mesh), 0.0) << path;
            continue;
        }
        // The flat quads face +z: counter-clockwise seen from above.
        const auto& idx = mesh.getIndices();
        for (std::size_t t = 0; t + 2 < idx.size(); t += 3) {
            const auto a = corner(mesh, idx[t]);
            const auto b = corner(mesh, idx[t + 1]);
            const auto c = corner(mesh, idx[t + 2]);
            EXPECT_GT((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]), 0.0) << path;
        }
    }
}

// The level places walls with pivot (1, 1) on a grid of step 2 and stacks them 2 apart, the
// tree with pivot (0.5, 0.5), and lays floor tiles on the grass.
TEST(DataMeshes, ShapesFitTheLevelLayout) {
    struct Expected {
        const char* path;
        float min[3];
        float max[3];
    };
    const Expected boxes[] = {
        {pathOf<&GameAssets::quadMesh>, {0, 0, 0}, {1, 1, 0}},
        {pathOf<&GameAssets::backgroundMesh>, {0, 0, 0}, {1, 1, 0}},
        {pathOf<&GameAssets::wallMesh>, {0, 0, 0}, {2, 2, 2}},
        {pathOf<&GameAssets::tallWallMesh>, {0, 0, 0}, {2, 2, 6}},
    };
    for (const Expected& e : boxes) {
        Mesh mesh;
        loadQuietly(mesh, e.path);
        const Box box = boundsOf(mesh.getVertices());
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(box.min[k], e.min[k]) << e.path << " axis " << k;
            EXPECT_FLOAT_EQ(box.max[k], e.max[k]) << e.path << " axis " << k;
        }
    }
    for (const char* path : {pathOf<&GameAssets::woodMesh>, pathOf<&GameAssets::floorWoodMesh>}) {
        Mesh mesh;
        loadQuietly(mesh, path);
        const Box box = boundsOf(mesh.getVertices());
        EXPECT_GE(box.min[0], 0.0f) << path;
        EXPECT_GE(box.min[1], 0.0f) << path;
        EXPECT_LE(box.max[0], 2.0f) << path;
        EXPECT_LE(box.max[1], 2.0f) << path;
        EXPECT_FLOAT_EQ(box.min[2], 0.0f) << path;
    }
    Mesh floor;
    loadQuietly(floor, pathOf<&GameAssets::floorWoodMesh>);
    const float floorTop = boundsOf(floor.getVertices()).max[2];
    EXPECT_GE(floorTop, 0.05f);  // clear of the grass at z = 0 with a 16-bit depth buffer
    EXPECT_LE(floorTop, 0.2f);

    Mesh tree;
    loadQuietly(tree, pathOf<&GameAssets::treeMesh>);
    const Box box = boundsOf(tree.getVertices());
    EXPECT_NEAR((box.min[0] + box.max[0]) / 2, 0.5f, 0.02f);
    EXPECT_NEAR((box.min[1] + box.max[1]) / 2, 0.5f, 0.02f);
    EXPECT_FLOAT_EQ(box.min[2], 0.0f);
    EXPECT_LE(tree.getIndices().size() / 3, 300u);

    // Each grass tile is one texture repeat; the backdrop repeats the stars many times.
    Mesh quad;
    loadQuietly(quad, pathOf<&GameAssets::quadMesh>);
    const Box quadUv =
        boundsOf({quad.getUvs()[0], quad.getUvs()[1], 0, quad.getUvs()[4], quad.getUvs()[5], 0});
    EXPECT_FLOAT_EQ(quadUv.max[0] - quadUv.min[0], 1.0f);
    Mesh background;
    loadQuietly(background, pathOf<&GameAssets::backgroundMesh>);
    float maxUv = 0.0f;
    for (float uv : background.getUvs()) {
        maxUv = std::fmax(maxUv, uv);
    }
    EXPECT_GE(maxUv, 10.0f);
}

// Walls lit from above: the top face is the brightest, every side darker, so blocks read as
// solid without normals.
TEST(DataMeshes, BakedLightMakesTopsBrightestAndSidesDarker) {
    Mesh wall;
    loadQuietly(wall, pathOf<&GameAssets::wallMesh>);
    const auto& v = wall.getVertices();
    const auto& c = wall.getColors();
    float top = 0.0f;
    float brightestSide = 0.0f;
    float darkestSide = 1.0f;
    for (std::size_t face = 0; face < v.size() / 12; ++face) {
        const std::size_t first = face * 4;
        bool flatTop = true;
        bool vertical = false;
        for (std::size_t k = 0; k < 4; ++k) {
            flatTop = flatTop && v[3 * (first + k) + 2] == 2.0f;
            vertical = vertical || v[3 * (first + k) + 2] != v[3 * first + 2];
        }
        const float brightness = c[3 * first];
        if (flatTop) {
            top = brightness;
        } else if (vertical) {
            brightestSide = std::fmax(brightestSide, brightness);
            darkestSide = std::fmin(darkestSide, brightness);
        }
    }
    EXPECT_FLOAT_EQ(top, 1.0f);
    EXPECT_LT(brightestSide, top);
    EXPECT_LT(darkestSide, brightestSide);
    EXPECT_GE(darkestSide, 0.3f);
}

TEST(DataMeshes, TreeSwaysAndComesBackToRest) {
    Mesh tree;
    loadQuietly(tree, pathOf<&GameAssets::treeMesh>);
    MeshAnimation* sway = tree.getAnimation();
    ASSERT_NE(sway, nullptr);
    ASSERT_EQ(sway->getAnimationCount(), 1);
    ASSERT_EQ(sway->getVertexCount() * 3, tree.getVertexFloatCount());
    ASSERT_GE(sway->getKeyCount(), 3);
    const float end = sway->getKeyTimes().back();
    EXPECT_GT(end, 0.5f);
    EXPECT_LT(end, 10.0f);

    const auto& rest = tree.getVertices();
    sway->update(0, 0.0f);
    EXPECT_EQ(sway->getCurrentVertices(), rest);
    sway->update(0, end);
    EXPECT_EQ(sway->getCurrentVertices(), rest);

    // Somewhere in between the crown moves while the trunk's foot stays on the ground.
    float largestShift = 0.0f;
    for (float t = 0.1f; t < end; t += 0.1f) {
        sway->update(0, t);
        const auto& pose = sway->getCurrentVertices();
        for (std::size_t i = 0; i < rest.size(); i += 3) {
            const float shift = std::fabs(pose[i] - rest[i]);
            if (rest[i + 2] == 0.0f) {
                EXPECT_FLOAT_EQ(shift, 0.0f);
            }
            largestShift = std::fmax(largestShift, shift);
        }
    }
    EXPECT_GT(largestShift, 0.05f);
    EXPECT_LT(largestShift, 0.5f);
}

TEST(DataCollider, QuadColliderIsTheUnitSquareWithOneCircle) {
    Collider collider;
    CapturedStream err(2);
    const bool ok = collider.load(pathOf<&GameAssets::quadCollider>);
    EXPECT_EQ(err.finish(), "");
    ASSERT_TRUE(ok);
    EXPECT_EQ(collider.getVertexCount(), 4);
    ASSERT_EQ(collider.getSegmentCount(), 4);
    ASSERT_EQ(collider.getCircleCount(), 1);
    // The four segments walk round the square, each starting where the previous one ended.
    float x1, y1, x2, y2;
    float lastX = 0.0f, lastY = 0.0f;
    float length = 0.0f;
    for (int i = 0; i < 4; ++i) {
        collider.segment(i, x1, y1, x2, y2);
        if (i > 0) {
            EXPECT_FLOAT_EQ(x1, lastX);
            EXPECT_FLOAT_EQ(y1, lastY);
        }
        for (float c : {x1, y1, x2, y2}) {
            EXPECT_TRUE(c == 0.0f || c == 1.0f);
        }
        length += std::fabs(x2 - x1) + std::fabs(y2 - y1);
        lastX = x2;
        lastY = y2;
    }
    collider.segment(0, x1, y1, x2, y2);
    EXPECT_FLOAT_EQ(lastX, x1);
    EXPECT_FLOAT_EQ(lastY, y1);
    EXPECT_FLOAT_EQ(length, 4.0f);
    EXPECT_FLOAT_EQ(collider.getCircleX(0), 0.5f);
    EXPECT_FLOAT_EQ(collider.getCircleY(0), 0.5f);
    EXPECT_FLOAT_EQ(collider.getCircleRadius(0), 0.5f);
}

// The committed files are exactly what the generator writes, and it writes nothing else.
// NOTE: the icons go to a folder of the test's own too: by default they would overwrite the
// committed ones, and a difference would go unseen.
TEST(DataGenerator, RegenerationIsByteIdentical) {
    const ScratchDir scratch("volk-data");
    const fs::path data = scratch.makeDirectory("data");
    const fs::path icons = scratch.path("icons");
    const std::string command = "python3 tools/generate_data.py --out '" + data.string() +
                                "' --icons '" + icons.string() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"64x64/volk5pellor.png", "128x128/volk5pellor.png"}) {
        const std::vector<char> written = fileBytes(icons / name);
        EXPECT_FALSE(written.empty()) << name;
        EXPECT_TRUE(written == fileBytes(fs::path("packaging/icons") / name)) << name;
    }

    const std::vector<std::string> generated = filesUnder(data);
    const std::vector<std::string> committed = filesUnder("data");
    EXPECT_EQ(missingFrom(generated, committed), "")
        << "tools/generate_data.py writes these, but data/ lacks them: run it with --out data";
    EXPECT_EQ(missingFrom(committed, generated), "")
        << "data/ holds these, but tools/generate_data.py does not write them: add them to it";
    EXPECT_EQ(missingFrom(manifestFiles(), generated), "")
        << "src/game/AssetManifest.h names these, but tools/generate_data.py does not write them";
    for (const std::string& name : generated) {
        if (std::binary_search(committed.begin(), committed.end(), name)) {
            EXPECT_TRUE(fileBytes(data / name) == fileBytes(fs::path("data") / name)) << name;
        }
    }
}
