// The unattended run's report: one line per event, appended to the log file or written to the
// error stream, always UTF-8; and the watch on the module's registry calls that reports every
// value the run writes, once the system has taken it (after the batch it belongs to).
#include "patcher/patcher_internal.h"

#include <cstdio>
#include <map>

namespace patcher::detail {

namespace {

// The text converted from the file-API code page, or its bytes when it cannot be.
std::string Utf8OfFileApi(const char* text)
{
    char16_t wide[PTCH_ERROR_TEXT_CAPACITY];
    auto units = static_cast<uint32_t>(PTCH_ERROR_TEXT_CAPACITY);
    if (SYS_FileApiToWide(wide, &units, text) != SYS_OK)
        return text;
    return SilentLog::Utf8Of(wide);
}

}

SilentLog::~SilentLog()
{
    if (m_file != 0)
        (void)SYS_FileClose(m_file);
}

bool SilentLog::Open(const std::string& path)
{
    if (path.empty())
        return true;
    m_file = SYS_FileOpen(path.c_str(), SYS_OPEN_WRITE);
    if (m_file == 0)
        m_file = SYS_FileCreateNew(path.c_str());
    uint32_t end = 0;
    if (m_file != 0 && SYS_FileSeek(m_file, 0, 2, &end) == SYS_OK)
        return true;
    if (m_file != 0)
        (void)SYS_FileClose(m_file);
    m_file = 0;
    std::fputs(("Cannot open the log file " + path + "\n").c_str(), stderr);
    return false;
}

void SilentLog::Line(const std::string& text)
{
    const std::string line = text + "\n";
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_file == 0)
        std::fputs(line.c_str(), stderr);
    else
        (void)SYS_FileWrite(m_file, line.data(), static_cast<uint32_t>(line.size()));
}

void SilentLog::PathLine(const char* word, const char* path)
{
    std::string named(path);
    (void)SYS_SystemPath(named.data(), named.size() + 1, named.c_str());
    Line(std::string(word) + " " + Utf8OfFileApi(named.c_str()));
}

std::string SilentLog::Utf8Of(const char16_t* text)
{
    uint32_t size = 0;
    if (SYS_WideToUtf8(nullptr, &size, text) != SYS_SIZE_ONLY || size == 0)
        return {};
    std::string utf8(size, '\0');
    if (SYS_WideToUtf8(utf8.data(), &size, text) != SYS_OK)
        return {};
    utf8.resize(size - 1);
    return utf8;
}

namespace {

// The watch's state: one watch at a time, on the main thread.
struct Watch {
    SilentLog* log = nullptr;
    SystemCalls inner {};
    std::map<SYS_RegKey, std::string> paths; // open keys
    std::map<SYS_RegKey, std::vector<std::string>> batches; // lines held until the commit
};
Watch g_watch;

SYS_RegKey Remember(SYS_RegKey key, const char* path)
{
    if (key != 0)
        g_watch.paths[key] = path;
    return key;
}

SYS_RegKey OpenKey(const char* path)
{
    return Remember(g_watch.inner.openKey(path), path);
}

SYS_RegKey CreateKey(const char* path)
{
    return Remember(g_watch.inner.createKey(path), path);
}

uint32_t CloseKey(SYS_RegKey key)
{
    g_watch.paths.erase(key);
    g_watch.batches.erase(key);
    return g_watch.inner.closeKey(key);
}

SYS_Status Written(SYS_Status status, SYS_RegKey key, const char* name, const std::string& value)
{
    if (status != SYS_OK)
        return status;
    const std::string line = "registry HKEY_LOCAL_MACHINE\\"
        + Utf8OfFileApi(g_watch.paths[key].c_str()) + "\\" + Utf8OfFileApi(name) + " = " + value;
    if (auto batch = g_watch.batches.find(key); batch != g_watch.batches.end())
        batch->second.push_back(line);
    else
        g_watch.log->Line(line);
    return status;
}

SYS_Status SetString(SYS_RegKey key, const char* name, const char* text)
{
    return Written(
        g_watch.inner.setString(key, name, text), key, name, "\"" + Utf8OfFileApi(text) + "\"");
}

SYS_Status SetDword(SYS_RegKey key, const char* name, uint32_t value)
{
    return Written(g_watch.inner.setDword(key, name, value), key, name, std::to_string(value));
}

SYS_Status BeginBatch(SYS_RegKey key)
{
    const SYS_Status status = g_watch.inner.beginBatch(key);
    if (status == SYS_OK)
        g_watch.batches[key].clear();
    return status;
}

SYS_Status CommitBatch(SYS_RegKey key)
{
    const SYS_Status status = g_watch.inner.commitBatch(key);
    if (auto batch = g_watch.batches.find(key); batch != g_watch.batches.end()) {
        if (status == SYS_OK)
            for (const std::string& line : batch->second)
                g_watch.log->Line(line);
        g_watch.batches.erase(batch);
    }
    return status;
}

}

RegistryReport::RegistryReport(SilentLog& log)
{
    g_watch = Watch {};
    g_watch.log = &log;
    g_watch.inner = Sys();
    m_calls = Sys();
    m_previous = &Sys();
    m_calls.openKey = OpenKey;
    m_calls.createKey = CreateKey;
    m_calls.closeKey = CloseKey;
    m_calls.setString = SetString;
    m_calls.setDword = SetDword;
    m_calls.beginBatch = BeginBatch;
    m_calls.commitBatch = CommitBatch;
    ReplaceSystemCalls(&m_calls);
}

RegistryReport::~RegistryReport()
{
    ReplaceSystemCalls(m_previous == &NativeSystemCalls() ? nullptr : m_previous);
    g_watch = Watch {};
}

}
