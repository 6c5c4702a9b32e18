// The player's stand-in data: the ship's two models (hull and second part,
// textured with the ship picture of the player-shot image), its input
// records, the recorded inputs of the three demo plays and the tutorial, and
// one recorded play of each stage, and the path of the ending flight.
#include "tools/datagen/player_files.h"

#include <cstdint>
#include <string>
#include <vector>

#include "game/core/Replay.h"
#include "game/player/InpRsc.h"
#include "game/player/Player.h"
#include "game/stage/StageFileWriter.h"
#include "vrax/resource/ModelWriter.h"

namespace datagen {
namespace {

// Texture coordinates of the ship picture: part 0 of the player-shot image's
// first table, (97, 98) to (128, 129) of a 256 x 256 texture.
constexpr float kU0 = 97.0f / 256.0f, kU1 = 128.0f / 256.0f;
constexpr float kV0 = 98.0f / 256.0f, kV1 = 129.0f / 256.0f;

ModelFileMaterial ShipMaterial() {
  ModelFileMaterial m;
  m.name = "0 ship";
  for (float* c : {m.diffuse, m.ambient}) c[0] = c[1] = c[2] = c[3] = 1.0f;
  // Lit from the side the picture would look dim: it glows a little.
  m.emissive[0] = m.emissive[1] = m.emissive[2] = 0.5f;
  m.power = 4.0f;
  return m;
}

// A square of half size h facing the viewer, centred on the node: file
// positions are (x, y, z) with the file's z the screen's y.
void AddPicture(ModelFileRecord& r, float h) {
  r.positions = {{-h, 0.0f, -h}, {h, 0.0f, -h}, {h, 0.0f, h}, {-h, 0.0f, h}};
  r.uvs = {{kU0, kV0}, {kU1, kV0}, {kU1, kV1}, {kU0, kV1}};
  r.faces = {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}};
  r.materialGroup = 0;
}

ModelFileRecord Node(int index, int parent, float x, float y) {
  ModelFileRecord n;
  n.name = std::to_string(index);
  if (parent >= 0) {
    n.hasExtra = true;
    n.extra = std::to_string(parent);
  }
  n.translation[0] = x;
  n.translation[2] = y;
  return n;
}

ModelFileKey Key(uint32_t frame, float a, float b, float c) { return ModelFileKey{frame, {a, b, c}}; }

// The hull: 21 nodes, the picture on the root. Bones the Player reads:
// 3 (where the second part rides), 7 and 14 (the engines), 12 and 13 (the
// blade's base and tip), 20 (the bomb's emitter).
ModelFile Hull() {
  ModelFile m;
  m.hasTag = true;
  m.title = "osr_player";
  m.frameCount = 3701;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 60.0f;
  m.materialGroups.push_back({ShipMaterial()});
  struct Place {
    int index;
    float x, y;
  };
  static constexpr Place kPlaces[] = {{3, 0.0f, 6.0f},    {7, -8.0f, 16.0f}, {12, 0.0f, -10.0f},
                                      {13, 0.0f, -40.0f}, {14, 8.0f, 16.0f}, {20, 0.0f, -30.0f}};
  for (int i = 0; i <= 20; ++i) {
    ModelFileRecord n = Node(i, i == 0 ? -1 : 0, 0.0f, 0.0f);
    for (const Place& p : kPlaces)
      if (p.index == i) n.translation[0] = p.x, n.translation[2] = p.y;
    if (i == 0) {
      AddPicture(n, 24.0f);
      n.animated = true;
    }
    m.nodes.push_back(n);
  }
  // The root's clips: banks left (30..50) and right (70..90), leans forward
  // (110..130) and back (137..140), and the fall of the death (525..615),
  // level everywhere else. Rotations are radians about the file's axes.
  ModelFileTrack t;
  t.node = "0";
  t.rotations = {Key(0, 0, 0, 0),       Key(20, 0, 0, 0),       Key(30, 0, 0.35f, 0),  Key(50, 0, 0.35f, 0),
                 Key(60, 0, 0, 0),      Key(70, 0, -0.35f, 0),  Key(90, 0, -0.35f, 0), Key(100, 0, 0, 0),
                 Key(110, 0.3f, 0, 0),  Key(130, 0.3f, 0, 0),   Key(134, 0, 0, 0),     Key(137, -0.3f, 0, 0),
                 Key(140, -0.3f, 0, 0), Key(141, 0, 0, 0),      Key(525, 0, 0, 0),     Key(615, 0, 6.2f, 0),
                 Key(616, 0, 0, 0),     Key(3700, 0, 0, 0)};
  t.positions = {Key(0, 0, 0, 0), Key(525, 0, 0, 0), Key(615, 0, 0, 120.0f), Key(616, 0, 0, 0),
                 Key(3700, 0, 0, 0)};
  t.scales = {Key(0, 1, 1, 1)};
  m.tracks = {t};
  return m;
}

// The second part: a small copy of the picture that folds (scale 0) in
// clip 24 and opens in clip 25.
ModelFile Part() {
  ModelFile m;
  m.hasTag = true;
  m.title = "osr_player2";
  m.frameCount = 281;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 60.0f;
  m.materialGroups.push_back({ShipMaterial()});
  ModelFileRecord n = Node(0, -1, 0.0f, 0.0f);
  AddPicture(n, 8.0f);
  n.animated = true;
  m.nodes.push_back(n);
  ModelFileTrack t;
  t.node = "0";
  t.positions = {Key(0, 0, 0, 0)};
  t.rotations = {Key(0, 0, 0, 0)};
  t.scales = {Key(0, 1, 1, 1), Key(239, 1, 1, 1), Key(240, 0, 0, 0), Key(250, 0, 0, 0), Key(260, 1, 1, 1),
              Key(280, 1, 1, 1)};
  m.tracks = {t};
  return m;
}

// Input bits of a replay frame.
constexpr uint8_t kUp = 0x80, kDown = 0x40, kLeft = 0x20, kRight = 0x10, kShot = 0x08, kSpecial = 0x04;

struct Segment {
  int frames;
  int bits;
};

std::vector<uint8_t> Frames(const std::vector<Segment>& script, int total) {
  std::vector<uint8_t> out;
  while (static_cast<int>(out.size()) < total)
    for (const Segment& s : script)
      for (int i = 0; i < s.frames && static_cast<int>(out.size()) < total; ++i) out.push_back(static_cast<uint8_t>(s.bits));
  return out;
}

// A flight round the play area under fire, with a lock-on (the special
// button alone) and a bomb (both buttons together); `variant` shifts the
// route so the three demos differ.
std::vector<uint8_t> DemoFrames(int variant, int total) {
  const int side = variant == 1 ? kRight : kLeft;
  const int other = variant == 1 ? kLeft : kRight;
  const std::vector<Segment> script = {
      {240, 0},                         // the entry flight
      {60, kShot},        {40, kShot | side},  {30, kShot | kUp},   {60, kShot},
      {50, kShot | other}, {20, 0},           {1, kSpecial},       {89, 0},
      {40, kShot | kDown}, {80, kShot | side}, {50, kShot | other}, {10, 0}, {2, kShot | kSpecial},
      {238, 0},                                // the bomb runs its course
      {30, kShot | kUp | other}, {30, kShot | kDown | side}, {60 + 20 * variant, kShot},
      {3, kShot},         {5, 0},             {3, kShot},          {5, 0},
  };
  return Frames(script, total);
}

// The tutorial: moving, shooting, a lock-on, then a bomb, each with pauses.
// The ship starts at (0, 60) and keeps to the lower part of the play area
// (x within 180 of the middle, y from -60 down), below the tutorial's
// enemies; each stretch of moves comes back to where it began. (Frames of
// the recording are frames of play: the tutorial's freezes hold it.)
std::vector<uint8_t> TutorialFrames(int total) {
  const std::vector<Segment> script = {
      {180, 0},    {40, kLeft},  {80, kRight},        {40, kLeft}, {30, kUp},           {30, kDown},
      {120, 0},    {180, kShot}, {60, 0},             {1, kSpecial}, {339, 0},         {60, kLeft},
      {120, kRight}, {60, kLeft}, {60, 0},            {2, kShot | kSpecial}, {300, 0}, {180, kShot},
      {60, 0},
  };
  return Frames(script, total);
}

// A recorded play of a stage: sweeps across the play area under fire, a
// lock-on (the special button alone) followed by shot presses that carry a
// dash from target to target, and a bomb (both buttons together, the shot
// let go first); `stage` shifts the route so the five plays differ.
std::vector<uint8_t> StageFrames(int stage, int total) {
  const int side = stage % 2 == 0 ? kLeft : kRight;
  const int other = stage % 2 == 0 ? kRight : kLeft;
  std::vector<Segment> script = {
      {90, kShot},         {50, kShot | side},  {40, kShot | kUp},   {100, kShot | other},
      {40, kShot | kDown}, {50, kShot | side},  {10 * stage, kShot}, {10, 0},
      {1, kSpecial},       {15, kShot},
  };
  // The presses a dash step waits for: one every eight frames.
  for (int i = 0; i < 12; ++i) script.insert(script.end(), {{2, kShot}, {6, 0}});
  script.insert(script.end(), {{150, kShot | other}, {12, 0}, {2, kShot | kSpecial}, {120, 0},
                               {80, kShot | kUp | side}, {80, kShot | kDown | other}});
  return Frames(script, total);
}

// The ending flight, one key a frame from rail position 4100 of the last
// stage: the ship rides out the hall's collapse and leaves over the top of
// the screen before the fade to black at 5180. Between these points it
// eases in and out (smoothstep); z stays 0.
struct FlightPoint {
  int frame;
  float x, y;
};
constexpr FlightPoint kEndingFlight[] = {
    {0, 0.0f, 130.0f},     // where the warp out left it
    {130, 0.0f, 150.0f},   // settles as the scenery vanishes (4230)
    {300, -60.0f, 120.0f}, // leans left as the shaking starts (4400)
    {500, 60.0f, 90.0f},   // swerves right at the first jolt (4600)
    {620, -40.0f, 60.0f},  // and left at the second (4720)
    {780, 0.0f, 40.0f},    // centred for the last and largest (4880)
    {1000, 0.0f, -40.0f},  // rises as the hall falls apart
    {Player::kEndingFlightFrames - 1, 0.0f, -400.0f},  // gone over the top
};

std::vector<uint8_t> EndingPath() {
  std::vector<CamKey> keys(Player::kEndingFlightFrames);
  size_t i = 0;
  for (int k = 0; k < Player::kEndingFlightFrames; ++k) {
    while (kEndingFlight[i + 1].frame < k) ++i;
    const FlightPoint& a = kEndingFlight[i];
    const FlightPoint& b = kEndingFlight[i + 1];
    const float u = float(k - a.frame) / float(b.frame - a.frame);
    const float s = u * u * (3.0f - 2.0f * u);
    keys[size_t(k)].x = a.x + (b.x - a.x) * s;
    keys[size_t(k)].y = a.y + (b.y - a.y) * s;
  }
  return stage_file::WriteCameraPath(keys);
}

}  // namespace

