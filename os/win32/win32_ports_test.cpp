// What the Win32 ports do beyond the shared contract: the path forms they hand to the API, the
// exact bytes they store in the registry, the refusals that protect data, and the waits that
// only kernel objects have.

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>

#include "os/errors.h"
#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/win32_path.h"
#include "os/win32/windows_api.h"
#include "tests/os/contract/port_environment.h"

namespace os::win32 {
namespace {

std::string Extended(const std::string& path) {
    std::wstring out;
    EXPECT_EQ(ToExtendedPath(path, out), kErrorSuccess) << path;
    return Narrow(out);
}

std::string Pattern(const std::string& pattern) {
    std::wstring out;
    EXPECT_EQ(ToExtendedPattern(pattern, out), kErrorSuccess) << pattern;
    return Narrow(out);
}

std::string Root(const std::string& path) {
    std::wstring out;
    EXPECT_EQ(VolumeRootOf(path, out), kErrorSuccess) << path;
    return Narrow(out);
}

TEST(Win32Paths, AbsolutePathsGetTheExtendedPrefix) {
    EXPECT_EQ(Extended("C:\\Data\\a.doc"), "\\\\?\\C:\\Data\\a.doc");
    EXPECT_EQ(Extended("C:\\Data\\old\\..\\a.doc"), "\\\\?\\C:\\Data\\a.doc");
    EXPECT_EQ(Extended("C:/Data/a.doc"), "\\\\?\\C:\\Data\\a.doc");
    EXPECT_EQ(Extended("C:\\Data\\a.doc. "), "\\\\?\\C:\\Data\\a.doc");
    EXPECT_EQ(Extended("\\\\server\\share\\x"), "\\\\?\\UNC\\server\\share\\x");
    EXPECT_EQ(Extended("\\\\?\\C:\\kept as given\\..\\x."), "\\\\?\\C:\\kept as given\\..\\x.");
}

TEST(Win32Paths, FilesNamedLikeDevicesStayFiles) {
    // Through the device a copy would read the console or write into nothing.
    EXPECT_EQ(Extended("C:\\Data\\CON"), "\\\\?\\C:\\Data\\CON");
    EXPECT_EQ(Extended("C:\\Data\\sub\\..\\nul.txt"), "\\\\?\\C:\\Data\\nul.txt");
    EXPECT_EQ(Extended("\\\\server\\share\\COM1. "), "\\\\?\\UNC\\server\\share\\COM1");
    EXPECT_EQ(Extended("\\\\.\\CON"), "\\\\.\\CON");
}

TEST(Win32Paths, RelativePathsAreTakenFromTheCurrentFolder) {
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
    std::string expected = "\\\\?\\" + Narrow(current);
    if (expected.back() != '\\') {
        expected += '\\';
    }
    EXPECT_EQ(Extended("file.txt"), expected + "file.txt");
}

TEST(Win32Paths, PatternsKeepTheirLastComponentAsWritten) {
    // GetFullPathNameW would drop the dot of "*.", which changes what the search finds.
    EXPECT_EQ(Pattern("C:\\Data\\*."), "\\\\?\\C:\\Data\\*.");
    EXPECT_EQ(Pattern("C:\\Data\\x\\..\\Report.(*).doc"), "\\\\?\\C:\\Data\\Report.(*).doc");
    EXPECT_EQ(Pattern("C:\\*"), "\\\\?\\C:\\*");
    EXPECT_EQ(Pattern("\\\\server\\share\\*.*"), "\\\\?\\UNC\\server\\share\\*.*");
    // Without wildcards the pattern names one entry and is normalised like any path.
    EXPECT_EQ(Pattern("C:\\Data\\a.doc. "), "\\\\?\\C:\\Data\\a.doc");
    EXPECT_EQ(Pattern("C:\\Data\\sub\\.."), "\\\\?\\C:\\Data");
}

TEST(Win32Paths, VolumeRootsComeFromAnyPathOnTheVolume) {
    EXPECT_EQ(Root("E:"), "E:\\");
    EXPECT_EQ(Root("e:\\"), "e:\\");
    EXPECT_EQ(Root("E:\\Backup\\deep\\file.txt"), "E:\\");
    EXPECT_EQ(Root("\\\\server\\share"), "\\\\server\\share\\");
    EXPECT_EQ(Root("\\\\server\\share\\x\\y"), "\\\\server\\share\\");
    EXPECT_EQ(Root("\\\\?\\UNC\\server\\share\\x"), "\\\\server\\share\\");
    EXPECT_EQ(Root("\\\\?\\E:\\x"), "E:\\");
    std::wstring root;
    EXPECT_EQ(VolumeRootOf("\\\\server", root), kErrorBadPathname);
}

TEST(Win32Paths, TextThatWouldNameAnotherFileIsRefused) {
    std::wstring out;
    EXPECT_EQ(ToExtendedPath(std::string("C:\\a.txt\0.exe", 14), out), kErrorInvalidName);
    EXPECT_EQ(ToExtendedPath("C:\\bad \xFF byte", out), kErrorInvalidName);
    EXPECT_EQ(ToExtendedPattern("C:\\bad \xC3 byte\\*", out), kErrorInvalidName);
    EXPECT_EQ(VolumeRootOf(std::string("E:\0\\x", 5), out), kErrorInvalidName);
}

class Win32Ports : public contract::ContractTest {
  protected:
    uint32_t Create(const std::string& path, std::unique_ptr<File>& file) {
        return files().Open(path, {kAccessWrite, kShareNone, Disposition::CreateAlways, 0, 0},
                            file);
    }
};

TEST_F(Win32Ports, ALookupReportsTheNameAsStored) {
    std::unique_ptr<File> file;
    ASSERT_EQ(Create(at("Mixed Case.TXT"), file), kErrorSuccess);
    file.reset();
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(at("mixed case.txt"), info), kErrorSuccess);
    EXPECT_EQ(info.name, "Mixed Case.TXT");
    ASSERT_EQ(files().GetFileInfo(scratch() + "\\", info), kErrorSuccess);
    EXPECT_TRUE(info.IsDirectory());
    ASSERT_EQ(files().GetFileInfo(scratch().substr(0, 3), info), kErrorSuccess);
    EXPECT_EQ(info.name, "");  // a root has no name of its own
}

TEST_F(Win32Ports, AFileNamedLikeADeviceIsWrittenAndReadAsAFile) {
    std::unique_ptr<File> file;
    ASSERT_EQ(Create(at("CON"), file), kErrorSuccess);
    uint32_t count = 0;
    ASSERT_EQ(file->Write("data", 4, count), kErrorSuccess);
    ASSERT_EQ(file->Close(), kErrorSuccess);
    FileInfo info;
    ASSERT_EQ(files().GetFileInfo(at("CON"), info), kErrorSuccess);
    EXPECT_EQ(info.size, 4u);
    ASSERT_EQ(files().DeleteFile(at("CON")), kErrorSuccess);
}

TEST_F(Win32Ports, AClosedFileRefusesEverything) {
    std::unique_ptr<File> file;
    ASSERT_EQ(Create(at("closed.bin"), file), kErrorSuccess);
    EXPECT_EQ(file->Close(), kErrorSuccess);
    uint32_t count = 1;
    char byte = 'x';
    EXPECT_EQ(file->Write(&byte, 1, count), kErrorInvalidHandle);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(file->Read(&byte, 1, count), kErrorInvalidHandle);
    uint64_t size = 0;
    EXPECT_EQ(file->GetSize(size), kErrorInvalidHandle);
    EXPECT_EQ(file->Close(), kErrorInvalidHandle);
}

TEST_F(Win32Ports, VolumeCallsAcceptAnyPathOnTheVolume) {
    VolumeSpace byRoot;
    VolumeSpace byFolder;
    ASSERT_EQ(files().GetVolumeSpace(scratch().substr(0, 2), byRoot), kErrorSuccess);
    ASSERT_EQ(files().GetVolumeSpace(at("not made yet\\x"), byFolder), kErrorSuccess);
    EXPECT_EQ(byRoot.totalBytes, byFolder.totalBytes);
    EXPECT_EQ(byRoot.totalClusters, byFolder.totalClusters);
    const uint64_t cluster = uint64_t{byRoot.bytesPerSector} * byRoot.sectorsPerCluster;
    EXPECT_EQ(byRoot.totalClusters, byRoot.totalBytes / cluster);
    EXPECT_EQ(files().GetDriveType(scratch()), DriveType::Fixed);
    VolumeInfo info;
    EXPECT_EQ(files().GetVolumeInfo(scratch(), info), kErrorSuccess);
    EXPECT_FALSE(info.fileSystem.empty());
}

TEST_F(Win32Ports, AStringIsStoredAsTwoBytesAUnitWithNothingAdded) {
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry().CreateKey(Hive::CurrentUser, environment().registryScratch(), key),
              kErrorSuccess);
    RegistryValue value;
    value.type = kRegSz;
    value.data = "E:\\";
    ASSERT_EQ(key->SetValue("Destination", value), kErrorSuccess);
    value.type = kRegExpandSz;
    value.data = "%TEMP%\\\xE6\x96\x87";  // the last character is one UTF-16 unit
    ASSERT_EQ(key->SetValue("Expand", value), kErrorSuccess);
    RegistryHandle raw;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(environment().registryScratch()).c_str(), 0,
                              KEY_QUERY_VALUE, raw.Put()),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(::RegQueryValueExW(raw.Get(), L"Destination", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 6u);
    ASSERT_EQ(::RegQueryValueExW(raw.Get(), L"Expand", nullptr, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 16u);
}

TEST_F(Win32Ports, LargeBinaryValuesAreReadWhole) {
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry().CreateKey(Hive::CurrentUser, environment().registryScratch(), key),
              kErrorSuccess);
    RegistryValue value;
    value.type = kRegBinary;
    for (int i = 0; i < 100000; ++i) {
        value.data.push_back(static_cast<char>(i * 7));
    }
    ASSERT_EQ(key->SetValue("Blob", value), kErrorSuccess);
    RegistryValue back;
    ASSERT_EQ(key->QueryValue("Blob", back), kErrorSuccess);
    EXPECT_EQ(back.type, kRegBinary);
    EXPECT_EQ(back.data, value.data);
}

