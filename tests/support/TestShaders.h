// TestShaders: a small GLSL 1.30 program for tests that build programs or draw with them.
#pragma once

namespace TestShaders {

// Colours each vertex with its normal attribute (where Mesh puts its colours). The uvs nudge
// the colour by a thousandth only, so that inTexCoord stays an active attribute; pos and
// terrainRay shift vertices like the game's terrain shader, and not at all while unset.
inline constexpr const char* vertex = R"(#version 130
in vec3 inVertex;
in vec2 inTexCoord;
in vec3 inNormal;
uniform mat4 mvMat;
uniform mat4 projMat;
uniform vec2 pos;
uniform float terrainRay;
out vec3 colour;
void main() {
    colour = inNormal + vec3(inTexCoord * 0.001, 0.0);
    gl_Position = projMat * mvMat * vec4(inVertex + vec3(pos * terrainRay, 0.0), 1.0);
}
)";

inline constexpr const char* fragment = R"(#version 130
in vec3 colour;
out vec4 fragColour;
void main() { fragColour = vec4(colour, 1.0); }
)";

}  // namespace TestShaders
