// Tests of the BMP, BMP-to-BGRA and PNG decoders on bytes built in memory.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "render/BmpDecoder.h"
#include "render/PngDecoder.h"
#include "support/CapturedStream.h"
#include "support/TestImages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 3 x 2 picture, top row first: every byte distinct so misplaced rows or columns show.
const Bytes picture3x2 = {
    10, 11, 12, 20, 21, 22, 30, 31, 32,  // top row
    40, 41, 42, 50, 51, 52, 60, 61, 62,  // bottom row
};

// What decodeBmp must give for picture3x2: bottom row first, each 9-byte row padded to 12.
const Bytes bgr3x2 = {
    40, 41, 42, 50, 51, 52, 60, 61, 62, 0xEE, 0xEE, 0xEE,
    10, 11, 12, 20, 21, 22, 30, 31, 32, 0xEE, 0xEE, 0xEE,
};

// What decodeBmpToBgra must give: padding skipped, alpha a copy of red.
const Bytes bgra3x2 = {
    40, 41, 42, 42, 50, 51, 52, 52, 60, 61, 62, 62, 10, 11, 12, 12, 20, 21, 22, 22, 30, 31, 32, 32,
};

// A copy of a PNG with its header's width and height replaced (checksum fixed).
Bytes withSides(Bytes png, std::uint32_t width, std::uint32_t height) {
    for (int k = 0; k < 4; ++k) {
        png[16 + k] = static_cast<std::uint8_t>(width >> (24 - 8 * k));
        png[20 + k] = static_cast<std::uint8_t>(height >> (24 - 8 * k));
    }
    const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);  // type + data
    for (int k = 0; k < 4; ++k) {
        png[29 + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
    }
    return png;
}

Image decode(Image (*decoder)(const std::uint8_t*, std::size_t), const Bytes& bytes) {
    return decoder(bytes.data(), bytes.size());
}

void expectRejected(const Bytes& bytes, const char* problem) {
    for (auto* decoder : {decodeBmp, decodeBmpToBgra}) {
        const Image image = decode(decoder, bytes);
        EXPECT_FALSE(image.isValid());
        EXPECT_NE(image.error.find(problem), std::string::npos) << image.error;
        EXPECT_TRUE(image.pixels.empty());
    }
}

}  // namespace

TEST(BmpDecoder, RowsComeOutBottomUpWhateverTheFileOrder) {
    for (const bool topDown : {false, true}) {
        for (const std::uint32_t header : {40u, 108u, 124u}) {
            BmpOptions options;
            options.topDown = topDown;
            options.headerSize = header;
            const Bytes file = makeBmp(3, 2, picture3x2, options);

            const Image bgr = decode(decodeBmp, file);
            ASSERT_TRUE(bgr.isValid()) << bgr.error;
            EXPECT_EQ(bgr.width, 3u);
            EXPECT_EQ(bgr.height, 2u);
            EXPECT_EQ(bgr.pixels, bgr3x2) << "topDown " << topDown << " header " << header;

            const Image bgra = decode(decodeBmpToBgra, file);
            ASSERT_TRUE(bgra.isValid()) << bgra.error;
            EXPECT_EQ(bgra.pixels, bgra3x2) << "topDown " << topDown << " header " << header;
        }
    }
}

TEST(BmpDecoder, FourByFourGives48And64BytesAndZeroImageSizeIsRead) {
    Bytes picture(4 * 4 * 3);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<std::uint8_t>(i * 5);
    }
    BmpOptions options;
    options.zeroImageSize = true;
    const Bytes file = makeBmp(4, 4, picture, options);
    const Image bgr = decode(decodeBmp, file);
    const Image bgra = decode(decodeBmpToBgra, file);
    ASSERT_TRUE(bgr.isValid());
    ASSERT_TRUE(bgra.isValid());
    EXPECT_EQ(bgr.pixels.size(), 48u);
    ASSERT_EQ(bgra.pixels.size(), 64u);
    for (std::size_t p = 0; p < 16; ++p) {
        EXPECT_EQ(bgra.pixels[4 * p + 3], bgra.pixels[4 * p + 2]);
    }
    // Bottom-left pixel is the first pixel of the last picture row.
    EXPECT_EQ(bgr.pixels[0], picture[36]);
}

TEST(BmpDecoder, HonoursPixelOffsetPastAColourTable) {
    // A 24-bit file may carry an optional colour table; the rows start at the stored offset.
    Bytes file = makeBmp(3, 2, picture3x2);
    file.insert(file.begin() + 54, 16, 0x99);
    file[10] = 54 + 16;
    EXPECT_EQ(decode(decodeBmp, file).pixels, bgr3x2);
}

