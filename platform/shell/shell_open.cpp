#include "platform/shell/shell_open.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/base/text_codec.h"

extern char** environ;

namespace platform::shell {
namespace {

std::mutex g_lock;
Launcher g_launcher;

std::vector<std::string> SplitParameters(const std::string& text) {
    std::vector<std::string> out;
    std::string current;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any || !current.empty())
                out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.empty())
        out.push_back(current);
    return out;
}

bool IsProgram(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// Starts the program without waiting for it; a thread reaps it so that no
// zombie is left behind.
bool Spawn(const Launch& launch) {
    std::vector<char*> argv;
    for (const std::string& arg : launch.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!launch.workingDirectory.empty() && launch.workingDirectory != ".") {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
        posix_spawn_file_actions_addchdir_np(&actions, launch.workingDirectory.c_str());
#endif
    }
    pid_t pid = 0;
    int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

void Describe(const Launch& launch, const char* operation, int showMode) {
    std::string line = "picbatch: would ";
    line += operation && *operation ? operation : "open";
    line += ":";
    for (const std::string& arg : launch.argv)
        line += " \"" + arg + "\"";
    if (!launch.workingDirectory.empty())
        line += " in \"" + launch.workingDirectory + "\"";
    line += " (show mode " + std::to_string(showMode) + ")\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

const char* OperationText(int number) {
    static const char* const kOperations[] = {"open", "edit", "explore", "print", "find"};
    return number >= 1 && number <= 5 ? kOperations[number - 1] : nullptr;
}

int ShowModeFor(int number) {
    static const int kModes[] = {SW_SHOWNORMAL,     SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED,
                                 SW_SHOWNOACTIVATE, SW_SHOW,          SW_HIDE};
    return number >= 1 && number <= 6 ? kModes[number - 1] : SW_SHOWNORMAL;
}

void SetLauncher(Launcher launcher) {
    std::lock_guard guard(g_lock);
    g_launcher = std::move(launcher);
}

intptr_t ShellExecute(HWND, const char* operation, const char* file, const char* parameters,
                      const char* directory, int showMode) {
    if (!file || !*file)
        return kShellFileNotFound;
    std::string op = operation ? operation : "";
    if (op.empty())
        op = "open";
    std::string target = RuntimeToUtf8(file);
    std::string workingDirectory =
        RuntimeToUtf8(directory && *directory ? directory : kDefaultWorkingDirectory);
    // A name without a folder part is looked for in the working directory.
    std::string located = target;
    if (!target.empty() && target[0] != '/' && target.find("://") == std::string::npos) {
        located = (std::filesystem::path(workingDirectory) / target).lexically_normal().string();
    }
    bool isUrl = target.find("://") != std::string::npos;
    std::error_code error;
    if (!isUrl && !std::filesystem::exists(located, error))
        return kShellFileNotFound;

    Launch launch;
    launch.workingDirectory = workingDirectory;
    if (op == "open" && !isUrl && IsProgram(located)) {
        launch.argv.push_back(located);
        for (std::string& arg : SplitParameters(RuntimeToUtf8(parameters ? parameters : ""))) {
            launch.argv.push_back(std::move(arg));
        }
    } else if (op == "open" || op == "edit" || op == "explore" || op == "find") {
        std::string what = located;
        if ((op == "explore" || op == "find") && !std::filesystem::is_directory(located, error)) {
            what = std::filesystem::path(located).parent_path().string();
        }
        launch.argv = {"xdg-open", what};
    } else if (op == "print") {
        launch.argv = {"lp", located};
    } else {
        return kShellNoAssociation;
    }

    Launcher launcher;
    {
        std::lock_guard guard(g_lock);
        launcher = g_launcher;
    }
    if (launcher)
        return launcher(launch) ? kShellOk : kShellOutOfResources;
    if (!HaveDisplay()) {
        Describe(launch, op.c_str(), showMode);
        return kShellOk;
    }
    return Spawn(launch) ? kShellOk : kShellOutOfResources;
}

}  // namespace platform::shell
