// Writes the fuzzer's seed corpus into the folder given on the command line: small takes that
// reach each branch of the chunk walk, built in code like the tests' files.
#include "RiffBuilder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

using namespace tabrix::testing;

namespace {

Bytes fmt24() { return fmtBody({.tag = 1, .channels = 2, .rate = 48000, .bits = 24}); }

Bytes frames24() { return constantFrames(2, 24, 16, 1000, /*ramp*/ true); }

Bytes cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

Bytes text(const std::string& xml)
{
    return Bytes(xml.begin(), xml.end());
}

// Track lists whole, short, repeated and broken, and the other fields the reader takes.
const std::string trackList =
    "<?xml version=\"1.0\"?><BWFXML><SCENE>12A</SCENE><TAKE>3</TAKE><FILE_SET><FAMILY_UID>"
    "F1</FAMILY_UID></FILE_SET><SPEED><TIMECODE_RATE>30000/1001</TIMECODE_RATE><TIMECODE_FLAG>"
    "DF</TIMECODE_FLAG></SPEED><TRACK_LIST><TRACK_COUNT>2</TRACK_COUNT><TRACK><CHANNEL_INDEX>"
    "5</CHANNEL_INDEX><INTERLEAVE_INDEX>2</INTERLEAVE_INDEX><NAME>Lav</NAME></TRACK><TRACK>"
    "<CHANNEL_INDEX>1</CHANNEL_INDEX><INTERLEAVE_INDEX>1</INTERLEAVE_INDEX><NAME>Boom</NAME>"
    "</TRACK></TRACK_LIST></BWFXML>";

std::vector<std::pair<std::string, Bytes>> seeds()
{
    const Bytes oddList{'I', 'N', 'F', 'O', 'x'};
    return {
        {"ixml-before-data",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("iXML", text(trackList))
             .chunk("fmt ", fmt24()).chunk("data", frames24()).bytes()},
        {"ixml-after-odd-data",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmt24())
             .chunk("data", cut(frames24(), 93)).chunk("LIST", oddList, false)
             .chunk("iXML", text(trackList)).bytes()},
        {"ixml-broken",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmt24()).chunk("data", frames24())
             .chunk("iXML", text(trackList.substr(0, 300))).bytes()},
        {"valid", takeBytes({.timeReference = 48000, .tfid = 7, .data = frames24()})},
        {"junk-first",
         RiffBuilder{}.chunk("JUNK", Bytes(28)).chunk("fmt ", fmt24()).chunk("data", frames24()).bytes()},
        {"bext-after-fmt",
         RiffBuilder{}.chunk("fmt ", fmt24()).chunk("bext", bextBody({.timeReference = 96000}))
             .chunk("data", frames24()).bytes()},
        {"odd-list-padded",
         RiffBuilder{}.chunk("fmt ", fmt24()).chunk("LIST", oddList).chunk("bext", bextBody({}))
             .chunk("data", frames24()).bytes()},
        {"odd-list-unpadded",
         RiffBuilder{}.chunk("fmt ", fmt24()).chunk("LIST", oddList, false)
             .chunk("data", frames24()).bytes()},
        {"extensible-float",
         RiffBuilder{}.chunk("fmt ", fmtExtensibleBody({.bits = 32}, true))
             .chunk("data", float32({0.5f, -0.5f, 0.25f, -0.25f})).bytes()},
        {"truncated-data",
         RiffBuilder{}.chunk("fmt ", fmt24()).chunkDeclaring("data", 4096, frames24()).bytes()},
        {"tfid-before-and-after-data",
         RiffBuilder{}.chunk("fmt ", fmt24()).chunk("TFID", tfidBody(1)).chunk("data", frames24())
             .chunk("TFID", tfidBody(2)).bytes()},
        {"short-fmt",
         RiffBuilder{}.chunk("fmt ", cut(fmtBody({.channels = 1, .bits = 16}), 14))
             .chunk("data", pcm(16, {1, 2, 3})).bytes()},
        {"bext-history",
         RiffBuilder{}.chunk("bext", bextBody({.bodyBytes = 1024})).chunk("fmt ", fmt24())
             .chunk("data", frames24()).bytes()},
        {"bext-history-past-end",
         RiffBuilder{}.chunkDeclaring("bext", 0xFFFF'FFF0u, bextBody({})).chunk("fmt ", fmt24())
             .chunk("data", frames24()).bytes()},
        {"rf64-ixml-after-data",
         withRiffId(RiffBuilder{}.chunk("ds64", ds64Body(0, 96, 16, {"iXML"}))
                        .chunk("bext", bextBody({})).chunk("fmt ", fmt24())
                        .chunkDeclaring("data", 0xFFFF'FFFFu, frames24())
                        .chunk("iXML", Bytes(40, '<')).bytes(),
                    "RF64")},
        {"power-loss-partial-frame",
         RiffBuilder{}.chunk("bext", bextBody({})).chunk("fmt ", fmt24())
             .chunkDeclaring("data", 0, cut(frames24(), 93)).bytes()},
        {"written-header-layout",
         RiffBuilder{}.chunk("bext", bextBody({.bodyBytes = 858})).chunk("fmt ", fmt24())
             .chunk("TFID", tfidBody(0)).chunk("PAD ", Bytes(70)).chunk("data", pcm(24, {1, 2, 3}))
             .bytes()},
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    for (const auto& [name, bytes] : seeds()) {
        writeFile(folder / (name + ".wav"), bytes);
        if (std::filesystem::file_size(folder / (name + ".wav"), error) != bytes.size() || error) {
            std::fprintf(stderr, "cannot write seed %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