TEST(BmpDecoder, RejectsWhatItCannotRead) {
    const Bytes good = makeBmp(3, 2, picture3x2);

    expectRejected(Bytes(good.begin(), good.begin() + 20), "too short");
    expectRejected(Bytes(good.begin(), good.end() - 1), "ends before");

    BmpOptions palette;
    palette.bitsPerPixel = 8;
    expectRejected(makeBmp(3, 2, picture3x2, palette), "8 bits per pixel");
    BmpOptions rle;
    rle.compression = 1;
    expectRejected(makeBmp(3, 2, picture3x2, rle), "compressed");
    BmpOptions core;
    core.headerSize = 12;
    Bytes coreFile = makeBmp(3, 2, picture3x2, core);
    coreFile.resize(coreFile.size() + 16);
    expectRejected(coreFile, "header of 12");

    // The good file with some of its bytes changed.
    const struct {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint8_t>> changes;  // offset, new value
        const char* problem;
    } patched[] = {
        {"signature", {{0, 'P'}}, "not a BMP"},
        {"huge header", {{17, 0x7f}}, "runs past"},
        {"zero height", {{22, 0}}, "image size"},
        {"1 048 579 columns", {{20, 0x10}}, "image size"},
        {"most negative height", {{22, 0}, {23, 0}, {24, 0}, {25, 0x80}}, "image size"},
        {"offset past the end", {{12, 0x01}}, "offset"},
        {"offset inside the header", {{10, 20}}, "offset"},
    };
    for (const auto& p : patched) {
        SCOPED_TRACE(p.what);
        Bytes bytes = good;
        for (const auto& [offset, value] : p.changes) {
            bytes[offset] = value;
        }
        expectRejected(bytes, p.problem);
    }

    // An image size field smaller than the rows does not shorten what is read.
    Bytes smallSizeField = good;
    smallSizeField[34] = 3;
    EXPECT_EQ(decode(decodeBmp, smallSizeField).pixels, bgr3x2);
}

TEST(PngDecoder, RgbaFileBytesPassUnchangedTopRowLast) {
    Bytes rows;  // 2 x 2, top row first
    for (int i = 0; i < 16; ++i) {
        rows.push_back(static_cast<std::uint8_t>(i * 16 + 1));
    }
    const Bytes file = makePng(2, 2, rows);
    const Image image = decode(decodePng, file);
    ASSERT_TRUE(image.isValid()) << image.error;
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 2u);
    Bytes bottomUp(rows.begin() + 8, rows.end());
    bottomUp.insert(bottomUp.end(), rows.begin(), rows.begin() + 8);
    EXPECT_EQ(image.pixels, bottomUp);
}

TEST(PngDecoder, AWarningAboutAnAncillaryChunkLeavesThePixelsAndSaysNothing) {
    Bytes rows(16, 0x40);
    const Bytes good = makePng(2, 2, rows);
    // A text chunk with a wrong CRC right after the header: libpng warns and skips it.
    const Bytes text = {0, 0, 0, 4, 't', 'E', 'X', 't', 'k', 0, 'v', 'v', 0xDE, 0xAD, 0xBE, 0xEF};
    Bytes warned(good.begin(), good.begin() + 33);  // signature and header chunk
    warned.insert(warned.end(), text.begin(), text.end());
    warned.insert(warned.end(), good.begin() + 33, good.end());
    CapturedStream err(2);
    const Image image = decode(decodePng, warned);
    EXPECT_EQ(err.finish(), "");
    ASSERT_TRUE(image.isValid()) << image.error;
    EXPECT_EQ(image.pixels, decode(decodePng, good).pixels);
}

