// The capture service's runtime folder: made private, and refused when someone else could
// have put a FIFO or a socket of their own into it.

#include "capture/CapturePaths.h"
#include "support/MessageOf.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace marlet;
using marlet::testing::messageOf;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

} // namespace

TEST(CapturePathsTest, MakesThePrivateFolderWhateverTheUmask) {
    TempFolder temp;
    std::string folder = temp.file("marlet-1000");
    mode_t old = umask(0);
    makeOwnFolder(folder);
    umask(old);
    EXPECT_EQ(modeOf(folder), 0700u);
    // A second start finds its own folder and takes it.
    EXPECT_NO_THROW(makeOwnFolder(folder));
}

TEST(CapturePathsTest, RefusesAFolderOthersMayEnterOrALink) {
    TempFolder temp;
    std::string open = temp.file("open");
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    chmod(open.c_str(), 0777);
    EXPECT_EQ(messageOf([&] { makeOwnFolder(open); }),
              "The folder " + open +
                  " is not the user's own: others may enter it; remove it or set XDG_RUNTIME_DIR");

    std::string own = temp.file("own");
    ASSERT_EQ(mkdir(own.c_str(), 0700), 0);
    std::string link = temp.file("link");
    ASSERT_EQ(symlink(own.c_str(), link.c_str()), 0);
    EXPECT_EQ(messageOf([&] { makeOwnFolder(link); }),
              "The folder " + link + " is not the user's own: it is a symbolic link; remove it");
}

TEST(CapturePathsTest, RefusesAFolderAnotherUserMadeFirst) {
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    TempFolder temp;
    std::string folder = temp.file("marlet-1000");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(messageOf([&] { makeOwnFolder(folder); }),
              "The folder " + folder +
                  " is not the user's own: another user owns it; remove it or set XDG_RUNTIME_DIR");
}
