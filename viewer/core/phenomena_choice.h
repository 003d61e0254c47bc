#pragma once
// What the phenomena dialog does, without its widgets: the chosen file, the
// states of its two pick lists, the rows of phenomena shown on the chart,
// adding (each checked item into the first free chart slot, filled from the
// chosen file and scaled into its type group), deleting, and the limits of
// ten phenomena and five quantity types. The dialog mirrors this state into
// its controls and shows the messages it reports.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "viewer/core/chosen_file.h"
#include "viewer/core/graph_state.h"
#include "viewer/core/rzd.h"
#include "viewer/core/type_groups.h"
#include "viewer/core/un_osc.h"

namespace kv {

enum class PickList { Factors, Sums };  // pages "Явления" and "Сечения"
enum class ItemState { Unchecked, Checked, Grayed };

struct PickItem {
  std::string Text;
  ItemState State = ItemState::Unchecked;
  bool Enabled = true;  // false while the item is shown on the chart
};

// One row of the grid of shown phenomena: the item text and "Файл: " + name.
struct ShownRow {
  std::string Name;
  std::string File;
};

inline const std::string kTenPhenomenaMessage = "Можно отобразить только 10 явлений.";
inline const std::string kFiveTypesMessage = "Можно отобразить только 5 типов явлений.";

class PhenomenaChoice {
 public:
  PhenomenaChoice(GraphState& graph, const SlotSeriesSet& series);
  PhenomenaChoice(const PhenomenaChoice&) = delete;
  PhenomenaChoice& operator=(const PhenomenaChoice&) = delete;

  // Each message for the user, in order (the dialog shows them modally).
  std::function<void(const std::string& text)> ShowMessage;
  // The chart's axes after slots were added or removed.
  std::function<void(const ChartAxesSettings&)> ApplyAxes;
  // Item i of list l becomes the list's selected item (AddAll goes through
  // the items as their selection).
  std::function<void(PickList l, int i)> SelectItem;

  // A completed open: the file replaces the chosen one and fills the lists.
  // An unreadable file leaves no file chosen, empty lists and read-outs,
  // and reports why; returns false then.
  bool OpenFile(const std::string& path, int kind);
  const ChosenFile& Chosen() const { return chosen_; }
  // Whether "Добавить" and "Добавить все" can act.
  bool AddEnabled() const { return chosen_.Chosen(); }

  const std::vector<PickItem>& Items(PickList l) const { return l == PickList::Factors ? factors_ : sums_; }
  // Type code of item i (for a section: its section's).
  std::uint8_t ItemTypeCode(PickList l, int i) const;

  // The user ticked (or unticked) item i: a tick that would bring more than
  // ten phenomena or a sixth quantity type is refused with its message.
  void SetChecked(PickList l, int i, bool checked);
  // Adds every checked item of the active list (AddFactorClick).
  void AddChecked(PickList active);
  // Checks and adds every enabled item of the active list, one at a time.
  void AddAll(PickList active);
  // Deletes the filled rows among top..bottom.
  void DeleteRows(int top, int bottom);
  void DeleteAll();
  // The delete buttons (and paging) act while a phenomenon is shown.
  bool DeleteEnabled() const { return graph_.FShownRows > 0; }

  const std::array<ShownRow, kSlotCount>& Rows() const { return rows_; }
  // The item the last deletion released (it becomes the list's selected
  // item); -1 when it released none.
  PickList ReleasedList() const { return releasedList_; }
  int ReleasedItem() const { return releasedItem_; }

 private:
  struct SlotOrigin {
    long generation = -1;  // of the chosen file it was added from
    PickList list = PickList::Factors;
    int item = -1;
  };

  std::vector<PickItem>& ItemsOf(PickList l) { return l == PickList::Factors ? factors_ : sums_; }
  void Message(const std::string& text);
  int FreeSlot() const;
  // Adds item i of list l into a free slot; false when it was refused or failed.
  bool AddItem(PickList l, int i);
  void FillSlot(int q, std::uint8_t index);
  void RemoveSlot(int slot);

  GraphState& graph_;
  SlotSeriesSet series_;
  ChosenFile chosen_;
  long generation_ = 0;
  PickList releasedList_ = PickList::Factors;
  int releasedItem_ = -1;
  std::vector<PickItem> factors_, sums_;
  std::array<ShownRow, kSlotCount> rows_{};
  std::array<SlotOrigin, kSlotCount> origin_{};
  // Readers of the chosen file only, holding it as it was opened, to fill
  // series.
  OscReader osc_;
  RzsReader rzs_;
};

}  // namespace kv
