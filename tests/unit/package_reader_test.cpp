#include "package/package_reader.h"

#include <gtest/gtest.h>

#include "package/file_info.h"
#include "package_fixture.h"

namespace {

// Counts reads, to show which files the checksum leaves unread.
class CountingSource : public MemorySource {
 public:
  using MemorySource::MemorySource;
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override {
    ++reads;
    return MemorySource::ReadAt(offset, buffer, n);
  }
  mutable int reads = 0;
};

TEST(PackageReader, ReadsTrailerAndBlocksFromFileEnd) {
  FixtureBlocks f;
  std::string file = MakeSetup(f);
  MemorySource src(file);
  TGFileInfo info(src);
  EXPECT_TRUE(info.trailer().HasPackage());
  EXPECT_EQ(info.trailer().BlocksOffset, 0x200u);
  EXPECT_EQ(info.trailer().FilesCount, 3u);
  EXPECT_EQ(info.trailer().TrailerSize, 74u);
  EXPECT_EQ(info.strings_block(), f.blocks[0]);
  EXPECT_EQ(info.options_block(), f.blocks[1]);
  EXPECT_EQ(info.AgentFileName(), "Agent.exe");
  EXPECT_EQ(info.InfoFileName(), "upd.info");
  EXPECT_EQ(info.SettingsFileName(), "upd.original");
}

TEST(PackageReader, PackageEndInStubAreaIgnoresAppendedData) {
  FixtureBlocks f;
  f.flags = layout::kLogFile;
  std::string plain = MakeSetup(f);
  // Appended data ends in bytes that would read as a bogus trailer size.
  std::string signed_ = WithPackageEnd(plain, std::string(3000, '\x7F'));
  MemorySource a(plain), b(signed_);
  EXPECT_EQ(PackageEnd(a), 0);
  EXPECT_EQ(PackageEnd(b), int64_t(plain.size()));
  TGFileInfo x(a), y(b);
  EXPECT_TRUE(y.trailer().HasPackage());
  EXPECT_EQ(y.options_block(), x.options_block());
  EXPECT_EQ(y.trailer().Flags, x.trailer().Flags);
  EXPECT_TRUE(y.LogFile());
}

TEST(PackageReader, PackageEndIsOnlyHonouredInExecutables) {
  FixtureBlocks f;
  f.imageSize = 0x200;
  std::string file = WithPackageEnd(MakeSetup(f), "tail-data");
  file[0x100] = 'X';  // no longer "PE" at 0x100
  MemorySource src(file);
  EXPECT_FALSE(IsExecutable(src));
  EXPECT_FALSE(ReadTrailer(src).HasPackage());
}

TEST(PackageReader, StoredTrailerSizeAbove74ReadsOnlyUpToByte69) {
  FixtureBlocks f;
  f.agentByte = 1;
  f.trailerSize = 80;
  // Six more bytes sit in front of the 74, so the record starts 6 bytes early.
  std::string file = MakeSetup(f);
  file.insert(file.size() - 74, std::string(6, '\0'));
  MemorySource src(file);
  Trailer t = ReadTrailer(src);
  EXPECT_EQ(t.TrailerSize, 74u);
  EXPECT_FALSE(t.HasPackage());  // shifted by 6: the magic is not where it is looked for
  // The same with a trailer that keeps its fields at the front: all read.
  std::string good = MakeSetup(f);
  good.append(6, '\0');
  PutU32(&good, good.size() - 4, 80);
  MemorySource src2(good);
  Trailer t2 = ReadTrailer(src2);
  EXPECT_TRUE(t2.HasPackage());
  EXPECT_EQ(t2.TrailerSize, 74u);
  EXPECT_EQ(t2.ThisIs_AutoUpdateProg, 1);
}

TEST(PackageReader, PackageVersionChoosesTheBlocks) {
  struct Case {
    uint8_t stored;
    uint8_t read;
    bool download;
  } cases[] = {{0, 2, false}, {2, 2, false}, {3, 3, true}};
  for (const auto& c : cases) {
    FixtureBlocks f;
    f.packageVersion = c.stored;
    f.blocks.push_back("|http://dl/|real.exe|1|tok|1048576|");
    std::string file = MakeSetup(f);
    MemorySource src(file);
    TGFileInfo info(src);
    EXPECT_EQ(info.trailer().PackageVersion, c.read) << int(c.stored);
    EXPECT_EQ(!info.download_block().empty(), c.download) << int(c.stored);
    if (c.download) {
      EXPECT_EQ(info.SetupFileName(), "real.exe");
      EXPECT_TRUE(info.AlwaysDownload());
      EXPECT_EQ(info.DownloadSize(), "1048576");
    }
  }
}

TEST(PackageReader, ClusterSizeSelectsSpaceRequiredSlot) {
  Trailer t;
  for (int i = 0; i < layout::kClusterSlots; ++i) t.SpaceRequired[i] = 100 + i;
  struct Case {
    uint64_t cluster;
    uint32_t want;
  } cases[] = {{0, 100},    {511, 100},   {512, 101},   {1023, 101},
               {4096, 104}, {65535, 107}, {65536, 108}, {uint64_t(1) << 20, 108}};
  for (const auto& c : cases) EXPECT_EQ(SpaceRequiredFor(t, c.cluster), c.want) << c.cluster;
}

TEST(Checksum, SumsWordsWhileMoreThanFourBytesRemain) {
  // 90 bytes, tail 74: R = 16; the words at 0 and 4 count, the rest do not,
  // and R never stays above 4 after the only read, so no 1234 is added.
  std::string file(90, '\0');
  PutU32(&file, 0, 5);
  PutU32(&file, 4, 6);
  PutU32(&file, 8, 1000);
  PutU32(&file, 12, 1000);
  MemorySource src(file);
  EXPECT_EQ(FileChecksum(src, 74), 11u);
}

TEST(Checksum, FileOfExactly51200BytesIsSummedAndOneMoreIsNot) {
  std::string file(51200, '\0');
  PutU32(&file, 0, 1);
  PutU32(&file, 51200 - 84, 7);     // R is 6 after this word: counted
  PutU32(&file, 51200 - 80, 1000);  // R is 2: not counted
  CountingSource exact(file);
  // 12 full reads leave R above 4 (one 1234 each); the 13th does not.
  EXPECT_EQ(FileChecksum(exact, 74), 12u * 1234u + 1 + 7);
  file.push_back('\0');
  CountingSource longer(file);
  EXPECT_EQ(FileChecksum(longer, 74), 1234u);
  EXPECT_EQ(longer.reads, 0);
}

TEST(Checksum, PackageEndStartsAt512AndEndsAtTheMark) {
  std::string file = MakeStubImage(0x300);
  PutU32(&file, 512, 9);
  PutU32(&file, 516, 40);
  file += std::string(600, '\0');
  PutU32(&file, 0x300 + 8, 5000);  // before the trailer, but in the last 8 bytes: not summed
  PutU32(&file, 900, 7000);        // past the package end: never summed
  // Package end 0x300 + 74 + 12: R = 0x300 + 12 - 512 = 268 bytes of words.
  PutU32(&file, layout::kPackageEndLow, 0x300 + 74 + 12);
  MemorySource src(file);
  uint32_t sum = FileChecksum(src, 74);
  EXPECT_EQ(sum, 49u);
  // The package end's own bytes are below 512: changing the stub area changes nothing.
  std::string other = file;
  other[0x40] = 'x';
  MemorySource src2(other);
  EXPECT_EQ(FileChecksum(src2, 74), sum);
}

TEST(Checksum, AcceptanceRule) {
  EXPECT_TRUE(ChecksumAccepted(5, 5));
  EXPECT_TRUE(ChecksumAccepted(1234, 5));
  EXPECT_TRUE(ChecksumAccepted(5, 1234));
  EXPECT_FALSE(ChecksumAccepted(5, 6));
}

TEST(Checksum, TailLongerThanFileGivesZeroNotACrash) {
  std::string file = MakeStubImage(0x200);
  PutU32(&file, layout::kPackageEndLow, 100);  // R = 100 - 74 - 512 < 0
  MemorySource src(file);
  EXPECT_EQ(FileChecksum(src, 74), 0u);
  std::string tiny = "ab";
  MemorySource t(tiny);
  EXPECT_EQ(FileChecksum(t, 74), 0u);
}

TEST(PackageReaderBadInput, EveryTruncationReadsSafely) {
  FixtureBlocks f;
  f.packageVersion = 3;
  f.blocks.push_back("|http://dl/|real.exe|0|tok|1|");
  std::string file = WithPackageEnd(MakeSetup(f), "0123456789");
  for (size_t n = 0; n <= file.size(); ++n) {
    std::string cut = file.substr(0, n);
    MemorySource src(cut);
    TGFileInfo info(src);
    size_t total = info.strings_block().size() + info.options_block().size() +
                   info.download_block().size();
    ASSERT_LE(total, n) << n;
  }
}

TEST(PackageReaderBadInput, OddTrailerSizesAndBlockLengths) {
  struct Case {
    const char* what;
    uint32_t trailerSize;
    int32_t firstBlockLength;  // 0: leave as built
  } cases[] = {
      {"trailer size 0", 0, 0},
      {"trailer size 3", 3, 0},
      {"trailer size past the start", 0x7FFFFFF0, 0},
      {"trailer size 0xFFFFFFFF", 0xFFFFFFFF, 0},
      {"negative block length", 74, -5},
      {"block length past the end", 74, 0x7FFFFFFF},
  };
  for (const auto& c : cases) {
    FixtureBlocks f;
    std::string file = MakeSetup(f);
    PutU32(&file, file.size() - 4, c.trailerSize);
    if (c.firstBlockLength) PutU32(&file, 0x200, uint32_t(c.firstBlockLength));
    MemorySource src(file);
    TGFileInfo info(src);
    EXPECT_LE(info.trailer().TrailerSize, 74u) << c.what;
    if (c.firstBlockLength) {
      EXPECT_TRUE(info.trailer().HasPackage()) << c.what;
      EXPECT_TRUE(info.strings_block().empty()) << c.what;
      EXPECT_TRUE(info.options_block().empty()) << c.what;
    } else {
      EXPECT_FALSE(info.trailer().HasPackage()) << c.what;
      EXPECT_TRUE(info.options_block().empty()) << c.what;
    }
  }
}

TEST(PackageReaderBadInput, WrongMagicKeepsTrailerBytesButNoBlocks) {
  FixtureBlocks f;
  f.magic = 0x12345678;
  f.agentByte = 1;
  std::string file = MakeSetup(f);
  MemorySource src(file);
  TGFileInfo info(src);
  EXPECT_FALSE(info.trailer().HasPackage());
  EXPECT_TRUE(info.ThisIs_AutoUpdateProg());
  EXPECT_TRUE(info.options_block().empty());
  EXPECT_EQ(info.AgentFileName(), "");
}

TEST(PackageReaderBadInput, MissingFileIsEmpty) {
  TGFileInfo info = TGFileInfo::FromPath("/nonexistent/dir/setup.exe");
  EXPECT_EQ(info.trailer().Magic, 0u);
  EXPECT_TRUE(info.strings_block().empty());
}

}  // namespace
