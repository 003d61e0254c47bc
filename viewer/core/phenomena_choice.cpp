#include "viewer/core/phenomena_choice.h"

#include "common/io_error.h"
#include "viewer/core/read_osc.h"

namespace kv {

PhenomenaChoice::PhenomenaChoice(GraphState& graph, const SlotSeriesSet& series) : graph_(graph), series_(series) {}

void PhenomenaChoice::Message(const std::string& text) {
  if (ShowMessage) ShowMessage(text);
}

bool PhenomenaChoice::OpenFile(const std::string& path, int kind) {
  ++generation_;  // items of the previous file are gone, whatever follows
  factors_.clear();
  sums_.clear();
  try {
    chosen_ = ReadChosenFile(path, kind, osc_, rzs_);
  } catch (const IoError& e) {
    chosen_ = ChosenFile{};
    Message(e.what());
    return false;
  }
  for (const std::string& t : chosen_.Factors) factors_.push_back({t});
  for (const std::string& t : chosen_.Sums) sums_.push_back({t});
  return true;
}

std::uint8_t PhenomenaChoice::ItemTypeCode(PickList l, int i) const {
  if (i < 0) return 0;
  const auto k = static_cast<std::size_t>(i);
  return l == PickList::Factors ? chosen_.TypeCodeOfFactor(k) : chosen_.TypeCodeOfSum(k);
}

void PhenomenaChoice::SetChecked(PickList l, int i, bool checked) {
  std::vector<PickItem>& items = ItemsOf(l);
  if (i < 0 || i >= static_cast<int>(items.size()) || !items[static_cast<std::size_t>(i)].Enabled) return;
  PickItem& item = items[static_cast<std::size_t>(i)];
  item.State = checked ? ItemState::Checked : ItemState::Unchecked;
  if (!checked) return;
  // Items already shown are greyed and not counted; the other list is not either.
  int waiting = 0;
  for (const PickItem& it : items) waiting += it.State == ItemState::Checked;
  if (graph_.FShownRows + waiting > kSlotCount) {
    Message(kTenPhenomenaMessage);
    item.State = ItemState::Unchecked;
  }
  // Made in any case, so one tick can bring both messages.
  if (FindTypeGroup(graph_, ItemTypeCode(l, i)) < 0 && graph_.TypeGroupCount >= kMaxTypeGroups) {
    Message(kFiveTypesMessage);
    item.State = ItemState::Unchecked;
  }
}

int PhenomenaChoice::FreeSlot() const {
  for (int q = 0; q < kSlotCount; ++q)
    if (!series_[static_cast<std::size_t>(q)]->Active()) return q;
  return -1;
}

void PhenomenaChoice::FillSlot(int q, std::uint8_t index) {
  SlotSeries& s = *series_[static_cast<std::size_t>(q)];
  // Both readers serve the copy read when the file was chosen, so the data
  // always match the lists and read-outs.
  FillSeries(chosen_.Kind, s, index, osc_, rzs_);
}

bool PhenomenaChoice::AddItem(PickList l, int i) {
  PickItem& item = ItemsOf(l)[static_cast<std::size_t>(i)];
  const int q = FreeSlot();
  if (q < 0) return false;  // passed over: stays checked
  const std::uint8_t type = ItemTypeCode(l, i);
  if (FindTypeGroup(graph_, type) < 0 && graph_.TypeGroupCount >= kMaxTypeGroups) {
    Message(kFiveTypesMessage);
    item.State = ItemState::Unchecked;
    return false;
  }
  const auto k = static_cast<std::size_t>(i);
  const unsigned index = l == PickList::Factors ? k + 1 : chosen_.SectionOfSum(k) + chosen_.C;

  // Filled first: a file that fails leaves no row, record or point behind.
  SlotSeries& s = *series_[static_cast<std::size_t>(q)];
  s.ClearPoints();
  s.Reserve(static_cast<int>(chosen_.Points));
  try {
    FillSlot(q, static_cast<std::uint8_t>(index));
  } catch (const IoError& e) {
    s.ClearPoints();
    item.State = ItemState::Unchecked;
    item.Enabled = true;
    Message(e.what());
    return false;
  }

  item.State = ItemState::Grayed;
  item.Enabled = false;
  const int n = graph_.FShownRows;
  graph_.FSlotOfRow[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(q);
  rows_[static_cast<std::size_t>(n)] = {item.Text, "Файл: " + chosen_.FileName};
  graph_.FShownRows = n + 1;

  TSeriesRec& r = graph_.SeriesRecs[static_cast<std::size_t>(q)];
  r.FileName = chosen_.Path;
  r.Name = item.Text;
  r.TypeCode = type;
  r.Index = static_cast<std::uint8_t>(index);
  r.MaxY = s.SeriesMaxY();
  r.MinY = s.SeriesMinY();
  r.Scale = SlotScale(r.MinY, r.MaxY);
  r.Offset = 0;
  r.TraceIndex = -1;
  JoinTypeGroup(graph_, series_, q, chosen_.Caption(type));

  s.SetTitle(item.Text);
  s.ClearMarks();
  s.SetActive(true);
  origin_[static_cast<std::size_t>(q)] = {generation_, l, i};
  return true;
}

void PhenomenaChoice::AddChecked(PickList active) {
  if (!chosen_.Chosen()) return;
  std::vector<PickItem>& items = ItemsOf(active);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].State == ItemState::Checked) AddItem(active, static_cast<int>(i));
  if (graph_.FShownRows > 0 && ApplyAxes) ApplyAxes(AxesAfterAdding(graph_, series_));
}

