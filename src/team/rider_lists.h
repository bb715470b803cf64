#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/room.h"
#include "team/roster_records.h"

namespace vel {

// The member lists of the ten rider panels. Entry 0 of each is empty; the
// team's members follow, sorted by name. Each list has a selection: none,
// the empty entry, or a member.
class RiderLists {
 public:
  static constexpr int kPanels = kRiderPanels;

  struct Entry {
    std::string name;
    std::uint64_t memberId;  // kNoId for the empty entry
  };

  RiderLists();

  // True when any list has an entry for that member.
  bool Holds(std::uint64_t memberId) const;
  // Adds the member to every list.
  void Add(const std::string& name, std::uint64_t memberId);
  // Removes the member from every list, also where it is selected.
  void Remove(std::uint64_t memberId);

  const std::vector<Entry>& Entries(int panel) const { return lists_.at(panel).entries; }
  // The selected entry's index (0 is the empty entry), or none.
  std::optional<int> Selection(int panel) const { return lists_.at(panel).selection; }
  void Select(int panel, std::optional<int> index);
  // The member selected in a panel, or none (no selection or the empty entry).
  std::optional<std::uint64_t> SelectedMember(int panel) const;
  // True when another panel has the same member selected.
  bool SelectedElsewhere(int panel) const;
  // True when any list has that member selected.
  bool IsMemberInUse(std::uint64_t memberId) const;

 private:
  struct List {
    std::vector<Entry> entries;
    std::optional<int> selection;
  };
  std::array<List, kPanels> lists_;
};

}  // namespace vel
