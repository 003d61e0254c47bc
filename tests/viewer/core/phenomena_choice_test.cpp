// Choosing phenomena without the dialog's widgets: opening files, the pick
// lists, adding into chart slots, deleting rows, the two limits, and the
// faults the dialog must not have.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "fake_slot_series.h"
#include "osc_test_files.h"
#include "viewer/core/phenomena_choice.h"

namespace {

using kv::ItemState;
using kv::PickList;
using namespace kvtest;

// Channel j (1-based) of `types.size()` stored channels has type types[j-1]
// and the name "К<j>" unless `names` says otherwise; section 1 sums channels
// 1 and 2 (type 3), section 2 only channel 30, which is not stored.
std::string MakeOsc(unsigned n, const std::vector<std::uint8_t>& types, std::vector<std::string> names = {}) {
  kv::osc31::TOscParameterBlock p = MakeParameterBlock(static_cast<unsigned>(types.size()));
  for (std::size_t j = 0; j < types.size(); ++j) {
    p.channels[j].typeCode = types[j];
    kv::osc31::SetOemText(p.channels[j].name, j < names.size() ? names[j] : "К" + std::to_string(j + 1), 16);
  }
  kv::osc31::SetOemText(p.sections[0].name, "Сумма", 15);
  p.sections[0].typeCode = 3;
  p.sections[0].include[0] = p.sections[0].include[1] = 1;
  kv::osc31::SetOemText(p.sections[1].name, "Нет", 15);
  p.sections[1].include[29] = 1;
  p.quantities[1].code = 5;
  kv::osc31::SetOemText(p.quantities[1].name, "Q", 6);
  kv::osc31::SetOemText(p.quantities[1].unit, "Mvar", 8);
  return BuildOsc(n, static_cast<unsigned>(types.size()), p);
}

class Choice : public ::testing::Test {
 protected:
  Choice() {
    choice.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    choice.ApplyAxes = [this](const kv::ChartAxesSettings& a) { axes = a; };
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir.file(name);
    WriteBytes(path, bytes);
    return path;
  }
  void Check(PickList l, std::initializer_list<int> items) {
    for (int i : items) choice.SetChecked(l, i, true);
  }
  ItemState State(PickList l, int i) const { return choice.Items(l).at(static_cast<std::size_t>(i)).State; }
  bool Enabled(PickList l, int i) const { return choice.Items(l).at(static_cast<std::size_t>(i)).Enabled; }
  const kvtest::FakeSlot& Slot(int row) const { return slots.slot[g.FSlotOfRow[static_cast<std::size_t>(row)]]; }

