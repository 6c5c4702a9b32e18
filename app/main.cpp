#include "app/StartData.h"
#include "game/core/WinMain.h"

int main(int argc, char** argv) {
  ReportMissingStartFile();
  return WinMain(argc, argv);
}
