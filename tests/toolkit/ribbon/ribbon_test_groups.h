// A group whose forms are a table of widths per reduction level, and a band host that records
// what the layout decided.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "toolkit/ribbon/ribbon_groups.h"

class TestGroup : public CTKRibbonGroup {
 public:
  // widest: the width after BeginLayout; steps[level]: the widths each reduction at that level
  // leaves, in order.
  TestGroup(int widest, std::array<std::vector<int>, kLevels> steps) : widest_(widest), steps_(std::move(steps)) {}

  void BeginLayout(HDC) override {
    width_ = widest_;
    taken_.fill(0);
    ++begins_;
  }
  int CurrentWidth(HDC) override { return width_; }
  bool Reduce(HDC, int level) override {
    ++reduce_calls_;
    auto& steps = steps_[static_cast<size_t>(level)];
    size_t& taken = taken_[static_cast<size_t>(level)];
    if (always_accepts_) return true;
    if (taken >= steps.size()) return false;
    width_ = steps[taken++];
    log_.push_back(level);
    return true;
  }
  void EndLayout() override { ++ends_; }

  // A faulty group: takes every reduction and never gets narrower.
  void SetAlwaysAccepts() { always_accepts_ = true; }
  int Smallest() const {
    int smallest = widest_;
    for (const auto& steps : steps_)
      for (int w : steps) smallest = w < smallest ? w : smallest;
    return smallest;
  }
  int Width() const { return width_; }
  int ReduceCalls() const { return reduce_calls_; }
  int Begins() const { return begins_; }
  int Ends() const { return ends_; }
  const std::vector<int>& Log() const { return log_; }
  void ClearLog() { log_.clear(); reduce_calls_ = 0; }

 private:
  int widest_;
  std::array<std::vector<int>, kLevels> steps_;
  std::array<size_t, kLevels> taken_{};
  int width_ = 0;
  bool always_accepts_ = false;
  int reduce_calls_ = 0;
  int begins_ = 0;
  int ends_ = 0;
  std::vector<int> log_;
};

class TestBand : public CTKRibbonGroupsHost {
 public:
  int GroupsHeight() const override { return groups_height; }
  int GroupCaptionHeight() const override { return caption_height; }
  bool ShowsTab(const CTKRibbonTab* tab) const override { return tab == shown_tab; }
  int GroupsScrollPos() const override { return scroll_pos; }
  void SetGroupsScroll(int offset, bool left, bool right) override {
    this->offset = offset;
    left_button = left;
    right_button = right;
    ++reports;
  }

  int groups_height = 93;
  int caption_height = 17;
  const CTKRibbonTab* shown_tab = nullptr;
  int scroll_pos = 0;
  int offset = -1;
  bool left_button = false;
  bool right_button = false;
  int reports = 0;
};