TEST_F(Win32Ports, TheRegistryRefusesWhatWouldReachOtherData) {
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry().CreateKey(Hive::CurrentUser, environment().registryScratch(), key),
              kErrorSuccess);
    RegistryValue value;
    value.type = kRegSz;
    value.data = "broken \xFF text";
    EXPECT_EQ(key->SetValue("Text", value), kErrorInvalidParameter);
    EXPECT_EQ(key->SetValue(std::string("Na\0me", 5), RegistryValue::Dword(1)),
              kErrorInvalidParameter);
    EXPECT_EQ(key->QueryValue("Text", value), kErrorFileNotFound);
    // An empty subkey would make RegDeleteTreeW empty the whole hive.
    EXPECT_EQ(registry().DeleteKeyTree(Hive::CurrentUser, ""), kErrorAccessDenied);
    EXPECT_EQ(registry().DeleteKeyTree(Hive::CurrentUser, "\\\\"), kErrorAccessDenied);
    std::unique_ptr<RegistryKey> software;
    EXPECT_EQ(registry().OpenKey(Hive::CurrentUser, "Software", false, software), kErrorSuccess);
}

class ForeignWaitable final : public Waitable {};

TEST_F(Win32Ports, WaitingForAnotherImplementationsObjectFails) {
    auto event = clock().CreateEvent(true, true);
    ForeignWaitable foreign;
    Waitable* const both[] = {event.get(), &foreign};
    const WaitResult result = clock().WaitForAny(both, 0);
    EXPECT_EQ(result.status, WaitStatus::Failed);
    EXPECT_EQ(result.error, kErrorInvalidHandle);
}

