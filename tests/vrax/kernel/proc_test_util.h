#pragma once
#include <functional>
#include <string>
#include <vector>

#include "vrax/kernel/SProc.h"

// A process that records every event it receives as "name:code" into a shared
// log, and can run a hook from any handler.
class RecProc : public SProc {
 public:
  RecProc(std::string tag, std::vector<std::string>* log) : tag_(std::move(tag)), log_(log) {}
  ~RecProc() override {
    if (deleted_ != nullptr) *deleted_ = true;
  }

  std::function<void(RecProc*, int32_t code, SProcArg arg)> hook;
  int32_t initResultToStore = 0;
  int32_t lists = 0;     // child lists created in Init
  bool* deleted_ = nullptr;
  const std::string& Tag() const { return tag_; }

  int32_t Draw(SProcArg a) override { return Rec(EVENT_DRAW, a); }
  int32_t Begin(SProcArg a) override { return Rec(EVENT_BEGIN, a); }
  int32_t Main(SProcArg a) override { return Rec(EVENT_MAIN, a); }
  int32_t End(SProcArg a) override { return Rec(EVENT_END, a); }
  int32_t Init(SProcArg a) override {
    SetName(tag_);
    if (lists > 0) CreateLists(lists);
    SetInitResult(initResultToStore);
    return Rec(EVENT_INIT, a);
  }
  int32_t KillChildren(SProcArg a) override {
    Rec(EVENT_KILL, a);
    return SProc::KillChildren(a);
  }
  int32_t OnDispose(SProcArg a) override { return Rec(EVENT_DISPOSE, a); }
  int32_t User(int32_t code, SProcArg a) override { return Rec(code, a); }

 private:
  int32_t Rec(int32_t code, SProcArg a) {
    if (log_ != nullptr) log_->push_back(tag_ + ":" + std::to_string(code));
    if (hook) hook(this, code, a);
    return 0;
  }
  std::string tag_;
  std::vector<std::string>* log_;
};
