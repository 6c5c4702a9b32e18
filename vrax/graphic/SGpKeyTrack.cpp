#include "vrax/graphic/SGpKeyTrack.h"

void SGpKeyTrack::Init(const SGpKeyList* list) {
  cursor_ = start_ = list;
  count_ = 0;
  total_ = 0.0f;
  if (list != nullptr) {
    for (const SGpKeyList* p = list; p->part != nullptr; ++p) {
      ++count_;
      total_ += p->time;
    }
  }
  part_ = count_ > 0 ? list->part : nullptr;
  keyStart_ = 0.0f;
  // The terminator's time is never read: an empty list ends at 0.
  keyEnd_ = count_ > 0 ? list->time : 0.0f;
  time_ = 0.0f;
  loop_ = 1;
  wraps_ = 0;
}

void SGpKeyTrack::ToFirst() {
  cursor_ = start_;
  keyStart_ = 0.0f;
  keyEnd_ = start_->time;
  part_ = start_->part;
}

void SGpKeyTrack::ToLast() {
  cursor_ = start_ + (count_ - 1);
  keyEnd_ = total_;
  keyStart_ = total_ - cursor_->time;
  part_ = cursor_->part;
}

void SGpKeyTrack::Advance(float dt) {
  if (count_ <= 0) return;  // empty list: nothing to show, nothing to move
  // A looping list that lasts no time would wrap for ever: hold instead.
  if (loop_ && !(total_ > 0.0f)) return;
  time_ += dt;
  if (dt >= 0.0f) {
    while (time_ >= keyEnd_) {
      ++cursor_;
      if (cursor_->part != nullptr) {
        keyStart_ = keyEnd_;
        keyEnd_ += cursor_->time;
        part_ = cursor_->part;
      } else if (loop_) {
        const float wrapped = time_ - total_;
        ToFirst();
        ++wraps_;
        // A time so large that subtracting the total changes nothing (or
        // not a number) would never leave the loop: restart from 0.
        if (!(wrapped < time_)) {
          time_ = 0.0f;
          break;
        }
        time_ = wrapped;
      } else {
        time_ = total_;
        ToLast();
        wraps_ = 1;
        break;
      }
    }
  } else {
    while (time_ < keyStart_) {
      if (cursor_ != start_) {
        --cursor_;
        keyEnd_ = keyStart_;
        keyStart_ -= cursor_->time;
        part_ = cursor_->part;
      } else if (loop_) {
        const float wrapped = time_ + total_;
        ToLast();
        if (!(wrapped > time_)) {
          time_ = keyStart_;
          break;
        }
        time_ = wrapped;
      } else {
        time_ = 0.0f;
        ToFirst();
        break;
      }
    }
  }
}

int SGpVec4Track::AddKey(const float value[4], int frame) {
  if (frame <= lastFrame_) return 1;
  if (frame > kMaxFrame) return -1;
  if (!keys_.empty()) {
    const uint16_t last = static_cast<uint16_t>(keys_.size() - 1);
    index_.resize(static_cast<size_t>(frame) + 1, last);
    index_[static_cast<size_t>(frame)] = static_cast<uint16_t>(last + 1);
  }
  Key k{{value[0], value[1], value[2], value[3]}, frame};
  keys_.push_back(k);
  lastFrame_ = frame;
  return 0;
}

void SGpVec4Track::Evaluate(float out[4], float t) const {
  if (keys_.empty()) return;  // no keys: hold the caller's value
  const Key* src = &keys_.back();
  if (keys_.size() == 1 || t <= -1.0f) {
    src = &keys_.front();
  } else if (t < static_cast<float>(lastFrame_)) {
    const int f = static_cast<int>(t);
    const size_t k = index_[static_cast<size_t>(f)];
    const Key& a = keys_[k];
    const Key& b = keys_[k + 1];
    const float s = (t - static_cast<float>(a.frame)) / static_cast<float>(b.frame - a.frame);
    for (int i = 0; i < 3; ++i) out[i] = a.v[i] + (b.v[i] - a.v[i]) * s;
    return;
  }
  for (int i = 0; i < 4; ++i) out[i] = src->v[i];
}

void SGpVec4Track::Clear() {
  keys_.clear();
  index_.clear();
  lastFrame_ = -1;
}
