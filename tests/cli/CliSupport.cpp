#include "CliSupport.h"

#include "project/ConformProject.h"

#include <atomic>
#include <cstdlib>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tabrix::testing {

namespace {

std::string quoted(const std::string& text)
{
#ifdef _WIN32
    return "\"" + text + "\"";
#else
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
#endif
}

std::string fileText(const std::filesystem::path& path)
{
    const Bytes bytes = readFile(path);
    std::string text(bytes.begin(), bytes.end());
#ifdef _WIN32
    std::erase(text, '\r'); // standard output in text mode ends each line with "\r\n" there
#endif
    return text;
}

} // namespace

ProgramRun runTabrix(const std::vector<std::string>& args, const std::filesystem::path& scratch)
{
    const auto outPath = scratch / "stdout.txt";
    const auto errPath = scratch / "stderr.txt";
    std::string command = quoted(TABRIX_CLI_PATH);
    for (const std::string& arg : args)
        command += " " + quoted(arg);
    command += " >" + quoted(outPath.string()) + " 2>" + quoted(errPath.string());
#ifdef _WIN32
    command = "\"" + command + "\""; // cmd strips one outer pair of quotes
#endif
    const int raw = std::system(command.c_str());
    ProgramRun run;
#ifdef _WIN32
    run.status = raw;
#else
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
    run.out = fileText(outPath);
    run.err = fileText(errPath);
    return run;
}

std::string writeProject(const std::filesystem::path& folder, const std::vector<ProjectTake>& takes)
{
    std::filesystem::create_directories(folder / "Audio Files");
    for (const ProjectTake& take : takes)
        writeFile(folder / "Audio Files" / pathFromUtf8(take.name), takeBytes(take.fields));
    return utf8FromPath(folder);
}

ProjectTake rampTake(const std::string& name, std::uint64_t start, std::uint64_t frames,
                     std::int32_t value, const std::string& time, int tfid, std::uint32_t rate,
                     std::uint16_t channels)
{
    // Channels differ, so a swapped left and right shows in the bytes.
    std::vector<std::int32_t> samples;
    for (std::uint64_t i = 0; i < frames; ++i)
        for (std::uint16_t c = 0; c < channels; ++c)
            samples.push_back(c == 0 ? value + std::int32_t(i) : value / 2 - std::int32_t(i));
    return {name, {.timeReference = start, .time = time, .channels = channels, .rate = rate,
                   .bits = 24, .tfid = tfid, .data = pcm(24, samples)}};
}

std::vector<ProjectTake> demoLikeTakes()
{
    constexpr std::uint64_t ten = 10ull * 3600 * 48000;
    return {
        rampTake("Scene 1 Take 1.wav", ten, 48000, 1000, "11:00:00", 1),
        rampTake("Scene 1 Take 2.wav", ten + 36000, 48000, 200000, "11:05:00", 2),
        // Newest, inside Take 2: splits it.
        // A comma needs quoting in CSV; '"' itself can't be in a Windows file name.
        rampTake("Pickup, 'short'.wav", ten + 40000, 4000, -50000, "12:00:00", 3),
        // After a gap of a second; pieces of one recording.
        rampTake("Scene 2 a.wav", ten + 3 * 48000, 20000, 7, "11:10:00", 4),
        rampTake("Scene 2 b.wav", ten + 3 * 48000 + 20000, 20000, 9, "11:10:04", 4),
        // Older and longer than the newer mono take inside it: split around it.
        rampTake("Scene 3 Take 1.wav", ten + 5 * 48000, 60000, 300, "10:30:00", 5),
        rampTake("Scene 3 Wild Mono.wav", ten + 5 * 48000 + 10000, 10000, 123456, "11:30:00", 6,
                 48000, 1),
    };
}

void conformWithLibrary(const std::string& folder, SampleWidth width, int channelMode,
                        const std::vector<std::filesystem::path>& outputs)
{
    ConformProject project;
    if (!project.load(folder))
        return;
    project.setOutputOptions(width, channelMode);
    std::vector<std::string> paths;
    for (const auto& output : outputs)
        paths.push_back(utf8FromPath(output));
    const bool prepared = project.prepareOutputs(paths);
    std::atomic<double> percent{0.0};
    if (prepared)
        (void)project.run(percent);
}

Bytes withoutOriginationStamp(const std::filesystem::path& file)
{
    Bytes bytes = readFile(file);
    for (std::size_t i = 340; i < 358 && i < bytes.size(); ++i)
        bytes[i] = 0;
    return bytes;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

} // namespace tabrix::testing