TEST(PngDecoder, EveryColourTypeBecomesRgba8) {
    struct Case {
        const char* label;
        PngOptions options;
        Bytes rows;      // 2 x 1, as written
        Bytes expected;  // RGBA of the two pixels
    };
    PngOptions palette;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {255, 0, 0, 0, 0, 255};
    palette.trns = {128};  // entry 0 half transparent, entry 1 opaque
    PngOptions grey1;
    grey1.colorType = PNG_COLOR_TYPE_GRAY;
    grey1.bitDepth = 1;
    PngOptions grey8;
    grey8.colorType = PNG_COLOR_TYPE_GRAY;
    PngOptions greyAlpha16;
    greyAlpha16.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha16.bitDepth = 16;
    PngOptions rgb16;
    rgb16.colorType = PNG_COLOR_TYPE_RGB;
    rgb16.bitDepth = 16;
    PngOptions rgb8Interlaced;
    rgb8Interlaced.colorType = PNG_COLOR_TYPE_RGB;
    rgb8Interlaced.interlaced = true;
    const Case cases[] = {
        {"palette + tRNS", palette, {0, 1}, {255, 0, 0, 128, 0, 0, 255, 255}},
        {"grey 1-bit", grey1, {0x40}, {0, 0, 0, 255, 255, 255, 255, 255}},
        {"grey 8-bit", grey8, {7, 200}, {7, 7, 7, 255, 200, 200, 200, 255}},
        {"grey + alpha 16-bit",
         greyAlpha16,
         {0x12, 0x34, 0xff, 0xff, 0xab, 0xcd, 0x00, 0x00},
         {0x12, 0x12, 0x12, 0xff, 0xab, 0xab, 0xab, 0x00}},
        {"rgb 16-bit", rgb16, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}, {1, 2, 3, 255, 4, 5, 6, 255}},
        {"rgb interlaced", rgb8Interlaced, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 255, 4, 5, 6, 255}},
    };
    for (const Case& c : cases) {
        const Bytes file = makePng(2, 1, c.rows, c.options);
        const Image image = decode(decodePng, file);
        ASSERT_TRUE(image.isValid()) << c.label << ": " << image.error;
        EXPECT_EQ(image.pixels, c.expected) << c.label;
    }
}

TEST(PngDecoder, DamagedStreamsAreReportedNotFatal) {
    Bytes rows(16 * 16 * 4);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<std::uint8_t>(i * 7);
    }
    const Bytes good = makePng(16, 16, rows);
    ASSERT_TRUE(decode(decodePng, good).isValid());

    const Image cut = decode(decodePng, Bytes(good.begin(), good.begin() + 60));
    EXPECT_FALSE(cut.isValid());
    EXPECT_NE(cut.error.find("damaged PNG"), std::string::npos) << cut.error;
    EXPECT_TRUE(cut.pixels.empty());

    Bytes flipped = good;
    flipped[good.size() - 30] ^= 0x55;  // inside the image data: its checksum fails
    EXPECT_FALSE(decode(decodePng, flipped).isValid());

    Bytes notPng = good;
    notPng[1] = 'Q';
    EXPECT_EQ(decode(decodePng, notPng).error, "not a PNG file");
    EXPECT_FALSE(decode(decodePng, Bytes()).isValid());

    // Headers claiming more pixels than a few bytes of data could hold are refused up front:
    // within the decoded budget for what the stream can hold, past it for the budget.
    EXPECT_NE(decode(decodePng, withSides(good, 4096, 4096))
                  .error.find("larger than its compressed data"),
              std::string::npos);
    EXPECT_EQ(decode(decodePng, withSides(good, 16384, 16384)).error,
              "image too big: 16384 x 16384 pixels take 1073741824 bytes decoded, over the "
              "67108864-byte budget");
    // libpng's own limit would call this "Invalid IHDR data".
    EXPECT_EQ(decode(decodePng, withSides(good, 100000, 1)).error,
              "image too big: 100000 x 1 pixels, over the 16384-pixel side limit");
}

TEST(PngDecoder, RefusesAValidImageOverTheBudgetBeforeReadingRows) {
    // A real, valid 1-bit grey image: 2048 x 2048 pixels in a few hundred bytes, which
    // would decode to 16 MiB of RGBA.
    PngOptions grey1;
    grey1.colorType = 0;
    grey1.bitDepth = 1;
    const Bytes file = makePng(2048, 2048, Bytes(2048 / 8 * 2048, 0xff), grey1);
    ASSERT_LT(file.size(), 64u * 1024);
    const Image refused = decodePng(file.data(), file.size(), (std::uint64_t{16} << 20) - 1);
    EXPECT_EQ(refused.error,
              "image too big: 2048 x 2048 pixels take 16777216 bytes decoded, over the "
              "16777215-byte budget");
    EXPECT_TRUE(refused.pixels.empty());
    const Image fits = decodePng(file.data(), file.size(), std::uint64_t{16} << 20);
    ASSERT_TRUE(fits.isValid()) << fits.error;
    EXPECT_EQ(fits.pixels.size(), std::size_t{16} << 20);
    EXPECT_EQ(fits.pixels[0], 0xff);
}
