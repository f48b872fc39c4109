#include "app/ThreadWorker.h"

#include "project/ConformProject.h"

namespace tabrix {

ThreadWorker::~ThreadWorker()
{
    join();
}

void ThreadWorker::start(ConformProject& project, std::atomic<double>& progressPercent)
{
    thread = std::thread([this, &project, &progressPercent] {
        runResult.store(project.run(progressPercent));
        done.store(true); // the last thing the thread does: after it, joining never waits long
    });
}

void ThreadWorker::join()
{
    if (thread.joinable())
        thread.join();
}

} // namespace tabrix
