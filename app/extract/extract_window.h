#pragma once
// frmExtract: the extraction dialog. Scans a text file, an HTML file or a page it downloads
// for URLs and appends those the filter passes to the list. One instance, modeless, owned by
// the main window; the base URL is remembered for the program's run.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/extract/download_win.h"
#include "app/extract/extract_pages_window.h"
#include "app/extract/extract_to_list.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmExtract final : public DialogWindow {
 public:
  // `download` stands in for the system's HTTP stack when set (tests).
  frmExtract(const ToolContext& context, Download download);

  void Show();
  // Shows the URL page with `addresses` (lines ending with CR LF) in its address box.
  void ShowPages(const std::u16string& addresses);
  // Stores the dialog's state into the settings; the dialog stays. A text the settings file
  // could not give back whole is left out, and only it: false, after the message, with the
  // focus in its box for the user to put it right.
  bool Form_QueryUnload();
  // The preferences were confirmed: the filter and the two options they changed (against
  // `before`) replace what the dialog shows.
  void PreferencesStored(const Settings& before);
  bool Downloading() const { return download_.Running(); }
  // A download or a file's extraction runs on its worker.
  bool Running() const { return download_.Running() || extraction_.Running(); }
  // The window of a run over several pages (tests).
  frmExtractPages& PagesWindow() { return pages_; }

  void cmbModeSelect_Click();
  void cmdStartCancel_Click(int index);
  void cmdBrows_Click(int index);
  void lblExtractedFile_Click(int index);
  void cmdShowTHelp_Click(int index);
  void cmdShowTHelp2_Click();
  DWORD lblExtractedFile_OLEDragOver(const DropData& data, DWORD allowed) const;
  DWORD lblExtractedFile_OLEDragDrop(int index, const DropData& data, DWORD allowed);
  DWORD txtUrl_OLEDragOver(const DropData& data, DWORD allowed) const;
  DWORD txtUrl_OLEDragDrop(const DropData& data, DWORD allowed);

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load() override;
  int Mode() const;
  // The base-URL box of the page shown (the HTML page's when it has none).
  HWND BaseUrlBox() const;
  void SelectMode(int mode);
  // The scan of `path` on a worker, the URLs it gathers added to the list when it ends; false
  // (after saying why) when it could not start. `fromDownload`: the page just downloaded.
  bool StartExtraction(const std::u16string& path, const std::u16string& pageUrl,
                       std::string contentType, bool fromDownload);
  void ExtractionEnded();
  void StartDownload();
  // The run over the pages of the address box in the progress window; false (after saying
  // why) when it could not start.
  bool StartPages(const std::u16string& addresses);
  // The scan the dialog's options ask for.
  ExtractOptions CurrentOptions() const;
  void ShowProgress();
  void DownloadEnded();
  // While a worker runs, every control but the close button, which becomes the cancel button;
  // the caption says what runs.
  void ShowRunning(bool running, const char16_t* caption);
  // The download or the extraction under way ends at once; nothing is added.
  void CancelRun();
  void EndRun();

  // What a file's extraction on its worker hands back: its result and the lines it gathered.
  struct Extraction {
    ExtractResult result = ExtractResult::OutOfMemory;
    std::optional<PendingLines> lines;
    std::uint64_t leftOut = 0;  // stretches too long for a URL
  };

  const ToolContext& context_;
  Download runDownload_;
  HCURSOR hand_ = nullptr;
  std::u16string baseUrl_;
  BackgroundDownload download_;
  BackgroundJob<Extraction> extraction_;
  std::u16string extractedPath_;  // the file the extraction under way reads
  bool fromDownload_ = false;     // it reads the page just downloaded
  frmExtractPages pages_;
};

}  // namespace cardo
