// The Player's motion tables and slots, its two models and the bone
// positions taken from the hull, and the input records of ".inp" data.
#include <algorithm>

#include "game/player/Player.h"
#include "game/core/GameMath.h"
#include "game/tables/shot_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

// Rows of the hull table: id, next, end mode, loops, first, last, speed.
// The rows the flight and control code rely on are the ship's; the others
// are frame ranges of the stand-in hull's animation.
struct Row {
  int32_t next, mode, loops;
  float first, last, speed;
};

constexpr Row kHullRows[Player::kHullMotions] = {
    {-1, 2, 0, 0, 20, 0.7f},       // 0 idle loop
    {2, 0, 0, 20, 30, 0.7f},       // 1 lean left
    {-1, 2, 0, 30, 50, 0.7f},      // 2 held left
    {4, 0, 0, 50, 60, 0.7f},       // 3 lean right
    {5, 0, 0, 60, 70, 0.7f},       // 4
    {-1, 2, 0, 70, 90, 0.7f},      // 5 held right
    {7, 0, 0, 90, 100, 0.7f},      // 6 lean forward
    {8, 0, 0, 100, 110, 0.7f},     // 7
    {-1, 2, 0, 110, 130, 0.7f},    // 8 held forward
    {10, 0, 0, 130, 134, 0.7f},    // 9 lean back
    {11, 0, 0, 134, 137, 0.7f},    // 10
    {-1, 2, 0, 137, 140, 0.7f},    // 11 held back
    {-1, 3, 0, 140, 140, 1.0f},    // 12
    {14, 0, 0, 140, 144, 1.0f},    // 13
    {15, 1, 2, 144, 150, 1.0f},    // 14
    {-1, 3, 0, 150, 160, 1.0f},    // 15
    {17, 0, 0, 180, 190, 5.0f},    // 16 lock-on sweep
    {18, 0, 0, 190, 200, 0.6f},    // 17
    {-1, 0, 0, 200, 210, 0.4f},    // 18
    {20, 0, 0, 210, 214, 1.0f},    // 19 dash run
    {21, 0, 0, 214, 217, 1.0f},    // 20 follow-through
    {22, 0, 0, 217, 219, 1.0f},    // 21
    {-1, 3, 0, 219, 220, 1.0f},    // 22
    {-1, 3, 0, 220, 230, -0.4f},   // 23
    {25, 0, 0, 230, 234, 1.0f},    // 24 dash run
    {26, 0, 0, 234, 237, 1.0f},    // 25
    {27, 0, 0, 237, 239, 1.0f},    // 26
    {28, 0, 0, 239, 240, 1.0f},    // 27
    {-1, 3, 0, 240, 250, 1.0f},    // 28
    {30, 0, 0, 250, 254, 1.0f},    // 29 dash run
    {31, 0, 0, 254, 257, 1.0f},    // 30
    {32, 0, 0, 257, 259, 1.0f},    // 31
    {33, 0, 0, 259, 260, 1.0f},    // 32
    {-1, 3, 0, 260, 270, 1.0f},    // 33
    {35, 0, 0, 270, 274, 1.0f},    // 34 last dash run
    {36, 0, 0, 274, 277, 1.0f},    // 35
    {37, 0, 0, 277, 279, 1.0f},    // 36
    {-1, 3, 0, 279, 290, 1.0f},    // 37
    {-1, 0, 0, 290, 330, 1.0f},    // 38
    {-1, 0, 0, 330, 369, 1.0f},    // 39
    {41, 0, 0, 369, 409, 0.8f},    // 40 bomb
    {42, 0, 0, 409, 417, 0.8f},    // 41
    {43, 1, 3, 417, 427, 0.8f},    // 42
    {-1, 3, 0, 427, 495, 1.0f},    // 43
    {-1, 0, 0, 495, 515, 1.2f},    // 44 bomb end
    {46, 0, 0, 525, 527, 0.6f},    // 45 death
    {47, 0, 0, 527, 537, 0.6f},    // 46
    {-1, 3, 0, 537, 615, 0.6f},    // 47
    {-1, 0, 0, 630, 1030, 1.0f},   // 48 scripted flights
    {-1, 0, 0, 1565, 2080, 1.0f},  // 49
    {-1, 0, 0, 1040, 1555, 1.0f},  // 50
    {-1, 0, 0, 2090, 2590, 1.0f},  // 51
    {-1, 0, 0, 2600, 3700, 1.0f},  // 52
};

// The second part folds (24), unfolds (25) and idles open (26); the other
// rows are its pose clips, ten frames each.
Row PartRow(int32_t i) {
  switch (i) {
    case 24: return {-1, 3, 0, 240, 250, 1.0f};
    case 25: return {26, 0, 0, 250, 260, 1.0f};
    case 26: return {-1, 2, 0, 260, 280, 0.7f};
    default: return {-1, 2, 0, 10.0f * static_cast<float>(i), 10.0f * static_cast<float>(i) + 10.0f, 0.7f};
  }
}

