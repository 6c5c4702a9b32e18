#pragma once
// Objects whose animations are numbered, and references to one of their
// animations. A track timer asks such an object how long animation n lasts;
// a key reference (object, n) applies animation n of its object. The image
// slots of the sprite parts are such objects (animation n: texture n of the
// image they hold), and so are models (animation 0: the model's motion).
#include <cstdint>

class SGpObj;

class SGpAnimated {
 public:
  // Length of animation `index` in frames; 0 when there is no such
  // animation.
  virtual float GetAnimLength(uint32_t /*index*/) const { return 0.0f; }
  // Applies animation `index`: the packet that shows it when entered; null
  // when there is nothing to show.
  virtual SGpObj* ApplyAnim(uint32_t /*index*/) { return nullptr; }

 protected:
  constexpr SGpAnimated() = default;
  ~SGpAnimated() = default;
};

// Animation `index` of `object`. The object outlives the reference (the
// sprite parts bind the global image slots, which live for the program).
struct SGpKeyRef {
  SGpAnimated* object = nullptr;
  uint32_t index = 0;

  // Both call the object's animation-apply operation with the stored index;
  // null without an object.
  SGpObj* Apply() const { return object != nullptr ? object->ApplyAnim(index) : nullptr; }
  SGpObj* Get() const { return Apply(); }
};
