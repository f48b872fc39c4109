#include "audio/FileStream.h"

#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tabrix {
namespace {

using testing::Bytes;
using testing::TempDir;

TEST(FileStreamWrite, RefusedOnReadingStreamsAndLeavesRunningCount)
{
    TempDir dir;
    const auto path = dir.write("r.wav", testing::RiffBuilder{}.raw(Bytes(12, 7)).bytes());
    for (OpenKind kind : {OpenKind::ReadHeader, OpenKind::Read}) {
        SCOPED_TRACE(static_cast<int>(kind));
        FileStream stream;
        ASSERT_EQ(stream.open(path, kind), StreamStatus::Ok);
        const std::uint32_t before = stream.runningCount();
        const std::uint8_t byte = 1;
        EXPECT_EQ(stream.write(&byte, 1), StreamStatus::NotAllowed);
        EXPECT_EQ(stream.runningCount(), before);
    }
    FileStream closed;
    const std::uint8_t byte = 1;
    EXPECT_EQ(closed.write(&byte, 1), StreamStatus::NotAllowed);
    EXPECT_EQ(closed.runningCount(), 0u);
}

TEST(FileStreamWrite, RunningCountAddsEveryWriteAcrossOpens)
{
    TempDir dir;
    FileStream stream;
    ASSERT_EQ(stream.open(dir.path() / "a.wav", OpenKind::Create), StreamStatus::Ok);
    const Bytes header(1024, 0);
    const Bytes tail(10, 1);
    ASSERT_EQ(stream.write(header.data(), header.size()), StreamStatus::Ok);
    ASSERT_EQ(stream.write(tail.data(), tail.size()), StreamStatus::Ok);
    EXPECT_EQ(stream.runningCount(), 1034u);

    // Only a header read replaces the count; a new file being written keeps adding to it.
    ASSERT_EQ(stream.open(dir.path() / "b.wav", OpenKind::Create), StreamStatus::Ok);
    ASSERT_EQ(stream.write(tail.data(), 6), StreamStatus::Ok);
    EXPECT_EQ(stream.runningCount(), 1040u);
}

TEST(FileStreamOpen, UnknownKindIsRefusedAndOpensNothing)
{
    TempDir dir;
    const auto path = dir.write("r.wav", Bytes(16, 0));
    for (int kind : {0, 2, 6}) {
        SCOPED_TRACE(kind);
        FileStream stream;
        EXPECT_EQ(stream.open(path, static_cast<OpenKind>(kind)), StreamStatus::NotAllowed);
        EXPECT_EQ(stream.state(), StreamState::Closed);
        std::array<std::uint8_t, 4> word{};
        EXPECT_EQ(stream.readWord(word), StreamStatus::IoFailure);
    }
}

TEST(FileStreamOpen, HeaderReadOnFiveByteFileFailsAndStaysClosed)
{
    TempDir dir;
    const auto path = dir.write("short.wav", Bytes{'R', 'I', 'F', 'F', 1});
    FileStream stream;
    EXPECT_EQ(stream.open(path, OpenKind::ReadHeader), StreamStatus::IoFailure);
    EXPECT_EQ(stream.state(), StreamState::Closed);
    std::array<std::uint8_t, 4> word{};
    EXPECT_EQ(stream.readWord(word), StreamStatus::IoFailure); // no handle left behind
}

TEST(FileStreamOpen, HeaderReadLoadsRiffIdAndSize)
{
    TempDir dir;
    const auto path = dir.write("h.wav", Bytes{'R', 'I', 'F', 'X', 0x04, 0x03, 0x02, 0x01, 'W'});
    FileStream stream;
    ASSERT_EQ(stream.open(path, OpenKind::ReadHeader), StreamStatus::Ok);
    EXPECT_EQ(stream.state(), StreamState::Reading);
    EXPECT_EQ(stream.riffId(), makeFourCc("RIFX"));
    EXPECT_EQ(stream.runningCount(), 0x01020304u);
}

TEST(FileStreamOpen, MissingFileFailsAndStaysClosed)
{
    TempDir dir;
    FileStream stream;
    EXPECT_EQ(stream.open(dir.path() / "none.wav", OpenKind::Read), StreamStatus::IoFailure);
    EXPECT_EQ(stream.state(), StreamState::Closed);
}

TEST(FileStreamOpen, SecondOpenClosesTheFirstFile)
{
    TempDir dir;
    const auto other = dir.write("other.wav", Bytes(4, 0));
    FileStream stream;
    ASSERT_EQ(stream.open(dir.path() / "first.wav", OpenKind::Create), StreamStatus::Ok);
    const Bytes bytes{1, 2, 3, 4, 5};
    ASSERT_EQ(stream.write(bytes.data(), bytes.size()), StreamStatus::Ok);
    ASSERT_EQ(stream.open(other, OpenKind::Read), StreamStatus::Ok);
    EXPECT_EQ(stream.state(), StreamState::Reading);
    // Closing flushed the buffered bytes of the first file.
    EXPECT_EQ(testing::readFile(dir.path() / "first.wav"), bytes);
}

TEST(FileStreamRead, ZeroCountFails)
{
    TempDir dir;
    FileStream stream;
    ASSERT_EQ(stream.open(dir.write("r.wav", Bytes(16, 0)), OpenKind::Read), StreamStatus::Ok);
    std::uint8_t into[4]{};
    EXPECT_EQ(stream.readBytes(into, 0), StreamStatus::IoFailure);
    std::uint64_t bytesRead = 77;
    EXPECT_EQ(stream.readBlock(into, 0, bytesRead), StreamStatus::IoFailure);
    EXPECT_EQ(bytesRead, 77u);
}

TEST(FileStreamRead, ShortBlockFailsAndReportsNothing)
{
    TempDir dir;
    FileStream stream;
    ASSERT_EQ(stream.open(dir.write("r.wav", Bytes(4000, 9)), OpenKind::Read), StreamStatus::Ok);
    Bytes into(4096, 0);
    std::uint64_t bytesRead = 77;
    EXPECT_EQ(stream.readBlock(into.data(), 4096, bytesRead), StreamStatus::IoFailure);
    EXPECT_EQ(bytesRead, 77u);

    ASSERT_EQ(stream.seekTo(0), StreamStatus::Ok);
    ASSERT_EQ(stream.readBlock(into.data(), 4000, bytesRead), StreamStatus::Ok);
    EXPECT_EQ(bytesRead, 4000u);
}

TEST(FileStreamRead, TfidReadsOnlyTheBody)
{
    TempDir dir;
    Bytes bytes(26);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    FileStream stream;
    ASSERT_EQ(stream.open(dir.write("t.bin", bytes), OpenKind::Read), StreamStatus::Ok);
    TfidChunk tfid;
    ASSERT_EQ(stream.readTfid(tfid), StreamStatus::Ok);
    EXPECT_EQ(Bytes(tfid.body.begin(), tfid.body.end()), bytes);
    EXPECT_EQ(tfid.id, makeFourCc("TFID"));
    EXPECT_EQ(tfid.size, 26u);

    TfidChunk past;
    EXPECT_EQ(stream.readTfid(past), StreamStatus::IoFailure);
}

} // namespace
} // namespace tabrix
