#include "audio/BwfFile.h"

#include "audio/ByteOrder.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

namespace tabrix {

namespace {

constexpr FourCc waveId = makeFourCc("WAVE");
constexpr FourCc bextId = makeFourCc("bext");
constexpr FourCc fmtId = makeFourCc("fmt ");
constexpr FourCc tfidId = makeFourCc("TFID");
constexpr FourCc dataId = makeFourCc("data");
constexpr FourCc ds64Id = makeFourCc("ds64");
constexpr FourCc ixmlId = makeFourCc("iXML");

// Recorders write a few KiB of iXML; a chunk past this is not metadata worth holding.
constexpr std::uint32_t maxIxmlBytes = 1 << 20;
// Chunks after the data are looked through only for iXML, and only so many.
constexpr int maxChunksAfterData = 256;

// Sub-format GUIDs of an extensible "fmt " body: integer PCM and IEEE float.
constexpr std::array<std::uint8_t, 16> subFormatPcm = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                       0x00, 0x38, 0x9B, 0x71};
constexpr std::array<std::uint8_t, 16> subFormatFloat = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                         0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                         0x00, 0x38, 0x9B, 0x71};

constexpr std::uint64_t unknownReadPos = ~std::uint64_t(0);

// A frame must fit the smallest read-cache refill (24-bit takes use 122880 of its bytes).
constexpr std::uint32_t maxFrameBytes = 122880;

// An RF64 output is limited only by 64-bit positions.
constexpr std::uint64_t maxRf64DataBytes =
    std::uint64_t(std::numeric_limits<std::int64_t>::max()) - headerBytes;

