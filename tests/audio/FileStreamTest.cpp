#include "audio/FileStream.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;

TEST(FileStreamStatus, RefusedAndShortOperationsFailWithoutSideEffects)
{
    TempDir dir;
    const auto path = dir.write("r.wav", Bytes(4000, 9));
    FileStream stream;
    EXPECT_EQ(stream.open(path, static_cast<OpenKind>(2)), StreamStatus::NotAllowed);
    // The RIFF header needs 8 bytes; a failed header read must not leave the file open.
    EXPECT_EQ(stream.open(dir.write("5.wav", Bytes{'R', 'I', 'F', 'F', 1}), OpenKind::ReadHeader),
              StreamStatus::IoFailure);
    EXPECT_EQ(stream.state(), StreamState::Closed);
    EXPECT_EQ(stream.seekTo(0), StreamStatus::IoFailure); // no handle left behind

    ASSERT_EQ(stream.open(path, OpenKind::Read), StreamStatus::Ok);
    const Bytes bytes(4096, 1);
    EXPECT_EQ(stream.write(bytes.data(), 1), StreamStatus::NotAllowed);
    EXPECT_EQ(stream.runningCount(), 0u);
    Bytes into(4096);
    EXPECT_EQ(stream.readBytes(into.data(), 0), StreamStatus::IoFailure);
    std::uint64_t bytesRead = 77;
    EXPECT_EQ(stream.readBlock(into.data(), 4096, bytesRead), StreamStatus::IoFailure);
    EXPECT_EQ(bytesRead, 77u); // a short read reports no partial count

    ASSERT_EQ(stream.open(dir.path() / "w.wav", OpenKind::Create), StreamStatus::Ok);
    ASSERT_EQ(stream.write(bytes.data(), 1024), StreamStatus::Ok);
    ASSERT_EQ(stream.write(bytes.data(), 10), StreamStatus::Ok);
    EXPECT_EQ(stream.runningCount(), 1034u); // every write adds to the RIFF count
}
