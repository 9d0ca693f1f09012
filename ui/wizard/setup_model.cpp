#include "ui/wizard/setup_model.h"

#include <algorithm>

#include "engine/folder_sizes.h"
#include "os/errors.h"
#include "settings/setting_names.h"
#include "ui/common/folder_path_rules.h"

namespace ui {

uint32_t LimitRevisionCount(uint32_t count) {
    if (count == 0) {
        return 1;
    }
    return std::min<uint32_t>(count, 99);
}

uint32_t RevisionsValue(RevisionsChoice choice, uint32_t count) {
    switch (choice) {
        case RevisionsChoice::None:
            return 0;
        case RevisionsChoice::Unlimited:
            return settings::kUnlimitedRevisions;
        case RevisionsChoice::Limited:
            break;
    }
    return LimitRevisionCount(count);
}

DiskFigures ReadDiskFigures(drvKit::Drive& drive) {
    DiskFigures figures;
    if (!drive.hasDisk()) {
        return figures;
    }
    // Results of drive-library actions are not checked: a lock that did not hold only leaves
    // the medium free to leave while it is read, and the figures then read as no disk.
    static_cast<void>(drive.makeNonRemovable(false));
    const drvKit::Disk disk = drive.getDisk();
    static_cast<void>(drive.makeRemovable(false));
    figures.hasDisk = true;
    figures.volumeName = disk.getVolumeName();
    figures.identifier = disk.getIdentifier();
    figures.sizesUnavailable = disk.isSizeUnavailable();
    figures.freeBytes = disk.getFreeSpace().get();
    figures.usedBytes = disk.getUsedSpace().get();
    figures.capacityBytes =
        engine::EstimateCapacityBytes(disk.getCapacity().get(), drive.getFamily());
    return figures;
}

std::optional<int> FreeSharePercent(const DiskFigures& disk) {
    if (disk.capacityBytes == 0) {
        return std::nullopt;
    }
    if (disk.usedBytes == 0) {
        return 100;
    }
    if (engine::Megabytes(disk.freeBytes) == 0) {
        return 0;
    }
    // 128 bits: free × 100 of a disk of many terabytes still fits.
    const auto share = static_cast<unsigned __int128>(disk.freeBytes) * 100 / disk.capacityBytes;
    return static_cast<int>(std::clamp<unsigned __int128>(share, 1, 100));
}

uint64_t ReviewDisksNeeded(uint64_t dataBytes, bool hasDisk, uint64_t freeBytes,
                           uint64_t maxRawCapacity, uint32_t family) {
    const uint64_t dataMb = engine::DataMegabytesShown(dataBytes);
    const uint64_t freeMb = hasDisk ? engine::Megabytes(freeBytes) : 0;
    // Only a CD drive that reports no capacity gets the 540 MB; any other drive without a
    // figure counts no whole disks.
    const uint64_t capacityMb =
        engine::Megabytes(engine::EstimateCapacityBytes(maxRawCapacity, family));
    return engine::DisksNeeded(dataMb, freeMb, capacityMb);
}

uint32_t StoreSetupChoices(const settings::CKRVSettingsStore& store, const SetupChoices& choices) {
    uint32_t first = os::kErrorSuccess;
    const auto note = [&first](uint32_t error) {
        if (first == os::kErrorSuccess) {
            first = error;
        }
    };
    note(store.WriteDestination(choices.destination));
    note(store.WriteSourceList(choices.sources));
    note(store.WriteRevisions(choices.revisions));
    note(store.WriteStartTime(0));  // the first pass copies everything
    note(store.WriteIconStatus(choices.trayIcon));
    note(store.WriteTooLargeStatus(1));
    note(store.WriteFileErrorStatus(1));
    note(store.WriteFileNameStatus(1));
    note(store.WriteNotCurrentStatus(1));
    note(store.WriteBuyStatus(1));
    note(store.WriteMirrorStatus(1));
    note(store.WriteWarningStatus(1));
    // "DiskID" was stored when the user left the drive page with a disk in the drive; without
    // one the engine asks for a disk on its first pass.
    std::string diskId;
    // A missing or malformed value reads as empty text, which is what the test below looks for.
    static_cast<void>(store.ReadDiskId(diskId));
    if (diskId.empty()) {
        note(store.WriteDiskId("0"));
    }
    return first;
}

SetupJournal::SetupJournal(os::Registry& registry, const std::string& productKey)
    : registry_(registry), optionsKey_(productKey + "\\" + settings::kUserOptionsSubkey) {
    std::unique_ptr<os::RegistryKey> key;
    keyExisted_ =
        registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, false, key) == os::kErrorSuccess;
    if (keyExisted_) {
        os::RegistryValue value;
        if (key->QueryValue(settings::names::kDiskId, value) == os::kErrorSuccess) {
            diskId_ = std::move(value);
        }
    }
}

uint32_t SetupJournal::RestoreDiskId() const {
    std::unique_ptr<os::RegistryKey> key;
    if (diskId_) {
        if (const uint32_t error = registry_.CreateKey(os::Hive::CurrentUser, optionsKey_, key)) {
            return error;
        }
        return key->SetValue(settings::names::kDiskId, *diskId_);
    }
    const uint32_t opened = registry_.OpenKey(os::Hive::CurrentUser, optionsKey_, true, key);
    if (opened == os::kErrorFileNotFound) {
        return os::kErrorSuccess;  // no key, no value
    }
    if (opened != os::kErrorSuccess) {
        return opened;
    }
    const uint32_t deleted = key->DeleteValue(settings::names::kDiskId);
    return deleted == os::kErrorFileNotFound ? os::kErrorSuccess : deleted;
}

uint32_t SetupJournal::Cancel() const {
    if (keyExisted_) {
        return RestoreDiskId();
    }
    const uint32_t error = registry_.DeleteKeyTree(os::Hive::CurrentUser, optionsKey_);
    return error == os::kErrorFileNotFound ? os::kErrorSuccess : error;
}

std::vector<std::string> FoldersToCreate(const std::vector<std::string>& listed,
                                         const std::vector<std::string>& chosen) {
    std::vector<std::string> result;
    for (const std::string& folder : listed) {
        if (ListsFolder(chosen, folder)) {
            result.push_back(folder);
        }
    }
    return result;
}

}  // namespace ui