bool isPrintableId(const std::uint8_t* id) noexcept
{
    return std::all_of(id, id + 4, [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

} // namespace

BwfFile::BwfFile(const std::filesystem::path& folder, const std::string& fileName)
    : filePath(folder / pathFromUtf8(fileName))
{
}

BwfFile::BwfFile(const std::filesystem::path& path, std::uint16_t channelCount,
                 std::uint32_t sampleRate, std::uint8_t bitsPerSample, SamplePos timeReference,
                 std::uint64_t plannedDataBytes, bool floatSamples)
    : filePath(path), plannedBytes(plannedDataBytes)
{
    header.format.format.setFormat(channelCount, bitsPerSample, sampleRate);
    if (floatSamples)
        header.format.format.formatTag = formatTagFloat;
    header.bext.setTimeReference(timeReference);
}

bool BwfFile::parse()
{
    rejected = {};
    errno = 0;
    if (fileStream.open(filePath, OpenKind::ReadHeader) != StreamStatus::Ok) {
        // An open that failed sets errno; a file too short for the RIFF header does not.
        return errno != 0 ? reject(TakeProblem::CannotOpen, errno) : reject(TakeProblem::NotWave);
    }
    std::uint64_t fileBytes = 0;
    const bool accepted =
        (fileStream.length(fileBytes) == StreamStatus::Ok || reject(TakeProblem::Damaged)) &&
        walkChunks(fileBytes) && renderable() && placeable();
    close();
    if (accepted)
        sortKey = computeKey();
    return accepted;
}

bool BwfFile::reject(TakeProblem problem, std::int64_t detail) noexcept
{
    rejected = {problem, detail};
    return false;
}

bool BwfFile::failRead(int systemError) noexcept
{
    readFailure = {fileStream.atEnd(), systemError};
    return false;
}

// Walks the chunks after "WAVE" up to "data". The first "bext" and the first "fmt " are read
// wherever they stand before "data"; a "ds64" is read only as the very first chunk; every
// other chunk is skipped. "data" before any "fmt " rejects the file. Past "data" only an iXML
// chunk is looked for (recorders often write it last); nothing there can reject the take.
bool BwfFile::walkChunks(std::uint64_t fileBytes)
{
    std::array<std::uint8_t, 4> form{};
    if (fileStream.readWord(form) != StreamStatus::Ok || form != waveId)
        return reject(TakeProblem::NotWave);
    bool formatRead = false;
    bool firstChunk = true;
    bool afterData = false;
    int chunksAfterData = 0;
    hasDs64 = false;
    bextRead = false;
    tfidRead = false;
    std::vector<std::uint8_t> ixmlBody;
    bool ixmlRead = false;
    const auto finish = [&] {
        if (ixmlRead)
            ixmlInfo = readIxml(ixmlBody, format().channelCount);
        return true;
    };
    std::array<std::uint8_t, 8> chunkHeader{};
    std::size_t headerBytesRead = 0; // by the pad-byte look-ahead
    for (;;) {
        if (headerBytesRead < chunkHeader.size() &&
            fileStream.readBytes(chunkHeader.data() + headerBytesRead,
                                 static_cast<std::uint32_t>(chunkHeader.size() - headerBytesRead)) !=
                StreamStatus::Ok)
            return afterData ? finish() : reject(TakeProblem::NoData);
        headerBytesRead = 0;
        FourCc id{};
        std::copy_n(chunkHeader.begin(), 4, id.begin());
        const std::uint32_t declaredBytes = loadU32le(&chunkHeader[4]);
        const bool first = std::exchange(firstChunk, false);

        if (afterData) {
            if (id == ixmlId) {
                ixmlRead = readIxmlBody(declaredBytes, ixmlBody);
                return finish();
            }
            if (++chunksAfterData > maxChunksAfterData ||
                fileStream.skip(declaredBytes) != StreamStatus::Ok ||
                !skipPadByte(declaredBytes, chunkHeader, headerBytesRead))
                return finish();
            continue;
        }
        if (id == dataId) {
            if (!formatRead)
                return reject(TakeProblem::NoFormat);
            std::int64_t at = 0;
            if (fileStream.tell(at) != StreamStatus::Ok)
                return reject(TakeProblem::Damaged);
            dataStartByte = std::uint64_t(at);
            header.dataSize = dataBytes(declaredBytes, fileBytes);
            if (ixmlRead || !seekPastData(declaredBytes, fileBytes) ||
                !skipPadByte(static_cast<std::uint32_t>(header.dataSize % 2), chunkHeader,
                             headerBytesRead))
                return finish();
            afterData = true;
            continue;
        }
        if (first && id == ds64Id && declaredBytes >= ds64FixedBytes) {
            if (!readDs64(declaredBytes))
                return reject(TakeProblem::Damaged);
            if (!skipPadByte(declaredBytes, chunkHeader, headerBytesRead))
                return reject(TakeProblem::NoData);
            continue;
        }
        if (id == tfidId) {
            // Only the 26-byte body is read, whatever the chunk declares.
            if (fileStream.readTfid(header.tfid) != StreamStatus::Ok)
                return reject(TakeProblem::Damaged);
            tfidRead = true;
            continue;
        }
        if (id == bextId && !bextRead) {
            if (fileStream.readBext(header.bext, declaredBytes, fileBytes) != StreamStatus::Ok)
                return reject(TakeProblem::Damaged);
            bextRead = true;
            dateRead = header.bext.parseOrigination(origin);
        } else if (id == fmtId && !formatRead) {
            if (!readFormat(declaredBytes))
                return reject(TakeProblem::Damaged);
            formatRead = true;
        } else if (id == ixmlId && !ixmlRead) {
            ixmlRead = readIxmlBody(declaredBytes, ixmlBody);
        } else {
            // A skip past the end makes the next header read fail.
            (void)fileStream.skip(declaredBytes);
        }
        if (!skipPadByte(declaredBytes, chunkHeader, headerBytesRead))
            return reject(TakeProblem::NoData);
    }
}

// The iXML body, or none (skipped) when it is larger than metadata ever is. False leaves the
// stream where a skip of the chunk would.
bool BwfFile::readIxmlBody(std::uint32_t declaredBytes, std::vector<std::uint8_t>& body)
{
    if (declaredBytes == 0 || declaredBytes > maxIxmlBytes) {
        (void)fileStream.skip(declaredBytes);
        return false;
    }
    body.resize(declaredBytes);
    return fileStream.readBytes(body.data(), declaredBytes) == StreamStatus::Ok;
}

// To the first byte after the audio, when the data chunk's size says where that is: a take
// whose sizes were never written (or claim more than is there) has nothing after its audio.
bool BwfFile::seekPastData(std::uint32_t declaredDataBytes, std::uint64_t fileBytes)
{
    if (declaredDataBytes == 0 || (declaredDataBytes == sizeInDs64 && !hasDs64))
        return false;
    const std::uint64_t declared = declaredDataBytes == sizeInDs64 ? ds64DataBytes : declaredDataBytes;
    // Room for a chunk header after the audio (and its pad byte), or nothing to look at.
    const std::uint64_t end = dataStartByte + declared + declared % 2;
    return declared == header.dataSize && fileBytes >= end + 8 &&
           fileStream.seekTo(dataStartByte + declared) == StreamStatus::Ok;
}

// RF64 and BW64: the 64-bit sizes that don't fit the 32-bit fields. Only the data size is
// used; the RIFF size, the frame count and the table of other chunks' sizes are not needed.
bool BwfFile::readDs64(std::uint32_t declaredBytes)
{
    std::array<std::uint8_t, ds64FixedBytes> body{};
    if (fileStream.readBytes(body.data(), ds64FixedBytes) != StreamStatus::Ok)
        return false;
    ds64DataBytes = loadU64le(&body[8]);
    hasDs64 = true;
    if (declaredBytes > ds64FixedBytes)
        (void)fileStream.skip(declaredBytes - ds64FixedBytes); // past the end: no data found
    return true;
}

// The data chunk's size unless it defers to ds64. A size of 0 (or 0xFFFFFFFF with no ds64
// size, or a ds64 size of 0) is what a recorder that lost power leaves behind: the audio then
// runs to the end of the file. Either way only whole frames really on disk are kept.
std::uint64_t BwfFile::dataBytes(std::uint32_t declaredBytes, std::uint64_t fileBytes) const
{
    std::uint64_t declared = declaredBytes;
    if (declaredBytes == sizeInDs64)
        declared = hasDs64 ? ds64DataBytes : 0;
    const std::uint64_t present = fileBytes > dataStartByte ? fileBytes - dataStartByte : 0;
    const std::uint32_t frame = frameBytes();
    if (declared != 0 && declared <= present)
        return declared;
    return frame == 0 ? present : present - present % frame;
}

bool BwfFile::readFormat(std::uint32_t declaredBytes)
{
    if (declaredBytes == 0)
        return false;
    std::array<std::uint8_t, extensibleFormatBytes> body{};
    const auto kept = static_cast<std::uint32_t>(std::min<std::size_t>(declaredBytes, body.size()));
    if (fileStream.readBytes(body.data(), kept) != StreamStatus::Ok)
        return false;
    header.format.format.overlay(std::span(body.data(), std::min<std::size_t>(kept, waveFormatBytes)));
    if (kept == extensibleFormatBytes) {
        std::copy_n(body.begin() + 24, header.format.subFormat.size(), header.format.subFormat.begin());
        header.format.hasSubFormat = true;
    }
    if (declaredBytes > kept)
        (void)fileStream.skip(declaredBytes - kept);
    return true;
}

// RIFF pads an odd-sized chunk with one byte, but some writers leave it out. The pad byte is
// skipped only when the unpadded position doesn't hold a chunk id and the next byte does. The
// five bytes looked at are kept as the start of the next chunk header rather than read again
// after a reposition, so a file of many odd chunks parses as fast as one of even chunks.
bool BwfFile::skipPadByte(std::uint32_t declaredBytes, std::array<std::uint8_t, 8>& nextHeader,
                          std::size_t& headerBytesRead)
{
    if (declaredBytes % 2 == 0)
        return true;
    std::array<std::uint8_t, 5> ahead{};
    // Fewer than five bytes left can't hold a chunk header either way.
    if (fileStream.readBytes(ahead.data(), 5) != StreamStatus::Ok)
        return false;
    const bool padded = !isPrintableId(&ahead[0]) && isPrintableId(&ahead[1]);
    const std::size_t from = padded ? 1 : 0;
    std::copy(ahead.begin() + std::ptrdiff_t(from), ahead.end(), nextHeader.begin());
    headerBytesRead = ahead.size() - from;
    return true;
}

// Only formats the renderer can play are accepted: compressed data must never be played as PCM
// noise, and a take without a whole frame would play nothing yet still set the project's rate.
bool BwfFile::renderable() noexcept
{
    const WaveFormat& f = format();
    if (f.channelCount == 0 || f.sampleRate == 0)
        return reject(TakeProblem::BadFormat);
    const std::uint16_t bits = f.bitsPerSample;
    bool isFloat = false;
    switch (f.formatTag) {
    case formatTagPcm: break;
    case formatTagFloat: isFloat = true; break;
    case formatTagExtensible:
        if (!header.format.hasSubFormat)
            return reject(TakeProblem::BadFormat);
        isFloat = header.format.subFormat == subFormatFloat;
        // A sub-format GUID begins with the format code it stands for.
        if (!isFloat && header.format.subFormat != subFormatPcm)
            return reject(TakeProblem::Compressed, loadU16le(header.format.subFormat.data()));
        break;
    default: return reject(TakeProblem::Compressed, f.formatTag);
    }
    if (isFloat && bits != 32)
        return reject(TakeProblem::UnsupportedFloat, bits);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return reject(TakeProblem::UnsupportedBits, bits);
    const std::uint32_t frame = frameBytes();
    if (frame > maxFrameBytes)
        return reject(TakeProblem::TooManyChannels, f.channelCount);
    return header.dataSize / frame >= 1 || reject(TakeProblem::NoFrames);
}

// Without a bext chunk a file has no time reference: placed at midnight, one plain WAV among a
// day's takes would add hours of silence to the output.
bool BwfFile::placeable() noexcept
{
    return bextRead || reject(TakeProblem::NoTimeReference);
}

SampleEncoding BwfFile::encoding() const noexcept
{
    const bool isFloat = format().formatTag == formatTagFloat ||
                         (format().formatTag == formatTagExtensible &&
                          header.format.subFormat == subFormatFloat);
    return isFloat ? SampleEncoding::Float : SampleEncoding::Integer;
}

std::int64_t BwfFile::computeKey() const
{
    if (!bextRead || !dateRead)
        return undatedKey;
    std::tm local{};
    local.tm_year = origin.year - 1900;
    local.tm_mon = origin.month - 1;
    local.tm_mday = origin.day;
    local.tm_hour = origin.hour;
    local.tm_min = origin.minute;
    local.tm_sec = origin.second;
    local.tm_isdst = -1; // let the conversion work out daylight saving
    const std::time_t seconds = std::mktime(&local);
    return seconds == std::time_t(-1) ? undatedKey : std::int64_t(seconds);
}

std::uint32_t BwfFile::trackKey(std::uint16_t channel) const noexcept
{
    return channel < ixmlInfo.tracks.size() ? ixmlInfo.tracks[channel].key
                                            : std::uint32_t(channel) + 1;
}

std::string BwfFile::trackName(std::uint16_t channel) const
{
    return channel < ixmlInfo.tracks.size() ? ixmlInfo.tracks[channel].name : std::string();
}

bool BwfFile::sameTfid(const BwfFile* other) const noexcept
{
    if (other == nullptr)
        return false;
    return other == this || (tfidRead && other->tfidRead && header.tfid == other->header.tfid);
}

bool BwfFile::openSamples()
{
    if (fileStream.open(filePath, OpenKind::Read) != StreamStatus::Ok)
        return false;
    readPos = dataStartByte;
    return fileStream.seekTo(dataStartByte) == StreamStatus::Ok;
}

bool BwfFile::readSamples(std::uint8_t* into, std::uint64_t byteOffset, std::uint64_t byteCount,
                          std::uint64_t& bytesRead)
{
    bytesRead = 0;
    if (into == nullptr || byteCount == 0)
        return failRead(0);
    errno = 0;
    if (fileStream.state() != StreamState::Reading && !openSamples())
        return failRead(errno);
    const std::uint64_t target = dataStartByte + byteOffset;
    // After a failed seek or read the stream stands somewhere unknown; forgetting readPos makes
    // the next call reposition instead of reading from there.
    if (target != readPos) {
        if (fileStream.seekTo(target) != StreamStatus::Ok) {
            readPos = unknownReadPos;
            return failRead(errno);
        }
        readPos = target;
    }
    if (fileStream.readBlock(into, byteCount, bytesRead) != StreamStatus::Ok) {
        readPos = unknownReadPos;
        return failRead(errno);
    }
    readPos += bytesRead;
    return true;
}

bool BwfFile::close()
{
    const StreamState state = fileStream.state();
    const bool writing = state == StreamState::Writing || state == StreamState::Updating;
    const bool padded = !writing || (writePadByte() && writeTrailingChunks());
    const bool result = writing ? writeHeader(true) : true;
    const bool closed = fileStream.close() == StreamStatus::Ok;
    readPos = 0;
    return padded && result && closed;
}

// A chunk of odd size is followed by a zero byte that the RIFF size counts and the data size
// does not. It is written only here, at the end: a header update during the run declares just
// the samples, so a file cut off by a crash never claims a byte it lacks. Should the byte not
// go out, the final header declares the file without it.
bool BwfFile::writePadByte()
{
    padBytes = 0;
    if (header.dataSize % 2 == 0)
        return true;
    const std::uint8_t zero = 0;
    if (fileStream.seekTo(dataStartByte + header.dataSize) != StreamStatus::Ok ||
        fileStream.write(&zero, 1) != StreamStatus::Ok)
        return false;
    padBytes = 1;
    return true;
}

// The chunks after the audio go out only here, with the final header after them: should the
// process die between the two, the header of the last update still declares just the audio.
// Chunks that can't all be written are cut away again, so the header declares none of them.
bool BwfFile::writeTrailingChunks()
{
    trailerBytes = 0;
    const std::uint64_t end = dataStartByte + header.dataSize + padBytes;
    if (trailer.empty() || header.dataSize == 0)
        return true;
    if (!rf64Output && (headerBytes - 8) + header.dataSize + padBytes + trailer.size() >
                           std::numeric_limits<std::uint32_t>::max())
        return true;
    if (fileStream.seekTo(end) != StreamStatus::Ok ||
        fileStream.write(trailer.data(), trailer.size()) != StreamStatus::Ok) {
        (void)fileStream.truncate(end);
        return false;
    }
    // Bytes of a write that failed earlier could lie past the chunks. Cut only then: a
    // truncate makes some file systems write the whole file out at once.
    std::uint64_t stored = 0;
    if (fileStream.storedLength(stored) != StreamStatus::Ok ||
        (stored > end + trailer.size() &&
         fileStream.truncate(end + trailer.size()) != StreamStatus::Ok))
        return false;
    trailerBytes = trailer.size();
    return true;
}

bool BwfFile::create()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now); // only the UI thread creates outputs
    if (local == nullptr)
        return false;
    origin = CalendarTime{local->tm_sec,      local->tm_min,  local->tm_hour,
                          local->tm_mday,     local->tm_mon + 1, local->tm_year + 1900,
                          local->tm_wday,     local->tm_yday, local->tm_isdst};
    header.bext.setOrigination(origin);
    // Decided once: a cancelled or failed run leaves an RF64 file that says so.
    rf64Output = plannedBytes + plannedBytes % 2 + trailer.size() > maxRiffDataBytes + 1;
    if (fileStream.open(filePath, OpenKind::Create) != StreamStatus::Ok || !writeHeader(false))
        return false;
    std::int64_t at = 0;
    if (fileStream.tell(at) != StreamStatus::Ok)
        return false;
    dataStartByte = std::uint64_t(at); // the samples follow the header, whatever its layout
    return true;
}

