#version 130
// Texture times vertex colour; alpha from the texture alone.
uniform sampler2D image;  // texture unit 0

in vec2 texCoord;
in vec3 colour;

void main() {
    vec4 texel = texture(image, texCoord);
    gl_FragColor = vec4(texel.rgb * colour, texel.a);
}
