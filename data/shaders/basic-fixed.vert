#version 130
// Flat world: model-view then projection. inNormal carries the baked vertex colour.
in vec3 inVertex;
in vec2 inTexCoord;
in vec3 inNormal;

uniform mat4 mvMat;
uniform mat4 projMat;

out vec2 texCoord;
out vec3 colour;

void main() {
    texCoord = inTexCoord;
    colour = inNormal;
    gl_Position = projMat * (mvMat * vec4(inVertex, 1.0));
}
