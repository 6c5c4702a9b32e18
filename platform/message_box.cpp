#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

namespace plat {
namespace {
std::mutex g_mutex;
MessageBoxHook g_hook;
bool g_quiet = false;
}  // namespace

void ShowMessageBox(const char* title, const char* text) {
  MessageBoxHook hook;
  bool quiet;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    hook = g_hook;
    quiet = g_quiet;
  }
  std::string t = text ? text : "";
  if (!quiet) {
    std::string line = t;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    std::fprintf(stderr, "%s: %s\n", title ? title : "", line.c_str());
  }
  if (hook) hook(title ? title : "", t);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MessageBoxHook old = std::move(g_hook);
  g_hook = std::move(hook);
  return old;
}

void SetMessageBoxQuiet(bool quiet) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_quiet = quiet;
}

}  // namespace plat
