#include "memory_status.h"

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

// A "VmXxx:   123 kB" line of /proc/self/status in bytes; 0 where there is none.
std::uint64_t ProcessFigure(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0) return std::stoull(line.substr(name.size() + 1)) * 1024;
    }
    return 0;
}

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
    status.total_addr_space = ProcessFigure("VmSize");
    status.total_uncommitted = status.total_addr_space > ProcessFigure("VmRSS")
                                   ? status.total_addr_space - ProcessFigure("VmRSS")
                                   : 0;
    return status;
}

}  // namespace insel::platform
