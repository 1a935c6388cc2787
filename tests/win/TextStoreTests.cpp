// The store under a shared text: every unit read back as written, in its
// narrow and wide forms, across the resident bound and its private file,
// and a full disk under the file falling back to memory with one message.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "SharedText.h"
#include "SmallDisk.h"
#include "StoreFile.h"

using win::CSharedText;
using win::CTextRange;
using win::CTextStore;

namespace {

constexpr size_t kChunk = CTextStore::kChunkUnits;

// Every unit, piece and copy of a range against a plain reading.
void ExpectSame(const CTextRange& range, std::u16string_view model) {
  ASSERT_EQ(range.size(), model.size());
  EXPECT_EQ(range, model);
  EXPECT_EQ(range.ToString(), model);
  size_t nNext = 0;
  range.ForEachPiece([&](const win::STextPiece& piece) {
    EXPECT_EQ(piece.nPos, nNext);
    for (size_t i = 0; i < piece.nCount; ++i)
      if (win::UnitOf(piece, i) != model[piece.nPos + i]) ADD_FAILURE() << "unit " << piece.nPos + i;
    nNext += piece.nCount;
    return true;
  });
  EXPECT_EQ(nNext, model.size());
}

std::u16string NarrowUnits(size_t n, uint32_t nSeed) {
  std::mt19937 random(nSeed);
  std::u16string text(n, u'x');
  for (char16_t& c : text) {
    uint32_t v = random() % 256;
    c = v == 0 ? u'\u2400' : static_cast<char16_t>(v);
  }
  return text;
}

// A store directory of the test's own, and a low resident bound, for each case.
class CTextStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char szDir[] = "/tmp/quorvel-store-XXXXXX";
    ASSERT_NE(mkdtemp(szDir), nullptr);
    m_strCache = szDir;
    setenv("XDG_CACHE_HOME", m_strCache.c_str(), 1);
    win::SetTextResidentBound(kBound);
    win::TakeStoreNews();
  }
  void TearDown() override {
    win::SetTextResidentBound(win::kDefaultResidentBound);
    unsetenv("XDG_CACHE_HOME");
    std::filesystem::remove_all(m_strCache);
  }

  static constexpr size_t kBound = 4 * kChunk;
  std::string m_strCache;
};

}  // namespace

TEST_F(CTextStoreTest, EveryUnitReadsBackAndOnlyOtherThanByteUnitsTakeTwoBytes) {
  // Each unit after a narrow run and before another: a wide unit widens its
  // chunk only, and a chunk of received units stays at a byte a unit.
  std::u16string model;
  CSharedText text;
  for (uint32_t u = 0; u <= 0xFFFF; ++u) {
    std::u16string piece = {u'a', static_cast<char16_t>(u), u'\u2400'};
    model += piece;
    text.Append(piece);
  }
  ExpectSame(text.View(), model);
  for (uint32_t u : {0u, 1u, 0x7Fu, 0xFFu, 0x100u, 0x2400u, 0xD800u, 0xFFFFu}) {
    CSharedText one(std::u16string(kChunk, static_cast<char16_t>(u)));
    const bool bNarrow = (u >= 1 && u <= 0xFF) || u == 0x2400;
    EXPECT_EQ(one.ResidentBytes(), kChunk * (bNarrow ? 1 : 2)) << u;
    ExpectSame(one.View(), std::u16string(kChunk, static_cast<char16_t>(u)));
  }
  // A typed unit in the second chunk leaves the first narrow.
  CSharedText mixed(NarrowUnits(kChunk, 1));
  mixed.Append(u"\u20AC");
  EXPECT_LE(mixed.ResidentBytes(), kChunk + 64);
  EXPECT_EQ(mixed.View()[kChunk], u'\u20AC');
}