SRsc_Model* ReadyModel(const char* path) {
  SRscMan* man = GetRscMan();
  SRsc* r = man != nullptr ? man->Find(path, RscTag("MDL")) : nullptr;
  auto* m = dynamic_cast<SRsc_Model*>(r);
  return m != nullptr && m->GetStatus() == kRscReady && m->NodeCount() > 0 ? m : nullptr;
}

// Hangs every root node of the model under holder while alive.
class ModelHold {
 public:
  ModelHold(SRsc_Model* m, SGpNode* holder) {
    for (int32_t i = 0; i < m->NodeCount(); ++i) {
      SGpNode* n = m->GetNode(i);
      if (n->GetParent() == nullptr) {
        n->SetParent(holder);
        roots_.push_back(n);
      }
    }
  }
  ~ModelHold() {
    for (SGpNode* n : roots_) n->SetParent(nullptr);
  }
  ModelHold(const ModelHold&) = delete;
  ModelHold& operator=(const ModelHold&) = delete;

 private:
  std::vector<SGpNode*> roots_;
};

constexpr const char* kPlayerHullPath = "\\common\\osr_player";
constexpr const char* kPlayerPartPath = "\\common\\osr_player2";

}  // namespace


SRsc_Model* Player::HullModel() const { return ReadyModel(kPlayerHullPath); }
SRsc_Model* Player::PartModel() const { return ReadyModel(kPlayerPartPath); }

void Player::BuildMotionTables() {
  tables[0].assign(kHullMotions, MotionEntry{});
  tables[1].assign(kPartMotions, MotionEntry{});
  for (int32_t i = 0; i < kHullMotions; ++i) {
    const Row& r = kHullRows[i];
    SetMotionEntry(0, i, r.next, r.mode, r.loops, r.first, r.last, r.speed);
  }
  for (int32_t i = 0; i < kPartMotions; ++i) {
    const Row r = PartRow(i);
    SetMotionEntry(1, i, r.next, r.mode, r.loops, r.first, r.last, r.speed);
  }
  for (auto& b : bonePositions) b[0] = b[1] = b[2] = 0.0f, b[3] = 1.0f;
  StartMotion(0, 0);
  StartMotion(1, 0);
}

void Player::SetMotionEntry(int32_t table, int32_t index, int32_t next, int32_t endMode, int32_t loops,
                            float first, float last, float speed) {
  if (table < 0 || table > 1) return;
  std::vector<MotionEntry>& t = tables[table];
  // Rows exist for 0 .. size - 1 only.
  if (index < 0 || index >= static_cast<int32_t>(t.size())) return;
  t[static_cast<size_t>(index)] = MotionEntry{index, next, endMode, loops, first, last, speed};
}

const Player::MotionEntry& Player::EntryOf(int32_t slot, int32_t motion) const {
  static const MotionEntry kNone{};
  if (slot < 0 || slot > 1) return kNone;
  const std::vector<MotionEntry>& t = tables[slot];
  if (motion < 0 || motion >= static_cast<int32_t>(t.size())) return t.empty() ? kNone : t[0];
  return t[static_cast<size_t>(motion)];
}

void Player::StartMotion(int32_t slot, int32_t motion) {
  if (slot < 0 || slot > 1) return;
  const int32_t count = static_cast<int32_t>(tables[slot].size());
  // A motion outside the table plays motion 0.
  if (motion < 0 || motion >= count) motion = 0;
  MotionSlot& s = slots[slot];
  const MotionEntry& e = EntryOf(slot, motion);
  s.motion = motion;
  s.frame = e.first;
  s.loopsLeft = e.loops;
  s.ended = 0;
  s.poseLink = -1;
  s.poseValues[0] = s.poseValues[1] = 0.0f;
}

void Player::StepMotion(int32_t slot) {
  if (slot < 0 || slot > 1) return;
  MotionSlot& s = slots[slot];
  const MotionEntry e = EntryOf(slot, s.motion);
  for (int32_t& t : s.ticks) ++t;
  s.frame += e.speed;
  const bool forward = e.speed >= 0.0f;
  const float start = forward ? e.first : e.last;
  const float end = forward ? e.last : e.first;
  const bool reached = forward ? s.frame >= end : s.frame <= end;
  if (!reached) return;
  auto chain = [&](float overshoot) {
    if (e.next < 0) {
      StartMotion(slot, 0);
      s.ended = 1;
    } else {
      StartMotion(slot, e.next);
    }
    s.frame += overshoot;
  };
  switch (e.endMode) {
    case 0:
      chain(0.0f);
      break;
    case 1:
      --s.loopsLeft;
      if (s.loopsLeft > 0)
        s.frame = start + (s.frame - end);
      else
        chain(s.frame - end);
      break;
    case 2:
      s.frame = s.frame - end + start;
      break;
    default:
      s.frame = end;
      s.ended = 1;
      break;
  }
}

void Player::StepMotions() {
  for (int32_t slot = 0; slot < 2; ++slot) {
    StepMotion(slot);
    MotionSlot& s = slots[slot];
    const MotionEntry& e = EntryOf(slot, s.motion);
    s.frame = std::clamp(s.frame, 0.0f, std::max(0.0f, e.last));
  }
  ApplyModelMotions();
}

