// TextLabel: a line of 8-bit text as a mesh of glyph quads on a 16 x 16 font grid.
#pragma once

#include <string>

#include "assets/Mesh.h"
#include "math/Matrix4.h"
#include "math/Vector3.h"

class Camera;
class Texture;

class TextLabel {
public:
    TextLabel() = default;

    void init(const char* text, float x, float y, float z, unsigned glyphSize, float r, float g,
              float b, Texture* font, Camera* camera);
    void setAngle(float degrees) { angle.x = degrees; }
    // Rewrites the uvs of the quads already present, appends quads only for a text longer than
    // any held so far, and sets the counts to cover exactly the new text.
    void setText(const char* text);

    const Mesh& getMesh() const { return mesh; }
    Mesh& getMesh() { return mesh; }
    const Vector3& getPosition() const { return position; }
    const Vector3& getColor() const { return color; }
    float getAngle() const { return angle.x; }
    unsigned getCharCount() const { return charCount; }
    unsigned getGlyphSize() const { return glyphSize; }
    Texture* getFont() const { return font; }
    Camera* getCamera() const { return camera; }
    const Matrix4& getModelView() const { return modelView; }

private:
    void appendQuad(unsigned i, unsigned char c);
    void writeUvs(unsigned i, unsigned char c);

    Vector3 position;     // level units
    Matrix4 modelView{};  // kept for drawing; the game shows no label
    Mesh mesh;
    Texture* font = nullptr;   // not owned
    Vector3 color;             // r, g, b written into every vertex colour
    Camera* camera = nullptr;  // not owned
    Vector3 angle;             // degrees; x is the label's rotation, y and z stay 0
    unsigned charCount = 0;    // quads present in mesh: the longest text held so far
    unsigned glyphSize = 0;    // side of one character quad, world units
};
