#pragma once
#include <functional>
#include <string>

// The modal error box of the original becomes one line on standard error
// ("ERROR: <text>"); it never blocks. Tests install a hook to observe it.
namespace plat {

using MessageBoxHook = std::function<void(const std::string& title, const std::string& text)>;

void ShowMessageBox(const char* title, const char* text);

// Replaces the hook (empty: none); returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Silences the standard-error line (tests that provoke errors on purpose).
void SetMessageBoxQuiet(bool quiet);

}  // namespace plat
