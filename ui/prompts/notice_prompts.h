#pragma once
// The notices with a "Don't show this again" box: file too large (162), file error (163), long
// file name (164) and disk becoming full (202).

#include <string>

#include "engine/prompt_view.h"
#include "ui/common/base_dialog.h"
#include "ui/common/hyperlink.h"

namespace ui {

class CKRVNoticeDlg : public CKRVBaseDlg {
  public:
    const engine::NoticeChoice& choice() const { return choice_; }

  protected:
    // The template, the id of its message text and of its box.
    CKRVNoticeDlg(UINT templateId, int textId, int boxId, std::string text);
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    int textId_;
    int boxId_;
    std::string text_;
    engine::NoticeChoice choice_;
};

class CKRVFileTooLargeDlg : public CKRVNoticeDlg {
  public:
    explicit CKRVFileTooLargeDlg(const std::string& path);
};

class CKRVFileErrorDlg : public CKRVNoticeDlg {
  public:
    explicit CKRVFileErrorDlg(const engine::FileErrorDetails& details);

  protected:
    bool OnInitDialog() override;

  private:
    bool driveNote_;
};

class CKRVLongFileNameDlg : public CKRVNoticeDlg {
  public:
    explicit CKRVLongFileNameDlg(const std::string& name);
};

class CKRVDiskFillingDlg : public CKRVNoticeDlg {
  public:
    CKRVDiskFillingDlg();

  protected:
    bool OnInitDialog() override;

  private:
    CKRVHyperLink store_;
};

}  // namespace ui
