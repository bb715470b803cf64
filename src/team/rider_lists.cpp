#include "team/rider_lists.h"

#include <algorithm>

namespace vel {

RiderLists::RiderLists() {
  for (List& list : lists_) list.entries.push_back(Entry{"", kNoId});
}

bool RiderLists::Holds(std::uint64_t memberId) const {
  return std::any_of(lists_.begin(), lists_.end(), [memberId](const List& list) {
    return std::any_of(list.entries.begin() + 1, list.entries.end(),
                       [memberId](const Entry& e) { return e.memberId == memberId; });
  });
}

void RiderLists::Add(const std::string& name, std::uint64_t memberId) {
  for (List& list : lists_) {
    // The empty entry stays first; members are sorted by name after it.
    const auto at =
        std::upper_bound(list.entries.begin() + 1, list.entries.end(), name,
                         [](const std::string& n, const Entry& e) { return n < e.name; });
    const int index = static_cast<int>(at - list.entries.begin());
    list.entries.insert(at, Entry{name, memberId});
    if (list.selection && *list.selection >= index) ++*list.selection;
  }
}

void RiderLists::Remove(std::uint64_t memberId) {
  for (List& list : lists_) {
    for (std::size_t i = 1; i < list.entries.size(); ++i) {
      if (list.entries[i].memberId != memberId) continue;
      list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(i));
      const int index = static_cast<int>(i);
      if (list.selection == index) {
        list.selection.reset();
      } else if (list.selection && *list.selection > index) {
        --*list.selection;
      }
      break;
    }
  }
}

void RiderLists::Select(int panel, std::optional<int> index) {
  List& list = lists_.at(panel);
  if (index && (*index < 0 || *index >= static_cast<int>(list.entries.size()))) index.reset();
  list.selection = index;
}

std::optional<std::uint64_t> RiderLists::SelectedMember(int panel) const {
  const List& list = lists_.at(panel);
  if (!list.selection || *list.selection == 0) return std::nullopt;
  return list.entries[static_cast<std::size_t>(*list.selection)].memberId;
}

bool RiderLists::SelectedElsewhere(int panel) const {
  const std::optional<std::uint64_t> member = SelectedMember(panel);
  if (!member) return false;
  for (int other = 0; other < kPanels; ++other) {
    if (other != panel && SelectedMember(other) == member) return true;
  }
  return false;
}

bool RiderLists::IsMemberInUse(std::uint64_t memberId) const {
  for (int panel = 0; panel < kPanels; ++panel) {
    if (SelectedMember(panel) == memberId) return true;
  }
  return false;
}

}  // namespace vel
