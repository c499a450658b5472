// Tests of TextLabel: glyph quads, triangle order, uvs and counts through init and setText.
#include <gtest/gtest.h>

#include <vector>

#include "render/TextLabel.h"

namespace {

using Floats = std::vector<float>;

// The eight uvs of one quad for a character in column col, row row of the 16 x 16 grid.
Floats cellUvs(int col, int row) {
    const float u0 = static_cast<float>(col) * 0.0625f;
    const float vt = 1.0f - static_cast<float>(row) * 0.0625f;
    return {u0, vt - 0.0625f, u0, vt, u0 + 0.0625f, vt - 0.0625f, u0 + 0.0625f, vt};
}

Floats quadUvs(const Mesh& mesh, unsigned i) {
    const auto& uvs = mesh.getUvs();
    return Floats(uvs.begin() + 8 * i, uvs.begin() + 8 * (i + 1));
}

void expectCounts(const Mesh& mesh, int chars) {
    EXPECT_EQ(mesh.getVertexFloatCount(), 12 * chars);
    EXPECT_EQ(mesh.getColorFloatCount(), 12 * chars);
    EXPECT_EQ(mesh.getIndexCount(), 6 * chars);
    EXPECT_EQ(mesh.getUvFloatCount(), 8 * chars);
}

}  // namespace

TEST(TextLabel, InitBuildsOneQuadPerCharacter) {
    TextLabel label;
    int font = 0;
    int camera = 0;
    label.init("x3", 1.0f, 2.0f, 3.0f, 90, 0.25f, 0.5f, 0.75f, reinterpret_cast<Texture*>(&font),
               reinterpret_cast<Camera*>(&camera));
    label.setAngle(30.0f);
    const Mesh& mesh = label.getMesh();

    EXPECT_EQ(label.getCharCount(), 2u);
    EXPECT_EQ(label.getGlyphSize(), 90u);
    EXPECT_EQ(label.getPosition().z, 3.0f);
    EXPECT_EQ(label.getAngle(), 30.0f);
    EXPECT_EQ(static_cast<void*>(label.getFont()), static_cast<void*>(&font));
    const auto& v = mesh.getVertices();
    ASSERT_EQ(v.size(), 24u);
    const Floats xs = {v[0], v[3], v[6], v[9], v[12], v[15], v[18], v[21]};
    const Floats ys = {v[1], v[4], v[7], v[10], v[13], v[16], v[19], v[22]};
    EXPECT_EQ(xs, (Floats{0, 0, 90, 90, 90, 90, 180, 180}));
    EXPECT_EQ(ys, (Floats{0, 90, 0, 90, 0, 90, 0, 90}));
    EXPECT_EQ(mesh.getIndices(), (std::vector<std::uint16_t>{0, 2, 1, 1, 2, 3, 4, 6, 5, 5, 6, 7}));
    ASSERT_EQ(mesh.getColors().size(), 24u);
    for (std::size_t i = 0; i < 24; i += 3) {
        EXPECT_EQ(mesh.getColors()[i + 2], 0.75f);
    }
    EXPECT_EQ(quadUvs(mesh, 0), cellUvs(8, 7));  // 'x' = 120
    EXPECT_EQ(quadUvs(mesh, 1), cellUvs(3, 3));  // '3' = 51
    expectCounts(mesh, 2);

    TextLabel capital;
    capital.init("A", 0, 0, 0, 8, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(quadUvs(capital.getMesh(), 0),
              (Floats{0.0625f, 0.6875f, 0.0625f, 0.75f, 0.125f, 0.6875f, 0.125f, 0.75f}));
}

TEST(TextLabel, SetTextReusesQuadsAndSetsCounts) {
    TextLabel label;
    label.init("x3", 0, 0, 0, 90, 1, 1, 1, nullptr, nullptr);
    const std::vector<float> positions = label.getMesh().getVertices();

    label.setText("5");
    const Mesh& mesh = label.getMesh();
    EXPECT_EQ(label.getCharCount(), 2u);
    EXPECT_EQ(mesh.getVertices().size(), 24u);  // quad 1 stays for later
    EXPECT_EQ(quadUvs(mesh, 0), cellUvs(5, 3));
    EXPECT_EQ(quadUvs(mesh, 1), cellUvs(3, 3));
    expectCounts(mesh, 1);

    label.setText("123");
    EXPECT_EQ(label.getCharCount(), 3u);
    EXPECT_EQ(quadUvs(mesh, 0), cellUvs(1, 3));
    EXPECT_EQ(quadUvs(mesh, 1), cellUvs(2, 3));
    EXPECT_EQ(quadUvs(mesh, 2), cellUvs(3, 3));
    EXPECT_EQ(Floats(mesh.getVertices().begin(), mesh.getVertices().begin() + 24), positions);
    EXPECT_EQ(mesh.getVertices()[24], 180.0f);
    EXPECT_EQ(mesh.getVertices()[33], 270.0f);
    EXPECT_EQ(mesh.getIndices().size(), 18u);
    EXPECT_EQ(mesh.getIndices()[12], 8);
    expectCounts(mesh, 3);

    label.setText("");
    EXPECT_EQ(label.getCharCount(), 3u);
    expectCounts(mesh, 0);

    label.setText("ab");
    expectCounts(mesh, 2);
    EXPECT_EQ(mesh.getVertices().size(), 36u);
}

TEST(TextLabel, EmptyAndHighCharacters) {
    TextLabel empty;
    empty.init("", 0, 0, 0, 16, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(empty.getCharCount(), 0u);
    expectCounts(empty.getMesh(), 0);

    // Codes 128 to 255 are read unsigned: rows 8 to 15, inside the texture.
    TextLabel high;
    high.init("\x80\xff", 0, 0, 0, 16, 1, 1, 1, nullptr, nullptr);
    EXPECT_EQ(quadUvs(high.getMesh(), 0), cellUvs(0, 8));
    EXPECT_EQ(quadUvs(high.getMesh(), 1), cellUvs(15, 15));
    EXPECT_EQ(quadUvs(high.getMesh(), 1)[1], 0.0f);
    high.setText("\xe9");
    EXPECT_EQ(quadUvs(high.getMesh(), 0), cellUvs(9, 14));
}
