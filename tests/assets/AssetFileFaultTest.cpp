// AssetFile under system calls that fail, stop short or see the file change between checks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "assets/AssetFile.h"
#include "support/ScratchDir.h"

namespace {

// What goes wrong, and when. Every call not named here is the platform's own, on a real file.
struct Faults {
    int statError = 0;          // errno of a failing stat of the path
    int statType = -1;          // file type bits the stat reports instead of the real ones
    int openError = 0;          // errno of a failing open
    int fstatError = 0;         // errno of a failing fstat of the open file
    int fstatType = -1;         // the open file's type: the path was swapped after the stat
    long long fstatSize = -1;   // the open file's size: it grew or shrank after the stat
    int readErrorAt = -1;       // this read call (0: the first) fails with EIO
    int interruptAt = -1;       // this read call is interrupted by a signal (EINTR)
    std::size_t readLimit = 0;  // the most bytes one read gives (a pipe-like file); 0: all
    std::size_t endAfter = ~std::size_t{0};  // reads find the end here (the file shrank)
};

Faults active;
int readCalls = 0;
std::size_t delivered = 0;

void applyType(struct stat* status, int type) {
    if (type >= 0) {
        status->st_mode = static_cast<decltype(status->st_mode)>((status->st_mode & ~S_IFMT) |
                                                                 static_cast<unsigned>(type));
    }
}

int faultyStat(const char* path, struct stat* status) {
    if (active.statError != 0) {
        errno = active.statError;
        return -1;
    }
    const int result = AssetFileCalls::platform.statFile(path, status);
    applyType(status, active.statType);
    return result;
}

int faultyOpen(const char* path) {
    if (active.openError != 0) {
        errno = active.openError;
        return -1;
    }
    return AssetFileCalls::platform.openFile(path);
}

int faultyFstat(int fd, struct stat* status) {
    if (active.fstatError != 0) {
        errno = active.fstatError;
        return -1;
    }
    const int result = AssetFileCalls::platform.statOpenFile(fd, status);
    applyType(status, active.fstatType);
    if (active.fstatSize >= 0) {
        status->st_size = static_cast<decltype(status->st_size)>(active.fstatSize);
    }
    return result;
}

long long faultyRead(int fd, void* out, std::size_t count) {
    const int call = readCalls++;
    if (call == active.interruptAt) {
        errno = EINTR;
        return -1;
    }
    if (call == active.readErrorAt) {
        errno = EIO;
        return -1;
    }
    if (active.readLimit > 0) {
        count = std::min(count, active.readLimit);
    }
    count = std::min(count, active.endAfter - std::min(active.endAfter, delivered));
    if (count == 0) {
        return 0;
    }
    const long long n = AssetFileCalls::platform.readFile(fd, out, count);
    if (n > 0) {
        delivered += static_cast<std::size_t>(n);
    }
    return n;
}

// Puts the faults in the reader's way for its lifetime.
class InjectedFaults {
public:
    explicit InjectedFaults(const Faults& faults) {
        active = faults;
        readCalls = 0;
        delivered = 0;
        AssetFile::systemCalls = {faultyStat, faultyOpen, faultyFstat, faultyRead};
    }
    ~InjectedFaults() { AssetFile::systemCalls = AssetFileCalls::platform; }
    InjectedFaults(const InjectedFaults&) = delete;
    InjectedFaults& operator=(const InjectedFaults&) = delete;
};

struct FaultCase {
    const char* what;
    Faults faults;
    std::string problem;   // empty: the read succeeds
    std::size_t size = 0;  // the bytes a successful read holds
};

// Faults with one field set.
template <typename T>
Faults fault(T Faults::*field, std::common_type_t<T> value) {
    Faults faults;
    faults.*field = value;
    return faults;
}

std::string errorText(int error) { return std::strerror(error); }

}  // namespace

