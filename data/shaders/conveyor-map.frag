// Texture times vertex colour; alpha from the texture alone.
uniform sampler2D image;  // texture unit 0

varying vec2 texCoord;
varying vec3 colour;

void main() {
    vec4 texel = texture2D(image, texCoord);
    gl_FragColor = vec4(texel.rgb * colour, texel.a);
}