TEST_F(CTextStoreTest, AppendsAssignAndEditsAcrossTheBoundReadAsAPlainString) {
  std::mt19937 random(5);
  std::u16string model;
  CSharedText record;
  CSharedText shown;
  // Received pieces, now and then a typed stretch; a window's view follows.
  for (int i = 0; i < 300; ++i) {
    std::u16string piece = NarrowUnits(1 + random() % 9000, static_cast<uint32_t>(i));
    if (i % 37 == 5) piece += u"\u00E9t\u00E9 \u4E2D\u6587 \U0001F600";
    model += piece;
    record.Append(piece);
    if (i % 3 == 0) shown = record;
  }
  ASSERT_GT(model.size(), 4 * kBound);
  EXPECT_GT(record.View().Store()->StoredBytes(), 0u);
  EXPECT_LE(record.ResidentBytes(), kBound + 2 * 2 * kChunk);
  ExpectSame(record.View(), model);
  ExpectSame(shown.View(), std::u16string_view(model).substr(0, shown.Length()));
  EXPECT_TRUE(shown.SharesStorageWith(record));
  for (int i = 0; i < 2000; ++i) {
    size_t n = random() % model.size();
    ASSERT_EQ(record.View()[n], model[n]) << n;
  }
  ExpectSame(record.View().substr(3 * kChunk + 7, 5 * kChunk),
             std::u16string_view(model).substr(3 * kChunk + 7, 5 * kChunk));

  // A shorter view that grows forks; the record keeps what it showed.
  CSharedText cut = record;
  cut.Assign(record.View().substr(0, 6 * kChunk + 3));
  EXPECT_TRUE(cut.SharesStorageWith(record));
  cut.Append(u"typed");
  EXPECT_FALSE(cut.SharesStorageWith(record));
  ExpectSame(cut.View(), model.substr(0, 6 * kChunk + 3) + u"typed");
  ExpectSame(record.View(), model);

  // Alone with its store, a view cut back to a stored chunk appends in place.
  shown.Clear();
  CSharedText alone = std::move(record);
  record.Clear();
  CSharedText prefix;
  prefix.Assign(alone.View().substr(0, 2 * kChunk + 11));
  alone.Clear();
  prefix.Append(u"edit");
  ExpectSame(prefix.View(), model.substr(0, 2 * kChunk + 11) + u"edit");

  // An edit in the middle, as a box replaces its selection.
  CSharedText edited;
  edited.Append(cut.View().substr(0, kChunk));
  edited.Append(u"\u00FF\u0100");
  edited.Append(cut.View().substr(4 * kChunk));
  ExpectSame(edited.View(),
             model.substr(0, kChunk) + u"\u00FF\u0100" + model.substr(4 * kChunk, 2 * kChunk + 3) + u"typed");
}

TEST_F(CTextStoreTest, TheStoreFileIsPrivateUnlistedAndGivenBackOnClear) {
  CSharedText record(NarrowUnits(12 * kChunk, 3));
  const int fd = record.View().Store()->FileDescriptor();
  ASSERT_GE(fd, 0);
  struct stat st {};
  ASSERT_EQ(fstat(fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_nlink, 0u);  // never had a name
  EXPECT_GE(static_cast<uint64_t>(st.st_size), record.View().Store()->StoredBytes());
  const std::string strDir = m_strCache + "/quorvel";
  struct stat dir {};
  ASSERT_EQ(stat(strDir.c_str(), &dir), 0);
  EXPECT_EQ(dir.st_mode & 0777, 0700u);
  EXPECT_TRUE(std::filesystem::is_empty(strDir));

  // Clear closes the file; a range still held keeps what it covers.
  CTextRange held = record.View().substr(kChunk, 10);
  const std::u16string strHeld = held.ToString();
  record.Clear();
  EXPECT_EQ(held, strHeld);
  EXPECT_EQ(record.ResidentBytes(), 0u);
  EXPECT_NE(fcntl(fd, F_GETFD), -1);
  held = {};
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
  EXPECT_TRUE(win::TakeStoreNews().empty());
}

TEST_F(CTextStoreTest, AFullDiskUnderTheStoreKeepsEveryUnitInMemoryAndTellsOnce) {
  const std::string strDir = m_strCache + "/quorvel";
  const std::optional<bool> passed = OnSmallDisk(m_strCache, "256k", [&] {
    const std::u16string model = NarrowUnits(40 * kChunk, 9);
    CSharedText record;
    for (size_t i = 0; i < model.size(); i += 10000) record.Append(std::u16string_view(model).substr(i, 10000));
    EXPECT_EQ(record.View(), model);
    EXPECT_EQ(record.View().Store()->StoredBytes(), 0u);
    EXPECT_EQ(win::TakeStoreNews(), u"the receive record keeps growing in memory: no room left in " +
                                        std::filesystem::path(strDir).u16string());
    record.Append(u"more");
    EXPECT_EQ(win::TakeStoreNews(), u"");  // told once
    return !::testing::Test::HasFailure();
  });
  if (!passed) GTEST_SKIP() << "no tmpfs can be mounted in a user namespace here";
  EXPECT_TRUE(*passed);
}
