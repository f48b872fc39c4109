#include "RiffBuilder.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace tabrix::testing {

namespace {

void putLe(Bytes& out, std::uint64_t v, int byteCount)
{
    for (int i = 0; i < byteCount; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putId(Bytes& out, const std::string& id)
{
    for (std::size_t i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(i < id.size() ? id[i] : ' '));
}

} // namespace

RiffBuilder::RiffBuilder()
{
    putId(image, "RIFF");
    putLe(image, 0, 4);
    putId(image, "WAVE");
}

RiffBuilder& RiffBuilder::chunk(const std::string& id, const Bytes& body, bool padOdd)
{
    chunkDeclaring(id, static_cast<std::uint32_t>(body.size()), body);
    if (padOdd && body.size() % 2 == 1)
        image.push_back(0);
    return *this;
}

RiffBuilder& RiffBuilder::chunkDeclaring(const std::string& id, std::uint32_t declaredBytes,
                                         const Bytes& body)
{
    putId(image, id);
    putLe(image, declaredBytes, 4);
    image.insert(image.end(), body.begin(), body.end());
    return *this;
}

Bytes RiffBuilder::bytes() const
{
    Bytes out = image;
    const std::uint64_t riffSize = out.size() - 8;
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return out;
}

Bytes fmtBody(const FmtFields& f)
{
    Bytes out;
    const std::uint32_t frameBytes = f.channels * (f.bits / 8u);
    putLe(out, f.tag, 2);
    putLe(out, f.channels, 2);
    putLe(out, f.rate, 4);
    putLe(out, f.rate * frameBytes, 4);
    putLe(out, frameBytes, 2);
    putLe(out, f.bits, 2);
    putLe(out, 0, 2);
    return out;
}

Bytes fmtExtensibleBody(const FmtFields& fields, bool floatSubFormat)
{
    FmtFields f = fields;
    f.tag = 0xFFFE;
    Bytes out = fmtBody(f);
    out[16] = 22;       // extra size
    putLe(out, f.bits, 2); // valid bits
    putLe(out, 0, 4);      // channel mask
    const std::uint8_t guid[16] = {static_cast<std::uint8_t>(floatSubFormat ? 3 : 1), 0, 0, 0, 0,
                                   0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    out.insert(out.end(), std::begin(guid), std::end(guid));
    return out;
}

Bytes bextBody(const BextFields& f)
{
    Bytes body(f.bodyBytes < 602 ? 602 : f.bodyBytes, 0);
    std::memcpy(&body[320], f.date.data(), std::min<std::size_t>(f.date.size(), 10));
    std::memcpy(&body[330], f.time.data(), std::min<std::size_t>(f.time.size(), 8));
    for (int i = 0; i < 8; ++i)
        body[338 + i] = static_cast<std::uint8_t>(f.timeReference >> (8 * i));
    body[346] = 1; // version
    body.resize(f.bodyBytes);
    return body;
}

Bytes ds64Body(std::uint64_t riffBytes, std::uint64_t dataBytes, std::uint64_t frameCount,
               const std::vector<std::string>& tableIds)
{
    Bytes out;
    putLe(out, riffBytes, 8);
    putLe(out, dataBytes, 8);
    putLe(out, frameCount, 8);
    putLe(out, tableIds.size(), 4);
    for (const std::string& id : tableIds) {
        putId(out, id);
        putLe(out, 0x1'2345'6789ull, 8);
    }
    return out;
}

Bytes withRiffId(Bytes riff, const std::string& id)
{
    for (std::size_t i = 0; i < 4; ++i)
        riff[i] = static_cast<std::uint8_t>(id[i]);
    for (std::size_t i = 4; i < 8; ++i)
        riff[i] = 0xFF;
    return riff;
}

Bytes tfidBody(std::uint8_t fill)
{
    return Bytes(26, fill);
}

Bytes pcm(std::uint16_t bits, const std::vector<std::int32_t>& samples)
{
    Bytes out;
    for (std::int32_t s : samples)
        putLe(out, static_cast<std::uint32_t>(s), bits / 8);
    return out;
}

Bytes float32(const std::vector<float>& samples)
{
    Bytes out;
    for (float s : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &s, 4);
        putLe(out, bits, 4);
    }
    return out;
}

Bytes takeBytes(const TakeFields& take)
{
    RiffBuilder riff;
    riff.chunk("bext", bextBody({take.timeReference, take.date, take.time, 602}))
        .chunk("fmt ", fmtBody({take.tag, take.channels, take.rate, take.bits}));
    if (take.tfid >= 0)
        riff.chunk("TFID", tfidBody(static_cast<std::uint8_t>(take.tfid)));
    riff.chunk("data", take.data);
    if (!take.ixml.empty()) // where recorders write it
        riff.chunk("iXML", Bytes(take.ixml.begin(), take.ixml.end()));
    return riff.bytes();
}

Bytes constantFrames(std::uint16_t channels, std::uint16_t bits, std::uint64_t frames,
                     std::int32_t value, bool ramp)
{
    Bytes out;
    out.reserve(static_cast<std::size_t>(frames) * channels * (bits / 8u));
    for (std::uint64_t i = 0; i < frames; ++i)
        for (std::uint16_t c = 0; c < channels; ++c)
            putLe(out, static_cast<std::uint32_t>(value + (ramp ? std::int32_t(i) : 0)), bits / 8);
    return out;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace tabrix::testing
