#pragma once
// The prompts about the disk in the drive: disk full (104), wrong disk (115), no disk (160) and
// insert disk (136). They show what the engine hands them and record what the user chose.

#include <string>

#include "engine/prompt_view.h"
#include "ui/common/base_dialog.h"
#include "ui/common/hyperlink.h"

namespace ui {

class CKRVDiskFullDlg : public CKRVBaseDlg {
  public:
    // The local dates of the oldest and newest files on the disk.
    CKRVDiskFullDlg(const os::SystemTime& first, const os::SystemTime& last);
    const engine::DiskFullChoice& choice() const { return choice_; }
    // The date range text of control 1073.
    const std::string& datesText() const { return dates_; }

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    std::string dates_;
    CKRVHyperLink store_;
    engine::DiskFullChoice choice_;
};

class CKRVWrongDiskDlg : public CKRVBaseDlg {
  public:
    CKRVWrongDiskDlg();
    const engine::WrongDiskChoice& choice() const { return choice_; }

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    engine::WrongDiskChoice choice_;
};

class CKRVNoDiskDlg : public CKRVBaseDlg {
  public:
    CKRVNoDiskDlg();
    const engine::NoDiskChoice& choice() const { return choice_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

  private:
    engine::NoDiskChoice choice_;
};

class CKRVInsertDiskDlg : public CKRVBaseDlg {
  public:
    // driveIcon: the icon resource of the drive (119 to 126), or 0 for none.
    CKRVInsertDiskDlg(int driveIcon, std::string labelText);

  protected:
    bool OnInitDialog() override;

  private:
    int driveIcon_;
    std::string label_;
};

// Date text of the disk-full prompt: string 57674 as month/day/year.
std::string FormatPromptDate(const os::SystemTime& date);

}  // namespace ui
