// Tests of Texture: decoder choice by name, failure lines, and the GL texture read back.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

#include "render/Texture.h"
#include "support/CapturedStream.h"
#include "support/GlContext.h"
#include "support/GlQueries.h"
#include "support/ScratchDir.h"
#include "support/TestImages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 3 x 2, top row first: a width whose rows need padding.
const Bytes picture3x2 = {
    10, 11, 12, 20, 21, 22, 30, 31, 32,  // top row
    40, 41, 42, 50, 51, 52, 60, 61, 62,  // bottom row
};

// The same picture as GL gives it back in BGR order, bottom row first, tightly packed.
const Bytes bgrBottomUp = {40, 41, 42, 50, 51, 52, 60, 61, 62, 10, 11, 12, 20, 21, 22, 30, 31, 32};

}  // namespace

TEST(Texture, DecoderFollowsTheLastFourCharacters) {
    ScratchDir dir;
    const Bytes bmp = makeBmp(3, 2, picture3x2);
    struct Case {
        const char* name;
        GLint internalFormat;
        GLenum format;
        std::size_t bytes;
    };
    const Case cases[] = {
        {"a.bmp", GL_RGB, GL_BGR, 24},           // rows padded to 12 bytes
        {"font.bmp.fnt", GL_RGBA, GL_BGRA, 24},  // 6 pixels x 4
        {"UPPER.BMP", GL_RGBA, GL_BGRA, 24},     // case matters
        {"b", GL_RGBA, GL_BGRA, 24},             // shorter than four characters
    };
    for (const Case& c : cases) {
        writeFile(dir.path(c.name), bmp);
        Texture texture;
        ASSERT_TRUE(texture.load(dir.path(c.name))) << c.name;
        EXPECT_EQ(texture.getInternalFormat(), c.internalFormat) << c.name;
        EXPECT_EQ(texture.getFormat(), static_cast<GLenum>(c.format)) << c.name;
        EXPECT_EQ(texture.getPixels().size(), c.bytes) << c.name;
        EXPECT_EQ(texture.getWidth(), 3);
        EXPECT_EQ(texture.getHeight(), 2);
        texture.freePixels();
        EXPECT_FALSE(texture.hasPixels());
    }

    writeFile(dir.path("p.png"), makePng(1, 1, {1, 2, 3, 4}));
    Texture png;
    ASSERT_TRUE(png.load(dir.path("p.png")));
    EXPECT_EQ(png.getInternalFormat(), GL_RGBA);
    EXPECT_EQ(png.getFormat(), static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(png.getPixels(), (Bytes{1, 2, 3, 4}));
}

TEST(Texture, FailuresPrintOneLineNamingFileAndProblem) {
    ScratchDir dir;
    Bytes bad = makeBmp(3, 2, picture3x2);
    bad[28] = 8;  // 8 bits per pixel
    writeFile(dir.path("pal.bmp"), bad);
    writeFile(dir.path("cut.png"), Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});

    CapturedStream err(2);
    Texture missing;
    Texture palette;
    Texture cut;
    EXPECT_FALSE(missing.load(dir.path("none.bmp")));
    EXPECT_FALSE(palette.load(dir.path("pal.bmp")));
    EXPECT_FALSE(cut.load(dir.path("cut.png")));
    const std::string text = err.finish();
    EXPECT_EQ(text, "Could not load texture: " + dir.path("none.bmp") +
                        ": cannot open: No such file or directory\n"
                        "Could not load texture: " +
                        dir.path("pal.bmp") +
                        ": 8 bits per pixel, only 24 are read\n"
                        "Could not load texture: " +
                        dir.path("cut.png") + ": damaged PNG: file ends inside the image data\n");
    EXPECT_FALSE(palette.hasPixels());
}

TEST(Texture, UploadedPixelsReadBackForEveryDecoder) {
    GlContext::get();
    ScratchDir dir;

    // Bottom-up and top-down BMP, the latter with a 124-byte header.
    BmpOptions topDown;
    topDown.topDown = true;
    topDown.headerSize = 124;
    writeFile(dir.path("up.bmp"), makeBmp(3, 2, picture3x2));
    writeFile(dir.path("down.bmp"), makeBmp(3, 2, picture3x2, topDown));
    for (const char* name : {"up.bmp", "down.bmp"}) {
        Texture texture;
        ASSERT_TRUE(texture.load(dir.path(name)));
        texture.upload();
        texture.freePixels();
        texture.bind();
        EXPECT_EQ(GlQueries::texImage(GL_BGR, 3, 2, 3), bgrBottomUp) << name;
    }

    // BMP to BGRA: alpha from red, so a white glyph is opaque and black is clear.
    const Bytes glyph = {255, 255, 255, 0,   0,   0,   255, 255, 255,  //
                         0,   0,   0,   255, 255, 255, 0,   0,   0};
    writeFile(dir.path("font.bmp.fnt"), makeBmp(3, 2, glyph));
    Texture font;
    ASSERT_TRUE(font.load(dir.path("font.bmp.fnt")));
    font.upload();
    font.bind();
    const Bytes fontBack = GlQueries::texImage(GL_BGRA, 3, 2, 4);
    const Bytes fontExpected = {
        0,   0,   0,   0,   255, 255, 255, 255, 0,   0,   0,   0,  // bottom row
        255, 255, 255, 255, 0,   0,   0,   0,   255, 255, 255, 255};
    EXPECT_EQ(fontBack, fontExpected);

    // PNG: a palette image reads back as RGBA with the top row last.
    PngOptions palette;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {255, 0, 0, 0, 255, 0};
    writeFile(dir.path("pal.png"), makePng(1, 2, {0, 1}, palette));
    Texture png;
    ASSERT_TRUE(png.load(dir.path("pal.png")));
    png.upload();
    png.bind();
    EXPECT_EQ(GlQueries::texImage(GL_RGBA, 1, 2, 4), (Bytes{0, 255, 0, 255, 255, 0, 0, 255}));
}

TEST(Texture, WithoutPixelsUploadDefinesOpaqueMagenta) {
    GlContext::get();
    CapturedStream err(2);
    Texture texture;
    EXPECT_FALSE(texture.load("no/such/file.png"));
    err.finish();
    texture.upload();
    EXPECT_NE(texture.getId(), 0u);
    texture.bind();
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(GlQueries::texImage(GL_RGBA, 1, 1, 4), (Bytes{255, 0, 255, 255}));
}

TEST(Texture, WrapAndFilterParametersReadBack) {
    GlContext::get();
    ScratchDir dir;
    writeFile(dir.path("w.bmp"), makeBmp(3, 2, picture3x2));
    Texture texture;
    Texture other;
    ASSERT_TRUE(texture.load(dir.path("w.bmp")));
    texture.upload();
    other.upload();

    texture.bind();
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);

    const GLint modes[] = {GL_MIRRORED_REPEAT, GL_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER};
    for (int mode = 3; mode >= 0; --mode) {
        other.bind();  // setWrap binds the texture itself
        texture.setWrap(mode);
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_S), modes[mode]);
        EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_T), modes[mode]);
    }
    texture.setWrap(1);
    texture.setWrap(4);  // out of range: binds, changes nothing
    texture.setWrap(-1);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);

    other.bind();
    texture.setFiltering(false);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    texture.setFiltering(true);
    EXPECT_EQ(GlQueries::texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
