#include "app/ConformRunEnd.h"

#include "frontend/ProblemText.h"
#include "project/ConformProject.h"

namespace tabrix {

RunEnd runEndOf(const ConformProject& project, bool runResult, const ProgressJob& job)
{
    RunEnd end;
    end.runResult = runResult;
    end.failure = failureText(project.lastFailure());
    // The file itself says how far it got, whatever the run counted before it stopped.
    if (!job.outputPaths.empty())
        end.framesWritten = ProgressLogic::framesInFile(job.outputPaths.front());
    return end;
}

} // namespace tabrix
