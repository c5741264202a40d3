#include "core/Umapobject.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A name no other test run uses.
std::string UniqueName(const char* what)
{
    static int counter = 0;
    return std::string("Vektara test ") + what + " " + std::to_string(getpid()) + "." + std::to_string(++counter);
}

// Runs the check in a forked child and returns whether it held there.
bool InChild(const std::function<bool()>& check)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(check() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A child that publishes the text, reports through a pipe and then waits to be killed.
pid_t StartPublisher(const std::string& name, const std::string& text)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        TMappingIndex index = MappingString(name, text);
        const char ok = index.IsValid() ? '1' : '0';
        if (write(ready[1], &ok, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(ready[1]);
    char ok = '0';
    if (read(ready[0], &ok, 1) != 1)
        ok = '0';
    close(ready[0]);
    return ok == '1' ? pid : -1;
}

void Kill(pid_t pid)
{
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

TEST(SharedMemoryName, DerivedFromTheText)
{
    EXPECT_EQ(platform::SharedMemoryName("Quillore Vektara"), "/Quillore Vektara");
    EXPECT_EQ(platform::SharedMemoryName("a/b"), "/a_b");
    EXPECT_EQ(platform::SharedMemoryName(""), "/_");
    EXPECT_EQ(platform::SharedMemoryName(".."), "/.._");
    EXPECT_EQ(platform::SharedMemoryName(std::string(400, 'x')).size(), 255u);
}

TEST(MappingString, PublishesWithinTheProcess)
{
    const std::string name = UniqueName("local");
    EXPECT_FALSE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "");

    TMappingIndex index = MappingString(name, "123456");
    ASSERT_TRUE(index.IsValid());
    EXPECT_EQ(index.Size, 7u);
    EXPECT_TRUE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "123456");

    StringToMapFile(name, "42");
    EXPECT_EQ(StringFromMapFile(name), "42");

    UnmappingString(index);
    EXPECT_FALSE(index.IsValid());
    EXPECT_FALSE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "");
}

TEST(MappingString, EmptyTextIsOneZeroByte)
{
    const std::string name = UniqueName("empty");
    TMappingIndex index = MappingString(name, "");
    ASSERT_TRUE(index.IsValid());
    EXPECT_EQ(index.Size, 1u);
    EXPECT_TRUE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "");
    UnmappingString(index);
}

TEST(MappingString, WritesAndReadsStayInsideTheBlock)
{
    // Regression: a longer text overran the block, and reading trusted a terminating zero.
    const std::string name = UniqueName("bounds");
    TMappingIndex index = MappingString(name, "abc");
    ASSERT_TRUE(index.IsValid());
    StringToMapFile(name, "abcdefghijklmnop");
    EXPECT_EQ(StringFromMapFile(name), "abc");
    StringToMapFile(name, "xあ");   // no room for the whole of あ: cut before it
    EXPECT_EQ(StringFromMapFile(name), "x");

    std::memset(index.View, 'z', index.Size);   // no zero byte left
    EXPECT_EQ(StringFromMapFile(name), "zzzz");
    UnmappingString(index);
}

TEST(MappingString, SeenFromAnotherProcess)
{
    const std::string name = UniqueName("cross");
    EXPECT_TRUE(InChild([&] { return !CheckMapping(name); }));

    TMappingIndex index = MappingString(name, "12345678");
    ASSERT_TRUE(index.IsValid());
    EXPECT_TRUE(InChild([&] { return CheckMapping(name) && StringFromMapFile(name) == "12345678"; }));

    UnmappingString(index);
    EXPECT_TRUE(InChild([&] { return !CheckMapping(name); }));
}

TEST(MappingString, SecondPublisherWritesIntoTheLiveBlock)
{
    const std::string name = UniqueName("second");
    TMappingIndex index = MappingString(name, "12345");
    ASSERT_TRUE(index.IsValid());
    EXPECT_TRUE(InChild([&] {
        TMappingIndex other = MappingString(name, "abcdefghij");
        const bool wrote = other.IsValid() && !other.Publisher;
        UnmappingString(other);
        return wrote;
    }));
    EXPECT_TRUE(CheckMapping(name));   // the second one did not remove the name
    EXPECT_EQ(StringFromMapFile(name), "abcde");
    UnmappingString(index);
    EXPECT_FALSE(CheckMapping(name));
}

TEST(MappingString, BlockOfAKilledPublisherIsStale)
{
    const std::string name = UniqueName("killed");
    const pid_t publisher = StartPublisher(name, "4711");
    ASSERT_GT(publisher, 0);
    EXPECT_TRUE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "4711");

    Kill(publisher);
    EXPECT_FALSE(CheckMapping(name));
    EXPECT_FALSE(platform::OpenSharedMapping(name, false).IsValid()) << "the stale block is removed";

    TMappingIndex index = MappingString(name, "815");
    ASSERT_TRUE(index.IsValid());
    EXPECT_TRUE(index.Publisher);
    EXPECT_TRUE(InChild([&] { return CheckMapping(name) && StringFromMapFile(name) == "815"; }));
    UnmappingString(index);
}

TEST(MappingString, NewPublisherTakesOverAStaleBlockDirectly)
{
    const std::string name = UniqueName("takeover");
    const pid_t publisher = StartPublisher(name, "a much longer text than the next one");
    ASSERT_GT(publisher, 0);
    Kill(publisher);

    TMappingIndex index = MappingString(name, "short");
    ASSERT_TRUE(index.IsValid());
    EXPECT_TRUE(index.Publisher);
    EXPECT_EQ(index.Size, 6u);
    EXPECT_TRUE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), "short");
    UnmappingString(index);
    EXPECT_FALSE(CheckMapping(name));
}

} // namespace
