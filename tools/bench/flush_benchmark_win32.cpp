// Prints what a flush of each new small copy before its rename costs, and what flushing a group of
// finished copies together would save: flush_benchmark_win32 FOLDER [FILES] [GROUP] writes FILES
// (2,000) files of 4 KB into FOLDER as the copier does (a temporary file created, written, then
// renamed), once without flushes, once with each file flushed before its rename, once with GROUP
// (8) files written, then flushed one after another, then renamed, and once with the group
// flushed by GROUP threads at once. Each way runs in a folder of its own, removed again after.
// With --times each file is also given times and attributes through its handle after its data,
// as the copier gives a copy its source's.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kFileBytes = 4096;

enum class Way { NoFlush, EachFile, GroupInTurn, GroupAtOnce };

const char* NameOf(Way way) {
    switch (way) {
        case Way::NoFlush:
            return "no flush";
        case Way::EachFile:
            return "each file flushed before its rename";
        case Way::GroupInTurn:
            return "a group flushed one after another";
        case Way::GroupAtOnce:
            return "a group flushed by its threads at once";
    }
    return "";
}

// One thread per place in the group, each waiting for a handle to flush.
class Flushers {
  public:
    explicit Flushers(size_t count) : slots_(count) {
        for (Slot& slot : slots_) {
            slot.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            slot.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            slot.thread = CreateThread(nullptr, 0, &Flushers::Run, &slot, 0, nullptr);
        }
    }
    ~Flushers() {
        for (Slot& slot : slots_) {
            slot.file = nullptr;  // tells the thread to end
            SetEvent(slot.go);
            WaitForSingleObject(slot.thread, INFINITE);
            CloseHandle(slot.thread);
            CloseHandle(slot.go);
            CloseHandle(slot.done);
        }
    }
    Flushers(const Flushers&) = delete;
    Flushers& operator=(const Flushers&) = delete;

    bool FlushAll(const std::vector<HANDLE>& files) {
        std::vector<HANDLE> done;
        for (size_t i = 0; i < files.size(); ++i) {
            slots_[i].file = files[i];
            SetEvent(slots_[i].go);
            done.push_back(slots_[i].done);
        }
        WaitForMultipleObjects(static_cast<DWORD>(done.size()), done.data(), TRUE, INFINITE);
        bool ok = true;
        for (size_t i = 0; i < files.size(); ++i) {
            ok = ok && slots_[i].ok;
        }
        return ok;
    }

  private:
    struct Slot {
        HANDLE go = nullptr;
        HANDLE done = nullptr;
        HANDLE thread = nullptr;
        HANDLE file = nullptr;
        bool ok = true;
    };
    static DWORD WINAPI Run(LPVOID parameter) {
        Slot& slot = *static_cast<Slot*>(parameter);
        for (;;) {
            WaitForSingleObject(slot.go, INFINITE);
            if (slot.file == nullptr) {
                return 0;
            }
            slot.ok = FlushFileBuffers(slot.file) != FALSE;
            SetEvent(slot.done);
        }
    }
    std::vector<Slot> slots_;
};

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// Seconds for the files written the given way, or a negative figure when a call failed.
double WriteFiles(const std::string& folder, int count, size_t group, Way way, bool times) {
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot make %s (error %lu)\n", folder.c_str(), GetLastError());
        return -1;
    }
    const std::string data(kFileBytes, 'x');
    Flushers flushers(way == Way::GroupAtOnce ? group : 0);
    const size_t perRound = way == Way::EachFile ? 1 : group;
    bool ok = true;
    const auto start = std::chrono::steady_clock::now();
    for (int first = 0; first < count && ok; first += static_cast<int>(perRound)) {
        const size_t inRound = std::min(perRound, static_cast<size_t>(count - first));
        std::vector<HANDLE> files;
        std::vector<std::string> names;
        for (size_t i = 0; i < inRound; ++i) {
            names.push_back(folder + "\\~copy" + std::to_string(first + static_cast<int>(i)));
            HANDLE file = CreateFileA(names.back().c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            ok = ok && file != INVALID_HANDLE_VALUE &&
                 WriteFile(file, data.data(), kFileBytes, &written, nullptr) &&
                 written == kFileBytes;
            if (ok && times) {
                FILE_BASIC_INFO basic{};
                basic.CreationTime.QuadPart = 130000000000000000LL;
                basic.LastWriteTime.QuadPart = 130000000000000000LL;
                basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
                ok = SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
            }
            files.push_back(file);
        }
        if (ok && (way == Way::EachFile || way == Way::GroupInTurn)) {
            for (HANDLE file : files) {
                ok = ok && FlushFileBuffers(file);
            }
        } else if (ok && way == Way::GroupAtOnce) {
            ok = flushers.FlushAll(files);
        }
        for (size_t i = 0; i < inRound; ++i) {
            if (files[i] != INVALID_HANDLE_VALUE) {
                CloseHandle(files[i]);
            }
            const std::string name =
                folder + "\\file" + std::to_string(first + static_cast<int>(i));
            ok = ok && MoveFileA(names[i].c_str(), name.c_str());
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "%s: a call failed (error %lu)\n", NameOf(way), GetLastError());
    }
    RemoveFolder(folder);
    return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: flush_benchmark_win32 FOLDER [FILES] [GROUP] [--times]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    const size_t group = argc > 3 ? static_cast<size_t>(std::atoi(argv[3])) : 8;
    const bool times = argc > 4 && std::string(argv[4]) == "--times";
    if (count <= 0 || group == 0 || group > MAXIMUM_WAIT_OBJECTS) {
        std::fprintf(stderr, "FILES must be positive and GROUP from 1 to %d\n",
                     MAXIMUM_WAIT_OBJECTS);
        return 2;
    }
    std::printf("%d files of %lu bytes, groups of %zu:\n", count, kFileBytes, group);
    int result = 0;
    for (Way way : {Way::NoFlush, Way::EachFile, Way::GroupInTurn, Way::GroupAtOnce}) {
        const double seconds = WriteFiles(folder + "\\flush-benchmark", count, group, way, times);
        if (seconds < 0) {
            result = 1;
            continue;
        }
        std::printf("  %-40s %8.3f s, %6.3f ms per file\n", NameOf(way), seconds,
                    1000 * seconds / count);
    }
    return result;
}
