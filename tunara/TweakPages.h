// The four pages of the optimisation dialog. Their check boxes, sliders and
// lists are bound by CTweakPage from the tables; what each adds is here:
// the memory and NTFS pages move to the top of their siblings as they
// start, the memory page tells every top-level window that settings
// changed, the CD-ROM page opens and closes the CD tray, and the NTFS page
// looks for the CD-ROM drive.
#pragma once

#include "tunara/TweakPage.h"

class CDiskTweakPage : public CTweakPage {
 public:
  CDiskTweakPage(HINSTANCE module, platform::Registry& reg,
                 const std::optional<platform::OsVersion>& version);
};

class CMemoryTweakPage : public CTweakPage {
 public:
  // How long the settings broadcast waits for each window: a window that
  // does not answer in time (or is hung) is skipped, so one hung program
  // cannot freeze the dialog.
  static constexpr UINT kBroadcastTimeoutMs = 2000;

  CMemoryTweakPage(HINSTANCE module, platform::Registry& reg,
                 const std::optional<platform::OsVersion>& version);

 protected:
  void BeforeStart() override;
  void AfterStart() override;
};

class CCdromTweakPage : public CTweakPage {
 public:
  CCdromTweakPage(HINSTANCE module, platform::Registry& reg,
                 const std::optional<platform::OsVersion>& version);
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // The tray's open and close buttons.
  void OnTrayOpen();
  void OnTrayClose();
  void SendTrayCommand(std::string_view command);
};

class CNtfsTweakPage : public CTweakPage {
 public:
  CNtfsTweakPage(HINSTANCE module, platform::Registry& reg,
                 const std::optional<platform::OsVersion>& version);

 protected:
  void BeforeStart() override;
  tunara::DriveTypeQuery DriveTypes() const override;
};