void PhenomenaChoice::AddAll(PickList active) {
  if (!chosen_.Chosen()) return;
  const std::vector<PickItem>& items = ItemsOf(active);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].Enabled) continue;
    if (SelectItem) SelectItem(active, static_cast<int>(i));
    SetChecked(active, static_cast<int>(i), true);
    AddChecked(active);
  }
}

void PhenomenaChoice::RemoveSlot(int slot) {
  const auto q = static_cast<std::size_t>(slot);
  SlotSeries& s = *series_[q];
  s.ClearPoints();
  s.ClearMarks();
  s.SetActive(false);
  graph_.SeriesRecs[q].TraceIndex = -1;
  // Only an item this chosen file greyed is released, by its position.
  const SlotOrigin o = origin_[q];
  origin_[q] = SlotOrigin{};
  std::vector<PickItem>& items = ItemsOf(o.list);
  if (o.generation == generation_ && o.item >= 0 && o.item < static_cast<int>(items.size())) {
    items[static_cast<std::size_t>(o.item)].State = ItemState::Unchecked;
    items[static_cast<std::size_t>(o.item)].Enabled = true;
    releasedList_ = o.list;
    releasedItem_ = o.item;
  }
  LeaveTypeGroup(graph_, series_, slot);
  if (ApplyAxes) ApplyAxes(AxesAfterRemoval(graph_));
}

void PhenomenaChoice::DeleteRows(int top, int bottom) {
  releasedItem_ = -1;
  if (bottom < top || top < 0) return;
  for (int pass = top; pass <= bottom; ++pass) {
    if (top >= graph_.FShownRows) continue;
    RemoveSlot(graph_.FSlotOfRow[static_cast<std::size_t>(top)]);
    for (int r = top; r < graph_.FShownRows - 1; ++r) {
      rows_[static_cast<std::size_t>(r)] = rows_[static_cast<std::size_t>(r + 1)];
      graph_.FSlotOfRow[static_cast<std::size_t>(r)] = graph_.FSlotOfRow[static_cast<std::size_t>(r + 1)];
    }
    --graph_.FShownRows;
    rows_[static_cast<std::size_t>(graph_.FShownRows)] = ShownRow{};
  }
}

void PhenomenaChoice::DeleteAll() {
  releasedItem_ = -1;
  for (int pass = 0; pass < kSlotCount && graph_.FShownRows > 0; ++pass) {
    const int released = releasedItem_;
    const PickList list = releasedList_;
    DeleteRows(0, 0);
    if (releasedItem_ < 0) {
      releasedItem_ = released;
      releasedList_ = list;
    }
  }
}

}  // namespace kv