void GeneratePlayerFiles(const std::string& root, WriteStats* stats) {
  WriteIfChanged(root, "common/osr_player.bma", WriteModelFile(Hull()), stats);
  WriteIfChanged(root, "common/osr_player2.bma", WriteModelFile(Part()), stats);
  // Eight input records: record k holds the bytes k, k + 1, ... k + 31.
  std::vector<uint8_t> records;
  for (int k = 0; k < 8; ++k)
    for (int b = 0; b < static_cast<int>(InpRsc::kRecordSize); ++b) records.push_back(static_cast<uint8_t>(k + b));
  WriteIfChanged(root, "common/osr_player.inp", InpRsc::Write(records), stats);
  WriteIfChanged(root, "common/osr_player_end.cam", EndingPath(), stats);
  // Demo plays run 2,401 frames before they fade and 60 more; the tutorial
  // about 3,000.
  for (int d = 1; d <= 3; ++d)
    WriteIfChanged(root, "common/Demo0" + std::to_string(d) + ".rpd", Replay::Encode(DemoFrames(d, 2520)), stats);
  WriteIfChanged(root, "common/Tutorial.rpd", Replay::Encode(TutorialFrames(3060)), stats);
  // One recorded play per stage for the replay check and the boss-fight
  // benchmark: long enough to reach the stage's last boss (stages 1 to 4
  // put it before rail key 9,800, stage 5 at key 1,756; the rail moves a
  // key a frame).
  static constexpr int kStageFrames[5] = {11000, 11000, 11000, 11000, 4000};
  for (int s = 1; s <= 5; ++s)
    WriteIfChanged(root, "common/Play0" + std::to_string(s) + ".rpd", Replay::Encode(StageFrames(s, kStageFrames[s - 1])),
                   stats);
}

}  // namespace datagen
