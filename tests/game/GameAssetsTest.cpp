// Tests of the asset loading steps on the real data/: each manifest entry ends up in its own
// member, with the settings the manifest gives it.
#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "game/AssetManifest.h"
#include "game/GameAssets.h"
#include "support/CapturedStream.h"
#include "support/GlContext.h"
#include "support/GlQueries.h"

TEST(GameAssets, EveryStepFillsEachMemberAsTheManifestSays) {
    GlContext::get();
    GameAssets assets;
    CapturedStream out(1);
    CapturedStream err(2);
    assets.decodeTextures();
    for (const TextureAsset& asset : AssetManifest::textures) {
        EXPECT_TRUE((assets.*asset.member).hasPixels()) << asset.path;
    }
    assets.uploadTextures();
    assets.loadMeshes();
    assets.uploadMeshes();
    assets.loadColliders();
    assets.buildShaders();
    EXPECT_EQ(out.finish(), "");
    EXPECT_EQ(err.finish(), "");

    const GLint wraps[] = {GL_MIRRORED_REPEAT, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER};
    std::set<GLuint> textureIds;
    for (const TextureAsset& asset : AssetManifest::textures) {
        const Texture& texture = assets.*asset.member;
        EXPECT_FALSE(texture.hasPixels()) << asset.path;  // freed once uploaded
        textureIds.insert(texture.getId());
        texture.bind();
        const GLint wrap = wraps[asset.settings.wrap];
        const GLint filter = asset.settings.linear ? GL_LINEAR : GL_NEAREST;
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_S), wrap) << asset.path;
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_T), wrap) << asset.path;
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MIN_FILTER), filter) << asset.path;
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MAG_FILTER), filter) << asset.path;
    }
    EXPECT_EQ(textureIds.size(), std::size(AssetManifest::textures));
    EXPECT_EQ(textureIds.count(0u), 0u);

    for (const MeshAsset& asset : AssetManifest::meshes) {
        const Mesh& mesh = assets.*asset.member;
        EXPECT_GT(mesh.getIndexCount(), 0) << asset.path;
        EXPECT_TRUE(mesh.isUploaded()) << asset.path;
    }
    for (const ColliderAsset& asset : AssetManifest::colliders) {
        EXPECT_GT((assets.*asset.member).getSegmentCount(), 0) << asset.path;
    }
    // Each program holds its own table, row for row.
    for (const ShaderAsset& asset : AssetManifest::shaders) {
        const ShaderProgram& program = assets.*asset.member;
        EXPECT_NE(program.getHandles().program, 0u) << asset.name;
        ASSERT_EQ(program.getUniforms().size(), asset.uniforms.size()) << asset.name;
        const UniformAsset* row = asset.uniforms.begin();
        for (const ShaderVariable& uniform : program.getUniforms()) {
            EXPECT_EQ(uniform.name, row->name) << asset.name;
            EXPECT_EQ(uniform.size, row->size) << asset.name;
            ++row;
        }
    }
    ShaderProgram::clearCurrent();
}

// A program whose source is missing is a failure, reported with the game's own line; it still
// gets its uniform table.
TEST(GameAssets, BuildShaderReportsAMissingSource) {
    GlContext::get();
    constexpr UniformAsset rows[] = {{"mvMat", 16}};
    const ShaderAsset missing = {&GameAssets::basicShader, "data/shaders/no-such-program", rows};
    ShaderProgram program;
    CapturedStream out(1);
    CapturedStream err(2);
    EXPECT_FALSE(GameAssets::buildShader(program, missing));
    out.finish();
    EXPECT_EQ(err.finish().rfind("Could not load shader: data/shaders/no-such-program.vert "
                                 "(cannot open: No such file or directory)\n",
                                 0),
              0u);
    ASSERT_EQ(program.getUniforms().size(), 1u);
    EXPECT_EQ(program.getUniforms()[0].name, "mvMat");
}
