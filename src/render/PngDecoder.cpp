// PngDecoder: libpng's sequential reader over a byte buffer, expanding every PNG to RGBA8.
#include "render/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/AssetFile.h"

namespace {

constexpr std::size_t signatureSize = 8;

// Everything the libpng callbacks touch. NOTE: it lives outside the function that calls
// setjmp, so nothing libpng's longjmp skips over needs a destructor, and nothing read after
// the jump is a local modified since the setjmp.
struct PngJob {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    char message[160] = {};
    Image* image = nullptr;
    std::vector<png_bytep>* rows = nullptr;
};

void onError(png_structp png, png_const_charp text) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", text != nullptr ? text : "error");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {
    // Warnings (odd ancillary chunks, gamma notes) do not change the pixels: stay quiet.
}

void readBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (count > job->size - job->position) {
        png_error(png, "file ends inside the image data");
    }
    std::memcpy(out, job->data + job->position, count);
    job->position += count;
}

// Worst-case inflation of deflate is about 1032 : 1; an image whose filtered rows could not
// come out of this many compressed bytes is refused before its pixels are allocated.
bool fitsInStream(std::uint64_t width, std::uint64_t height, int bitDepth, int channels,
                  std::size_t size) {
    const auto bitsPerPixel =
        static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(bitDepth);
    const std::uint64_t rowBytes = (width * bitsPerPixel + 7) / 8 + 1;
    return rowBytes * height <= std::uint64_t{size} * 1032 + 4096;
}

std::uint32_t readBigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

// The refusal for an image whose decoded pixels pass the budget; empty when they fit.
std::string checkDecodedSize(std::uint64_t width, std::uint64_t height,
                             std::uint64_t maxPixelBytes) {
    const std::string sides = std::to_string(width) + " x " + std::to_string(height);
    if (width > maxImageSide || height > maxImageSide) {
        return "image too big: " + sides + " pixels, over the " + std::to_string(maxImageSide) +
               "-pixel side limit";
    }
    const std::uint64_t bytes = width * height * 4;
    if (bytes <= maxPixelBytes) {
        return std::string();
    }
    return "image too big: " + sides + " pixels take " + std::to_string(bytes) +
           " bytes decoded, over the " + std::to_string(maxPixelBytes) + "-byte budget";
}

// Returns false on any failure with the reason in job.message. All state is in job.
bool readPng(png_structp png, png_infop info, PngJob& job) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &job, readBytes);
    png_set_sig_bytes(png, static_cast<int>(signatureSize));
    png_set_user_limits(png, maxImageSide, maxImageSide);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!fitsInStream(width, height, bitDepth, png_get_channels(png, info), job.size)) {
        png_error(png, "image larger than its compressed data can hold");
    }

    // Whatever the file holds, GL receives 8-bit red, green, blue, alpha. None of these
    // transforms applies to an 8-bit RGBA file, whose bytes pass through unchanged.
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0) {
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    }
    if (interlace != PNG_INTERLACE_NONE) {
        png_set_interlace_handling(png);
    }
    png_read_update_info(png, info);
    const std::uint64_t rowBytes = std::uint64_t{width} * 4;
    if (png_get_rowbytes(png, info) != rowBytes) {
        png_error(png, "unexpected pixel layout after expansion");
    }

    job.image->width = width;
    job.image->height = height;
    // checkDecodedSize held width x height x 4 to the budget, far below 4 GiB.
    job.image->pixels.resize(static_cast<std::size_t>(rowBytes * height));
    job.rows->resize(height);
    // The top row of the picture goes last, so rows end up bottom-up as GL expects.
    for (png_uint_32 i = 0; i < height; ++i) {
        (*job.rows)[i] = job.image->pixels.data() + (height - 1 - i) * rowBytes;
    }
    // NOTE: the chunks after the image data are not read: a file cut short after its last
    // row still gives its picture.
    png_read_image(png, job.rows->data());
    return true;
}

}  // namespace

Image decodePng(const std::uint8_t* data, std::size_t size) {
    return decodePng(data, size, AssetKind::decodedImageBudget);
}

Image decodePng(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixelBytes) {
    Image image;
    if (data == nullptr || size < signatureSize || png_sig_cmp(data, 0, signatureSize) != 0) {
        image.error = "not a PNG file";
        return image;
    }
    // NOTE: the header is judged here, before libpng sees it: libpng refuses sides past its
    // user limits as "Invalid IHDR data", which would hide that the image is only too big.
    // IHDR must come first, so a file that has it elsewhere fails in libpng anyway.
    constexpr std::size_t headerEnd = signatureSize + 8 + 13;
    if (size >= headerEnd && std::memcmp(data + signatureSize + 4, "IHDR", 4) == 0) {
        image.error =
            checkDecodedSize(readBigEndian(data + 16), readBigEndian(data + 20), maxPixelBytes);
        if (!image.error.empty()) {
            return image;
        }
    }
    PngJob job;
    std::vector<png_bytep> rows;
    job.data = data;
    job.size = size;
    job.position = signatureSize;
    job.image = &image;
    job.rows = &rows;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (png == nullptr) {
        image.error = "cannot create a PNG reader";
        return image;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        image.error = "cannot create a PNG reader";
        return image;
    }
    const bool ok = readPng(png, info, job);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        image = Image();
        image.error = std::string("damaged PNG: ") + job.message;
    }
    return image;
}
