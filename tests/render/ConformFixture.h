#pragma once
#include "audio/ByteOrder.h"

#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tabrix::testing {

// Conforms at 48 kHz into "L.wav" (and "R.wav" for Dual Mono) of a fresh folder.
struct ConformScene {
    bool prepare(const std::vector<TakeDef>& takes, bool bits24, int mode)
    {
        return prepare(takes, bits24 ? SampleWidth::Bits24 : SampleWidth::Bits16, mode);
    }
    // Split Tracks writes "T1.wav", "T2.wav"... in track order.
    bool prepare(const std::vector<TakeDef>& takes, SampleWidth width, int mode)
    {
        progress = 0.0;
        project.setOutputOptions(width, mode);
        if (!loadProject(project, dir, 48000, takes))
            return false;
        if (mode == 4)
            return project.prepareDualMonoOutput(out("L.wav"), out("R.wav"));
        if (mode != 6)
            return project.prepareOutput(out("L.wav"));
        std::vector<std::string> paths;
        for (std::size_t k = 1; k <= project.tracks().size(); ++k)
            paths.push_back(out("T" + std::to_string(k) + ".wav"));
        return project.prepareOutputs(paths);
    }
    std::string out(const std::string& name) const { return (dir.path() / name).string(); }
    // The data size in the header of a finished "L.wav", once its sizes agree with what it
    // holds.
    std::uint64_t finalisedDataBytes() const
    {
        const WrittenWav wav = readWrittenWav(out("L.wav"));
        EXPECT_TRUE(wav.wellFormed);
        return wav.dataBytes;
    }

    // The sample bytes of a file whose header declares exactly what it holds (see outputData).
    Bytes declaredData(const std::string& name) const
    {
        SCOPED_TRACE(name);
        return outputData(out(name));
    }
    // The bytes of every take, to show a conform left them alone.
    std::vector<Bytes> sources(std::size_t takeCount) const
    {
        std::vector<Bytes> all;
        for (std::size_t k = 0; k < takeCount; ++k) {
            const auto path = dir.path() / "Audio Files" / takeName(k);
            all.push_back(std::filesystem::is_regular_file(path) ? readFile(path) : Bytes{});
        }
        return all;
    }

    TempDir dir;
    ConformProject project;
    std::atomic<double> progress{0.0};
};

class Conform : public ::testing::Test, public ConformScene {};

} // namespace tabrix::testing
