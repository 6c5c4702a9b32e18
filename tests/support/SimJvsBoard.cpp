#include "support/SimJvsBoard.h"

namespace testsupport {

namespace {

// Bytes a request command takes, from its first byte (and, for 0x32, its
// count); 0 for a command the bus does not know.
size_t CommandLength(bool board, const std::vector<uint8_t>& d, size_t i) {
  const uint8_t c = d[i];
  if (board) return c == 0x01 ? 2 : c == 0x04 ? 1 : c == 0x05 ? 3 : 0;
  switch (c) {
    case 0x10: case 0x11: case 0x12: case 0x13: case 0x14: case 0x61: case 0x2F:
      return 1;
    case 0x21: case 0x26: case 0xF0: case 0xF1:
      return 2;
    case 0x20:
      return 3;
    case 0x30:
      return 4;
    case 0x32:
      return i + 1 < d.size() ? 2 + size_t{d[i + 1]} : 0;
    default:
      return 0;
  }
}

void PutEscaped(std::vector<uint8_t>* out, uint8_t b) {
  if (b == 0xE0 || b == 0xD0) {
    out->push_back(0xD0);
    out->push_back(static_cast<uint8_t>(b - 1));
  } else {
    out->push_back(b);
  }
}

}  // namespace

std::vector<uint8_t> SimFramed(const std::vector<uint8_t>& data, int sumOffset) {
  std::vector<uint8_t> out = {0xE0};
  const uint8_t length = static_cast<uint8_t>(data.size() + 1);
  uint8_t sum = length;
  PutEscaped(&out, 0x00);
  PutEscaped(&out, length);
  for (uint8_t b : data) {
    PutEscaped(&out, b);
    sum = static_cast<uint8_t>(sum + b);
  }
  PutEscaped(&out, static_cast<uint8_t>(sum + sumOffset));
  return out;
}

SimFrameParser::Event SimFrameParser::Feed(uint8_t b) {
  if (b == 0xE0) {
    state_ = kNode;
    escaped_ = false;
    return kNone;
  }
  if (state_ == kSync) return kNone;
  if (b == 0xD0 && !escaped_) {
    escaped_ = true;
    return kNone;
  }
  if (escaped_) b = static_cast<uint8_t>(b + 1);
  escaped_ = false;
  if (state_ == kNode) {
    node_ = b;
    sum_ = b;
    state_ = kLength;
  } else if (state_ == kLength) {
    length_ = b;
    sum_ = static_cast<uint8_t>(sum_ + b);
    data_.clear();
    state_ = length_ ? kData : kSync;
  } else if (data_.size() + 1 < length_) {
    data_.push_back(b);
    sum_ = static_cast<uint8_t>(sum_ + b);
  } else {
    state_ = kSync;
    return b == sum_ ? kFrame : kBadSum;
  }
  return kNone;
}

void SimNoiseDraw::Start(const SimNoise& noise) {
  noise_ = noise;
  state_ = noise.seed ? noise.seed : 1;
  on_ = true;
  lastSpoiled_ = false;
}

uint32_t SimNoiseDraw::Next(uint32_t range) {
  // xorshift32: the same frames draw the same fates on every run.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_ % range;
}

int SimNoiseDraw::NextFate() {
  if (!on_) return 0;
  int fate = 0;
  if (lastSpoiled_ && int(Next(100)) < noise_.burstPercent) {
    fate = 1 + int(Next(2));
  } else {
    const int r = int(Next(1000));
    fate = r < noise_.lostPerMille ? 1 : r < noise_.lostPerMille + noise_.damagedPerMille ? 2 : 0;
  }
  lastSpoiled_ = fate != 0;
  return fate;
}

void SimLineNoiseDraw::Start(const SimLineNoise& noise, uint32_t now) {
  noise_ = noise;
  if (noise_.minMs == 0) noise_.minMs = 1;
  if (noise_.maxMs < noise_.minMs) noise_.maxMs = noise_.minMs;
  state_ = noise.seed ? noise.seed : 1;
  on_ = true;
  since_ = next_ = now;
}

uint32_t SimLineNoiseDraw::Draw(uint32_t range) {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_ % range;
}

bool SimLineNoiseDraw::Next(uint32_t until, uint32_t* at, std::vector<uint8_t>* bytes) {
  if (!on_ || int32_t(next_ - until) > 0) return false;
  if (noise_.forMs && next_ - since_ >= noise_.forMs) {
    on_ = false;
    if (!noise_.inFrame) return false;
    *at = next_;
    *bytes = {0xE0, 0x00, 0x05, 0x01};
    return true;
  }
  *at = next_;
  bytes->clear();
  static const uint8_t kOtherNode[6] = {0xE0, 0x05, 0x03, 0x01, 0x01, 0x0A};
  static const uint8_t kAnswer[6] = {0xE0, 0x00, 0x03, 0x01, 0x01, 0x05};
  const uint8_t* frame = noise_.answerFrames ? kAnswer : noise_.otherNodeFrames ? kOtherNode : nullptr;
  while (frame && int(bytes->size()) < noise_.bytes) bytes->insert(bytes->end(), frame, frame + 6);
  for (int i = 0; !frame && i < noise_.bytes; ++i) {
    uint8_t b = static_cast<uint8_t>(Draw(256));
    if (noise_.syncBytes && noise_.syncPercent > 0) b = int(Draw(100)) < noise_.syncPercent ? 0xE0 : b == 0xE0 ? 0xE1 : b;
    if (b == 0xE0 && !noise_.syncBytes) b = 0xE1;
    bytes->push_back(b);
  }
  next_ += noise_.minMs + Draw(noise_.maxMs - noise_.minMs + 1);
  return true;
}

void SimJvsBoard::DrawConditions(SimJvsNode& n) {
  if (conditions.percent <= 0) return;
  if (conditionReports_ == 0) conditionDraw_ = conditions.seed ? conditions.seed : 1;
  if (conditionReports_++ >= conditions.reports) {
    n.condition[0] = n.condition[1] = 0;
    return;
  }
  for (uint8_t& c : n.condition) {
    conditionDraw_ = conditionDraw_ * 1103515245u + 12345u;
    if (int((conditionDraw_ >> 16) % 100) < conditions.percent) c = static_cast<uint8_t>((conditionDraw_ >> 8) & 3);
  }
}

int SimJvsBoard::Sense() const {
  for (const SimJvsNode& n : nodes)
    if (n.address == 0) return 0;
  return 1;
}

std::vector<uint8_t> SimJvsBoard::LastReply(int address) const {
  const auto it = last_.find(address);
  return it == last_.end() ? std::vector<uint8_t>{} : it->second.data;
}

bool SimJvsBoard::Decreasing(uint8_t node, const std::vector<uint8_t>& d) {
  if (node == 0 || node == 0xFF) return false;
  for (size_t i = 0; i < d.size();) {
    const size_t len = CommandLength(false, d, i);
    if (len == 0) break;
    if (d[i] == 0x30) return true;
    i += len;
  }
  return false;
}

void SimJvsBoard::SetSwitches(int index, uint8_t system, uint16_t player1, uint16_t player2) {
  SimJvsNode& n = nodes.at(static_cast<size_t>(index));
  n.system = system;
  n.switches[0] = static_cast<uint8_t>(player1 >> 8);
  n.switches[1] = static_cast<uint8_t>(player1);
  n.switches[2] = static_cast<uint8_t>(player2 >> 8);
  n.switches[3] = static_cast<uint8_t>(player2);
}

SimJvsBoard::Reply SimJvsBoard::Resend(uint8_t node) {
  ++retransmits;
  const auto it = last_.find(node);
  if (it == last_.end() || askedAgain == AskedAgain::kSilent) return {};
  Last& last = it->second;
  if (askedAgain != AskedAgain::kCopy) {
    last = Last{askedAgain == AskedAgain::kUnsupported ? std::vector<uint8_t>{2}
                : askedAgain == AskedAgain::kReply     ? askedAgainReply
                                                       : std::vector<uint8_t>{1, 2},
                0};
    return {true, last.data, false};
  }
  if (grow && last.grown < 6) {
    // The next byte of a made-up tail, never a sync or escape byte.
    last.data.push_back(static_cast<uint8_t>(0xA1 + last.grown));
    ++last.grown;
  }
  return {true, last.data, false};
}

SimJvsBoard::Reply SimJvsBoard::Receive(uint8_t node, const std::vector<uint8_t>& d, bool damaged) {
  if (damaged) {
    ++badRequests;
    if (silentOnDamage) return {};
    if (keepStatusThree) last_[node] = Last{{3}, 0};
    return {true, {3}, false};
  }
  if (d.empty()) return {};
  if (node == 0xFF) {
    if (d.size() >= 2 && d[0] == 0xF0 && d[1] == 0xD9) {
      for (SimJvsNode& n : nodes) n.address = 0;
      last_.clear();
      ++resets;
      if (int(d.size()) > longestReset) longestReset = int(d.size());
      return {};  // a reset has no reply
    }
    if (d.size() >= 2 && d[0] == 0xF1) {
      // The first node in the chain without an address takes it.
      for (SimJvsNode& n : nodes) {
        if (n.address != 0) continue;
        n.address = d[1];
        last_[d[1]] = Last{{1, 1}, 0};
        return {true, {1, 1}, false};
      }
    }
    return {};
  }
  if (d[0] == 0x2F) return Resend(node);
  std::vector<uint8_t> body;
  bool ok = false, garbled = false;
  const size_t decreasesBefore = decreases.size();
  if (node == 0) {
    ok = AnswerBoard(d, &body);
  } else {
    int at = 0;
    for (SimJvsNode& n : nodes) {
      if (n.address != node) continue;
      body.clear();
      ok = AnswerNode(n, d, &body);
      ++at;
    }
    if (at == 0) return {};  // nobody there: no reply
    garbled = at > 1;
  }
  if (cycles.size() <= node) cycles.resize(size_t{node} + 1);
  ++cycles[node];
  std::vector<uint8_t> data = {static_cast<uint8_t>(ok ? 1 : 2)};
  if (ok) data.insert(data.end(), body.begin(), body.end());
  last_[node] = Last{data, 0};
  return {true, data, decreases.size() > decreasesBefore, garbled};
}

bool SimJvsBoard::AnswerBoard(const std::vector<uint8_t>& d, std::vector<uint8_t>* body) {
  for (size_t i = 0; i < d.size();) {
    const size_t len = CommandLength(true, d, i);
    if (len == 0 || i + len > d.size()) return false;
    const size_t report = body->size();
    body->push_back(1);
    if (d[i] == 0x01) {
      body->push_back(boardStatus[0]);
      body->push_back(boardStatus[1]);
    } else if ((d[i] == 0x05 || d[i] == 0x04) && boardSettingReport != 1) {
      (*body)[report] = boardSettingReport;
    } else if (d[i] == 0x05) {
      boardSetting = static_cast<uint16_t>(d[i + 1] << 8 | d[i + 2]);
      ++boardValues;
    } else if (d[i] == 0x04) {
      ++boardApplies;
    }
    if (boardAnswersFirstOnly && report > 0) body->resize(report);
    i += len;
  }
  return true;
}

bool SimJvsBoard::AnswerNode(SimJvsNode& n, const std::vector<uint8_t>& d, std::vector<uint8_t>* body) {
  bool decreased = false;
  for (size_t i = 0; i < d.size();) {
    const size_t len = CommandLength(false, d, i);
    if (len == 0 || i + len > d.size()) return false;
    const uint8_t c = d[i];
    if ((c == 0x26 || c == 0x61) && !n.accessory) return false;
    const uint8_t coinReport = decreased ? n.coinReportAfterDecrease : n.coinReport;
    body->push_back(c == 0x21 ? coinReport : c == 0x20 ? n.switchReport : 1);
    switch (c) {
      case 0x10:
        body->insert(body->end(), n.identity.begin(), n.identity.end());
        body->push_back(0);
        break;
      case 0x11:
        body->push_back(0x13);
        break;
      case 0x12:
        body->push_back(0x30);
        break;
      case 0x13:
        body->push_back(0x10);
        break;
      case 0x14:
        body->insert(body->end(), n.features.begin(), n.features.end());
        body->push_back(0);
        break;
      case 0x20:
        if (n.switchReport != 1) break;
        body->push_back(n.system);
        for (int p = 0; p < d[i + 1]; ++p)
          for (int k = 0; k < d[i + 2]; ++k) body->push_back(p < 2 && k < 2 ? n.switches[p * 2 + k] : 0);
        break;
      case 0x21:
        if (coinReport == 1) DrawConditions(n);
        for (int s = 0; s < d[i + 1] && coinReport == 1; ++s) {
          const uint16_t v = s < 2 ? static_cast<uint16_t>(n.coins[s] | n.condition[s] << 14) : 0;
          body->push_back(static_cast<uint8_t>(v >> 8));
          body->push_back(static_cast<uint8_t>(v));
        }
        break;
      case 0x30: {
        const int slot = d[i + 1];
        const int amount = d[i + 2] << 8 | d[i + 3];
        decreases.emplace_back(slot, amount);
        decreased = true;
        if (slot >= 1 && slot <= 2) n.coins[slot - 1] = static_cast<uint16_t>(n.coins[slot - 1] - amount);
        break;
      }
      case 0x26:
        body->push_back(n.accSwitch);
        break;
      case 0x61:
        body->insert(body->end(), n.acc61, n.acc61 + 24);
        break;
      default:  // 0x32: outputs taken
        break;
    }
    i += len;
  }
  return true;
}

}  // namespace testsupport
