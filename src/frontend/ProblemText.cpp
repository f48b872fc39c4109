#include "frontend/ProblemText.h"

#include <system_error>

namespace tabrix {

namespace {

std::string withReason(std::string text, int errorNumber)
{
    return errorNumber != 0 ? text + ": " + systemErrorText(errorNumber) : text;
}

} // namespace

std::string systemErrorText(int errorNumber)
{
    return std::generic_category().message(errorNumber);
}

std::string rejectionText(const TakeRejection& rejection)
{
    const std::string detail = std::to_string(rejection.detail);
    switch (rejection.problem) {
    case TakeProblem::None: return std::string();
    case TakeProblem::NotRegularFile: return "not a regular file";
    case TakeProblem::CannotOpen: return withReason("cannot be opened", int(rejection.detail));
    case TakeProblem::NotWave: return "not a WAV file";
    case TakeProblem::Damaged: return "damaged: its header breaks off or can't be read";
    case TakeProblem::NoFormat: return "damaged: audio data comes before its format";
    case TakeProblem::NoData: return "no audio data";
    case TakeProblem::BadFormat: return "damaged: its format has no channels or no sample rate";
    case TakeProblem::Compressed:
        return "compressed audio (format " + detail + ") is not supported";
    case TakeProblem::UnsupportedBits: return detail + "-bit samples are not supported";
    case TakeProblem::UnsupportedFloat:
        return detail + "-bit floating-point samples are not supported";
    case TakeProblem::TooManyChannels: return detail + " channels are more than can be read";
    case TakeProblem::NoFrames: return "no audio data";
    case TakeProblem::NoTimeReference: return "no time reference (no bext chunk)";
    }
    return "not a usable take";
}

std::string failureText(const RunFailure& failure)
{
    switch (failure.kind) {
    case FailureKind::None: return std::string();
    case FailureKind::ListFolder:
        return withReason("cannot list the folder " + failure.fileName, failure.systemError);
    case FailureKind::CreateOutput:
        return withReason("cannot create " + failure.fileName, failure.systemError);
    case FailureKind::WriteOutput:
        return withReason("cannot write " + failure.fileName, failure.systemError);
    case FailureKind::ReadTake:
        return withReason("cannot read take " + failure.fileName, failure.systemError);
    case FailureKind::TakeChanged:
        return "take " + failure.fileName + " is shorter than when the project was loaded";
    }
    return "the conform failed";
}

} // namespace tabrix
