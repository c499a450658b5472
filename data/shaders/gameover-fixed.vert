// Flat world: model-view then projection. inNormal carries the baked vertex colour.
attribute vec3 inVertex;
attribute vec2 inTexCoord;
attribute vec3 inNormal;

uniform mat4 mvMat;
uniform mat4 projMat;

varying vec2 texCoord;
varying vec3 colour;

void main() {
    texCoord = inTexCoord;
    colour = inNormal;
    gl_Position = projMat * (mvMat * vec4(inVertex, 1.0));
}