void Player::ApplyModelMotions() {
  SRsc_Model* models[2] = {HullModel(), PartModel()};
  for (int32_t slot = 0; slot < 2; ++slot) {
    SRsc_Model* m = models[slot];
    if (m == nullptr || m->TrackCount() == 0) continue;
    ModelApplyMotion(m->GetNode(0), m->NodeCount(), nullptr, SGpMotionCursor{m, slots[slot].frame}, false);
  }
}

void Player::TakeInputRecords(const std::vector<uint8_t>& records) {
  inputRecords.clear();
  inputRecords.shrink_to_fit();
  const size_t whole = records.size() / 32 * 32;
  inputRecords.assign(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(whole));
  recordCursor = 0;
}

// ============================================================ bones

void Player::HullMatrix(SMatrix* out) const {
  SMatrix m = kIdentityMatrix;
  MatrixScale3(&m, hullScale[0], hullScale[1], hullScale[2]);
  // Pitch about the wing axis, roll about the nose's axis (the model's y),
  // yaw about the view axis: the yaw turns the nose on the screen, a yaw of
  // a quarter turn pointing it from up to the right.
  MakeRotationXYZ(&m, &m, hullLean[0], hullLean[1], hullLean[2]);
  m.m[3][0] = displayPosition[0] + hullOffset[0] * 100.0f;
  m.m[3][1] = displayPosition[1] + hullOffset[1] * 100.0f;
  m.m[3][2] = displayPosition[2] + hullOffset[2] * 100.0f;
  *out = m;
}

void Player::CaptureBonePositions() {
  SRsc_Model* m = HullModel();
  if (m == nullptr) return;
  SGpNode holder;
  HullMatrix(holder.GetLocal());
  ModelHold hold(m, &holder);
  holder.UpdateKept(nullptr, 1);
  const int32_t n = std::min(m->NodeCount(), kBones);
  partMount = n > kPartMountBone ? *m->GetNode(kPartMountBone)->GetWorld() : *holder.GetLocal();
  for (int32_t i = 0; i < n; ++i) {
    const SMatrix* w = m->GetNode(i)->GetWorld();
    bonePositions[i][0] = w->m[3][0];
    bonePositions[i][1] = w->m[3][1];
    bonePositions[i][2] = w->m[3][2];
    bonePositions[i][3] = 1.0f;
  }
}

SVec4 Player::BonePosition(int32_t n) const {
  const SRsc_Model* m = HullModel();
  if (m == nullptr || n < 0 || n >= std::min(m->NodeCount(), kBones))
    return SVec4{position[0], position[1], position[2], 1.0f};
  return SVec4{bonePositions[n][0], bonePositions[n][1], bonePositions[n][2], 1.0f};
}

SVec4 Player::HullPoint(int32_t bone, const float* origin) {
  SRsc_Model* m = HullModel();
  if (m == nullptr || bone < 0 || bone >= m->NodeCount()) return SVec4{origin[0], origin[1], origin[2], 1.0f};
  SGpNode holder;
  SMatrix::Translation(holder.GetLocal(), origin[0], origin[1], origin[2]);
  ModelHold hold(m, &holder);
  holder.UpdateKept(nullptr, 1);
  const SMatrix* w = m->GetNode(bone)->GetWorld();
  return SVec4{w->m[3][0], w->m[3][1], w->m[3][2], 1.0f};
}

// The hull and the second part are drawn at their matrices when the queue
// runs, provided their models are still loaded then.
void Player::DrawHull() {
  if (HullModel() == nullptr) return;
  CaptureBonePositions();
  HullMatrix(&hullPacket.matrix);
  hullPacket.path = kPlayerHullPath;
  WorldPresets[1].Enter(kShipDrawKey);
  if (SGpObj* tex = SprPShot00_1[0].GetTexture()) tex->Enter(kShipDrawKey);
  hullPacket.Enter(kShipDrawKey);
}

void Player::DrawPart() {
  if (PartModel() != nullptr) {
    // The second part rides on hull part 3, at (0, 3.3, 10.0) in that part's
    // frame: it leans, banks and scales with the hull. Without the hull the
    // mount is the ship's position, unturned.
    SMatrix at = kIdentityMatrix;
    at.m[3][1] = 3.3f;
    at.m[3][2] = 10.0f;
    SMatrix mount = partMount;
    if (HullModel() == nullptr) {
      mount = kIdentityMatrix;
      for (int k = 0; k < 3; ++k) mount.m[3][k] = position[k];
    }
    SMatrix::Multiply(&partPacket.matrix, &at, &mount);
    partPacket.path = kPlayerPartPath;
    partPacket.Enter(kShipDrawKey);
  }
}

void Player::ModelPacket::Execute() {
  SRsc_Model* m = ReadyModel(path);
  if (m == nullptr) return;
  SGpNode holder;
  *holder.GetLocal() = matrix;
  ModelHold hold(m, &holder);
  holder.Execute();
}
