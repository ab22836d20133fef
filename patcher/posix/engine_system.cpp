// The patch engine's system calls on POSIX: pthreads, mkdir, statvfs, posix_spawn and a folder
// listing that tells links apart with lstat. Paths arrive in the system's Windows form and are
// translated here.
#include "patcher/os_engine.h"

#include "platform/platform.h"

#include <cerrno>
#include <dirent.h>
#include <new>
#include <pthread.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <vector>

extern char** environ;

namespace patcher::os {

namespace {

struct Thread {
    pthread_t id;
    ThreadProcedure procedure;
    void* argument;
};

void* RunThread(void* record)
{
    auto* thread = static_cast<Thread*>(record);
    (void)thread->procedure(thread->argument);
    return nullptr;
}

std::string SystemPath(const char* path)
{
    std::string native(path);
    (void)SYS_SystemPath(native.data(), native.size() + 1, native.c_str());
    return native;
}

// The words of a command line: runs of characters between blanks, where double quotes group
// blanks into a word and are themselves dropped.
std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char* at = commandLine; *at != 0; ++at) {
        if (*at == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((*at == ' ' || *at == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += *at;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

}

uintptr_t StartThread(ThreadProcedure procedure, void* argument)
{
    auto* thread = new (std::nothrow) Thread { {}, procedure, argument };
    if (thread == nullptr)
        return 0;
    if (pthread_create(&thread->id, nullptr, RunThread, thread) != 0) {
        delete thread;
        return 0;
    }
    return reinterpret_cast<uintptr_t>(thread);
}

void JoinThread(uintptr_t handle)
{
    auto* thread = reinterpret_cast<Thread*>(handle);
    (void)pthread_join(thread->id, nullptr);
    delete thread;
}

bool CreateFolder(const char* path)
{
    const std::string native = SystemPath(path);
    struct stat status { };
    return mkdir(native.c_str(), 0777) == 0
        || (errno == EEXIST && stat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
}

bool FreeDiskSpace(const char* folder, uint64_t* bytes)
{
    struct statvfs disk { };
    if (statvfs(SystemPath(folder).c_str(), &disk) != 0)
        return false;
    *bytes = static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
    return true;
}

// The program is not waited for: it is reaped when the installer ends.
bool StartProgram(const char* program, const char* commandLine, const char* folder)
{
    std::string path = SystemPath(program);
    std::vector<std::string> words
        = commandLine != nullptr ? SplitCommandLine(commandLine) : std::vector<std::string> {};
    if (words.empty())
        words.push_back(path);
    std::vector<char*> arguments;
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string workingFolder = SystemPath(folder);
    bool started = workingFolder.empty()
        || posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str()) == 0;
    pid_t child = 0;
    started = started
        && posix_spawn(&child, path.c_str(), &actions, nullptr, arguments.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started;
}

bool ListFiles(const char* folder, FileVisitor visit, void* context)
{
    const std::string native = SystemPath(folder);
    DIR* listing = opendir(native.c_str());
    if (listing == nullptr)
        return false;
    while (const dirent* entry = readdir(listing)) {
        struct stat status { };
        const std::string path = native + entry->d_name;
        if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
            visit(context, entry->d_name);
    }
    closedir(listing);
    return true;
}

}
