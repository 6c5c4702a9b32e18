#pragma once
// The model kind ('MDL'): a hierarchy of scene nodes with one mesh packet
// per node, loaded from a model file (".bma") and, when one exists, its
// texture-animation file (".tca"). The request's parameters are the x, y
// and z scale in 16.16 fixed point (0: 1.0; y and z default to x) and an
// axis matrix number (0 or 1 identity, 2..6 a quarter turn about an axis).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vrax/graphic/SGpKeyRef.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj_Mesh.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SFile.h"
#include "vrax/resource/ModelFile.h"
#include "vrax/resource/SRsc.h"

// The animation of one node: rotation (turns), position and scale tracks.
struct SGpMotionTrack {
  int32_t nodeIndex = 0;
  SGpVec4Track rotation;
  SGpVec4Track position;
  SGpVec4Track scale;
};

// A model holds one animation, its motion: animation 0, lasting up to its
// last frame. It is the animated object that track timers bind.
class SRsc_Model : public SRsc, public SGpAnimated {
 public:
  ~SRsc_Model() override;
  uint32_t Kind() const override { return RscTag("MDL"); }

  // Sets the scroll of material n of group 0 (nothing in the base).
  virtual void SetMaterialScroll(int32_t /*n*/, float /*scrollU*/, float /*scrollV*/) {}
  // Node i and mesh packet i; null when i is out of range.
  virtual SGpNode* GetNode(int32_t i);
  virtual SGpObj_Mesh* GetMesh(int32_t i);
  // The last animation frame (1.0 in the base).
  virtual float GetLastFrame() const { return 1.0f; }
  // Animation 0 lasts up to the last frame; the model has no other.
  float GetAnimLength(uint32_t index) const override { return index == 0 ? GetLastFrame() : 0.0f; }
  virtual int32_t NodeCount() const { return static_cast<int32_t>(nodes_.size()); }
  virtual int32_t MeshCount() const { return static_cast<int32_t>(meshes_.size()); }
  virtual uint32_t GetWord() const { return word_; }
  // The motion track table (empty in the base).
  virtual int32_t TrackCount() const { return 0; }
  virtual const SGpMotionTrack* GetTrack(int32_t /*i*/) const { return nullptr; }

 protected:
  // Sized once per load; nodes keep pointers to their packets.
  std::vector<SGpNode> nodes_;
  std::vector<SGpObj_Mesh> meshes_;
  uint32_t word_ = 0;
};

class SRsc_Model_Ex : public SRsc_Model {
 public:
  SRsc_Model_Ex();
  ~SRsc_Model_Ex() override;

  // The 'MDL' factory.
  static SRsc* Create();

  void SetMaterialScroll(int32_t n, float scrollU, float scrollV) override;
  float GetLastFrame() const override { return lastFrame_; }
  int32_t TrackCount() const override { return static_cast<int32_t>(tracks_.size()); }
  const SGpMotionTrack* GetTrack(int32_t i) const override;

  // Material n of group 0; out of range: nothing, or 0.
  uint8_t GetMaterialFlag(int32_t n) const;
  void SetMaterialFlag(int32_t n, uint8_t useMatrix);
  void GetMaterialScroll(int32_t n, float* scrollU, float* scrollV) const;
  // Sets update of material n in every group a mesh draws with (the other
  // groups' flags are never read): the work follows the model's meshes, not
  // how many groups its file lists.
  void FlagMesh(int32_t n);

  // Builds the model from the two files' bytes (tca null: no ".tca" file),
  // with the scale and axis parameters p[0..3]; clears what was built
  // before. Everything the load makes, from the files' plain data to the
  // nodes, meshes and tracks, is charged to the budget before it is made
  // (without one: a budget of kMaxResourceBytes of its own). False when the
  // data is damaged, would pass the budget or cannot be allocated (nothing
  // usable is left then).
  bool Build(const uint8_t* bma, size_t bmaSize, const uint8_t* tca, size_t tcaSize, const uint32_t p[4],
             LoadBudget* budget = nullptr);
  // Releases the meshes, packets, nodes, tracks and materials.
  void ReleaseModel();

