#include "ui/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
  int operation, reserved;
  int64_t maximum, position, step;
  std::string text;
  bool operator==(const Event& o) const {
    return operation == o.operation && reserved == o.reserved && maximum == o.maximum &&
           position == o.position && step == o.step && text == o.text;
  }
};

// Records sink events and pumps in one order, to show that every event is
// framed by two pumps.
struct Recorder {
  std::vector<std::string> order;
  std::vector<Event> events;
};
Recorder* g_recorder = nullptr;

void Sink(void* context, int operation, int reserved, int64_t maximum, int64_t position,
          int64_t step, const std::string& text) {
  auto* r = static_cast<Recorder*>(context);
  r->order.push_back("sink");
  r->events.push_back({operation, reserved, maximum, position, step, text});
}

void Pump(int64_t ms) { g_recorder->order.push_back("pump " + std::to_string(ms)); }

TEST(Progress, EventsReachTheSinkBetweenTwoPumps) {
  Recorder r;
  g_recorder = &r;
  {
    TProgBar bar(Sink, &r, Pump);
    bar.Start(1, 11);
    bar.Step("12 KB of 40 KB");
    bar.Finish(300, 500);
  }  // destroying sends a last finish
  const std::vector<Event> want = {
      {0, 0, 11, 1, 1, ""},
      {1, 0, 0, 0, 0, "12 KB of 40 KB"},
      {0, 0, 0, 0, 1, ""},
      {0, 0, 0, 0, 1, ""},
  };
  EXPECT_EQ(r.events, want);
  const std::vector<std::string> order = {
      "pump 0", "sink", "pump 0",                                      // Start
      "pump 0", "sink", "pump 0",                                      // Step
      "pump 300", "pump 0", "sink", "pump 0", "pump 500",              // Finish(300, 500)
      "pump 0", "sink", "pump 0",                                      // destructor
  };
  EXPECT_EQ(r.order, order);
  g_recorder = nullptr;
}

TEST(Progress, WithoutASinkEventsOnlyPump) {
  Recorder r;
  g_recorder = &r;
  {
    TProgBar bar(nullptr, nullptr, Pump);
    bar.Start(0, 10);
    bar.Step("x");
  }
  EXPECT_TRUE(r.events.empty());
  EXPECT_EQ(r.order, std::vector<std::string>(6, "pump 0"));
  g_recorder = nullptr;
}

}  // namespace
