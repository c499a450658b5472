// AssetManifest: every file the game reads from data/, in the order it reads them, the
// GameAssets member each one fills and the settings it gets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/GameAssets.h"

// What a texture is set to after its upload.
struct TextureSettings {
    int wrap;     // Texture::wrapMirroredRepeat ... wrapClampToBorder
    bool linear;  // Texture::filterLinear or Texture::filterNearest
};

struct TextureAsset {
    Texture GameAssets::*member;
    const char* path;
    TextureSettings settings;
};

struct MeshAsset {
    Mesh GameAssets::*member;
    const char* path;
};

struct ColliderAsset {
    Collider GameAssets::*member;
    const char* path;
};

// One row of a program's uniform table; ShaderProgram resolves its location.
struct UniformAsset {
    const char* name;
    std::uint16_t size;  // float components, the game's own declaration
};

// A whole uniform table, counted by the compiler.
class UniformTable {
public:
    // Implicit, so that a manifest entry names its table directly.
    template <std::size_t rowCount>
    constexpr UniformTable(const UniformAsset (&rows)[rowCount]) : first(rows), count(rowCount) {}

    constexpr const UniformAsset* begin() const { return first; }
    constexpr const UniformAsset* end() const { return first + count; }
    constexpr std::size_t size() const { return count; }

private:
    const UniformAsset* first;
    std::size_t count;
};

struct ShaderAsset {
    ShaderProgram GameAssets::*member;
    const char* name;  // the sources are name + ".vert" and name + ".frag"
    UniformTable uniforms;
};

// NOTE: the order of each table is the order the game opens the files in at start-up, and so
// the order of the lines a damaged data/ gets on standard error.
namespace AssetManifest {

// Upload's own settings: mirrored repeat, linear filtering.
inline constexpr TextureSettings mirroredLinear{Texture::wrapMirroredRepeat, Texture::filterLinear};
inline constexpr TextureSettings repeatLinear{Texture::wrapRepeat, Texture::filterLinear};
inline constexpr TextureSettings repeatNearest{Texture::wrapRepeat, Texture::filterNearest};

inline constexpr UniformAsset basicUniforms[] = {{"mvMat", 16}, {"projMat", 16}};
inline constexpr UniformAsset terrainUniforms[] = {
    {"finalMatrix", 16}, {"mvMat", 16}, {"projMat", 16}, {"pos", 2}, {"terrainRay", 1},
};

// All are decoded, then all are uploaded and set.
inline constexpr TextureAsset textures[] = {
    {&GameAssets::fontTexture, "data/font.bmp.fnt", mirroredLinear},
    {&GameAssets::roadTexture, "data/road6.png", mirroredLinear},
    {&GameAssets::wallTexture, "data/wall.bmp", repeatNearest},
    {&GameAssets::woodTexture, "data/wood.bmp", repeatNearest},
    {&GameAssets::grassTexture, "data/grass.bmp", mirroredLinear},
    {&GameAssets::whiteTexture, "data/whitepixel.bmp", mirroredLinear},
    {&GameAssets::starsTexture, "data/sky/stars/stars.bmp", repeatLinear},
};

// All are read, then all are uploaded.
inline constexpr MeshAsset meshes[] = {
    {&GameAssets::quadMesh, "data/quad.json"},
    {&GameAssets::treeMesh, "data/meshes/display/tree.json"},
    {&GameAssets::wallMesh, "data/meshes/display/wall.json"},
    {&GameAssets::tallWallMesh, "data/meshes/display/tallWall.json"},
    {&GameAssets::woodMesh, "data/meshes/display/wood.json"},
    {&GameAssets::floorWoodMesh, "data/meshes/display/floorWood.json"},
    {&GameAssets::backgroundMesh, "data/quadBackground.json"},
};

inline constexpr ColliderAsset colliders[] = {
    {&GameAssets::quadCollider, "data/meshes/colliders/quadCollider.json"},
};

// Built once the scene is set up.
inline constexpr ShaderAsset shaders[] = {
    {&GameAssets::basicShader, "data/shaders/basic-fixed", basicUniforms},
    {&GameAssets::terrainShader, "data/shaders/conveyor-map", terrainUniforms},
    {&GameAssets::gameOverShader, "data/shaders/gameover-fixed", basicUniforms},
};

// Checks of the tables and look-ups in them, for the tools and tests.

template <typename Asset, std::size_t count>
constexpr bool fillsEachMemberOnce(const Asset (&table)[count]) {
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (table[i].member == table[j].member) {
                return false;
            }
        }
    }
    return true;
}
static_assert(fillsEachMemberOnce(textures) && fillsEachMemberOnce(meshes) &&
                  fillsEachMemberOnce(colliders) && fillsEachMemberOnce(shaders),
              "two manifest entries fill the same GameAssets member");

constexpr const auto& tableOf(Texture GameAssets::*) { return textures; }
constexpr const auto& tableOf(Mesh GameAssets::*) { return meshes; }
constexpr const auto& tableOf(Collider GameAssets::*) { return colliders; }
constexpr const auto& tableOf(ShaderProgram GameAssets::*) { return shaders; }

template <typename Asset, std::size_t count, typename Member>
constexpr const Asset& findEntry(const Asset (&table)[count], Member GameAssets::*member) {
    for (const Asset& asset : table) {
        if (asset.member == member) {
            return asset;
        }
    }
    throw "no manifest entry fills this member";
}

// The entry that fills member, found while compiling: naming a member that no entry fills
// does not compile.
template <auto member>
inline constexpr const auto& entryFor = findEntry(tableOf(member), member);
template <auto member>
inline constexpr const char* pathOf = entryFor<member>.path;

}  // namespace AssetManifest
