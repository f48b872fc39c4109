#include "RiffBuilder.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace tabrix::testing {

namespace {

void putU16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putId(Bytes& out, const std::string& id)
{
    for (std::size_t i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(i < id.size() ? id[i] : ' '));
}

void putText(Bytes& body, std::size_t offset, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width && i < text.size(); ++i)
        body[offset + i] = static_cast<std::uint8_t>(text[i]);
}

} // namespace

RiffBuilder::RiffBuilder()
{
    putId(image, "RIFF");
    putU32(image, 0);
    putId(image, "WAVE");
}

RiffBuilder& RiffBuilder::chunk(const std::string& id, const Bytes& body, bool padOdd)
{
    putId(image, id);
    putU32(image, static_cast<std::uint32_t>(body.size()));
    image.insert(image.end(), body.begin(), body.end());
    if (padOdd && body.size() % 2 == 1)
        image.push_back(0);
    return *this;
}

RiffBuilder& RiffBuilder::chunkDeclaring(const std::string& id, std::uint32_t declaredBytes,
                                         const Bytes& body)
{
    putId(image, id);
    putU32(image, declaredBytes);
    image.insert(image.end(), body.begin(), body.end());
    return *this;
}

RiffBuilder& RiffBuilder::raw(const Bytes& bytes)
{
    image.insert(image.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes RiffBuilder::bytes() const
{
    Bytes out = image;
    const auto riffSize = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return out;
}

Bytes fmtBody(const FmtFields& f)
{
    Bytes out;
    putU16(out, f.tag);
    putU16(out, f.channels);
    putU32(out, f.rate);
    putU32(out, f.rate * f.channels * (f.bits / 8u));
    putU16(out, static_cast<std::uint16_t>(f.channels * (f.bits / 8u)));
    putU16(out, f.bits);
    putU16(out, 0);
    return out;
}

Bytes fmtExtensibleBody(const FmtFields& fields, bool floatSubFormat)
{
    FmtFields f = fields;
    f.tag = 0xFFFE;
    Bytes out = fmtBody(f);
    out[16] = 22; // extra size
    putU16(out, f.bits);   // valid bits
    putU32(out, 0);        // channel mask
    const std::uint8_t guid[16] = {static_cast<std::uint8_t>(floatSubFormat ? 3 : 1), 0, 0, 0, 0,
                                   0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    out.insert(out.end(), std::begin(guid), std::end(guid));
    return out;
}

Bytes bextBody(const BextFields& f)
{
    Bytes body(f.bodyBytes < 602 ? 602 : f.bodyBytes, 0);
    putText(body, 320, f.date, 10);
    putText(body, 330, f.time, 8);
    for (int i = 0; i < 8; ++i)
        body[338 + i] = static_cast<std::uint8_t>(f.timeReference >> (8 * i));
    body[346] = 1;
    body.resize(f.bodyBytes);
    return body;
}

Bytes tfidBody(std::uint8_t fill)
{
    return Bytes(26, fill);
}

Bytes pcm16(const std::vector<std::int16_t>& samples)
{
    Bytes out;
    for (auto s : samples)
        putU16(out, static_cast<std::uint16_t>(s));
    return out;
}

Bytes pcm24(const std::vector<std::int32_t>& samples)
{
    Bytes out;
    for (auto s : samples)
        for (int i = 0; i < 3; ++i)
            out.push_back(static_cast<std::uint8_t>(s >> (8 * i)));
    return out;
}

Bytes pcm32(const std::vector<std::int32_t>& samples)
{
    Bytes out;
    for (auto s : samples)
        putU32(out, static_cast<std::uint32_t>(s));
    return out;
}

Bytes float32(const std::vector<float>& samples)
{
    Bytes out;
    for (float s : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &s, 4);
        putU32(out, bits);
    }
    return out;
}

Bytes takeBytes(const TakeSpec& spec)
{
    RiffBuilder riff;
    riff.chunk("bext", bextBody({spec.timeReference, spec.date, spec.time, 602}))
        .chunk("fmt ", fmtBody({1, spec.channels, spec.rate, spec.bits}));
    if (spec.tfid >= 0)
        riff.chunk("TFID", tfidBody(static_cast<std::uint8_t>(spec.tfid)));
    riff.chunk("data", spec.data);
    return riff.bytes();
}

Bytes constantFrames(std::uint16_t channels, std::uint16_t bits, std::uint64_t frames,
                     std::int32_t value, bool ramp)
{
    const std::size_t sampleBytes = bits / 8u;
    Bytes out;
    out.reserve(static_cast<std::size_t>(frames) * channels * sampleBytes);
    for (std::uint64_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<std::uint32_t>(value + (ramp ? std::int32_t(i) : 0));
        for (std::uint16_t c = 0; c < channels; ++c)
            for (std::size_t b = 0; b < sampleBytes; ++b)
                out.push_back(static_cast<std::uint8_t>(sample >> (8 * b)));
    }
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
