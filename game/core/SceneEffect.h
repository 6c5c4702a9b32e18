#pragma once
// The game root's scene-effect switch: an on/off flag and three parameters
// that a scene sets for the root's scene effect. Only the switch and its
// values are kept; nothing draws from them yet.
class SceneEffect {
 public:
  void Enable(int on) { on_ = on != 0; }
  void SetParams(float a, float b, float c) {
    params_[0] = a;
    params_[1] = b;
    params_[2] = c;
  }
  bool IsOn() const { return on_; }
  const float* Params() const { return params_; }

 private:
  bool on_ = false;
  float params_[3] = {};
};
