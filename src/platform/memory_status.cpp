#include "platform/memory_status.h"

#include <exception>
#include <fstream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(_WIN32)
#include <windows.h>
#endif

namespace insel::platform {
namespace {

// A "Name:   123 kB" line of a /proc file in bytes.
std::optional<std::uint64_t> ProcFigure(const char* file, const std::string& name) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) != 0) continue;
        try {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> AvailableSystemMemory() {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) return status.ullAvailPhys;
    return std::nullopt;
#else
    // MemAvailable counts the caches the kernel would give up, unlike MemFree.
    if (auto available = ProcFigure("/proc/meminfo", "MemAvailable")) return available;
    return ProcFigure("/proc/meminfo", "MemFree");
#endif
}

HeapStatus CurrentHeapStatus() {
    HeapStatus status;
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    status.total_allocated = info.uordblks + info.hblkhd;
    status.total_free = info.fordblks;
    status.free_small = info.fsmblks;
    status.unused = info.fordblks - info.fsmblks;
    status.overhead = info.keepcost;
    status.total_committed = info.arena + info.hblkhd;
#endif
    status.total_addr_space = ProcFigure("/proc/self/status", "VmSize").value_or(0);
    const std::uint64_t resident = ProcFigure("/proc/self/status", "VmRSS").value_or(0);
    status.total_uncommitted =
        status.total_addr_space > resident ? status.total_addr_space - resident : 0;
    return status;
}

}  // namespace insel::platform
