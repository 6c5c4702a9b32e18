#include "cabinet/JvsMaster.h"

int32_t JvsOpen(const char*, JvsReplyHandler) { return 0; }
int32_t JvsClose() { return 1; }
int32_t JvsGetState() { return -1; }
int32_t JvsGetNodeCount() { return 0; }
int32_t JvsSendNodeSetting(uint16_t) { return 0; }
