#include "audio/IxmlChunk.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <set>
#include <sstream>

namespace tabrix {

namespace {

constexpr const char* ixmlVersion = "1.61";

std::string trimmed(const char* text)
{
    std::string value(text);
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    value.erase(value.begin(), std::find_if_not(value.begin(), value.end(), blank));
    value.erase(std::find_if_not(value.rbegin(), value.rend(), blank).base(), value.end());
    return value;
}

// A whole positive number and nothing else: "3", " 3 "; not "3a", "-3", "0" or "1e3".
std::optional<std::uint32_t> positiveNumber(const std::string& text)
{
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const unsigned long long value = std::stoull(text);
    if (value == 0 || value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Recorders number tracks by CHANNEL_INDEX and write only the armed ones, so only a list that
// accounts for every channel exactly once can be trusted to say which track is where.
std::vector<IxmlTrack> trackList(const pugi::xml_node& list, std::uint16_t channelCount)
{
    std::vector<IxmlTrack> tracks(channelCount);
    std::vector<bool> placed(channelCount, false);
    std::set<std::uint32_t> keys;
    std::size_t count = 0;
    for (const pugi::xml_node& track : list.children("TRACK")) {
        const auto interleave = positiveNumber(trimmed(track.child_value("INTERLEAVE_INDEX")));
        const auto key = positiveNumber(trimmed(track.child_value("CHANNEL_INDEX")));
        if (++count > channelCount || !interleave || !key || *interleave > channelCount ||
            placed[*interleave - 1] || !keys.insert(*key).second)
            return {};
        placed[*interleave - 1] = true;
        tracks[*interleave - 1] = {*key, trimmed(track.child_value("NAME"))};
    }
    return count == channelCount ? tracks : std::vector<IxmlTrack>{};
}

void addText(pugi::xml_node parent, const char* name, const std::string& value)
{
    parent.append_child(name).text().set(value.c_str());
}

} // namespace

TakeIxml readIxml(std::span<const std::uint8_t> body, std::uint16_t channelCount) noexcept
{
    try {
        pugi::xml_document document;
        if (!document.load_buffer(body.data(), body.size()))
            return {};
        const pugi::xml_node root = document.child("BWFXML");
        if (!root)
            return {};
        TakeIxml ixml;
        ixml.tracks = trackList(root.child("TRACK_LIST"), channelCount);
        ixml.familyUid = trimmed(root.child("FILE_SET").child_value("FAMILY_UID"));
        ixml.project = trimmed(root.child_value("PROJECT"));
        ixml.scene = trimmed(root.child_value("SCENE"));
        ixml.take = trimmed(root.child_value("TAKE"));
        ixml.tape = trimmed(root.child_value("TAPE"));
        ixml.timecodeRate = trimmed(root.child("SPEED").child_value("TIMECODE_RATE"));
        ixml.timecodeFlag = trimmed(root.child("SPEED").child_value("TIMECODE_FLAG"));
        return ixml;
    } catch (...) { // out of memory: the take simply carries no iXML
        return {};
    }
}

std::string writeIxml(const OutputIxml& ixml) noexcept
{
    try {
        pugi::xml_document document;
        pugi::xml_node declaration = document.append_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = "UTF-8";
        pugi::xml_node root = document.append_child("BWFXML");
        addText(root, "IXML_VERSION", ixmlVersion);
        addText(root, "PROJECT", ixml.project);
        addText(root, "SCENE", "");
        addText(root, "TAKE", "");
        addText(root, "TAPE", ixml.tape);
        pugi::xml_node speed = root.append_child("SPEED");
        addText(speed, "TIMECODE_RATE", ixml.timecodeRate);
        addText(speed, "TIMECODE_FLAG", ixml.timecodeFlag);
        addText(speed, "FILE_SAMPLE_RATE", std::to_string(ixml.sampleRate));
        addText(speed, "TIMESTAMP_SAMPLE_RATE", std::to_string(ixml.sampleRate));
        addText(speed, "TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI",
                std::to_string(ixml.timeReference >> 32));
        addText(speed, "TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO",
                std::to_string(ixml.timeReference & 0xFFFF'FFFFu));
        pugi::xml_node list = root.append_child("TRACK_LIST");
        addText(list, "TRACK_COUNT", std::to_string(ixml.tracks.size()));
        for (std::size_t i = 0; i < ixml.tracks.size(); ++i) {
            pugi::xml_node track = list.append_child("TRACK");
            addText(track, "CHANNEL_INDEX", std::to_string(ixml.tracks[i].channelIndex));
            addText(track, "INTERLEAVE_INDEX", std::to_string(i + 1));
            addText(track, "NAME", ixml.tracks[i].name);
        }
        std::ostringstream text;
        document.save(text, "\t", pugi::format_default, pugi::encoding_utf8);
        return text.str();
    } catch (...) {
        return {};
    }
}

} // namespace tabrix
