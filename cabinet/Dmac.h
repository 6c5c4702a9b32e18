#pragma once
#include <cstdint>

// Register access to the cabinet's I/O board through the current driver
// (CabIoDriver), and the per-frame read of both units into two records.

// One unit's record for DmacPollInputs (eleven 32-bit words).
struct XioUnitRecord {
  uint32_t in[4];        // input words: registers base+0x20..0x2C
  uint32_t out[4];       // output words written to base+0x00..0x0C
  uint16_t coin[2];      // coin counters: bits 0-13 count, bit 15 fault
  uint16_t decrease[2];  // coins to take off; what is written is cleared
  uint32_t link;         // link-status word; 0x300 = linked
};
static_assert(sizeof(XioUnitRecord) == 44, "eleven words");

constexpr uint32_t kXioLinked = 0x300;
// Most coins taken off one counter in one poll (the count's range).
constexpr uint16_t kMaxCoinDecrease = 0x3FFF;

int DmacOpen();
int DmacClose();
int DmacReadRegister(uint32_t reg, uint32_t* value);
int DmacWriteRegister(uint32_t reg, uint32_t value);
// records: two in a row (unit 0, unit 1). 1 success, 0 failure.
int DmacPollInputs(XioUnitRecord* records);
uint32_t DmacGetBoardId();
uint32_t DmacGetStatusRegister(int32_t unit);

// Helpers of the poll, exposed for tests.
uint32_t DmacLinkStatus(uint32_t statusRegister);
uint16_t DmacCoinValue(uint32_t counterRegister);
