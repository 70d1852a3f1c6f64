#include "core/run_process.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lexmora {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

pid_t spawn(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty())
        return -1;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args.front(), nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    return pid;
}

// Programs started without waiting, not yet known to have ended.
std::mutex g_startedMutex;
std::vector<pid_t> g_started;

void reapStarted() {
    std::lock_guard lock(g_startedMutex);
    std::erase_if(g_started, [](pid_t pid) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        return done == pid || (done < 0 && errno == ECHILD);
    });
}

} // namespace

std::string FindProgram(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string search = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t pos = 0;
    while (pos <= search.size()) {
        const std::size_t end = std::min(search.find(':', pos), search.size());
        const std::string folder = end > pos ? search.substr(pos, end - pos) : std::string(".");
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        pos = end + 1;
    }
    return {};
}

int RunAndWait(const std::vector<std::string>& argv) {
    reapStarted();
    const pid_t pid = spawn(argv);
    if (pid < 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StartProcess(const std::vector<std::string>& argv) {
    reapStarted();
    const pid_t pid = spawn(argv);
    if (pid < 0)
        return false;
    std::lock_guard lock(g_startedMutex);
    g_started.push_back(pid);
    return true;
}

} // namespace lexmora