TEST(AssetFileFaults, EachFaultIsRefusedWithItsReasonOrReadThrough) {
    ScratchDir files;
    // A BMP of 100 bytes: the signature is read apart from the rest, so both reads are hit.
    std::string bytes = "BM";
    for (int i = 0; i < 98; ++i) {
        bytes += static_cast<char>('a' + i % 26);
    }
    const std::string path = files.write("faults.bmp", bytes);
    const std::string budget = std::to_string(AssetKind::bmpImage.budget);

    const std::string tooLarge =
        "file too large: " + std::to_string(AssetKind::bmpImage.budget + 1) + " bytes, over the " +
        budget + "-byte budget for a BMP";
    const long long overBudget = static_cast<long long>(AssetKind::bmpImage.budget) + 1;
    std::vector<FaultCase> cases = {
        // Refused before the open.
        {"stat fails", fault(&Faults::statError, EACCES), "cannot open: " + errorText(EACCES)},
#ifdef S_IFSOCK
        {"a socket", fault(&Faults::statType, S_IFSOCK), "not a regular file (a socket)"},
#endif
#ifdef S_IFBLK
        {"a block device", fault(&Faults::statType, S_IFBLK),
         "not a regular file (a block device)"},
#endif
        {"no type bits", fault(&Faults::statType, 0),
         "not a regular file (an unknown type of file)"},
        // The open, and the file as it is once open.
        {"open fails", fault(&Faults::openError, EMFILE), "cannot open: " + errorText(EMFILE)},
        {"fstat fails", fault(&Faults::fstatError, EIO),
         "cannot take the file's size: " + errorText(EIO)},
        {"swapped for a FIFO after the stat", fault(&Faults::fstatType, S_IFIFO),
         "not a regular file (a FIFO)"},
        {"grew past the budget after the stat", fault(&Faults::fstatSize, overBudget), tooLarge},
        // Reading.
        {"the signature's read fails", fault(&Faults::readErrorAt, 0),
         "cannot read: " + errorText(EIO)},
        {"the rest's read fails", fault(&Faults::readErrorAt, 1), "cannot read: " + errorText(EIO)},
        {"ends inside the signature", fault(&Faults::endAfter, 1), "read 1 of 100 bytes"},
        {"shrinks while read", fault(&Faults::endAfter, 50), "read 50 of 100 bytes"},
        {"shorter than its size says", fault(&Faults::fstatSize, 160), "read 100 of 160 bytes"},
        // Read through: a signal or a short read only means asking again.
        {"the signature's read is interrupted", fault(&Faults::interruptAt, 0), "", 100},
        {"the rest's read is interrupted", fault(&Faults::interruptAt, 1), "", 100},
        {"one byte a read", fault(&Faults::readLimit, 1), "", 100},
        {"seven bytes a read", fault(&Faults::readLimit, 7), "", 100},
        // NOTE: a file that grew after the open is read to the size fstat gave: what was
        // appended later is not part of this read.
        {"grew after the open", fault(&Faults::fstatSize, 60), "", 60},
    };

    for (const FaultCase& c : cases) {
        AssetFile file;
        std::string problem;
        bool ok = false;
        {
            InjectedFaults faults(c.faults);
            ok = file.read(path, AssetKind::bmpImage, problem);
        }
        EXPECT_EQ(problem, c.problem) << c.what;
        if (c.problem.empty()) {
            EXPECT_TRUE(ok) << c.what;
            ASSERT_EQ(file.getSize(), c.size) << c.what;
            EXPECT_EQ(std::string(file.getData(), file.getSize()), bytes.substr(0, c.size))
                << c.what;
            // The padding after the content is zeroed, however the content arrived.
            EXPECT_EQ(std::string(file.getData() + c.size, AssetFile::padding),
                      std::string(AssetFile::padding, '\0'))
                << c.what;
        } else {
            EXPECT_FALSE(ok) << c.what;
            EXPECT_EQ(file.getSize(), 0u) << c.what;
        }
    }
}

TEST(AssetFileFaults, AFileTooLargeToHoldIsRefusedNotFatal) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer ends the process on an allocation this large instead of "
                    "failing it";
#endif
    // Only a kind whose budget is past any memory gets this far: the game's budgets refuse such
    // a file before anything is allocated.
    const AssetKind unbounded = {"a test file", ~std::uint64_t{0}, {}};
    ScratchDir files;
    const std::string path = files.write("huge.bin", "abc");
    AssetFile file;
    std::string problem;
    {
        InjectedFaults faults(fault(&Faults::fstatSize, 1LL << 62));
        EXPECT_FALSE(file.read(path, unbounded, problem));
    }
    EXPECT_EQ(problem, "file too large to hold in memory");
    EXPECT_EQ(file.getSize(), 0u);
}
