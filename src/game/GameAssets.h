// GameAssets: the textures, meshes, collider and shader programs the game draws with, filled
// from the files AssetManifest names.
#pragma once

#include "assets/Collider.h"
#include "assets/Mesh.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"

struct ShaderAsset;

// Each loading step works through one kind of asset in the manifest's order. A file that
// fails is reported by its loader and the steps go on with the rest (a texture that failed
// shows magenta). The game runs the steps in the order they are declared; the uploads and
// buildShaders need a current GL context.
class GameAssets {
public:
    void decodeTextures();
    // Creates the GL textures, frees the decoded pixels and applies the manifest's wrap and
    // filter settings.
    void uploadTextures();
    void loadMeshes();
    void uploadMeshes();
    void loadColliders();
    void buildShaders();

    // One program as the game builds it: both sources, the manifest's uniform table, compile
    // and link. False when any of it failed (reported by ShaderProgram).
    static bool buildShader(ShaderProgram& program, const ShaderAsset& asset);

    Texture fontTexture;
    Texture roadTexture;  // uploaded at start-up, never bound
    Texture wallTexture;
    Texture woodTexture;
    Texture grassTexture;
    Texture whiteTexture;
    Texture starsTexture;
    Mesh quadMesh;
    Mesh treeMesh;
    Mesh wallMesh;
    Mesh tallWallMesh;
    Mesh woodMesh;
    Mesh floorWoodMesh;
    Mesh backgroundMesh;
    Collider quadCollider;  // attached to objects; nothing tests collisions
    ShaderProgram basicShader;
    ShaderProgram terrainShader;
    ShaderProgram gameOverShader;  // built, never made current
};
