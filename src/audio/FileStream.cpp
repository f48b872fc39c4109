#include "audio/FileStream.h"

#include "audio/ByteOrder.h"
#include "audio/PlatformFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tabrix {

namespace {

// One item of n bytes: all or nothing, never a partial count.
bool readExactly(std::FILE* handle, std::uint8_t* into, std::size_t byteCount) noexcept
{
    return handle != nullptr && byteCount != 0 && std::fread(into, byteCount, 1, handle) == 1;
}

constexpr std::uint64_t maxPosition = std::uint64_t(std::numeric_limits<std::int64_t>::max());

} // namespace

FileStream::~FileStream()
{
    close();
}

StreamStatus FileStream::open(const std::filesystem::path& path, OpenKind kind)
{
    close();
    const char* mode = nullptr;
    StreamState reached = StreamState::Closed;
    switch (kind) {
    case OpenKind::Create: mode = "wb"; reached = StreamState::Writing; break;
    case OpenKind::ReadHeader:
    case OpenKind::Read: mode = "rb"; reached = StreamState::Reading; break;
    case OpenKind::Update: mode = "wb+"; reached = StreamState::Updating; break;
    default: return StreamStatus::NotAllowed;
    }
    handle = platform::openFile(path, mode);
    if (handle == nullptr)
        return StreamStatus::IoFailure;
    // Output is written in whole blocks, so a buffer gains nothing; without one, the sizes a
    // writer counts are the bytes the system took, and no late flush can add to a file after
    // it was cut back.
    if (reached != StreamState::Reading && std::setvbuf(handle, nullptr, _IONBF, 0) != 0) {
        close();
        return StreamStatus::IoFailure;
    }
    if (kind == OpenKind::ReadHeader) {
        std::array<std::uint8_t, 8> riffHeader{};
        if (!readExactly(handle, riffHeader.data(), riffHeader.size())) {
            close();
            return StreamStatus::IoFailure;
        }
        std::copy_n(riffHeader.begin(), 4, riffChunkId.begin());
        riffCount = loadU32le(&riffHeader[4]);
    }
    streamState = reached;
    return StreamStatus::Ok;
}

StreamStatus FileStream::close() noexcept
{
    const bool closed = handle == nullptr || std::fclose(handle) == 0;
    handle = nullptr;
    streamState = StreamState::Closed;
    return closed ? StreamStatus::Ok : StreamStatus::IoFailure;
}

void FileStream::flush() noexcept
{
    if (handle != nullptr)
        std::fflush(handle);
}

StreamStatus FileStream::write(const std::uint8_t* from, std::uint64_t byteCount) noexcept
{
    if (handle == nullptr || streamState == StreamState::Closed ||
        streamState == StreamState::Reading)
        return StreamStatus::NotAllowed;
    if (from == nullptr || byteCount == 0 || byteCount > std::numeric_limits<std::size_t>::max() ||
        std::fwrite(from, static_cast<std::size_t>(byteCount), 1, handle) != 1)
        return StreamStatus::IoFailure;
    riffCount += static_cast<std::uint32_t>(byteCount);
    return StreamStatus::Ok;
}

StreamStatus FileStream::tell(std::int64_t& position) noexcept
{
    if (handle == nullptr)
        return StreamStatus::IoFailure;
    const std::int64_t at = platform::tellFile(handle);
    if (at < 0)
        return StreamStatus::IoFailure;
    position = at;
    return StreamStatus::Ok;
}

StreamStatus FileStream::seekTo(std::uint64_t position) noexcept
{
    flush();
    if (handle == nullptr || position > maxPosition ||
        !platform::seekFile(handle, static_cast<std::int64_t>(position), SEEK_SET))
        return StreamStatus::IoFailure;
    return StreamStatus::Ok;
}

StreamStatus FileStream::skip(std::uint64_t byteCount) noexcept
{
    if (handle == nullptr || byteCount > maxPosition ||
        !platform::seekFile(handle, static_cast<std::int64_t>(byteCount), SEEK_CUR))
        return StreamStatus::IoFailure;
    return StreamStatus::Ok;
}

StreamStatus FileStream::readWord(std::array<std::uint8_t, 4>& into) noexcept
{
    return readExactly(handle, into.data(), into.size()) ? StreamStatus::Ok
                                                         : StreamStatus::IoFailure;
}

StreamStatus FileStream::readChunkHeader(std::array<std::uint8_t, 8>& into) noexcept
{
    return readExactly(handle, into.data(), into.size()) ? StreamStatus::Ok
                                                         : StreamStatus::IoFailure;
}

StreamStatus FileStream::readBytes(std::uint8_t* into, std::uint32_t byteCount) noexcept
{
    return into != nullptr && readExactly(handle, into, byteCount) ? StreamStatus::Ok
                                                                   : StreamStatus::IoFailure;
}

StreamStatus FileStream::readBlock(std::uint8_t* into, std::uint64_t byteCount,
                                   std::uint64_t& bytesRead) noexcept
{
    if (into == nullptr || byteCount > std::numeric_limits<std::size_t>::max() ||
        !readExactly(handle, into, static_cast<std::size_t>(byteCount)))
        return StreamStatus::IoFailure;
    bytesRead = byteCount;
    return StreamStatus::Ok;
}

StreamStatus FileStream::readTfid(TfidChunk& into) noexcept
{
    std::uint8_t* body = into.body.data();
    for (std::size_t part : {8u, 10u, 8u}) {
        if (!readExactly(handle, body, part))
            return StreamStatus::IoFailure;
        body += part;
    }
    return StreamStatus::Ok;
}

StreamStatus FileStream::readBext(BextChunk& into, std::uint32_t declaredBytes,
                                  std::uint64_t fileBytes) noexcept
{
    if (declaredBytes < bextFixedBytes)
        return StreamStatus::IoFailure;
    if (!readExactly(handle, into.body.data(), bextFixedBytes))
        return StreamStatus::IoFailure;
    const std::uint64_t historyBytes = declaredBytes - bextFixedBytes;
    if (historyBytes == 0)
        return StreamStatus::Ok;
    // The history is never kept, so it is skipped rather than read into a buffer sized by a
    // number from the file; a history running past the end still rejects the file.
    std::int64_t at = 0;
    if (tell(at) != StreamStatus::Ok || std::uint64_t(at) + historyBytes > fileBytes)
        return StreamStatus::IoFailure;
    return skip(historyBytes);
}

StreamStatus FileStream::length(std::uint64_t& byteCount) noexcept
{
    std::int64_t here = 0;
    if (tell(here) != StreamStatus::Ok || !platform::seekFile(handle, 0, SEEK_END))
        return StreamStatus::IoFailure;
    std::int64_t end = 0;
    const StreamStatus status = tell(end);
    if (!platform::seekFile(handle, here, SEEK_SET) || status != StreamStatus::Ok)
        return StreamStatus::IoFailure;
    byteCount = std::uint64_t(end);
    return StreamStatus::Ok;
}

StreamStatus FileStream::storedLength(std::uint64_t& byteCount) noexcept
{
    const std::int64_t stored = handle != nullptr ? platform::fileLength(handle) : -1;
    if (stored < 0)
        return StreamStatus::IoFailure;
    byteCount = std::uint64_t(stored);
    return StreamStatus::Ok;
}

StreamStatus FileStream::truncate(std::uint64_t byteCount) noexcept
{
    return handle != nullptr && platform::truncateFile(handle, byteCount) ? StreamStatus::Ok
                                                                          : StreamStatus::IoFailure;
}

} // namespace tabrix