bool BwfFile::writeSamples(const std::uint8_t* from, std::uint64_t byteCount)
{
    const std::uint64_t maxBytes = rf64Output ? maxRf64DataBytes : maxRiffDataBytes;
    if (from == nullptr || byteCount == 0 || byteCount > maxBytes - header.dataSize)
        return false;
    if (fileStream.write(from, byteCount) != StreamStatus::Ok)
        return false;
    header.dataSize += byteCount;
    return true;
}

bool BwfFile::writeHeader(bool final)
{
    BwfHeader image = header;
    image.riffId = fileStream.riffId();
    image.riffSize = 0;
    image.dataSize = 0;
    if (final) {
        fileStream.flush();
        if (fileStream.seekTo(0) != StreamStatus::Ok || header.dataSize == 0)
            return false;
        image.riffSize = (headerBytes - 8) + header.dataSize + padBytes + trailerBytes;
        image.dataSize = header.dataSize;
    }
    const auto bytes = rf64Output ? image.rf64Image() : image.image();
    return fileStream.write(bytes.data(), bytes.size()) == StreamStatus::Ok;
}

bool BwfFile::updateHeader()
{
    if (fileStream.state() != StreamState::Writing && fileStream.state() != StreamState::Updating)
        return false;
    if (header.dataSize == 0)
        return true;
    // The stream is unbuffered, so the samples were handed to the system before the header
    // that declares them: a process cut off at any moment leaves only audio it holds declared.
    // No sync to the device here: it would slow a conform by half again, and a reader keeps
    // only the whole frames a file really holds should a power cut lose the last writes.
    std::int64_t end = 0;
    return fileStream.tell(end) == StreamStatus::Ok && writeHeader(true) &&
           fileStream.seekTo(std::uint64_t(end)) == StreamStatus::Ok;
}

bool BwfFile::framesOnDisk(std::uint64_t& frameCount)
{
    std::uint64_t stored = 0;
    const std::uint32_t frame = frameBytes();
    if (fileStream.state() == StreamState::Closed || frame == 0 ||
        fileStream.storedLength(stored) != StreamStatus::Ok)
        return false;
    frameCount = stored > dataStartByte ? (stored - dataStartByte) / frame : 0;
    return true;
}

bool BwfFile::cutBackTo(std::uint64_t frameCount)
{
    std::uint64_t present = 0;
    if (!framesOnDisk(present) || frameCount > present)
        return false;
    const std::uint64_t byteCount = frameCount * frameBytes();
    if (fileStream.truncate(dataStartByte + byteCount) != StreamStatus::Ok)
        return false;
    header.dataSize = byteCount;
    padBytes = 0; // `close` writes the pad byte the new size needs
    trailerBytes = 0;
    return fileStream.seekTo(dataStartByte + byteCount) == StreamStatus::Ok;
}

} // namespace tabrix
