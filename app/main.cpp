#include "app/CommandLine.h"
#include "app/StartData.h"
#include "game/core/WinMain.h"

int main(int argc, char** argv) {
  if (const int status = CheckCommandLine(argc, argv); status >= 0) return status;
  ReportMissingStartFile();
  return WinMain(argc, argv);
}
