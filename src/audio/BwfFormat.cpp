#include "audio/BwfFormat.h"

#include "audio/ByteOrder.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace tabrix {

void WaveFormat::setFormat(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) noexcept
{
    channelCount = channels;
    bitsPerSample = bits;
    sampleRate = rate;
    byteRate = static_cast<std::uint32_t>(std::uint32_t(bits) * channels * rate / 8);
    blockAlign = static_cast<std::uint16_t>(std::uint32_t(bits) * channels / 8);
}

std::array<std::uint8_t, waveFormatBytes> WaveFormat::bytes() const noexcept
{
    std::array<std::uint8_t, waveFormatBytes> image{};
    ByteWriter out{image};
    out.u16(formatTag);
    out.u16(channelCount);
    out.u32(sampleRate);
    out.u32(byteRate);
    out.u16(blockAlign);
    out.u16(bitsPerSample);
    out.u16(extraSize);
    assert(out.position() == waveFormatBytes);
    return image;
}

void WaveFormat::overlay(std::span<const std::uint8_t> body) noexcept
{
    auto image = bytes();
    std::copy_n(body.begin(), std::min(body.size(), image.size()), image.begin());
    formatTag = loadU16le(&image[0]);
    channelCount = loadU16le(&image[2]);
    sampleRate = loadU32le(&image[4]);
    byteRate = loadU32le(&image[8]);
    blockAlign = loadU16le(&image[12]);
    bitsPerSample = loadU16le(&image[14]);
    extraSize = loadU16le(&image[16]);
}

BextChunk::BextChunk() noexcept
{
    storeU16le(&body[versionOffset], 1);
}

std::uint64_t BextChunk::timeReference() const noexcept
{
    const std::uint64_t low = loadU32le(&body[timeReferenceOffset]);
    const std::uint64_t high = loadU32le(&body[timeReferenceOffset + 4]);
    return high << 32 | low;
}

void BextChunk::setTimeReference(std::uint64_t frames) noexcept
{
    storeU32le(&body[timeReferenceOffset], static_cast<std::uint32_t>(frames));
    storeU32le(&body[timeReferenceOffset + 4], static_cast<std::uint32_t>(frames >> 32));
}

std::uint16_t BextChunk::version() const noexcept
{
    return loadU16le(&body[versionOffset]);
}

void BextChunk::setOrigination(const CalendarTime& when) noexcept
{
    // Formatted into roomy buffers first: out-of-range values must not overflow, and only the
    // first 10 and 8 characters are kept, without a terminator.
    char date[64];
    char time[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", when.year, when.month, when.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", when.hour, when.minute, when.second);
    std::memcpy(&body[dateOffset], date, 10);
    std::memcpy(&body[timeOffset], time, 8);
}

bool BextChunk::parseOrigination(CalendarTime& into) const noexcept
{
    // Copies with a terminator, so scanning can never run past the 10- and 8-byte fields.
    char date[11] = {};
    char time[9] = {};
    std::memcpy(date, &body[dateOffset], 10);
    std::memcpy(time, &body[timeOffset], 8);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    // Recorders separate the fields with '-', ':', '/', '.', '_' or a blank: any one character
    // that is not a digit is taken as a separator.
    const int dateFields = std::sscanf(date, "%4d%*1[^0123456789]%2d%*1[^0123456789]%2d", &year,
                                       &month, &day);
    std::sscanf(time, "%2d%*1[^0123456789]%2d%*1[^0123456789]%2d", &hour, &minute, &second);
    into.year = year;
    into.month = month;
    into.day = day;
    into.hour = hour;
    into.minute = minute;
    into.second = second;
    return dateFields == 3;
}

// bext, fmt and TFID: the same 926 bytes in both header forms.
void BwfHeader::writeRecords(ByteWriter& out) const noexcept
{
    out.bytes(bext.id);
    out.u32(bextWrittenBytes);
    out.zeros(BextChunk::dateOffset); // description, originator, originator reference
    out.bytes(&bext.body[BextChunk::dateOffset], 10 + 8 + 8 + 2);
    out.zeros(bextWrittenBytes - (BextChunk::versionOffset + 2)); // UMID, reserved, history

    out.bytes(format.id);
    out.u32(waveFormatBytes);
    out.bytes(format.format.bytes());

    out.bytes(tfid.id);
    out.u32(tfidBodyBytes);
    out.zeros(tfidBodyBytes);
}

// The PAD chunk fills the header up to its data chunk; a float file's fact chunk comes first.
void BwfHeader::writePad(ByteWriter& out, std::size_t bodyBytes,
                         std::uint32_t factFrames) const noexcept
{
    if (format.format.formatTag == formatTagFloat) {
        out.fourCc("fact");
        out.u32(factBodyBytes);
        out.u32(factFrames);
        bodyBytes -= 8 + factBodyBytes;
    }
    out.bytes(pad.id);
    out.u32(static_cast<std::uint32_t>(bodyBytes));
    out.zeros(bodyBytes);
}

std::array<std::uint8_t, headerBytes> BwfHeader::image() const noexcept
{
    std::array<std::uint8_t, headerBytes> image{};
    ByteWriter out{image};
    out.bytes(riffId);
    out.u32(static_cast<std::uint32_t>(riffSize));
    out.bytes(formType);
    writeRecords(out);
    const std::uint32_t frameBytes = format.format.frameBytes();
    writePad(out, padBodyBytes,
             static_cast<std::uint32_t>(frameBytes == 0 ? 0 : dataSize / frameBytes));

    out.bytes(dataId);
    out.u32(static_cast<std::uint32_t>(dataSize));
    assert(out.position() == headerBytes);
    return image;
}

std::array<std::uint8_t, headerBytes> BwfHeader::rf64Image() const noexcept
{
    std::array<std::uint8_t, headerBytes> image{};
    ByteWriter out{image};
    out.fourCc("RF64");
    out.u32(sizeInDs64);
    out.bytes(formType);

    const std::uint32_t frameBytes = format.format.frameBytes();
    out.fourCc("ds64");
    out.u32(ds64FixedBytes);
    out.u64(riffSize);
    out.u64(dataSize);
    out.u64(frameBytes == 0 ? 0 : dataSize / frameBytes);
    out.u32(0); // no table
    writeRecords(out);
    writePad(out, rf64PadBodyBytes, sizeInDs64);

    out.bytes(dataId);
    out.u32(sizeInDs64);
    assert(out.position() == headerBytes);
    return image;
}

} // namespace tabrix
