#include "package/agent_file.h"

#include <gtest/gtest.h>

#include "package/file_info.h"
#include "package/package_reader.h"
#include "package_fixture.h"

namespace {

TEST(AgentFile, FromExtractedPackageDropsChunksAndMarksAgent) {
  FixtureBlocks f;
  f.flags = layout::kLogFile;
  std::string setup = MakeSetup(f);
  // Put a "chunk" between the blocks and the trailer, and a package end.
  setup.insert(setup.size() - 74, "CHUNKDATA");
  setup = WithPackageEnd(setup, "SIGNATURE");
  MemorySource src(setup);
  TGFileInfo info(src);
  ASSERT_GT(info.blocks_end(), 0);
  std::string agent;
  ASSERT_TRUE(ComposeAgentFile(src, info.blocks_end(), info.trailer(), &agent));
  EXPECT_EQ(agent.size(), size_t(info.blocks_end()) + 74);
  EXPECT_EQ(agent.find("CHUNKDATA"), std::string::npos);
  MemorySource a(agent);
  EXPECT_EQ(PackageEnd(a), 0);
  TGFileInfo ai(a);
  EXPECT_TRUE(ai.ThisIs_AutoUpdateProg());
  EXPECT_TRUE(ai.LogFile());
  EXPECT_EQ(ai.options_block(), info.options_block());
  EXPECT_FALSE(ComposeAgentFile(src, int64_t(setup.size()) + 1, info.trailer(), &agent));
}

TEST(AgentFile, WebDownloadImageCutAtNearPackageEnd) {
  FixtureBlocks f;
  std::string setup = MakeSetup(f);
  struct Case {
    size_t extra;
    bool cut;
  } cases[] = {{0, false}, {100, true}, {9999, true}, {10000, false}};
  for (const auto& c : cases) {
    std::string image = c.extra ? WithPackageEnd(setup, std::string(c.extra, 'S')) : setup;
    size_t before = image.size();
    MakeWebDownloadAgentImage(&image);
    EXPECT_EQ(image.size(), c.cut ? setup.size() : before) << c.extra;
    EXPECT_EQ(image[image.size() - 5], 1) << c.extra;
  }
  std::string tiny = "abcde";
  MakeWebDownloadAgentImage(&tiny);
  EXPECT_EQ(tiny, "abcde");
}

}  // namespace
