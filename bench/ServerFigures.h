#pragma once
// The server's resource figures, read from outside by its process id: open
// handles, USER objects, its windows and private bytes. For the leak figures
// of the benchmarks. Wine 8 answers 0 for GetProcessHandleCount, GetGuiResources
// and PrivateUsage: the handles are then counted in the system's handle
// table, the windows stand in for USER objects, and private bytes are the
// commit charge PagefileUsage, which Windows reports as the same number.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

#include "win/ScopedHandle.h"

namespace bench {

struct ServerFigures {
    DWORD handles = 0;
    DWORD userObjects = 0;
    DWORD windows = 0;
    DWORD threads = 0;
    SIZE_T privateBytes = 0;
};

class ServerWatch {
public:
    explicit ServerWatch(DWORD pid)
        : pid_(pid),
          process_(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                 FALSE, pid)) {}

    bool IsOpen() const { return process_.IsValid(); }

    ServerFigures Sample() const {
        ServerFigures figures;
        if (!::GetProcessHandleCount(process_.Get(), &figures.handles) || figures.handles == 0)
            figures.handles = CountHandles();
        figures.userObjects = ::GetGuiResources(process_.Get(), GR_USEROBJECTS);
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        if (::GetProcessMemoryInfo(process_.Get(),
                                   reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                   sizeof memory))
            figures.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
        Count count{pid_, 0};
        ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
        figures.windows = count.windows;
        figures.threads = CountThreads();
        return figures;
    }

    static void PrintHeader(const char* first) {
        std::printf("%6s %10s %8s %6s %8s %8s %11s\n", first, "ms", "handles", "user", "windows",
                    "threads", "private KB");
    }
    static void Print(int cycle, double ms, const ServerFigures& f) {
        std::printf("%6d %10.1f %8lu %6lu %8lu %8lu %11.1f\n", cycle, ms, f.handles,
                    f.userObjects, f.windows, f.threads,
                    static_cast<double>(f.privateBytes) / 1024.0);
    }
    // First and last figures, and the private-bytes growth per cycle over the
    // second half, where a plateau shows as 0.
    static void PrintSummary(const ServerFigures& first, const ServerFigures& middle,
                             const ServerFigures& last, int halfCycles) {
        std::printf("first -> last: handles %lu -> %lu, user %lu -> %lu, windows %lu -> %lu, "
                    "private %.1f -> %.1f KB; second half %+.2f KB/cycle\n",
                    first.handles, last.handles, first.userObjects, last.userObjects,
                    first.windows, last.windows, first.privateBytes / 1024.0,
                    last.privateBytes / 1024.0,
                    (static_cast<double>(last.privateBytes) - middle.privateBytes) / 1024.0 /
                        (halfCycles > 0 ? halfCycles : 1));
    }

private:
    // SystemHandleInformation (16): one entry per open handle of every process.
    struct HandleEntry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    DWORD CountHandles() const {
        std::vector<BYTE> table(1 << 16);
        NTSTATUS status;
        ULONG needed = 0;
        while ((status = ::NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16),
                                                    table.data(), static_cast<ULONG>(table.size()),
                                                    &needed)) == static_cast<NTSTATUS>(0xC0000004L))
            table.resize(table.size() * 2);
        if (status != 0) return 0;
        const ULONG count = *reinterpret_cast<const ULONG*>(table.data());
        const auto* entries = reinterpret_cast<const HandleEntry*>(table.data() + sizeof(void*));
        DWORD handles = 0;
        for (ULONG i = 0; i < count; ++i) handles += entries[i].ownerPid == pid_ ? 1 : 0;
        return handles;
    }

    DWORD CountThreads() const {
        win::ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        DWORD threads = 0;
        if (!snapshot || !::Thread32First(snapshot.Get(), &entry)) return 0;
        do {
            threads += entry.th32OwnerProcessID == pid_ ? 1 : 0;
        } while (::Thread32Next(snapshot.Get(), &entry));
        return threads;
    }

    struct Count {
        DWORD pid;
        DWORD windows;
    };
    static BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
        auto* count = reinterpret_cast<Count*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid != count->pid) return TRUE;
        ++count->windows;
        ::EnumChildWindows(window, CountChild, param);
        return TRUE;
    }
    static BOOL CALLBACK CountChild(HWND, LPARAM param) {
        ++reinterpret_cast<Count*>(param)->windows;
        return TRUE;
    }

    DWORD pid_;
    win::ScopedHandle process_;
};

}  // namespace bench
