#pragma once
#include <cstdint>

// Pads: a pad listens to some of the controller manager's sixteen ports,
// receives their values merged into its raw input words each frame, and
// turns them into signed counters that game code reads.
//
// A counter is -1 after reset; on a frame its input is held it becomes 0 if
// it was negative (the press frame) and grows by 1 otherwise; on a frame its
// input is not held it becomes -1 if it was 0 or more (the release frame) and
// shrinks by 1 otherwise.
class SPadBase {
 public:
  static constexpr int kRawWords = 256;
  static constexpr int kPorts = 16;

  SPadBase() = default;
  // Unregisters the pad from every port.
  virtual ~SPadBase();
  SPadBase(const SPadBase&) = delete;
  SPadBase& operator=(const SPadBase&) = delete;

  virtual void Register(int32_t port);
  virtual void Unregister(int32_t port);
  virtual void UnregisterAll();
  // n 0: the key map (value: a pointer to 32 entries, 0 for none);
  // n 1..256: raw word n - 1.
  virtual void SetWord(int32_t n, uintptr_t value);
  // For each registered port, the manager's port output (which does nothing).
  virtual void Output(int32_t channel, int32_t level);
  virtual void GetPortMask(uint32_t* out) const;
  virtual int32_t RepeatDelay() const { return 18; }
  virtual void Update() {}

  // The key map: for raw word j < count, the index of the port value to take.
  void SetKeyMap(const uint8_t* map, int32_t count);
  const uint8_t* KeyMap() const { return keyMap_; }
  int32_t KeyMapCount() const { return keyMapCount_; }

  // Kept by the controller manager.
  uint32_t portCount_ = 0;
  uint32_t portMask_ = 0;
  int32_t raw_[kRawWords] = {};

 private:
  const uint8_t* keyMap_ = nullptr;
  int32_t keyMapCount_ = 0;
};

// The identity key map of 32 entries the game installs in its pads.
extern const uint8_t kPadIdentityKeyMap[32];

class SPad : public SPadBase {
 public:
  // Counter indices.
  enum : int32_t {
    kUpOnly = 0, kDownOnly = 1, kLeftOnly = 2, kRightOnly = 3,
    kUpLeft = 4, kUpRight = 5, kDownLeft = 6, kDownRight = 7,
    kUp = 8, kDown = 9, kLeft = 10, kRight = 11,
    kButton0 = 12,          // buttons 0-11: 12-23 (raw words 4-15)
    kHeldTotal = 24,        // + counter index 0-23
    kRepeatTimer = 48,
    kRepeatUp = 49,         // 49-52: up, down, left, right
    kOutputTimer = 53,      // 53, 54
    kAnalogCopy = 55,       // 55-70: raw words 16-31
    kCounterCount = 71,
  };
  // Counter numbers of GetCounter for the inputs the game reads (the
  // accessor numbering: counters 0-11 start at number 9).
  enum : int32_t {
    PAD_UP = 17, PAD_DOWN = 18, PAD_LEFT = 19, PAD_RIGHT = 20,
    PAD_BUTTON1 = 21, PAD_BUTTON2 = 22, PAD_BUTTON3 = 23,
    PAD_SERVICE = 25, PAD_START = 40,
  };

  SPad();

  void Update() override;

  // The counter behind accessor number n; -1 (released) for a number that
  // names no counter.
  int32_t GetCounter(int32_t n) const;
  // The counter by index 0-70; -1 out of range.
  int32_t Counter(int32_t index) const;

  int32_t GetThreshold() const { return threshold_; }
  void SetThreshold(int32_t t) { threshold_ = t; }
  void SetOutputTimer(int32_t channel, int32_t frames) { counters_[kOutputTimer + (channel & 1)] = frames; }
  int32_t GetOutputLevel(int32_t channel) const { return outputLevel_[channel & 1]; }
  void SetOutputLevel(int32_t channel, int32_t level) { outputLevel_[channel & 1] = level; }
  void Reset();

  // Counter index behind accessor number n, or -1.
  static int32_t AccessorToIndex(int32_t n);

 private:
  int32_t counters_[kCounterCount];
  int32_t threshold_ = 0;
  int32_t outputLevel_[2] = {0x10000, 0x10000};
};