  TempDir dir;
  kv::GraphState g;
  FakeSlots slots;
  kv::PhenomenaChoice choice{g, slots.set};
  std::vector<std::string> messages;
  kv::ChartAxesSettings axes;
};

TEST_F(Choice, AnOscillogramListsItsChannelsAndPresentSectionsWithItsReadOuts) {
  const std::string path = Write("run.31", MakeOsc(3, {3, 3, 1, 5}));
  ASSERT_TRUE(choice.OpenFile(path, kv::kKindOscillogram));
  const kv::ChosenFile& f = choice.Chosen();
  EXPECT_EQ(f.FileName, "run.31");
  EXPECT_EQ(f.TimeOsc, "0.04 сек.");
  EXPECT_EQ(f.TimeOpr, "0.02 сек.");
  EXPECT_EQ(f.CountPoints, "3");
  EXPECT_EQ(f.Factors, (std::vector<std::string>{"К1", "К2", "К3", "К4"}));
  EXPECT_EQ(f.Sums, std::vector<std::string>{"Сумма"});  // "Нет" includes no stored channel
  EXPECT_EQ(f.FItemData, (std::vector<std::uint8_t>{3, 3, 1, 5, 1}));
  EXPECT_TRUE(choice.AddEnabled());

  // A section is summed from its channels and joins the type of its section.
  choice.SetChecked(PickList::Sums, 0, true);
  choice.AddChecked(PickList::Sums);
  EXPECT_EQ(g.SeriesRecs[0].Index, 5);  // section 1 + C
  EXPECT_EQ(g.SeriesRecs[0].Name, "Сумма");
  EXPECT_EQ(g.TypeGroups[0].Caption, "U,kV");
  EXPECT_NEAR(slots.slot[0].xy[2].second * g.SeriesRecs[0].Scale, SampleValue(1, 2) + SampleValue(2, 2), 1e-3);
  EXPECT_EQ(choice.Rows()[0].File, "Файл: run.31");
  EXPECT_EQ(State(PickList::Sums, 0), ItemState::Grayed);
  EXPECT_FALSE(Enabled(PickList::Sums, 0));
  EXPECT_TRUE(axes.fixLeft);
}

// An unreadable file is not shown as opened, and nothing of the file before
// it stays under its name.
TEST_F(Choice, AFileThatCannotBeReadLeavesNothingChosen) {
  ASSERT_TRUE(choice.OpenFile(Write("good.31", MakeOsc(3, {3})), kv::kKindOscillogram));
  for (auto [name, kind, bytes] : {std::tuple{"short.31", kv::kKindOscillogram, std::string(50, '\0')},
                                   std::tuple{"bad.rzs", kv::kKindResults, std::string("\x20\0\0\0", 4)},
                                   std::tuple{"missing.31", kv::kKindOscillogram, std::string()}}) {
    std::string path = dir.file(name);
    if (!bytes.empty()) Write(name, bytes);
    messages.clear();
    EXPECT_FALSE(choice.OpenFile(path, kind)) << name;
    ASSERT_EQ(messages.size(), 1u) << name;
    EXPECT_NE(messages[0].find(path), std::string::npos) << messages[0];
    EXPECT_FALSE(choice.Chosen().Chosen());
    EXPECT_TRUE(choice.Chosen().TimeOsc.empty());
    EXPECT_TRUE(choice.Items(PickList::Factors).empty());
    EXPECT_FALSE(choice.AddEnabled());
  }
}

TEST_F(Choice, AResultFileListsItsColumnsWithTheBuiltInCaptions) {
  // An oscillogram whose quantity 5 is "Q,Mvar" first: none of it may stay.
  ASSERT_TRUE(choice.OpenFile(Write("a.31", MakeOsc(3, {3})), kv::kKindOscillogram));
  RzsBuilder b;
  b.put(4).put(3).put(3).group({1}).group({3}).group({5});
  b.bytes += std::string(16, '\0');
  b.put(std::uint16_t{2}).put(std::uint16_t{1}).put(std::uint16_t{3}).put(std::uint16_t{3}).put(std::uint16_t{4});
  b.bytes += std::string("t") + "P1 " + std::string("U\0 ", 3) + std::string("Q\t\0\0", 4);
  b.bytes += std::string("s") + "MW " + "kV " + "Mv  ";
  for (int r = 0; r < 3; ++r) b.put(0.5f * static_cast<float>(r)).put(100.f).put(std::nanf("")).put(-2.f);
  ASSERT_TRUE(choice.OpenFile(Write("res.rzs", b.bytes), kv::kKindResults));
  const kv::ChosenFile& f = choice.Chosen();
  EXPECT_EQ(f.Factors, (std::vector<std::string>{"P1 MW ", "U kV ", "Q Mv "}));
  EXPECT_EQ(f.TimeOpr, "0.5 сек.");
  EXPECT_EQ(f.TimeOsc, "1.5 сек.");
  EXPECT_EQ(f.CountPoints, "3");
  EXPECT_TRUE(f.Sums.empty());
  EXPECT_TRUE(f.Comment.empty());

  choice.SetChecked(PickList::Factors, 0, true);
  choice.SetChecked(PickList::Factors, 1, true);
  choice.SetChecked(PickList::Factors, 2, true);
  choice.AddChecked(PickList::Factors);
  ASSERT_EQ(g.TypeGroupCount, 3);
  EXPECT_EQ(g.TypeGroups[0].Caption, "P,MW");
  EXPECT_EQ(g.TypeGroups[1].Caption, "U,kV");
  EXPECT_EQ(g.TypeGroups[2].Caption, "");  // no built-in quantity 5
  EXPECT_EQ(g.TypeGroups[1].Span, 0.1);    // a column of NaN only
  EXPECT_TRUE(std::isnan(slots.slot[1].xy[0].second));

  // No rows: a step of 0, not the last file's.
  ASSERT_TRUE(choice.OpenFile(Write("empty.rzs", MakeRzs(3, 0)), kv::kKindResults));
  EXPECT_EQ(choice.Chosen().TimeOpr, "0 сек.");
  EXPECT_EQ(choice.Chosen().TimeOsc, "0 сек.");
}

// A result file is drawn as it was when it was opened, even when it has
// been replaced or removed since: the series agree with the read-outs.
TEST_F(Choice, AResultFileIsDrawnAsItWasOpened) {
  const std::string path = Write("calc.rzs", MakeRzs(3, 100));
  ASSERT_TRUE(choice.OpenFile(path, kv::kKindResults));
  WriteBytes(path, MakeRzs(3, 70000));
  Check(PickList::Factors, {1});
  choice.AddChecked(PickList::Factors);
  std::filesystem::remove(path);
  Check(PickList::Factors, {0});
  choice.AddChecked(PickList::Factors);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(g.FShownRows, 2);
  for (int row : {0, 1}) {
    ASSERT_EQ(Slot(row).xy.size(), 100u) << row;
    const kv::TSeriesRec& r = g.SeriesRecs[g.FSlotOfRow[static_cast<std::size_t>(row)]];
    EXPECT_NEAR(Slot(row).xy[99].second * r.Scale + r.Offset, 99 + 10 * (2 - row), 1e-3) << row;
  }
}

// An oscillogram is drawn as it was when it was opened, whatever happens to
// the file since: the lists and the data always agree.
TEST_F(Choice, AnOscillogramIsDrawnAsItWasOpened) {
  const std::string path = Write("run.31", MakeOsc(600, {3, 1}));
  ASSERT_TRUE(choice.OpenFile(path, kv::kKindOscillogram));
  WriteBytes(path, MakeOsc(7, {1, 1, 1}));
  Check(PickList::Factors, {1});
  choice.AddChecked(PickList::Factors);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(slots.slot[0].xy.size(), 600u);
  EXPECT_NEAR(slots.slot[0].xy[599].second * g.SeriesRecs[0].Scale, SampleValue(2, 599), 1e-3);
}

TEST_F(Choice, ASixthTypeIsNeverAddedNotEvenInOnePress) {
  ASSERT_TRUE(choice.OpenFile(Write("run.31", MakeOsc(3, {1, 2, 3, 4, 5, 6, 1})), kv::kKindOscillogram));
  Check(PickList::Factors, {0, 1, 2, 3, 4, 5, 6});
  EXPECT_TRUE(messages.empty());  // no type is on the chart yet
  choice.AddChecked(PickList::Factors);
  EXPECT_EQ(messages, std::vector<std::string>{kv::kFiveTypesMessage});
  EXPECT_EQ(g.TypeGroupCount, 5);
  EXPECT_EQ(g.FShownRows, 6);
  EXPECT_EQ(State(PickList::Factors, 5), ItemState::Unchecked);
  EXPECT_TRUE(Enabled(PickList::Factors, 5));
  EXPECT_EQ(State(PickList::Factors, 6), ItemState::Grayed);

  // Ticking it now is refused at once; a shown type is accepted.
  messages.clear();
  choice.SetChecked(PickList::Factors, 5, true);
  EXPECT_EQ(messages, std::vector<std::string>{kv::kFiveTypesMessage});
  EXPECT_EQ(State(PickList::Factors, 5), ItemState::Unchecked);
}

TEST_F(Choice, TheTenPhenomenaLimitCountsShownAndTickedItemsOfTheList) {
  ASSERT_TRUE(choice.OpenFile(Write("run.31", MakeOsc(3, std::vector<std::uint8_t>(16, 3))), kv::kKindOscillogram));
  for (int i = 0; i < 9; ++i) choice.SetChecked(PickList::Factors, i, true);
  choice.AddChecked(PickList::Factors);
  EXPECT_EQ(g.FShownRows, 9);
  choice.SetChecked(PickList::Factors, 9, true);
  EXPECT_TRUE(messages.empty());
  choice.SetChecked(PickList::Factors, 10, true);
  EXPECT_EQ(messages, std::vector<std::string>{kv::kTenPhenomenaMessage});
  EXPECT_EQ(State(PickList::Factors, 10), ItemState::Unchecked);
  EXPECT_EQ(State(PickList::Factors, 9), ItemState::Checked);

  // "Добавить все" with nothing shown adds the first ten, one message per further item.
  choice.DeleteAll();
  EXPECT_EQ(g.FShownRows, 0);
  EXPECT_FALSE(choice.DeleteEnabled());
  messages.clear();
  choice.AddAll(PickList::Factors);
  EXPECT_EQ(g.FShownRows, 10);
  EXPECT_EQ(messages, std::vector<std::string>(6, kv::kTenPhenomenaMessage));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(State(PickList::Factors, i), i < 10 ? ItemState::Grayed : ItemState::Unchecked);
}

TEST_F(Choice, DeletingARangeClosesTheGapAndReleasesTheItems) {
  ASSERT_TRUE(choice.OpenFile(Write("run.31", MakeOsc(3, {3, 3, 1, 1, 5})), kv::kKindOscillogram));
  for (int i = 0; i < 4; ++i) {
    choice.SetChecked(PickList::Factors, i, true);
    choice.AddChecked(PickList::Factors);
  }
  choice.DeleteRows(1, 2);
  EXPECT_EQ(g.FShownRows, 2);
  EXPECT_EQ(choice.Rows()[0].Name, "К1");
  EXPECT_EQ(choice.Rows()[1].Name, "К4");
  EXPECT_EQ(choice.Rows()[2].Name, "");
  EXPECT_EQ(g.FSlotOfRow[0], 0);
  EXPECT_EQ(g.FSlotOfRow[1], 3);
  EXPECT_FALSE(slots.slot[1].active);
  EXPECT_EQ(State(PickList::Factors, 1), ItemState::Unchecked);
  EXPECT_TRUE(Enabled(PickList::Factors, 2));
  EXPECT_EQ(g.TypeGroups[0].Slots, std::vector<std::uint8_t>{0});

  // A range over filled and empty rows deletes the filled ones; freed slots
  // are taken again from the lowest.
  choice.DeleteRows(1, 7);
  EXPECT_EQ(g.FShownRows, 1);
  choice.SetChecked(PickList::Factors, 4, true);
  choice.AddChecked(PickList::Factors);
  EXPECT_EQ(g.FSlotOfRow[1], 1);
  EXPECT_EQ(g.TypeGroupCount, 2);
}

// Items are released by position, and only by the file that greyed them.
TEST_F(Choice, RemovalReleasesTheItemItCameFromAndEmptiesTheSlot) {
  ASSERT_TRUE(choice.OpenFile(Write("run.31", MakeOsc(3, {3, 3, 1}, {"U", "U", ""})), kv::kKindOscillogram));
  Check(PickList::Factors, {0, 1, 2});
  choice.AddChecked(PickList::Factors);
  EXPECT_EQ(g.SeriesRecs[1].TraceIndex, -1);
  g.SeriesRecs[0].TraceIndex = 2;
  slots.slot[0].marks = 5;
  choice.DeleteRows(0, 0);
  EXPECT_EQ(State(PickList::Factors, 0), ItemState::Unchecked);
  EXPECT_EQ(State(PickList::Factors, 1), ItemState::Grayed);
  EXPECT_FALSE(Enabled(PickList::Factors, 1));
  EXPECT_EQ(g.SeriesRecs[0].TraceIndex, -1);
  EXPECT_EQ(slots.slot[0].marks, 0);

  // A phenomenon of an empty name still counts as shown.
  choice.DeleteRows(0, 0);
  EXPECT_EQ(choice.Rows()[0].Name, "");
  EXPECT_TRUE(choice.DeleteEnabled());

  // After another file is opened, deleting leaves its lists alone.
  ASSERT_TRUE(choice.OpenFile(Write("other.31", MakeOsc(3, {1})), kv::kKindOscillogram));
  choice.SetChecked(PickList::Factors, 0, true);
  choice.DeleteAll();
  EXPECT_EQ(State(PickList::Factors, 0), ItemState::Checked);
  EXPECT_FALSE(choice.DeleteEnabled());
  EXPECT_EQ(axes.marginLeft, 3);
}

// Browsing reads with a reader of its own: series come from the chosen file.
TEST_F(Choice, BrowsingNeverChangesTheChosenFile) {
  const std::string chosen = Write("chosen.31", MakeOsc(3, {3}));
  kv::osc31::TOscParameterBlock p = MakeParameterBlock(1);
  std::string other = BuildOsc(5, 1, p);
  kv::osc31::TOscHeader h;
  kv::osc31::DecodeHeader(kv::osc31::AsBytes(other), h);
  kv::osc31::SetOemText(h.CommentText, "Опыт 7", 63);
  other.replace(0, 104, kv::osc31::EncodeHeader(h));
  const std::string otherPath = Write("other.31", other);

  ASSERT_TRUE(choice.OpenFile(chosen, kv::kKindOscillogram));
  kv::OscReader browse;
  EXPECT_EQ(kv::PreviewComment(browse, otherPath), "Опыт 7");
  EXPECT_EQ(kv::PreviewComment(browse, dir.file("none.31")), "");
  choice.SetChecked(PickList::Factors, 0, true);
  choice.AddChecked(PickList::Factors);
  ASSERT_EQ(slots.slot[0].xy.size(), 3u);
  EXPECT_EQ(g.SeriesRecs[0].FileName, chosen);
}

}  // namespace
