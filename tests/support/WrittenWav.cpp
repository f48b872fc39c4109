#include "WrittenWav.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tabrix::testing {

namespace {

std::uint64_t little(const Bytes& bytes, std::size_t at, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = (value << 8) | bytes[at + i];
    return value;
}

} // namespace

Bytes WrittenWav::chunk(const std::string& id) const
{
    for (const auto& [chunkId, body] : trailing)
        if (chunkId == id)
            return body;
    return {};
}

std::vector<std::string> WrittenWav::trailingIds() const
{
    std::vector<std::string> ids;
    for (const auto& c : trailing)
        ids.push_back(c.first);
    return ids;
}

WrittenWav readWrittenWav(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    WrittenWav wav;
    wav.fileBytes = file.size();
    if (file.size() < 1024)
        return wav;
    wav.rf64 = std::equal(file.begin(), file.begin() + 4, "RF64");
    wav.riffBytes = wav.rf64 ? little(file, 20, 8) : little(file, 4, 4);
    wav.dataBytes = wav.rf64 ? little(file, 28, 8) : little(file, 1020, 4);
    const std::uint64_t held = std::min<std::uint64_t>(wav.dataBytes, file.size() - 1024);
    wav.data.assign(file.begin() + 1024, file.begin() + 1024 + long(held));
    if (wav.dataBytes == 0) { // a placeholder: nothing declared, nothing after it
        wav.wellFormed = wav.riffBytes == 0 && file.size() == 1024;
        return wav;
    }
    std::uint64_t at = 1024 + wav.dataBytes;
    bool padOk = true;
    if (wav.dataBytes % 2 == 1)
        padOk = at < file.size() && file[at++] == 0;
    while (padOk && at + 8 <= file.size()) {
        const std::string id(file.begin() + long(at), file.begin() + long(at) + 4);
        const std::uint64_t size = little(file, at + 4, 4);
        const std::uint64_t end = at + 8 + size + size % 2;
        if (end > file.size())
            break;
        wav.trailing.emplace_back(
            id, Bytes(file.begin() + long(at) + 8, file.begin() + long(at + 8 + size)));
        at = end;
    }
    wav.wellFormed = padOk && at == file.size() && wav.riffBytes == file.size() - 8;
    return wav;
}

} // namespace tabrix::testing
