// Grass tiles of the small planet. Every vertex farther than terrainRay from the view
// centre is carried over the horizon the way the level's instances are: moved in to the
// circle of radius terrainRay, turned about the horizontal tangent through a point 4 units
// below the ground there, 1 radian per 4 units beyond the radius, at most 3.14159. Done per
// vertex, so the disc curls smoothly instead of in tile-sized steps.
attribute vec3 inVertex;
attribute vec2 inTexCoord;
attribute vec3 inNormal;

uniform mat4 finalMatrix;  // optional clip-space adjustment; all zero (never set) = none
uniform mat4 mvMat;        // view * T(tile) * T(-0.5, -0.5, 0)
uniform mat4 projMat;
uniform vec2 pos;          // tile centre relative to the view centre
uniform float terrainRay;

varying vec2 texCoord;
varying vec3 colour;

void main() {
    texCoord = inTexCoord;
    colour = inNormal;

    // Position relative to the view centre: the tile mesh spans 0..1 around pivot (0.5, 0.5).
    vec3 world = vec3(pos + inVertex.xy - vec2(0.5), inVertex.z);
    float s = length(world.xy);
    if (s > terrainRay) {
        vec2 dir = world.xy / s;
        float angle = min((s - terrainRay) / 4.0, 3.14159);
        // Rotating (0, 0, h) about the axis (-dir.y, dir.x, 0) tips it outwards along dir.
        float h = world.z + 4.0;
        world = vec3(dir * (terrainRay + h * sin(angle)), h * cos(angle) - 4.0);
    }
    // mvMat = V * T(pos, 0) * T(-0.5, -0.5, 0), so V * world = mvMat * (world - pos + 0.5).
    vec4 local = vec4(world - vec3(pos, 0.0) + vec3(0.5, 0.5, 0.0), 1.0);
    vec4 clip = projMat * (mvMat * local);
    // NOTE: GL starts every uniform at zero and the game never sets finalMatrix, so zero
    // must mean "no adjustment".
    gl_Position = finalMatrix[3][3] == 0.0 ? clip : finalMatrix * clip;
}
