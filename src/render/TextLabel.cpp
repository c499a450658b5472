// TextLabel: building and rewriting the glyph quads of a line of text.
#include "render/TextLabel.h"

namespace {

constexpr float cell = 0.0625f;  // one of 16 glyph cells across and down the font texture

// 16-bit indices address 65536 vertices, four per character.
constexpr unsigned maxChars = 65536 / 4;

}  // namespace

void TextLabel::init(const char* text, float x, float y, float z, unsigned size, float r, float g,
                     float b, Texture* fontTexture, Camera* labelCamera) {
    angle = Vector3();
    position = Vector3(x, y, z);
    font = fontTexture;
    camera = labelCamera;
    glyphSize = size;
    color = Vector3(r, g, b);

    mesh.clear();
    unsigned i = 0;
    // NOTE: characters past what 16-bit indices can address are dropped.
    while (text != nullptr && text[i] != '\0' && i < maxChars) {
        appendQuad(i, static_cast<unsigned char>(text[i]));
        ++i;
    }
    charCount = i;
    mesh.updateCounts();
}

void TextLabel::setText(const char* text) {
    unsigned i = 0;
    if (text != nullptr) {
        for (; text[i] != '\0' && i < charCount; ++i) {
            writeUvs(i, static_cast<unsigned char>(text[i]));
        }
        for (; text[i] != '\0' && i < maxChars; ++i) {
            appendQuad(i, static_cast<unsigned char>(text[i]));
        }
    }
    const unsigned n = i;
    if (charCount >= n) {
        // The quads beyond the text stay in the arrays for a later, longer text.
        const int chars = static_cast<int>(n);
        mesh.setCounts(12 * chars, 12 * chars, 6 * chars, 8 * chars);
    } else {
        charCount = n;
        mesh.updateCounts();
    }
}

void TextLabel::appendQuad(unsigned i, unsigned char c) {
    const float left = static_cast<float>(i * glyphSize);
    const float right = static_cast<float>((i + 1) * glyphSize);
    const float top = static_cast<float>(glyphSize);
    mesh.addVertex(left, 0.0f, 0.0f);
    mesh.addVertex(left, top, 0.0f);
    mesh.addVertex(right, 0.0f, 0.0f);
    mesh.addVertex(right, top, 0.0f);
    for (int k = 0; k < 4; ++k) {
        mesh.addColor(color.x, color.y, color.z);
        mesh.addUv(0.0f, 0.0f);
    }
    const auto first = static_cast<std::uint16_t>(4 * i);
    mesh.addTriangle(first, static_cast<std::uint16_t>(first + 2),
                     static_cast<std::uint16_t>(first + 1));
    mesh.addTriangle(static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2),
                     static_cast<std::uint16_t>(first + 3));
    writeUvs(i, c);
}

void TextLabel::writeUvs(unsigned i, unsigned char c) {
    // The code is read unsigned, so 128 to 255 pick rows 8 to 15 instead of cells above the
    // texture. Row 0 is the top of the picture.
    const float left = static_cast<float>(c % 16) * cell;
    // NOLINTNEXTLINE(bugprone-integer-division): the row is the quotient, dropping the column
    const float top = 1.0f - static_cast<float>(c / 16) * cell;
    const std::size_t v = std::size_t{4} * i;
    mesh.setUv(v, left, top - cell);
    mesh.setUv(v + 1, left, top);
    mesh.setUv(v + 2, left + cell, top - cell);
    mesh.setUv(v + 3, left + cell, top);
}