TEST_F(Win32Ports, TheMutexIsNotRecursive) {
    auto mutex = clock().CreateMutex();
    mutex->lock();
    EXPECT_FALSE(mutex->try_lock());
    mutex->unlock();
    // Taken through a wait, it is owned the same way.
    ASSERT_EQ(clock().Wait(*mutex, 0).status, WaitStatus::Signalled);
    EXPECT_FALSE(mutex->try_lock());
    mutex->unlock();
    EXPECT_TRUE(mutex->try_lock());
    mutex->unlock();
}

TEST_F(Win32Ports, AMutexLeftByAnEndedThreadCanBeTaken) {
    auto mutex = clock().CreateMutex();
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(clock().StartThread([&] { mutex->lock(); }, thread), kErrorSuccess);
    ASSERT_TRUE(thread->WaitForExit(5000));
    // The owner ended without unlocking: Windows hands the mutex over as abandoned.
    Waitable* const one[] = {mutex.get()};
    const WaitResult result = clock().WaitForAny(one, 1000);
    EXPECT_EQ(result.status, WaitStatus::Signalled);
    mutex->unlock();
}

TEST_F(Win32Ports, AThreadsEndStaysSignalled) {
    std::atomic<int> runs{0};
    std::unique_ptr<Thread> thread;
    ASSERT_EQ(clock().StartThread([&] { ++runs; }, thread), kErrorSuccess);
    ASSERT_TRUE(thread->WaitForExit(5000));
    EXPECT_TRUE(thread->WaitForExit(0));
    EXPECT_EQ(clock().Wait(*thread, 0).status, WaitStatus::Signalled);
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace os::win32
