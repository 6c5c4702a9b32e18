#pragma once
// Test and service mode strip tables and page layouts.
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprTestComm)[13];
extern const SGpRect (&SprTestTop)[19];
extern const SGpRect (&SprTestEtc)[18];
extern const SGpRect (&SprTestSound)[21];
extern const SGpRect (&SprTestSystem)[21];
extern const SGpRect (&SprTestInput)[18];
extern const SGpRect (&SprTestDisp)[2];

#include <cstdint>

// One strip placed on a test page.
struct TestLayoutRecord {
  float x;      // page units: a left edge or a centre, as the page decides
  float y;      // top of the strip in page units
  int32_t index;  // strip index in the page's table, a state word, or -1 (end)
  const SGpRect* part;  // a strip named directly, used instead of the index
};

// Lists marked "ended" carry one more record: index -1, x and y 0.
extern const TestLayoutRecord MenuItemTable[8];
extern const TestLayoutRecord MenuHelpTable[8];
extern const TestLayoutRecord InputLabelTable[10];  // ended
// Rewritten each frame by the input test page: 0 while held, 1 released.
extern TestLayoutRecord InputSwitchTable[8];  // ended
extern const TestLayoutRecord SoundItemTable[7];   // ended
extern const TestLayoutRecord SoundMarkTable[7];   // ended
extern const TestLayoutRecord SoundHelpTable[7];   // ended
extern const TestLayoutRecord SoundGuideTable[12];
extern const TestLayoutRecord SystemItemTable[8];
extern const TestLayoutRecord SystemValueTable[11];
extern const TestLayoutRecord SystemHelpTable[7];
extern const TestLayoutRecord SystemGuideTable[14];
extern const TestLayoutRecord GameSettingsItemTable[4];
extern const TestLayoutRecord GameSettingsHelpTable[4];
extern const TestLayoutRecord GameSettingsGuideTable[8];
extern const TestLayoutRecord DefaultsTitleTable[2];
extern const TestLayoutRecord YesNoChoiceTable[3];
extern const TestLayoutRecord DefaultsHelpTable[2];
extern const TestLayoutRecord DefaultsGuideTable[2];
extern const TestLayoutRecord RankingClearTitleTable[2];
extern const TestLayoutRecord RankingClearChoiceTable[3];
extern const TestLayoutRecord RankingClearHelpTable[2];
extern const TestLayoutRecord RankingClearGuideTable[2];
extern const TestLayoutRecord ConfirmChoiceTable[3];
extern const TestLayoutRecord ConfirmHelpTable[2];
extern const TestLayoutRecord ConfirmGuideTable[2];
extern const TestLayoutRecord ConfirmTitleTable[1];
