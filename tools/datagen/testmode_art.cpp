#include "tools/datagen/testmode_art.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace datagen {

namespace {

struct StripWords {
  const char* table;
  const char* const* words;
  std::size_t count;
};

// Strip i of each table carries words[i]; an empty entry is a strip no page
// draws or one drawn as a picture (DrawTestPicture). The pages pick strips by index (menu items, labels, values, help
// lines and guide lines).
constexpr const char* kComm[] = {"TEST MODE",  "SAVE CHANGES?",      "SAVE, LEAVE",     "LEAVE, NO SAVE",
                                 "YES",        "NO",                 "",                "LEFT/RIGHT: CHOOSE",
                                 "BUTTON: OK", "UP/DOWN: SELECT",    "LEFT/RIGHT: CHANGE", ">",
                                 "EXIT"};
constexpr const char* kTop[] = {"TEST MENU",     "DISPLAY",         "SOUND",          "SYSTEM",
                                "GAME",          "DEFAULTS",        "RANKING",        "EXIT",
                                "UP/DOWN: SELECT", "BUTTON: OK",    "CHECK MONITOR",  "CHECK LEVER, BUTTONS",
                                "SOUND, VOLUMES", "COINS, CREDITS", "LEVEL, LIVES",   "FACTORY SETTINGS",
                                "CLEAR RANKING", "LEAVE",           "INPUT"};
constexpr const char* kEtc[] = {"GAME",        "LEVEL",           "",                "",
                                "GAME LEVEL",  "TO THE MENU",     "RANKING",         "CLEAR RANKING?",
                                "RANKING DELETED", "RANKING KEPT", "DEFAULTS",       "RESTORE DEFAULTS?",
                                "ALL RESTORED", "NO CHANGE",      "LIVES",           "START LIVES",
                                "EXTEND",      "EXTRA LIVES"};
constexpr const char* kSound[] = {"SOUND TEST",     "SE",          "",          "BGM",          "SE VOL",
                                  "BGM VOL",     "BALANCE",     "EXIT",      "+",            "-",
                                  "L",           "R",           "",          "",             "BUTTON: PLAY",
                                  "BUTTON: PLAY/STOP", "SE VOLUME", "BGM VOLUME", "L/R BALANCE", "TO THE MENU",
                                  ""};
constexpr const char* kSystem[] = {"SYSTEM",    "COIN MODE",   "COIN PLAY",  "FREE PLAY",   "COIN",
                                   "CREDIT",    "CONTINUE COIN", "CONTINUE", "AS START",    "ON",
                                   "OFF",       "DEMO SOUND",  "EXIT",       "SERVICE/COIN/FREE",
                                   "COINS FOR A UNIT", "CREDITS FOR A UNIT", "COINS TO CONTINUE", "CONTINUE",
                                   "DEMO SOUND", "TO THE MENU", "SERVICE"};
constexpr const char* kInput[] = {"ON", "OFF", "", "", "BUTTONS", "", "START", "BUTTON 1", "BUTTON 2",
                                  "", "", "U", "L", "R", "D", "+", "SERVICE/TEST: MENU", "INPUT TEST"};

#define OSTREL_WORDS(name, list) {name, list, std::size(list)}
constexpr StripWords kStripWords[] = {
    OSTREL_WORDS("SprTestComm", kComm),     OSTREL_WORDS("SprTestTop", kTop),
    OSTREL_WORDS("SprTestEtc", kEtc),       OSTREL_WORDS("SprTestSound", kSound),
    OSTREL_WORDS("SprTestSystem", kSystem), OSTREL_WORDS("SprTestInput", kInput),
};
#undef OSTREL_WORDS

// Colour bars over a grey ramp, with a white frame: colour, brightness and
// the picture's edges at a glance.
void ColourBars(Canvas& c, int x, int y, int w, int h) {
  constexpr std::uint32_t kBars[] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
  constexpr int kN = static_cast<int>(std::size(kBars));
  const int barsH = h * 2 / 3;
  for (int i = 0; i < kN; ++i) {
    const int x0 = x + w * i / kN, x1 = x + w * (i + 1) / kN;
    c.Fill(x0, y, x1 - x0, barsH, FromRgb(kBars[i]));
  }
  constexpr int kSteps = 16;
  for (int i = 0; i < kSteps; ++i) {
    const int x0 = x + w * i / kSteps, x1 = x + w * (i + 1) / kSteps;
    const float v = static_cast<float>(i) / (kSteps - 1);
    c.Fill(x0, y + barsH, x1 - x0, h - barsH, Rgba{v, v, v, 1.0f});
  }
  c.Frame(x, y, w, h, 2, FromRgb(0xFFFFFF));
}

// A white cross-hatch on black with a centre cross (geometry and focus)
// and a coloured square in each corner (orientation).
void CrossHatch(Canvas& c, int x, int y, int w, int h) {
  constexpr int kCell = 40;
  c.Fill(x, y, w, h, FromRgb(0x000000));
  const Rgba white = FromRgb(0xFFFFFF);
  for (int gx = 0; gx <= w; gx += kCell) c.Fill(x + (gx < w ? gx : w - 1), y, 1, h, white);
  for (int gy = 0; gy <= h; gy += kCell) c.Fill(x, y + (gy < h ? gy : h - 1), w, 1, white);
  c.Fill(x + w / 2 - 1, y, 2, h, white);
  c.Fill(x, y + h / 2 - 1, w, 2, white);
  constexpr int kSquare = 24;
  c.Fill(x + 8, y + 8, kSquare, kSquare, FromRgb(0xFF0000));
  c.Fill(x + w - 8 - kSquare, y + 8, kSquare, kSquare, FromRgb(0x00FF00));
  c.Fill(x + 8, y + h - 8 - kSquare, kSquare, kSquare, FromRgb(0x0000FF));
  c.Fill(x + w - 8 - kSquare, y + h - 8 - kSquare, kSquare, kSquare, FromRgb(0xFFFF00));
}

// The mark of the chosen answer: a bracket at each end of its strip, which is
// wider than either answer and drawn centred on the chosen one, so the mark
// frames the word and leaves its letters clear. White: the page tints it.
// Two pixels stay clear at every edge, which filtering would half blend;
// the bars' inner sides are softened by a half-covered column, as the
// letters' edges are.
void AnswerMark(Canvas& c, int x, int y, int w, int h) {
  const Rgba white = FromRgb(0xFFFFFF), half{1.0f, 1.0f, 1.0f, 0.5f};
  const int bar = std::max(2, w / 20), tick = std::max(3, w / 8);
  const int left = x + 2, right = x + w - 2, top = y + 2, tall = h - 4;
  c.Fill(left + bar, top + bar, 1, tall - 2 * bar, half);
  c.Fill(right - bar - 1, top + bar, 1, tall - 2 * bar, half);
  for (const int x0 : {left, right - bar}) c.Fill(x0, top, bar, tall, white);
  for (const int x0 : {left, right - tick}) {
    c.Fill(x0, top, tick, bar, white);
    c.Fill(x0, top + tall - bar, tick, bar, white);
  }
}

}  // namespace

const char* TestStripWords(const char* table, std::size_t index) {
  for (const StripWords& s : kStripWords)
    if (std::strcmp(s.table, table) == 0) return index < s.count && *s.words[index] ? s.words[index] : nullptr;
  return nullptr;
}

bool DrawTestPicture(Canvas& c, const char* table, std::size_t index, int x, int y, int w, int h) {
  if (std::strcmp(table, "SprTestComm") == 0 && index == 6) {
    AnswerMark(c, x, y, w, h);
    return true;
  }
  if (std::strcmp(table, "SprTestDisp") != 0 || index > 1) return false;
  if (index == 0)
    ColourBars(c, x, y, w, h);
  else
    CrossHatch(c, x, y, w, h);
  return true;
}

}  // namespace datagen
