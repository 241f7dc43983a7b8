// The items of a dialog template resource, as the dialog manager reads them
// (DLGTEMPLATE or DLGTEMPLATEEX): what a control cannot tell once it is
// made, such as the resource an SS_ICON or SS_BITMAP static was given. The
// dialog manager makes the items' windows in template order, so item N is
// the dialog's Nth child until code adds children of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace afx {

struct TemplateItem {
  DWORD style = 0;
  POINT at{};  // top-left corner, dialog units
  UINT id = 0;
  WORD classOrdinal = 0;      // 0x0080 button ... 0x0082 static; 0 for a named class
  std::wstring className;     // the named class, when there is one
  WORD titleOrdinal = 0;      // a resource number given as the title (ICON, SS_BITMAP)
  bool IsStatic() const;
};

// The items of template `templateId` of `module`; none when it is missing
// or cut short.
std::vector<TemplateItem> DialogTemplateItems(HINSTANCE module, UINT templateId);

}  // namespace afx
