#pragma once
#include <cstdint>

// The JVS bus master as far as the I/O device needs it. This build has no
// serial JVS bus: the device is opened in register mode, so the master never
// starts (opening it fails and its state reads closed).

// Reply handler: node, command bytes, reply bytes -> bytes consumed or -1.
using JvsReplyHandler = int32_t (*)(uint8_t node, const uint8_t* command, const uint8_t* reply);

int32_t JvsOpen(const char* portName, JvsReplyHandler handler);  // 1 ok, 0 failure
int32_t JvsClose();                                              // 1
int32_t JvsGetState();                                           // -1 when not opened
int32_t JvsGetNodeCount();
int32_t JvsSendNodeSetting(uint16_t value);  // 1 done, 0 failure
