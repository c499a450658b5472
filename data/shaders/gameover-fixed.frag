// The basic picture in greyscale (luma weights of Rec. 601).
uniform sampler2D image;  // texture unit 0

varying vec2 texCoord;
varying vec3 colour;

void main() {
    vec4 texel = texture2D(image, texCoord);
    float grey = dot(texel.rgb * colour, vec3(0.299, 0.587, 0.114));
    gl_FragColor = vec4(vec3(grey), texel.a);
}
