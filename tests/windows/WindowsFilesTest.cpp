// Windows' C runtime: file sizes past 32 bits and bytes read back unchanged by the asset reader.
#include <gtest/gtest.h>

#include <string>

#include "assets/AssetFile.h"
#include "support/ScratchDir.h"

TEST(WindowsFiles, SizesPast32BitsAreTheFilesTrueSizes) {
    ScratchDir files;
    AssetFile file;
    std::string problem;
    // NOTE: sparse, so they cost no disk space. With 32-bit sizes the first one came out
    // negative and the second as one byte, read and accepted as a whole shader.
    EXPECT_FALSE(file.read(files.makeSparse("big.frag", std::uint64_t{2} << 30), AssetKind::shader,
                           problem));
    EXPECT_EQ(problem,
              "file too large: 2147483648 bytes, over the 1048576-byte budget for a shader");
    EXPECT_FALSE(file.read(files.makeSparse("huge.frag", (std::uint64_t{4} << 30) + 1),
                           AssetKind::shader, problem));
    EXPECT_EQ(problem,
              "file too large: 4294967297 bytes, over the 1048576-byte budget for a shader");
    EXPECT_EQ(file.getSize(), 0u);
}

TEST(WindowsFiles, BytesComeBackUnchanged) {
    ScratchDir files;
    // A text-mode read would drop the '\r' of "\r\n" and stop at the Ctrl-Z byte.
    const std::string bytes(
        "line\r\nnext\x1a"
        "after\0end\n",
        21);
    AssetFile file;
    std::string problem;
    ASSERT_TRUE(file.read(files.write("crlf.vert", bytes), AssetKind::shader, problem)) << problem;
    EXPECT_EQ(std::string(file.getData(), file.getSize()), bytes);
}

TEST(WindowsFiles, ATrailingSlashNamesADirectoryAsOnLinux) {
    ScratchDir files;
    files.makeDirectory("dir.json");
    files.write("file.json", "{}");
    AssetFile file;
    std::string problem;
    EXPECT_FALSE(file.read(files.path("dir.json/"), AssetKind::meshDocument, problem));
    EXPECT_EQ(problem, "not a regular file (a directory)");
    EXPECT_FALSE(file.read(files.path("file.json/"), AssetKind::meshDocument, problem));
    EXPECT_EQ(problem, "cannot open: Not a directory");
}
