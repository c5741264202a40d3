#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = temp_.Make("vkt-files"); }

    std::size_t EntryCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    vkttest::TempFolder temp_;
    std::string dir_;
};

} // namespace

TEST_F(FilesTest, Existence)
{
    const std::string file = JoinPath(dir_, "a.txt");
    WriteFileAtomic(file, "x");
    EXPECT_TRUE(FolderExists(dir_));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir_));
    EXPECT_FALSE(FileExists(JoinPath(dir_, "none")));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(FilesTest, JoinPath)
{
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("/a", ""), "/a");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
}

TEST_F(FilesTest, FindsAFileRegardlessOfCase)
{
    WriteFileAtomic(JoinPath(dir_, "VKTDB01.DB"), "");
    fs::create_directory(JoinPath(dir_, "vktdb02.db"));
    EXPECT_EQ(FindFileNoCase(dir_, "Vktdb01.db"), JoinPath(dir_, "VKTDB01.DB"));
    EXPECT_EQ(FindFileNoCase(dir_, "VKTDB01.DB"), JoinPath(dir_, "VKTDB01.DB"));
    EXPECT_EQ(FindFileNoCase(dir_, "vktdb02.db"), "") << "folders are not files";
    EXPECT_EQ(FindFileNoCase(dir_, "Vktdb03.db"), "");
    EXPECT_EQ(FindFileNoCase(JoinPath(dir_, "missing"), "x"), "");
    WriteFileAtomic(JoinPath(dir_, "vktdb01.db"), "");
    EXPECT_EQ(FindFileNoCase(dir_, "vktdb01.db"), JoinPath(dir_, "vktdb01.db")) << "an exact match wins";
    EXPECT_EQ(FindFileNoCase(dir_, "VktDB01.db"), JoinPath(dir_, "VKTDB01.DB")) << "then byte order";
}

TEST_F(FilesTest, AtomicWriteReplacesAndReadsBack)
{
    const std::string file = JoinPath(dir_, "data.bin");
    const std::string bytes("a\0b\xFF", 4);
    WriteFileAtomic(file, bytes);
    EXPECT_EQ(ReadFileBytes(file), bytes);
    ::chmod(file.c_str(), 0640);
    WriteFileAtomic(file, "second");
    EXPECT_EQ(ReadFileBytes(file), "second");
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file is left behind";
}

TEST_F(FilesTest, FailedWriteLeavesNoTemporaryAndRaises)
{
    const std::string target = JoinPath(dir_, "sub");
    fs::create_directory(target);
    WriteFileAtomic(JoinPath(target, "keep"), "k");
    EXPECT_THROW(WriteFileAtomic(target, "x"), FileError) << "a folder cannot be replaced by a file";
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_EQ(ReadFileBytes(JoinPath(target, "keep")), "k");
    EXPECT_THROW(WriteFileAtomic(JoinPath(dir_, "missing/x"), "x"), FileError);
}

// Files come back byte for byte whatever their length, and a stream of no known length (a pipe)
// is read to its end.
TEST_F(FilesTest, ReadsWholeFilesAndStreams)
{
    std::string bytes;
    for (std::size_t i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7 % 251);
    const std::string file = JoinPath(dir_, "data.bin");
    for (const std::size_t size : {0, 1, 65535, 65536, 65537, 300000}) {
        WriteFileAtomic(file, bytes.substr(0, size));
        EXPECT_EQ(ReadFileBytes(file), bytes.substr(0, size)) << size;
    }

    const std::string pipe = JoinPath(dir_, "pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);
        for (std::size_t done = 0; fd >= 0 && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        if (fd >= 0) ::close(fd);
    });
    const std::string read = ReadFileBytes(pipe);
    writer.join();
    EXPECT_EQ(read.size(), bytes.size());
    EXPECT_TRUE(read == bytes);
    EXPECT_THROW(ReadFileBytes(dir_), FileError) << "a folder opens but does not read";
}

TEST_F(FilesTest, ReadAndRemoveErrors)
{
    const std::string file = JoinPath(dir_, "gone");
    try {
        ReadFileBytes(file);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
    }
    WriteFileAtomic(file, "");
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(RemoveFile(file));
    EXPECT_THROW(RemoveFile(dir_), FileError);
}