  // Inspection.
  bool IsSkinned() const { return draw_.skinned != 0; }
  bool GetVersionFlag() const { return versionFlag_; }
  bool IsAnimated() const { return draw_.animationOn != 0; }
  const SMatrix* GetBind(int32_t i) const;
  int32_t MaterialGroupCount() const { return static_cast<int32_t>(groups_.size()); }
  ModelMaterialGroup* GetMaterialGroup(int32_t k);
  SGpMeshModel& GetDrawData() { return draw_; }
  SGpMesh* GetSkinnedMesh() const { return skinMesh_.get(); }
  int32_t GetStep() const { return step_; }
  // Steps of the last build: one per hierarchy node, per texture-table entry
  // and per bind-pose product, so at most 2 x nodes + entries, whatever the
  // shape of the tree.
  uint64_t BuildSteps() const { return buildSteps_; }
  // Material groups visited by the last FlagMesh.
  uint64_t FlagSteps() const { return flagSteps_; }

  // The scale and axis matrix of the parameters p[0..3].
  static SMatrix ModelMatrix(const uint32_t p[4]);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

  virtual bool ReadHeader(const ModelFile& f, const uint8_t* tca, size_t tcaSize);
  virtual bool ReadMeshes(const ModelFile& f);
  virtual bool BuildHierarchy(const ModelFile& f, const SMatrix& m);
  virtual bool ReadAnimation(const ModelFile& f, const SMatrix& m);
  // Charges one heap block of count items of size bytes to the budget of
  // the build under way; false past it.
  bool Charge(uint64_t count, uint64_t size);

 private:
  void ComputeBindPose(const ModelFile& f, const SMatrix& m, const std::vector<uint8_t>& rebuild);
  bool BuildCharged(const uint8_t* bma, size_t bmaSize, const uint8_t* tca, size_t tcaSize, const uint32_t p[4]);

  int32_t step_ = 0;
  SFile modelFile_;
  SFile animFile_;
  bool animRequested_ = false;
  std::vector<ModelMaterialGroup> groups_;
  // The groups a mesh draws with and that hold materials, ascending.
  std::vector<int32_t> drawnGroups_;
  uint64_t flagSteps_ = 0;
  LoadBudget* budget_ = nullptr;  // while building
  // The mesh section's mesh (the skinned model's single mesh).
  int32_t meshVertexCount_ = 0;
  std::vector<SGpMeshVertex> meshVertices_;
  int32_t meshFaceCount_ = 0;
  std::unique_ptr<SGpMesh> skinMesh_;
  int32_t meshGroup_ = -1;
  bool colourFlag_ = false;
  bool versionFlag_ = false;
  ModelTexAnim nodeTable_;
  std::vector<SMatrix> modelSpace_;
  std::vector<SMatrix> bind_;
  std::vector<SGpMotionTrack> tracks_;
  SGpMeshModel draw_;
  SMatrix modelMatrix_;
  float lastFrame_ = 1.0f;
  uint64_t buildSteps_ = 0;
};

// A motion being played: the model whose track table it plays and the time
// in frames.
struct SGpMotionCursor {
  const SRsc_Model* model = nullptr;
  float time = 0.0f;
};

// The pose operations of a model instance over its node array. Every
// tracked node (the track's node index within 0..nodeCount-1; other tracks
// are passed over) takes its values, and rebuilds its local matrix. With
// skipRoot set the root of `attached`'s hierarchy is not posed.
// ApplyMotion: the values of the cursor's tracks at its time.
void ModelApplyMotion(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& c,
                      bool skipRoot);
// MixMotions: a + (b - a) x ratio; track i of b pairs with track i of a (a
// track of a without a partner in b is passed over).
void ModelMixMotions(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& a,
                     const SGpMotionCursor& b, float ratio, bool skipRoot);
// BlendMotion: from the current values toward the motion's by weight.
void ModelBlendMotion(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& c,
                      float weight, bool skipRoot);
