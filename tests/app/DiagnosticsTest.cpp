// Tests of the diagnostic line writer: exact bytes, whole lines, failed streams.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "app/Diagnostics.h"
#include "app/Platform.h"

namespace {

// A pipe whose write end is a stdio stream; the read end never blocks.
struct Pipe {
    int ends[2] = {-1, -1};
    std::FILE* writer = nullptr;
    Pipe() {
        if (pipe(ends) == 0) {
            fcntl(ends[0], F_SETFL, O_NONBLOCK);
            writer = fdopen(ends[1], "w");
        }
    }
    ~Pipe() {
        if (writer != nullptr) {
            std::fclose(writer);
        }
        if (ends[0] >= 0) {
            close(ends[0]);
        }
    }
    // Everything written so far: it all fits the pipe, so one read takes it.
    std::string take() const {
        std::string buffer(std::size_t{1} << 16, '\0');
        const long long got = readFromFile(ends[0], buffer.data(), buffer.size());
        buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return buffer;
    }
};

}  // namespace

TEST(Diagnostics, WritesTheFormattedTextAndOneNewline) {
    Pipe channel;
    std::FILE* out = channel.writer;
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(writeDiagnostic(out, "%s: %d x %u, 0x%04X", "data/a.png", -3, 7u, 0x502u));
    EXPECT_TRUE(writeDiagnostic(out, "Could not compile %s %u:\n%s", "vertexShader", 35633u,
                                "0:1(1): error: syntax error\n"));
    EXPECT_TRUE(writeDiagnostic(out, "%s", ""));
    EXPECT_EQ(channel.take(),
              "data/a.png: -3 x 7, 0x0502\n"
              "Could not compile vertexShader 35633:\n0:1(1): error: syntax error\n\n"
              "\n");
}

TEST(Diagnostics, EachLineIsOutBeforeTheCallReturns) {
    Pipe channel;
    ASSERT_NE(channel.writer, nullptr);
    EXPECT_TRUE(writeDiagnostic(channel.writer, "%f %f ", 0.015, 0.016));
    // No flush of ours: the writer's own flush must have sent the whole line.
    EXPECT_EQ(channel.take(), "0.015000 0.016000 \n");
    // The stack buffer's edge: lines of 1,022 to 1,025 characters before the newline.
    for (std::size_t length = 1022; length <= 1025; ++length) {
        const std::string text(length, 'x');
        EXPECT_TRUE(writeDiagnostic(channel.writer, "%s", text.c_str()));
        EXPECT_EQ(channel.take(), text + "\n") << length;
    }
}

TEST(Diagnostics, LinesLongerThanTheStackBufferAreNotCut) {
    Pipe channel;
    std::FILE* out = channel.writer;
    ASSERT_NE(out, nullptr);
    std::string log;
    for (int i = 0; i < 300; ++i) {
        log += "0:" + std::to_string(i) + "(1): error: undeclared identifier\n";
    }
    ASSERT_GT(log.size(), 8192u);
    EXPECT_TRUE(writeDiagnostic(out, "Could not compile %s %u:\n%s", "fragmentShader", 35632u,
                                log.c_str()));
    EXPECT_EQ(channel.take(), "Could not compile fragmentShader 35632:\n" + log + "\n");
}

TEST(Diagnostics, AGoneReaderOrNoStreamIsAFailureNotACrash) {
    EXPECT_FALSE(writeDiagnostic(nullptr, "nowhere"));
    Pipe channel;
    ASSERT_NE(channel.writer, nullptr);
    close(channel.ends[0]);
    channel.ends[0] = -1;
    void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
    const std::string longLine(5000, 'y');
    EXPECT_FALSE(writeDiagnostic(channel.writer, "short"));
    EXPECT_FALSE(writeDiagnostic(channel.writer, "%s", longLine.c_str()));
    // Each line is tried afresh: the stream is not left marked as failed.
    EXPECT_EQ(std::ferror(channel.writer), 0);
    std::signal(SIGPIPE, previous);
}
