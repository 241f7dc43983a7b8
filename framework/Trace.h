// Debug trace: text for a developer's debugger, never shown to the user.
#pragma once

namespace afx {

// printf-style; the text goes to OutputDebugStringW as it is (no newline added).
void Trace(const wchar_t* format, ...);

}  // namespace afx
