// GameAssets: the loading steps, each a walk through one table of the asset manifest.
#include "game/GameAssets.h"

#include <vector>

#include "game/AssetManifest.h"

void GameAssets::decodeTextures() {
    for (const TextureAsset& asset : AssetManifest::textures) {
        (this->*asset.member).load(asset.path);
    }
}

void GameAssets::uploadTextures() {
    for (const TextureAsset& asset : AssetManifest::textures) {
        Texture& texture = this->*asset.member;
        texture.upload();
        texture.freePixels();
        texture.setWrap(asset.settings.wrap);
        texture.setFiltering(asset.settings.linear);
    }
}

void GameAssets::loadMeshes() {
    for (const MeshAsset& asset : AssetManifest::meshes) {
        (this->*asset.member).load(asset.path);
    }
}

void GameAssets::uploadMeshes() {
    for (const MeshAsset& asset : AssetManifest::meshes) {
        (this->*asset.member).upload();
    }
}

void GameAssets::loadColliders() {
    for (const ColliderAsset& asset : AssetManifest::colliders) {
        (this->*asset.member).load(asset.path);
    }
}

void GameAssets::buildShaders() {
    for (const ShaderAsset& asset : AssetManifest::shaders) {
        buildShader(this->*asset.member, asset);
    }
}

bool GameAssets::buildShader(ShaderProgram& program, const ShaderAsset& asset) {
    std::vector<ShaderVariable> rows;
    rows.reserve(asset.uniforms.size());
    for (const UniformAsset& uniform : asset.uniforms) {
        rows.push_back(ShaderVariable{uniform.name, 0, uniform.size});
    }
    const bool loaded = program.load(asset.name);
    program.setVariables(rows.data(), static_cast<unsigned>(rows.size()));
    return program.compileAndLink() && loaded;
}
